// The image description of a control attribute, such as
// "res='173' restype='png' source='83, 0, 166, 83'": a bare image name, or
// key='value' items separated by single spaces. The parser applies the items
// to a drawing state and reports each image that a later item starts.
#pragma once

#include <windows.h>

#include "facet/core/dpi_scale.h"
#include "facet/core/dui_string.h"

namespace Facet {

struct TImageDrawState {
    CDuiString sName;
    CDuiString sResType;
    RECT rcDest = {};
    RECT rcSource = {};
    RECT rcCorner = {};
    DWORD dwMask = 0;
    BYTE uFade = 255;
    bool bHole = false;
    bool bTiledX = false;
    bool bTiledY = false;
};

class CImageDescription {
public:
    // Called with the state as it stands when an item starts a further image
    // (a second file, or a resource type after a file).
    using DrawProc = void (*)(void* context, const TImageDrawState& state);

    // The state before any description: the whole text as the name, the item
    // rectangle as the destination.
    static TImageDrawState Initial(const wchar_t* pStrImage, const RECT& rcItem);
    // Applies the items of one description text to `state`. Parsing stops,
    // keeping what was applied, at the first malformed item.
    // A `dest` is in skin units; `scale` turns its offsets into pixels.
    static void Parse(const wchar_t* text, const RECT& rcItem, TImageDrawState& state,
                      DrawProc draw, void* context, const CDpiScale& scale = CDpiScale());
    // Four integers separated by one unit each, as in "0, 0, 83, 83";
    // missing numbers read as 0.
    static RECT ParseRect(const wchar_t* value);
};

}  // namespace Facet
