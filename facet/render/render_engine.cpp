// CRenderEngine's fills, gradients, lines, frames, plain text, text extents,
// control snapshots and HSL colour adjustment.
#include "facet/render/render_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/blend_functions.h"
#include "facet/render/gdi_handles.h"

namespace Facet {

namespace {

std::uint32_t Red(DWORD argb) { return (argb >> 16) & 0xFF; }
std::uint32_t Green(DWORD argb) { return (argb >> 8) & 0xFF; }
std::uint32_t Blue(DWORD argb) { return argb & 0xFF; }
std::uint32_t Alpha(DWORD argb) { return argb >> 24; }

// GDI takes only the red, green and blue of a 0xAARRGGBB colour.
COLORREF ToColorRef(DWORD argb) { return RGB(Red(argb), Green(argb), Blue(argb)); }

// A 32-bit top-down DIB section; `bits` receives its pixels.
HBITMAP CreateDib32(int width, int height, std::uint32_t** bits) {
    void* pixels = nullptr;
    HBITMAP bitmap = CreateTopDownDib32(nullptr, width, height, &pixels);
    if (bits) *bits = static_cast<std::uint32_t*>(pixels);
    return bitmap;
}

// Fills a rectangle with an opaque colour: through GDI on a DC, or straight
// into the pixels of a 32-bit surface, where GDI would leave alpha at zero.
struct GradientSurface {
    HDC hdc;
    std::uint32_t* bits;  // null: draw through GDI
    int stride;           // pixels per row of `bits`
    int rows;             // rows of `bits`

