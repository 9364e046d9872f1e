// The records of a paint manager's image and font tables. Each record owns its
// GDI object, so deleting the record releases the bitmap or font with it.
#pragma once

#include <windows.h>

#include "facet/core/dui_string.h"
#include "facet/render/gdi_handles.h"

namespace Facet {

typedef struct tagTImageInfo {
    // A 32-bit top-down DIB section of premultiplied BGRA pixels.
    CBitmapHandle hBitmap;
    int nX = 0;
    int nY = 0;
    // Some pixel is not fully opaque, or was masked out: drawing must blend.
    bool alphaChannel = false;
    // The resource type the image was loaded with; empty for files.
    CDuiString sResType;
    // 0xAARRGGBB made transparent on load; 0 for none.
    DWORD dwMask = 0;
} TImageInfo;

typedef struct tagTFontInfo {
    CFontHandle hFont;
    CDuiString sFontName;
    // The character height in pixels, as markup gives it.
    int iSize = 0;
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    // A zero tmHeight means the font has not been measured yet.
    TEXTMETRICW tm = {};
} TFontInfo;

}  // namespace Facet
