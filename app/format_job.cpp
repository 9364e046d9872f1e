// One format run from the window: the confirmation, the worker thread with
// its parameter block, the disk picture's animation while it runs, and the
// result message. The drive formatted is always the one the user confirmed:
// the boxes run their own message loops, in which drives may come and go.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/main_wnd.h"
#include "app/skin_images.h"
#include "app/texts.h"
#include "facet/controls/button_ui.h"
#include "facet/controls/combo_ui.h"
#include "format/volume_label.h"

namespace app {

namespace {

constexpr std::size_t kLabelBytes = 514;

// Handed to the worker, which frees it.
struct FormatParams {
    char driveLetter;
    char label[kLabelBytes + 1];
    int sectorsPerCluster;
    // The worker's view of the window's hooks, copied so it owns them.
    std::function<fat32::FormatResult(char, const char*, int)> format;
    DWORD pauseMs;
};

// The frame counter lives as long as the process: a later run goes on from
// the frame the last one stopped at.
int g_frameCounter = 1;
constexpr int kFrameCycle = 18;
constexpr int kLastFrame = 17;

// A run that ends before the engine ran (its drive went away) shows no box.
constexpr fat32::FormatResult kNoResult = -1;

DWORD WINAPI FormatThreadProc(LPVOID param) {
    auto* block = static_cast<FormatParams*>(param);
    ::Sleep(block->pauseMs);
    const fat32::FormatResult result =
        block->format(block->driveLetter, block->label, block->sectorsPerCluster);
    const DWORD pause = block->pauseMs;
    delete block;
    ::Sleep(pause);
    ::PostMessageW(MainWindowHandle(), kFormatDoneMessage, static_cast<WPARAM>(result), 0);
    return 0;
}

}  // namespace

int CMainWnd::Ask(const wchar_t* text, const wchar_t* caption, UINT style) {
    return m_hooks.messageBox(m_hWnd, text, caption, style);
}

void CMainWnd::OnFormatClick() {
    if (m_bFormatRunning) return;
    const int index = m_pDriveCombo->GetCurSel();
    if (index < 0) return;
    const wchar_t letter = m_drives.Letter(index);
    const Facet::CDuiString label = ReadLabel(letter);
    Facet::CDuiString text;
    text.Format(Localized(kConfirmFormat), letter, label.GetData());
    if (Ask(text, Localized(kWindowCaption), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    // The drive may have gone while the question was open.
    if (m_drives.IndexOf(letter) < 0) return;

    ShowRunningButton();
    m_bFormatRunning = true;
    m_formatLetter = letter;
    ::SetTimer(m_hWnd, kAnimationTimer, 100, nullptr);
    StartFormat(letter);
}

void CMainWnd::StartFormat(wchar_t letter) {
    Facet::CDuiString notice;
    notice.Format(Localized(kStartNotice), letter, ReadLabel(letter).GetData());
    // A notice, not a question: the run starts whichever way it is closed.
    Ask(notice, Localized(kStartNoticeCaption), MB_OK | MB_ICONINFORMATION);

    const int index = m_drives.IndexOf(letter);
    if (index < 0) {
        OnFormatComplete(kNoResult);
        return;
    }
    const std::wstring label(ReadLabel(letter).GetData());
    m_drives.QueryEntrySizes(index);

    auto* block = new FormatParams{};
    block->driveLetter = static_cast<char>(letter & 0xFF);
    const std::string bytes = fat32::OemVolumeLabel(label);
    std::strncpy(block->label, bytes.c_str(), kLabelBytes);
    block->sectorsPerCluster = fat32::RequestedSectorsPerCluster(m_drives.TotalMb(index));
    block->format = m_hooks.format;
    block->pauseMs = m_hooks.pauseMs;

    HANDLE thread = ::CreateThread(nullptr, 0, FormatThreadProc, block, 0, nullptr);
    if (!thread) {
        delete block;
        OnFormatComplete(fat32::kInternalError);
        return;
    }
    // The result comes back as a message; nothing waits on the thread.
    ::CloseHandle(thread);
}

void CMainWnd::ShowRunningButton() {
    m_pFormatBtn->SetText(Localized(kFormatRunning));
    m_pFormatBtn->SetEnabled(false);
    m_pFormatBtn->SetNormalImage(kFormatDisabledImage);
}

void CMainWnd::ShowIdleButton() {
    m_pFormatBtn->SetText(Localized(kFormatIdle));
    if (m_drives.Count() > 0) {
        m_pFormatBtn->SetEnabled(true);
        m_pFormatBtn->SetNormalImage(kFormatImage);
    } else {
        ShowNoDriveFace();
    }
}

void CMainWnd::AdvanceAnimation() {
    const int frame = g_frameCounter % kFrameCycle;
    Facet::CDuiString image;
    image.Format(kDiskFrameFormat, kDiskFrameWidth * frame, kDiskFrameWidth * frame + kDiskFrameWidth);
    m_pDisk->SetBkImage(image);
    if (g_frameCounter == kLastFrame) g_frameCounter = 1;
    ++g_frameCounter;
}

void CMainWnd::OnFormatComplete(fat32::FormatResult result) {
    ::KillTimer(m_hWnd, kAnimationTimer);
    const wchar_t letter = m_formatLetter;
    m_bFormatRunning = false;
    m_formatLetter = 0;
    // The formatted drive's item shows what the drive holds now.
    const int index = m_drives.IndexOf(letter);
    if (result == fat32::kFormatOk && index >= 0) {
        if (Facet::CControlUI* item = m_pDriveCombo->GetItemAt(index)) item->SetText(DriveItemText(index));
        m_pDriveCombo->Invalidate();
    }
    ShowIdleButton();
    if (result != kNoResult) m_hooks.showResult(m_hWnd, result);
}

LRESULT CMainWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& /*bHandled*/) {
    switch (uMsg) {
    case WM_TIMER:
        // Only the animation's own timer moves the picture.
        if (wParam == kAnimationTimer) AdvanceAnimation();
        break;
    case kFormatDoneMessage:
        if (m_bFormatRunning) OnFormatComplete(static_cast<fat32::FormatResult>(wParam));
        break;
    case WM_DEVICECHANGE:
        OnDeviceChange(wParam, lParam);
        break;
    default:
        break;
    }
    return 0;
}

}  // namespace app
