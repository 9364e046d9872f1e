// CImageResample: an image's pixels brought to another size smoothly, for
// windows whose scale has no artwork of its own. Works on the premultiplied
// 32-bit DIB sections of the image table.
#pragma once

#include "facet/render/image_info.h"

namespace Facet {

class CImageResample {
public:
    // Replaces the image's bitmap with one of width x height pixels: each
    // output pixel is the average of the source area it covers when
    // shrinking, a linear blend of its neighbours when growing. False, with
    // the image untouched, when a side is not positive or memory runs out.
    static bool ResizeTo(TImageInfo& image, int width, int height);
};

}  // namespace Facet
