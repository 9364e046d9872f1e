// CPaintManagerUI's painting: the lazy layout before each paint, and the
// double-buffered paint itself through an off-screen bitmap that lives from
// paint to paint, optionally over a one-time snapshot of what lay beneath a
// transparent window. Only the rectangle being repainted is drawn and copied.
#include "facet/controls/control_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

constexpr UINT kLayoutSearchFlags = FindVisible | FindMeFirst;

CControlUI* CALLBACK FindNeedingUpdate(CControlUI* pThis, LPVOID /*pData*/) {
    return pThis->IsUpdateNeeded() ? pThis : nullptr;
}

// BeginPaint's DC, given back with EndPaint.
class CPaintScope {
public:
    explicit CPaintScope(HWND hwnd) : m_hwnd(hwnd) { m_hdc = ::BeginPaint(hwnd, &m_ps); }
    ~CPaintScope() { ::EndPaint(m_hwnd, &m_ps); }
    CPaintScope(const CPaintScope&) = delete;
    CPaintScope& operator=(const CPaintScope&) = delete;
    HDC Dc() const { return m_hdc; }
    const RECT& Rect() const { return m_ps.rcPaint; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps = {};
    HDC m_hdc = nullptr;
};

// The red frame SetShowUpdateRect draws.
CPenHandle& UpdateRectPen() {
    static CPenHandle pen;
    return pen;
}

int Width(const RECT& rc) { return rc.right - rc.left; }
int Height(const RECT& rc) { return rc.bottom - rc.top; }

}  // namespace

void CPaintManagerUI::InitProcessResources() {
    if (UpdateRectPen()) return;
    UpdateRectPen().Reset(::CreatePen(PS_SOLID, 1, RGB(220, 0, 0)));
    // The common controls (only the tooltip class is used) are loaded when
    // the first tooltip shows, not here: see LoadTooltipClass.
    // msimg32's AlphaBlend and GradientFill are looked up by the render
    // engine itself, once per process, with its own fall-backs.
}

void CPaintManagerUI::ReleaseOffscreen() {
    m_hDcOffscreen.reset();
    m_hDcBackground.reset();
    m_hbmpOffscreen.Reset();
    m_hbmpBackground.Reset();
}

void CPaintManagerUI::LayoutIfNeeded() {
    if (!m_bUpdateNeeded) return;
    m_bUpdateNeeded = false;
    RECT rcClient = {0, 0, 0, 0};
    ::GetClientRect(m_hWndPaint, &rcClient);
    if (::IsRectEmpty(&rcClient)) return;

    if (m_pRoot->IsUpdateNeeded()) {
        m_pRoot->SetPos(rcClient);
        // The bitmaps are rebuilt at the new size before painting.
        ReleaseOffscreen();
    } else {
        CControlUI* previous = nullptr;
        for (;;) {
            CControlUI* control = m_pRoot->FindControl(FindNeedingUpdate, nullptr, kLayoutSearchFlags);
            if (!control) break;
            // A control whose SetPos leaves itself marked would be found again
            // for ever; it gets one pass per paint.
            if (control == previous) break;
            previous = control;
            control->SetPos(control->GetPos());
        }
    }
    if (m_bFirstLayout) {
        m_bFirstLayout = false;
        SendNotify(m_pRoot, L"windowinit");
    }
}

