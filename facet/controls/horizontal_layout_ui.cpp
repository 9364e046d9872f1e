// CHorizontalLayoutUI: two passes over the children (measure, then place),
// followed by the scroll bar check; and the separator drag. Children take the
// layout's whole inner height unless they fix their own.
#include "facet/controls/horizontal_layout_ui.h"

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

CHorizontalLayoutUI::CHorizontalLayoutUI() = default;

const wchar_t* CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

LPVOID CHorizontalLayoutUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"HorizontalLayout") == 0) return this;
    return CContainerUI::GetInterface(pstrName);
}

UINT CHorizontalLayoutUI::GetControlFlags() const {
    return (IsEnabled() && m_iSepWidth != 0) ? static_cast<UINT>(ControlFlagSetCursor) : 0u;
}

int CHorizontalLayoutUI::GetSepWidth() const { return m_iSepWidth; }
void CHorizontalLayoutUI::SetSepWidth(int iWidth) { m_iSepWidth = iWidth; }
bool CHorizontalLayoutUI::IsSepImmMode() const { return m_bImmMode; }

void CHorizontalLayoutUI::SetSepImmMode(bool bImmediately) {
    if (m_bImmMode == bImmediately) return;
    // A drag that ran with a preview band must not leave it registered.
    if ((m_uButtonState & StateCaptured) != 0 && !m_bImmMode && m_pManager) {
        m_pManager->RemovePostPaint(this);
    }
    m_bImmMode = bImmediately;
}

RECT CHorizontalLayoutUI::GetThumbRect(bool bUseNew) const {
    // Unlike the vertical splitter, the band is not limited to the layout.
    const RECT& rc = bUseNew ? m_rcNewPos : m_rcItem;
    if (m_iSepWidth >= 0) return RECT{rc.right - m_iSepWidth, rc.top, rc.right, rc.bottom};
    return RECT{rc.left, rc.top, rc.left - m_iSepWidth, rc.bottom};
}

void CHorizontalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    if (m_items.IsEmpty()) {
        RECT rcInset = m_rcItem;
        rcInset.left += m_rcInset.left;
        rcInset.top += m_rcInset.top;
        rcInset.right -= m_rcInset.right;
        rcInset.bottom -= m_rcInset.bottom;
        ProcessScrollBar(rcInset, 0, 0);
        return;
    }
    const RECT inner = GetInnerRect();
    const bool hbar = m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible();
    const int innerHeight = inner.bottom - inner.top;

    SIZE available = {inner.right - inner.left, innerHeight};
    if (hbar) available.cx += m_pHorizontalScrollBar->GetScrollRange();

    // First pass: the width that fixed children and paddings take, and how
    // many children share the rest.
    int adjustables = 0;
    int fixedTotal = 0;
    int estimated = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible() || pControl->IsFloat()) continue;
        SIZE sz = pControl->EstimateSize(SIZE{available.cx, innerHeight});
        if (sz.cx == 0) {
            ++adjustables;
        } else {
            sz.cx = ClampToMinMax(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        }
        const RECT padding = pControl->GetPadding();
        fixedTotal += sz.cx + padding.left + padding.right;
        ++estimated;
    }
    const int gaps = std::max(estimated - 1, 0) * m_iChildPadding;
    fixedTotal += gaps;
    int share = 0;
    if (adjustables > 0) share = std::max<int>((available.cx - fixedTotal) / adjustables, 0);

    // Second pass: place them, the last flexible child taking what is left
    // so that rounding loses no pixel. fixedRemaining is what the children
    // after the current one still need (their fixed sizes, all paddings and
    // the gaps between them); what the earlier children used is already out
    // of `remaining`, so it must not be held back a second time.
    int x = inner.left;
    if (hbar) x -= m_pHorizontalScrollBar->GetScrollPos();
    int remaining = available.cx;
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
        remaining -= padding.left;
        fixedRemaining -= padding.left + padding.right;
        const SIZE sz = pControl->EstimateSize(SIZE{remaining, innerHeight});
        int width = 0;
        if (sz.cx == 0) {
            ++adjusted;
            width = share;
            if (adjusted == adjustables) {
                width = std::max<int>(remaining - padding.right - fixedRemaining, 0);
            }
            width = ClampToMinMax(width, pControl->GetMinWidth(), pControl->GetMaxWidth());
        } else {
            width = ClampToMinMax(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
            fixedRemaining -= width;
        }
        int height = pControl->GetFixedHeight();
        if (height == 0) height = innerHeight - padding.top - padding.bottom;
        height = std::max(height, 0);
        height = ClampToMinMax(height, pControl->GetMinHeight(), pControl->GetMaxHeight());

        pControl->SetPos(RECT{x + padding.left, inner.top + padding.top,
                              x + padding.left + width + padding.right,
                              inner.top + padding.top + height});
        x += width + m_iChildPadding + padding.left + padding.right;
        needed += width + padding.left + padding.right;
        remaining -= width + m_iChildPadding + padding.right;
        fixedRemaining -= m_iChildPadding;
    }
    ProcessScrollBar(inner, needed + gaps, 0);
}

