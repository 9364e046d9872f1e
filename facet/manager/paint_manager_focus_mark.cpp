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

}  // namespace

bool CPaintManagerUI::IsFocusCuesShown() const { return m_bFocusCues; }

void CPaintManagerUI::ShowFocusCues() {
    if (m_bFocusCues) return;
    m_bFocusCues = true;
    if (m_pFocus) m_pFocus->Invalidate();
}

void CPaintManagerUI::PaintFocusMark(HDC hDC, const RECT& rcPaint) {
    if (!m_bFocusCues || !m_pFocus || !m_pFocus->IsVisible() || !m_pFocus->IsEnabled()) return;
    RECT rc = m_pFocus->GetPos();
    const int inset = MarkInset(rc, m_dpiScale);
    ::InflateRect(&rc, -inset, -inset);
    RECT visible = {0, 0, 0, 0};
    if (rc.right - rc.left < 2 || rc.bottom - rc.top < 2) return;
    if (!::IntersectRect(&visible, &m_pFocus->GetPos(), &rcPaint)) return;

    CSavedDC saved(hDC);
    ::IntersectClipRect(hDC, rcPaint.left, rcPaint.top, rcPaint.right, rcPaint.bottom);
    CPenHandle pen(::CreatePen(PS_DOT, 1, MarkColor(m_pFocus, GetDefaultFontColor())));
    CSelectObject selectPen(hDC, pen.Get());
    CSelectObject selectBrush(hDC, ::GetStockObject(HOLLOW_BRUSH));
    ::SetBkMode(hDC, TRANSPARENT);
    const SIZE corner = m_dpiScale.Scale(m_szRoundCorner);
    ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, corner.cx, corner.cy);
}

}  // namespace Facet
