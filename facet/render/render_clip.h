// CRenderClip: narrows a DC's clipping to a control (optionally with rounded
// corners) while the control paints, and gives the previous clipping back when
// it goes out of scope.
#pragma once

#include <windows.h>

#include "facet/render/gdi_handles.h"

namespace Facet {

class CRenderClip {
public:
    CRenderClip() = default;
    ~CRenderClip();
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;

    // Clips to rc within the clipping already in force.
    static void GenerateClip(HDC hDC, RECT rc, CRenderClip& clip);
    // As GenerateClip, further limited to a rounded rectangle over rcItem
    // with the given corner ellipse.
    static void GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height,
                                  CRenderClip& clip);
    // Lets a child draw outside this clip (with the previous clipping), then
    // puts this clip back.
    static void UseOldClipBegin(HDC hDC, CRenderClip& clip);
    static void UseOldClipEnd(HDC hDC, CRenderClip& clip);

    RECT rcItem = {};
    HDC hDC = nullptr;
    // The clipping in force while this object lives.
    CRegionHandle hRgn;
    // The clipping before it; null when the DC had no clip region.
    CRegionHandle hOldRgn;

private:
    // Restores the previous clipping; the object is then unused again.
    void Restore();
    // Remembers the DC's clipping and selects `region` AND it.
    static void Apply(HDC hDC, const RECT& rc, HRGN region, CRenderClip& clip);
};

}  // namespace Facet
