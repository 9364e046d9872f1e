// CLinearLayoutUI: two passes over the children (measure, then place),
// followed by the scroll bar check; and the separator drag. Everything is
// written along a main axis (y for the vertical layout, x for the horizontal
// one) and a cross axis, through AxisView.
#include "facet/controls/linear_layout_ui.h"

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

// Reads and builds rectangles, sizes and points in main/cross terms. A
// child's limits are skin numbers; the view hands them out in pixels.
struct AxisView {
    bool vertical;
    CDpiScale dpi;

    LONG& Lead(RECT& rc) const { return vertical ? rc.top : rc.left; }
    LONG& Trail(RECT& rc) const { return vertical ? rc.bottom : rc.right; }
    LONG Lead(const RECT& rc) const { return vertical ? rc.top : rc.left; }
    LONG Trail(const RECT& rc) const { return vertical ? rc.bottom : rc.right; }
    LONG CrossLead(const RECT& rc) const { return vertical ? rc.left : rc.top; }
    LONG CrossTrail(const RECT& rc) const { return vertical ? rc.right : rc.bottom; }
    LONG& Main(SIZE& sz) const { return vertical ? sz.cy : sz.cx; }
    LONG Main(const SIZE& sz) const { return vertical ? sz.cy : sz.cx; }
    LONG Cross(const SIZE& sz) const { return vertical ? sz.cx : sz.cy; }
    LONG Main(const POINT& pt) const { return vertical ? pt.y : pt.x; }
    LONG Cross(const POINT& pt) const { return vertical ? pt.x : pt.y; }
    SIZE MakeSize(LONG main, LONG cross) const {
        return vertical ? SIZE{cross, main} : SIZE{main, cross};
    }
    RECT MakeRect(LONG lead, LONG crossLead, LONG trail, LONG crossTrail) const {
        return vertical ? RECT{crossLead, lead, crossTrail, trail}
                        : RECT{lead, crossLead, trail, crossTrail};
    }

    // A child's size limits along either axis.
    int MinMain(const CControlUI* c) const {
        return dpi.Scale(vertical ? c->GetMinHeight() : c->GetMinWidth());
    }
    int MaxMain(const CControlUI* c) const {
        return dpi.Scale(vertical ? c->GetMaxHeight() : c->GetMaxWidth());
    }
    int MinCross(const CControlUI* c) const {
        return dpi.Scale(vertical ? c->GetMinWidth() : c->GetMinHeight());
    }
    int MaxCross(const CControlUI* c) const {
        return dpi.Scale(vertical ? c->GetMaxWidth() : c->GetMaxHeight());
    }
    int FixedCross(const CControlUI* c) const {
        return dpi.Scale(vertical ? c->GetFixedWidth() : c->GetFixedHeight());
    }
    RECT Padding(const CControlUI* c) const { return dpi.Scale(c->GetPadding()); }
};

}  // namespace

CLinearLayoutUI::CLinearLayoutUI(const TLinearAxis& axis) : m_axis(axis) {}

const wchar_t* CLinearLayoutUI::GetClass() const { return m_axis.className; }

LPVOID CLinearLayoutUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, m_axis.interfaceName) == 0) return this;
    return CContainerUI::GetInterface(pstrName);
}

UINT CLinearLayoutUI::GetControlFlags() const {
    return (IsEnabled() && m_iSepSize != 0) ? static_cast<UINT>(ControlFlagSetCursor) : 0u;
}

bool CLinearLayoutUI::IsSepImmMode() const { return m_bImmMode; }

void CLinearLayoutUI::SetSepImmMode(bool bImmediately) {
    if (m_bImmMode == bImmediately) return;
    // A drag that ran with a preview band must not leave it registered.
    if ((m_uButtonState & StateCaptured) != 0 && !m_bImmMode && m_pManager) {
        m_pManager->RemovePostPaint(this);
    }
    m_bImmMode = bImmediately;
}

RECT CLinearLayoutUI::GetThumbRect(bool bUseNew) const {
    const AxisView ax{m_axis.vertical, GetDpiScale()};
    const RECT& rc = bUseNew ? m_rcNewPos : m_rcItem;
    RECT band = rc;
    const int sepSize = ax.dpi.Scale(m_iSepSize);
    // The vertical splitter's band never reaches past the layout; the
    // horizontal one's is not limited.
    if (sepSize >= 0) {
        ax.Lead(band) = ax.Trail(rc) - sepSize;
        if (m_axis.vertical) ax.Lead(band) = std::max(ax.Lead(band), ax.Lead(rc));
    } else {
        ax.Trail(band) = ax.Lead(rc) - sepSize;
        if (m_axis.vertical) ax.Trail(band) = std::min(ax.Trail(band), ax.Trail(rc));
    }
    return band;
}

void CLinearLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    const AxisView ax{m_axis.vertical, GetDpiScale()};
    const RECT inner = GetInnerRect();
    if (m_items.IsEmpty()) {
        // The horizontal layout reports the room before the bars take theirs.
        RECT room = inner;
        if (!m_axis.vertical) {
            room = m_rcItem;
            const RECT inset = ax.dpi.Scale(m_rcInset);
            room.left += inset.left;
            room.top += inset.top;
            room.right -= inset.right;
            room.bottom -= inset.bottom;
        }
        ProcessScrollBar(room, 0, 0);
        return;
    }
    const bool vbar = m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible();
    const bool hbar = m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible();

    SIZE available = {inner.right - inner.left, inner.bottom - inner.top};
    if (hbar) available.cx += m_pHorizontalScrollBar->GetScrollRange();
    const int room = ax.Main(available);
    const int across = ax.Cross(available);

    // First pass: the room that fixed children and paddings take along the
    // main axis, and how many children share the rest.
    int adjustables = 0;
    int fixedTotal = 0;
    int estimated = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible() || pControl->IsFloat()) continue;
        SIZE sz = pControl->EstimateSize(available);
        if (ax.Main(sz) == 0) {
            ++adjustables;
        } else {
            ax.Main(sz) = ClampToMinMax(ax.Main(sz), ax.MinMain(pControl), ax.MaxMain(pControl));
        }
        const RECT padding = ax.Padding(pControl);
        fixedTotal += ax.Main(sz) + ax.Lead(padding) + ax.Trail(padding);
        ++estimated;
    }
    const int childPadding = ax.dpi.Scale(m_iChildPadding);
    const int gaps = std::max(estimated - 1, 0) * childPadding;
    fixedTotal += gaps;
    int share = 0;
    if (adjustables > 0) share = std::max<int>((room - fixedTotal) / adjustables, 0);

    // Second pass: place them, the last flexible child taking what is left
    // so that rounding loses no pixel. fixedRemaining is what the children
    // after the current one still need (their fixed sizes, all paddings and
    // the gaps between them); what the earlier children used is already out
    // of `remaining`, so it must not be held back a second time. The
    // horizontal bar moves the children of either layout; the vertical one
    // only those of the vertical layout.
    POINT origin = {inner.left, inner.top};
    if (hbar) origin.x -= m_pHorizontalScrollBar->GetScrollPos();
    if (vbar && m_axis.vertical) origin.y -= m_pVerticalScrollBar->GetScrollPos();
    int pos = ax.Main(origin);
    const int crossPos = ax.Cross(origin);
    int remaining = room;
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
        const RECT padding = ax.Padding(pControl);
        const int lead = ax.Lead(padding);
        const int trail = ax.Trail(padding);
        remaining -= lead;
        fixedRemaining -= lead + trail;
        const SIZE sz = pControl->EstimateSize(ax.MakeSize(remaining, across));
        int length = 0;
        if (ax.Main(sz) == 0) {
            ++adjusted;
            length = share;
            if (adjusted == adjustables) {
                length = std::max<int>(remaining - trail - fixedRemaining, 0);
            }
            length = ClampToMinMax(length, ax.MinMain(pControl), ax.MaxMain(pControl));
        } else {
            length = ClampToMinMax(ax.Main(sz), ax.MinMain(pControl), ax.MaxMain(pControl));
            fixedRemaining -= length;
        }
        int thickness = ax.FixedCross(pControl);
        if (thickness == 0) thickness = across - ax.CrossLead(padding) - ax.CrossTrail(padding);
        thickness = std::max(thickness, 0);
        thickness = ClampToMinMax(thickness, ax.MinCross(pControl), ax.MaxCross(pControl));

        // The rectangle takes in the trailing padding along the main axis,
        // not across it.
        const int crossLead = crossPos + ax.CrossLead(padding);
        pControl->SetPos(
            ax.MakeRect(pos + lead, crossLead, pos + lead + length + trail, crossLead + thickness));
        pos += length + childPadding + lead + trail;
        needed += length + lead + trail;
        remaining -= length + childPadding + trail;
        fixedRemaining -= childPadding;
    }
    const SIZE required = ax.MakeSize(needed + gaps, 0);
    ProcessScrollBar(inner, required.cx, required.cy);
}

