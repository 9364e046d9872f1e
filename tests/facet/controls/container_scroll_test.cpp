// Scrolling a layout whose content is taller than itself: the bar appears
// and goes with the content, and lines, pages, Home and End, the wheel, the
// bar's buttons, rail and thumb all move the children by the same amount.
#include <windows.h>

#include <gtest/gtest.h>

#include "facet/controls/container_ui.h"
#include "facet/controls/horizontal_layout_ui.h"
#include "facet/controls/scroll_bar_ui.h"
#include "facet/controls/vertical_layout_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

class ContainerScrollTest : public UiWindowTest {
protected:
    // A 200 × 100 list at (20, 20) with ten 30-pixel rows: 300 pixels of
    // content, a range of 200.
    void SetUp() override {
        UiWindowTest::SetUp();
        root = new CContainerUI;
        list = new CVerticalLayoutUI;
        list->SetFloat(true);
        list->SetFixedXY(SIZE{20, 20});
        list->SetFixedWidth(200);
        list->SetFixedHeight(100);
        list->SetAttribute(L"vscrollbar", L"true");
        for (int i = 0; i < 10; ++i) {
            auto* row = new CControlUI;
            row->SetFixedHeight(30);
            list->Add(row);
        }
        root->Add(list);
        Attach(root);
        bar = list->GetVerticalScrollBar();
        ASSERT_NE(bar, nullptr);
        line = pm->GetDefaultFontInfo()->tm.tmHeight + 8;
    }
    CControlUI* Row(int i) { return list->GetItemAt(i); }
    int Pos() { return list->GetScrollPos().cy; }
    // Row 0's top relative to the list: minus the scroll position.
    int FirstRowOffset() { return Row(0)->GetPos().top - 20; }

    CContainerUI* root = nullptr;
    CVerticalLayoutUI* list = nullptr;
    CScrollBarUI* bar = nullptr;
    int line = 0;
};

TEST_F(ContainerScrollTest, TheBarAppearsAlongTheRightEdgeWhenContentOverflows) {
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetPos(), (RECT{204, 20, 220, 120}));
    EXPECT_EQ(bar->GetScrollRange(), 200);
    EXPECT_EQ(list->GetScrollRange().cy, 200);
    EXPECT_EQ(Row(0)->GetPos(), (RECT{20, 20, 204, 50}));
    EXPECT_EQ(bar->GetOwner(), list);
}

TEST_F(ContainerScrollTest, TheBarGoesWhenTheContentFitsAgain) {
    while (list->GetCount() > 3) list->RemoveAt(list->GetCount() - 1);
    Flush();
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(list->GetScrollRange().cy, 0);
    EXPECT_EQ(Row(0)->GetPos(), (RECT{20, 20, 220, 50}));
    // And returns with more rows.
    auto* extra = new CControlUI;
    extra->SetFixedHeight(30);
    list->Add(extra);
    Flush();
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 20);
    // The rows make room for it at once.
    EXPECT_EQ(Row(0)->GetPos(), (RECT{20, 20, 204, 50}));
}

TEST_F(ContainerScrollTest, KeysScrollByLinePageAndToTheEnds) {
    pm->SetFocus(list);
    Key(VK_DOWN);
    EXPECT_EQ(Pos(), line);
    EXPECT_EQ(FirstRowOffset(), -line);
    Key(VK_UP);
    EXPECT_EQ(Pos(), 0);
    Key(VK_NEXT);
    EXPECT_EQ(Pos(), 100);
    EXPECT_EQ(FirstRowOffset(), -100);
    Key(VK_END);
    EXPECT_EQ(Pos(), 200);
    EXPECT_EQ(Row(9)->GetPos().bottom, 120);
    Key(VK_DOWN);  // nothing beyond the end
    EXPECT_EQ(Pos(), 200);
    Key(VK_PRIOR);
    EXPECT_EQ(Pos(), 100);
    Key(VK_HOME);
    EXPECT_EQ(Pos(), 0);
    EXPECT_EQ(FirstRowOffset(), 0);
}

TEST_F(ContainerScrollTest, TheWheelScrollsByLines) {
    Wheel(100, 60, -WHEEL_DELTA);  // towards the user
    EXPECT_EQ(Pos(), line);
    Wheel(100, 60, -WHEEL_DELTA);
    EXPECT_EQ(Pos(), 2 * line);
    Wheel(100, 60, WHEEL_DELTA);
    EXPECT_EQ(Pos(), line);
    EXPECT_EQ(FirstRowOffset(), -line);
}

TEST_F(ContainerScrollTest, AContainerWithoutMouseLetsTheWheelPass) {
    list->SetMouseEnabled(false);
    Wheel(100, 60, -WHEEL_DELTA);
    EXPECT_EQ(Pos(), 0);
}

