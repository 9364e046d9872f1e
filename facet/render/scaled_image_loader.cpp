// CScaledImageLoader: picks the art set for a scale and resamples what is not
// drawn at exactly that scale.
#include "facet/render/scaled_image_loader.h"

#include <iterator>

#include "facet/core/dui_string.h"
#include "facet/render/image_resample.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {

// The art sets beyond 100 %, smallest first.
constexpr int kArtSetPercents[] = {125, 150, 200};
constexpr int kLargestSet = kArtSetPercents[std::size(kArtSetPercents) - 1];

int PercentDpi(int percent) { return CDpiScale::kBaseDpi * percent / 100; }

// A side of an image drawn at fromDpi, brought to toDpi.
int Rescale(int side, int fromDpi, int toDpi) {
    const long long product = static_cast<long long>(side) * toDpi;
    const int result = static_cast<int>((product + fromDpi / 2) / fromDpi);
    return result > 0 ? result : 1;
}

// Brings an image drawn at fromDpi to toDpi; frees it and answers null when
// that fails.
TImageInfo* FitTo(TImageInfo* image, int fromDpi, int toDpi) {
    if (!image || fromDpi == toDpi) return image;
    if (CImageResample::ResizeTo(*image, Rescale(image->nX, fromDpi, toDpi),
                                 Rescale(image->nY, fromDpi, toDpi))) {
        return image;
    }
    CRenderEngine::FreeImage(image);
    return nullptr;
}

}  // namespace

TImageInfo* CScaledImageLoader::Load(STRINGorID image, const wchar_t* type, DWORD mask,
                                     const CDpiScale& scale) {
    const int dpi = scale.GetDpi();
    if (scale.IsIdentity()) return CRenderEngine::LoadImageW(image, type, mask);
    // Below 100 % the 100 % set is the nearest larger one.
    if (type && *type && dpi > CDpiScale::kBaseDpi) {
        for (int percent : kArtSetPercents) {
            const int setDpi = PercentDpi(percent);
            // Beyond the largest set, the largest grows the rest of the way.
            if (setDpi < dpi && percent != kLargestSet) continue;
            CDuiString setType;
            setType.Format(L"%s%d", type, percent);
            if (TImageInfo* art = CRenderEngine::LoadImageW(image, setType, mask)) {
                return FitTo(art, setDpi, dpi);
            }
            // Missing from this set: only a larger one, or 100 %, may stand in.
        }
    }
    return FitTo(CRenderEngine::LoadImageW(image, type, mask), CDpiScale::kBaseDpi, dpi);
}

}  // namespace Facet
