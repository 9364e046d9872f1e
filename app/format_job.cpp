// One format run from the window: the confirmation, the worker thread with
// its parameter block, the disk picture's animation while it runs, and the
// result message. The drive formatted is always the one the user confirmed:
// the boxes run their own message loops, in which drives may come and go, and
// a stick may be swapped for another under the same letter during the
// worker's pause, so its identity is checked again before anything is written.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/drive_source.h"
#include "app/main_wnd.h"
#include "app/skin_images.h"
#include "app/texts.h"
#include "facet/controls/button_ui.h"
#include "facet/controls/combo_ui.h"
#include "format/volume_label.h"

namespace app {

namespace {

constexpr std::size_t kLabelBytes = 514;
constexpr DWORD kPostRetryMs = 100;

// Handed to the worker, which frees it.
struct FormatParams {
    char driveLetter;
    char label[kLabelBytes + 1];
    int sectorsPerCluster;
    drives::DriveIdentity identity;
    // The worker's view of the window's hooks, copied so it owns them.
    std::function<fat32::FormatResult(char, const char*, int)> format;
    std::function<bool(wchar_t, const drives::DriveIdentity&)> sameDrive;
    DWORD pauseMs;
};

// The frame counter lives as long as the process: a later run goes on from
// the frame the last one stopped at.
int g_frameCounter = 1;
constexpr int kFrameCycle = 18;
constexpr int kLastFrame = 17;

// The result must reach the window: a full message queue only delays it.
// Once the window is gone there is nobody left to tell.
void PostResult(fat32::FormatResult result) {
    const HWND window = MainWindowHandle();
    while (!::PostMessageW(window, kFormatDoneMessage, static_cast<WPARAM>(result), 0) &&
           ::IsWindow(window))
        ::Sleep(kPostRetryMs);
}

DWORD WINAPI FormatThreadProc(LPVOID param) {
    std::unique_ptr<FormatParams> block(static_cast<FormatParams*>(param));
    ::Sleep(block->pauseMs);
    const wchar_t letter = static_cast<unsigned char>(block->driveLetter);
    const fat32::FormatResult result =
        block->sameDrive(letter, block->identity)
            ? block->format(block->driveLetter, block->label, block->sectorsPerCluster)
            : fat32::kDriveChanged;
    const DWORD pause = block->pauseMs;
    block.reset();
    ::Sleep(pause);
    PostResult(result);
    return 0;
}

}  // namespace

bool SameDriveAsConfirmed(wchar_t letter, const drives::DriveIdentity& confirmed) {
    const std::unique_ptr<drives::DriveQuery> query = NewDriveQuery();
    drives::DriveIdentity now;
    return drives::IdentifyUsbDrive(*query, letter, now) && now == confirmed;
}

// Counts the window's open boxes; the last one to close hands on a close
// request that came while it was open.
class CMainWnd::BoxOpen {
public:
    explicit BoxOpen(CMainWnd& window) : window_(window) { ++window_.m_openBoxes; }
    ~BoxOpen() {
        if (--window_.m_openBoxes == 0 && window_.m_closeDeferred) {
            window_.m_closeDeferred = false;
            ::PostMessageW(window_.m_hWnd, WM_CLOSE, 0, 0);
        }
    }
    BoxOpen(const BoxOpen&) = delete;
    BoxOpen& operator=(const BoxOpen&) = delete;

private:
    CMainWnd& window_;
};

int CMainWnd::Ask(const wchar_t* text, const wchar_t* caption, UINT style) {
    const BoxOpen box(*this);
    return m_hooks.messageBox(m_hWnd, text, caption, style);
}

void CMainWnd::ShowResultBox(fat32::FormatResult result) {
    const BoxOpen box(*this);
    m_hooks.showResult(m_hWnd, result);
}

bool CMainWnd::MayCloseDuringRun() {
    m_askingToClose = true;
    const bool yes = Ask(Localized(kCloseDuringRun), Localized(kWindowCaption),
                         MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    m_askingToClose = false;
    return yes;
}

bool CMainWnd::StillConfirmedDrive(wchar_t letter) {
    drives::DriveIdentity now;
    return m_drives.IndexOf(letter) >= 0 && m_drives.Identify(letter, now) && now == m_formatIdentity;
}

void CMainWnd::OnFormatClick() {
    if (m_bFormatRunning) return;
    const int index = m_pDriveCombo->GetCurSel();
    if (index < 0) return;
    const wchar_t letter = m_drives.Letter(index);
    // The question names this stick: the one it names is the one written.
    if (!m_drives.Identify(letter, m_formatIdentity)) {
        ShowResultBox(fat32::kDriveChanged);
        return;
    }
    const Facet::CDuiString label = ReadLabel(letter);
    Facet::CDuiString text;
    text.Format(Localized(kConfirmFormat), letter, label.GetData());
    if (Ask(text, Localized(kWindowCaption), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (!StillConfirmedDrive(letter)) {
        ShowResultBox(fat32::kDriveChanged);
        return;
    }

    ShowRunningButton();
    m_bFormatRunning = true;
    m_formatLetter = letter;
    ::SetTimer(m_hWnd, kAnimationTimer, 100, nullptr);
    // Windows names the reason when the user signs out during the run.
    ::ShutdownBlockReasonCreate(m_hWnd, Localized(kShutdownReason));
    StartFormat(letter);
}

void CMainWnd::StartFormat(wchar_t letter) {
    Facet::CDuiString notice;
    notice.Format(Localized(kStartNotice), letter, ReadLabel(letter).GetData());
    // A notice, not a question: the run starts whichever way it is closed.
    Ask(notice, Localized(kStartNoticeCaption), MB_OK | MB_ICONINFORMATION);

    if (!StillConfirmedDrive(letter)) {
        OnFormatComplete(fat32::kDriveChanged);
        return;
    }
    const int index = m_drives.IndexOf(letter);
    const std::wstring label(ReadLabel(letter).GetData());
    m_drives.QueryEntrySizes(index);

    auto* block = new FormatParams{};
    block->driveLetter = static_cast<char>(letter & 0xFF);
    const std::string bytes = fat32::OemVolumeLabel(label);
    std::strncpy(block->label, bytes.c_str(), kLabelBytes);
    block->sectorsPerCluster = fat32::RequestedSectorsPerCluster(m_drives.TotalMb(index));
    block->identity = m_formatIdentity;
    block->format = m_hooks.format;
    block->sameDrive = m_hooks.sameDrive;
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
    ::ShutdownBlockReasonDestroy(m_hWnd);
    const wchar_t letter = m_formatLetter;
    m_bFormatRunning = false;
    m_formatLetter = 0;
    // The list is read afresh: an arrival during the run could not read the
    // locked volume and may have left it out, and the formatted drive now
    // holds a new file system and label. It stays the chosen drive, and the
    // picture keeps the frame the animation stopped at.
    const Facet::CDuiString frame = m_pDisk->GetBkImage();
    RebuildDriveList();
    RefreshDeviceUI();
    const int index = m_drives.IndexOf(letter);
    if (index >= 0) {
        m_pDriveCombo->SelectItem(index);
        m_pDisk->SetBkImage(frame);
    }
    ShowIdleButton();
    ShowResultBox(result);
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
