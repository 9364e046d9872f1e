// CContainerUI: children, state propagation, plain layout, floating
// placement, search, painting and events. Scrolling lives in
// container_ui_scroll.cpp, markup attributes and the look-ups by descendant
// name in container_ui_attributes.cpp.
#include "facet/controls/container_ui.h"

#include <cwchar>

#include "facet/controls/scroll_bar_ui.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_clip.h"

namespace Facet {

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // The tree is going away with us: children die now, not after the next
    // message, and nothing is invalidated on the way out.
    m_bDelayedDestroy = false;
    CStdPtrArray children(m_items);
    m_items.Empty();
    for (int i = 0; i < children.GetSize(); ++i) {
        ReleaseChild(static_cast<CControlUI*>(children[i]));
    }
    delete m_pVerticalScrollBar;
    m_pVerticalScrollBar = nullptr;
    delete m_pHorizontalScrollBar;
    m_pHorizontalScrollBar = nullptr;
}

const wchar_t* CContainerUI::GetClass() const { return L"ContainerUI"; }

LPVOID CContainerUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"IContainer") == 0) {
        return static_cast<IContainerUI*>(this);
    }
    if (pstrName && std::wcscmp(pstrName, L"Container") == 0) return this;
    return CControlUI::GetInterface(pstrName);
}

CControlUI* CContainerUI::GetItemAt(int iIndex) const {
    if (iIndex < 0 || iIndex >= m_items.GetSize()) return nullptr;
    return static_cast<CControlUI*>(m_items[iIndex]);
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const {
    if (!pControl) return -1;
    return m_items.Find(pControl);
}

bool CContainerUI::SetItemIndex(CControlUI* pControl, int iIndex) {
    const int current = GetItemIndex(pControl);
    // A bad index would drop the child from the list it belongs to.
    if (current < 0 || iIndex < 0 || iIndex >= m_items.GetSize()) return false;
    NeedUpdate();
    m_items.Remove(current);
    return m_items.InsertAt(iIndex, pControl);
}

int CContainerUI::GetCount() const { return m_items.GetSize(); }

bool CContainerUI::Add(CControlUI* pControl) { return AddAt(pControl, m_items.GetSize()); }

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex) {
    // A control owned twice would be destroyed twice; one refused before
    // it is initialised stays entirely the caller's.
    if (!pControl || pControl == this || m_items.Find(pControl) >= 0) return false;
    if (iIndex < 0 || iIndex > m_items.GetSize()) return false;
    if (m_pManager) m_pManager->InitControls(pControl, this);
    if (IsVisible()) {
        NeedUpdate();
    } else {
        pControl->SetInternVisible(false);
    }
    return m_items.InsertAt(iIndex, pControl);
}

bool CContainerUI::Remove(CControlUI* pControl) {
    const int index = GetItemIndex(pControl);
    if (index < 0) return false;
    NeedUpdate();
    m_items.Remove(index);
    ReleaseChild(pControl);
    return true;
}

bool CContainerUI::RemoveAt(int iIndex) {
    CControlUI* pControl = GetItemAt(iIndex);
    if (!pControl) return false;
    return Remove(pControl);
}

void CContainerUI::RemoveAll() {
    // The list is emptied before any child dies, so a child whose
    // destruction reaches back into this container finds no stale entry.
    CStdPtrArray children(m_items);
    m_items.Empty();
    for (int i = 0; i < children.GetSize(); ++i) {
        ReleaseChild(static_cast<CControlUI*>(children[i]));
    }
    NeedUpdate();
}

void CContainerUI::ReleaseChild(CControlUI* pControl) {
    if (m_bAutoDestroy) {
        if (m_bDelayedDestroy && m_pManager) {
            m_pManager->AddDelayedCleanup(pControl);
        } else {
            delete pControl;
        }
        return;
    }
    // A kept child must not point back at a container that may die before
    // it; it stays known to the manager so that its destruction is reaped.
    if (pControl->GetParent() == this) pControl->SetManager(pControl->GetManager(), nullptr, false);
}

