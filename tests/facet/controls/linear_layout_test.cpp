// Where the linear layouts put their children: stacking with fixed, minimum
// and maximum sizes, paddings, child padding and inset, the share of the
// flexible children, and the floating placement the main window relies on.
#include <windows.h>

#include <gtest/gtest.h>

#include "facet/controls/horizontal_layout_ui.h"
#include "facet/controls/vertical_layout_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

class LinearLayoutTest : public UiWindowTest {
protected:
    // A plain control with the given fixed size (0 = flexible).
    static CControlUI* Sized(int cx, int cy) {
        auto* control = new CControlUI;
        control->SetFixedWidth(cx);
        control->SetFixedHeight(cy);
        return control;
    }
    // A vertical layout filling the window whose inner area is exactly
    // width × height at the top left.
    CVerticalLayoutUI* Column(int height, int width = kWidth) {
        auto* layout = new CVerticalLayoutUI;
        layout->SetInset(RECT{0, 0, kWidth - width, kHeight - height});
        return layout;
    }
    CHorizontalLayoutUI* Row(int width, int height = kHeight) {
        auto* layout = new CHorizontalLayoutUI;
        layout->SetInset(RECT{0, 0, kWidth - width, kHeight - height});
        return layout;
    }
};

TEST_F(LinearLayoutTest, VerticalSplitsOddHeightBetweenTwoFlexibleChildren) {
    CVerticalLayoutUI* column = Column(101);
    CControlUI* a = Sized(0, 0);
    CControlUI* b = Sized(0, 0);
    column->Add(a);
    column->Add(b);
    Attach(column);
    EXPECT_EQ(a->GetPos(), (RECT{0, 0, kWidth, 50}));
    EXPECT_EQ(b->GetPos(), (RECT{0, 50, kWidth, 101}));
}

TEST_F(LinearLayoutTest, VerticalPaddingIsInsideTheChildsRectangleBelowIt) {
    CVerticalLayoutUI* column = Column(200);
    column->SetChildPadding(3);
    CControlUI* padded = Sized(0, 30);
    padded->SetPadding(RECT{4, 5, 6, 5});
    CControlUI* next = Sized(0, 20);
    column->Add(padded);
    column->Add(next);
    Attach(column);
    // 5 below the start, 35 high (the bottom padding included), width less
    // the side paddings; the next child 40 + 3 further down.
    EXPECT_EQ(padded->GetPos(), (RECT{4, 5, kWidth - 6, 40}));
    EXPECT_EQ(next->GetPos(), (RECT{0, 43, kWidth, 63}));
}

TEST_F(LinearLayoutTest, VerticalFlexibleChildTakesExactlyWhatFixedChildrenLeave) {
    CVerticalLayoutUI* column = Column(200);
    column->SetChildPadding(10);
    CControlUI* top = Sized(0, 40);
    top->SetPadding(RECT{0, 2, 0, 3});
    CControlUI* flexible = Sized(0, 0);
    CControlUI* bottom = Sized(0, 20);
    column->Add(top);
    column->Add(flexible);
    column->Add(bottom);
    Attach(column);
    EXPECT_EQ(top->GetPos(), (RECT{0, 2, kWidth, 45}));
    EXPECT_EQ(flexible->GetPos(), (RECT{0, 55, kWidth, 170}));
    // The last child ends on the layout's bottom edge: no pixel is lost to
    // paddings and gaps counted twice.
    EXPECT_EQ(bottom->GetPos(), (RECT{0, 180, kWidth, 200}));
}

TEST_F(LinearLayoutTest, VerticalMinimumHeightBeatsTheShareAndPushesLaterChildrenDown) {
    CVerticalLayoutUI* column = Column(90);
    CControlUI* a = Sized(0, 0);
    CControlUI* b = Sized(0, 0);
    b->SetMinHeight(60);
    CControlUI* c = Sized(0, 0);
    column->Add(a);
    column->Add(b);
    column->Add(c);
    Attach(column);
    EXPECT_EQ(a->GetPos(), (RECT{0, 0, kWidth, 30}));
    EXPECT_EQ(b->GetPos(), (RECT{0, 30, kWidth, 90}));
    EXPECT_EQ(c->GetPos(), (RECT{0, 90, kWidth, 90}));
}

