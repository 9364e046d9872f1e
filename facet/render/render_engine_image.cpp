// CRenderEngine::DrawImage and DrawImageString: a bitmap drawn as a nine-grid
// (four fixed corners, four edges stretched along their length, a middle
// stretched or tiled), blended when it has alpha or a fade, and skipping every
// piece outside the paint rectangle.
#include <algorithm>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/blend_functions.h"
#include "facet/render/gdi_handles.h"
#include "facet/render/image_description.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {

int Width(const RECT& rc) { return rc.right - rc.left; }
int Height(const RECT& rc) { return rc.bottom - rc.top; }
bool IsEmptyArea(const RECT& rc) { return Width(rc) <= 0 || Height(rc) <= 0; }

// Sets a stretch mode and restores the previous one.
class CStretchMode {
public:
    CStretchMode(HDC hdc, int mode) : m_hdc(hdc), m_previous(::SetStretchBltMode(hdc, mode)) {
        // HALFTONE wants the brush origin reset after it is chosen.
        if (mode == HALFTONE) ::SetBrushOrgEx(hdc, 0, 0, nullptr);
    }
    ~CStretchMode() {
        if (m_previous) ::SetStretchBltMode(m_hdc, m_previous);
    }
    CStretchMode(const CStretchMode&) = delete;
    CStretchMode& operator=(const CStretchMode&) = delete;

private:
    HDC m_hdc;
    int m_previous;
};

// Draws pieces of the bitmap selected into `source` onto the target DC.
class CPiecePainter {
public:
    CPiecePainter(HDC target, HDC source, const RECT& paint, bool blend, BYTE fade)
        : m_target(target), m_source(source), m_paint(paint), m_blend(blend) {
        m_function = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
        if (blend) m_alphaBlend = CBlendFunctions::Blend();
    }

    // Source pixels `from` stretched onto `to`; nothing when either is empty
    // (an inverted source would draw mirrored) or `to` misses the paint area.
    void Draw(const RECT& to, const RECT& from) const {
        if (IsEmptyArea(to) || IsEmptyArea(from)) return;
        RECT visible;
        if (!::IntersectRect(&visible, &to, &m_paint)) return;
        if (m_blend) {
            m_alphaBlend(m_target, to.left, to.top, Width(to), Height(to), m_source, from.left,
                         from.top, Width(from), Height(from), m_function);
        } else {
            ::StretchBlt(m_target, to.left, to.top, Width(to), Height(to), m_source, from.left,
                         from.top, Width(from), Height(from), SRCCOPY);
        }
    }

    const RECT& Paint() const { return m_paint; }

private:
    HDC m_target;
    HDC m_source;
    RECT m_paint;
    bool m_blend;
    BLENDFUNCTION m_function;
    AlphaBlendProc m_alphaBlend = nullptr;
};

// How far into the destination the first tile that reaches `skip` pixels in
// starts: whole tiles only, so the visible ones sit where they always did.
int FirstTileOffset(long skip, int tile) {
    if (skip <= 0) return 0;
    return static_cast<int>(skip / tile * tile);
}

// The middle cell: stretched, or repeated unscaled along the tiled axes with
// the last tile cut at the edge (showing the start of the source).
void DrawMiddle(const CPiecePainter& painter, const RECT& to, const RECT& from, bool xtiled,
                bool ytiled) {
    if (!xtiled && !ytiled) {
        painter.Draw(to, from);
        return;
    }
    const int tileWidth = xtiled ? Width(from) : Width(to);
    const int tileHeight = ytiled ? Height(from) : Height(to);
    // An empty source middle has nothing to repeat.
    if (tileWidth <= 0 || tileHeight <= 0) return;
    // Only the tiles that meet the paint rectangle: walking every tile of a
    // huge or far-off destination takes seconds for a few visible pixels.
    const RECT& paint = painter.Paint();
    const int right = std::min(to.right, paint.right);
    const int bottom = std::min(to.bottom, paint.bottom);
    const int top = to.top + FirstTileOffset(paint.top - to.top, tileHeight);
    const int left = to.left + FirstTileOffset(paint.left - to.left, tileWidth);
    for (int y = top; y < bottom; y += tileHeight) {
        const int height = std::min(tileHeight, static_cast<int>(to.bottom - y));
        for (int x = left; x < right; x += tileWidth) {
            const int width = std::min(tileWidth, static_cast<int>(to.right - x));
            const RECT tile = {x, y, x + width, y + height};
            // Along a tiled axis the source is cut like the tile; along the
            // other it spans the whole middle and is stretched.
            const RECT part = {from.left, from.top, xtiled ? from.left + width : from.right,
                               ytiled ? from.top + height : from.bottom};
            painter.Draw(tile, part);
        }
    }
}

struct DrawContext {
    HDC hdc;
    CPaintManagerUI* manager;
    const RECT* item;
    const RECT* paint;
};