void CContainerUI::SetVisible(bool bVisible) {
    if (m_bVisible == bVisible) return;
    CControlUI::SetVisible(bVisible);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        static_cast<CControlUI*>(m_items[i])->SetInternVisible(IsVisible());
    }
}

void CContainerUI::SetInternVisible(bool bVisible) {
    CControlUI::SetInternVisible(bVisible);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        static_cast<CControlUI*>(m_items[i])->SetInternVisible(IsVisible());
    }
}

void CContainerUI::SetMouseEnabled(bool bEnable) {
    if (m_pVerticalScrollBar) m_pVerticalScrollBar->SetMouseEnabled(bEnable);
    if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->SetMouseEnabled(bEnable);
    CControlUI::SetMouseEnabled(bEnable);
}

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    for (int i = 0; i < m_items.GetSize(); ++i) {
        static_cast<CControlUI*>(m_items[i])->SetManager(pManager, this, bInit);
    }
    if (m_pVerticalScrollBar) m_pVerticalScrollBar->SetManager(pManager, this, bInit);
    if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->SetManager(pManager, this, bInit);
    CControlUI::SetManager(pManager, pParent, bInit);
}

RECT CContainerUI::GetInset() const { return m_rcInset; }

void CContainerUI::SetInset(RECT rcInset) {
    m_rcInset = rcInset;
    NeedUpdate();
}

int CContainerUI::GetChildPadding() const { return m_iChildPadding; }

void CContainerUI::SetChildPadding(int iPadding) {
    m_iChildPadding = iPadding;
    NeedUpdate();
}

bool CContainerUI::IsAutoDestroy() const { return m_bAutoDestroy; }
void CContainerUI::SetAutoDestroy(bool bAuto) { m_bAutoDestroy = bAuto; }
bool CContainerUI::IsDelayedDestroy() const { return m_bDelayedDestroy; }
void CContainerUI::SetDelayedDestroy(bool bDelayed) { m_bDelayedDestroy = bDelayed; }
bool CContainerUI::IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
void CContainerUI::SetMouseChildEnabled(bool bEnable) { m_bMouseChildEnabled = bEnable; }

int CContainerUI::FindSelectable(int iIndex, bool bForward) const {
    const int count = m_items.GetSize();
    if (count == 0) return -1;
    if (iIndex < 0) iIndex = 0;
    if (iIndex >= count) iIndex = count - 1;
    auto selectable = [this](int i) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        return pControl->GetInterface(L"ListItem") != nullptr && pControl->IsVisible() &&
               pControl->IsEnabled();
    };
    if (bForward) {
        for (int i = iIndex; i < count; ++i) {
            if (selectable(i)) return i;
        }
        return -1;
    }
    for (int i = iIndex; i >= 0; --i) {
        if (selectable(i)) return i;
    }
    return FindSelectable(0, true);
}

RECT CContainerUI::GetInnerRect() const {
    RECT rc = m_rcItem;
    const RECT inset = GetDpiScale().Scale(m_rcInset);
    rc.left += inset.left;
    rc.top += inset.top;
    rc.right -= inset.right;
    rc.bottom -= inset.bottom;
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        rc.right -= m_pVerticalScrollBar->GetThickness();
    }
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        rc.bottom -= m_pHorizontalScrollBar->GetThickness();
    }
    return rc;
}

void CContainerUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    if (m_items.IsEmpty()) return;
    RECT inner = m_rcItem;
    const RECT inset = GetDpiScale().Scale(m_rcInset);
    inner.left += inset.left;
    inner.top += inset.top;
    inner.right -= inset.right;
    inner.bottom -= inset.bottom;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
        } else {
            pControl->SetPos(inner);
        }
    }
}

