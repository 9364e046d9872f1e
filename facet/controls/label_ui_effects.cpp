// The label's GDI+ text: a gradient fill, an optional one-pixel outline drawn
// as four displaced copies, and an optional displaced shadow. Every GDI+
// object here lives on the stack of one paint.
#include <memory>

#include "facet/controls/label_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

// The colour's red, green and blue with the given alpha.
Gdiplus::Color WithAlpha(DWORD color, int alpha) {
    return Gdiplus::Color(static_cast<Gdiplus::ARGB>((static_cast<DWORD>(alpha & 0xFF) << 24) |
                                                     (color & 0x00FFFFFF)));
}

// A GDI+ font for the label's GDI font, never one made from a family name:
// GDI+ refuses a family that is not installed (under Wine "Arial", "Tahoma"),
// while a font made from GDI's LOGFONT or handle follows GDI's substitution.
// GDI+ also refuses fonts it cannot render (bitmap faces); the handle and
// then the DC's current font are the fallbacks for those.
std::unique_ptr<Gdiplus::Font> MakeGdiplusFont(HDC hDC, HFONT hFont) {
    if (hFont) {
        LOGFONTW lf = {};
        if (::GetObjectW(hFont, sizeof(lf), &lf) == sizeof(lf)) {
            auto font = std::make_unique<Gdiplus::Font>(hDC, &lf);
            if (font->GetLastStatus() == Gdiplus::Ok) return font;
        }
        auto font = std::make_unique<Gdiplus::Font>(hDC, hFont);
        if (font->GetLastStatus() == Gdiplus::Ok) return font;
    }
    // No usable font of our own: whatever the DC has selected.
    auto font = std::make_unique<Gdiplus::Font>(hDC);
    if (font->GetLastStatus() == Gdiplus::Ok) return font;
    return nullptr;
}

Gdiplus::RectF Displaced(const Gdiplus::RectF& rc, Gdiplus::REAL dx, Gdiplus::REAL dy) {
    return Gdiplus::RectF(rc.X + dx, rc.Y + dy, rc.Width, rc.Height);
}

}  // namespace

void CLabelUI::PaintTextEffects(HDC hDC, const RECT& rcText) {
    if (m_TextValue.IsEmpty() || !StartGdiplus()) return;
    if (rcText.right <= rcText.left || rcText.bottom <= rcText.top) return;

    std::unique_ptr<Gdiplus::Font> font = MakeGdiplusFont(hDC, m_pManager->GetFont(m_iFont));
    if (!font) return;
    Gdiplus::Graphics graphics(hDC);
    graphics.SetTextRenderingHint(
        static_cast<Gdiplus::TextRenderingHint>(m_TextRenderingHintAntiAlias));
    Gdiplus::StringFormat format;
    format.SetAlignment(static_cast<Gdiplus::StringAlignment>(m_EnumTextAlignment));
    format.SetLineAlignment(static_cast<Gdiplus::StringAlignment>(m_EnumTextLineAlignment));

    const Gdiplus::RectF rc(static_cast<Gdiplus::REAL>(rcText.left),
                            static_cast<Gdiplus::REAL>(rcText.top),
                            static_cast<Gdiplus::REAL>(rcText.right - rcText.left),
                            static_cast<Gdiplus::REAL>(rcText.bottom - rcText.top));
    const int gradientLength =
        m_GradientLength != 0 ? m_GradientLength : rcText.bottom - rcText.top;
    const Gdiplus::Point gradientStart(m_GradientAngle, 0);
    const Gdiplus::Point gradientEnd(0, gradientLength);
    const wchar_t* text = m_TextValue;

    const DWORD shadowB =
        m_dwTextShadowColorB == kNoSecondColor ? m_dwTextShadowColorA : m_dwTextShadowColorB;
    Gdiplus::LinearGradientBrush shadowBrush(gradientStart, gradientEnd,
                                             WithAlpha(m_dwTextShadowColorA, m_TransShadow),
                                             WithAlpha(shadowB, m_TransShadow1));
    const DWORD textColor1 = m_dwTextColor1 == kNoSecondColor ? m_dwTextColor : m_dwTextColor1;
    Gdiplus::LinearGradientBrush textBrush(gradientStart, gradientEnd,
                                           WithAlpha(m_dwTextColor, m_TransText),
                                           WithAlpha(textColor1, m_TransText1));

    if (m_EnabledStroke && m_dwStrokeColor != 0) {
        const int textHeight = m_pManager->GetFontInfo(m_iFont)->tm.tmHeight;
        Gdiplus::LinearGradientBrush strokeBrush(gradientStart, Gdiplus::Point(0, textHeight + 2),
                                                 WithAlpha(m_dwStrokeColor, m_TransStroke),
                                                 WithAlpha(m_dwStrokeColor, m_TransStroke));
        const Gdiplus::REAL moves[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        for (const auto& move : moves) {
            graphics.DrawString(text, -1, font.get(), Displaced(rc, move[0], move[1]), &format,
                                &strokeBrush);
        }
    }
    if (m_EnabledShadow && (m_dwTextShadowColorA != 0 || m_dwTextShadowColorB != 0)) {
        graphics.DrawString(text, -1, font.get(),
                            Displaced(rc, m_ShadowOffset.X, m_ShadowOffset.Y), &format,
                            &shadowBrush);
    }
    graphics.DrawString(text, -1, font.get(), rc, &format, &textBrush);
}

}  // namespace Facet
