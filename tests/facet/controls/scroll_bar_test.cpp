// The scroll bar on its own: where its buttons and thumb go, how range and
// position are kept in bounds, its attributes, and how a bar without an owner
// answers clicks, held buttons, rail clicks and thumb drags, with "scroll".
#include <windows.h>

#include <gtest/gtest.h>

#include "facet/controls/container_ui.h"
#include "facet/controls/scroll_bar_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

constexpr DWORD kOutline = CScrollBarUI::kFallbackOutlineColor & 0xFFFFFF;

// A bar placed at rc, outside any window.
CScrollBarUI* Placed(CScrollBarUI& bar, RECT rc) {
    bar.SetPos(rc);
    return &bar;
}

TEST(ScrollBarGeometry, VerticalBarPartsFollowThePosition) {
    CScrollBarUI bar;
    Placed(bar, RECT{10, 20, 26, 120});
    EXPECT_EQ(bar.GetButton1Rect(), (RECT{10, 20, 26, 36}));
    EXPECT_EQ(bar.GetButton2Rect(), (RECT{10, 104, 26, 120}));
    // Free length 68, thumb 100 × 68 / 200 = 34.
    EXPECT_EQ(bar.GetThumbRect(), (RECT{10, 36, 26, 70}));
    bar.SetScrollPos(100);
    EXPECT_EQ(bar.GetThumbRect(), (RECT{10, 70, 26, 104}));
    bar.SetScrollPos(50);
    EXPECT_EQ(bar.GetThumbRect(), (RECT{10, 53, 26, 87}));
}

TEST(ScrollBarGeometry, WithoutRoomForAThumbTheButtonsShareTheLength) {
    CScrollBarUI bar;
    Placed(bar, RECT{0, 0, 16, 30});
    EXPECT_EQ(bar.GetButton1Rect(), (RECT{0, 0, 16, 15}));
    EXPECT_EQ(bar.GetButton2Rect(), (RECT{0, 15, 16, 30}));
    EXPECT_EQ(bar.GetThumbRect(), (RECT{0, 0, 0, 0}));
}

TEST(ScrollBarGeometry, ARangeOfZeroFillsTheSpaceBetweenTheButtons) {
    CScrollBarUI bar;
    bar.SetScrollRange(0);
    Placed(bar, RECT{0, 0, 16, 100});
    EXPECT_EQ(bar.GetThumbRect(), (RECT{0, 16, 16, 84}));
}

TEST(ScrollBarGeometry, HiddenButtonsLeaveTheirLengthToTheThumb) {
    CScrollBarUI bar;
    bar.SetShowButton1(false);
    bar.SetShowButton2(false);
    Placed(bar, RECT{0, 0, 16, 100});
    EXPECT_EQ(bar.GetButton1Rect(), (RECT{0, 0, 0, 0}));
    EXPECT_EQ(bar.GetButton2Rect(), (RECT{0, 100, 0, 100}));
    EXPECT_EQ(bar.GetThumbRect(), (RECT{0, 0, 16, 50}));
    bar.SetScrollPos(100);
    EXPECT_EQ(bar.GetThumbRect(), (RECT{0, 50, 16, 100}));
}

TEST(ScrollBarGeometry, AHorizontalBarLaysOutAlongX) {
    CScrollBarUI bar;
    bar.SetHorizontal(true);
    EXPECT_EQ(bar.GetFixedHeight(), 16);
    EXPECT_EQ(bar.GetFixedWidth(), 0);
    Placed(bar, RECT{5, 50, 105, 66});
    EXPECT_EQ(bar.GetButton1Rect(), (RECT{5, 50, 21, 66}));
    EXPECT_EQ(bar.GetButton2Rect(), (RECT{89, 50, 105, 66}));
    EXPECT_EQ(bar.GetThumbRect(), (RECT{21, 50, 55, 66}));
    // Turned back, it takes its width again.
    bar.SetHorizontal(false);
    EXPECT_EQ(bar.GetFixedWidth(), 16);
    EXPECT_EQ(bar.GetFixedHeight(), 0);
}

TEST(ScrollBarGeometry, RangeAndPositionStayInBounds) {
    CScrollBarUI bar;
    Placed(bar, RECT{0, 0, 16, 100});
    bar.SetScrollPos(500);
    EXPECT_EQ(bar.GetScrollPos(), 100);
    bar.SetScrollRange(40);
    EXPECT_EQ(bar.GetScrollPos(), 40);
    bar.SetScrollRange(-5);
    EXPECT_EQ(bar.GetScrollRange(), 0);
    EXPECT_EQ(bar.GetScrollPos(), 0);
    bar.SetScrollRange(10);
    bar.SetScrollPos(-3);
    EXPECT_EQ(bar.GetScrollPos(), 0);
}