TEST_F(LinearLayoutTest, VerticalClampsFixedSizesAndWidths) {
    CVerticalLayoutUI* column = Column(300, 200);
    CControlUI* tall = Sized(500, 400);  // wider and taller than allowed
    tall->SetMaxHeight(50);
    tall->SetMaxWidth(120);
    CControlUI* narrow = Sized(0, 5);
    narrow->SetMinHeight(12);
    narrow->SetMinWidth(250);  // wider than the layout: the minimum wins
    CControlUI* hidden = Sized(0, 70);
    hidden->SetVisible(false);
    CControlUI* last = Sized(0, 0);
    last->SetMaxHeight(100);
    column->Add(tall);
    column->Add(narrow);
    column->Add(hidden);
    column->Add(last);
    Attach(column);
    EXPECT_EQ(tall->GetPos(), (RECT{0, 0, 120, 50}));
    EXPECT_EQ(narrow->GetPos(), (RECT{0, 50, 250, 62}));
    EXPECT_EQ(last->GetPos(), (RECT{0, 62, 200, 162}));
}

TEST_F(LinearLayoutTest, VerticalInsetMovesEveryStackedChild) {
    auto* column = new CVerticalLayoutUI;
    column->SetAttribute(L"inset", L"10,20,30,40");
    CControlUI* only = Sized(0, 0);
    column->Add(only);
    Attach(column);
    EXPECT_EQ(only->GetPos(), (RECT{10, 20, kWidth - 30, kHeight - 40}));
}

TEST_F(LinearLayoutTest, VerticalOverfullFixedChildrenLeaveFlexibleOnesEmpty) {
    CVerticalLayoutUI* column = Column(50);
    CControlUI* big = Sized(0, 80);
    CControlUI* flexible = Sized(0, 0);
    column->Add(big);
    column->Add(flexible);
    Attach(column);
    EXPECT_EQ(big->GetPos(), (RECT{0, 0, kWidth, 80}));
    EXPECT_EQ(flexible->GetPos(), (RECT{0, 80, kWidth, 80}));
}

TEST_F(LinearLayoutTest, HorizontalSharesWidthAndFillsHeight) {
    CHorizontalLayoutUI* row = Row(101, 60);
    row->SetChildPadding(1);
    CControlUI* a = Sized(0, 0);
    CControlUI* b = Sized(0, 0);
    CControlUI* fixed = Sized(20, 30);
    fixed->SetPadding(RECT{2, 4, 3, 0});
    row->Add(a);
    row->Add(b);
    row->Add(fixed);
    Attach(row);
    // 101 - (20 + 5 + 2 gaps) = 74 shared: 37 and 37; the right padding
    // belongs to the fixed child's rectangle, the top padding moves it.
    EXPECT_EQ(a->GetPos(), (RECT{0, 0, 37, 60}));
    EXPECT_EQ(b->GetPos(), (RECT{38, 0, 75, 60}));
    EXPECT_EQ(fixed->GetPos(), (RECT{78, 4, 101, 34}));
}

TEST_F(LinearLayoutTest, HorizontalClampsWidthsAndHeights) {
    CHorizontalLayoutUI* row = Row(300, 100);
    CControlUI* capped = Sized(0, 0);
    capped->SetMaxWidth(40);
    capped->SetMaxHeight(30);
    CControlUI* rest = Sized(0, 0);
    rest->SetPadding(RECT{0, 10, 0, 15});
    row->Add(capped);
    row->Add(rest);
    Attach(row);
    EXPECT_EQ(capped->GetPos(), (RECT{0, 0, 40, 30}));
    EXPECT_EQ(rest->GetPos(), (RECT{40, 10, 300, 85}));
}

// The main window's skin: a horizontal layout whose children all float.
TEST_F(LinearLayoutTest, FloatingChildrenIgnoreInsetAndChildPadding) {
    auto* root = new CVerticalLayoutUI;
    auto* row = new CHorizontalLayoutUI;
    row->SetAttribute(L"inset", L"5,6,7,8");
    row->SetAttribute(L"childpadding", L"9");
    row->SetAttribute(L"padding", L"10,20,0,0");
    root->Add(row);
    auto* button = new CControlUI;
    button->SetAttribute(L"float", L"true");
    button->SetAttribute(L"pos", L"117,197,0,0");
    button->SetAttribute(L"width", L"112");
    button->SetAttribute(L"height", L"58");
    auto* picture = new CControlUI;
    picture->SetAttribute(L"width", L"84");
    picture->SetAttribute(L"height", L"84");
    picture->SetAttribute(L"pos", L"100, 59,0,0");
    picture->SetAttribute(L"float", L"true");
    row->Add(button);
    row->Add(picture);
    Attach(root);
    const RECT& layout = row->GetPos();
    EXPECT_EQ(layout, (RECT{10, 20, kWidth, kHeight}));
    EXPECT_EQ(button->GetPos(), (RECT{127, 217, 239, 275}));
    EXPECT_EQ(picture->GetPos(), (RECT{110, 79, 194, 163}));
}

