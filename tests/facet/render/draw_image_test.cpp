// CRenderEngine::DrawImage on a memory DIB, read back pixel by pixel: the
// exact-size copy limited to the paint rectangle, stretching, nine-grid
// corners kept unscaled, the hole, tiling with a cut last tile, per-pixel
// alpha and fade. Every blending test runs on msimg32's AlphaBlend and on the
// engine's own fallback.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>

#include "facet/render/blend_functions.h"
#include "facet/render/render_engine.h"
#include "render_test_support.h"

namespace Facet {
namespace {

using test::CCanvas;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kYellow = 0xFFFFFF00;
constexpr std::uint32_t kMagenta = 0xFFFF00FF;
constexpr std::uint32_t kGrey = 0xFF808080;
constexpr std::uint32_t kBlack = 0xFF000000;
constexpr RECT kNoCorners = {0, 0, 0, 0};

enum class BlendPath { kMsimg32, kFallback };

void PrintTo(BlendPath path, std::ostream* out) {
    *out << (path == BlendPath::kMsimg32 ? "msimg32" : "fallback");
}

std::string PathName(const ::testing::TestParamInfo<BlendPath>& info) {
    return info.param == BlendPath::kMsimg32 ? "Msimg32" : "Fallback";
}

// A 12 x 12 nine-grid source: 4 x 4 corners red, green, blue and yellow, each
// with one magenta pixel at its inner corner; grey edges; black middle.
std::vector<std::uint32_t> NineGridPixels() {
    std::vector<std::uint32_t> pixels(144, kGrey);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool left = x < 4;
            const bool right = x >= 8;
            const bool top = y < 4;
            const bool bottom = y >= 8;
            std::uint32_t& p = pixels[y * 12 + x];
            if (left && top) p = kRed;
            if (right && top) p = kGreen;
            if (left && bottom) p = kBlue;
            if (right && bottom) p = kYellow;
            if (!left && !right && !top && !bottom) p = kBlack;
        }
    }
    pixels[3 * 12 + 3] = kMagenta;
    pixels[3 * 12 + 8] = kMagenta;
    pixels[8 * 12 + 3] = kMagenta;
    pixels[8 * 12 + 8] = kMagenta;
    return pixels;
}

class DrawImage : public ::testing::TestWithParam<BlendPath> {
protected:
    void SetUp() override {
        if (GetParam() == BlendPath::kFallback) forced_.emplace(CBlendFunctions{});
    }
    // Owns the bitmaps a test makes.
    HBITMAP Dib(int width, int height, const std::vector<std::uint32_t>& pixels) {
        bitmaps_.emplace_back(test::MakeDib32(width, height, pixels));
        return bitmaps_.back().Get();
    }
    HBITMAP Solid(int width, int height, std::uint32_t argb) {
        return Dib(width, height, std::vector<std::uint32_t>(width * height, argb));
    }

    std::optional<CBlendFunctionsOverride> forced_;
    std::vector<CBitmapHandle> bitmaps_;
};

TEST_P(DrawImage, TheFallbackPathReallyRunsWithoutMsimg32) {
    if (GetParam() == BlendPath::kFallback) {
        EXPECT_EQ(CBlendFunctions::Get().alphaBlend, nullptr);
        EXPECT_EQ(CBlendFunctions::Blend(), &FallbackAlphaBlend);
    } else {
        EXPECT_NE(CBlendFunctions::Get().alphaBlend, nullptr);
        EXPECT_NE(CBlendFunctions::Get().gradientFill, nullptr);
    }
}

// Which of red, green and blue is strongest in a pixel: 16, 8 or 0.
int Strongest(std::uint32_t rgb) {
    const int r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
    return r > g && r > b ? 16 : g > b ? 8 : 0;
}

// An image that differs top to bottom (red, green, blue rows), loaded from a
// PNG and from a bottom-up BMP file, comes out the right way up: copied and
// stretched (smoothly, so only the strongest colour of each part is
// compared), opaque and blended.
TEST_P(DrawImage, AnImageNotSymmetricTopToBottomIsDrawnTheRightWayUp) {
    test::CScratchFolder folder;
    folder.Write(L"tall.png", test::EncodePng(1, 3, {kRed, kGreen, kBlue}));
    folder.Write(L"tall.bmp", test::EncodeBmp24(1, 3, {kRed, kGreen, kBlue}));
    folder.Write(L"alpha.png", test::EncodePng(1, 3, {0x80800000, kGreen, 0x800000FF}));
    for (const wchar_t* file : {L"tall.png", L"tall.bmp", L"alpha.png"}) {
        for (int scale : {1, 4}) {
            TImageInfo* image = CRenderEngine::LoadImageW((folder.Path() + file).c_str());
            ASSERT_NE(image, nullptr) << file;
            CCanvas canvas(scale, 3 * scale);
            CRenderEngine::DrawImage(canvas.Dc(), image->hBitmap.Get(), canvas.Rect(), canvas.Rect(),
                                     RECT{0, 0, 1, 3}, kNoCorners, image->alphaChannel);
            CRenderEngine::FreeImage(image);
            EXPECT_EQ(Strongest(canvas.Rgb(0, 0)), 16) << file << " x" << scale;
            EXPECT_EQ(Strongest(canvas.Rgb(0, (3 * scale - 1) / 2)), 8) << file << " x" << scale;
            EXPECT_EQ(Strongest(canvas.Rgb(0, 3 * scale - 1)), 0) << file << " x" << scale;
        }
    }
}

