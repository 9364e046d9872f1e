// CVerticalLayoutUI: two passes over the children (measure, then place),
// followed by the scroll bar check; and the separator drag.
#include "facet/controls/vertical_layout_ui.h"

#include <algorithm>
#include <cwchar>

#include "facet/controls/attribute_text.h"
#include "facet/controls/scroll_bar_ui.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {

// The band being dragged shows as translucent black.
constexpr DWORD kDragBandColor = 0xAA000000;

int ClampToMinMax(int value, int minimum, int maximum) {
    // Minimum first, so a maximum below the minimum wins.
    if (value < minimum) value = minimum;
    if (value > maximum) value = maximum;
    return value;
}

}  // namespace

CVerticalLayoutUI::CVerticalLayoutUI() = default;

const wchar_t* CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

LPVOID CVerticalLayoutUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"VerticalLayout") == 0) return this;
    return CContainerUI::GetInterface(pstrName);
}

UINT CVerticalLayoutUI::GetControlFlags() const {
    return (IsEnabled() && m_iSepHeight != 0) ? static_cast<UINT>(ControlFlagSetCursor) : 0u;
}

int CVerticalLayoutUI::GetSepHeight() const { return m_iSepHeight; }
void CVerticalLayoutUI::SetSepHeight(int iHeight) { m_iSepHeight = iHeight; }
bool CVerticalLayoutUI::IsSepImmMode() const { return m_bImmMode; }

void CVerticalLayoutUI::SetSepImmMode(bool bImmediately) {
    if (m_bImmMode == bImmediately) return;
    // A drag that ran with a preview band must not leave it registered.
    if ((m_uButtonState & StateCaptured) != 0 && !m_bImmMode && m_pManager) {
        m_pManager->RemovePostPaint(this);
    }
    m_bImmMode = bImmediately;
}

RECT CVerticalLayoutUI::GetThumbRect(bool bUseNew) const {
    const RECT& rc = bUseNew ? m_rcNewPos : m_rcItem;
    if (m_iSepHeight >= 0) {
        return RECT{rc.left, std::max(rc.bottom - m_iSepHeight, rc.top), rc.right, rc.bottom};
    }
    return RECT{rc.left, rc.top, rc.right, std::min(rc.top - m_iSepHeight, rc.bottom)};
}

void CVerticalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    const RECT inner = GetInnerRect();
    if (m_items.IsEmpty()) {
        ProcessScrollBar(inner, 0, 0);
        return;
    }
    const bool vbar = m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible();
    const bool hbar = m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible();

    SIZE available = {inner.right - inner.left, inner.bottom - inner.top};
    if (hbar) available.cx += m_pHorizontalScrollBar->GetScrollRange();

    // First pass: the height that fixed children and paddings take, and how
    // many children share the rest.
    int adjustables = 0;
    int fixedTotal = 0;
    int estimated = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible() || pControl->IsFloat()) continue;
        SIZE sz = pControl->EstimateSize(available);
        if (sz.cy == 0) {
            ++adjustables;
        } else {
            sz.cy = ClampToMinMax(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        }
        const RECT padding = pControl->GetPadding();
        fixedTotal += sz.cy + padding.top + padding.bottom;
        ++estimated;
    }
    const int gaps = std::max(estimated - 1, 0) * m_iChildPadding;
    fixedTotal += gaps;
    int share = 0;
    if (adjustables > 0) share = std::max<int>((available.cy - fixedTotal) / adjustables, 0);

    // Second pass: place them, the last flexible child taking what is left
    // so that rounding loses no pixel. fixedRemaining is what the children
    // after the current one still need (their fixed sizes, all paddings and
    // the gaps between them); what the earlier children used is already out
    // of `remaining`, so it must not be held back a second time.
    int y = inner.top;
    if (vbar) y -= m_pVerticalScrollBar->GetScrollPos();
    int x = inner.left;
    if (hbar) x -= m_pHorizontalScrollBar->GetScrollPos();
    int remaining = available.cy;
    int fixedRemaining = fixedTotal;
    int adjusted = 0;
    int needed = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const RECT padding = pControl->GetPadding();
        remaining -= padding.top;
        fixedRemaining -= padding.top + padding.bottom;
        const SIZE sz = pControl->EstimateSize(SIZE{available.cx, remaining});
        int height = 0;
        if (sz.cy == 0) {
            ++adjusted;
            height = share;
            if (adjusted == adjustables) {
                height = std::max<int>(remaining - padding.bottom - fixedRemaining, 0);
            }
            height = ClampToMinMax(height, pControl->GetMinHeight(), pControl->GetMaxHeight());
        } else {
            height = ClampToMinMax(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
            fixedRemaining -= height;
        }
        int width = pControl->GetFixedWidth();
        if (width == 0) width = available.cx - padding.left - padding.right;
        width = std::max(width, 0);
        width = ClampToMinMax(width, pControl->GetMinWidth(), pControl->GetMaxWidth());

        pControl->SetPos(RECT{x + padding.left, y + padding.top, x + padding.left + width,
                              y + padding.top + height + padding.bottom});
        y += height + m_iChildPadding + padding.top + padding.bottom;
        needed += height + padding.top + padding.bottom;
        remaining -= height + m_iChildPadding + padding.bottom;
        fixedRemaining -= m_iChildPadding;
    }
    ProcessScrollBar(inner, 0, needed + gaps);
}