// Draws one image of a description with the state as it stands; false when
// there is no image to draw.
bool DrawState(const DrawContext& context, const TImageDrawState& state) {
    if (state.sName.IsEmpty()) return false;
    const TImageInfo* image = context.manager->GetImageEx(
        state.sName, state.sResType.IsEmpty() ? nullptr : state.sResType.GetData(), state.dwMask);
    if (!image || !image->hBitmap) return false;

    // Source cells and corners are written in 100 % pixels; the image in the
    // table is drawn at the window's scale.
    const CDpiScale& scale = context.manager->GetDpiScale();
    RECT source = scale.Scale(state.rcSource);
    if (source.left == 0 && source.top == 0 && source.right == 0 && source.bottom == 0) {
        source = RECT{0, 0, image->nX, image->nY};
    }
    source.right = std::min<LONG>(source.right, image->nX);
    source.bottom = std::min<LONG>(source.bottom, image->nY);

    RECT visible;
    if (!::IntersectRect(&visible, &state.rcDest, context.item)) return true;
    if (!::IntersectRect(&visible, &state.rcDest, context.paint)) return true;
    const RECT corners = scale.Scale(state.rcCorner);
    CRenderEngine::DrawImage(context.hdc, image->hBitmap.Get(), state.rcDest, *context.paint, source,
                             corners, image->alphaChannel, state.uFade, state.bHole, state.bTiledX,
                             state.bTiledY);
    return true;
}

void DrawStateProc(void* context, const TImageDrawState& state) {
    DrawState(*static_cast<const DrawContext*>(context), state);
}

}  // namespace

void CRenderEngine::DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint,
                              const RECT& rcBmpPart, const RECT& rcCorners, bool alphaChannel,
                              BYTE uFade, bool hole, bool xtiled, bool ytiled) {
    if (!hDC || !hBitmap) return;
    CMemoryDC memory(hDC);
    if (!memory) return;
    CSelectObject select(memory.Get(), hBitmap);
    CStretchMode stretch(hDC, HALFTONE);

    const bool blend = alphaChannel || uFade < 255;
    const RECT& c = rcCorners;
    const bool noCorners = c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0;
    if (!blend && noCorners && !hole && Width(rc) == Width(rcBmpPart) &&
        Height(rc) == Height(rcBmpPart)) {
        // Same size, opaque: copy only the part that is being repainted.
        RECT visible;
        if (::IntersectRect(&visible, &rc, &rcPaint)) {
            ::BitBlt(hDC, visible.left, visible.top, Width(visible), Height(visible), memory.Get(),
                     rcBmpPart.left + visible.left - rc.left, rcBmpPart.top + visible.top - rc.top,
                     SRCCOPY);
        }
        return;
    }

    const CPiecePainter painter(hDC, memory.Get(), rcPaint, blend, uFade);
    const RECT& s = rcBmpPart;
    if (!hole) {
        const RECT to = {rc.left + c.left, rc.top + c.top, rc.right - c.right, rc.bottom - c.bottom};
        const RECT from = {s.left + c.left, s.top + c.top, s.right - c.right, s.bottom - c.bottom};
        RECT visible;
        if (::IntersectRect(&visible, &to, &rcPaint)) DrawMiddle(painter, to, from, xtiled, ytiled);
    }
    if (c.left > 0 && c.top > 0) {
        painter.Draw({rc.left, rc.top, rc.left + c.left, rc.top + c.top},
                     {s.left, s.top, s.left + c.left, s.top + c.top});
    }
    if (c.top > 0) {
        painter.Draw({rc.left + c.left, rc.top, rc.right - c.right, rc.top + c.top},
                     {s.left + c.left, s.top, s.right - c.right, s.top + c.top});
    }
    if (c.right > 0 && c.top > 0) {
        painter.Draw({rc.right - c.right, rc.top, rc.right, rc.top + c.top},
                     {s.right - c.right, s.top, s.right, s.top + c.top});
    }
    if (c.left > 0) {
        painter.Draw({rc.left, rc.top + c.top, rc.left + c.left, rc.bottom - c.bottom},
                     {s.left, s.top + c.top, s.left + c.left, s.bottom - c.bottom});
    }
    if (c.right > 0) {
        painter.Draw({rc.right - c.right, rc.top + c.top, rc.right, rc.bottom - c.bottom},
                     {s.right - c.right, s.top + c.top, s.right, s.bottom - c.bottom});
    }
    if (c.left > 0 && c.bottom > 0) {
        painter.Draw({rc.left, rc.bottom - c.bottom, rc.left + c.left, rc.bottom},
                     {s.left, s.bottom - c.bottom, s.left + c.left, s.bottom});
    }
    if (c.bottom > 0) {
        painter.Draw({rc.left + c.left, rc.bottom - c.bottom, rc.right - c.right, rc.bottom},
                     {s.left + c.left, s.bottom - c.bottom, s.right - c.right, s.bottom});
    }
    if (c.right > 0 && c.bottom > 0) {
        painter.Draw({rc.right - c.right, rc.bottom - c.bottom, rc.right, rc.bottom},
                     {s.right - c.right, s.bottom - c.bottom, s.right, s.bottom});
    }
}

bool CRenderEngine::DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem,
                                    const RECT& rcPaint, const wchar_t* pStrImage,
                                    const wchar_t* pStrModify) {
    if (!pManager || !hDC) return false;
    const DrawContext context = {hDC, pManager, &rcItem, &rcPaint};
    TImageDrawState state = CImageDescription::Initial(pStrImage, rcItem);
    const CDpiScale& scale = pManager->GetDpiScale();
    CImageDescription::Parse(pStrImage, rcItem, state, &DrawStateProc,
                             const_cast<DrawContext*>(&context), scale);
    CImageDescription::Parse(pStrModify, rcItem, state, &DrawStateProc,
                             const_cast<DrawContext*>(&context), scale);
    // A missing image draws nothing; the description itself was fine.
    DrawState(context, state);
    return true;
}

}  // namespace Facet
