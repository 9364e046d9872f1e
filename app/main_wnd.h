// CMainWnd: the tool's one window. It is built from the skin in the
// executable's resources, lists the USB drives in its combo box, and reacts
// to its caption buttons, the format button, the format worker's result and
// the system's device broadcasts.
#pragma once

#include <windows.h>

#include "drives/usb_drive_list.h"
#include "facet/window/window_impl_base.h"

namespace Facet {
class CButtonUI;
class CComboUI;
class CLabelUI;
}  // namespace Facet

namespace app {

class CMainWnd : public Facet::WindowImplBase {
public:
    explicit CMainWnd(drives::DriveQuery& query);
    // Ends the message loop: the process lives as long as its window.
    ~CMainWnd() override;

    void InitWindow() override;
    void Notify(Facet::TNotifyUI& msg) override;
    // Shows the drive table: the combo with one item per drive and the
    // drives-present face, or the no-drive face.
    void RefreshDeviceUI();

    // Whether a CMainWnd object exists (at most one does per process).
    static bool ObjectAlive();

    const drives::UsbDriveList& Drives() const { return m_drives; }
    Facet::CPaintManagerUI& PaintManager() { return m_PaintManager; }

protected:
    const wchar_t* GetWndClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    Facet::CDuiString GetSkinFolderName() override;
    Facet::CDuiString GetSkinFileName() override;
    Facet::UILIB_RESOURCETYPE GetResourceType() const override;

private:
    // Empties the combo, scans afresh and reads every drive's details.
    void RebuildDriveList();
    void ShowDrivesPresentFace();
    void ShowNoDriveFace();
    void OnFormatClick();

    drives::UsbDriveList m_drives;
    Facet::CButtonUI* m_pFormatBtn = nullptr;
    Facet::CControlUI* m_pDisk = nullptr;
    Facet::CLabelUI* m_pStatus = nullptr;
    Facet::CControlUI* m_pPrompt = nullptr;
    Facet::CControlUI* m_pPrompt1 = nullptr;
    Facet::CControlUI* m_pTitle = nullptr;
    Facet::CComboUI* m_pDriveCombo = nullptr;
};

// The process-wide handle of the main window, for the format worker's
// result message.
HWND MainWindowHandle();

}  // namespace app