    void Fill(const RECT& band, DWORD rgb) const {
        RECT rc = band;
        if (bits) {
            // Bands of a gradient larger than the buffer are cut to it.
            const RECT surface = {0, 0, stride, rows};
            if (!::IntersectRect(&rc, &band, &surface)) return;
        }
        if (rc.right <= rc.left || rc.bottom <= rc.top) return;
        if (!bits) {
            const COLORREF previous = ::SetBkColor(hdc, ToColorRef(rgb));
            ::ExtTextOutW(hdc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
            ::SetBkColor(hdc, previous);
            return;
        }
        const std::uint32_t pixel = 0xFF000000u | (rgb & 0x00FFFFFF);
        ::GdiFlush();
        for (LONG y = rc.top; y < rc.bottom; ++y) {
            std::fill(bits + y * stride + rc.left, bits + y * stride + rc.right, pixel);
        }
    }
};

// Without GradientFill: 2 to 64 solid bands, more for more steps.
void DrawGradientBands(const GradientSurface& surface, const RECT& rc, DWORD first, DWORD second,
                       bool vertical, int steps) {
    const int shift = steps < 4 ? 1 : steps < 8 ? 2 : steps < 16 ? 3 : steps < 32 ? 4 : steps < 64 ? 5 : 6;
    const int bands = 1 << shift;
    const long extent = vertical ? rc.bottom - rc.top : rc.right - rc.left;
    for (int i = 0; i < bands; ++i) {
        const auto mix = [&](std::uint32_t a, std::uint32_t b) {
            return ((b * static_cast<std::uint32_t>(bands - i)) + a * static_cast<std::uint32_t>(i)) >> shift;
        };
        const DWORD rgb = (mix(Red(first), Red(second)) << 16) |
                          (mix(Green(first), Green(second)) << 8) | mix(Blue(first), Blue(second));
        // Band 0 holds the second colour and lies at the bottom or right.
        const long nearEdge = (extent * i) >> shift;
        const long farEdge = (extent * (i + 1)) >> shift;
        if (farEdge == nearEdge) continue;
        RECT band = rc;
        if (vertical) {
            band.bottom = rc.bottom - nearEdge;
            band.top = rc.bottom - farEdge;
        } else {
            band.right = rc.right - nearEdge;
            band.left = rc.right - farEdge;
        }
        surface.Fill(band, rgb);
    }
}

void DrawGradientOn(const GradientSurface& surface, const RECT& rc, DWORD first, DWORD second,
                    bool vertical, int steps) {
    const GradientFillProc gradientFill = CBlendFunctions::Get().gradientFill;
    if (!gradientFill) {
        DrawGradientBands(surface, rc, first, second, vertical, steps);
        return;
    }
    TRIVERTEX vertices[2] = {};
    vertices[0].x = rc.left;
    vertices[0].y = rc.top;
    vertices[0].Red = static_cast<COLOR16>(Red(first) << 8);
    vertices[0].Green = static_cast<COLOR16>(Green(first) << 8);
    vertices[0].Blue = static_cast<COLOR16>(Blue(first) << 8);
    vertices[0].Alpha = 0xFF00;
    vertices[1].x = rc.right;
    vertices[1].y = rc.bottom;
    vertices[1].Red = static_cast<COLOR16>(Red(second) << 8);
    vertices[1].Green = static_cast<COLOR16>(Green(second) << 8);
    vertices[1].Blue = static_cast<COLOR16>(Blue(second) << 8);
    vertices[1].Alpha = 0xFF00;
    GRADIENT_RECT rect = {0, 1};
    gradientFill(surface.hdc, vertices, 2, &rect, 1,
                 vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

// The part of rc inside the DC's clip box; false when none of it shows.
bool VisiblePart(HDC hdc, const RECT& rc, RECT& visible) {
    RECT clip;
    const int kind = ::GetClipBox(hdc, &clip);
    if (kind == NULLREGION) return false;
    if (kind == ERROR) clip = rc;
    return ::IntersectRect(&visible, &rc, &clip) != FALSE;
}

// Keeps a DC's text colour, background mode and font, restoring them.
class CTextState {
public:
    CTextState(HDC hdc, DWORD color, HFONT font)
        : m_hdc(hdc),
          m_mode(::SetBkMode(hdc, TRANSPARENT)),
          m_color(::SetTextColor(hdc, ToColorRef(color))),
          m_font(hdc, font) {}
    ~CTextState() {
        ::SetTextColor(m_hdc, m_color);
        if (m_mode) ::SetBkMode(m_hdc, m_mode);
    }
    CTextState(const CTextState&) = delete;
    CTextState& operator=(const CTextState&) = delete;

private:
    HDC m_hdc;
    int m_mode;
    COLORREF m_color;
    CSelectObject m_font;
};

double HueToChannel(double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 1.0 / 2) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

std::uint32_t ToByte(double v) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

}  // namespace

void CRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD color) {
    if (!hDC) return;
    const std::uint32_t alpha = Alpha(color);
    if (alpha == 0) return;
    if (alpha == 255) {
        const COLORREF previous = ::SetBkColor(hDC, ToColorRef(color));
        ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
        ::SetBkColor(hDC, previous);
        return;
    }
    // Blending takes premultiplied pixels: the colour is scaled by its alpha
    // so that the result is colour x alpha + background x (1 - alpha).
    std::uint32_t* bits = nullptr;
    CBitmapHandle dot(CreateDib32(1, 1, &bits));
    if (!dot || !bits) return;
    *bits = (alpha << 24) | ((Red(color) * alpha / 255) << 16) | ((Green(color) * alpha / 255) << 8) |
            (Blue(color) * alpha / 255);
    DrawImage(hDC, dot.Get(), rc, rc, RECT{0, 0, 1, 1}, RECT{0, 0, 0, 0}, true, 255);
}

void CRenderEngine::DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond,
                                 bool bVertical, int nSteps) {
    if (!hDC) return;
    const std::uint32_t opacity = (Alpha(dwFirst) + Alpha(dwSecond)) / 2;
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (opacity == 0 || width <= 0 || height <= 0) return;
    if (opacity == 255) {
        DrawGradientOn(GradientSurface{hDC, nullptr, 0, 0}, rc, dwFirst, dwSecond, bVertical, nSteps);
        return;
    }
    // Below full opacity: draw off-screen, then blend it over. The buffer
    // holds only the part that can show: a gradient on a huge control would
    // otherwise want gigabytes for the few pixels inside the clip.
    RECT visible;
    if (!VisiblePart(hDC, rc, visible)) return;
    const int visibleWidth = visible.right - visible.left;
    const int visibleHeight = visible.bottom - visible.top;
    CMemoryDC memory(hDC);
    std::uint32_t* bits = nullptr;
    CBitmapHandle surface(CreateDib32(visibleWidth, visibleHeight, &bits));
    if (!memory || !surface || !bits) return;
    CSelectObject select(memory.Get(), surface.Get());
    // The whole gradient, placed so that the visible part lands on the buffer.
    const RECT placed = {rc.left - visible.left, rc.top - visible.top, rc.right - visible.left,
                         rc.bottom - visible.top};
    DrawGradientOn(GradientSurface{memory.Get(), bits, visibleWidth, visibleHeight}, placed,
                   dwFirst, dwSecond, bVertical, nSteps);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(opacity), AC_SRC_ALPHA};
    CBlendFunctions::Blend()(hDC, visible.left, visible.top, visibleWidth, visibleHeight,
                             memory.Get(), 0, 0, visibleWidth, visibleHeight, blend);
}

void CRenderEngine::DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle) {
    if (!hDC) return;
    LOGPEN description = {static_cast<UINT>(nStyle), POINT{nSize, 0}, ToColorRef(dwPenColor)};
    CPenHandle pen(::CreatePenIndirect(&description));
    if (!pen) return;
    CSelectObject select(hDC, pen.Get());
    ::MoveToEx(hDC, rc.left, rc.top, nullptr);
    ::LineTo(hDC, rc.right, rc.bottom);
}

