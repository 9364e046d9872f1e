// CControlUI: the base of every windowless control. It keeps a control's
// rectangle, sizing constraints, colours, border, background image, texts and
// flags, reads the markup attributes all controls share, paints background,
// image, border (and, in subclasses, status images and text) in a fixed
// order, and takes the events its paint manager hands it, passing on to its
// parent what it does not handle.
#pragma once

#include <windows.h>

#include "facet/controls/event_source.h"
#include "facet/core/dpi_scale.h"
#include "facet/core/dui_string.h"
#include "facet/manager/ui_types.h"

namespace Facet {

class CPaintManagerUI;
class CControlWatch;

// Where a floating child sits relative to its parent's size; containers
// apply it when they lay the child out.
typedef struct tagTRelativePosUI {
    bool bRelative = false;
    // The parent's size at the last layout.
    SIZE szParent = {0, 0};
    int nMoveXPercent = 0;
    int nMoveYPercent = 0;
    int nZoomXPercent = 0;
    int nZoomYPercent = 0;
} TRelativePosUI;

class CControlUI {
public:
    CControlUI();
    // Raises DestroyHandlers, then has the manager forget the control.
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // Identity.
    virtual CDuiString GetName() const;
    // Plain store: the manager's name map is not updated.
    virtual void SetName(const wchar_t* pstrName);
    virtual const wchar_t* GetClass() const;
    // The control for the markup tag names it implements ("Control"), null
    // otherwise.
    virtual LPVOID GetInterface(const wchar_t* pstrName);
    virtual UINT GetControlFlags() const;
    // Visible and enabled; subclasses act (a button clicks) when it is.
    virtual bool Activate();

    // Tree. With bInit and a parent, Init runs.
    virtual CPaintManagerUI* GetManager() const;
    virtual void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true);
    virtual CControlUI* GetParent() const;

    virtual CDuiString GetText() const;
    virtual void SetText(const wchar_t* pstrText);

    // Geometry, in client coordinates of the window.
    virtual const RECT& GetPos() const;
    virtual void SetPos(RECT rc);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT rcPadding);
    // A negative component anchors to the parent's right or bottom edge.
    virtual SIZE GetFixedXY() const;
    virtual void SetFixedXY(SIZE szXY);
    // 0 lets the layout decide; negative values are ignored.
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);
    virtual void SetRelativePos(SIZE szMove, SIZE szZoom);
    virtual void SetRelativeParentSize(SIZE sz);
    virtual TRelativePosUI GetRelativePos() const;
    virtual bool IsRelativePos() const;

    // Tooltip, with every "<n>" already turned into a line break.
    virtual CDuiString GetToolTip() const;
    virtual void SetToolTip(const wchar_t* pstrText);
    virtual void SetToolTipWidth(int nWidth);
    virtual int GetToolTipWidth();

    // The Alt+key shortcut.
    virtual wchar_t GetShortcut() const;
    virtual void SetShortcut(wchar_t ch);

    // Right clicks become "menu" notifications.
    virtual bool IsContextMenuUsed() const;
    virtual void SetContextMenuUsed(bool bMenuUsed);

    // Free text and value for the application.
    virtual const CDuiString& GetUserData();
    virtual void SetUserData(const wchar_t* pstrText);
    virtual UINT_PTR GetTag() const;
    virtual void SetTag(UINT_PTR pTag);

    // Visible, and not hidden by an ancestor.
    virtual bool IsVisible() const;
    virtual void SetVisible(bool bVisible = true);
    // Set by an ancestor that hides or shows its subtree.
    virtual void SetInternVisible(bool bVisible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool bEnable = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool bEnable = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool bEnable = true);
    virtual bool IsFocused() const;
    // Asks the manager for the focus.
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool bFloat = true);

    // The callback's answer for this control, unless the flags skip it.
    // Containers search their children too. With FindHitTest, pData is a
    // POINT*.
    virtual CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags);

    // DoInit, then InitHandlers.
    virtual void Init();
    virtual void DoInit();

    // EventHandlers first; DoEvent only when none of them swallows it.
    virtual void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);

    // Names compare case-sensitively; unknown names and unparsable values
    // are ignored.
    virtual void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue);

    virtual SIZE EstimateSize(SIZE szAvailable);

    // Paints what of the control lies in rcPaint: background colour,
    // background image, status image, text, border.
    virtual void DoPaint(HDC hDC, const RECT& rcPaint);
    virtual void PaintBkColor(HDC hDC);
    virtual void PaintBkImage(HDC hDC);
    virtual void PaintStatusImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);
    // For controls registered with the manager's AddPostPaint.
    virtual void DoPostPaint(HDC hDC, const RECT& rcPaint);

    // name="value" pairs separated by one blank; stops at the first
    // malformed pair, keeping what was applied. Returns the control.
    CControlUI* ApplyAttributeList(const wchar_t* pstrList);

    // Draws an image description into the item rectangle, clipped to the
    // paint rectangle; false when it cannot be drawn.
    bool DrawImage(HDC hDC, const wchar_t* pStrImage, const wchar_t* pStrModify = nullptr);
    // The colour through the global hue, saturation and lightness when
    // colour adjustment is on; unchanged otherwise.
    DWORD GetAdjustColor(DWORD dwColor);

    // Repaints what of the control is visible through its ancestors.
    void Invalidate();
    bool IsUpdateNeeded() const;
    // Marks the control for layout at the next paint.
    void NeedUpdate();
    // Marks the parent (or, without one, the control) for layout.
    void NeedParentUpdate();

    // The control's virtual window name, else its nearest ancestor's.
    CDuiString GetVirtualWnd() const;
    // Needs a manager: turns on the manager's use of virtual windows.
    void SetVirtualWnd(const wchar_t* pstrValue);

    // Colours are 0xAARRGGBB; 0 means none.
    DWORD GetBkColor() const;
    void SetBkColor(DWORD dwBackColor);
    DWORD GetBkColor2() const;
    void SetBkColor2(DWORD dwBackColor);
    DWORD GetBkColor3() const;
    void SetBkColor3(DWORD dwBackColor);
    const wchar_t* GetBkImage();
    void SetBkImage(const wchar_t* pStrImage);
    DWORD GetBorderColor() const;
    void SetBorderColor(DWORD dwBorderColor);
    DWORD GetFocusBorderColor() const;
    void SetFocusBorderColor(DWORD dwBorderColor);
    bool IsColorHSL() const;
    void SetColorHSL(bool bColorHSL);
    int GetBorderSize() const;
    void SetBorderSize(int nSize);
    // The four side widths.
    void SetBorderSize(RECT rc);
    int GetLeftBorderSize() const;
    void SetLeftBorderSize(int nSize);
    int GetTopBorderSize() const;
    void SetTopBorderSize(int nSize);
    int GetRightBorderSize() const;
    void SetRightBorderSize(int nSize);
    int GetBottomBorderSize() const;
    void SetBottomBorderSize(int nSize);
    int GetBorderStyle() const;
    void SetBorderStyle(int nStyle);
    SIZE GetBorderRound() const;
    void SetBorderRound(SIZE cxyRound);

