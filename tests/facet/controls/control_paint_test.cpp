// The control base's painting on a memory canvas: background fills and
// gradients, the border cases in their order, the rounded clip, and a
// background image that cannot be drawn.
#include <gtest/gtest.h>

#include "ui_test_window.h"

namespace Facet {
namespace test {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

class ControlPaint : public ::testing::Test {
protected:
    void SetUp() override {
        const RECT all = {0, 0, 100, 100};
        HBRUSH white = ::CreateSolidBrush(RGB(255, 255, 255));
        ::FillRect(canvas.Dc(), &all, white);
        ::DeleteObject(white);
        control.SetPos(RECT{10, 10, 90, 90});
    }
    void Paint(RECT rcPaint = RECT{0, 0, 100, 100}) { control.DoPaint(canvas.Dc(), rcPaint); }

    CCanvasDc canvas{100, 100};
    CControlUI control;
};

TEST_F(ControlPaint, NothingOutsideThePaintRectangle) {
    control.SetBkColor(0xFF0000FF);
    Paint(RECT{0, 0, 5, 5});
    EXPECT_EQ(canvas.Rgb(20, 20), kWhite);
    Paint(RECT{20, 20, 30, 30});
    EXPECT_EQ(canvas.Rgb(25, 25), 0x0000FFu);
    // An opaque fill stops at the repainted part.
    EXPECT_EQ(canvas.Rgb(15, 15), kWhite);
}

TEST_F(ControlPaint, ATranslucentFillCoversTheWholeControl) {
    control.SetBkColor(0x800000FF);
    Paint(RECT{20, 20, 30, 30});
    const std::uint32_t inside = canvas.Rgb(15, 15);
    EXPECT_NE(inside, kWhite);
    EXPECT_NE(inside, 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(5, 5), kWhite);
}

TEST_F(ControlPaint, NoFirstColourNoBackground) {
    control.SetBkColor2(0xFF00FF00);
    control.SetBkColor3(0xFFFF0000);
    Paint();
    EXPECT_EQ(canvas.Rgb(50, 50), kWhite);
}

TEST_F(ControlPaint, TwoColoursMakeOneVerticalGradient) {
    control.SetBkColor(0xFF000000);
    control.SetBkColor2(0xFF0000FF);
    Paint();
    EXPECT_LT(canvas.Rgb(50, 11) & 0xFF, 0x20u);
    EXPECT_GT(canvas.Rgb(50, 88) & 0xFF, 0xD0u);
    EXPECT_EQ(canvas.Rgb(11, 50), canvas.Rgb(88, 50));  // vertical only
}

TEST_F(ControlPaint, ThreeColoursMeetInTheMiddle) {
    control.SetBkColor(0xFF000000);
    control.SetBkColor2(0xFF0000FF);
    control.SetBkColor3(0xFF000000);
    Paint();
    EXPECT_LT(canvas.Rgb(50, 11) & 0xFF, 0x30u);
    EXPECT_GT(canvas.Rgb(50, 49) & 0xFF, 0xC0u);
    EXPECT_GT(canvas.Rgb(50, 51) & 0xFF, 0xC0u);
    EXPECT_LT(canvas.Rgb(50, 88) & 0xFF, 0x30u);
}

TEST_F(ControlPaint, AUniformBorderIsAnOutline) {
    control.SetBorderSize(1);
    control.SetBorderColor(0xFFFF0000);
    Paint();
    EXPECT_EQ(canvas.Rgb(10, 50), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(50, 10), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(50, 50), kWhite);
}

TEST_F(ControlPaint, TheFocusColourNeedsTheFocus) {
    control.SetBorderSize(1);
    control.SetBorderColor(0xFFFF0000);
    control.SetFocusBorderColor(0xFF00FF00);
    Paint();
    EXPECT_EQ(canvas.Rgb(10, 50), 0xFF0000u);
    TEventUI focus;
    focus.type = EventSetFocus;
    control.Event(focus);
    Paint();
    EXPECT_EQ(canvas.Rgb(10, 50), 0x00FF00u);
}

TEST_F(ControlPaint, OnlyAFocusColourDrawsNothingWhileUnfocused) {
    control.SetBorderSize(1);
    control.SetFocusBorderColor(0xFF00FF00);
    Paint();
    EXPECT_EQ(canvas.Rgb(10, 50), kWhite);
}

TEST_F(ControlPaint, SideBordersComeBeforeTheUniformOne) {
    control.SetBorderSize(1);
    control.SetBorderColor(0xFF0000FF);
    control.SetLeftBorderSize(3);
    Paint();
    EXPECT_EQ(canvas.Rgb(10, 50), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(50, 10), kWhite);  // no top line: the sides win
    EXPECT_EQ(canvas.Rgb(89, 50), kWhite);
}

TEST_F(ControlPaint, BottomBorderRunsAlongTheBottomEdge) {
    control.SetBorderColor(0xFF0000FF);
    control.SetBottomBorderSize(1);
    Paint();
    // The line lies on y = bottom, which the clip of a container would cut;
    // on a bare canvas it shows just below the item.
    EXPECT_EQ(canvas.Rgb(50, 90), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(10, 50), kWhite);
}

TEST_F(ControlPaint, RoundCornersClipTheBackground) {
    control.SetBkColor(0xFF0000FF);
    control.SetBorderRound(SIZE{30, 30});
    Paint();
    EXPECT_EQ(canvas.Rgb(10, 10), kWhite);
    EXPECT_EQ(canvas.Rgb(50, 50), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(50, 10), 0x0000FFu);
    // The clip is gone afterwards.
    const RECT corner = {0, 0, 5, 5};
    HBRUSH red = ::CreateSolidBrush(RGB(255, 0, 0));
    ::FillRect(canvas.Dc(), &corner, red);
    ::DeleteObject(red);
    EXPECT_EQ(canvas.Rgb(1, 1), 0xFF0000u);
}

TEST_F(ControlPaint, ABackgroundImageThatCannotBeDrawnIsDropped) {
    control.SetBkImage(L"file='missing.png'");
    Paint();  // no manager: nothing can be drawn
    EXPECT_STREQ(control.GetBkImage(), L"");
}

TEST_F(ControlPaint, ColourAdjustmentAppliesOnlyWhenAskedFor) {
    CPaintManagerUI::SetHSL(true, 0, 100, 100);
    EXPECT_EQ(control.GetAdjustColor(0xFF0000FF), 0xFF0000FFu);
    control.SetColorHSL(true);
    EXPECT_NE(control.GetAdjustColor(0xFF0000FF), 0xFF0000FFu);
    CPaintManagerUI::SetHSL(true, 180, 100, 100);
    EXPECT_EQ(control.GetAdjustColor(0xFF0000FF), 0xFF0000FFu);
}

}  // namespace
}  // namespace test
}  // namespace Facet