void CLinearLayoutUI::DoPostPaint(HDC hDC, const RECT& /*rcPaint*/) {
    if ((m_uButtonState & StateCaptured) == 0 || m_bImmMode) return;
    CRenderEngine::DrawColor(hDC, GetThumbRect(true), kDragBandColor);
}

void CLinearLayoutUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (!pstrName || !pstrValue) return;
    if (std::wcscmp(pstrName, m_axis.sepAttribute) == 0) {
        SetSeparator(AttributeText::ReadInt(pstrValue));
    } else if (std::wcscmp(pstrName, L"sepimm") == 0) {
        SetSepImmMode(AttributeText::ReadBool(pstrValue));
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

bool CLinearLayoutUI::DragSeparatorTo(POINT pt) {
    const AxisView ax{m_axis.vertical, GetDpiScale()};
    const int d = ax.Main(pt) - ax.Main(m_ptLastMouse);
    const int at = ax.Main(pt);
    m_ptLastMouse = pt;
    RECT rc = m_rcNewPos;
    // The edge moves only once the mouse is past it in the direction of
    // travel (growing: past the band's width beyond it), so a mouse that ran
    // on beyond a size limit has to come back before it pulls again.
    const int sepSize = ax.dpi.Scale(m_iSepSize);
    const bool trailing = sepSize >= 0;
    if (trailing) {
        if (d > 0 && at < ax.Trail(m_rcNewPos) + sepSize) return false;
        if (d < 0 && at > ax.Trail(m_rcNewPos)) return false;
        ax.Trail(rc) += d;
    } else {
        if (d > 0 && at < ax.Lead(m_rcNewPos)) return false;
        if (d < 0 && at > ax.Lead(m_rcNewPos) + sepSize) return false;
        ax.Lead(rc) += d;
    }
    // Pins the moving edge so that the length becomes `length`.
    auto setLength = [&](int length) {
        if (trailing) {
            ax.Trail(rc) = ax.Lead(rc) + length;
        } else {
            ax.Lead(rc) = ax.Trail(rc) - length;
        }
    };
    const int oldLength = ax.Trail(m_rcNewPos) - ax.Lead(m_rcNewPos);
    const int minLength = ax.MinMain(this);
    const int maxLength = ax.MaxMain(this);
    if (ax.Trail(rc) - ax.Lead(rc) <= minLength) {
        if (oldLength <= minLength) return false;
        setLength(minLength);
    }
    if (ax.Trail(rc) - ax.Lead(rc) >= maxLength) {
        if (oldLength >= maxLength) return false;
        setLength(maxLength);
    }
    RECT oldBand = GetThumbRect(true);
    m_rcNewPos = rc;
    // Stored directly: the fixed-size setter would ask the parent for a
    // layout at once, which only immediate mode wants.
    ax.Main(m_cxyFixed) = ax.dpi.Unscale(ax.Trail(rc) - ax.Lead(rc));
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

bool CLinearLayoutUI::DoSplitterEvent(TEventUI& event) {
    const bool dragging = (m_uButtonState & StateCaptured) != 0;
    switch (event.type) {
    case EventButtonDown: {
        const RECT band = GetThumbRect(false);
        if (!IsEnabled() || !::PtInRect(&band, event.mousePoint)) return false;
        m_uButtonState |= StateCaptured;
        m_ptLastMouse = event.mousePoint;
        m_rcNewPos = m_rcItem;
        if (!m_bImmMode && m_pManager) m_pManager->AddPostPaint(this);
        return true;
    }
    case EventButtonUp:
        if (!dragging) return false;
        m_uButtonState &= ~StateCaptured;
        m_rcItem = m_rcNewPos;
        if (!m_bImmMode && m_pManager) m_pManager->RemovePostPaint(this);
        NeedParentUpdate();
        return true;
    case EventMouseMove:
        if (!dragging) return false;
        DragSeparatorTo(event.mousePoint);
        return true;
    case EventSetCursor: {
        const RECT band = GetThumbRect(false);
        if (!IsEnabled() || !::PtInRect(&band, event.mousePoint)) return false;
        ::SetCursor(::LoadCursor(nullptr, m_axis.vertical ? IDC_SIZENS : IDC_SIZEWE));
        return true;
    }
    default:
        return false;
    }
}

void CLinearLayoutUI::DoEvent(TEventUI& event) {
    if (m_iSepSize != 0 && DoSplitterEvent(event)) return;
    CContainerUI::DoEvent(event);
}

}  // namespace Facet
