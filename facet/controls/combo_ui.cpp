// CComboUI: the item list with its selection bookkeeping, opening the
// drop-down, input on the closed box and its painting.
#include "facet/controls/combo_ui.h"

#include <cwchar>

#include "facet/controls/combo_wnd.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {
// Extra height of the closed box over the default font's text height.
constexpr int kComboTextMargin = 12;
// The drop-down list's inset and border, above and below, as CComboWnd
// frames it.
constexpr int kListFrame = 4;

IListItemUI* AsListItem(CControlUI* pControl) {
    return pControl ? static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem")) : nullptr;
}
}  // namespace

CComboUI::CComboUI() = default;

CComboUI::~CComboUI() { CloseDropDownNow(); }

const wchar_t* CComboUI::GetClass() const { return L"ComboUI"; }

LPVOID CComboUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Combo") == 0) return this;
    if (pstrName && std::wcscmp(pstrName, L"IListOwner") == 0) {
        return static_cast<IListOwnerUI*>(this);
    }
    return CContainerUI::GetInterface(pstrName);
}

UINT CComboUI::GetControlFlags() const { return IsKeyboardEnabled() ? static_cast<UINT>(ControlFlagTabStop) : 0u; }

// Items --------------------------------------------------------------------

void CComboUI::NotifyReorder() {
    if (m_pManager) m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_REORDER, this, 1);
}

void CComboUI::RenumberFrom(int first) {
    for (int i = first; i < GetCount(); ++i) {
        if (IListItemUI* item = AsListItem(GetItemAt(i))) item->SetIndex(i);
    }
}

bool CComboUI::AddAt(CControlUI* pControl, int iIndex) {
    CloseDropDownNow();
    if (!CContainerUI::AddAt(pControl, iIndex)) return false;
    if (IListItemUI* item = AsListItem(pControl)) item->SetOwner(this);
    RenumberFrom(iIndex);
    if (m_iCurSel >= iIndex) ++m_iCurSel;
    NotifyReorder();
    return true;
}

bool CComboUI::Remove(CControlUI* pControl) {
    const int index = GetItemIndex(pControl);
    if (index < 0) return false;
    CloseDropDownNow();
    if (!CContainerUI::Remove(pControl)) return false;
    RenumberFrom(index);
    NotifyReorder();
    if (index == m_iCurSel) {
        m_iCurSel = -1;
        SelectItem(FindSelectable(index, false));
    } else if (index < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CComboUI::RemoveAll() {
    CloseDropDownNow();
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    NotifyReorder();
}

bool CComboUI::SetItemIndex(CControlUI* pControl, int iIndex) {
    const int old = GetItemIndex(pControl);
    CControlUI* selected = GetItemAt(m_iCurSel);
    if (!CContainerUI::SetItemIndex(pControl, iIndex)) return false;
    RenumberFrom(old < iIndex ? old : iIndex);
    if (selected) m_iCurSel = GetItemIndex(selected);
    return true;
}

CControlUI* CComboUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) {
    if (uFlags & FindHitTest) return CControlUI::FindControl(Proc, pData, uFlags);
    return CContainerUI::FindControl(Proc, pData, uFlags);
}

CDuiString CComboUI::GetText() const {
    CControlUI* item = GetItemAt(m_iCurSel);
    return item ? item->GetText() : CDuiString();
}

TListInfoUI* CComboUI::GetListInfo() { return &m_ListInfo; }

int CComboUI::GetCurSel() const { return m_iCurSel; }

// The drop-down stays open while the choice moves in it, as in the system's
// own combo boxes: Return, Escape, F4, Alt+Up or a click closes it.
bool CComboUI::SelectItem(int iIndex, bool bTakeFocus) {
    if (iIndex == m_iCurSel) return true;
    const int old = m_iCurSel;
    if (old >= 0) {
        IListItemUI* item = AsListItem(GetItemAt(old));
        if (!item) return false;
        item->Select(false);
        m_iCurSel = -1;
    }
    if (iIndex < 0 || GetCount() == 0) {
        NotifyChoice(nullptr);
        return false;
    }
    if (iIndex >= GetCount()) iIndex = GetCount() - 1;
    CControlUI* control = GetItemAt(iIndex);
    IListItemUI* item = AsListItem(control);
    if (!item || !control->IsVisible() || !control->IsEnabled()) return false;
    m_iCurSel = iIndex;
    // Focus and notification handlers may destroy the combo or the item at
    // once; what is gone is not touched again.
    CControlWatch self(this);
    CControlWatch chosen(control);
    if (m_pWindow || bTakeFocus) control->SetFocus();
    if (!self || !chosen) return false;
    item->Select(true);
    if (!self) return true;
    if (chosen) NotifyChoice(control);
    if (m_pManager) m_pManager->SendNotify(this, L"itemselect", iIndex, old);
    if (self) Invalidate();
    return true;
}

void CComboUI::NotifyChoice(CControlUI* pItem) {
    if (!m_pManager) return;
    const CDuiString text = pItem ? pItem->GetText() : CDuiString();
    // An item's user data names what it stands for (a drive's letter); one
    // without names itself by its text.
    const CDuiString key = !pItem ? CDuiString() : pItem->GetUserData().IsEmpty() ? text : pItem->GetUserData();
    const bool sameChoice = pItem != nullptr && m_bChoiceAnnounced && key == m_sAnnouncedKey;
    if ((sameChoice || (!pItem && !m_bChoiceAnnounced)) && text == m_sAnnouncedChoice) return;
    m_sAnnouncedChoice = text;
    m_sAnnouncedKey = key;
    m_bChoiceAnnounced = pItem != nullptr;
    // An item shown in the open list is announced where it is shown. The
    // same choice under new words (a drive's size after a format) is a
    // new name and value, not a choice the user made.
    if (pItem && pItem->GetManager()) {
        pItem->GetManager()->NotifyAccessibleEvent(sameChoice ? EVENT_OBJECT_NAMECHANGE : EVENT_OBJECT_SELECTION, pItem);
    }
    m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_VALUECHANGE, this);
}

