// CContainerUI scrolling: the two owned bars, moving the non-floating
// children by the change of position, and fitting the vertical bar to the
// content at the end of every layout.
#include "facet/controls/container_ui.h"
#include "facet/controls/scroll_bar_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

// Without a manager there is no font to measure a line by.
constexpr int kLineScrollExtra = 8;

// One line is the default font's height and a little air.
int LineScrollSize(CPaintManagerUI* pManager) {
    if (!pManager) return kLineScrollExtra;
    return pManager->GetDefaultFontInfo()->tm.tmHeight +
           pManager->GetDpiScale().Scale(kLineScrollExtra);
}

}  // namespace

SIZE CContainerUI::GetScrollPos() const {
    SIZE sz = {0, 0};
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        sz.cy = m_pVerticalScrollBar->GetScrollPos();
    }
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        sz.cx = m_pHorizontalScrollBar->GetScrollPos();
    }
    return sz;
}

SIZE CContainerUI::GetScrollRange() const {
    SIZE sz = {0, 0};
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        sz.cy = m_pVerticalScrollBar->GetScrollRange();
    }
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        sz.cx = m_pHorizontalScrollBar->GetScrollRange();
    }
    return sz;
}

void CContainerUI::SetScrollPos(SIZE szPos) {
    // The bars clamp the position; children move by what really changed.
    int cx = 0;
    int cy = 0;
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        const int last = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        cy = m_pVerticalScrollBar->GetScrollPos() - last;
    }
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        const int last = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        cx = m_pHorizontalScrollBar->GetScrollPos() - last;
    }
    if (cx == 0 && cy == 0) return;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible() || pControl->IsFloat()) continue;
        RECT rc = pControl->GetPos();
        ::OffsetRect(&rc, -cx, -cy);
        pControl->SetPos(rc);
    }
    Invalidate();
}

void CContainerUI::LineUp() {
    SIZE sz = GetScrollPos();
    sz.cy -= LineScrollSize(m_pManager);
    SetScrollPos(sz);
}

void CContainerUI::LineDown() {
    SIZE sz = GetScrollPos();
    sz.cy += LineScrollSize(m_pManager);
    SetScrollPos(sz);
}

void CContainerUI::PageUp() {
    SIZE sz = GetScrollPos();
    const RECT inset = GetDpiScale().Scale(m_rcInset);
    int page = m_rcItem.bottom - m_rcItem.top - inset.top - inset.bottom;
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        page -= m_pHorizontalScrollBar->GetThickness();
    }
    sz.cy -= page;
    SetScrollPos(sz);
}

void CContainerUI::PageDown() {
    SIZE sz = GetScrollPos();
    const RECT inset = GetDpiScale().Scale(m_rcInset);
    int page = m_rcItem.bottom - m_rcItem.top - inset.top - inset.bottom;
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        page -= m_pHorizontalScrollBar->GetThickness();
    }
    sz.cy += page;
    SetScrollPos(sz);
}

void CContainerUI::HomeUp() {
    SIZE sz = GetScrollPos();
    sz.cy = 0;
    SetScrollPos(sz);
}

void CContainerUI::EndDown() {
    SIZE sz = GetScrollPos();
    sz.cy = GetScrollRange().cy;
    SetScrollPos(sz);
}

void CContainerUI::LineLeft() {
    SIZE sz = GetScrollPos();
    sz.cx -= LineScrollSize(m_pManager);
    SetScrollPos(sz);
}

void CContainerUI::LineRight() {
    SIZE sz = GetScrollPos();
    sz.cx += LineScrollSize(m_pManager);
    SetScrollPos(sz);
}

void CContainerUI::PageLeft() {
    SIZE sz = GetScrollPos();
    const RECT inset = GetDpiScale().Scale(m_rcInset);
    int page = m_rcItem.right - m_rcItem.left - inset.left - inset.right;
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        page -= m_pVerticalScrollBar->GetThickness();
    }
    sz.cx -= page;
    SetScrollPos(sz);
}

