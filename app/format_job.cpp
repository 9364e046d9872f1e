// One format run from the window: the confirmation, the worker thread with
// its parameter block, the disk picture's animation while it runs, and the
// result message. The drive formatted is always the one the user confirmed:
// the boxes run their own message loops, in which drives may come and go, and
// a stick may be swapped for another under the same letter during the
// worker's pause: its identity is checked after each box, by the worker, and
// finally on the locked volume's own handle before anything is written. A
// removal of the letter, a close or the session's end stops a run that has
// not started writing; one that has is let finish.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/drive_source.h"
#include "app/main_wnd.h"
#include "app/progress_poster.h"
#include "app/run_gate.h"
#include "drives/medium_proof.h"
#include "drives/whole_stick.h"
#include "app/skin_images.h"
#include "app/texts.h"
#include "facet/controls/button_ui.h"
#include "facet/controls/combo_ui.h"
#include "facet/controls/progress_ui.h"
#include "devices/new_mbr_device.h"
#include "format/volume_label.h"

namespace app {

constexpr std::size_t kLabelBytes = 514;

// Handed to the worker, which frees it.
struct FormatParams {
    char driveLetter = 0;
    // A whole stick: its disk, and its facts when the user confirmed it.
    DWORD wholeDisk = kNoWholeDisk;
    fat32::DiskFacts confirmedDisk;
    std::wstring diskId;
    char label[kLabelBytes + 1] = {};
    int sectorsPerCluster = 0;
    drives::DriveIdentity identity;
    std::shared_ptr<RunGate> gate;
    // The worker's view of the window's hooks, copied so it owns them.
    std::function<fat32::FormatResult(const FormatJob&)> format;
    std::function<fat32::FormatResult(wchar_t, const drives::DriveIdentity&)> recheck;
    DWORD pauseMs = 0;
};

namespace {

constexpr DWORD kPostRetryMs = 100;

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

fat32::FormatResult RunEngine(const FormatParams& block) {
    if (block.gate->Cancelled()) return fat32::kDriveChanged;
    const bool whole = block.wholeDisk != kNoWholeDisk;
    const wchar_t letter = static_cast<unsigned char>(block.driveLetter);
    // Who the drive is, asked afresh after the pause; proven again on the
    // handle that writes.
    const fat32::FormatResult recheck = whole
                                            ? RecheckConfirmedDisk(block.wholeDisk, block.diskId, block.confirmedDisk)
                                            : block.recheck(letter, block.identity);
    if (recheck != fat32::kFormatOk) return recheck;
    FormatJob job;
    job.letter = block.driveLetter;
    job.wholeDisk = block.wholeDisk;
    job.oldStyle = block.confirmedDisk.style;
    job.label = block.label;
    job.sectorsPerCluster = block.sectorsPerCluster;
    bool writing = false;
    const auto startWriting = [&block, &writing](fat32::FormatResult proof) {
        if (proof != fat32::kFormatOk) return proof;
        // A removal or the session's end came first: nothing is written.
        if (!block.gate->StartWriting()) return fat32::kDriveChanged;
        writing = true;
        ::PostMessageW(MainWindowHandle(), kWritingMessage, 1, 0);
        return fat32::kFormatOk;
    };
    job.prove = [&](const fat32::MediumFacts& facts) {
        return startWriting(drives::ProveMedium(block.identity, facts));
    };
    job.writesOver = [&block, &writing] {
        block.gate->WritingDone();
        if (writing) ::PostMessageW(MainWindowHandle(), kWritingMessage, 0, 0);
        writing = false;
    };
    job.proveDisk = [&](const fat32::DiskFacts& facts) {
        return startWriting(fat32::SameDisk(block.confirmedDisk, facts) ? fat32::kFormatOk : fat32::kDriveChanged);
    };
    ProgressPoster progress;
    job.progress = [&progress](std::uint64_t done, std::uint64_t total) { progress.Report(done, total); };
    const fat32::FormatResult result = block.format(job);
    block.gate->WritingDone();
    if (result == fat32::kFormatOk) progress.Done();
    if (writing) ::PostMessageW(MainWindowHandle(), kWritingMessage, 0, 0);
    return result;
}

DWORD WINAPI FormatThreadProc(LPVOID param) {
    std::unique_ptr<FormatParams> block(static_cast<FormatParams*>(param));
    ::Sleep(block->pauseMs);
    const fat32::FormatResult result = RunEngine(*block);
    const DWORD pause = block->pauseMs;
    block.reset();
    ::Sleep(pause);
    PostResult(result);
    return 0;
}

}  // namespace

fat32::FormatResult RecheckConfirmedDrive(wchar_t letter, const drives::DriveIdentity& confirmed) {
    const std::unique_ptr<drives::DriveQuery> query = NewDriveQuery();
    return RecheckConfirmedDrive(*query, letter, confirmed);
}

fat32::FormatResult RecheckConfirmedDrive(drives::DriveQuery& query, wchar_t letter,
                                          const drives::DriveIdentity& confirmed) {
    drives::DriveIdentity now;
    const fat32::FormatResult r = drives::ResultOfIdentify(drives::IdentifyUsbDrive(query, letter, now));
    if (r != fat32::kFormatOk) return r;
    return drives::ProveIdentity(confirmed, now);
}

// Counts the window's open boxes; the last one to close hands on a close
// request that came while it was open.
class CMainWnd::BoxOpen {
public:
    explicit BoxOpen(CMainWnd& window) : window_(window) { ++window_.m_openBoxes; }
    ~BoxOpen() {
        if (--window_.m_openBoxes == 0 && window_.m_closeDeferred) {
            window_.m_closeDeferred = false;
            window_.m_closeRequested = true;
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
    // A run whose writes are over is cut by nothing: the window just closes.
    if (!m_runGate || m_runGate->Done()) return true;
    m_askingToClose = true;
    // Before its first write, closing only gives the run up and the stick
    // stays as it was; once the worker writes, it would cut the volume in
    // half. The question says which, and a run that began writing while
    // the first was open is asked about again.
    bool yes = false;
    for (bool pending = !m_runGate->Writing();; pending = false) {
        yes = Ask(Localized(pending ? kCloseBeforeWriting : kCloseDuringRun), Localized(kWindowCaption),
                  MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
        if (!yes || !pending || m_resultWaiting || m_runGate->Cancel() || m_runGate->Done()) break;
    }
    m_askingToClose = false;
    // A run that ended while the question was open: Yes closes at once (the
    // run is over); No shows its result now, not on top of the question.
    if (m_resultWaiting) {
        m_resultWaiting = false;
        if (yes) return true;
        OnFormatComplete(m_waitingResult);
        return false;
    }
    return yes;
}

fat32::FormatResult CMainWnd::CheckConfirmedDrive(wchar_t letter) {
    if (m_runGate && m_runGate->Cancelled()) return fat32::kDriveChanged;
    if (m_drives.IndexOf(letter) < 0) return fat32::kDriveChanged;
    drives::DriveIdentity now;
    const fat32::FormatResult r = drives::ResultOfIdentify(m_drives.Identify(letter, now));
    if (r != fat32::kFormatOk) return r;
    return drives::ProveIdentity(m_formatIdentity, now);
}

void CMainWnd::OnFormatClick() {
    if (m_bFormatRunning) return;
    const int index = m_pDriveCombo->GetCurSel();
    if (index < 0) return;
    const wchar_t letter = m_drives.Letter(index);
    DWORD disk = m_drives.Disk(index);
    fat32::DiskFacts facts;
    // A stick without a letter can only be made whole.
    if (letter == drives::kNoLetter) {
        if (!drives::ReadStick(m_drives.Query(), disk, facts) || !drives::MayOfferWhole(m_drives.Query(), facts)) {
            ShowResultBox(fat32::kDriveChanged);
            return;
        }
        ConfirmWholeStick(disk, facts, letter);
        return;
    }
    // The question names this stick: the one it names is the one written.
    if (const fat32::FormatResult r = drives::ResultOfIdentify(m_drives.Identify(letter, m_formatIdentity));
        r != fat32::kFormatOk) {
        ShowResultBox(r);
        return;
    }
    switch (OfferWholeStick(letter, disk, facts)) {
        case Offer::Cancel: return;
        case Offer::Whole: ConfirmWholeStick(disk, facts, letter); return;
        case Offer::VolumeOnly: break;
    }
    const Facet::CDuiString label = ReadLabel(letter);
    Facet::CDuiString text;
    text.Format(Localized(kConfirmFormat), letter, label.GetData());
    // From the question on, a removal of the letter cancels the run.
    m_runGate = std::make_shared<RunGate>();
    m_formatLetter = letter;
    const int answer = Ask(text, Localized(kWindowCaption), MB_YESNO | MB_ICONQUESTION);
    // A close asked for during the question wins over its Yes.
    if (answer != IDYES || m_closeRequested) {
        m_runGate.reset();
        m_formatLetter = 0;
        return;
    }
    if (const fat32::FormatResult r = CheckConfirmedDrive(letter); r != fat32::kFormatOk) {
        m_runGate.reset();
        m_formatLetter = 0;
        ShowResultBox(r);
        return;
    }

    ShowRunning();
    StartFormat(letter);
}

void CMainWnd::ShowRunning() {
    ShowProgress(0);
    ShowRunningButton();
    m_bFormatRunning = true;
    ::SetTimer(m_hWnd, kAnimationTimer, 100, nullptr);
}

void CMainWnd::AbandonStart() {
    ::KillTimer(m_hWnd, kAnimationTimer);
    HoldSession(false);
    m_bFormatRunning = false;
    m_formatLetter = 0;
    m_formatDisk = kNoWholeDisk;
    m_runGate.reset();
    ShowIdleButton();
    HideProgress();
}

void CMainWnd::StartFormat(wchar_t letter) {
    Facet::CDuiString notice;
    notice.Format(Localized(kStartNotice), letter, ReadLabel(letter).GetData());
    // A notice, not a question: the run starts whichever way it is closed.
    Ask(notice, Localized(kStartNoticeCaption), MB_OK | MB_ICONINFORMATION);

    if (m_closeRequested) {
        AbandonStart();
        return;
    }
    if (const fat32::FormatResult r = CheckConfirmedDrive(letter); r != fat32::kFormatOk) {
        OnFormatComplete(r);
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
    LaunchWorker(block);
}

void CMainWnd::StartWholeFormat(const std::wstring& label) {
    auto* block = new FormatParams{};
    block->wholeDisk = m_formatDisk;
    block->confirmedDisk = m_formatDiskFacts;
    block->diskId = m_formatDiskId;
    const std::string bytes = fat32::OemVolumeLabel(label);
    std::strncpy(block->label, bytes.c_str(), kLabelBytes);
    const std::uint64_t volumeBytes = std::uint64_t{fat32::NewPartitionSectors(m_formatDiskFacts.bytes)} * 512;
    block->sectorsPerCluster =
        fat32::RequestedSectorsPerCluster(static_cast<std::uint32_t>(volumeBytes / (1024 * 1024)));
    LaunchWorker(block);
}

void CMainWnd::LaunchWorker(FormatParams* block) {
    block->gate = m_runGate;
    block->format = m_hooks.format;
    block->recheck = m_hooks.recheck;
    block->pauseMs = m_hooks.pauseMs;
    HANDLE thread = ::CreateThread(nullptr, 0, FormatThreadProc, block, 0, nullptr);
    if (!thread) {
        delete block;
        OnFormatComplete(fat32::kInternalError);
        return;
    }
    // The result comes back as a message; the gate tells whether it writes.
    ::CloseHandle(thread);
}

void CMainWnd::HoldSession(bool hold) {
    if (hold == m_sessionHeld) return;
    m_sessionHeld = hold;
    if (!hold) {
        m_hooks.blockShutdown(m_hWnd, nullptr);
        return;
    }
    // Windows shows the reason to a user who signs out during the writes.
    Facet::CDuiString reason;
    if (m_formatDisk != kNoWholeDisk)
        reason.Format(Localized(kShutdownReasonStick), static_cast<unsigned>(m_formatDisk));
    else
        reason.Format(Localized(kShutdownReason), m_formatLetter);
    m_hooks.blockShutdown(m_hWnd, reason);
}

BOOL CMainWnd::MaySessionEnd() {
    if (!m_runGate || m_runGate->Cancelled()) return TRUE;
    if (m_runGate->Cancel()) {
        m_runGivenUpForSession = true;
        return TRUE;
    }
    // Writing says no, with the reason (the worker's word may still be on
    // its way); a run whose writes are over lets the session end.
    HoldSession(m_runGate->Writing());
    return m_sessionHeld ? FALSE : TRUE;
}

void CMainWnd::OnEndSession() {
    m_sessionEnding = true;
    // The system ends the process when it will; until then the writes go on,
    // so that a volume cut short is the system's doing, never the tool's.
    if (m_runGate && !m_runGate->Cancel()) m_runGate->WaitWhileWriting(INFINITE);
    ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

void CMainWnd::ShowRunningButton() {
    // The run's drive is fixed: the box takes no choice until the result.
    // The focus rests on the progress, which a reader follows, not on a
    // control that could change what the run is about.
    if (m_pProgress && m_pProgress->IsVisible()) m_PaintManager.SetFocus(m_pProgress);
    m_pDriveCombo->SetEnabled(false);
    m_pFormatBtn->SetText(Localized(kFormatRunning));
    m_pFormatBtn->SetEnabled(false);
    m_pFormatBtn->SetNormalImage(kFormatDisabledImage);
}

void CMainWnd::ShowIdleButton() {
    m_pDriveCombo->SetEnabled(true);
    // The drive box takes back the focus the run's progress held.
    if (m_PaintManager.GetFocus() == m_pProgress && m_pDriveCombo->IsVisible()) {
        m_PaintManager.SetFocus(m_pDriveCombo);
    }
    m_pFormatBtn->SetText(Localized(kFormatIdle));
    if (m_drives.Count() > 0) {
        m_pFormatBtn->SetEnabled(true);
        m_pFormatBtn->SetNormalImage(kFormatImage);
    } else {
        ShowNoDriveFace();
    }
}

void CMainWnd::ShowProgress(int percent) {
    if (!m_pProgress) return;
    Facet::CDuiString text;
    text.Format(L"%d%%", percent);
    m_pProgress->SetText(text);
    m_pProgress->SetValue(percent);
    m_pProgress->SetVisible(true);
}

void CMainWnd::HideProgress() {
    if (m_pProgress) m_pProgress->SetVisible(false);
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
    HoldSession(false);
    // A run given up for a session's end that then went on wrote nothing:
    // the user is told why, not that the drive changed.
    const bool givenUp = m_runGivenUpForSession && result == fat32::kDriveChanged;
    m_runGivenUpForSession = false;
    const wchar_t letter = m_formatLetter;
    const DWORD disk = m_formatDisk;
    m_bFormatRunning = false;
    m_formatLetter = 0;
    m_formatDisk = kNoWholeDisk;
    m_runGate.reset();
    // The list is read afresh: an arrival during the run could not read the
    // locked volume and may have left it out, and the formatted drive now
    // holds a new file system and label. It stays the chosen drive, and the
    // picture keeps the frame the animation stopped at.
    const Facet::CDuiString frame = m_pDisk->GetBkImage();
    // A stick made whole is chosen by its disk: its new volume may have
    // another letter, or none yet.
    RebuildDriveList();
    const int byLetter = m_drives.IndexOf(letter);
    const int chosen =
        disk != kNoWholeDisk && (result == fat32::kFormatOk || byLetter < 0) ? m_drives.IndexOfDisk(disk) : byLetter;
    if (m_drives.HasDrives()) {
        ShowDrivesPresentFace(chosen);
    } else {
        ShowNoDriveFace();
    }
    if (chosen >= 0) m_pDisk->SetBkImage(frame);
    ShowIdleButton();
    HideProgress();
    if (givenUp)
        Ask(Localized(kGivenUpForSession), Localized(kWindowCaption), MB_OK | MB_ICONINFORMATION);
    else
        ShowResultBox(result);
}

LRESULT CMainWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& /*bHandled*/) {
    switch (uMsg) {
    case WM_TIMER:
        // Only the animation's own timer moves the picture, and only during a
        // run: a tick already queued when the run ended paints nothing.
        if (wParam == kAnimationTimer && m_bFormatRunning) AdvanceAnimation();
        break;
    case kFormatProgressMessage:
        if (m_bFormatRunning) ShowProgress(static_cast<int>(wParam));
        break;
    case kFormatDoneMessage:
        if (!m_bFormatRunning) break;
        // The close question is open: its answer decides first.
        if (m_askingToClose) {
            m_resultWaiting = true;
            m_waitingResult = static_cast<fat32::FormatResult>(wParam);
            break;
        }
        OnFormatComplete(static_cast<fat32::FormatResult>(wParam));
        break;
    case kWritingMessage:
        if (m_bFormatRunning) HoldSession(wParam != 0);
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
