// CScaledImageLoader: an image at a window's scale. A resource image may come
// in art sets drawn at 125, 150 and 200 %, stored under the same id with the
// percentage after the resource type ("PNG150"); the nearest set at or above
// the scale is taken and, when it is not the scale itself, resampled to it.
#pragma once

#include "facet/core/dpi_scale.h"
#include "facet/render/image_info.h"
#include "facet/render/string_or_id.h"

namespace Facet {

class CScaledImageLoader {
public:
    // As CRenderEngine::LoadImageW, at the given scale. Files, archive members
    // and resources without a set of their own are resampled from 100 %.
    static TImageInfo* Load(STRINGorID image, const wchar_t* type, DWORD mask,
                            const CDpiScale& scale);
};

}  // namespace Facet
