// CMainWnd: the tool's one window. It is built from the skin in the
// executable's resources, lists the USB drives in its combo box, runs a
// format of the chosen drive on a worker thread with an animated picture,
// and follows the system's device broadcasts.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "drives/usb_drive_list.h"
#include "facet/window/window_impl_base.h"
#include "app/format_target.h"
#include "format/format_result.h"

namespace Facet {
class CButtonUI;
class CComboUI;
class CLabelUI;
class CProgressUI;
}  // namespace Facet

namespace app {

class RunGate;
struct FormatParams;

// Owns a registration for device notifications (HDEVNOTIFY).
struct DeviceNotificationCloser {
    void operator()(void* notification) const;
};

// What the window reaches outside itself for a format run; tests replace
// them. The defaults are the system's boxes and the linked format target.
struct MainWndHooks {
    std::function<int(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style)> messageBox;
    std::function<void(HWND owner, fat32::FormatResult result)> showResult;
    // Called on the worker thread; the job's proof must be run on the locked
    // volume before anything is written.
    std::function<fat32::FormatResult(const FormatJob& job)> format;
    // Called on the worker thread right before the engine opens the volume:
    // kFormatOk while the letter is still a USB drive with the identity the
    // user confirmed, else the reason (RecheckConfirmedDrive's answers). The
    // default asks a drive query of the worker's own.
    std::function<fat32::FormatResult(wchar_t letter, const drives::DriveIdentity& confirmed)> recheck;
    // Names what holds the session's end while a run writes, or (null)
    // withdraws it. The default is the system's shutdown block reason.
    std::function<void(HWND window, const wchar_t* reason)> blockShutdown;
    // The worker's pause before and after the engine runs.
    DWORD pauseMs = 3000;
};

class CMainWnd : public Facet::WindowImplBase {
public:
    explicit CMainWnd(drives::DriveQuery& query, MainWndHooks hooks = {});
    // Ends the message loop: the process lives as long as its window.
    ~CMainWnd() override;

    void InitWindow() override;
    void Notify(Facet::TNotifyUI& msg) override;
    // Shows the drive table: the combo with one item per drive and the
    // drives-present face, or the no-drive face.
    void RefreshDeviceUI();
    // Takes the drive of that letter out of the combo and the table.
    void RemoveDriveFromList(const char* letter);

    // Whether a CMainWnd object exists (at most one does per process).
    static bool ObjectAlive();
    bool FormatRunning() const { return m_bFormatRunning; }
    const drives::UsbDriveList& Drives() const { return m_drives; }
    Facet::CPaintManagerUI& PaintManager() { return m_PaintManager; }

protected:
    const wchar_t* GetWndClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    Facet::CDuiString GetSkinFolderName() override;
    Facet::CDuiString GetSkinFileName() override;
    Facet::UILIB_RESOURCETYPE GetResourceType() const override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

private:
    // Controller.
    void RebuildDriveList();
    // Lists the drives and chooses entry `chosen` (the last one when it is
    // not listed).
    void ShowDrivesPresentFace(int chosen = -1);
    // The names a screen reader gives the controls without text.
    void NameControlsForReaders();
    // The run's percentage and the button's readable running text.
    void AddProgress();
    void ShowNoDriveFace();
    // The combo item's text for table entry `index`, read afresh.
    Facet::CDuiString DriveItemText(int index);
    // "E: (LABEL) FAT32 14.6GB", the volume's texts read afresh.
    Facet::CDuiString VolumeText(wchar_t letter, std::uint32_t totalMb);
    // The drive's label now, empty when it cannot be read.
    Facet::CDuiString ReadLabel(wchar_t letter);

    // Format job.
    void OnFormatClick();
    void StartFormat(wchar_t letter);
    // Whole sticks. The answer to the offer made for a stick that is not
    // whole: the whole stick, the volume only as it is, or nothing.
    enum class Offer { Whole, VolumeOnly, Cancel };
    Offer OfferWholeStick(wchar_t letter, DWORD& disk, fat32::DiskFacts& facts);
    // Asks the whole stick's confirmation, naming every volume it loses,
    // and starts the run on Yes.
    void ConfirmWholeStick(DWORD disk, const fat32::DiskFacts& facts, wchar_t letter);
    Facet::CDuiString WholeStickWarning(DWORD disk, const fat32::DiskFacts& facts);
    // kFormatOk while the disk is as the user confirmed it.
    fat32::FormatResult CheckConfirmedDisk();
    void StartWholeFormat(const std::wstring& label);
    // Hands the block to a new worker thread; a thread that cannot start
    // ends the run with kInternalError.
    void LaunchWorker(FormatParams* block);
    // A confirmed run begins: its progress, the busy button, the animation.
    void ShowRunning();
    void ShowRunningButton();
    // The button as the drive table says, after a run or an aborted start.
    void ShowIdleButton();
    void AdvanceAnimation();
    // The run's percentage beside the button, and the bar a reader hears.
    void ShowProgress(int percent);
    void HideProgress();
    void OnFormatComplete(fat32::FormatResult result);
    // kFormatOk while the letter is still a listed USB drive, the one the
    // user confirmed and not removed since; else the reason to stop.
    fat32::FormatResult CheckConfirmedDrive(wchar_t letter);
    // A start given up before the worker began: back to idle, no result box.
    void AbandonStart();
    // The system asks whether the session may end: a run not yet writing is
    // given up, one writing says no.
    BOOL MaySessionEnd();
    // The session ends: a run not yet writing is cancelled, one writing is
    // waited for as long as the system lets the process live, then the
    // window closes.
    void OnEndSession();
    // Every box of the window goes through these two: a close request that
    // comes while one is open waits until it has closed.
    int Ask(const wchar_t* text, const wchar_t* caption, UINT style);
    void ShowResultBox(fat32::FormatResult result);
    // While a run writes the drive, a close asks first; true to go on closing.
    bool MayCloseDuringRun();
    // Registers (or withdraws) the reason that holds the session's end.
    void HoldSession(bool hold);
    class BoxOpen;

