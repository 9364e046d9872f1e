// CMainWnd's identity and window hooks: class name, skin source, the caption
// double click it swallows, and its end, which ends the process's loop.
#include "app/main_wnd.h"

#include <utility>

#include "app/format_target.h"
#include "format/show_result.h"

namespace app {

namespace {
constexpr int kSkinResource = 154;
bool g_objectAlive = false;
}  // namespace

CMainWnd::CMainWnd(drives::DriveQuery& query, MainWndHooks hooks)
    : m_drives(query), m_hooks(std::move(hooks)) {
    if (!m_hooks.messageBox) m_hooks.messageBox = ::MessageBoxW;
    if (!m_hooks.showResult) m_hooks.showResult = fat32::ShowResult;
    if (!m_hooks.format) m_hooks.format = FormatDriveLetter;
    if (!m_hooks.blockShutdown) {
        m_hooks.blockShutdown = [](HWND window, const wchar_t* reason) {
            if (reason)
                ::ShutdownBlockReasonCreate(window, reason);
            else
                ::ShutdownBlockReasonDestroy(window);
        };
    }
    if (!m_hooks.recheck) {
        m_hooks.recheck = [](wchar_t letter, const drives::DriveIdentity& confirmed) {
            return RecheckConfirmedDrive(letter, confirmed);
        };
    }
    g_objectAlive = true;
}

CMainWnd::~CMainWnd() {
    g_objectAlive = false;
    ::PostQuitMessage(0);
}

bool CMainWnd::ObjectAlive() { return g_objectAlive; }

const wchar_t* CMainWnd::GetWndClassName() const { return L"VarqoCFAT32"; }

Facet::CDuiString CMainWnd::GetSkinFolderName() { return Facet::CDuiString(); }

Facet::CDuiString CMainWnd::GetSkinFileName() {
    Facet::CDuiString name;
    name.SmallFormat(L"%d", kSkinResource);
    return name;
}

Facet::UILIB_RESOURCETYPE CMainWnd::GetResourceType() const { return Facet::UILIB_RESOURCE; }

LRESULT CMainWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    // The window has one size: a double click on the caption strip must not
    // maximise or restore it.
    if (uMsg == WM_NCLBUTTONDBLCLK) return 0;
    // Every way to close (button, Escape, Alt+F4, the taskbar) ends in
    // WM_CLOSE. While one of the window's boxes is open, the code that opened
    // it still runs on this window: the close waits until the box is gone.
    // While the worker writes the drive, closing would end the run half way,
    // so the user is asked; a stick that hangs must not keep the window open
    // for ever. Signing out is asked to wait, with the reason given at the
    // run's start.
    // A close that comes while a box is open, the close question included,
    // waits for it and is then handed on: it is never dropped.
    if (uMsg == WM_CLOSE) {
        if (m_openBoxes > 0) {
            m_closeDeferred = true;
            return 0;
        }
        m_closeRequested = false;
        if (m_bFormatRunning && !m_sessionEnding && !MayCloseDuringRun()) return 0;
    }
    if (m_bFormatRunning && uMsg == WM_QUERYENDSESSION) return MaySessionEnd();
    // The system may override a no (a critical shutdown, or the user signing
    // out anyway); once this message returns the process may end at any
    // moment, so it returns only when the run's writes are over. When the
    // session goes on after all (FALSE), the run simply goes on.
    if (m_bFormatRunning && uMsg == WM_ENDSESSION) {
        if (wParam) OnEndSession();
        return 0;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void CMainWnd::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

}  // namespace app