void CContainerUI::PageRight() {
    SIZE sz = GetScrollPos();
    const RECT inset = GetDpiScale().Scale(m_rcInset);
    int page = m_rcItem.right - m_rcItem.left - inset.left - inset.right;
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        page -= m_pVerticalScrollBar->GetThickness();
    }
    sz.cx += page;
    SetScrollPos(sz);
}

void CContainerUI::HomeLeft() {
    SIZE sz = GetScrollPos();
    sz.cx = 0;
    SetScrollPos(sz);
}

void CContainerUI::EndRight() {
    SIZE sz = GetScrollPos();
    sz.cx = GetScrollRange().cx;
    SetScrollPos(sz);
}

void CContainerUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal) {
    if (bEnableVertical && !m_pVerticalScrollBar) {
        m_pVerticalScrollBar = new CScrollBarUI;
        m_pVerticalScrollBar->SetOwner(this);
        m_pVerticalScrollBar->SetManager(m_pManager, this, false);
        if (m_pManager) {
            const wchar_t* pDefault = m_pManager->GetDefaultAttributeList(L"VScrollBar");
            if (pDefault) m_pVerticalScrollBar->ApplyAttributeList(pDefault);
        }
    } else if (!bEnableVertical && m_pVerticalScrollBar) {
        delete m_pVerticalScrollBar;
        m_pVerticalScrollBar = nullptr;
    }
    if (bEnableHorizontal && !m_pHorizontalScrollBar) {
        m_pHorizontalScrollBar = new CScrollBarUI;
        m_pHorizontalScrollBar->SetHorizontal(true);
        m_pHorizontalScrollBar->SetOwner(this);
        m_pHorizontalScrollBar->SetManager(m_pManager, this, false);
        if (m_pManager) {
            const wchar_t* pDefault = m_pManager->GetDefaultAttributeList(L"HScrollBar");
            if (pDefault) m_pHorizontalScrollBar->ApplyAttributeList(pDefault);
        }
    } else if (!bEnableHorizontal && m_pHorizontalScrollBar) {
        delete m_pHorizontalScrollBar;
        m_pHorizontalScrollBar = nullptr;
    }
    NeedUpdate();
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }

void CContainerUI::ProcessScrollBar(RECT rc, int /*cxRequired*/, int cyRequired) {
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        m_pHorizontalScrollBar->SetPos(RECT{rc.left, rc.bottom, rc.right,
                                            rc.bottom + m_pHorizontalScrollBar->GetThickness()});
    }
    if (!m_pVerticalScrollBar) return;

    // Showing or hiding the bar changes the room the children have, so the
    // layout runs once more; the guard keeps that second pass from starting
    // a third when the content's height depends on its width.
    auto layOutAgain = [this] {
        if (m_bScrollProcess) return;
        m_bScrollProcess = true;
        SetPos(m_rcItem);
        m_bScrollProcess = false;
    };
    const int height = rc.bottom - rc.top;
    if (cyRequired > height) {
        const int range = cyRequired - height;
        if (!m_pVerticalScrollBar->IsVisible()) {
            m_pVerticalScrollBar->SetVisible(true);
            m_pVerticalScrollBar->SetScrollRange(range);
            m_pVerticalScrollBar->SetScrollPos(0);
            layOutAgain();
            return;
        }
        m_pVerticalScrollBar->SetPos(
            RECT{rc.right, rc.top, rc.right + m_pVerticalScrollBar->GetThickness(), rc.bottom});
        // Content that shrank pulls the position back into the range; the
        // children were placed for the old position and must follow.
        const int before = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollRange(range);
        if (m_pVerticalScrollBar->GetScrollPos() != before) layOutAgain();
    } else if (m_pVerticalScrollBar->IsVisible()) {
        m_pVerticalScrollBar->SetVisible(false);
        m_pVerticalScrollBar->SetScrollRange(0);
        m_pVerticalScrollBar->SetScrollPos(0);
        layOutAgain();
    }
}

}  // namespace Facet
