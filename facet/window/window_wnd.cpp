// Class registration, creation, the two window procedures with the object
// mapping, subclassing, modal loop and the small window helpers.
#include "facet/window/window_wnd.h"

#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

constexpr wchar_t kWindowObjectProperty[] = L"WndX";

// The object pointer is stored pointer-wide: the 32-bit SetWindowLongW would
// cut a 64-bit address in half.
void StoreObject(HWND hWnd, CWindowWnd* pThis) {
    ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
}

bool IsClassRegistered(BOOL registered) {
    return registered || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

CWindowWnd::CWindowWnd() : m_hWnd(nullptr), m_OldWndProc(::DefWindowProcW), m_bSubclassed(false) {}

HWND CWindowWnd::GetHWND() const { return m_hWnd; }

CWindowWnd::operator HWND() const { return m_hWnd; }

const wchar_t* CWindowWnd::GetSuperClassName() const { return nullptr; }

UINT CWindowWnd::GetClassStyle() const { return 0; }

void CWindowWnd::OnFinalMessage(HWND /*hWnd*/) {}

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSW wc = {};
    wc.style = GetClassStyle();
    wc.lpfnWndProc = CWindowWnd::__WndProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWndClassName();
    if (!wc.lpszClassName) return false;
    return IsClassRegistered(::RegisterClassW(&wc) != 0);
}

bool CWindowWnd::RegisterSuperclass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(WNDCLASSEXW);
    if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &wc) &&
        !::GetClassInfoExW(CPaintManagerUI::GetInstance(), GetSuperClassName(), &wc)) {
        return false;
    }
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = CWindowWnd::__ControlProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.lpszClassName = GetWndClassName();
    return IsClassRegistered(::RegisterClassExW(&wc) != 0);
}

HWND CWindowWnd::Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle,
                        const RECT rc, HMENU hMenu) {
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left,
                  rc.bottom - rc.top, hMenu);
}

HWND CWindowWnd::Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle,
                        int x, int y, int cx, int cy, HMENU hMenu) {
    const bool registered = GetSuperClassName() ? RegisterSuperclass() : RegisterWindowClass();
    if (!registered) return nullptr;
    m_hWnd = ::CreateWindowExW(dwExStyle, GetWndClassName(), pstrName, dwStyle, x, y, cx, cy,
                               hwndParent, hMenu, CPaintManagerUI::GetInstance(), this);
    return m_hWnd;
}

HWND CWindowWnd::CreateDuiWindow(HWND hwndParent, const wchar_t* pstrWindowName, DWORD dwStyle,
                                 DWORD dwExStyle) {
    return Create(hwndParent, pstrWindowName, dwStyle, dwExStyle, 0, 0, 0, 0, nullptr);
}

HWND CWindowWnd::Subclass(HWND hWnd) {
    const LONG_PTR previous = ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC,
                                                  reinterpret_cast<LONG_PTR>(CWindowWnd::__WndProc));
    if (previous == 0) return nullptr;
    m_OldWndProc = reinterpret_cast<WNDPROC>(previous);
    m_bSubclassed = true;
    m_hWnd = hWnd;
    StoreObject(hWnd, this);
    return m_hWnd;
}

