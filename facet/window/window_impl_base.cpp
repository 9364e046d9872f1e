// The skinned window's message routing, skin loading, non-client handling,
// key filter and default click handling.
#include "facet/window/window_impl_base.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "facet/controls/control_ui.h"

namespace Facet {

LPBYTE WindowImplBase::m_lpResourceZIPBuffer = nullptr;

namespace {

DWORD g_resourceZipSize = 0;

MONITORINFO MonitorOf(HWND hWnd) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &info);
    return info;
}

}  // namespace

DUI_BEGIN_MESSAGE_MAP(WindowImplBase, CNotifyPump)
DUI_ON_MSGTYPE(L"click", WindowImplBase::OnClick)
DUI_END_MESSAGE_MAP()

UINT WindowImplBase::GetClassStyle() const { return CS_DBLCLKS; }

UILIB_RESOURCETYPE WindowImplBase::GetResourceType() const { return UILIB_FILE; }

CDuiString WindowImplBase::GetZIPFileName() const { return CDuiString(); }

const wchar_t* WindowImplBase::GetResourceID() const { return L""; }

CControlUI* WindowImplBase::CreateControl(const wchar_t* /*pstrClass*/) { return nullptr; }

LONG WindowImplBase::GetStyle() {
    const LONG styleValue = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    return styleValue & ~static_cast<LONG>(WS_CAPTION);
}

void WindowImplBase::Notify(TNotifyUI& msg) { NotifyPump(msg); }

void WindowImplBase::OnClick(TNotifyUI& msg) {
    if (!msg.sender) return;
    const CDuiString name = msg.sender->GetName();
    if (name == L"closebtn") {
        Close(IDOK);
    } else if (name == L"minbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == L"maxbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (name == L"restorebtn") {
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    }
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM wParam) {
    if (wParam == VK_ESCAPE) {
        Close(IDOK);
        return TRUE;
    }
    return FALSE;
}

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM /*lParam*/,
                                       bool& /*bHandled*/) {
    // The flag stays as it is, so the key goes on to the controls as well.
    if (uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        return ResponseDefaultKeyEvent(wParam);
    }
    return 0;
}

void WindowImplBase::OnFinalMessage(HWND /*hWnd*/) {
    m_PaintManager.RemovePreMessageFilter(this);
    m_PaintManager.RemoveNotifier(this);
    m_PaintManager.ReapObjects(m_PaintManager.GetRoot());
}

#define WINDOW_BASE_UNHANDLED(name)                                                      \
    LRESULT WindowImplBase::name(UINT, WPARAM, LPARAM, bool& bHandled) {               \
        bHandled = false;                                                                \
        return 0;                                                                        \
    }
