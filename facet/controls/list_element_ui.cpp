// CListElementUI: index, selection, the hand-over of input to the owner and
// the state-dependent item background.
#include "facet/controls/list_element_ui.h"

#include <cwchar>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"

namespace Facet {

const wchar_t* CListElementUI::GetClass() const { return L"ListElementUI"; }

LPVOID CListElementUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"ListItem") == 0) {
        return static_cast<IListItemUI*>(this);
    }
    if (pstrName && std::wcscmp(pstrName, L"ListElement") == 0) return this;
    return CControlUI::GetInterface(pstrName);
}

UINT CListElementUI::GetControlFlags() const { return ControlFlagWantReturn; }

bool CListElementUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pManager) m_pManager->SendNotify(this, L"itemactivate");
    return true;
}

void CListElementUI::SetVisible(bool bVisible) {
    CControlUI::SetVisible(bVisible);
    if (!IsVisible() && m_bSelected) {
        m_bSelected = false;
        if (m_pOwner) m_pOwner->SelectItem(-1);
    }
}

int CListElementUI::GetIndex() const { return m_iIndex; }
void CListElementUI::SetIndex(int iIndex) { m_iIndex = iIndex; }
IListOwnerUI* CListElementUI::GetOwner() { return m_pOwner; }

void CListElementUI::SetOwner(CControlUI* pOwner) {
    m_pOwner = pOwner ? static_cast<IListOwnerUI*>(pOwner->GetInterface(L"IListOwner")) : nullptr;
}

bool CListElementUI::IsSelected() const { return m_bSelected; }

bool CListElementUI::Select(bool bSelect) {
    // A disabled item cannot be chosen, but it must be able to let go: the
    // owner would otherwise select another while this one still says it is
    // selected.
    if (bSelect && !IsEnabled()) return false;
    if (bSelect == m_bSelected) return true;
    m_bSelected = bSelect;
    if (bSelect && m_pOwner) {
        // The owner's "itemselect" handler may destroy this item.
        CControlWatch self(this);
        m_pOwner->SelectItem(m_iIndex);
        if (!self) return true;
    }
    Invalidate();
    return true;
}

bool CListElementUI::IsExpanded() const { return false; }
bool CListElementUI::Expand(bool /*bExpand*/) { return false; }

void CListElementUI::PassToOwner(TEventUI& event) {
    if (m_pOwner) {
        m_pOwner->DoEvent(event);
    } else {
        CControlUI::DoEvent(event);
    }
}

bool CListElementUI::ForwardDisabledMouse(TEventUI& event) {
    if (IsMouseEnabled() || !IsMouseEvent(event.type)) return false;
    PassToOwner(event);
    return true;
}

void CListElementUI::DoEvent(TEventUI& event) {
    if (ForwardDisabledMouse(event)) return;
    const bool activates =
        event.type == EventDblClick || (event.type == EventKeyDown && event.keyChar == VK_RETURN);
    if (activates) {
        if (IsEnabled()) {
            CControlWatch watch(this);
            Activate();
            if (watch) Invalidate();
        }
        return;
    }
    // Keys and the wheel over an item act on the whole list.
    PassToOwner(event);
}

void CListElementUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (pstrName && std::wcscmp(pstrName, L"selected") == 0) {
        Select();
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

void CListElementUI::DrawItemBk(HDC hDC, const RECT& rcItem) {
    if (!m_pOwner) return;
    TListInfoUI* info = m_pOwner->GetListInfo();
    const bool hot = (m_uButtonState & StateHot) != 0;
    const bool odd = (m_iIndex % 2) != 0;
    DWORD color = info->dwBkColor;
    if (info->bAlternateBk && odd) color = 0;
    if (hot) color = info->dwHotBkColor;
    if (IsSelected()) color = info->dwSelectedBkColor;
    if (!IsEnabled()) color = info->dwDisabledBkColor;
    if (color != 0) CRenderEngine::DrawColor(hDC, rcItem, GetAdjustColor(color));

    if (!IsEnabled() && DrawImageOrForget(hDC, info->sDisabledImage)) return;
    if (IsSelected() && DrawImageOrForget(hDC, info->sSelectedImage)) return;
    if (hot && DrawImageOrForget(hDC, info->sHotImage)) return;

    if (!m_sBkImage.IsEmpty()) {
        if (!info->bAlternateBk || !odd) {
            DrawImageOrForget(hDC, m_sBkImage);
        }
    } else if (!info->sBkImage.IsEmpty()) {
        DrawImageOrForget(hDC, info->sBkImage);
        return;
    }

    if (info->dwLineColor != 0) {
        const RECT line = {rcItem.left, rcItem.bottom - 1, rcItem.right, rcItem.bottom - 1};
        CRenderEngine::DrawLine(hDC, line, 1, GetAdjustColor(info->dwLineColor));
    }
}

}  // namespace Facet
