// CPaintManagerUI::MessageHandler: turns the window's messages into events
// for the control under the mouse or with the focus, keeping track of the
// hovered, pressed and key-receiving control, and drains the notification
// queue before and after each message.
#include <windowsx.h>

#include "facet/controls/control_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

constexpr UINT kDelayedCleanupMessage = WM_APP + 1;

// The tooltip window class lives in comctl32. Importing that library costs
// tens of milliseconds at every start under Wine, for a class most windows
// never show, so it is loaded with the first tooltip and kept for the
// process, like the tooltip class it registers.
bool LoadTooltipClass() {
    static const bool loaded = [] {
        HMODULE comctl = ::LoadLibraryW(L"comctl32.dll");
        if (!comctl) return false;
        using InitProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto init = reinterpret_cast<InitProc>(
            reinterpret_cast<void*>(::GetProcAddress(comctl, "InitCommonControlsEx")));
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_WIN95_CLASSES};
        return init && init(&classes);
    }();
    return loaded;
}
// Controls of the child windows answer their own notifications when they
// come back under this offset (OCM_ in the platform's headers).
constexpr UINT kReflectOffset = 0x2000;

POINT PointFromLParam(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

WORD CPaintManagerUI::KeyStateNow() {
    WORD state = 0;
    if (::GetKeyState(VK_LBUTTON) < 0) state |= KeyStateLButton;
    if (::GetKeyState(VK_RBUTTON) < 0) state |= KeyStateRButton;
    if (::GetKeyState(VK_SHIFT) < 0) state |= KeyStateShift;
    if (::GetKeyState(VK_CONTROL) < 0) state |= KeyStateControl;
    if (::GetKeyState(VK_MENU) < 0) state |= KeyStateAlt;
    return state;
}

TEventUI CPaintManagerUI::MakeEvent(int type, CControlUI* sender, POINT pt) const {
    TEventUI event;
    event.type = type;
    event.sender = sender;
    event.timestamp = ::GetTickCount();
    event.mousePoint = pt;
    return event;
}

void CPaintManagerUI::DeliverEvent(CControlUI* pControl, TEventUI& event) {
    if (pControl) pControl->Event(event);
}

bool CPaintManagerUI::IsOwnControl(CControlUI* pControl) const {
    return pControl && pControl->GetManager() == this;
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    if (!m_hWndPaint) return false;
    DrainAsyncNotify();

    for (int i = 0; i < m_aMessageFilters.GetSize(); ++i) {
        bool handled = false;
        const LRESULT result = static_cast<IMessageFilterUI*>(m_aMessageFilters[i])
                                   ->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled) {
            lRes = result;
            return true;
        }
    }

    if (OnAccessibleMessage(uMsg, wParam, lParam, lRes)) return true;
    if (OnFocusMessage(uMsg, wParam, lParam, lRes)) return true;
    OnSystemColorsChanged(uMsg);
    switch (uMsg) {
    case kDelayedCleanupMessage:
        DeleteDelayedCleanup();
        break;
    case WM_CLOSE: {
        EndMouseInput();
        SetFocus(nullptr);
        HWND owner = ::GetWindow(m_hWndPaint, GW_OWNER);
        if (owner) ::SetFocus(owner);
        break;
    }
    case WM_ERASEBKGND:
        lRes = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_PRINTCLIENT:
        OnPrintClient(reinterpret_cast<HDC>(wParam), lParam);
        break;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (!info) break;
        const SIZE minimum = m_dpiScale.Scale(m_szMinWindow);
        const SIZE maximum = m_dpiScale.Scale(m_szMaxWindow);
        if (minimum.cx > 0) info->ptMinTrackSize.x = minimum.cx;
        if (minimum.cy > 0) info->ptMinTrackSize.y = minimum.cy;
        if (maximum.cx > 0) info->ptMaxTrackSize.x = maximum.cx;
        if (maximum.cy > 0) info->ptMaxTrackSize.y = maximum.cy;
        break;
    }
    case WM_DPICHANGED:
        OnDpiChanged(wParam, lParam);
        return true;
    case WM_SIZE:
        if (m_pFocus) {
            TEventUI event = MakeEvent(EventWindowSize, m_pFocus, m_ptLastMousePos);
            DeliverEvent(m_pFocus, event);
        }
        if (m_pRoot) m_pRoot->NeedUpdate();
        return true;
    case WM_TIMER:
        OnTimer(wParam);
        break;
    case WM_MOUSEHOVER:
        if (OnMouseHover(PointFromLParam(lParam))) return true;
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(PointFromLParam(lParam));
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        OnButtonDown(uMsg, wParam, lParam);
        break;
    case WM_LBUTTONUP:
        OnButtonUp(wParam, lParam);
        break;
    case WM_CONTEXTMENU:
        OnContextMenu(wParam, lParam);
        break;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam, lParam);
        break;
    case WM_SETCURSOR:
        if (OnSetCursor(wParam, lParam)) return true;
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        OnKey(uMsg, wParam);
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header) lRes = ::SendMessageW(header->hwndFrom, kReflectOffset + uMsg, wParam, lParam);
        return true;
    }
    case WM_COMMAND:
        if (lParam == 0) break;
        lRes = ::SendMessageW(reinterpret_cast<HWND>(lParam), kReflectOffset + uMsg, wParam, lParam);
        return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (lParam == 0) break;
        lRes = ::SendMessageW(reinterpret_cast<HWND>(lParam), kReflectOffset + uMsg, wParam, lParam);
        return true;
    default:
        break;
    }

    DrainAsyncNotify();
    return false;
}