TEST_P(DrawImage, ExactSizeOpaqueImageCopiesOnlyThePaintPart) {
    CCanvas canvas(20, 20);
    HBITMAP image = Solid(10, 10, kRed);
    const RECT dest = {5, 5, 15, 15};
    const RECT paint = {5, 5, 10, 10};
    CRenderEngine::DrawImage(canvas.Dc(), image, dest, paint, RECT{0, 0, 10, 10}, kNoCorners, false);
    EXPECT_EQ(canvas.Rgb(5, 5), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(9, 9), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(10, 10), kWhite);
    EXPECT_EQ(canvas.Rgb(14, 5), kWhite);
    EXPECT_EQ(canvas.Rgb(4, 4), kWhite);
}

TEST_P(DrawImage, ExactSizeCopyTakesTheMatchingPartOfTheSource) {
    CCanvas canvas(8, 4);
    // Left half red, right half blue; only the right half is repainted.
    HBITMAP image = Dib(4, 1, {kRed, kRed, kBlue, kBlue});
    CRenderEngine::DrawImage(canvas.Dc(), image, RECT{2, 0, 6, 1}, RECT{4, 0, 8, 4},
                             RECT{0, 0, 4, 1}, kNoCorners, false);
    EXPECT_EQ(canvas.Rgb(3, 0), kWhite);
    EXPECT_EQ(canvas.Rgb(4, 0), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(5, 0), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(6, 0), kWhite);
}

TEST_P(DrawImage, StretchedImageFillsItsDestinationOnly) {
    CCanvas canvas(12, 12);
    CRenderEngine::DrawImage(canvas.Dc(), Solid(2, 2, kBlue), RECT{2, 2, 10, 10}, canvas.Rect(),
                             RECT{0, 0, 2, 2}, kNoCorners, false);
    for (int y = 2; y < 10; ++y) {
        for (int x = 2; x < 10; ++x) ASSERT_EQ(canvas.Rgb(x, y), 0x0000FFu) << x << "," << y;
    }
    EXPECT_EQ(canvas.Rgb(1, 1), kWhite);
    EXPECT_EQ(canvas.Rgb(10, 10), kWhite);
}

TEST_P(DrawImage, SourcePartSelectsTheFrame) {
    CCanvas canvas(8, 8);
    HBITMAP strip = Dib(4, 2, {kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kBlue});
    CRenderEngine::DrawImage(canvas.Dc(), strip, canvas.Rect(), canvas.Rect(), RECT{2, 0, 4, 2},
                             kNoCorners, false);
    EXPECT_EQ(canvas.Rgb(0, 0), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(7, 7), 0x0000FFu);
}

TEST_P(DrawImage, NineGridCornersStayUnscaled) {
    CCanvas canvas(24, 24);
    HBITMAP grid = Dib(12, 12, NineGridPixels());
    CRenderEngine::DrawImage(canvas.Dc(), grid, canvas.Rect(), canvas.Rect(), RECT{0, 0, 12, 12},
                             RECT{4, 4, 4, 4}, false);
    // Each corner is its 4 x 4 cell with the marker at the same place.
    EXPECT_EQ(canvas.Rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(3, 3), 0xFF00FFu);
    EXPECT_EQ(canvas.Rgb(2, 3), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(23, 0), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(20, 3), 0xFF00FFu);
    EXPECT_EQ(canvas.Rgb(0, 23), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(3, 20), 0xFF00FFu);
    EXPECT_EQ(canvas.Rgb(23, 23), 0xFFFF00u);
    EXPECT_EQ(canvas.Rgb(20, 20), 0xFF00FFu);
    // Edges stretch along their length only; the middle fills the rest.
    EXPECT_EQ(canvas.Rgb(4, 0), 0x808080u);
    EXPECT_EQ(canvas.Rgb(19, 3), 0x808080u);
    EXPECT_EQ(canvas.Rgb(0, 12), 0x808080u);
    EXPECT_EQ(canvas.Rgb(23, 19), 0x808080u);
    EXPECT_EQ(canvas.Rgb(4, 4), 0x000000u);
    EXPECT_EQ(canvas.Rgb(19, 19), 0x000000u);
}