TEST(ScrollBarGeometry, AHugeRangeKeepsTheThumbOnTheRail) {
    CScrollBarUI bar;
    bar.SetScrollRange(2000000000);
    Placed(bar, RECT{0, 0, 16, 1000});
    // Never shorter than the bar is thick.
    EXPECT_EQ(bar.GetThumbRect(), (RECT{0, 16, 16, 32}));
    bar.SetScrollPos(2000000000);
    EXPECT_EQ(bar.GetThumbRect(), (RECT{0, 968, 16, 984}));
    bar.SetScrollPos(1000000000);
    EXPECT_EQ(bar.GetThumbRect(), (RECT{0, 492, 16, 508}));
}

TEST(ScrollBarGeometry, AttributesReachTheirSetters) {
    CScrollBarUI bar;
    bar.SetAttribute(L"range", L"300");
    bar.SetAttribute(L"value", L"400");  // beyond the range
    bar.SetAttribute(L"showbutton1", L"false");
    bar.SetAttribute(L"thumbhotimage", L"file='thumb.png'");
    EXPECT_EQ(bar.GetScrollPos(), 300);
    EXPECT_FALSE(bar.GetShowButton1());
    EXPECT_STREQ(bar.GetThumbHotImage(), L"file='thumb.png'");
    bar.SetAttribute(L"hor", L"TRUE");  // only "true" is true
    EXPECT_FALSE(bar.IsHorizontal());
    bar.SetAttribute(L"width", L"20");  // the base's
    EXPECT_EQ(bar.GetFixedWidth(), 20);
    EXPECT_EQ(bar.GetInterface(L"ScrollBar"), &bar);
    EXPECT_EQ(bar.GetInterface(L"Container"), nullptr);
}

// A free-standing bar in a window: the owner-less case.
class ScrollBarInputTest : public UiWindowTest {
protected:
    void SetUp() override {
        UiWindowTest::SetUp();
        auto* root = new CContainerUI;
        root->SetBkColor(0xFFFFFFFF);
        bar = new CScrollBarUI;
        bar->SetFloat(true);
        bar->SetFixedXY(SIZE{100, 50});
        bar->SetFixedWidth(16);
        bar->SetFixedHeight(100);
        root->Add(bar);
        Attach(root);
        ASSERT_EQ(bar->GetThumbRect(), (RECT{100, 66, 116, 100}));
    }
    void Tick() {
        TEventUI event;
        event.type = EventTimer;
        event.sender = bar;
        event.wParam = CScrollBarUI::kRepeatTimerId;
        bar->Event(event);
    }
    CScrollBarUI* bar = nullptr;
};

TEST_F(ScrollBarInputTest, AHeldButtonStepsOnceThenRepeatsFromTheSixthTick) {
    LButtonDown(108, 145);  // button 2
    // The ticks are counted here, not left to the window's clock.
    pm->KillTimer(bar, CScrollBarUI::kRepeatTimerId);
    EXPECT_EQ(bar->GetScrollPos(), 8);
    EXPECT_EQ(notes.Count(L"scroll", bar), 1);
    EXPECT_TRUE(bar->GetButton2State() & CScrollBarUI::StatePushed);
    for (int tick = 1; tick <= 5; ++tick) Tick();
    EXPECT_EQ(bar->GetScrollPos(), 8);
    EXPECT_EQ(notes.Count(L"scroll"), 1);
    Tick();
    EXPECT_EQ(bar->GetScrollPos(), 16);
    Tick();
    EXPECT_EQ(bar->GetScrollPos(), 24);
    EXPECT_EQ(notes.Count(L"scroll"), 3);
    LButtonUp(108, 145);
    EXPECT_FALSE(bar->GetButton2State() & CScrollBarUI::StatePushed);
    // Released: the timer is gone, nothing moves any more.
    PumpFor(200);
    EXPECT_EQ(bar->GetScrollPos(), 24);
}

TEST_F(ScrollBarInputTest, TheRepeatRunsOnTheWindowsTimer) {
    LButtonDown(108, 55);  // button 1 at position 0: no step possible
    bar->SetScrollPos(100);
    PumpFor(700);
    // 50 ms ticks after a 300 ms delay: several steps back, well short of 0.
    EXPECT_LT(bar->GetScrollPos(), 100 - 8);
    EXPECT_GT(bar->GetScrollPos(), 0);
    LButtonUp(108, 55);
    const int released = bar->GetScrollPos();
    // Longer than the repeat delay: a timer left running would page by now.
    PumpFor(450);
    EXPECT_EQ(bar->GetScrollPos(), released);
}

TEST_F(ScrollBarInputTest, ARailClickPagesByTheBarsLength) {
    bar->SetScrollRange(300);
    Click(108, 120);  // below the thumb, above button 2
    EXPECT_EQ(bar->GetScrollPos(), 100);
    EXPECT_EQ(notes.Count(L"scroll"), 1);
    const RECT thumb = bar->GetThumbRect();
    Click(108, thumb.top - 1);  // above it
    EXPECT_EQ(bar->GetScrollPos(), 0);
    EXPECT_EQ(notes.Count(L"scroll"), 2);
}