void CRenderEngine::DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor) {
    if (!hDC) return;
    CPenHandle pen(::CreatePen(PS_INSIDEFRAME, nSize, ToColorRef(dwPenColor)));
    if (!pen) return;
    CSelectObject selectPen(hDC, pen.Get());
    CSelectObject selectBrush(hDC, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
}

void CRenderEngine::DrawRoundRect(HDC hDC, const RECT& rc, int nSize, int width, int height,
                                  DWORD dwPenColor) {
    if (!hDC) return;
    CPenHandle pen(::CreatePen(PS_INSIDEFRAME, nSize, ToColorRef(dwPenColor)));
    if (!pen) return;
    CSelectObject selectPen(hDC, pen.Get());
    CSelectObject selectBrush(hDC, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, width, height);
}

void CRenderEngine::DrawTextW(HDC hDC, CPaintManagerUI* pManager, RECT& rc, const wchar_t* pstrText,
                              DWORD dwTextColor, int iFont, UINT uStyle) {
    if (!hDC || !pManager || !pstrText) return;
    CTextState state(hDC, dwTextColor, pManager->GetFont(iFont));
    ::DrawTextW(hDC, pstrText, -1, &rc, uStyle | DT_NOPREFIX);
}

SIZE CRenderEngine::GetTextSize(HDC hDC, CPaintManagerUI* pManager, const wchar_t* pstrText,
                                int iFont, UINT /*uStyle*/) {
    SIZE size = {0, 0};
    if (!hDC || !pManager || !pstrText) return size;
    CSelectObject select(hDC, pManager->GetFont(iFont));
    ::GetTextExtentPoint32W(hDC, pstrText, static_cast<int>(wcslen(pstrText)), &size);
    return size;
}

HBITMAP CRenderEngine::GenerateBitmap(CPaintManagerUI* pManager, RECT rc, PaintProc paint,
                                      void* context) {
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (!paint || width <= 0 || height <= 0 || rc.right <= 0 || rc.bottom <= 0) return nullptr;
    const HDC reference = pManager ? pManager->GetPaintDC() : nullptr;

    // The control paints at its own place, so the canvas reaches from the
    // origin to rc's far corner.
    CMemoryDC canvasDc(reference);
    CBitmapHandle canvas(CreateDib32(rc.right, rc.bottom, nullptr));
    CMemoryDC resultDc(reference);
    std::uint32_t* bits = nullptr;
    CBitmapHandle result(CreateDib32(width, height, &bits));
    if (!canvasDc || !canvas || !resultDc || !result) return nullptr;
    {
        CSelectObject selectCanvas(canvasDc.Get(), canvas.Get());
        paint(context, canvasDc.Get(), rc);
        CSelectObject selectResult(resultDc.Get(), result.Get());
        ::BitBlt(resultDc.Get(), 0, 0, width, height, canvasDc.Get(), rc.left, rc.top, SRCCOPY);
    }
    return result.Release();
}

DWORD CRenderEngine::AdjustColor(DWORD dwColor, short H, short S, short L) {
    if (H == 180 && S == 100 && L == 100) return dwColor;
    const double r = Red(dwColor) / 255.0;
    const double g = Green(dwColor) / 255.0;
    const double b = Blue(dwColor) / 255.0;
    const double high = std::max({r, g, b});
    const double low = std::min({r, g, b});
    double hue = 0;
    double saturation = 0;
    double lightness = (high + low) / 2;
    const double span = high - low;
    if (span > 0) {
        saturation = lightness > 0.5 ? span / (2 - high - low) : span / (high + low);
        if (high == r) {
            hue = (g - b) / span + (g < b ? 6 : 0);
        } else if (high == g) {
            hue = (b - r) / span + 2;
        } else {
            hue = (r - g) / span + 4;
        }
        hue *= 60;
    }
    hue = std::fmod(hue + (H - 180), 360.0);
    if (hue < 0) hue += 360;
    saturation = std::clamp(saturation * S / 100.0, 0.0, 1.0);
    lightness = std::clamp(lightness * L / 100.0, 0.0, 1.0);

    double outR = lightness;
    double outG = lightness;
    double outB = lightness;
    if (saturation > 0) {
        const double q = lightness < 0.5 ? lightness * (1 + saturation)
                                         : lightness + saturation - lightness * saturation;
        const double p = 2 * lightness - q;
        const double h = hue / 360;
        outR = HueToChannel(p, q, h + 1.0 / 3);
        outG = HueToChannel(p, q, h);
        outB = HueToChannel(p, q, h - 1.0 / 3);
    }
    return (dwColor & 0xFF000000) | (ToByte(outR) << 16) | (ToByte(outG) << 8) | ToByte(outB);
}

}  // namespace Facet
