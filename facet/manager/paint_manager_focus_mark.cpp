// CPaintManagerUI's focus cues: like Windows' own dialogs, a window shows
// where the keyboard focus is only once the keyboard has been used in it (or
// always, when the user asked for keyboard cues). The mark is drawn over the
// focused control after the tree: a dotted frame inside it with the window's
// round corners, in the control's focus border colour or its text colour, so
// it takes the skin's colours on any face.
#include "facet/controls/combo_ui.h"
#include "facet/controls/label_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

constexpr UINT kAnnounceFocusMessage = WM_APP + 3;

// The mark's distance from the control's edge: a tenth of its height, so
// that it clears the text of a slim box and lies inside a big button's face;
// its bounds are skin units, grown with the window's scale.
int MarkInset(const RECT& rc, const CDpiScale& scale) {
    const int inset = (rc.bottom - rc.top) / 10;
    const int least = scale.Scale(2), most = scale.Scale(6);
    return inset < least ? least : inset > most ? most : inset;
}

// The colour the skin gave the control's text, without its alpha byte:
// skins write text colours with alpha 0 as often as with 0xFF.
COLORREF MarkColor(CControlUI* control, DWORD fallback) {
    DWORD argb = control->GetFocusBorderColor();
    if (argb == 0) {
        if (auto* combo = static_cast<CComboUI*>(control->GetInterface(L"Combo"))) {
            argb = combo->GetItemTextColor();
        } else if (auto* label = static_cast<CLabelUI*>(control->GetInterface(L"Label"))) {
            argb = label->IsEnabled() ? label->GetTextColor() : label->GetDisabledTextColor();
        }
    }
    if (argb == 0) argb = fallback;
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

int (*g_focusBorderQuery)(int metric, UINT dpi) = nullptr;

// The system's answer for SM_CXFOCUSBORDER or SM_CYFOCUSBORDER at a DPI.
int SystemFocusBorder(int metric, UINT dpi) {
    using ForDpi = int(WINAPI*)(int, UINT);
    static const auto forDpi =
        reinterpret_cast<ForDpi>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    return forDpi ? forDpi(metric, dpi) : ::MulDiv(::GetSystemMetrics(metric), static_cast<int>(dpi), 96);
}

// The width of the system's focus rectangle's sides (SM_CXFOCUSBORDER) or
// of its top and bottom (SM_CYFOCUSBORDER) at the window's scale: thicker
// lines on a denser screen, as the system's own controls draw them.
int FocusBorder(int metric, UINT dpi) {
    const int width = g_focusBorderQuery ? g_focusBorderQuery(metric, dpi) : SystemFocusBorder(metric, dpi);
    return width < 1 ? 1 : width;
}

}  // namespace

void CPaintManagerUI::SetFocusBorderQuery(int (*query)(int metric, UINT dpi)) { g_focusBorderQuery = query; }

bool CPaintManagerUI::IsFocusCuesShown() const { return m_bFocusCues; }

void CPaintManagerUI::AnnounceFocusLater() {
    if (m_bFocusAnnouncePosted || !m_hWndPaint) return;
    m_bFocusAnnouncePosted = ::PostMessageW(m_hWndPaint, kAnnounceFocusMessage, 0, 0) != FALSE;
}

void CPaintManagerUI::ShowFocusCues() {
    if (m_bFocusCues) return;
    m_bFocusCues = true;
    if (m_pFocus) m_pFocus->Invalidate();
    // Tells the system too, so that WM_QUERYUISTATE and child windows agree.
    if (m_hWndPaint) ::SendMessageW(m_hWndPaint, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

bool CPaintManagerUI::OnFocusMessage(UINT uMsg, WPARAM wParam, LPARAM /*lParam*/, LRESULT& lRes) {
    switch (uMsg) {
    case WM_SETFOCUS:
        if (!m_pFocus) return false;
        m_pFocus->Invalidate();
        // Back from a message box, a closed list or another program: the
        // reader hears again which control has the focus.
        AnnounceFocusLater();
        return false;
    case kAnnounceFocusMessage:
        m_bFocusAnnouncePosted = false;
        if (!m_hWndPaint || ::GetFocus() != m_hWndPaint) return true;
        if (m_pFocus) {
            NotifyAccessibleEvent(EVENT_OBJECT_FOCUS, m_pFocus);
        } else if (!m_pAccessibleOwner) {
            ::NotifyWinEvent(EVENT_OBJECT_FOCUS, m_hWndPaint, OBJID_CLIENT, CHILDID_SELF);
        }
        return true;
    case WM_KILLFOCUS:
        if (m_pFocus) m_pFocus->Invalidate();
        return false;
    case WM_UPDATEUISTATE: {
        const WORD action = LOWORD(wParam);
        if (!(HIWORD(wParam) & UISF_HIDEFOCUS)) return false;
        const bool show = action == UIS_CLEAR;
        if (action != UIS_SET && action != UIS_CLEAR) return false;
        if (show == m_bFocusCues) return false;
        m_bFocusCues = show;
        if (m_pFocus) m_pFocus->Invalidate();
        return false;
    }
    case WM_QUERYUISTATE:
        lRes = m_bFocusCues ? 0 : (UISF_HIDEFOCUS | UISF_HIDEACCEL);
        return true;
    default:
        return false;
    }
}

void CPaintManagerUI::PaintFocusMark(HDC hDC, const RECT& rcPaint) {
    if (!m_bFocusCues || !m_pFocus || !m_pFocus->IsVisible() || !m_pFocus->IsEnabled()) return;
    // Another window has the focus (a message box, the open list): one mark
    // on the screen, and it is that window's.
    if (m_hWndPaint && ::GetFocus() != m_hWndPaint) return;
    RECT rc = m_pFocus->GetPos();
    const int inset = MarkInset(rc, m_dpiScale);
    ::InflateRect(&rc, -inset, -inset);
    RECT visible = {0, 0, 0, 0};
    if (rc.right - rc.left < 2 || rc.bottom - rc.top < 2) return;
    if (!::IntersectRect(&visible, &m_pFocus->GetPos(), &rcPaint)) return;

    CSavedDC saved(hDC);
    ::IntersectClipRect(hDC, rcPaint.left, rcPaint.top, rcPaint.right, rcPaint.bottom);
    const COLORREF color = IsHighContrast() ? ::GetSysColor(COLOR_WINDOWTEXT)
                                            : MarkColor(m_pFocus, GetDefaultFontColor());
    // A dotted pen is one pixel wide: a wider mark is that many lines.
    CPenHandle pen(::CreatePen(PS_DOT, 1, color));
    CSelectObject selectPen(hDC, pen.Get());
    CSelectObject selectBrush(hDC, ::GetStockObject(HOLLOW_BRUSH));
    ::SetBkMode(hDC, TRANSPARENT);
    const SIZE corner = m_dpiScale.Scale(m_szRoundCorner);
    const UINT dpi = static_cast<UINT>(m_dpiScale.GetDpi());
    const int sides = FocusBorder(SM_CXFOCUSBORDER, dpi), ends = FocusBorder(SM_CYFOCUSBORDER, dpi);
    // Each ring steps in on the axes whose lines are not yet wide enough;
    // on the others it draws over the last ring's pixels.
    for (int i = 0; i < (sides > ends ? sides : ends) && rc.right - rc.left > 2 && rc.bottom - rc.top > 2; ++i) {
        ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, corner.cx, corner.cy);
        ::InflateRect(&rc, i + 1 < sides ? -1 : 0, i + 1 < ends ? -1 : 0);
    }
}

}  // namespace Facet