TEST_F(ScrollBarInputTest, DraggingTheThumbMovesThePositionAtTheNextTick) {
    LButtonDown(108, 80);
    pm->KillTimer(bar, CScrollBarUI::kRepeatTimerId);
    EXPECT_TRUE(bar->GetThumbState() & CScrollBarUI::StateCaptured);
    MouseMove(108, 97);  // 17 of a 34-pixel track: half the range
    EXPECT_EQ(bar->GetScrollPos(), 0);
    Tick();
    EXPECT_EQ(bar->GetScrollPos(), 50);
    ASSERT_TRUE(pm->SetTimer(bar, CScrollBarUI::kRepeatTimerId, CScrollBarUI::kRepeatTimerMs));
    MouseMove(108, 200);  // far beyond the end
    // The window's own timer moves it.
    EXPECT_TRUE(PumpUntil([&] { return bar->GetScrollPos() == 100; }));
    LButtonUp(108, 200);
    EXPECT_FALSE(bar->GetThumbState() & CScrollBarUI::StateCaptured);
    EXPECT_EQ(bar->GetThumbRect(), (RECT{100, 100, 116, 134}));
}

TEST_F(ScrollBarInputTest, ADragWithoutTrackDoesNothing) {
    bar->SetScrollRange(0);  // the thumb fills the whole rail
    LButtonDown(108, 80);
    MouseMove(108, 90);
    Tick();
    EXPECT_EQ(bar->GetScrollPos(), 0);
    LButtonUp(108, 90);
}

TEST_F(ScrollBarInputTest, HotStatesFollowTheMouse) {
    MouseMove(108, 55);
    EXPECT_TRUE(bar->GetButton1State() & CScrollBarUI::StateHot);
    EXPECT_TRUE(bar->GetButton2State() & CScrollBarUI::StateHot);
    EXPECT_FALSE(bar->GetThumbState() & CScrollBarUI::StateHot);
    MouseMove(108, 80);
    EXPECT_TRUE(bar->GetThumbState() & CScrollBarUI::StateHot);
    MouseMove(108, 140);
    EXPECT_FALSE(bar->GetThumbState() & CScrollBarUI::StateHot);
    MouseMove(300, 300);
    EXPECT_FALSE(bar->GetButton1State() & CScrollBarUI::StateHot);
}

TEST_F(ScrollBarInputTest, ADisabledBarIgnoresTheMouseAndForgetsItsStates) {
    MouseMove(108, 80);
    LButtonDown(108, 80);
    ASSERT_NE(bar->GetThumbState(), 0u);
    bar->SetEnabled(false);
    EXPECT_EQ(bar->GetButton1State(), 0u);
    EXPECT_EQ(bar->GetButton2State(), 0u);
    EXPECT_EQ(bar->GetThumbState(), 0u);
    LButtonUp(108, 80);
    const int scrolls = notes.Count(L"scroll");
    MouseMove(300, 300);
    MouseMove(108, 145);
    Click(108, 145);
    EXPECT_EQ(bar->GetScrollPos(), 0);
    // Only the disabled bit, which painting keeps up to date.
    EXPECT_EQ(bar->GetButton2State(), static_cast<UINT>(CScrollBarUI::StateDisabled));
    EXPECT_EQ(notes.Count(L"scroll"), scrolls);
}

TEST_F(ScrollBarInputTest, WithoutImagesButtonsAndThumbAreOutlined) {
    auto canvas = Snapshot();
    EXPECT_EQ(canvas->Rgb(100, 50), kOutline);   // button 1, top-left
    EXPECT_EQ(canvas->Rgb(101, 140), kOutline);  // button 2, left edge
    EXPECT_EQ(canvas->Rgb(115, 80), kOutline);   // thumb, right edge
    EXPECT_EQ(canvas->Rgb(108, 58), 0xFFFFFFu);  // inside button 1
    EXPECT_EQ(canvas->Rgb(108, 110), 0xFFFFFFu); // the rail below the thumb
}

TEST_F(ScrollBarInputTest, PartImagesFollowTheirStates) {
    AddSolidImage(*pm, L"thumb", 0xFF0000FF);
    AddSolidImage(*pm, L"thumbhot", 0xFFFF0000);
    AddSolidImage(*pm, L"grip", 0xFF00FF00);
    AddSolidImage(*pm, L"bk", 0xFF808080);
    bar->SetThumbNormalImage(L"thumb");
    bar->SetThumbHotImage(L"thumbhot");
    bar->SetRailNormalImage(L"grip");
    bar->SetBkNormalImage(L"bk");
    auto canvas = Snapshot();
    EXPECT_EQ(canvas->Rgb(108, 68), 0x0000FFu);   // thumb, off the grip
    EXPECT_EQ(canvas->Rgb(108, 83), 0x00FF00u);   // grip square in the middle
    EXPECT_EQ(canvas->Rgb(108, 120), 0x808080u);  // background on the rail
    EXPECT_EQ(canvas->Rgb(100, 50), kOutline);    // button 1 has no image

    MouseMove(108, 68);
    canvas = Snapshot();
    EXPECT_EQ(canvas->Rgb(108, 68), 0xFF0000u);
}

}  // namespace
}  // namespace test
}  // namespace Facet
