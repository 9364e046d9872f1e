// msimg32's AlphaBlend and GradientFill, looked up once per process, with the
// engine's own routines in their place when the library or an export is
// missing. Tests can force the fallbacks through CBlendFunctionsOverride.
#pragma once

#include <windows.h>

namespace Facet {

using AlphaBlendProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                     BLENDFUNCTION);
using GradientFillProc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

struct CBlendFunctions {
    AlphaBlendProc alphaBlend = nullptr;
    GradientFillProc gradientFill = nullptr;

    // What msimg32 offers (members null when missing), or the override.
    static const CBlendFunctions& Get();
    // AlphaBlend, or the engine's own blend when msimg32 has none.
    static AlphaBlendProc Blend();
};

// The engine's blend, with AlphaBlend's contract for source-over blending of
// a 32-bit DIB section source: colour = source x fade + destination x (1 - a)
// with a = fade x source alpha, source pixels premultiplied. The source is
// stretched by nearest neighbour.
BOOL WINAPI FallbackAlphaBlend(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc,
                               int xSrc, int ySrc, int wSrc, int hSrc, BLENDFUNCTION blend);

// While alive, the engine uses these functions instead of msimg32's; null
// members make it take its fallbacks. For tests; not nested across threads.
class CBlendFunctionsOverride {
public:
    explicit CBlendFunctionsOverride(const CBlendFunctions& functions);
    ~CBlendFunctionsOverride();
    CBlendFunctionsOverride(const CBlendFunctionsOverride&) = delete;
    CBlendFunctionsOverride& operator=(const CBlendFunctionsOverride&) = delete;

private:
    CBlendFunctions m_functions;
    const CBlendFunctions* m_previous;
};

}  // namespace Facet