// Mouse ----------------------------------------------------------------------

void CPaintManagerUI::StartMouseTracking() {
    TRACKMOUSEEVENT tme = {};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = m_hWndPaint;
    tme.dwHoverTime = m_hwndTooltip ? static_cast<DWORD>(::SendMessageW(
                                          m_hwndTooltip.get(), TTM_GETDELAYTIME, TTDT_INITIAL, 0))
                                    : 400;
    // user32's own call: comctl32's _TrackMouseEvent only forwards to it.
    ::TrackMouseEvent(&tme);
    m_bMouseTracking = true;
}

void CPaintManagerUI::OnMouseMove(POINT pt) {
    if (!m_bMouseTracking) StartMouseTracking();
    m_ptLastMousePos = pt;
    CControlUI* control = FindControl(pt);
    if (control && !IsOwnControl(control)) return;

    // Each delivery may destroy what it is delivered to; the watches tell.
    CControlWatch found(control);
    if (control != m_pEventHover && m_pEventHover) {
        CControlUI* old = m_pEventHover;
        TEventUI event = MakeEvent(EventMouseLeave, old, pt);
        DeliverEvent(old, event);
        m_pEventHover = nullptr;
        HideTooltip();
    }
    control = found.Get();
    if (control && control != m_pEventHover) {
        TEventUI event = MakeEvent(EventMouseEnter, control, pt);
        DeliverEvent(control, event);
        if (found) m_pEventHover = found.Get();
    }
    CControlUI* target = m_pEventClick ? m_pEventClick : found.Get();
    if (target) {
        TEventUI event = MakeEvent(EventMouseMove, target, pt);
        DeliverEvent(target, event);
    }
}

void CPaintManagerUI::EndMouseInput() {
    // Each pointer is cleared before its event, so a handler that destroys
    // the control (or the other one) leaves nothing stale behind.
    if (CControlUI* hover = m_pEventHover) {
        m_pEventHover = nullptr;
        HideTooltip();
        TEventUI event = MakeEvent(EventMouseLeave, hover, m_ptLastMousePos);
        DeliverEvent(hover, event);
    }
    if (CControlUI* pressed = m_pEventClick) {
        m_pEventClick = nullptr;
        if (m_bMouseCapture) ReleaseCapture();
        TEventUI event = MakeEvent(EventButtonUp, pressed, m_ptLastMousePos);
        DeliverEvent(pressed, event);
    }
}

bool CPaintManagerUI::OnMouseHover(POINT pt) {
    m_bMouseTracking = false;
    CControlUI* control = FindControl(pt);
    if (!control) return false;
    CControlWatch found(control);
    if (m_pEventHover) {
        TEventUI event = MakeEvent(EventMouseHover, m_pEventHover, pt);
        DeliverEvent(m_pEventHover, event);
    }
    if (found) ShowTooltip(found.Get());
    return true;
}

void CPaintManagerUI::OnMouseLeave() {
    HideTooltip();
    // A move to (-1, -1) hits nothing, so the hovered control hears it left.
    if (m_bMouseTracking) ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    m_bMouseTracking = false;
}

void CPaintManagerUI::HideTooltip() {
    if (m_hwndTooltip) ::SendMessageW(m_hwndTooltip.get(), TTM_TRACKACTIVATE, FALSE, 0);
}

