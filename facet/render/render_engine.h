// CRenderEngine: the stateless drawing routines every control paints with,
// over a Win32 DC: colour fills, gradients, lines and frames, plain and
// marked-up text, images from an image description with nine-grid scaling,
// tiling and fading, and the loading of images into premultiplied bitmaps.
// Colours are 0xAARRGGBB throughout; GDI receives only their RGB bytes.
#pragma once

#include <windows.h>

#include "facet/core/dui_string.h"
#include "facet/render/image_info.h"
#include "facet/render/string_or_id.h"

namespace Facet {

class CPaintManagerUI;

class CRenderEngine {
public:
    // HSL adjustment: h in 0..360 (180 keeps the hue), s and l in percent
    // (100 keeps them). Alpha is kept.
    static DWORD AdjustColor(DWORD dwColor, short H, short S, short L);

    // Loads a resource (with a type), a file or zip member under the resource
    // path, or a plain file, and decodes it into a new record; null on any
    // failure. The caller owns the record; FreeImage releases it.
    static TImageInfo* LoadImageW(STRINGorID bitmap, const wchar_t* type = nullptr, DWORD mask = 0);
    static void FreeImage(const TImageInfo* bitmap);

    // Nine-grid draw of rcBmpPart of the bitmap onto rc, skipping what lies
    // outside rcPaint.
    static void DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint,
                          const RECT& rcBmpPart, const RECT& rcCorners, bool alphaChannel,
                          BYTE uFade = 255, bool hole = false, bool xtiled = false,
                          bool ytiled = false);
    // Parses an image description (and a modifying one, which may be null) and
    // draws it into rcItem; false only without a manager or DC.
    static bool DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem,
                                const RECT& rcPaint, const wchar_t* pStrImage,
                                const wchar_t* pStrModify = nullptr);

    static void DrawColor(HDC hDC, const RECT& rc, DWORD color);
    static void DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond,
                             bool bVertical, int nSteps);
    static void DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle = PS_SOLID);
    static void DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor);
    static void DrawRoundRect(HDC hDC, const RECT& rc, int nSize, int width, int height,
                              DWORD dwPenColor);

    // Plain text in the manager's font iFont; '&' is never a mnemonic.
    static void DrawTextW(HDC hDC, CPaintManagerUI* pManager, RECT& rc, const wchar_t* pstrText,
                          DWORD dwTextColor, int iFont, UINT uStyle);
    // Text with inline tags. pLinks and sLinks have room for nLinkRects
    // entries (both may be null when nLinkRects is 0); on return nLinkRects
    // is the number of links recorded. With DT_CALCRECT, rc becomes the
    // extent the text needs and nothing is drawn.
    static void DrawHtmlText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, const wchar_t* pstrText,
                             DWORD dwTextColor, RECT* pLinks, CDuiString* sLinks, int& nLinkRects,
                             UINT uStyle);
    static SIZE GetTextSize(HDC hDC, CPaintManagerUI* pManager, const wchar_t* pstrText, int iFont,
                            UINT uStyle);

    // A new 32-bit bitmap of rc's size holding rc of what the control paints
    // (its DoPaint(HDC, const RECT&)); the caller owns it. A template so that
    // the engine needs no control class of its own.
    template <class Control>
    static HBITMAP GenerateBitmap(CPaintManagerUI* pManager, Control* pControl, RECT rc) {
        if (!pControl) return nullptr;
        return GenerateBitmap(
            pManager, rc,
            [](void* control, HDC hdc, const RECT& rcPaint) {
                static_cast<Control*>(control)->DoPaint(hdc, rcPaint);
            },
            pControl);
    }
    using PaintProc = void (*)(void* context, HDC hdc, const RECT& rcPaint);
    static HBITMAP GenerateBitmap(CPaintManagerUI* pManager, RECT rc, PaintProc paint, void* context);
};

}  // namespace Facet