public:
    CEventSource InitHandlers;     // raised with the control at the end of Init
    CEventSource DestroyHandlers;  // raised with the control as destruction starts
    CEventSource SizeHandlers;     // raised with the control by SetPos
    CEventSource EventHandlers;    // raised with the TEventUI; false swallows it
    CEventSource NotifyHandlers;   // raised with each TNotifyUI the control sends

protected:
    // Draws an image description as DrawImage does; one that cannot be drawn
    // is dropped, so that later paints do not try (and load) it again. False
    // for an empty or dropped description.
    bool DrawImageOrForget(HDC hDC, CDuiString& image, const wchar_t* pStrModify = nullptr);
    // Stores an image description (null means none) and repaints.
    void AssignImage(CDuiString& image, const wchar_t* pStrImage);
    // Invalidates rc after narrowing it to each ancestor in turn; nothing
    // when it vanishes on the way.
    void InvalidateThroughAncestors(RECT rc);
    // Layout request after a size constraint changed.
    void NeedSizeUpdate();
    // The window's scale, which turns the control's skin numbers (positions,
    // sizes, paddings, borders) into pixels; 100 % without a manager.
    CDpiScale GetDpiScale() const;

    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    CDuiString m_sVirtualWnd;
    CDuiString m_sName;
    bool m_bUpdateNeeded = true;
    bool m_bMenuUsed = false;
    RECT m_rcItem = {0, 0, 0, 0};
    RECT m_rcPadding = {0, 0, 0, 0};
    SIZE m_cXY = {0, 0};
    SIZE m_cxyFixed = {0, 0};
    SIZE m_cxyMin = {0, 0};
    SIZE m_cxyMax = {9999, 9999};
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    bool m_bFloat = false;
    bool m_bSetPos = false;
    TRelativePosUI m_tRelativePos;
    CDuiString m_sText;
    CDuiString m_sToolTip;
    wchar_t m_chShortcut = 0;
    CDuiString m_sUserData;
    UINT_PTR m_pTag = 0;
    DWORD m_dwBackColor = 0;
    DWORD m_dwBackColor2 = 0;
    DWORD m_dwBackColor3 = 0;
    CDuiString m_sBkImage;
    DWORD m_dwBorderColor = 0;
    DWORD m_dwFocusBorderColor = 0;
    bool m_bColorHSL = false;
    int m_nBorderSize = 0;
    int m_nBorderStyle = PS_SOLID;
    int m_nTooltipWidth = 300;
    SIZE m_cxyBorderRound = {0, 0};
    RECT m_rcPaint = {0, 0, 0, 0};
    RECT m_rcBorderSize = {0, 0, 0, 0};

private:
    friend class CControlWatch;
    // Watches currently observing this control; the destructor clears them.
    CControlWatch* m_pWatches = nullptr;
};

// Observes a control across a call that may destroy it (an event handler
// deleting its own control, a notifier tearing down the tree). Lives on the
// stack; after the call, the watch answers whether the control still exists.
class CControlWatch {
public:
    explicit CControlWatch(CControlUI* pControl);
    ~CControlWatch();
    CControlWatch(const CControlWatch&) = delete;
    CControlWatch& operator=(const CControlWatch&) = delete;

    // The control, or null once it was destroyed (or when none was given).
    CControlUI* Get() const { return m_pControl; }
    explicit operator bool() const { return m_pControl != nullptr; }

private:
    friend class CControlUI;
    void Unlink();

    CControlUI* m_pControl;
    CControlWatch* m_pPrev = nullptr;
    CControlWatch* m_pNext = nullptr;
};

}  // namespace Facet