bool CPaintManagerUI::OnPaint() {
    RECT rcUpdate = {0, 0, 0, 0};
    if (!::GetUpdateRect(m_hWndPaint, &rcUpdate, FALSE)) return true;
    if (!m_pRoot) {
        CPaintScope paint(m_hWndPaint);
        return true;
    }

    LayoutIfNeeded();
    // "windowinit" may have replaced or emptied the tree.
    if (m_bFocusNeeded) SetNextTabControl(true);
    if (!m_pRoot) {
        CPaintScope paint(m_hWndPaint);
        return true;
    }

    RECT rcClient = {0, 0, 0, 0};
    ::GetClientRect(m_hWndPaint, &rcClient);
    if (!m_hbmpOffscreen) {
        m_hDcOffscreen = std::make_unique<CMemoryDC>(m_hDcPaint.Get());
        m_hbmpOffscreen.Reset(
            ::CreateCompatibleBitmap(m_hDcPaint.Get(), Width(rcClient), Height(rcClient)));
    }

    {
        CPaintScope paint(m_hWndPaint);
        const RECT& rcPaint = paint.Rect();
        if (m_hbmpOffscreen && m_hDcOffscreen && *m_hDcOffscreen) {
            HDC offscreen = m_hDcOffscreen->Get();
            {
                CSelectObject selectBitmap(offscreen, m_hbmpOffscreen.Get());
                {
                    CSavedDC saved(offscreen);
                    if (m_bAlphaBackground) CopyBackground(paint.Dc(), rcClient, rcPaint);
                    PaintTree(offscreen, rcPaint);
                }
                ::BitBlt(paint.Dc(), rcPaint.left, rcPaint.top, Width(rcPaint), Height(rcPaint),
                         offscreen, rcPaint.left, rcPaint.top, SRCCOPY);
            }
        } else {
            // Without memory for the off-screen bitmap, paint straight on.
            CSavedDC saved(paint.Dc());
            PaintTree(paint.Dc(), rcPaint);
        }
        if (m_bShowUpdateRect) DrawUpdateRect(paint.Dc(), rcUpdate);
    }
    if (m_bUpdateNeeded) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
    return true;
}

void CPaintManagerUI::PaintTree(HDC hDC, const RECT& rcPaint) {
    m_pRoot->DoPaint(hDC, rcPaint);
    // Post-paint controls may leave the list while it is walked.
    for (int i = 0; i < m_aPostPaintControls.GetSize(); ++i) {
        static_cast<CControlUI*>(m_aPostPaintControls[i])->DoPostPaint(hDC, rcPaint);
    }
    PaintFocusMark(hDC, rcPaint);
}

void CPaintManagerUI::CopyBackground(HDC hdcScreen, const RECT& rcClient, const RECT& rcPaint) {
    if (!m_hbmpBackground) {
        // What lay under the window the first time it painted.
        m_hDcBackground = std::make_unique<CMemoryDC>(m_hDcPaint.Get());
        m_hbmpBackground.Reset(
            ::CreateCompatibleBitmap(m_hDcPaint.Get(), Width(rcClient), Height(rcClient)));
        if (!m_hbmpBackground || !*m_hDcBackground) return;
        CSelectObject select(m_hDcBackground->Get(), m_hbmpBackground.Get());
        ::BitBlt(m_hDcBackground->Get(), rcPaint.left, rcPaint.top, Width(rcPaint), Height(rcPaint),
                 hdcScreen, rcPaint.left, rcPaint.top, SRCCOPY);
    }
    if (!m_hDcBackground || !*m_hDcBackground) return;
    CSelectObject select(m_hDcBackground->Get(), m_hbmpBackground.Get());
    ::BitBlt(m_hDcOffscreen->Get(), rcPaint.left, rcPaint.top, Width(rcPaint), Height(rcPaint),
             m_hDcBackground->Get(), rcPaint.left, rcPaint.top, SRCCOPY);
}

void CPaintManagerUI::DrawUpdateRect(HDC hDC, const RECT& rcUpdate) {
    CSelectObject pen(hDC, UpdateRectPen().Get());
    CSelectObject brush(hDC, ::GetStockObject(HOLLOW_BRUSH));
    ::Rectangle(hDC, rcUpdate.left, rcUpdate.top, rcUpdate.right, rcUpdate.bottom);
}

void CPaintManagerUI::OnPrintClient(HDC hDC, LPARAM lParam) {
    if (!m_pRoot || !hDC) return;
    RECT rcClient = {0, 0, 0, 0};
    ::GetClientRect(m_hWndPaint, &rcClient);
    CSavedDC saved(hDC);
    m_pRoot->DoPaint(hDC, rcClient);
    if ((lParam & PRF_CHILDREN) == 0) return;
    // Native child windows print themselves at their place in the client.
    const LPARAM childFlags = lParam | PRF_NONCLIENT;
    for (HWND child = ::GetWindow(m_hWndPaint, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rcChild = {0, 0, 0, 0};
        ::GetWindowRect(child, &rcChild);
        ::MapWindowPoints(HWND_DESKTOP, m_hWndPaint, reinterpret_cast<POINT*>(&rcChild), 2);
        ::SetWindowOrgEx(hDC, -rcChild.left, -rcChild.top, nullptr);
        ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(hDC), childFlags);
    }
}

}  // namespace Facet
