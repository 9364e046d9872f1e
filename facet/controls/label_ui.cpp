// CLabelUI: attributes, accessors, size estimate and plain text painting.
// The GDI+ effect path lives in label_ui_effects.cpp.
#include "facet/controls/label_ui.h"

#include <cwchar>

#include "facet/controls/attribute_text.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {

// GDI+ knows six text rendering hints, SystemDefault (0) to ClearTypeGridFit.
constexpr int kLastTextRenderingHint = 5;

// Extra height of a label's natural size over its font's text height.
constexpr int kLabelTextMargin = 4;

}  // namespace

CLabelUI::CLabelUI() = default;

bool CLabelUI::StartGdiplus() {
    // Started on the first text effect, not with every label: most labels
    // never draw one, and a window's start should not pay for GDI+. A failed
    // start leaves the token 0; the effect then draws nothing and the
    // destructor has nothing to shut down.
    if (m_gdiplusToken == 0 &&
        Gdiplus::GdiplusStartup(&m_gdiplusToken, &m_gdiplusStartupInput, nullptr) != Gdiplus::Ok) {
        m_gdiplusToken = 0;
    }
    return m_gdiplusToken != 0;
}

CLabelUI::~CLabelUI() {
    if (m_gdiplusToken != 0) Gdiplus::GdiplusShutdown(m_gdiplusToken);
}

const wchar_t* CLabelUI::GetClass() const { return L"LabelUI"; }

LPVOID CLabelUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Label") == 0) return this;
    return CControlUI::GetInterface(pstrName);
}

void CLabelUI::DoEvent(TEventUI& event) {
    if (event.type == EventSetFocus) {
        m_bFocused = true;
        return;
    }
    if (event.type == EventKillFocus) {
        m_bFocused = false;
        return;
    }
    CControlUI::DoEvent(event);
}

CDuiString CLabelUI::GetText() const {
    return m_EnableEffect ? m_TextValue : CControlUI::GetText();
}

void CLabelUI::SetText(const wchar_t* pstrText) {
    if (!m_EnableEffect) {
        CControlUI::SetText(pstrText);
        return;
    }
    if (m_TextValue == (pstrText ? pstrText : L"")) return;
    m_TextValue = pstrText ? pstrText : L"";
    Invalidate();
}

DWORD CLabelUI::GetTextColor() const { return m_dwTextColor; }

void CLabelUI::SetTextColor(DWORD dwTextColor) {
    if (m_dwTextColor == dwTextColor) return;
    m_dwTextColor = dwTextColor;
    Invalidate();
}

DWORD CLabelUI::GetDisabledTextColor() const { return m_dwDisabledTextColor; }

void CLabelUI::SetDisabledTextColor(DWORD dwTextColor) {
    if (m_dwDisabledTextColor == dwTextColor) return;
    m_dwDisabledTextColor = dwTextColor;
    Invalidate();
}

int CLabelUI::GetFont() const { return m_iFont; }

void CLabelUI::SetFont(int index) {
    if (m_iFont == index) return;
    m_iFont = index;
    Invalidate();
}

UINT CLabelUI::GetTextStyle() const { return m_uTextStyle; }

void CLabelUI::SetTextStyle(UINT uStyle) {
    if (m_uTextStyle == uStyle) return;
    m_uTextStyle = uStyle;
    Invalidate();
}

RECT CLabelUI::GetTextPadding() const { return m_rcTextPadding; }

void CLabelUI::SetTextPadding(RECT rc) {
    if (::EqualRect(&m_rcTextPadding, &rc)) return;
    m_rcTextPadding = rc;
    Invalidate();
}

bool CLabelUI::IsShowHtml() const { return m_bShowHtml; }

void CLabelUI::SetShowHtml(bool bShowHtml) {
    if (m_bShowHtml == bShowHtml) return;
    m_bShowHtml = bShowHtml;
    Invalidate();
}