WINDOW_BASE_UNHANDLED(OnClose)
WINDOW_BASE_UNHANDLED(OnDestroy)
WINDOW_BASE_UNHANDLED(OnMouseWheel)
WINDOW_BASE_UNHANDLED(OnMouseHover)
WINDOW_BASE_UNHANDLED(OnChar)
WINDOW_BASE_UNHANDLED(OnKeyDown)
WINDOW_BASE_UNHANDLED(OnKillFocus)
WINDOW_BASE_UNHANDLED(OnSetFocus)
WINDOW_BASE_UNHANDLED(OnLButtonDown)
WINDOW_BASE_UNHANDLED(OnLButtonUp)
WINDOW_BASE_UNHANDLED(OnMouseMove)
WINDOW_BASE_UNHANDLED(HandleCustomMessage)
#undef WINDOW_BASE_UNHANDLED

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool& /*bHandled*/) { return 0; }

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& bHandled) {
    if (::IsIconic(m_hWnd)) bHandled = false;
    // The skin draws the whole window; the system must paint no frame.
    return (wParam == 0) ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM lParam, bool& /*bHandled*/) {
    if (!::IsZoomed(m_hWnd)) return 0;  // the client area is the whole window
    // A maximised window would otherwise cover the task bar: fit the work area.
    const MONITORINFO info = MonitorOf(m_hWnd);
    RECT* rc = &reinterpret_cast<LPNCCALCSIZE_PARAMS>(lParam)->rgrc[0];
    rc->right = rc->left + (info.rcWork.right - info.rcWork.left);
    rc->bottom = rc->top + (info.rcWork.bottom - info.rcWork.top);
    return WVR_HREDRAW | WVR_VREDRAW;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool& /*bHandled*/) {
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(m_hWnd, &pt);
    RECT rcClient = {};
    ::GetClientRect(m_hWnd, &rcClient);

    if (!::IsZoomed(m_hWnd)) {
        const RECT rcSizeBox = m_PaintManager.GetDpiScale().Scale(m_PaintManager.GetSizeBox());
        const bool left = pt.x < rcClient.left + rcSizeBox.left;
        const bool right = pt.x > rcClient.right - rcSizeBox.right;
        if (pt.y < rcClient.top + rcSizeBox.top) {
            return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
        }
        if (pt.y > rcClient.bottom - rcSizeBox.bottom) {
            return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
        }
        if (left) return HTLEFT;
        if (right) return HTRIGHT;
    }

    const RECT rcCaption = m_PaintManager.GetDpiScale().Scale(m_PaintManager.GetCaptionRect());
    if (pt.x >= rcClient.left + rcCaption.left && pt.x < rcClient.right - rcCaption.right &&
        pt.y >= rcCaption.top && pt.y < rcCaption.bottom) {
        CControlUI* pControl = m_PaintManager.FindControl(pt);
        if (pControl && ::lstrcmpiW(pControl->GetClass(), L"ButtonUI") != 0 &&
            ::lstrcmpiW(pControl->GetClass(), L"OptionUI") != 0 &&
            ::lstrcmpiW(pControl->GetClass(), L"TextUI") != 0) {
            return HTCAPTION;
        }
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& bHandled) {
    const MONITORINFO info = MonitorOf(m_hWnd);
    auto* lpMMI = reinterpret_cast<LPMINMAXINFO>(lParam);
    lpMMI->ptMaxPosition.x = info.rcWork.left - info.rcMonitor.left;
    lpMMI->ptMaxPosition.y = info.rcWork.top - info.rcMonitor.top;
    lpMMI->ptMaxTrackSize.x = info.rcWork.right - info.rcWork.left;
    lpMMI->ptMaxTrackSize.y = info.rcWork.bottom - info.rcWork.top;
    const SIZE minimum = m_PaintManager.GetDpiScale().Scale(m_PaintManager.GetMinInfo());
    lpMMI->ptMinTrackSize.x = minimum.cx;
    lpMMI->ptMinTrackSize.y = minimum.cy;
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& bHandled) {
    const SIZE szRoundCorner = m_PaintManager.GetDpiScale().Scale(m_PaintManager.GetRoundCorner());
    if (!::IsIconic(m_hWnd) && (szRoundCorner.cx != 0 || szRoundCorner.cy != 0)) {
        RECT rcWnd = {};
        ::GetWindowRect(m_hWnd, &rcWnd);
        ::OffsetRect(&rcWnd, -rcWnd.left, -rcWnd.top);
        rcWnd.right++;
        rcWnd.bottom++;
        HRGN hRgn = ::CreateRoundRectRgn(rcWnd.left, rcWnd.top, rcWnd.right, rcWnd.bottom,
                                         szRoundCorner.cx, szRoundCorner.cy);
        // On success the system owns the region; only a refused one is ours.
        if (hRgn && !::SetWindowRgn(m_hWnd, hRgn, TRUE)) ::DeleteObject(hRgn);
    }
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& /*bHandled*/) {
    if (wParam == SC_CLOSE) {
        SendMessage(WM_CLOSE, 0, 0);
        return 0;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

bool WindowImplBase::UseZipResource() {
    if (!m_lpResourceZIPBuffer) {
        HINSTANCE module = CPaintManagerUI::GetResourceDll();
        HRSRC hResource = ::FindResourceW(module, GetResourceID(), L"ZIPRES");
        if (!hResource) return false;
        HGLOBAL hGlobal = ::LoadResource(module, hResource);
        if (!hGlobal) return false;
        const DWORD size = ::SizeofResource(module, hResource);
        const void* bytes = ::LockResource(hGlobal);
        if (size == 0 || !bytes) return false;
        // Kept for the life of the process: the paint manager reads the
        // archive from this block whenever a skin file or image is needed.
        m_lpResourceZIPBuffer = new BYTE[size];
        std::memcpy(m_lpResourceZIPBuffer, bytes, size);
        g_resourceZipSize = size;
    }
    CPaintManagerUI::SetResourceZip(m_lpResourceZIPBuffer, g_resourceZipSize);
    return true;
}

CControlUI* WindowImplBase::BuildSkin() {
    CDialogBuilder builder;
    const CDuiString skin = GetSkinFileName();
    if (GetResourceType() == UILIB_RESOURCE) {
        const unsigned int id = static_cast<unsigned int>(_wtoi(skin.GetData()));
        return builder.Create(STRINGorID(id), L"xml", this, &m_PaintManager);
    }
    return builder.Create(STRINGorID(skin.GetData()), nullptr, this, &m_PaintManager);
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool& /*bHandled*/) {
    LONG styleValue = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    styleValue &= ~static_cast<LONG>(WS_CAPTION);
    ::SetWindowLongW(m_hWnd, GWL_STYLE, styleValue | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    RECT rcClient = {};
    ::GetClientRect(m_hWnd, &rcClient);
    ::SetWindowPos(m_hWnd, nullptr, rcClient.left, rcClient.top, rcClient.right - rcClient.left,
                   rcClient.bottom - rcClient.top, SWP_FRAMECHANGED);

    m_PaintManager.Init(m_hWnd);
    m_PaintManager.AddPreMessageFilter(this);

    CDuiString strResourcePath = CPaintManagerUI::GetInstancePath();
    strResourcePath += GetSkinFolderName().GetData();
    CPaintManagerUI::SetResourcePath(strResourcePath.GetData());

    switch (GetResourceType()) {
        case UILIB_ZIP:
            CPaintManagerUI::SetResourceZip(GetZIPFileName().GetData(), true);
            break;
        case UILIB_ZIPRESOURCE:
            if (!UseZipResource()) return 0;
            break;
        default:
            break;
    }

    CControlUI* pRoot = BuildSkin();
    if (!pRoot) {
        ::MessageBoxW(nullptr, L"加载资源文件失败", L"Facet", MB_ICONERROR);
        ::ExitProcess(1);
    }
    m_PaintManager.AttachDialog(pRoot);
    m_PaintManager.AddNotifier(this);
    m_PaintManager.SetBackgroundTransparent(true);

    InitWindow();
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT lRes = 0;
    bool bHandled = true;
    switch (uMsg) {
        case WM_CREATE: lRes = OnCreate(uMsg, wParam, lParam, bHandled); break;
        case WM_DESTROY: lRes = OnDestroy(uMsg, wParam, lParam, bHandled); break;
        case WM_SIZE: lRes = OnSize(uMsg, wParam, lParam, bHandled); break;
        case WM_SETFOCUS: lRes = OnSetFocus(uMsg, wParam, lParam, bHandled); break;
        case WM_KILLFOCUS: lRes = OnKillFocus(uMsg, wParam, lParam, bHandled); break;
        case WM_CLOSE: lRes = OnClose(uMsg, wParam, lParam, bHandled); break;
        case WM_GETMINMAXINFO: lRes = OnGetMinMaxInfo(uMsg, wParam, lParam, bHandled); break;
        case WM_NCCALCSIZE: lRes = OnNcCalcSize(uMsg, wParam, lParam, bHandled); break;
        case WM_NCHITTEST: lRes = OnNcHitTest(uMsg, wParam, lParam, bHandled); break;
        case WM_NCPAINT: lRes = OnNcPaint(uMsg, wParam, lParam, bHandled); break;
        case WM_NCACTIVATE: lRes = OnNcActivate(uMsg, wParam, lParam, bHandled); break;
        case WM_KEYDOWN: lRes = OnKeyDown(uMsg, wParam, lParam, bHandled); break;
        case WM_CHAR: lRes = OnChar(uMsg, wParam, lParam, bHandled); break;
        case WM_SYSCOMMAND: lRes = OnSysCommand(uMsg, wParam, lParam, bHandled); break;
        case WM_MOUSEMOVE: lRes = OnMouseMove(uMsg, wParam, lParam, bHandled); break;
        case WM_LBUTTONDOWN: lRes = OnLButtonDown(uMsg, wParam, lParam, bHandled); break;
        case WM_LBUTTONUP: lRes = OnLButtonUp(uMsg, wParam, lParam, bHandled); break;
        case WM_MOUSEWHEEL: lRes = OnMouseWheel(uMsg, wParam, lParam, bHandled); break;
        case WM_MOUSEHOVER: lRes = OnMouseHover(uMsg, wParam, lParam, bHandled); break;
        default: bHandled = false; break;
    }
    if (bHandled) return lRes;

    lRes = HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled) return lRes;

    if (m_PaintManager.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

}  // namespace Facet
