// CLabelUI: one line of text with its own font, colours, padding and
// alignment, plain or with the framework's inline tags, and optionally drawn
// through GDI+ with a gradient, an outline and a shadow. It is the base of
// the button and of every control that shows a caption.
#pragma once

#include <windows.h>

#include "facet/controls/control_ui.h"
#include "facet/controls/label_gdiplus.h"
#include "facet/core/dui_string.h"

namespace Facet {

class CLabelUI : public CControlUI {
public:
    // "None" for the second text colour and the second shadow colour: the
    // first one is used at both ends of the gradient.
    static constexpr DWORD kNoSecondColor = 0xFFFFFFFF;

    // Starts GDI+ for the life of the label.
    CLabelUI();
    ~CLabelUI() override;

    const wchar_t* GetClass() const override;
    // "Label" gives the label; other names go to the base.
    LPVOID GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    // Without a fixed height: the fixed width and the font's height + 4.
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintText(HDC hDC) override;
    // While effects are on, the text drawn by the effect path; the plain
    // text is kept aside until they are switched off.
    CDuiString GetText() const override;
    void SetText(const wchar_t* pstrText) override;

    // 0 takes the manager's default at the first paint.
    DWORD GetTextColor() const;
    void SetTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const;
    void SetDisabledTextColor(DWORD dwTextColor);
    // An index into the manager's fonts; -1 (or any unknown index) is the
    // default font.
    int GetFont() const;
    void SetFont(int index);
    // DrawText flags; DT_SINGLELINE is added when a label paints.
    UINT GetTextStyle() const;
    void SetTextStyle(UINT uStyle);
    RECT GetTextPadding() const;
    void SetTextPadding(RECT rc);
    bool IsShowHtml() const;
    void SetShowHtml(bool bShowHtml = true);

    // The effect settings only store: they take effect at the next paint.
    bool GetEnabledEffect() const;
    void SetEnabledEffect(bool bEnable);
    bool GetEnabledShadow() const;
    void SetEnabledShadow(bool bEnable);
    bool GetEnabledStroke() const;
    void SetEnabledStroke(bool bEnable);
    // The gradient runs from (angle, 0) to (0, length); length 0 means the
    // text rectangle's height.
    int GetGradientAngle() const;
    void SetGradientAngle(int iAngle);
    int GetGradientLength() const;
    void SetGradientLength(int iLength);
    // X and Y are the shadow's displacement.
    Gdiplus::RectF GetShadowOffset() const;
    // Nothing for an angle outside -180..180.
    void SetShadowOffset(int offset, int angle);
    DWORD GetStrokeColor() const;
    void SetStrokeColor(DWORD dwColor);
    DWORD GetTextColor1() const;
    void SetTextColor1(DWORD dwColor);
    DWORD GetTextShadowColorA() const;
    void SetTextShadowColorA(DWORD dwColor);
    DWORD GetTextShadowColorB() const;
    void SetTextShadowColorB(DWORD dwColor);
    int GetTransShadow() const;
    void SetTransShadow(int iAlpha);
    int GetTransShadow1() const;
    void SetTransShadow1(int iAlpha);
    int GetTransText() const;
    void SetTransText(int iAlpha);
    int GetTransText1() const;
    void SetTransText1(int iAlpha);
    int GetTransStroke() const;
    void SetTransStroke(int iAlpha);
    // A GDI+ TextRenderingHint, 0..5; other values become 0.
    int GetTextRenderingHintAntiAlias() const;
    void SetTextRenderingHintAntiAlias(int iHint);

protected:
    // The font's text height plus extra, or the base estimate when a fixed
    // height is set or no manager can measure the font.
    SIZE EstimateWithFontHeight(SIZE szAvailable, int extra);
    // Takes the manager's default colours for those still 0.
    void ApplyDefaultTextColors();
    // The item rectangle less the text padding.
    RECT GetTextRect() const;

    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_VCENTER;
    RECT m_rcTextPadding = {0, 0, 0, 0};
    bool m_bShowHtml = false;

private:
    // The effect path of PaintText; every GDI+ object it makes is gone when
    // it returns.
    void PaintTextEffects(HDC hDC, const RECT& rcText);

    int m_EnumTextAlignment = 0;      // Gdiplus::StringAlignmentNear
    int m_EnumTextLineAlignment = 1;  // Gdiplus::StringAlignmentCenter
    int m_TransShadow = 60;
    int m_TransShadow1 = 60;
    int m_TransText = 168;
    int m_TransText1 = 168;
    int m_TransStroke = 255;
    int m_GradientLength = 0;
    int m_GradientAngle = 0;
    bool m_EnableEffect = false;
    bool m_EnabledStroke = false;
    bool m_EnabledShadow = false;
    DWORD m_dwTextColor1 = kNoSecondColor;
    DWORD m_dwTextShadowColorA = 0xFF000000;
    DWORD m_dwTextShadowColorB = kNoSecondColor;
    DWORD m_dwStrokeColor = 0;
    Gdiplus::RectF m_ShadowOffset;
    CDuiString m_TextValue;
    // GDI+ for this label's text effects, started on first use.
    bool StartGdiplus();
    ULONG_PTR m_gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput m_gdiplusStartupInput;
    int m_TextRenderingHintAntiAlias = 0;
};

}  // namespace Facet
