// WindowImplBase: a skinned, frameless top-level window. On WM_CREATE it loads
// the skin named by a few hooks, builds it with the dialog builder and attaches
// it to its paint manager; it answers the non-client messages from the skin's
// caption, size box and round corners, and routes messages to overridable
// handlers.
#pragma once

#include <windows.h>

#include "facet/core/dui_string.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/manager/ui_types.h"
#include "facet/markup/dialog_builder.h"
#include "facet/window/notify_pump.h"
#include "facet/window/window_wnd.h"

namespace Facet {

enum UILIB_RESOURCETYPE {
    UILIB_FILE = 1,      // skin files in a folder
    UILIB_ZIP = 2,       // a zip file
    UILIB_RESOURCE = 3,  // the executable's resources
    UILIB_ZIPRESOURCE,   // a zip archive held as a resource of type "ZIPRES"
};

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    WindowImplBase() = default;
    virtual ~WindowImplBase() = default;

    virtual void InitWindow() {}
    virtual void OnClick(TNotifyUI& msg);

    void Notify(TNotifyUI& msg) override;
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    CControlUI* CreateControl(const wchar_t* pstrClass) override;
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam);

protected:
    virtual CDuiString GetSkinFolderName() = 0;
    virtual CDuiString GetSkinFileName() = 0;
    virtual UILIB_RESOURCETYPE GetResourceType() const;
    virtual CDuiString GetZIPFileName() const;
    virtual const wchar_t* GetResourceID() const;

    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcCalcSize(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnMouseWheel(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnMouseHover(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LONG GetStyle();

    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    CPaintManagerUI m_PaintManager;
    static LPBYTE m_lpResourceZIPBuffer;

    DUI_DECLARE_MESSAGE_MAP()

private:
    // Loads the "ZIPRES" archive once per process and hands it to the paint
    // manager; false when the resource is missing, unloadable or empty.
    bool UseZipResource();
    CControlUI* BuildSkin();
};

}  // namespace Facet
