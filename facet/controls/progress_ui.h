// CProgressUI: a label that shows a value between a minimum and a maximum by
// drawing the matching part of its fore image, growing from the left or, for
// a vertical bar, from the bottom. The visible part is stretched from the
// whole image or cut out of it.
#pragma once

#include <windows.h>

#include "facet/controls/label_ui.h"
#include "facet/core/dui_string.h"

namespace Facet {

class CProgressUI : public CLabelUI {
public:
    // Centred on one line, 12 pixels high.
    CProgressUI();

    const wchar_t* GetClass() const override;
    // "Progress" gives the bar; other names go to the label.
    LPVOID GetInterface(const wchar_t* pstrName) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    // Corrects the range and value (stored), then draws the filled part.
    void PaintStatusImage(HDC hDC) override;

    bool IsHorizontal() const;
    void SetHorizontal(bool bHorizontal = true);
    // Any values are taken; painting brings them in order.
    int GetMinValue() const;
    void SetMinValue(int nMin);
    int GetMaxValue() const;
    void SetMaxValue(int nMax);
    int GetValue() const;
    void SetValue(int nValue);
    bool IsStretchForeImage() const;
    void SetStretchForeImage(bool bStretchForeImage = true);
    const wchar_t* GetForeImage() const;
    void SetForeImage(const wchar_t* pStrImage);

protected:
    // The range and value as the next paint corrects them, read without
    // storing anything. In 64 bits: products of a length and a wide range
    // overflow 32.
    struct TRange {
        long long lo;
        long long hi;
        long long value;
        long long Span() const { return hi - lo; }
    };
    TRange GetCorrectedRange() const;

    int m_nMax = 100;
    int m_nMin = 0;
    int m_nValue = 0;

private:
    bool m_bHorizontal = true;
    bool m_bStretchForeImage = true;
    CDuiString m_sForeImage;
};

}  // namespace Facet