TEST_P(DrawImage, NineGridWithAlphaKeepsCornersToo) {
    CCanvas canvas(24, 24);
    HBITMAP grid = Dib(12, 12, NineGridPixels());
    CRenderEngine::DrawImage(canvas.Dc(), grid, canvas.Rect(), canvas.Rect(), RECT{0, 0, 12, 12},
                             RECT{4, 4, 4, 4}, true);
    EXPECT_EQ(canvas.Rgb(3, 3), 0xFF00FFu);
    EXPECT_EQ(canvas.Rgb(2, 3), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(20, 20), 0xFF00FFu);
    EXPECT_EQ(canvas.Rgb(12, 12), 0x000000u);
}

TEST_P(DrawImage, HoleLeavesTheMiddleAlone) {
    CCanvas canvas(24, 24);
    HBITMAP grid = Dib(12, 12, NineGridPixels());
    CRenderEngine::DrawImage(canvas.Dc(), grid, canvas.Rect(), canvas.Rect(), RECT{0, 0, 12, 12},
                             RECT{4, 4, 4, 4}, false, 255, true);
    EXPECT_EQ(canvas.Rgb(12, 12), kWhite);
    EXPECT_EQ(canvas.Rgb(4, 4), kWhite);
    EXPECT_EQ(canvas.Rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(12, 0), 0x808080u);
}

TEST_P(DrawImage, PiecesOutsideThePaintRectangleAreSkipped) {
    CCanvas canvas(24, 24);
    HBITMAP grid = Dib(12, 12, NineGridPixels());
    CRenderEngine::DrawImage(canvas.Dc(), grid, canvas.Rect(), RECT{0, 0, 4, 4}, RECT{0, 0, 12, 12},
                             RECT{4, 4, 4, 4}, false);
    EXPECT_EQ(canvas.Rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(12, 12), kWhite);
    EXPECT_EQ(canvas.Rgb(23, 23), kWhite);
    EXPECT_EQ(canvas.Rgb(12, 0), kWhite);
}

// A 4-pixel tile whose columns are red, green, blue and yellow.
std::vector<std::uint32_t> ColumnTile(int height) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y) pixels.insert(pixels.end(), {kRed, kGreen, kBlue, kYellow});
    return pixels;
}

TEST_P(DrawImage, XTilingRepeatsUnscaledAndCutsTheLastTile) {
    CCanvas canvas(14, 8);
    HBITMAP tile = Dib(4, 2, ColumnTile(2));
    // 2.5 tiles wide, stretched from 2 to 8 pixels high.
    CRenderEngine::DrawImage(canvas.Dc(), tile, RECT{0, 0, 10, 8}, canvas.Rect(), RECT{0, 0, 4, 2},
                             kNoCorners, false, 255, false, true, false);
    const std::uint32_t expected[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(canvas.Rgb(x, 0), expected[x % 4]) << "column " << x;
        EXPECT_EQ(canvas.Rgb(x, 7), expected[x % 4]) << "column " << x;
    }
    EXPECT_EQ(canvas.Rgb(10, 0), kWhite);
}

TEST_P(DrawImage, XTilingBlendsTooWhenTheImageHasAlpha) {
    CCanvas canvas(14, 2);
    HBITMAP tile = Dib(4, 2, ColumnTile(2));
    CRenderEngine::DrawImage(canvas.Dc(), tile, RECT{0, 0, 10, 2}, canvas.Rect(), RECT{0, 0, 4, 2},
                             kNoCorners, true, 255, false, true, false);
    EXPECT_EQ(canvas.Rgb(8, 0), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(9, 1), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(10, 0), kWhite);
}