TEST_F(LinearLayoutTest, NegativeFloatingOffsetsAnchorToRightAndBottom) {
    auto* root = new CVerticalLayoutUI;
    auto* anchored = new CControlUI;
    anchored->SetFloat(true);
    anchored->SetFixedXY(SIZE{-20, 10});
    anchored->SetFixedWidth(80);
    anchored->SetFixedHeight(30);
    auto* corner = new CControlUI;
    corner->SetAttribute(L"float", L"true");
    corner->SetAttribute(L"pos", L"-50,-40,-10,-5");  // width 40, height 35
    root->Add(anchored);
    root->Add(corner);
    Attach(root);
    EXPECT_EQ(anchored->GetPos(), (RECT{260, 10, 340, 40}));
    EXPECT_EQ(corner->GetPos(), (RECT{kWidth - 50, kHeight - 40, kWidth - 10, kHeight - 5}));
    // After layout the offsets are still anchored to the far edges.
    EXPECT_EQ(anchored->GetFixedXY().cx, -20);
    EXPECT_EQ(corner->GetFixedXY().cy, -5);
}

TEST_F(LinearLayoutTest, RelativeFloatingChildMovesAndStretchesWithTheWindow) {
    auto* root = new CVerticalLayoutUI;
    auto* child = new CControlUI;
    child->SetAttribute(L"float", L"true");
    child->SetAttribute(L"pos", L"100,50,160,80");
    child->SetAttribute(L"relativepos", L"50,100,100,0");
    root->Add(child);
    Attach(root);
    // The first layout only records the window's size.
    EXPECT_EQ(child->GetPos(), (RECT{100, 50, 160, 80}));

    // 40 wider and 20 taller: half of 40 to the right, all of 20 down, the
    // whole 40 onto the width, nothing onto the height.
    ::SetWindowPos(hwnd, nullptr, 0, 0, kWidth + 40, kHeight + 20,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Repaint();
    EXPECT_EQ(root->GetPos(), (RECT{0, 0, kWidth + 40, kHeight + 20}));
    EXPECT_EQ(child->GetPos(), (RECT{120, 70, 220, 100}));

    // Back again: the change is measured from the last layout.
    ::SetWindowPos(hwnd, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Repaint();
    EXPECT_EQ(child->GetPos(), (RECT{100, 50, 160, 80}));
}

TEST_F(LinearLayoutTest, AChangedChildIsLaidOutAgainAtTheNextPaint) {
    CVerticalLayoutUI* column = Column(100);
    CControlUI* a = Sized(0, 30);
    CControlUI* b = Sized(0, 0);
    column->Add(a);
    column->Add(b);
    Attach(column);
    ASSERT_EQ(b->GetPos(), (RECT{0, 30, kWidth, 100}));
    a->SetFixedHeight(60);
    Flush();
    EXPECT_EQ(b->GetPos(), (RECT{0, 60, kWidth, 100}));
    a->SetVisible(false);
    Flush();
    EXPECT_EQ(b->GetPos(), (RECT{0, 0, kWidth, 100}));
}

TEST_F(LinearLayoutTest, LayoutsAnswerTheirOwnInterfaceAndTheContainers) {
    CVerticalLayoutUI vertical;
    CHorizontalLayoutUI horizontal;
    EXPECT_EQ(vertical.GetInterface(L"VerticalLayout"), &vertical);
    EXPECT_EQ(vertical.GetInterface(L"HorizontalLayout"), nullptr);
    EXPECT_EQ(horizontal.GetInterface(L"Container"), &horizontal);
    EXPECT_EQ(vertical.GetInterface(L"IContainer"), static_cast<IContainerUI*>(&vertical));
}

}  // namespace
}  // namespace test
}  // namespace Facet