    // Device changes.
    void RegisterForSticks();
    void OnDeviceChange(WPARAM event, LPARAM data);

    drives::UsbDriveList m_drives;
    MainWndHooks m_hooks;
    std::unique_ptr<void, DeviceNotificationCloser> m_stickNotification;
    Facet::CButtonUI* m_pFormatBtn = nullptr;
    Facet::CControlUI* m_pDisk = nullptr;
    Facet::CLabelUI* m_pStatus = nullptr;
    Facet::CControlUI* m_pPrompt = nullptr;
    Facet::CControlUI* m_pPrompt1 = nullptr;
    Facet::CControlUI* m_pTitle = nullptr;
    Facet::CComboUI* m_pDriveCombo = nullptr;
    Facet::CProgressUI* m_pProgress = nullptr;
    bool m_bFormatRunning = false;
    // The drive of the run in progress, 0 when none, and who it was when the
    // user confirmed it.
    wchar_t m_formatLetter = 0;
    drives::DriveIdentity m_formatIdentity;
    // A whole stick's run: its disk (kNoWholeDisk for a volume's run) and
    // its facts when the user confirmed it.
    DWORD m_formatDisk = kNoWholeDisk;
    fat32::DiskFacts m_formatDiskFacts;
    std::wstring m_formatDiskId;  // the USB device's identifier
    // Shared with the worker from the question on: a removal of the letter
    // or the session's end cancels the run until the worker starts writing.
    std::shared_ptr<RunGate> m_runGate;
    int m_openBoxes = 0;
    bool m_closeDeferred = false;
    // A close came during a box and was handed on: no run may start now.
    bool m_closeRequested = false;
    bool m_askingToClose = false;
    bool m_sessionEnding = false;
    // The session's end gave up the pending run; if the session goes on
    // after all, the user is told so instead of the run's result.
    bool m_runGivenUpForSession = false;
    bool m_sessionHeld = false;
    // A run that ended while the close question was open.
    bool m_resultWaiting = false;
    fat32::FormatResult m_waitingResult = fat32::kFormatOk;
};

// The worker's default check before it formats: asks a drive query of its
// own thread whether the letter is still that USB drive. kFormatOk, or
// kDriveChanged (gone or another medium), kLockFailed (held by another
// program) or kGeometryFailed (does not answer).
fat32::FormatResult RecheckConfirmedDrive(wchar_t letter, const drives::DriveIdentity& confirmed);
// The same, asked of the given query.
fat32::FormatResult RecheckConfirmedDrive(drives::DriveQuery& query, wchar_t letter,
                                          const drives::DriveIdentity& confirmed);

// "1023MB" below a gigabyte, "14.6GB" from there on.
Facet::CDuiString SizeText(std::uint32_t totalMb);

// The worker's check before it formats a whole stick: asks a drive query of
// its own thread whether disk `number` is still the USB device `id` with the
// facts the user confirmed. kFormatOk or kDriveChanged.
fat32::FormatResult RecheckConfirmedDisk(DWORD number, const std::wstring& id, const fat32::DiskFacts& confirmed);
fat32::FormatResult RecheckConfirmedDisk(drives::DriveQuery& query, DWORD number, const std::wstring& id,
                                         const fat32::DiskFacts& confirmed);

// The process-wide handle of the main window, for the format worker's
// result message.
HWND MainWindowHandle();

// The worker's result message: wParam is the FormatResult.
inline constexpr UINT kFormatDoneMessage = WM_USER + 1;
// The worker's progress message: wParam is the percentage done (0 to 100).
// The worker sends a few a second at most, so a reader can follow them.
inline constexpr UINT kFormatProgressMessage = WM_USER + 2;
// The worker's word that its writes began (wParam 1) or are over (0): the
// session's end is held exactly while they go on.
inline constexpr UINT kWritingMessage = WM_USER + 3;
// The disk picture's animation timer.
inline constexpr UINT_PTR kAnimationTimer = 2016;

}  // namespace app