bool CLabelUI::GetEnabledEffect() const { return m_EnableEffect; }
void CLabelUI::SetEnabledEffect(bool bEnable) { m_EnableEffect = bEnable; }
bool CLabelUI::GetEnabledShadow() const { return m_EnabledShadow; }
void CLabelUI::SetEnabledShadow(bool bEnable) { m_EnabledShadow = bEnable; }
bool CLabelUI::GetEnabledStroke() const { return m_EnabledStroke; }
void CLabelUI::SetEnabledStroke(bool bEnable) { m_EnabledStroke = bEnable; }
int CLabelUI::GetGradientAngle() const { return m_GradientAngle; }
void CLabelUI::SetGradientAngle(int iAngle) { m_GradientAngle = iAngle; }
int CLabelUI::GetGradientLength() const { return m_GradientLength; }
void CLabelUI::SetGradientLength(int iLength) { m_GradientLength = iLength; }
Gdiplus::RectF CLabelUI::GetShadowOffset() const { return m_ShadowOffset; }

void CLabelUI::SetShadowOffset(int offset, int angle) {
    if (angle > 180 || angle < -180) return;
    // The displacement depends on the offset and angle alone; where the
    // label happens to sit when this is called plays no part.
    float x = 0.0f;
    if (angle >= 0) {
        x = static_cast<float>(-offset);
    } else if (angle >= -179) {
        x = static_cast<float>(offset);
    }
    float y = 0.0f;
    if (angle > -90 && angle <= 90) {
        y = static_cast<float>(-offset);
    } else if (angle != -90) {
        y = static_cast<float>(offset);
    }
    m_ShadowOffset.X = x;
    m_ShadowOffset.Y = y;
}

DWORD CLabelUI::GetStrokeColor() const { return m_dwStrokeColor; }
void CLabelUI::SetStrokeColor(DWORD dwColor) { m_dwStrokeColor = dwColor; }
DWORD CLabelUI::GetTextColor1() const { return m_dwTextColor1; }
void CLabelUI::SetTextColor1(DWORD dwColor) { m_dwTextColor1 = dwColor; }
DWORD CLabelUI::GetTextShadowColorA() const { return m_dwTextShadowColorA; }
void CLabelUI::SetTextShadowColorA(DWORD dwColor) { m_dwTextShadowColorA = dwColor; }
DWORD CLabelUI::GetTextShadowColorB() const { return m_dwTextShadowColorB; }
void CLabelUI::SetTextShadowColorB(DWORD dwColor) { m_dwTextShadowColorB = dwColor; }
int CLabelUI::GetTransShadow() const { return m_TransShadow; }
void CLabelUI::SetTransShadow(int iAlpha) { m_TransShadow = iAlpha; }
int CLabelUI::GetTransShadow1() const { return m_TransShadow1; }
void CLabelUI::SetTransShadow1(int iAlpha) { m_TransShadow1 = iAlpha; }
int CLabelUI::GetTransText() const { return m_TransText; }
void CLabelUI::SetTransText(int iAlpha) { m_TransText = iAlpha; }
int CLabelUI::GetTransText1() const { return m_TransText1; }
void CLabelUI::SetTransText1(int iAlpha) { m_TransText1 = iAlpha; }
int CLabelUI::GetTransStroke() const { return m_TransStroke; }
void CLabelUI::SetTransStroke(int iAlpha) { m_TransStroke = iAlpha; }
int CLabelUI::GetTextRenderingHintAntiAlias() const { return m_TextRenderingHintAntiAlias; }

void CLabelUI::SetTextRenderingHintAntiAlias(int iHint) {
    if (iHint < 0 || iHint > kLastTextRenderingHint) iHint = 0;
    m_TextRenderingHintAntiAlias = iHint;
}

void CLabelUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (!pstrName || !pstrValue) return;
    using namespace AttributeText;
    auto is = [pstrName](const wchar_t* name) { return std::wcscmp(pstrName, name) == 0; };
    if (is(L"align")) {
        // Words are looked for as substrings, so "vcenter" also centres
        // horizontally through "center".
        UINT style = m_uTextStyle;
        if (std::wcsstr(pstrValue, L"left")) {
            style &= ~(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        }
        if (std::wcsstr(pstrValue, L"center")) {
            style &= ~DT_RIGHT;
            style |= DT_CENTER;
        }
        if (std::wcsstr(pstrValue, L"right")) {
            style &= ~(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            style |= DT_RIGHT;
        }
        if (std::wcsstr(pstrValue, L"top")) {
            style &= ~(DT_VCENTER | DT_BOTTOM);
            style |= DT_SINGLELINE;
        }
        if (std::wcsstr(pstrValue, L"vcenter")) {
            style &= ~DT_BOTTOM;
            style |= DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        }
        if (std::wcsstr(pstrValue, L"bottom")) {
            style &= ~DT_VCENTER;
            style |= DT_BOTTOM | DT_SINGLELINE;
        }
        SetTextStyle(style);
    } else if (is(L"endellipsis")) {
        SetTextStyle(ReadBool(pstrValue) ? (m_uTextStyle | DT_END_ELLIPSIS)
                                         : (m_uTextStyle & ~DT_END_ELLIPSIS));
    } else if (is(L"font")) {
        SetFont(ReadInt(pstrValue));
    } else if (is(L"textcolor")) {
        SetTextColor(ReadColor(pstrValue));
    } else if (is(L"disabledtextcolor")) {
        SetDisabledTextColor(ReadColor(pstrValue));
    } else if (is(L"textpadding")) {
        SetTextPadding(ReadRect(pstrValue));
    } else if (is(L"showhtml")) {
        SetShowHtml(ReadBool(pstrValue));
    } else if (is(L"enabledeffect")) {
        SetEnabledEffect(ReadBool(pstrValue));
    } else if (is(L"enabledstroke")) {
        SetEnabledStroke(ReadBool(pstrValue));
    } else if (is(L"enabledshadow")) {
        SetEnabledShadow(ReadBool(pstrValue));
    } else if (is(L"rhaa")) {
        SetTextRenderingHintAntiAlias(ReadInt(pstrValue));
    } else if (is(L"transshadow")) {
        SetTransShadow(ReadInt(pstrValue));
    } else if (is(L"transshadow1")) {
        SetTransShadow1(ReadInt(pstrValue));
    } else if (is(L"transtext")) {
        SetTransText(ReadInt(pstrValue));
    } else if (is(L"transtext1")) {
        SetTransText1(ReadInt(pstrValue));
    } else if (is(L"transstroke")) {
        SetTransStroke(ReadInt(pstrValue));
    } else if (is(L"gradientangle")) {
        SetGradientAngle(ReadInt(pstrValue));
    } else if (is(L"gradientlength")) {
        SetGradientLength(ReadInt(pstrValue));
    } else if (is(L"shadowoffset")) {
        int values[2];
        ReadInts(pstrValue, values, 2);
        SetShadowOffset(values[0], values[1]);
    } else if (is(L"textcolor1")) {
        SetTextColor1(ReadColor(pstrValue));
    } else if (is(L"textshadowcolora")) {
        SetTextShadowColorA(ReadColor(pstrValue));
    } else if (is(L"textshadowcolorb")) {
        SetTextShadowColorB(ReadColor(pstrValue));
    } else if (is(L"strokecolor")) {
        SetStrokeColor(ReadColor(pstrValue));
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

SIZE CLabelUI::EstimateWithFontHeight(SIZE szAvailable, int extra) {
    if (m_cxyFixed.cy != 0 || !m_pManager) return CControlUI::EstimateSize(szAvailable);
    const CDpiScale dpi = GetDpiScale();
    return SIZE{dpi.Scale(m_cxyFixed.cx),
                m_pManager->GetFontInfo(m_iFont)->tm.tmHeight + dpi.Scale(extra)};
}

SIZE CLabelUI::EstimateSize(SIZE szAvailable) {
    return EstimateWithFontHeight(szAvailable, kLabelTextMargin);
}

void CLabelUI::ApplyDefaultTextColors() {
    if (!m_pManager) return;
    if (m_dwTextColor == 0) m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_dwDisabledTextColor == 0) m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
}

RECT CLabelUI::GetTextRect() const {
    RECT rc = m_rcItem;
    const RECT padding = GetDpiScale().Scale(m_rcTextPadding);
    rc.left += padding.left;
    rc.right -= padding.right;
    rc.top += padding.top;
    rc.bottom -= padding.bottom;
    return rc;
}

void CLabelUI::PaintText(HDC hDC) {
    if (!m_pManager) return;
    ApplyDefaultTextColors();
    RECT rc = GetTextRect();
    if (m_EnableEffect) {
        PaintTextEffects(hDC, rc);
        return;
    }
    if (m_sText.IsEmpty()) return;
    const DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    const UINT style = DT_SINGLELINE | m_uTextStyle;
    if (m_bShowHtml) {
        int nLinks = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, m_sText, color, nullptr, nullptr, nLinks,
                                    style);
    } else {
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, m_sText, color, m_iFont, style);
    }
}

}  // namespace Facet