void CVerticalLayoutUI::DoPostPaint(HDC hDC, const RECT& /*rcPaint*/) {
    if ((m_uButtonState & StateCaptured) == 0 || m_bImmMode) return;
    CRenderEngine::DrawColor(hDC, GetThumbRect(true), kDragBandColor);
}

void CVerticalLayoutUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (!pstrName || !pstrValue) return;
    if (std::wcscmp(pstrName, L"sepheight") == 0) {
        SetSepHeight(AttributeText::ReadInt(pstrValue));
    } else if (std::wcscmp(pstrName, L"sepimm") == 0) {
        SetSepImmMode(AttributeText::ReadBool(pstrValue));
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

bool CVerticalLayoutUI::DragSeparatorTo(POINT pt) {
    const int dy = pt.y - m_ptLastMouse.y;
    m_ptLastMouse = pt;
    RECT rc = m_rcNewPos;
    // The edge moves only once the mouse is past it in the direction of
    // travel (growing: past the band's width beyond it), so a mouse that ran
    // on beyond a size limit has to come back before it pulls again.
    if (m_iSepHeight >= 0) {
        if (dy > 0 && pt.y < m_rcNewPos.bottom + m_iSepHeight) return false;
        if (dy < 0 && pt.y > m_rcNewPos.bottom) return false;
        rc.bottom += dy;
    } else {
        if (dy > 0 && pt.y < m_rcNewPos.top) return false;
        if (dy < 0 && pt.y > m_rcNewPos.top + m_iSepHeight) return false;
        rc.top += dy;
    }
    const int oldHeight = m_rcNewPos.bottom - m_rcNewPos.top;
    const int minHeight = GetMinHeight();
    const int maxHeight = GetMaxHeight();
    if (rc.bottom - rc.top <= minHeight) {
        if (oldHeight <= minHeight) return false;
        if (m_iSepHeight >= 0) {
            rc.bottom = rc.top + minHeight;
        } else {
            rc.top = rc.bottom - minHeight;
        }
    }
    if (rc.bottom - rc.top >= maxHeight) {
        if (oldHeight >= maxHeight) return false;
        if (m_iSepHeight >= 0) {
            rc.bottom = rc.top + maxHeight;
        } else {
            rc.top = rc.bottom - maxHeight;
        }
    }
    RECT oldBand = GetThumbRect(true);
    m_rcNewPos = rc;
    // Stored directly: the fixed-height setter would ask the parent for a
    // layout at once, which only immediate mode wants.
    m_cxyFixed.cy = rc.bottom - rc.top;
    if (m_bImmMode) {
        m_rcItem = m_rcNewPos;
        NeedParentUpdate();
    } else if (m_pManager) {
        // Only the preview band moves; the layout stays until the release.
        RECT newBand = GetThumbRect(true);
        RECT itemBand = GetThumbRect(false);
        m_pManager->Invalidate(oldBand);
        m_pManager->Invalidate(newBand);
        m_pManager->Invalidate(itemBand);
    }
    return true;
}

void CVerticalLayoutUI::DoEvent(TEventUI& event) {
    if (m_iSepHeight != 0) {
        if (event.type == EventButtonDown && IsEnabled()) {
            const RECT band = GetThumbRect(false);
            if (::PtInRect(&band, event.mousePoint)) {
                m_uButtonState |= StateCaptured;
                m_ptLastMouse = event.mousePoint;
                m_rcNewPos = m_rcItem;
                if (!m_bImmMode && m_pManager) m_pManager->AddPostPaint(this);
                return;
            }
        }
        if (event.type == EventButtonUp && (m_uButtonState & StateCaptured) != 0) {
            m_uButtonState &= ~StateCaptured;
            m_rcItem = m_rcNewPos;
            if (!m_bImmMode && m_pManager) m_pManager->RemovePostPaint(this);
            NeedParentUpdate();
            return;
        }
        if (event.type == EventMouseMove && (m_uButtonState & StateCaptured) != 0) {
            DragSeparatorTo(event.mousePoint);
            return;
        }
        if (event.type == EventSetCursor) {
            const RECT band = GetThumbRect(false);
            if (IsEnabled() && ::PtInRect(&band, event.mousePoint)) {
                ::SetCursor(::LoadCursor(nullptr, IDC_SIZENS));
                return;
            }
        }
    }
    CContainerUI::DoEvent(event);
}

}  // namespace Facet
