// CRenderEngine's colour fills, gradients (GradientFill and the band
// fallback, opaque and blended), lines and frames, plain text, text extents,
// control snapshots, HSL adjustment, and CRenderClip.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <set>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/blend_functions.h"
#include "facet/render/render_clip.h"
#include "facet/render/render_engine.h"
#include "render_test_support.h"

namespace Facet {
namespace {

using test::CCanvas;

constexpr std::uint32_t kWhite = 0xFFFFFF;

enum class BlendPath { kMsimg32, kFallback };

void PrintTo(BlendPath path, std::ostream* out) {
    *out << (path == BlendPath::kMsimg32 ? "msimg32" : "fallback");
}

std::string PathName(const ::testing::TestParamInfo<BlendPath>& info) {
    return info.param == BlendPath::kMsimg32 ? "Msimg32" : "Fallback";
}

class Fills : public ::testing::TestWithParam<BlendPath> {
protected:
    void SetUp() override {
        if (GetParam() == BlendPath::kFallback) forced_.emplace(CBlendFunctions{});
    }
    bool Fallback() const { return GetParam() == BlendPath::kFallback; }

    std::optional<CBlendFunctionsOverride> forced_;
};

TEST_P(Fills, ColourWithAlphaZeroDrawsNothing) {
    CCanvas canvas(8, 8);
    CRenderEngine::DrawColor(canvas.Dc(), canvas.Rect(), 0x00FFFFFF);
    CRenderEngine::DrawColor(canvas.Dc(), canvas.Rect(), 0x00336699);
    EXPECT_EQ(canvas.InkWidth(kWhite), 0);
}

TEST_P(Fills, OpaqueColourFillsExactlyTheRectangle) {
    CCanvas canvas(8, 8);
    CRenderEngine::DrawColor(canvas.Dc(), RECT{2, 2, 6, 6}, 0xFF336699);
    EXPECT_EQ(canvas.Rgb(2, 2), 0x336699u);
    EXPECT_EQ(canvas.Rgb(5, 5), 0x336699u);
    EXPECT_EQ(canvas.Rgb(6, 6), kWhite);
    EXPECT_EQ(canvas.Rgb(1, 2), kWhite);
}

TEST_P(Fills, HalfTransparentColourBlends) {
    CCanvas white(8, 8);
    CRenderEngine::DrawColor(white.Dc(), RECT{0, 0, 4, 8}, 0x80336699);
    // colour x 128/255 + white x 127/255
    EXPECT_TRUE(test::RgbNear(white.Rgb(1, 1), 0x98B2CB, 2)) << std::hex << white.Rgb(1, 1);
    EXPECT_EQ(white.Rgb(4, 1), kWhite);

    CCanvas black(8, 8, 0xFF000000);
    CRenderEngine::DrawColor(black.Dc(), black.Rect(), 0x80336699);
    EXPECT_TRUE(test::RgbNear(black.Rgb(7, 7), 0x19334C, 2)) << std::hex << black.Rgb(7, 7);
}

TEST_P(Fills, OpaqueHorizontalGradientRunsFromFirstToSecond) {
    CCanvas canvas(64, 4);
    CRenderEngine::DrawGradient(canvas.Dc(), canvas.Rect(), 0xFFFF0000, 0xFF0000FF, false, 64);
    const std::uint32_t left = canvas.Rgb(0, 1);
    const std::uint32_t right = canvas.Rgb(63, 1);
    EXPECT_GE(test::R(left), 0xF0) << std::hex << left;
    EXPECT_LE(test::B(left), 0x10) << std::hex << left;
    EXPECT_GE(test::B(right), 0xF0) << std::hex << right;
    EXPECT_LE(test::R(right), 0x10) << std::hex << right;
    // Red falls and blue rises from left to right.
    for (int x = 1; x < 64; ++x) {
        ASSERT_LE(test::R(canvas.Rgb(x, 1)), test::R(canvas.Rgb(x - 1, 1)));
        ASSERT_GE(test::B(canvas.Rgb(x, 1)), test::B(canvas.Rgb(x - 1, 1)));
    }
    // Every row is the same.
    EXPECT_EQ(canvas.Rgb(20, 0), canvas.Rgb(20, 3));
}

TEST_P(Fills, VerticalGradientRunsFromTopToBottom) {
    CCanvas canvas(4, 64);
    CRenderEngine::DrawGradient(canvas.Dc(), canvas.Rect(), 0xFF000000, 0xFFFFFFFF, true, 64);
    EXPECT_LE(test::G(canvas.Rgb(1, 0)), 0x10);
    EXPECT_GE(test::G(canvas.Rgb(1, 63)), 0xF0);
    EXPECT_EQ(canvas.Rgb(0, 30), canvas.Rgb(3, 30));
}

TEST_P(Fills, GradientOfOpaqueAndTransparentColoursHasOpacity7F) {
    CCanvas canvas(64, 4);
    // Red (alpha FF) to blue (alpha 00): the gradient is drawn at (FF + 00) / 2.
    CRenderEngine::DrawGradient(canvas.Dc(), canvas.Rect(), 0xFFFF0000, 0x000000FF, false, 64);
    // Left end: red x 127/255 + white x 128/255; right end: blue likewise.
    EXPECT_TRUE(test::RgbNear(canvas.Rgb(0, 1), 0xFF8080, 6)) << std::hex << canvas.Rgb(0, 1);
    EXPECT_TRUE(test::RgbNear(canvas.Rgb(63, 1), 0x8080FF, 6)) << std::hex << canvas.Rgb(63, 1);
}

TEST_P(Fills, GradientWithOpacityZeroDrawsNothing) {
    CCanvas canvas(8, 8);
    CRenderEngine::DrawGradient(canvas.Dc(), canvas.Rect(), 0x01FF0000, 0x000000FF, false, 16);
    EXPECT_EQ(canvas.InkWidth(kWhite), 0);
}

TEST_P(Fills, GradientStaysInsideItsRectangle) {
    CCanvas canvas(20, 20);
    CRenderEngine::DrawGradient(canvas.Dc(), RECT{5, 5, 15, 15}, 0xFFFF0000, 0x800000FF, true, 8);
    EXPECT_EQ(canvas.InkSpan(kWhite), std::make_pair(5, 15));
    EXPECT_EQ(canvas.InkRows(kWhite), std::make_pair(5, 15));
}

TEST_P(Fills, TranslucentGradientOnAHugeRectangleBuffersOnlyWhatShows) {
    // 30000 x 30000 at half opacity: the off-screen buffer covers the canvas,
    // not the rectangle, and the pixels are those of the whole gradient.
    CCanvas whole(128, 4);
    CRenderEngine::DrawGradient(whole.Dc(), whole.Rect(), 0xFFFF0000, 0x000000FF, false, 64);
    CCanvas part(64, 4);
    const DWORD start = ::GetTickCount();
    CRenderEngine::DrawGradient(part.Dc(), RECT{-64, 0, 64, 4}, 0xFFFF0000, 0x000000FF, false, 64);
    CCanvas huge(8, 8);
    CRenderEngine::DrawGradient(huge.Dc(), RECT{0, 0, 30000, 30000}, 0xFFFF0000, 0x000000FF, true, 64);
    EXPECT_LT(::GetTickCount() - start, 300u);
    for (int x = 0; x < 64; ++x) ASSERT_EQ(part.Rgb(x, 1), whole.Rgb(x + 64, 1)) << x;
    EXPECT_TRUE(test::RgbNear(huge.Rgb(7, 7), 0xFF8080, 6)) << std::hex << huge.Rgb(7, 7);
}

INSTANTIATE_TEST_SUITE_P(BothBlendPaths, Fills,
                         ::testing::Values(BlendPath::kMsimg32, BlendPath::kFallback), PathName);

// Distinct colours in a row or column of the canvas.
size_t DistinctColours(const CCanvas& canvas, bool vertical) {
    std::set<std::uint32_t> colours;
    const int count = vertical ? canvas.Height() : canvas.Width();
    for (int i = 0; i < count; ++i) colours.insert(vertical ? canvas.Rgb(0, i) : canvas.Rgb(i, 0));
    return colours.size();
}

class GradientBands : public ::testing::Test {
protected:
    CBlendFunctionsOverride forced_{CBlendFunctions{}};
};

TEST_F(GradientBands, StepsChooseTwoToSixtyFourBands) {
    const std::pair<int, size_t> cases[] = {{1, 2}, {3, 2}, {4, 4}, {8, 8}, {16, 16}, {32, 32},
                                            {63, 32}, {64, 64}, {1000, 64}};
    for (const auto& [steps, bands] : cases) {
        CCanvas canvas(256, 1);
        CRenderEngine::DrawGradient(canvas.Dc(), canvas.Rect(), 0xFF000000, 0xFFFFFFFF, false, steps);
        EXPECT_EQ(DistinctColours(canvas, false), bands) << steps << " steps";
    }
}

TEST_F(GradientBands, FirstBandFromTheBottomHoldsTheSecondColour) {
    CCanvas canvas(1, 40);
    CRenderEngine::DrawGradient(canvas.Dc(), canvas.Rect(), 0xFF000000, 0xFFFFFFFF, true, 3);
    // Two bands: the bottom one white, the top one (white + black) / 2.
    EXPECT_EQ(canvas.Rgb(0, 39), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(0, 20), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(0, 19), 0x7F7F7Fu);
    EXPECT_EQ(canvas.Rgb(0, 0), 0x7F7F7Fu);
}

TEST_F(GradientBands, NarrowExtentSkipsEmptyBands) {
    CCanvas canvas(3, 1);
    CRenderEngine::DrawGradient(canvas.Dc(), canvas.Rect(), 0xFF000000, 0xFFFFFFFF, false, 64);
    EXPECT_EQ(DistinctColours(canvas, false), 3u);
    // Bands 0 to 20 are empty over 3 pixels; band 21 (covering 3 * 21 >> 6 to
    // 3 * 22 >> 6) is the first drawn: 255 * 43 / 64 = 0xAB.
    EXPECT_EQ(canvas.Rgb(2, 0), 0xABABABu);
}

TEST(Lines, LineRunsFromTopLeftToBottomRight) {
    CCanvas canvas(10, 10);
    CRenderEngine::DrawLine(canvas.Dc(), RECT{1, 5, 9, 5}, 1, 0xFFFF0000);
    EXPECT_EQ(canvas.Rgb(1, 5), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(8, 5), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(9, 5), kWhite);  // LineTo leaves out the end point
    EXPECT_EQ(canvas.InkRows(kWhite), std::make_pair(5, 6));
}

TEST(Lines, DashedLineLeavesGaps) {
    CCanvas canvas(60, 3);
    CRenderEngine::DrawLine(canvas.Dc(), RECT{0, 1, 60, 1}, 1, 0xFF000000, PS_DASH);
    int ink = 0;
    for (int x = 0; x < 60; ++x) ink += canvas.Rgb(x, 1) == 0 ? 1 : 0;
    EXPECT_GT(ink, 10);
    EXPECT_LT(ink, 60);
}

TEST(Lines, RectangleFrameLiesInsideTheRectangle) {
    CCanvas canvas(12, 12);
    CRenderEngine::DrawRect(canvas.Dc(), RECT{2, 2, 10, 10}, 2, 0xFF0000FF);
    EXPECT_EQ(canvas.Rgb(2, 2), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(3, 3), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(9, 9), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(4, 4), kWhite);  // hollow
    EXPECT_EQ(canvas.InkSpan(kWhite), std::make_pair(2, 10));
}

TEST(Lines, RoundRectangleCutsItsCorners) {
    CCanvas canvas(20, 20);
    CRenderEngine::DrawRoundRect(canvas.Dc(), RECT{0, 0, 20, 20}, 1, 10, 10, 0xFF000000);
    EXPECT_EQ(canvas.Rgb(0, 0), kWhite);
    EXPECT_EQ(canvas.Rgb(10, 0), 0u);
    EXPECT_EQ(canvas.Rgb(10, 10), kWhite);
}

TEST(Lines, PenAndBrushOfTheDcAreRestored) {
    CCanvas canvas(8, 8);
    const HGDIOBJ pen = ::GetCurrentObject(canvas.Dc(), OBJ_PEN);
    const HGDIOBJ brush = ::GetCurrentObject(canvas.Dc(), OBJ_BRUSH);
    CRenderEngine::DrawRect(canvas.Dc(), canvas.Rect(), 1, 0xFF000000);
    CRenderEngine::DrawLine(canvas.Dc(), canvas.Rect(), 1, 0xFF000000);
    EXPECT_EQ(::GetCurrentObject(canvas.Dc(), OBJ_PEN), pen);
    EXPECT_EQ(::GetCurrentObject(canvas.Dc(), OBJ_BRUSH), brush);
}

class PlainText : public ::testing::Test {
protected:
    void SetUp() override { pm_.AddFont(L"Tahoma", 20, false, false, false); }
    CPaintManagerUI pm_;
};

TEST_F(PlainText, AmpersandIsDrawnNotTakenAsAMnemonic) {
    CCanvas withAmpersand(200, 40);
    CCanvas without(200, 40);
    RECT rc = withAmpersand.Rect();
    CRenderEngine::DrawTextW(withAmpersand.Dc(), &pm_, rc, L"&A", 0xFF000000, 0, DT_SINGLELINE);
    rc = without.Rect();
    CRenderEngine::DrawTextW(without.Dc(), &pm_, rc, L"A", 0xFF000000, 0, DT_SINGLELINE);
    EXPECT_GT(withAmpersand.InkWidth(kWhite), without.InkWidth(kWhite));
}

TEST_F(PlainText, DrawsInTheColourAndFontAndRestoresTheDc) {
    CCanvas canvas(200, 40);
    const HGDIOBJ font = ::GetCurrentObject(canvas.Dc(), OBJ_FONT);
    ::SetTextColor(canvas.Dc(), RGB(1, 2, 3));
    RECT rc = canvas.Rect();
    CRenderEngine::DrawTextW(canvas.Dc(), &pm_, rc, L"WWW", 0xFFFF0000, 0, DT_SINGLELINE);
    bool red = false;
    for (int y = 0; y < 40 && !red; ++y) {
        for (int x = 0; x < 200 && !red; ++x) red = canvas.Rgb(x, y) == 0xFF0000u;
    }
    EXPECT_TRUE(red);
    EXPECT_EQ(::GetCurrentObject(canvas.Dc(), OBJ_FONT), font);
    EXPECT_EQ(::GetTextColor(canvas.Dc()), RGB(1, 2, 3));
    const SIZE size = CRenderEngine::GetTextSize(canvas.Dc(), &pm_, L"WWW", 0, 0);
    EXPECT_LE(canvas.InkWidth(kWhite), size.cx);
    EXPECT_GT(canvas.InkWidth(kWhite), size.cx / 2);
}

TEST_F(PlainText, NullTextOrManagerDrawsNothing) {
    CCanvas canvas(50, 20);
    RECT rc = canvas.Rect();
    CRenderEngine::DrawTextW(canvas.Dc(), &pm_, rc, nullptr, 0xFF000000, 0, 0);
    CRenderEngine::DrawTextW(canvas.Dc(), nullptr, rc, L"x", 0xFF000000, 0, 0);
    EXPECT_EQ(canvas.InkWidth(kWhite), 0);
}

TEST_F(PlainText, TextSizeUsesTheFontOfTheIndex) {
    CCanvas canvas(1, 1);
    pm_.AddFont(L"Tahoma", 40, false, false, false);
    const SIZE small = CRenderEngine::GetTextSize(canvas.Dc(), &pm_, L"Hello", 0, 0);
    const SIZE large = CRenderEngine::GetTextSize(canvas.Dc(), &pm_, L"Hello", 1, DT_WORDBREAK);
    EXPECT_GT(large.cx, small.cx);
    EXPECT_GT(large.cy, small.cy);
    const SIZE none = CRenderEngine::GetTextSize(canvas.Dc(), &pm_, nullptr, 0, 0);
    EXPECT_EQ(none.cx, 0);
    EXPECT_EQ(CRenderEngine::GetTextSize(canvas.Dc(), nullptr, L"x", 0, 0).cy, 0);
}

// Stands in for a control: paints its rectangle's left half red.
struct FakeControl {
    RECT item;
    RECT lastPaint = {};
    void DoPaint(HDC hdc, const RECT& rcPaint) {
        lastPaint = rcPaint;
        const RECT left = {item.left, item.top, (item.left + item.right) / 2, item.bottom};
        CRenderEngine::DrawColor(hdc, left, 0xFFFF0000);
    }
};

TEST(Snapshot, BitmapHoldsTheRectangleOfWhatTheControlPaints) {
    CPaintManagerUI pm;
    FakeControl control{RECT{10, 20, 30, 24}};
    HBITMAP bitmap = CRenderEngine::GenerateBitmap(&pm, &control, control.item);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(control.lastPaint.left, 10);
    EXPECT_EQ(control.lastPaint.bottom, 24);
    BITMAP info = {};
    ASSERT_EQ(::GetObjectW(bitmap, sizeof(info), &info), int(sizeof(info)));
    EXPECT_EQ(info.bmWidth, 20);
    EXPECT_EQ(info.bmHeight, 4);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(test::BitmapPixel(bitmap, 0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(test::BitmapPixel(bitmap, 9, 3) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(test::BitmapPixel(bitmap, 10, 0) & 0xFFFFFF, 0u);
    ::DeleteObject(bitmap);
}

TEST(Snapshot, EmptyRectangleOrNoControlGivesNull) {
    CPaintManagerUI pm;
    FakeControl control{RECT{0, 0, 10, 10}};
    EXPECT_EQ(CRenderEngine::GenerateBitmap(&pm, &control, RECT{5, 5, 5, 9}), nullptr);
    EXPECT_EQ(CRenderEngine::GenerateBitmap(&pm, static_cast<FakeControl*>(nullptr), control.item),
              nullptr);
}

TEST(ColourAdjustment, NeutralValuesKeepTheColour) {
    EXPECT_EQ(CRenderEngine::AdjustColor(0x80123456, 180, 100, 100), 0x80123456u);
}

TEST(ColourAdjustment, HueTurnsAndWraps) {
    // Red turned by +120 degrees is green, by -120 (wrapping) blue.
    EXPECT_EQ(CRenderEngine::AdjustColor(0xFFFF0000, 300, 100, 100), 0xFF00FF00u);
    EXPECT_EQ(CRenderEngine::AdjustColor(0xFFFF0000, 60, 100, 100), 0xFF0000FFu);
    EXPECT_EQ(CRenderEngine::AdjustColor(0xFFFF0000, 0, 100, 100), 0xFF00FFFFu);
}

TEST(ColourAdjustment, SaturationAndLightnessScale) {
    // No saturation: the grey of the same lightness.
    EXPECT_EQ(CRenderEngine::AdjustColor(0xFFFF0000, 180, 0, 100), 0xFF808080u);
    EXPECT_EQ(CRenderEngine::AdjustColor(0xFFFF0000, 180, 100, 0), 0xFF000000u);
    EXPECT_EQ(CRenderEngine::AdjustColor(0xFFFF0000, 180, 100, 200), 0xFFFFFFFFu);
    // Alpha is kept.
    EXPECT_EQ(CRenderEngine::AdjustColor(0x40FF0000, 180, 100, 0), 0x40000000u);
    // Half the lightness of mid-grey.
    EXPECT_TRUE(test::RgbNear(CRenderEngine::AdjustColor(0xFF808080, 180, 100, 50), 0x404040, 1));
}

class Clipping : public ::testing::Test {
protected:
    CCanvas canvas_{20, 20};
};

TEST_F(Clipping, ClipLimitsDrawingAndIsGivenBack) {
    {
        CRenderClip clip;
        CRenderClip::GenerateClip(canvas_.Dc(), RECT{5, 5, 10, 10}, clip);
        CRenderEngine::DrawColor(canvas_.Dc(), canvas_.Rect(), 0xFF000000);
        EXPECT_EQ(canvas_.InkSpan(kWhite), std::make_pair(5, 10));
        EXPECT_EQ(canvas_.InkRows(kWhite), std::make_pair(5, 10));
    }
    CRenderEngine::DrawColor(canvas_.Dc(), RECT{15, 15, 20, 20}, 0xFF000000);
    EXPECT_EQ(canvas_.Rgb(19, 19), 0u);
}

TEST_F(Clipping, NestedClipIsTheIntersection) {
    CRenderClip outer;
    CRenderClip::GenerateClip(canvas_.Dc(), RECT{0, 0, 10, 10}, outer);
    {
        CRenderClip inner;
        CRenderClip::GenerateClip(canvas_.Dc(), RECT{5, 5, 15, 15}, inner);
        CRenderEngine::DrawColor(canvas_.Dc(), canvas_.Rect(), 0xFF000000);
        EXPECT_EQ(canvas_.InkSpan(kWhite), std::make_pair(5, 10));
    }
    // The outer clip is in force again, exactly.
    CRenderEngine::DrawColor(canvas_.Dc(), canvas_.Rect(), 0xFFFF0000);
    EXPECT_EQ(canvas_.Rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(canvas_.Rgb(12, 12), kWhite);
}

TEST_F(Clipping, RoundClipSurvivesAChildClip) {
    CRenderClip round;
    CRenderClip::GenerateRoundClip(canvas_.Dc(), canvas_.Rect(), RECT{0, 0, 19, 19}, 12, 12, round);
    {
        CRenderClip child;
        CRenderClip::GenerateClip(canvas_.Dc(), RECT{10, 10, 20, 20}, child);
    }
    CRenderEngine::DrawColor(canvas_.Dc(), canvas_.Rect(), 0xFF000000);
    EXPECT_EQ(canvas_.Rgb(0, 0), kWhite);  // the rounded corner is still cut
    EXPECT_EQ(canvas_.Rgb(19, 19), kWhite);
    EXPECT_EQ(canvas_.Rgb(10, 10), 0u);
    EXPECT_EQ(canvas_.Rgb(10, 0), 0u);
}

TEST_F(Clipping, OldClipLetsAChildDrawOutside) {
    CRenderClip clip;
    CRenderClip::GenerateClip(canvas_.Dc(), RECT{0, 0, 5, 5}, clip);
    CRenderClip::UseOldClipBegin(canvas_.Dc(), clip);
    CRenderEngine::DrawColor(canvas_.Dc(), RECT{10, 10, 12, 12}, 0xFF000000);
    CRenderClip::UseOldClipEnd(canvas_.Dc(), clip);
    CRenderEngine::DrawColor(canvas_.Dc(), RECT{15, 15, 17, 17}, 0xFF000000);
    EXPECT_EQ(canvas_.Rgb(10, 10), 0u);
    EXPECT_EQ(canvas_.Rgb(15, 15), kWhite);
}

}  // namespace
}  // namespace Facet
