// CContainerUI: a control that owns an ordered list of children. It lays
// them out inside its rectangle less an inset (floating children by their
// fixed place), paints them clipped to itself, routes tree searches into
// them and can carry a vertical and a horizontal scroll bar that move the
// non-floating children. IContainerUI is the face through which other code
// manages the children of any container.
#pragma once

#include <windows.h>

#include "facet/controls/control_ui.h"
#include "facet/core/dui_string.h"
#include "facet/core/std_ptr_array.h"

namespace Facet {

class CScrollBarUI;

class IContainerUI {
public:
    // Null when index is out of range.
    virtual CControlUI* GetItemAt(int iIndex) const = 0;
    // -1 when the control is not a child.
    virtual int GetItemIndex(CControlUI* pControl) const = 0;
    virtual bool SetItemIndex(CControlUI* pControl, int iIndex) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* pControl) = 0;
    virtual bool AddAt(CControlUI* pControl, int iIndex) = 0;
    virtual bool Remove(CControlUI* pControl) = 0;
    virtual bool RemoveAt(int iIndex) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    // Children die at once (when auto-destroy is on), then both bars.
    ~CContainerUI() override;

    const wchar_t* GetClass() const override;
    // "IContainer" gives the IContainerUI face, "Container" the container.
    LPVOID GetInterface(const wchar_t* pstrName) override;

    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    int GetCount() const override;
    // The container owns the child from here on.
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    // With auto-destroy the child dies, by default late (after the current
    // message), so that it may remove itself from inside its own event.
    // Without, it stays alive, still known to the manager, with no parent.
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    void SetMouseEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;
    // Non-floating children all cover the inner rectangle; floating ones go
    // to their fixed place.
    void SetPos(RECT rc) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    // Reaches every child and both bars, so Init runs through a whole tree.
    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;

    virtual RECT GetInset() const;
    virtual void SetInset(RECT rcInset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int iPadding);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool bAuto);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool bDelayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool bEnable = true);

    // The nearest visible, enabled "ListItem" child from iIndex on (or
    // back); -1 when there is none.
    virtual int FindSelectable(int iIndex, bool bForward = true) const;

    // (horizontal, vertical); 0 for an absent or hidden bar.
    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    // Moves the bars and the non-floating children with them.
    virtual void SetScrollPos(SIZE szPos);
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void HomeLeft();
    virtual void EndRight();
    // Creates or deletes each bar.
    virtual void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;

    // Places the floating child at iIndex by its fixed place and, when it
    // asks for it, its relative move and zoom.
    virtual void SetFloatPos(int iIndex);
    // Called at the end of a layout with the content's needed size: shows,
    // hides or places the bars, and lays out again when the room changed.
    virtual void ProcessScrollBar(RECT rc, int cxRequired, int cyRequired);

    // Descendants by name (through the manager); the setters answer false
    // and the getters an empty text or -1 when no descendant has the name.
    bool SetSubControlText(const wchar_t* pstrSubControlName, const wchar_t* pstrText);
    bool SetSubControlFixedHeight(const wchar_t* pstrSubControlName, int cy);
    bool SetSubControlFixedWdith(const wchar_t* pstrSubControlName, int cx);
    bool SetSubControlUserData(const wchar_t* pstrSubControlName, const wchar_t* pstrText);
    CDuiString GetSubControlText(const wchar_t* pstrSubControlName);
    int GetSubControlFixedHeight(const wchar_t* pstrSubControlName);
    int GetSubControlFixedWdith(const wchar_t* pstrSubControlName);
    CDuiString GetSubControlUserData(const wchar_t* pstrSubControlName);
    CControlUI* FindSubControl(const wchar_t* pstrSubControlName);

protected:
    // The item rectangle less the inset and the room of the visible bars.
    RECT GetInnerRect() const;
    // A removed child: deleted now or late, or kept and unhooked.
    void ReleaseChild(CControlUI* pControl);

    CStdPtrArray m_items;  // CControlUI*, owned
    RECT m_rcInset = {0, 0, 0, 0};
    int m_iChildPadding = 0;
    bool m_bAutoDestroy = true;
    bool m_bDelayedDestroy = true;
    bool m_bMouseChildEnabled = true;
    bool m_bScrollProcess = false;
    CScrollBarUI* m_pVerticalScrollBar = nullptr;
    CScrollBarUI* m_pHorizontalScrollBar = nullptr;
};

}  // namespace Facet
