// COptionUI: a button that keeps a selected state. Alone it toggles at each
// click (a check box); in a named group, kept by the paint manager, exactly
// one member is selected at a time (a radio button). A change of selection is
// reported with "selectchanged" by the option that changed (in a group: only
// by the one newly selected).
#pragma once

#include <windows.h>

#include "facet/controls/button_ui.h"
#include "facet/core/dui_string.h"

namespace Facet {

class COptionUI : public CButtonUI {
public:
    // Mirrors the selected flag in the button state.
    enum : UINT { StateSelected = 0x02 };

    COptionUI();
    // Leaves its group, attached or not.
    ~COptionUI() override;

    const wchar_t* GetClass() const override;
    // "Option" gives the option; other names go to the button.
    LPVOID GetInterface(const wchar_t* pstrName) override;
    // With initialisation, joins the manager's group of its name; a move to
    // another manager leaves the old one's group first.
    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    // The button's click, then select (in a group) or toggle (alone).
    bool Activate() override;
    // A disabled option keeps only its selected bit.
    void SetEnabled(bool bEnable = true) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    bool IsSelected() const;
    // Selecting a group member deselects the others silently.
    virtual void Selected(bool bSelected);

    // The group's name; empty (or null) for none.
    const wchar_t* GetGroup() const;
    void SetGroup(const wchar_t* pStrGroupName = nullptr);

    // Image descriptions; each setter invalidates the option.
    const wchar_t* GetSelectedImage() const;
    void SetSelectedImage(const wchar_t* pStrImage);
    const wchar_t* GetSelectedHotImage() const;
    void SetSelectedHotImage(const wchar_t* pStrImage);
    // Drawn over the state image in every state.
    const wchar_t* GetForeImage() const;
    void SetForeImage(const wchar_t* pStrImage);

    // Selected colours; 0 = none. They only store.
    DWORD GetSelectBkColor() const;
    void SetSelectedBkColor(DWORD dwBkColor);
    // 0 is replaced by the manager's default font colour, which is kept.
    DWORD GetSelectedTextColor();
    void SetSelectedTextColor(DWORD dwTextColor);

private:
    void JoinGroup();
    void LeaveGroup();

    bool m_bSelected = false;
    CDuiString m_sGroupName;
    DWORD m_dwSelectedBkColor = 0;
    DWORD m_dwSelectedTextColor = 0;
    CDuiString m_sSelectedImage;
    CDuiString m_sSelectedHotImage;
    CDuiString m_sOptionForeImage;
    // The manager that holds this option's group entry. The builder lends
    // its manager while it applies "group" and takes it back; the entry
    // stays, and the option must still be able to leave it.
    CPaintManagerUI* m_pGroupManager = nullptr;
};

}  // namespace Facet
