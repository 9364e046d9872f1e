// CRenderClip. The previous clipping is kept as the region itself, not its
// bounding box, so a rounded parent clip survives its children's clips.
#include "facet/render/render_clip.h"

namespace Facet {

CRenderClip::~CRenderClip() { Restore(); }

void CRenderClip::Restore() {
    if (!hDC) return;
    // A null region removes clipping, which is what the DC had then.
    ::SelectClipRgn(hDC, hOldRgn.Get());
    hRgn.Reset();
    hOldRgn.Reset();
    hDC = nullptr;
}

void CRenderClip::Apply(HDC hDC, const RECT& rc, HRGN region, CRenderClip& clip) {
    clip.Restore();
    CRegionHandle previous(::CreateRectRgn(0, 0, 0, 0));
    // GetClipRgn answers 1 with a copy of the region, 0 when there is none.
    if (previous && ::GetClipRgn(hDC, previous.Get()) != 1) previous.Reset();
    if (previous) ::CombineRgn(region, region, previous.Get(), RGN_AND);
    ::SelectClipRgn(hDC, region);
    clip.hDC = hDC;
    clip.rcItem = rc;
    clip.hRgn.Reset(region);
    clip.hOldRgn = std::move(previous);
}

void CRenderClip::GenerateClip(HDC hDC, RECT rc, CRenderClip& clip) {
    if (!hDC) return;
    HRGN region = ::CreateRectRgnIndirect(&rc);
    if (!region) return;
    Apply(hDC, rc, region, clip);
}

void CRenderClip::GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height,
                                    CRenderClip& clip) {
    if (!hDC) return;
    HRGN region = ::CreateRectRgnIndirect(&rc);
    if (!region) return;
    // CreateRoundRectRgn leaves out the right and bottom edges; one more
    // pixel each way covers the item's own.
    CRegionHandle rounded(::CreateRoundRectRgn(rcItem.left, rcItem.top, rcItem.right + 1,
                                               rcItem.bottom + 1, width, height));
    if (rounded) ::CombineRgn(region, region, rounded.Get(), RGN_AND);
    Apply(hDC, rc, region, clip);
}

void CRenderClip::UseOldClipBegin(HDC hDC, CRenderClip& clip) {
    if (clip.hDC) ::SelectClipRgn(hDC, clip.hOldRgn.Get());
}

void CRenderClip::UseOldClipEnd(HDC hDC, CRenderClip& clip) {
    if (clip.hDC) ::SelectClipRgn(hDC, clip.hRgn.Get());
}

}  // namespace Facet