void CComboUI::MoveChoice(int iIndex) {
    if (iIndex >= 0) SelectItem(iIndex);
}

int CComboUI::PageSize() const {
    // The items the open list shows at once, as PlaceBelowOrAbove sizes it.
    const CDpiScale dpi = GetDpiScale();
    int room = dpi.Scale(m_szDropBox).cy - dpi.Scale(kListFrame);
    int shown = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsVisible()) continue;
        room -= item->EstimateSize(SIZE{m_rcItem.right - m_rcItem.left, 0}).cy;
        if (room < 0) break;
        ++shown;
    }
    return shown > 0 ? shown : 1;
}

void CComboUI::MovePage(bool bForward) {
    // As the system's list box: the item at the page's far edge, so that one
    // item of the old page stays in view; at least one item on.
    const int step = PageSize() > 1 ? PageSize() - 1 : 1;
    const int from = m_iCurSel < 0 ? (bForward ? -1 : GetCount()) : m_iCurSel;
    int target = from + (bForward ? step : -step);
    if (target >= GetCount()) target = GetCount() - 1;
    if (target < 0) target = 0;
    // The nearest selectable item at or before the target, past the current
    // one; none there keeps the choice.
    for (int i = target; bForward ? i > from : i < from; i += bForward ? -1 : 1) {
        CControlUI* item = GetItemAt(i);
        if (AsListItem(item) && item->IsVisible() && item->IsEnabled()) {
            SelectItem(i);
            return;
        }
    }
}

// Drop-down ----------------------------------------------------------------

void CComboUI::ToggleDropDown() {
    if (m_pWindow) {
        m_pWindow->Close();
    } else {
        Activate();
    }
}

bool CComboUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pWindow) return true;
    if (!m_pManager || !CComboWnd::Open(this)) return false;
    CControlWatch self(this);
    // A reader hears the box expand, then the item the open list focuses.
    m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_STATECHANGE, this);
    if (m_pWindow) m_pWindow->FocusChosenItem();
    if (!self) return true;
    m_pManager->SendNotify(this, L"dropdown");
    if (self) Invalidate();
    return true;
}

void CComboUI::CloseDropDownNow() {
    if (m_pWindow) m_pWindow->Abandon();
}

void CComboUI::OnDropDownGone() {
    m_pWindow = nullptr;
    m_uButtonState &= ~StatePushed;
    Invalidate();
    if (m_pManager) m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_STATECHANGE, this);
}

void CComboUI::EmptyItemRects() {
    for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetPos(RECT{0, 0, 0, 0});
}

// Input --------------------------------------------------------------------

