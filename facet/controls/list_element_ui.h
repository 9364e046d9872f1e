// CListElementUI: the base of one item of a list owner (the combo box). It
// keeps its index and selected state, tells its owner when it is chosen and
// draws its background from the owner's list info by state (normal,
// alternate, hot, selected, disabled). Subclasses draw the text.
#pragma once

#include <windows.h>

#include "facet/controls/control_ui.h"
#include "facet/controls/list_ui.h"

namespace Facet {

class CListElementUI : public CControlUI, public IListItemUI {
public:
    // Only the hot bit is used by items.
    enum : UINT { StateHot = 0x08 };

    const wchar_t* GetClass() const override;
    // "ListItem" gives the IListItemUI face, "ListElement" the element.
    LPVOID GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;
    // Sends "itemactivate" when visible and enabled.
    bool Activate() override;
    // A selected item that is hidden gives up the owner's selection.
    void SetVisible(bool bVisible = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

    int GetIndex() const override;
    void SetIndex(int iIndex) override;
    IListOwnerUI* GetOwner() override;
    // Keeps the owner's "IListOwner" face; null when it has none.
    void SetOwner(CControlUI* pOwner) override;
    bool IsSelected() const override;
    // Selecting is refused while disabled (deselecting is not); selecting
    // tells the owner.
    bool Select(bool bSelect = true) override;
    bool IsExpanded() const override;
    bool Expand(bool bExpand = true) override;

    void DrawItemBk(HDC hDC, const RECT& rcItem);

protected:
    // The owner's DoEvent, or the base's without an owner.
    void PassToOwner(TEventUI& event);
    // Mouse events of an item with its mouse disabled go to the owner.
    bool ForwardDisabledMouse(TEventUI& event);

    int m_iIndex = -1;
    bool m_bSelected = false;
    UINT m_uButtonState = 0;
    IListOwnerUI* m_pOwner = nullptr;
};

}  // namespace Facet
