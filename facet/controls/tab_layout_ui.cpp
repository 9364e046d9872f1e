// CTabLayoutUI: which child is the current page as children come and go, the
// switch between pages, and the placement of the current page.
#include "facet/controls/tab_layout_ui.h"

#include <algorithm>
#include <cwchar>

#include "facet/controls/attribute_text.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

CTabLayoutUI::CTabLayoutUI() = default;

CTabLayoutUI::~CTabLayoutUI() {
    // Attached, the page's own destruction is reaped by its manager.
    if (m_pManager || !m_pFocusManager) return;
    CControlUI* focus = m_pFocusManager->GetFocus();
    if (focus && GetItemIndex(focus) >= 0) m_pFocusManager->ReapObjects(focus);
}

const wchar_t* CTabLayoutUI::GetClass() const { return L"TabLayoutUI"; }

LPVOID CTabLayoutUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"TabLayout") == 0) return this;
    return CContainerUI::GetInterface(pstrName);
}

// Add is AddAt at the end, so the page rule runs once whichever is called.
bool CTabLayoutUI::Add(CControlUI* pControl) { return AddAt(pControl, GetCount()); }

bool CTabLayoutUI::AddAt(CControlUI* pControl, int iIndex) {
    // Read before the container hides it along with a hidden layout.
    const bool visible = pControl && pControl->IsVisible();
    if (!CContainerUI::AddAt(pControl, iIndex)) return false;
    if (m_iCurSel < 0 && visible) {
        m_iCurSel = iIndex;
        return true;
    }
    pControl->SetVisible(false);
    if (m_iCurSel >= 0 && iIndex <= m_iCurSel) ++m_iCurSel;
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* pControl) {
    if (!pControl) return false;
    const int index = GetItemIndex(pControl);
    // The control may be gone after this; only its index is used below.
    if (!CContainerUI::Remove(pControl)) return false;
    if (index == m_iCurSel) {
        m_iCurSel = GetCount() > 0 ? 0 : -1;
        if (m_iCurSel == 0) GetItemAt(0)->SetVisible(true);
        NeedParentUpdate();
    } else if (index < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    NeedParentUpdate();
}

bool CTabLayoutUI::SetItemIndex(CControlUI* pControl, int iIndex) {
    CControlUI* current = GetItemAt(m_iCurSel);
    if (!CContainerUI::SetItemIndex(pControl, iIndex)) return false;
    if (current) m_iCurSel = GetItemIndex(current);
    return true;
}

int CTabLayoutUI::GetCurSel() const { return m_iCurSel; }

bool CTabLayoutUI::SelectItem(int iIndex) {
    if (iIndex < 0 || iIndex >= GetCount()) return false;
    if (iIndex == m_iCurSel) return true;
    const int old = m_iCurSel;
    m_iCurSel = iIndex;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = GetItemAt(i);
        if (i != iIndex) {
            page->SetVisible(false);
            continue;
        }
        page->SetVisible(true);
        page->SetFocus();
        if (m_pManager && m_pManager->GetFocus() == page) m_pFocusManager = m_pManager;
        SetPos(m_rcItem);
    }
    NeedParentUpdate();
    if (m_pManager) {
        // Tab then starts from the new page.
        m_pManager->SetNextTabControl();
        m_pManager->SendNotify(this, L"tabselect", static_cast<WPARAM>(iIndex),
                               static_cast<LPARAM>(old));
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* pControl) {
    const int index = GetItemIndex(pControl);
    if (index < 0) return false;
    return SelectItem(index);
}

void CTabLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    RECT inner = m_rcItem;
    const RECT inset = GetDpiScale().Scale(m_rcInset);
    inner.left += inset.left;
    inner.top += inset.top;
    inner.right -= inset.right;
    inner.bottom -= inset.bottom;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        if (i != m_iCurSel) continue;
        const RECT padding = pControl->GetPadding();
        const POINT origin = {inner.left + padding.left, inner.top + padding.top};
        const SIZE room = {std::max<LONG>(inner.right - padding.right - origin.x, 0),
                           std::max<LONG>(inner.bottom - padding.bottom - origin.y, 0)};
        SIZE sz = pControl->EstimateSize(room);
        if (sz.cx == 0) sz.cx = room.cx;
        if (sz.cy == 0) sz.cy = room.cy;
        // Minimum first, so a maximum below the minimum wins.
        sz.cx =
            std::min<LONG>(std::max<LONG>(sz.cx, pControl->GetMinWidth()), pControl->GetMaxWidth());
        sz.cy = std::min<LONG>(std::max<LONG>(sz.cy, pControl->GetMinHeight()),
                               pControl->GetMaxHeight());
        pControl->SetPos(RECT{origin.x, origin.y, origin.x + sz.cx, origin.y + sz.cy});
    }
}

void CTabLayoutUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (!pstrName || !pstrValue) return;
    if (std::wcscmp(pstrName, L"selectedid") == 0) SelectItem(AttributeText::ReadInt(pstrValue));
    // The container sees every attribute, this one too.
    CContainerUI::SetAttribute(pstrName, pstrValue);
}

}  // namespace Facet