void CComboUI::SetEnabled(bool bEnable) {
    CContainerUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CComboUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_pParent) {
            m_pParent->DoEvent(event);
        } else {
            CContainerUI::DoEvent(event);
        }
        return;
    }
    switch (event.type) {
    case EventSetFocus:
    case EventKillFocus:
        Invalidate();
        break;
    case EventButtonDown:
        if (IsEnabled()) {
            CControlWatch self(this);
            Activate();
            if (self) m_uButtonState |= StatePushed | StateCaptured;
        }
        return;
    case EventButtonUp:
        if (m_uButtonState & StateCaptured) {
            m_uButtonState &= ~StateCaptured;
            Invalidate();
        }
        return;
    case EventMouseMove:
    case EventContextMenu:
        return;
    case EventKeyDown:
        switch (event.keyChar) {
        case VK_F4:
            ToggleDropDown();
            return;
        case VK_UP:
            MoveChoice(FindSelectable(m_iCurSel - 1, false));
            return;
        case VK_DOWN:
            MoveChoice(FindSelectable(m_iCurSel + 1, true));
            return;
        case VK_PRIOR:
        case VK_NEXT:
            MovePage(event.keyChar == VK_NEXT);
            return;
        case VK_HOME:
            MoveChoice(FindSelectable(0, true));
            return;
        case VK_END:
            MoveChoice(FindSelectable(GetCount() - 1, false));
            return;
        default:
            break;
        }
        break;
    case EventSysKey:
        // Alt+Down and Alt+Up open and close the list, as in the system's
        // own combo boxes.
        if (event.keyChar == VK_DOWN || event.keyChar == VK_UP) {
            ToggleDropDown();
            return;
        }
        break;
    case EventScrollWheel:
        // A disabled combo keeps its selection.
        if (IsEnabled()) {
            const bool down = event.wParam == SB_LINEDOWN;
            MoveChoice(FindSelectable(m_iCurSel + (down ? 1 : -1), down));
        }
        return;
    case EventMouseEnter:
        if (::PtInRect(&m_rcItem, event.mousePoint)) {
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
        break;
    }
    CControlUI::DoEvent(event);
}

// Layout and painting ------------------------------------------------------

void CComboUI::SetPos(RECT rc) {
    // While the drop-down is open the items are laid out in its list.
    if (!m_pWindow) EmptyItemRects();
    CControlUI::SetPos(rc);
}

SIZE CComboUI::EstimateSize(SIZE szAvailable) {
    if (m_cxyFixed.cy == 0 && m_pManager) {
        const CDpiScale dpi = GetDpiScale();
        return SIZE{dpi.Scale(m_cxyFixed.cx), m_pManager->GetDefaultFontInfo()->tm.tmHeight +
                                                  dpi.Scale(kComboTextMargin)};
    }
    return CControlUI::EstimateSize(szAvailable);
}

void CComboUI::DoPaint(HDC hDC, const RECT& rcPaint) { CControlUI::DoPaint(hDC, rcPaint); }

void CComboUI::PaintStatusImage(HDC hDC) {
    if (IsFocused()) {
        m_uButtonState |= StateFocused;
    } else {
        m_uButtonState &= ~StateFocused;
    }
    if (!IsEnabled()) {
        m_uButtonState |= StateDisabled;
    } else {
        m_uButtonState &= ~StateDisabled;
    }
    CDuiString* state = nullptr;
    if (m_uButtonState & StateDisabled) {
        state = &m_sDisabledImage;
    } else if (m_uButtonState & StatePushed) {
        state = &m_sPushedImage;
    } else if (m_uButtonState & StateHot) {
        state = &m_sHotImage;
    } else if (m_uButtonState & StateFocused) {
        state = &m_sFocusedImage;
    }
    if (state && DrawImageOrForget(hDC, *state)) return;
    DrawImageOrForget(hDC, m_sNormalImage);
}

void CComboUI::PaintText(HDC hDC) {
    RECT rc = m_rcItem;
    const RECT padding = GetDpiScale().Scale(m_rcTextPadding);
    rc.left += padding.left;
    rc.right -= padding.right;
    rc.top += padding.top;
    rc.bottom -= padding.bottom;
    CControlUI* control = GetItemAt(m_iCurSel);
    if (!control) return;
    if (IListItemUI* item = AsListItem(control)) {
        item->DrawItemText(hDC, rc);
        return;
    }
    const RECT old = control->GetPos();
    control->SetPos(rc);
    control->DoPaint(hDC, rc);
    control->SetPos(old);
}

}  // namespace Facet