void CWindowWnd::Unsubclass() {
    if (!::IsWindow(m_hWnd) || !m_bSubclassed) return;
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OldWndProc));
    m_OldWndProc = ::DefWindowProcW;
    m_bSubclassed = false;
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus) {
    if (!::IsWindow(m_hWnd)) return;
    ::ShowWindow(m_hWnd, bShow ? (bTakeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal() {
    HWND hWndParent = ::GetWindow(m_hWnd, GW_OWNER);
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    ::EnableWindow(hWndParent, FALSE);
    UINT nRet = 0;
    MSG msg = {};
    bool quit = false;
    while (::IsWindow(m_hWnd)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = got == 0;
            break;
        }
        if (msg.message == WM_CLOSE && msg.hwnd == m_hWnd) {
            nRet = static_cast<UINT>(msg.wParam);
            ::EnableWindow(hWndParent, TRUE);
            ::SetFocus(hWndParent);
        }
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    ::EnableWindow(hWndParent, TRUE);
    ::SetFocus(hWndParent);
    if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return nRet;
}

void CWindowWnd::Close(UINT nRet) {
    if (!::IsWindow(m_hWnd)) return;
    PostMessage(WM_CLOSE, static_cast<WPARAM>(nRet), 0);
}

void CWindowWnd::CenterWindow() {
    RECT rcDlg = {};
    ::GetWindowRect(m_hWnd, &rcDlg);
    HWND hWndOwner = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(hWndOwner ? hWndOwner : m_hWnd, MONITOR_DEFAULTTONEAREST),
                      &info);
    const RECT rcArea = info.rcWork;
    RECT rcCenter = rcArea;
    if (hWndOwner) ::GetWindowRect(hWndOwner, &rcCenter);

    const int dlgWidth = rcDlg.right - rcDlg.left;
    const int dlgHeight = rcDlg.bottom - rcDlg.top;
    int xLeft = (rcCenter.left + rcCenter.right) / 2 - dlgWidth / 2;
    int yTop = (rcCenter.top + rcCenter.bottom) / 2 - dlgHeight / 2;
    if (xLeft < rcArea.left) {
        xLeft = rcArea.left;
    } else if (xLeft + dlgWidth > rcArea.right) {
        xLeft = rcArea.right - dlgWidth;
    }
    if (yTop < rcArea.top) {
        yTop = rcArea.top;
    } else if (yTop + dlgHeight > rcArea.bottom) {
        yTop = rcArea.bottom - dlgHeight;
    }
    ::SetWindowPos(m_hWnd, nullptr, xLeft, yTop, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT nRes) {
    // The window keeps using the icons after this call, so they are shared
    // resources of the module and live as long as it does.
    HINSTANCE instance = CPaintManagerUI::GetInstance();
    HANDLE big = ::LoadImageW(instance, MAKEINTRESOURCEW(nRes), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                              ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR | LR_SHARED);
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    HANDLE small = ::LoadImageW(instance, MAKEINTRESOURCEW(nRes), IMAGE_ICON,
                                ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                LR_DEFAULTCOLOR | LR_SHARED);
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::ResizeClient(int cx, int cy) {
    RECT rc = {};
    if (!::GetClientRect(m_hWnd, &rc)) return;
    if (cx != -1) rc.right = cx;
    if (cy != -1) rc.bottom = cy;
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
    const BOOL hasMenu = !(style & WS_CHILD) && ::GetMenu(m_hWnd) != nullptr;
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
    if (!::AdjustWindowRectEx(&rc, style, hasMenu, exStyle)) return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::FinalMessage(CWindowWnd* pThis, HWND hWnd, LRESULT lRes) {
    if (pThis->m_bSubclassed) pThis->Unsubclass();
    pThis->m_hWnd = nullptr;
    pThis->OnFinalMessage(hWnd);
    return lRes;
}

LRESULT CALLBACK CWindowWnd::__WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* pThis = nullptr;
    if (uMsg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        pThis = static_cast<CWindowWnd*>(cs->lpCreateParams);
        pThis->m_hWnd = hWnd;
        StoreObject(hWnd, pThis);
    } else {
        pThis = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (uMsg == WM_NCDESTROY && pThis) {
            const LRESULT lRes =
                ::CallWindowProcW(pThis->m_OldWndProc, hWnd, WM_NCDESTROY, wParam, lParam);
            StoreObject(hWnd, nullptr);
            return FinalMessage(pThis, hWnd, lRes);
        }
    }
    if (pThis) return pThis->HandleMessage(uMsg, wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::__ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* pThis = nullptr;
    if (uMsg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        pThis = static_cast<CWindowWnd*>(cs->lpCreateParams);
        ::SetPropW(hWnd, kWindowObjectProperty, pThis);
        pThis->m_hWnd = hWnd;
    } else {
        pThis = static_cast<CWindowWnd*>(::GetPropW(hWnd, kWindowObjectProperty));
        if (uMsg == WM_NCDESTROY && pThis) {
            const LRESULT lRes =
                ::CallWindowProcW(pThis->m_OldWndProc, hWnd, WM_NCDESTROY, wParam, lParam);
            // Removed rather than set to null, so no empty property is left.
            ::RemovePropW(hWnd, kWindowObjectProperty);
            return FinalMessage(pThis, hWnd, lRes);
        }
    }
    if (pThis) return pThis->HandleMessage(uMsg, wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

}  // namespace Facet
