// CSliderUI: a progress bar with a thumb the user drags, clicks to, rolls the
// wheel over or steps with the arrow keys. A release of the mouse button and
// each wheel notch or key step report the value with "valuechanged"; the
// drag itself moves the value silently. A disabled slider takes no input.
#pragma once

#include <windows.h>

#include "facet/controls/progress_ui.h"
#include "facet/core/dui_string.h"

namespace Facet {

class CSliderUI : public CProgressUI {
public:
    // Bits of the slider state, as the button numbers them.
    enum : UINT { StateHot = 0x08, StateCaptured = 0x40 };

    CSliderUI();

    const wchar_t* GetClass() const override;
    // "Slider" gives the slider; other names go to the progress bar.
    LPVOID GetInterface(const wchar_t* pstrName) override;
    // The hand cursor over the thumb while enabled; never a tab stop.
    UINT GetControlFlags() const override;
    // Disabling drops the hot and captured states.
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    // The filled bar, then the thumb.
    void PaintStatusImage(HDC hDC) override;

    // Value change per wheel notch or arrow key.
    int GetChangeStep() const;
    void SetChangeStep(int step);
    void SetThumbSize(SIZE szXY);
    // In client coordinates, where the value puts the thumb on the track.
    RECT GetThumbRect() const;
    // Image descriptions; each setter invalidates the slider.
    const wchar_t* GetThumbImage() const;
    void SetThumbImage(const wchar_t* pStrImage);
    const wchar_t* GetThumbHotImage() const;
    void SetThumbHotImage(const wchar_t* pStrImage);
    const wchar_t* GetThumbPushedImage() const;
    void SetThumbPushedImage(const wchar_t* pStrImage);

private:
    // The value under a mouse point on the track.
    int ValueAt(POINT pt) const;
    // One wheel notch or key step, reported at once.
    void Step(int direction);
    void SetImage(CDuiString& target, const wchar_t* pStrImage);

    UINT m_uButtonState = 0;
    int m_nStep = 1;
    SIZE m_szThumb = {10, 10};
    CDuiString m_sThumbImage;
    CDuiString m_sThumbHotImage;
    CDuiString m_sThumbPushedImage;
};

}  // namespace Facet