TEST_P(DrawImage, YTilingRepeatsRowsAndCutsTheLastTile) {
    CCanvas canvas(4, 12);
    HBITMAP tile = Dib(1, 4, {kRed, kGreen, kBlue, kYellow});
    CRenderEngine::DrawImage(canvas.Dc(), tile, RECT{0, 0, 4, 10}, canvas.Rect(), RECT{0, 0, 1, 4},
                             kNoCorners, false, 255, false, false, true);
    const std::uint32_t expected[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    for (int y = 0; y < 10; ++y) EXPECT_EQ(canvas.Rgb(3, y), expected[y % 4]) << "row " << y;
    EXPECT_EQ(canvas.Rgb(0, 10), kWhite);
}

TEST_P(DrawImage, BothTiledMakesAGridOfUnscaledTiles) {
    CCanvas canvas(8, 8);
    HBITMAP tile = Dib(2, 2, {kRed, kGreen, kBlue, kYellow});
    CRenderEngine::DrawImage(canvas.Dc(), tile, RECT{0, 0, 5, 5}, canvas.Rect(), RECT{0, 0, 2, 2},
                             kNoCorners, false, 255, false, true, true);
    EXPECT_EQ(canvas.Rgb(2, 2), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(3, 2), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(2, 3), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(4, 4), 0xFF0000u);  // the cut corner tile
    EXPECT_EQ(canvas.Rgb(5, 4), kWhite);
    EXPECT_EQ(canvas.Rgb(4, 5), kWhite);
}

TEST_P(DrawImage, HugeOrFarOffTiledDestinationsWalkOnlyTheVisibleTiles) {
    // A 1-pixel tile over 30000 x 30000, and a destination starting 100001
    // pixels off the canvas: only the tiles of the paint rectangle are drawn,
    // each where the whole grid puts it.
    struct Case {
        RECT dest;
        std::uint32_t atOrigin, rightOfOrigin;
    };
    const Case cases[] = {
        {RECT{0, 0, 30000, 30000}, 0xFF0000u, 0x00FF00u},
        {RECT{-100001, -100001, 30000, 30000}, 0xFFFF00u, 0x0000FFu},
    };
    for (const Case& c : cases) {
        CCanvas canvas(8, 8);
        HBITMAP tile = Dib(2, 2, {kRed, kGreen, kBlue, kYellow});
        const DWORD start = ::GetTickCount();
        CRenderEngine::DrawImage(canvas.Dc(), tile, c.dest, canvas.Rect(), RECT{0, 0, 2, 2}, kNoCorners,
                                 false, 255, false, true, true);
        HBITMAP dot = Solid(1, 1, kGreen);
        CRenderEngine::DrawImage(canvas.Dc(), dot, c.dest, RECT{4, 4, 8, 8}, RECT{0, 0, 1, 1},
                                 kNoCorners, true, 255, false, true, true);
        EXPECT_LT(::GetTickCount() - start, 300u) << c.dest.left;
        EXPECT_EQ(canvas.Rgb(0, 0), c.atOrigin) << c.dest.left;
        EXPECT_EQ(canvas.Rgb(1, 0), c.rightOfOrigin) << c.dest.left;
        EXPECT_EQ(canvas.Rgb(7, 7), 0x00FF00u) << c.dest.left;
    }
}

TEST_P(DrawImage, EmptySourceMiddleWithTilingDrawsNoMiddle) {
    CCanvas canvas(16, 16);
    HBITMAP image = Solid(4, 4, kRed);
    // Corners of 2 on a 4-pixel source leave no middle to repeat.
    CRenderEngine::DrawImage(canvas.Dc(), image, canvas.Rect(), canvas.Rect(), RECT{0, 0, 4, 4},
                             RECT{2, 2, 2, 2}, false, 255, false, true, true);
    EXPECT_EQ(canvas.Rgb(8, 8), kWhite);
    EXPECT_EQ(canvas.Rgb(0, 0), 0xFF0000u);
}

TEST_P(DrawImage, CornersLargerThanTheSourceDrawNothingMirrored) {
    CCanvas canvas(16, 16);
    HBITMAP image = Dib(2, 1, {kRed, kBlue});
    CRenderEngine::DrawImage(canvas.Dc(), image, canvas.Rect(), canvas.Rect(), RECT{0, 0, 2, 1},
                             RECT{3, 0, 3, 0}, false);
    // The left corner would need source columns 0..2 of a 2-column image;
    // the middle is inverted and skipped.
    EXPECT_EQ(canvas.Rgb(8, 8), kWhite);
}

TEST_P(DrawImage, PremultipliedAlphaBlendsOverTheBackground) {
    CCanvas canvas(4, 4);
    // Red at alpha 0x80, stored premultiplied, over white.
    CRenderEngine::DrawImage(canvas.Dc(), Solid(1, 1, 0x80800000), canvas.Rect(), canvas.Rect(),
                             RECT{0, 0, 1, 1}, kNoCorners, true);
    EXPECT_TRUE(test::RgbNear(canvas.Rgb(2, 2), 0xFF7F7F, 2)) << std::hex << canvas.Rgb(2, 2);
}

TEST_P(DrawImage, TransparentPixelsLeaveTheBackground) {
    CCanvas canvas(2, 1, 0xFF123456);
    CRenderEngine::DrawImage(canvas.Dc(), Dib(2, 1, {0, kRed}), canvas.Rect(), canvas.Rect(),
                             RECT{0, 0, 2, 1}, kNoCorners, true);
    EXPECT_EQ(canvas.Rgb(0, 0), 0x123456u);
    EXPECT_EQ(canvas.Rgb(1, 0), 0xFF0000u);
}

TEST_P(DrawImage, FadeMixesAnOpaqueImageWithTheBackground) {
    CCanvas canvas(4, 4);
    CRenderEngine::DrawImage(canvas.Dc(), Solid(4, 4, kRed), canvas.Rect(), canvas.Rect(),
                             RECT{0, 0, 4, 4}, kNoCorners, false, 0x80);
    EXPECT_TRUE(test::RgbNear(canvas.Rgb(1, 1), 0xFF7F7F, 2)) << std::hex << canvas.Rgb(1, 1);
}

TEST_P(DrawImage, FadeAndAlphaMultiply) {
    CCanvas canvas(4, 4);
    // Alpha 0x80 x fade 0x80 covers a quarter: red 64 + 191 of white.
    CRenderEngine::DrawImage(canvas.Dc(), Solid(1, 1, 0x80800000), canvas.Rect(), canvas.Rect(),
                             RECT{0, 0, 1, 1}, kNoCorners, true, 0x80);
    EXPECT_TRUE(test::RgbNear(canvas.Rgb(1, 1), 0xFFBFBF, 3)) << std::hex << canvas.Rgb(1, 1);
}

TEST_P(DrawImage, FadeZeroLeavesTheBackground) {
    CCanvas canvas(4, 4);
    CRenderEngine::DrawImage(canvas.Dc(), Solid(4, 4, kRed), canvas.Rect(), canvas.Rect(),
                             RECT{0, 0, 4, 4}, kNoCorners, false, 0);
    EXPECT_EQ(canvas.Rgb(1, 1), kWhite);
}

TEST_P(DrawImage, NullBitmapOrDcDrawsNothing) {
    CCanvas canvas(4, 4);
    CRenderEngine::DrawImage(canvas.Dc(), nullptr, canvas.Rect(), canvas.Rect(), RECT{0, 0, 1, 1},
                             kNoCorners, true);
    CRenderEngine::DrawImage(nullptr, Solid(1, 1, kRed), canvas.Rect(), canvas.Rect(),
                             RECT{0, 0, 1, 1}, kNoCorners, true);
    EXPECT_EQ(canvas.InkWidth(kWhite), 0);
}

INSTANTIATE_TEST_SUITE_P(BothBlendPaths, DrawImage,
                         ::testing::Values(BlendPath::kMsimg32, BlendPath::kFallback), PathName);

// The fallback must give what AlphaBlend gives, pixel for pixel within
// rounding, for a scene with stretching, alpha, fade and a nine-grid.
TEST(BlendFallback, AgreesWithAlphaBlend) {
    std::vector<std::uint32_t> pixels = NineGridPixels();
    // Make every pixel partly transparent, premultiplied.
    for (std::uint32_t& p : pixels) {
        const std::uint32_t a = 0x40 + (p & 0x7F);
        p = (a << 24) | ((((p >> 16) & 0xFF) * a / 255) << 16) | ((((p >> 8) & 0xFF) * a / 255) << 8) |
            ((p & 0xFF) * a / 255);
    }
    CBitmapHandle grid(test::MakeDib32(12, 12, pixels));
    CCanvas withMsimg32(30, 30, 0xFF336699);
    CCanvas withFallback(30, 30, 0xFF336699);
    const RECT dest = {1, 2, 29, 27};
    CRenderEngine::DrawImage(withMsimg32.Dc(), grid.Get(), dest, withMsimg32.Rect(),
                             RECT{0, 0, 12, 12}, RECT{4, 4, 4, 4}, true, 0xC0);
    {
        CBlendFunctionsOverride forced{CBlendFunctions{}};
        CRenderEngine::DrawImage(withFallback.Dc(), grid.Get(), dest, withFallback.Rect(),
                                 RECT{0, 0, 12, 12}, RECT{4, 4, 4, 4}, true, 0xC0);
    }
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 30; ++x) {
            ASSERT_TRUE(test::RgbNear(withMsimg32.Rgb(x, y), withFallback.Rgb(x, y), 2))
                << x << "," << y << ": " << std::hex << withMsimg32.Rgb(x, y) << " vs "
                << withFallback.Rgb(x, y);
        }
    }
}

}  // namespace
}  // namespace Facet
