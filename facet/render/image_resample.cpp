// CImageResample: separable resampling, by area when shrinking (so a thin line
// of the larger art stays a soft line instead of dropping out, as it would
// with nearest-pixel stretching) and linear when growing.
#include "facet/render/image_resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

namespace Facet {

namespace {

// For each output position along one axis: the first source index and the
// weights of the source pixels from there on.
struct Taps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<float> weights;  // count[i] weights per output, back to back
    std::vector<size_t> offset;
};

Taps MakeTaps(int from, int to) {
    Taps taps;
    const double scale = static_cast<double>(from) / to;
    taps.first.resize(to);
    taps.count.resize(to);
    taps.offset.resize(to);
    for (int i = 0; i < to; ++i) {
        int lo = 0;
        int hi = 0;
        std::vector<double> w;
        if (scale >= 1) {
            // Shrinking: the average of the source area the pixel covers,
            // partly covered source pixels in proportion.
            const double a = i * scale;
            const double b = (i + 1) * scale;
            lo = static_cast<int>(std::floor(a));
            hi = std::min(from, static_cast<int>(std::ceil(b)));
            for (int s = lo; s < hi; ++s) {
                w.push_back(std::min<double>(s + 1, b) - std::max<double>(s, a));
            }
        } else {
            // Growing: linear between the two nearest source pixels.
            const double center = (i + 0.5) * scale;
            lo = std::max(0, static_cast<int>(std::floor(center - 1)));
            hi = std::min(from, static_cast<int>(std::ceil(center + 1)));
            for (int s = lo; s < hi; ++s) {
                w.push_back(std::max(0.0, 1.0 - std::abs(s + 0.5 - center)));
            }
        }
        double total = 0;
        for (double v : w) total += v;
        taps.first[i] = lo;
        taps.count[i] = hi - lo;
        taps.offset[i] = taps.weights.size();
        for (double v : w) taps.weights.push_back(static_cast<float>(total > 0 ? v / total : 0));
    }
    return taps;
}

// The four channels of one pixel as floats.
struct Pixel {
    float c[4] = {0, 0, 0, 0};
};

bool AlphaOf(const std::uint32_t* pixels, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if ((pixels[i] >> 24) != 0xFF) return true;
    }
    return false;
}

}  // namespace

bool CImageResample::ResizeTo(TImageInfo& image, int width, int height) {
    if (width <= 0 || height <= 0 || !image.hBitmap) return false;
    DIBSECTION dib = {};
    if (::GetObjectW(image.hBitmap.Get(), sizeof(dib), &dib) != sizeof(dib) || !dib.dsBm.bmBits ||
        dib.dsBm.bmBitsPixel != 32) {
        return false;
    }
    const int srcW = dib.dsBm.bmWidth;
    const int srcH = dib.dsBm.bmHeight;
    if (srcW == width && srcH == height) return true;
    // Rows are top-down in the image table's bitmaps.
    ::GdiFlush();
    const auto* src = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);

    void* bits = nullptr;
    CBitmapHandle bitmap(CreateTopDownDib32(nullptr, width, height, &bits));
    if (!bitmap || !bits) return false;

    try {
        const Taps across = MakeTaps(srcW, width);
        const Taps down = MakeTaps(srcH, height);
        // Horizontal pass into a float buffer, then the vertical pass. The
        // pixels are premultiplied, so averaging them mixes colours correctly
        // at transparent edges.
        std::vector<Pixel> rows(static_cast<size_t>(width) * srcH);
        for (int y = 0; y < srcH; ++y) {
            const std::uint32_t* line = src + static_cast<size_t>(y) * srcW;
            for (int x = 0; x < width; ++x) {
                Pixel sum;
                for (int k = 0; k < across.count[x]; ++k) {
                    const std::uint32_t p = line[across.first[x] + k];
                    const float w = across.weights[across.offset[x] + k];
                    for (int c = 0; c < 4; ++c) sum.c[c] += w * ((p >> (8 * c)) & 0xFF);
                }
                rows[static_cast<size_t>(y) * width + x] = sum;
            }
        }
        auto* out = static_cast<std::uint32_t*>(bits);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Pixel sum;
                for (int k = 0; k < down.count[y]; ++k) {
                    const Pixel& p = rows[static_cast<size_t>(down.first[y] + k) * width + x];
                    const float w = down.weights[down.offset[y] + k];
                    for (int c = 0; c < 4; ++c) sum.c[c] += w * p.c[c];
                }
                std::uint32_t packed = 0;
                const int alpha = std::clamp(static_cast<int>(std::lround(sum.c[3])), 0, 255);
                for (int c = 0; c < 4; ++c) {
                    // A premultiplied colour never exceeds its alpha.
                    const int limit = c == 3 ? 255 : alpha;
                    const int v = std::clamp(static_cast<int>(std::lround(sum.c[c])), 0, limit);
                    packed |= static_cast<std::uint32_t>(v) << (8 * c);
                }
                out[static_cast<size_t>(y) * width + x] = packed;
            }
        }
        const size_t count = static_cast<size_t>(width) * height;
        image.alphaChannel = image.alphaChannel || AlphaOf(out, count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    image.hBitmap = std::move(bitmap);
    image.nX = width;
    image.nY = height;
    return true;
}

}  // namespace Facet