void CHorizontalLayoutUI::DoPostPaint(HDC hDC, const RECT& /*rcPaint*/) {
    if ((m_uButtonState & StateCaptured) == 0 || m_bImmMode) return;
    CRenderEngine::DrawColor(hDC, GetThumbRect(true), kDragBandColor);
}

void CHorizontalLayoutUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (!pstrName || !pstrValue) return;
    if (std::wcscmp(pstrName, L"sepwidth") == 0) {
        SetSepWidth(AttributeText::ReadInt(pstrValue));
    } else if (std::wcscmp(pstrName, L"sepimm") == 0) {
        SetSepImmMode(AttributeText::ReadBool(pstrValue));
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

bool CHorizontalLayoutUI::DragSeparatorTo(POINT pt) {
    const int dx = pt.x - m_ptLastMouse.x;
    m_ptLastMouse = pt;
    RECT rc = m_rcNewPos;
    // The edge moves only once the mouse is past it in the direction of
    // travel (growing: past the band's width beyond it), so a mouse that ran
    // on beyond a size limit has to come back before it pulls again.
    if (m_iSepWidth >= 0) {
        if (dx > 0 && pt.x < m_rcNewPos.right + m_iSepWidth) return false;
        if (dx < 0 && pt.x > m_rcNewPos.right) return false;
        rc.right += dx;
    } else {
        if (dx > 0 && pt.x < m_rcNewPos.left) return false;
        if (dx < 0 && pt.x > m_rcNewPos.left + m_iSepWidth) return false;
        rc.left += dx;
    }
    const int oldWidth = m_rcNewPos.right - m_rcNewPos.left;
    const int minWidth = GetMinWidth();
    const int maxWidth = GetMaxWidth();
    if (rc.right - rc.left <= minWidth) {
        if (oldWidth <= minWidth) return false;
        if (m_iSepWidth >= 0) {
            rc.right = rc.left + minWidth;
        } else {
            rc.left = rc.right - minWidth;
        }
    }
    if (rc.right - rc.left >= maxWidth) {
        if (oldWidth >= maxWidth) return false;
        if (m_iSepWidth >= 0) {
            rc.right = rc.left + maxWidth;
        } else {
            rc.left = rc.right - maxWidth;
        }
    }
    RECT oldBand = GetThumbRect(true);
    m_rcNewPos = rc;
    // Stored directly: the fixed-width setter would ask the parent for a
    // layout at once, which only immediate mode wants.
    m_cxyFixed.cx = rc.right - rc.left;
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

void CHorizontalLayoutUI::DoEvent(TEventUI& event) {
    if (m_iSepWidth != 0) {
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
                ::SetCursor(::LoadCursor(nullptr, IDC_SIZEWE));
                return;
            }
        }
    }
    CContainerUI::DoEvent(event);
}

}  // namespace Facet