void CPaintManagerUI::ShowTooltip(CControlUI* pControl) {
    const CDuiString text = pControl->GetToolTip();
    if (text.IsEmpty()) return;
    // The tool keeps this text while it shows; it lives as long as the tip.
    m_sToolTipText = text;
    m_ToolTip = {};
    m_ToolTip.cbSize = TTTOOLINFOW_V2_SIZE;
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = m_hInstance;
    m_ToolTip.lpszText = const_cast<wchar_t*>(m_sToolTipText.GetData());
    m_ToolTip.rect = pControl->GetPos();
    if (!m_hwndTooltip) {
        if (!LoadTooltipClass()) return;
        m_hwndTooltip.reset(::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr,
                                              WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                              CW_USEDEFAULT, m_hWndPaint, nullptr, m_hInstance,
                                              nullptr));
        if (!m_hwndTooltip) return;
        ::SendMessageW(m_hwndTooltip.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    ::SendMessageW(m_hwndTooltip.get(), TTM_SETMAXTIPWIDTH, 0, pControl->GetToolTipWidth());
    ::SendMessageW(m_hwndTooltip.get(), TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    ::SendMessageW(m_hwndTooltip.get(), TTM_TRACKACTIVATE, TRUE,
                   reinterpret_cast<LPARAM>(&m_ToolTip));
}

void CPaintManagerUI::OnButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    ::SetFocus(m_hWndPaint);
    const POINT pt = PointFromLParam(lParam);
    m_ptLastMousePos = pt;
    CControlUI* control = FindControl(pt);
    if (!control || !IsOwnControl(control)) return;
    CControlWatch found(control);

    TEventUI event = MakeEvent(EventButtonDown, control, pt);
    event.keyState = LOWORD(wParam);
    if (uMsg == WM_LBUTTONDOWN) {
        m_pEventClick = control;
        event.wParam = wParam;
        event.lParam = lParam;
    } else if (uMsg == WM_LBUTTONDBLCLK) {
        event.type = EventDblClick;
    } else {
        event.type = EventRButtonDown;
        event.wParam = wParam;
        event.lParam = lParam;
    }
    // The focus events may destroy the control; it then takes no capture.
    if (uMsg != WM_LBUTTONDBLCLK) control->SetFocus();
    if (!found) return;
    SetCapture();
    DeliverEvent(control, event);
    if (uMsg != WM_LBUTTONDOWN && found) m_pEventClick = found.Get();
    // A control destroyed by its own press would never see the release that
    // gives the mouse back.
    if (!m_pEventClick && m_bMouseCapture) ReleaseCapture();
}

void CPaintManagerUI::OnButtonUp(WPARAM wParam, LPARAM lParam) {
    const POINT pt = PointFromLParam(lParam);
    m_ptLastMousePos = pt;
    if (!m_pEventClick) return;
    ReleaseCapture();
    CControlUI* control = m_pEventClick;
    TEventUI event = MakeEvent(EventButtonUp, control, pt);
    event.wParam = wParam;
    event.lParam = lParam;
    event.keyState = LOWORD(wParam);
    DeliverEvent(control, event);
    m_pEventClick = nullptr;
}

void CPaintManagerUI::OnContextMenu(WPARAM wParam, LPARAM lParam) {
    POINT pt = PointFromLParam(lParam);
    ::ScreenToClient(m_hWndPaint, &pt);
    m_ptLastMousePos = pt;
    if (!m_pEventClick) return;
    ReleaseCapture();
    CControlUI* control = m_pEventClick;
    TEventUI event = MakeEvent(EventContextMenu, control, pt);
    event.keyState = LOWORD(wParam);
    event.lParam = reinterpret_cast<LPARAM>(control);
    DeliverEvent(control, event);
    m_pEventClick = nullptr;
}

void CPaintManagerUI::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    POINT pt = PointFromLParam(lParam);
    ::ScreenToClient(m_hWndPaint, &pt);
    m_ptLastMousePos = pt;
    CControlUI* control = FindControl(pt);
    if (!control || !IsOwnControl(control)) return;
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    TEventUI event = MakeEvent(EventScrollWheel, control, pt);
    event.wParam = delta < 0 ? 1 : 0;
    event.lParam = lParam;
    event.keyState = KeyStateNow();
    DeliverEvent(control, event);
    // Content under the mouse may have scrolled: hover follows it.
    ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
}

bool CPaintManagerUI::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(lParam) != HTCLIENT) return false;
    if (m_bMouseCapture) return true;
    POINT pt = {0, 0};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWndPaint, &pt);
    CControlUI* control = FindControl(pt);
    if (!control || (control->GetControlFlags() & ControlFlagSetCursor) == 0) return false;
    TEventUI event = MakeEvent(EventSetCursor, control, pt);
    event.wParam = wParam;
    event.lParam = lParam;
    event.keyState = KeyStateNow();
    DeliverEvent(control, event);
    return true;
}

// Keyboard -------------------------------------------------------------------

void CPaintManagerUI::OnKey(UINT uMsg, WPARAM wParam) {
    CControlUI* target = uMsg == WM_KEYUP ? m_pEventKey : m_pFocus;
    if (!target) return;
    const int type = uMsg == WM_KEYDOWN ? EventKeyDown : uMsg == WM_KEYUP ? EventKeyUp : EventChar;
    TEventUI event = MakeEvent(type, nullptr, m_ptLastMousePos);
    event.keyChar = static_cast<wchar_t>(LOWORD(wParam));
    event.keyState = KeyStateNow();
    if (uMsg == WM_KEYDOWN) {
        ShowFocusCues();
        CControlWatch watch(target);
        DeliverEvent(target, event);
        m_pEventKey = watch.Get();
    } else {
        DeliverEvent(target, event);
        if (uMsg == WM_KEYUP) m_pEventKey = nullptr;
    }
}

}  // namespace Facet
