// CButtonUI: a label that can be pressed. It tracks hot, pushed, captured,
// focused and disabled states, shows one image (and text colour) per state,
// and sends "click" when the left button is released over it after a press
// on it, or when Space or Return is pressed while it has the focus.
#pragma once

#include <windows.h>

#include "facet/controls/label_ui.h"
#include "facet/core/dui_string.h"

namespace Facet {

class CButtonUI : public CLabelUI {
public:
    // Bits of the button state.
    enum : UINT {
        StateFocused = 0x01,
        StateDisabled = 0x04,
        StateHot = 0x08,
        StatePushed = 0x10,
        StateCaptured = 0x40,
    };

    // Centred on one line.
    CButtonUI();

    const wchar_t* GetClass() const override;
    // "Button" gives the button; "Label" and the rest go to the label.
    LPVOID GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;
    // Sends "click" when the button is visible and enabled.
    bool Activate() override;
    // Disabling clears every state bit.
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    // Without a fixed height: the fixed width and the font's height + 8.
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintText(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;

    UINT GetButtonState() const { return m_uButtonState; }

    // Image descriptions; each setter invalidates the button.
    const wchar_t* GetNormalImage() const;
    void SetNormalImage(const wchar_t* pStrImage);
    const wchar_t* GetHotImage() const;
    void SetHotImage(const wchar_t* pStrImage);
    const wchar_t* GetHotForeImage() const;
    void SetHotForeImage(const wchar_t* pStrImage);
    const wchar_t* GetPushedImage() const;
    void SetPushedImage(const wchar_t* pStrImage);
    const wchar_t* GetFocusedImage() const;
    void SetFocusedImage(const wchar_t* pStrImage);
    const wchar_t* GetDisabledImage() const;
    void SetDisabledImage(const wchar_t* pStrImage);
    // Drawn over the state image.
    const wchar_t* GetForeImage() const;
    void SetForeImage(const wchar_t* pStrImage);

    // State colours; 0 = none. They only store.
    DWORD GetHotBkColor() const;
    void SetHotBkColor(DWORD dwColor);
    DWORD GetHotTextColor() const;
    void SetHotTextColor(DWORD dwColor);
    DWORD GetPushedTextColor() const;
    void SetPushedTextColor(DWORD dwColor);
    DWORD GetFocusedTextColor() const;
    void SetFocusedTextColor(DWORD dwColor);

protected:
    // Brings the focused and disabled bits up to date before painting.
    void RefreshPaintState();

    UINT m_uButtonState = 0;
    DWORD m_dwHotBkColor = 0;
    DWORD m_dwHotTextColor = 0;
    DWORD m_dwPushedTextColor = 0;
    DWORD m_dwFocusedTextColor = 0;
    CDuiString m_sNormalImage;
    CDuiString m_sHotImage;
    CDuiString m_sHotForeImage;
    CDuiString m_sPushedImage;
    CDuiString m_sFocusedImage;
    CDuiString m_sDisabledImage;
    CDuiString m_sForeImage;
};

}  // namespace Facet