void CContainerUI::SetFloatPos(int iIndex) {
    CControlUI* pControl = GetItemAt(iIndex);
    if (!pControl || !pControl->IsVisible() || !pControl->IsFloat()) return;

    // Offsets and sizes are skin numbers, placed at the window's scale.
    const CDpiScale dpi = GetDpiScale();
    const SIZE xy = dpi.Scale(pControl->GetFixedXY());
    const int cx = dpi.Scale(pControl->GetFixedWidth());
    const int cy = dpi.Scale(pControl->GetFixedHeight());
    RECT rc;
    // A negative offset anchors the child to the right or bottom edge.
    if (xy.cx >= 0) {
        rc.left = m_rcItem.left + xy.cx;
        rc.right = rc.left + cx;
    } else {
        rc.right = m_rcItem.right + xy.cx;
        rc.left = rc.right - cx;
    }
    if (xy.cy >= 0) {
        rc.top = m_rcItem.top + xy.cy;
        rc.bottom = rc.top + cy;
    } else {
        rc.bottom = m_rcItem.bottom + xy.cy;
        rc.top = rc.bottom - cy;
    }
    if (pControl->IsRelativePos()) {
        // The first layout only records the size; later ones move and
        // stretch the child by the change since the last one.
        const TRelativePosUI rel = pControl->GetRelativePos();
        const SIZE size = {m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top};
        if (rel.szParent.cx != 0) {
            const int dx = size.cx - rel.szParent.cx;
            const int dy = size.cy - rel.szParent.cy;
            rc.left += dx * rel.nMoveXPercent / 100;
            rc.top += dy * rel.nMoveYPercent / 100;
            rc.right = rc.left + cx + dx * rel.nZoomXPercent / 100;
            rc.bottom = rc.top + cy + dy * rel.nZoomYPercent / 100;
        }
        pControl->SetRelativeParentSize(size);
    }
    pControl->SetPos(rc);
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) {
    if ((uFlags & FindVisible) && !IsVisible()) return nullptr;
    if ((uFlags & FindEnabled) && !IsEnabled()) return nullptr;
    const bool hitTest = (uFlags & FindHitTest) != 0;
    if (hitTest) {
        if (!::PtInRect(&m_rcItem, *static_cast<POINT*>(pData))) return nullptr;
        if (!m_bMouseChildEnabled) {
            CControlUI* pResult = nullptr;
            if (m_pVerticalScrollBar) pResult = m_pVerticalScrollBar->FindControl(Proc, pData, uFlags);
            if (!pResult && m_pHorizontalScrollBar) {
                pResult = m_pHorizontalScrollBar->FindControl(Proc, pData, uFlags);
            }
            if (!pResult) pResult = CControlUI::FindControl(Proc, pData, uFlags);
            return pResult;
        }
    }
    CControlUI* pResult = nullptr;
    if (m_pVerticalScrollBar) pResult = m_pVerticalScrollBar->FindControl(Proc, pData, uFlags);
    if (pResult) return pResult;
    if (m_pHorizontalScrollBar) pResult = m_pHorizontalScrollBar->FindControl(Proc, pData, uFlags);
    if (pResult) return pResult;

    if (uFlags & FindMeFirst) {
        pResult = CControlUI::FindControl(Proc, pData, uFlags);
        if (pResult) return pResult;
    }

    // Non-floating children that reach into the inset or under a bar are
    // not hit there: that area shows the container, not them.
    const RECT inner = GetInnerRect();
    const int count = m_items.GetSize();
    const bool topFirst = (uFlags & FindTopFirst) != 0;
    for (int n = 0; n < count; ++n) {
        const int i = topFirst ? count - 1 - n : n;
        pResult = static_cast<CControlUI*>(m_items[i])->FindControl(Proc, pData, uFlags);
        if (!pResult) continue;
        if (hitTest && !pResult->IsFloat() && !::PtInRect(&inner, *static_cast<POINT*>(pData))) {
            continue;
        }
        return pResult;
    }
    if (uFlags & FindMeFirst) return nullptr;
    return CControlUI::FindControl(Proc, pData, uFlags);
}

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT rcTemp;
    if (!::IntersectRect(&rcTemp, &rcPaint, &m_rcItem)) return;
    CRenderClip clip;
    CRenderClip::GenerateClip(hDC, rcTemp, clip);
    CControlUI::DoPaint(hDC, rcPaint);

    if (!m_items.IsEmpty()) {
        const RECT inner = GetInnerRect();
        if (!::IntersectRect(&rcTemp, &rcPaint, &inner)) {
            // Only floating children can reach into the inset or bar area.
            for (int i = 0; i < m_items.GetSize(); ++i) {
                CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
                if (!pControl->IsVisible() || !pControl->IsFloat()) continue;
                RECT rcChild;
                if (!::IntersectRect(&rcChild, &rcPaint, &pControl->GetPos())) continue;
                if (!::IntersectRect(&rcChild, &m_rcItem, &pControl->GetPos())) continue;
                pControl->DoPaint(hDC, rcPaint);
            }
        } else {
            CRenderClip childClip;
            CRenderClip::GenerateClip(hDC, rcTemp, childClip);
            for (int i = 0; i < m_items.GetSize(); ++i) {
                CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
                if (!pControl->IsVisible()) continue;
                RECT rcChild;
                if (!::IntersectRect(&rcChild, &rcPaint, &pControl->GetPos())) continue;
                if (pControl->IsFloat()) {
                    // A floating child may cover the inset and the bars, so it
                    // paints under the container's own clip.
                    if (!::IntersectRect(&rcChild, &m_rcItem, &pControl->GetPos())) continue;
                    CRenderClip::UseOldClipBegin(hDC, childClip);
                    pControl->DoPaint(hDC, rcPaint);
                    CRenderClip::UseOldClipEnd(hDC, childClip);
                } else {
                    if (!::IntersectRect(&rcChild, &inner, &pControl->GetPos())) continue;
                    pControl->DoPaint(hDC, rcPaint);
                }
            }
        }
    }

    CScrollBarUI* bars[] = {m_pVerticalScrollBar, m_pHorizontalScrollBar};
    for (CScrollBarUI* pBar : bars) {
        if (!pBar || !pBar->IsVisible()) continue;
        if (::IntersectRect(&rcTemp, &rcPaint, &pBar->GetPos())) pBar->DoPaint(hDC, rcPaint);
    }
}

void CContainerUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_pParent) {
            m_pParent->DoEvent(event);
        } else {
            CControlUI::DoEvent(event);
        }
        return;
    }
    if (event.type == EventSetFocus || event.type == EventKillFocus) {
        m_bFocused = event.type == EventSetFocus;
        return;
    }
    const bool vertical = m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible() &&
                          m_pVerticalScrollBar->IsEnabled();
    const bool horizontal = !vertical && m_pHorizontalScrollBar &&
                            m_pHorizontalScrollBar->IsVisible() &&
                            m_pHorizontalScrollBar->IsEnabled();
    if (vertical || horizontal) {
        if (event.type == EventKeyDown) {
            switch (event.keyChar) {
            case VK_DOWN: vertical ? LineDown() : LineRight(); return;
            case VK_UP: vertical ? LineUp() : LineLeft(); return;
            case VK_NEXT: vertical ? PageDown() : PageRight(); return;
            case VK_PRIOR: vertical ? PageUp() : PageLeft(); return;
            case VK_HOME: vertical ? HomeUp() : HomeLeft(); return;
            case VK_END: vertical ? EndDown() : EndRight(); return;
            default: break;
            }
        } else if (event.type == EventScrollWheel) {
            // The manager gives 0 for a roll away from the user, 1 towards.
            if (event.wParam == 0) {
                vertical ? LineUp() : LineLeft();
                return;
            }
            if (event.wParam == 1) {
                vertical ? LineDown() : LineRight();
                return;
            }
        }
    }
    CControlUI::DoEvent(event);
}

}  // namespace Facet
