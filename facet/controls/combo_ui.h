// CComboUI: a drop-down selector. Closed, it shows its state image and the
// selected item's text; activated, it opens a CComboWnd popup that lists its
// items (CListLabelElementUI and other list items) in a scrolling column.
// It owns the items and their appearance (TListInfoUI) throughout, and tells
// the window of a new selection with "itemselect".
#pragma once

#include <windows.h>

#include "facet/controls/container_ui.h"
#include "facet/controls/list_ui.h"
#include "facet/core/dui_string.h"

namespace Facet {

class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI {
    friend class CComboWnd;

public:
    enum : UINT {
        StateFocused = 0x01,
        StateDisabled = 0x04,
        StateHot = 0x08,
        StatePushed = 0x10,
        StateCaptured = 0x40,
    };

    CComboUI();
    // An open drop-down goes first: it paints and hit-tests the items.
    ~CComboUI() override;

    const wchar_t* GetClass() const override;
    // "Combo" gives the combo, "IListOwner" the IListOwnerUI face.
    LPVOID GetInterface(const wchar_t* pstrName) override;
    // A tab stop while keyboard-enabled, like Windows' own combo boxes.
    UINT GetControlFlags() const override;

    // Every change of the item list closes an open drop-down first, so the
    // popup never shows or hit-tests an item that is going away.
    // Add and RemoveAt reach these through the container, so the index and
    // selection bookkeeping runs once per change.
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    void RemoveAll() override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;

    // To its window the combo is one control: while the drop-down is open
    // its items lie in the popup's coordinates and belong to the popup's
    // manager, so a hit test never descends into them.
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;

    CDuiString GetText() const override;
    void SetEnabled(bool bEnable = true) override;
    bool Activate() override;
    void DoEvent(TEventUI& event) override;
    // Items are laid out only inside the drop-down; here they get no room.
    void SetPos(RECT rc) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

    // IListOwnerUI.
    TListInfoUI* GetListInfo() override;
    int GetCurSel() const override;
    bool SelectItem(int iIndex, bool bTakeFocus = false) override;

    // Null when closed.
    CComboWnd* GetDropDown() const { return m_pWindow; }
    UINT GetButtonState() const { return m_uButtonState; }

    SIZE GetDropBoxSize() const;
    void SetDropBoxSize(SIZE szDropBox);
    CDuiString GetDropBoxAttributeList();
    void SetDropBoxAttributeList(const wchar_t* pstrList);

    RECT GetTextPadding() const;
    void SetTextPadding(RECT rc);
    const wchar_t* GetNormalImage() const;
    void SetNormalImage(const wchar_t* pStrImage);
    const wchar_t* GetHotImage() const;
    void SetHotImage(const wchar_t* pStrImage);
    const wchar_t* GetPushedImage() const;
    void SetPushedImage(const wchar_t* pStrImage);
    const wchar_t* GetFocusedImage() const;
    void SetFocusedImage(const wchar_t* pStrImage);
    const wchar_t* GetDisabledImage() const;
    void SetDisabledImage(const wchar_t* pStrImage);

    // Item appearance; the first five repaint the closed box.
    int GetItemFont() const;
    void SetItemFont(int index);
    UINT GetItemTextStyle() const;
    void SetItemTextStyle(UINT uStyle);
    RECT GetItemTextPadding() const;
    void SetItemTextPadding(RECT rc);
    DWORD GetItemTextColor() const;
    void SetItemTextColor(DWORD dwTextColor);
    bool IsItemShowHtml() const;
    void SetItemShowHtml(bool bShowHtml = true);
    DWORD GetItemBkColor() const;
    void SetItemBkColor(DWORD dwBkColor);
    const wchar_t* GetItemBkImage() const;
    void SetItemBkImage(const wchar_t* pStrImage);
    bool IsAlternateBk() const;
    void SetAlternateBk(bool bAlternateBk);
    DWORD GetSelectedItemTextColor() const;
    void SetSelectedItemTextColor(DWORD dwTextColor);
    DWORD GetSelectedItemBkColor() const;
    void SetSelectedItemBkColor(DWORD dwBkColor);
    const wchar_t* GetSelectedItemImage() const;
    void SetSelectedItemImage(const wchar_t* pStrImage);
    DWORD GetHotItemTextColor() const;
    void SetHotItemTextColor(DWORD dwTextColor);
    DWORD GetHotItemBkColor() const;
    void SetHotItemBkColor(DWORD dwBkColor);
    const wchar_t* GetHotItemImage() const;
    void SetHotItemImage(const wchar_t* pStrImage);
    DWORD GetDisabledItemTextColor() const;
    void SetDisabledItemTextColor(DWORD dwTextColor);
    DWORD GetDisabledItemBkColor() const;
    void SetDisabledItemBkColor(DWORD dwBkColor);
    const wchar_t* GetDisabledItemImage() const;
    void SetDisabledItemImage(const wchar_t* pStrImage);
    DWORD GetItemLineColor() const;
    void SetItemLineColor(DWORD dwLineColor);

private:
    // Takes the items back from an open drop-down at once and lets its
    // window go; from here on the combo is closed.
    void CloseDropDownNow();
    // Called by the drop-down as it lets go of the combo.
    void OnDropDownGone();
    // Items get no room outside the drop-down.
    void EmptyItemRects();
    // Item indices equal positions from `first` on.
    void RenumberFrom(int first);
    // Screen readers hear that the list's items changed.
    void NotifyReorder();
    // Screen readers hear a choice when the chosen item stands for another
    // thing than the one they heard last (its user data, else its text): a
    // list rebuilt around the same drive is silent, or, if the drive's text
    // changed, a new name and value.
    void NotifyChoice(CControlUI* pItem);
    // How many items the open list shows at once.
    int PageSize() const;
    // Page Up and Page Down.
    void MovePage(bool bForward);
    // Opens the list, or closes it keeping the item it shows.
    void ToggleDropDown();
    // Moves the choice to the item a search finds; a search that finds
    // nothing (the items ahead hidden or disabled) keeps it.
    void MoveChoice(int iIndex);

    CComboWnd* m_pWindow = nullptr;
    int m_iCurSel = -1;
    CDuiString m_sAnnouncedChoice;
    CDuiString m_sAnnouncedKey;
    bool m_bChoiceAnnounced = false;
    RECT m_rcTextPadding = {0, 0, 0, 0};
    CDuiString m_sDropBoxAttributes;
    SIZE m_szDropBox = {0, 150};
    UINT m_uButtonState = 0;
    CDuiString m_sNormalImage;
    CDuiString m_sHotImage;
    CDuiString m_sPushedImage;
    CDuiString m_sFocusedImage;
    CDuiString m_sDisabledImage;
    TListInfoUI m_ListInfo;
};

}  // namespace Facet
