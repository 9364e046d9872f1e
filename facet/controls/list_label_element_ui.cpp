// CListLabelElementUI: pressing selects, hovering lights the item, and the
// text is drawn and measured with the owner's item settings.
#include "facet/controls/list_label_element_ui.h"

#include <cwchar>

#include "facet/controls/system_colors_paint.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {
// Room above and below the item font's text.
constexpr int kItemTextMargin = 8;
// Wide enough that a one-line item text is never wrapped while measured.
constexpr int kMeasureWidth = 9999;
}  // namespace

const wchar_t* CListLabelElementUI::GetClass() const { return L"ListLabelElementUI"; }

LPVOID CListLabelElementUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"ListLabelElement") == 0) return this;
    return CListElementUI::GetInterface(pstrName);
}

void CListLabelElementUI::DoEvent(TEventUI& event) {
    if (ForwardDisabledMouse(event)) return;
    switch (event.type) {
    case EventButtonDown:
    case EventRButtonDown:
        if (IsEnabled()) {
            // The press may tear the list down (a listener, the owner's
            // selection closing the drop-down): stop once the item is gone.
            CControlWatch watch(this);
            if (m_pManager) m_pManager->SendNotify(this, L"itemclick");
            if (!watch) return;
            Select();
            if (watch) Invalidate();
        }
        return;
    case EventMouseMove:
    case EventButtonUp:
        return;
    case EventMouseEnter:
        if (IsEnabled()) {
            m_uButtonState |= StateHot;
            Invalidate();
        }
        return;
    case EventMouseLeave:
        if (m_uButtonState & StateHot) {
            m_uButtonState &= ~StateHot;
            Invalidate();
        }
        return;
    default:
        CListElementUI::DoEvent(event);
    }
}

SIZE CListLabelElementUI::EstimateSize(SIZE /*szAvailable*/) {
    if (!m_pOwner) return SIZE{0, 0};
    TListInfoUI* info = m_pOwner->GetListInfo();
    const CDpiScale dpi = GetDpiScale();
    const RECT padding = dpi.Scale(info->rcTextPadding);
    SIZE size = dpi.Scale(m_cxyFixed);
    if (size.cy == 0 && m_pManager) {
        size.cy = m_pManager->GetFontInfo(info->nFont)->tm.tmHeight + dpi.Scale(kItemTextMargin) +
                  padding.top + padding.bottom;
    }
    if (size.cx == 0 && m_pManager) {
        RECT rc = {0, 0, kMeasureWidth, size.cy};
        const UINT style = DT_SINGLELINE | DT_CALCRECT | (info->uTextStyle & ~(DT_CENTER | DT_RIGHT));
        if (info->bShowHtml) {
            int nLinks = 0;
            CRenderEngine::DrawHtmlText(m_pManager->GetPaintDC(), m_pManager, rc, m_sText, 0,
                                        nullptr, nullptr, nLinks, style);
        } else {
            CRenderEngine::DrawTextW(m_pManager->GetPaintDC(), m_pManager, rc, m_sText, 0,
                                     info->nFont, style);
        }
        size.cx = rc.right - rc.left + padding.left + padding.right;
    }
    return size;
}

void CListLabelElementUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    if (CPaintManagerUI::IsHighContrast() && PaintInSystemColors(this, hDC, m_rcPaint)) return;
    DrawItemBk(hDC, m_rcItem);
    DrawItemText(hDC, m_rcItem);
}

void CListLabelElementUI::DrawItemText(HDC hDC, const RECT& rcItem) {
    if (m_sText.IsEmpty() || !m_pOwner) return;
    TListInfoUI* info = m_pOwner->GetListInfo();
    DWORD color = info->dwTextColor;
    if (m_uButtonState & StateHot) color = info->dwHotTextColor;
    if (IsSelected()) color = info->dwSelectedTextColor;
    if (!IsEnabled()) color = info->dwDisabledTextColor;
    RECT rc = rcItem;
    const RECT padding = GetDpiScale().Scale(info->rcTextPadding);
    rc.left += padding.left;
    rc.right -= padding.right;
    rc.top += padding.top;
    rc.bottom -= padding.bottom;
    const UINT style = info->uTextStyle | DT_SINGLELINE;
    if (info->bShowHtml) {
        int nLinks = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, m_sText, color, nullptr, nullptr, nLinks,
                                    style);
    } else {
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, m_sText, color, info->nFont, style);
    }
}

}  // namespace Facet
