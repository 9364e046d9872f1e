// CScrollBarUI: a rail with an optional arrow button at each end and a thumb
// whose length and place show a position within a range. A container owns
// its bars and is their owner: every step, page and drag is handed to it, and
// it moves its children and sets the bar's position in turn. A bar without
// an owner scrolls only itself and reports each change as "scroll".
#pragma once

#include <windows.h>

#include "facet/controls/control_ui.h"
#include "facet/core/dui_string.h"

namespace Facet {

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    // Bits of the three part states; the thumb's also picks the background
    // and rail images.
    enum : UINT {
        StateDisabled = 0x04,
        StateHot = 0x08,
        StatePushed = 0x10,
        StateCaptured = 0x40,
    };
    // The control timer that repeats held buttons and follows a thumb drag.
    static constexpr UINT kRepeatTimerId = 10;
    static constexpr UINT kRepeatTimerMs = 50;
    // Ticks a held button or rail waits before it repeats.
    static constexpr int kRepeatDelayTicks = 5;
    static constexpr int kDefaultThickness = 16;
    // Outline of a button or thumb that has no image.
    static constexpr DWORD kFallbackOutlineColor = 0xFF85E4FF;

    CScrollBarUI();

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* pstrName) override;

    // Not owned: the container that created the bar.
    CContainerUI* GetOwner() const;
    void SetOwner(CContainerUI* pOwner);

    bool IsHorizontal() const;
    // Gives a bar without a thickness in its new direction the default one.
    void SetHorizontal(bool bHorizontal = true);
    int GetScrollRange() const;
    // Below 0 becomes 0; the position is pulled into the new range.
    void SetScrollRange(int nRange);
    int GetScrollPos() const;
    // Pulled into 0..range. Recomputes the parts; layout is the owner's job.
    void SetScrollPos(int nPos);
    int GetLineSize() const;
    void SetLineSize(int nSize);
    bool GetShowButton1() const;
    void SetShowButton1(bool bShow);
    bool GetShowButton2() const;
    void SetShowButton2(bool bShow);

    // The parts, in client coordinates; all zero for a hidden part.
    const RECT& GetButton1Rect() const { return m_rcButton1; }
    const RECT& GetButton2Rect() const { return m_rcButton2; }
    const RECT& GetThumbRect() const { return m_rcThumb; }
    UINT GetButton1State() const { return m_uButton1State; }
    UINT GetButton2State() const { return m_uButton2State; }
    UINT GetThumbState() const { return m_uThumbState; }

    // Image descriptions; every setter invalidates the bar.
    const wchar_t* GetBkNormalImage() const;
    void SetBkNormalImage(const wchar_t* pStrImage);
    const wchar_t* GetBkHotImage() const;
    void SetBkHotImage(const wchar_t* pStrImage);
    const wchar_t* GetBkPushedImage() const;
    void SetBkPushedImage(const wchar_t* pStrImage);
    const wchar_t* GetBkDisabledImage() const;
    void SetBkDisabledImage(const wchar_t* pStrImage);
    const wchar_t* GetButton1NormalImage() const;
    void SetButton1NormalImage(const wchar_t* pStrImage);
    const wchar_t* GetButton1HotImage() const;
    void SetButton1HotImage(const wchar_t* pStrImage);
    const wchar_t* GetButton1PushedImage() const;
    void SetButton1PushedImage(const wchar_t* pStrImage);
    const wchar_t* GetButton1DisabledImage() const;
    void SetButton1DisabledImage(const wchar_t* pStrImage);
    const wchar_t* GetButton2NormalImage() const;
    void SetButton2NormalImage(const wchar_t* pStrImage);
    const wchar_t* GetButton2HotImage() const;
    void SetButton2HotImage(const wchar_t* pStrImage);
    const wchar_t* GetButton2PushedImage() const;
    void SetButton2PushedImage(const wchar_t* pStrImage);
    const wchar_t* GetButton2DisabledImage() const;
    void SetButton2DisabledImage(const wchar_t* pStrImage);
    const wchar_t* GetThumbNormalImage() const;
    void SetThumbNormalImage(const wchar_t* pStrImage);
    const wchar_t* GetThumbHotImage() const;
    void SetThumbHotImage(const wchar_t* pStrImage);
    const wchar_t* GetThumbPushedImage() const;
    void SetThumbPushedImage(const wchar_t* pStrImage);
    const wchar_t* GetThumbDisabledImage() const;
    void SetThumbDisabledImage(const wchar_t* pStrImage);
    const wchar_t* GetRailNormalImage() const;
    void SetRailNormalImage(const wchar_t* pStrImage);
    const wchar_t* GetRailHotImage() const;
    void SetRailHotImage(const wchar_t* pStrImage);
    const wchar_t* GetRailPushedImage() const;
    void SetRailPushedImage(const wchar_t* pStrImage);
    const wchar_t* GetRailDisabledImage() const;
    void SetRailDisabledImage(const wchar_t* pStrImage);

    // Stores the flag without asking for layout: the owner decides when the
    // bar takes room.
    void SetVisible(bool bVisible = true) override;
    // Disabling clears the three part states.
    void SetEnabled(bool bEnable = true) override;
    // The owner takes the focus for its bar.
    void SetFocus() override;
    // Places buttons and thumb inside rc.
    void SetPos(RECT rc) override;
    // Fixed height when horizontal, fixed width when vertical, in pixels at
    // the window's scale: the room the bar takes from its container.
    int GetThickness() const;

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    void PaintBk(HDC hDC);
    void PaintButton1(HDC hDC);
    void PaintButton2(HDC hDC);
    void PaintThumb(HDC hDC);
    void PaintRail(HDC hDC);

private:
    // The four images of one part, in the order normal, hot, pushed,
    // disabled.
    struct PartImages {
        CDuiString normal;
        CDuiString hot;
        CDuiString pushed;
        CDuiString disabled;
    };

    void StepBack();
    void StepForward();
    void PageBack();
    void PageForward();
    // Pages towards pt when it lies off the thumb along the bar.
    void PageTowards(POINT pt);
    // The bar's own "scroll" notification, sent only without an owner.
    void NotifyScrollWithoutOwner();
    // Draws the state image of a part, or its normal image; false when
    // neither drew. Images that fail to draw are dropped.
    bool PaintPartImages(HDC hDC, UINT& uState, PartImages& images, const wchar_t* pStrModify);
    // Writes "dest='l,t,r,b'" for rc relative to the bar into the modifier.
    const wchar_t* MakeDestModifier(const RECT& rc);

    bool m_bHorizontal = false;
    int m_nRange = 100;
    int m_nScrollPos = 0;
    int m_nLineSize = 8;
    CContainerUI* m_pOwner = nullptr;
    POINT m_ptLastMouse = {0, 0};
    int m_nLastScrollPos = 0;
    int m_nLastScrollOffset = 0;
    int m_nScrollRepeatDelay = 0;

    PartImages m_bkImages;
    RECT m_rcButton1 = {0, 0, 0, 0};
    UINT m_uButton1State = 0;
    PartImages m_button1Images;
    bool m_bShowButton1 = true;
    RECT m_rcButton2 = {0, 0, 0, 0};
    UINT m_uButton2State = 0;
    PartImages m_button2Images;
    bool m_bShowButton2 = true;
    RECT m_rcThumb = {0, 0, 0, 0};
    UINT m_uThumbState = 0;
    PartImages m_thumbImages;
    PartImages m_railImages;
    CDuiString m_sImageModify;
};

}  // namespace Facet