TEST_F(ContainerScrollTest, TheBarsButtonsAndRailScrollTheOwnerWithoutScrollNotifications) {
    Click(212, 115);  // button 2
    EXPECT_EQ(Pos(), line);
    Click(212, 25);  // button 1
    EXPECT_EQ(Pos(), 0);
    Click(212, 100);  // rail below the thumb
    EXPECT_EQ(Pos(), 100);
    EXPECT_EQ(FirstRowOffset(), -100);
    EXPECT_EQ(notes.Count(L"scroll"), 0);
}

TEST_F(ContainerScrollTest, DraggingTheThumbScrollsTheRows) {
    // Free length 68, thumb 100 × 68 / 300 = 22, track 46.
    const RECT thumb = bar->GetThumbRect();
    ASSERT_EQ(thumb, (RECT{204, 36, 220, 58}));
    LButtonDown(212, 40);
    MouseMove(212, 63);  // 23 of 46: half the range
    EXPECT_TRUE(PumpUntil([&] { return Pos() == 100; }));
    EXPECT_EQ(FirstRowOffset(), -100);
    MouseMove(212, 40);
    EXPECT_TRUE(PumpUntil([&] { return Pos() == 0; }));
    LButtonUp(212, 40);
}

TEST_F(ContainerScrollTest, ShrinkingContentPullsThePositionBackWithTheRows) {
    pm->SetFocus(list);
    Key(VK_END);
    ASSERT_EQ(Pos(), 200);
    list->RemoveAt(9);
    list->RemoveAt(8);
    list->RemoveAt(7);
    Flush();
    EXPECT_EQ(bar->GetScrollRange(), 110);
    EXPECT_EQ(Pos(), 110);
    // The last row still ends at the bottom edge: no empty band below it.
    EXPECT_EQ(Row(6)->GetPos().bottom, 120);
}

TEST_F(ContainerScrollTest, FloatingChildrenDoNotScroll) {
    auto* badge = new CControlUI;
    badge->SetFloat(true);
    badge->SetFixedXY(SIZE{5, 5});
    badge->SetFixedWidth(10);
    badge->SetFixedHeight(10);
    list->Add(badge);
    Flush();
    pm->SetFocus(list);
    Key(VK_NEXT);
    EXPECT_EQ(Pos(), 100);
    EXPECT_EQ(badge->GetPos(), (RECT{25, 25, 35, 35}));
}

TEST_F(ContainerScrollTest, DisablingScrollingRemovesTheBar) {
    list->EnableScrollBar(false, false);
    EXPECT_EQ(list->GetVerticalScrollBar(), nullptr);
    Flush();
    EXPECT_EQ(Row(0)->GetPos(), (RECT{20, 20, 220, 50}));
    EXPECT_EQ(list->GetScrollPos().cy, 0);
}

TEST_F(ContainerScrollTest, TheManagersDefaultBarStyleIsApplied) {
    pm->AddDefaultAttributeList(L"VScrollBar", L"width=\"10\" linesize=\"5\"");
    auto* other = new CVerticalLayoutUI;
    root->Add(other);
    other->EnableScrollBar(true, false);
    ASSERT_NE(other->GetVerticalScrollBar(), nullptr);
    EXPECT_EQ(other->GetVerticalScrollBar()->GetFixedWidth(), 10);
    EXPECT_EQ(other->GetVerticalScrollBar()->GetLineSize(), 5);
}

// A horizontal bar's range is the application's: it widens the content.
TEST_F(ContainerScrollTest, AHorizontalBarScrollsARowSideways) {
    auto* row = new CHorizontalLayoutUI;
    row->SetFloat(true);
    row->SetFixedXY(SIZE{20, 150});
    row->SetFixedWidth(200);
    row->SetFixedHeight(60);
    row->SetAttribute(L"hscrollbarstyle", L"range=\"100\"");
    auto* wide = new CControlUI;
    row->Add(wide);
    root->Add(row);
    Flush();
    CScrollBarUI* hbar = row->GetHorizontalScrollBar();
    ASSERT_NE(hbar, nullptr);
    EXPECT_EQ(hbar->GetPos(), (RECT{20, 194, 220, 210}));
    // The flexible child spans the visible width plus the range.
    EXPECT_EQ(wide->GetPos(), (RECT{20, 150, 320, 194}));
    pm->SetFocus(row);
    Key(VK_END);
    EXPECT_EQ(row->GetScrollPos().cx, 100);
    EXPECT_EQ(wide->GetPos().left, -80);
    Key(VK_UP);  // maps to a line left
    EXPECT_EQ(row->GetScrollPos().cx, 100 - line);
}

}  // namespace
}  // namespace test
}  // namespace Facet
