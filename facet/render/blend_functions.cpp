// The once-per-process look-up of msimg32's AlphaBlend and GradientFill, the
// test override, and the engine's own blend for systems without AlphaBlend.
#include "facet/render/blend_functions.h"

#include <atomic>
#include <cstdint>

#include "facet/render/gdi_handles.h"

namespace Facet {

namespace {

std::atomic<const CBlendFunctions*> g_override{nullptr};

const CBlendFunctions& LoadedFunctions() {
    // A function-local static: initialised once, safely from any thread.
    static const CBlendFunctions functions = [] {
        CBlendFunctions found;
        HMODULE module = ::GetModuleHandleW(L"msimg32.dll");
        // Nothing may have loaded it yet; once loaded it stays for the process.
        if (!module) module = ::LoadLibraryW(L"msimg32.dll");
        if (module) {
            found.alphaBlend = reinterpret_cast<AlphaBlendProc>(
                reinterpret_cast<void*>(::GetProcAddress(module, "AlphaBlend")));
            found.gradientFill = reinterpret_cast<GradientFillProc>(
                reinterpret_cast<void*>(::GetProcAddress(module, "GradientFill")));
        }
        return found;
    }();
    return functions;
}

// A 32-bit top-down DIB section selected into its own memory DC.
class CScratchBitmap {
public:
    CScratchBitmap(HDC compatibleWith, int width, int height)
        : m_dc(compatibleWith), m_width(width), m_height(height) {
        void* bits = nullptr;
        m_bitmap.Reset(CreateTopDownDib32(compatibleWith, width, height, &bits));
        m_bits = static_cast<std::uint32_t*>(bits);
        if (m_dc && m_bitmap) m_previous = ::SelectObject(m_dc.Get(), m_bitmap.Get());
    }
    ~CScratchBitmap() {
        if (m_previous) ::SelectObject(m_dc.Get(), m_previous);
    }
    CScratchBitmap(const CScratchBitmap&) = delete;
    CScratchBitmap& operator=(const CScratchBitmap&) = delete;

    bool IsValid() const { return m_dc && m_bitmap && m_bits && m_previous; }
    HDC Dc() const { return m_dc.Get(); }
    std::uint32_t* Bits() const { return m_bits; }
    size_t Count() const { return static_cast<size_t>(m_width) * static_cast<size_t>(m_height); }

private:
    CMemoryDC m_dc;
    CBitmapHandle m_bitmap;
    HGDIOBJ m_previous = nullptr;
    std::uint32_t* m_bits = nullptr;
    int m_width;
    int m_height;
};

std::uint32_t Scale(std::uint32_t value, std::uint32_t factor) { return (value * factor + 127) / 255; }

}  // namespace

const CBlendFunctions& CBlendFunctions::Get() {
    const CBlendFunctions* forced = g_override.load();
    return forced ? *forced : LoadedFunctions();
}

AlphaBlendProc CBlendFunctions::Blend() {
    AlphaBlendProc proc = Get().alphaBlend;
    return proc ? proc : &FallbackAlphaBlend;
}

BOOL WINAPI FallbackAlphaBlend(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc,
                               int xSrc, int ySrc, int wSrc, int hSrc, BLENDFUNCTION blend) {
    if (!hdcDest || !hdcSrc || wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0) return FALSE;
    if (blend.BlendOp != AC_SRC_OVER) return FALSE;

    // Only the part of the destination inside its clip box is mixed: the
    // scratch bitmaps would otherwise be as large as the destination, however
    // little of it shows.
    const RECT whole = {xDest, yDest, xDest + wDest, yDest + hDest};
    RECT visible = whole;
    RECT clip;
    const int clipKind = ::GetClipBox(hdcDest, &clip);
    if (clipKind == NULLREGION) return TRUE;
    if (clipKind != ERROR && !::IntersectRect(&visible, &whole, &clip)) return TRUE;
    const int width = visible.right - visible.left;
    const int height = visible.bottom - visible.top;

    // The source stretched to the destination size, alpha bytes kept: a
    // COLORONCOLOR stretch between 32-bit DIBs moves whole pixels. It is
    // placed so that the visible part lands on the scratch bitmap.
    CScratchBitmap source(hdcDest, width, height);
    CScratchBitmap target(hdcDest, width, height);
    if (!source.IsValid() || !target.IsValid()) return FALSE;
    ::SetStretchBltMode(source.Dc(), COLORONCOLOR);
    if (!::StretchBlt(source.Dc(), xDest - visible.left, yDest - visible.top, wDest, hDest, hdcSrc,
                      xSrc, ySrc, wSrc, hSrc, SRCCOPY)) {
        return FALSE;
    }
    if (!::BitBlt(target.Dc(), 0, 0, width, height, hdcDest, visible.left, visible.top, SRCCOPY)) {
        return FALSE;
    }
    ::GdiFlush();

    const std::uint32_t fade = blend.SourceConstantAlpha;
    const bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    const std::uint32_t* src = source.Bits();
    std::uint32_t* dst = target.Bits();
    for (size_t i = 0; i < source.Count(); ++i) {
        const std::uint32_t s = src[i];
        const std::uint32_t d = dst[i];
        const std::uint32_t sourceAlpha = perPixel ? Scale(s >> 24, fade) : fade;
        const std::uint32_t keep = 255 - sourceAlpha;
        std::uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const std::uint32_t sc = (s >> shift) & 0xFF;
            const std::uint32_t dc = (d >> shift) & 0xFF;
            // Alpha of a source without per-pixel alpha counts as opaque.
            const std::uint32_t scaled = shift == 24 && !perPixel ? fade : Scale(sc, fade);
            std::uint32_t value = scaled + Scale(dc, keep);
            if (value > 255) value = 255;
            out |= value << shift;
        }
        dst[i] = out;
    }
    return ::BitBlt(hdcDest, visible.left, visible.top, width, height, target.Dc(), 0, 0, SRCCOPY);
}

CBlendFunctionsOverride::CBlendFunctionsOverride(const CBlendFunctions& functions)
    : m_functions(functions), m_previous(g_override.exchange(&m_functions)) {}

CBlendFunctionsOverride::~CBlendFunctionsOverride() { g_override.store(m_previous); }

}  // namespace Facet
