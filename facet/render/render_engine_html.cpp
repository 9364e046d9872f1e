// CRenderEngine::DrawHtmlText: places marked-up text in its rectangle (moved
// first for vertical alignment, and horizontal alignment of a single line),
// clips to it and hands the text to CHtmlTextLayout.
#include <new>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/gdi_handles.h"
#include "facet/render/html_text_layout.h"
#include "facet/render/render_clip.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {

// Alignment needs the text's extent first: measured as one unwrapped block.
constexpr RECT kMeasureArea = {0, 0, 9999, 100};

void AlignRect(HDC hDC, CPaintManagerUI* pManager, RECT& rc, const wchar_t* pstrText,
               DWORD dwTextColor, UINT uStyle) {
    RECT extent = kMeasureArea;
    int noLinks = 0;
    CRenderEngine::DrawHtmlText(hDC, pManager, extent, pstrText, dwTextColor, nullptr, nullptr,
                                noLinks, uStyle | DT_CALCRECT);
    const int width = extent.right - extent.left;
    const int height = extent.bottom - extent.top;
    if (uStyle & DT_VCENTER) {
        rc.top = rc.top + ((rc.bottom - rc.top) - height) / 2;
        rc.bottom = rc.top + height;
    } else if (uStyle & DT_BOTTOM) {
        rc.top = rc.bottom - height;
    }
    if (uStyle & DT_SINGLELINE) {
        if (uStyle & DT_CENTER) {
            rc.left = rc.left + ((rc.right - rc.left) - width) / 2;
            rc.right = rc.left + width;
        } else if (uStyle & DT_RIGHT) {
            rc.left = rc.right - width;
        }
    }
}

}  // namespace

void CRenderEngine::DrawHtmlText(HDC hDC, CPaintManagerUI* pManager, RECT& rc,
                                 const wchar_t* pstrText, DWORD dwTextColor, RECT* pLinks,
                                 CDuiString* sLinks, int& nLinkRects, UINT uStyle) {
    const int linkCapacity = nLinkRects;
    nLinkRects = 0;
    if (!hDC || !pManager || !pstrText || ::IsRectEmpty(&rc)) return;
    const bool measureOnly = (uStyle & DT_CALCRECT) != 0;
    if (!measureOnly && (uStyle & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM))) {
        AlignRect(hDC, pManager, rc, pstrText, dwTextColor, uStyle);
    }

    // Restores the text colour, background mode and font; the clip object
    // below goes first and gives the previous clipping back.
    CSavedDC saved(hDC);
    CRenderClip clip;
    if (!measureOnly) {
        CRenderClip::GenerateClip(hDC, rc, clip);
        ::SetBkMode(hDC, TRANSPARENT);
    }
    try {
        CHtmlTextLayout layout(hDC, pManager, rc, dwTextColor, uStyle, pLinks, sLinks, linkCapacity);
        layout.Run(pstrText);
        nLinkRects = layout.GetLinkCount();
        if (measureOnly) {
            const SIZE extent = layout.GetExtent();
            rc.right = rc.left + extent.cx;
            rc.bottom = rc.top + extent.cy;
        }
    } catch (const std::bad_alloc&) {
        // Out of memory for the layout: the text is left undrawn.
    }
}

}  // namespace Facet
