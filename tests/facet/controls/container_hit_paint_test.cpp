// What the mouse finds inside a container and what a container paints:
// inset and scroll-bar areas belong to the container, floating children may
// cover them, the topmost child wins, and children are clipped to the inner
// rectangle.
#include <windows.h>

#include <gtest/gtest.h>

#include "facet/controls/container_ui.h"
#include "facet/controls/vertical_layout_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

constexpr DWORD kRootColor = 0xFF203040;
constexpr DWORD kBoxColor = 0xFF0000C0;
constexpr DWORD kChildColor = 0xFFC00000;
constexpr DWORD kFloatColor = 0xFF00A000;

class ContainerHitPaintTest : public UiWindowTest {
protected:
    // A root with a 100 × 100 container at (50, 50) with an inset of 20,
    // holding one non-floating child that fills its inner area.
    void SetUp() override {
        UiWindowTest::SetUp();
        root = new CContainerUI;
        root->SetBkColor(kRootColor);
        box = new CContainerUI;
        box->SetFloat(true);
        box->SetFixedXY(SIZE{50, 50});
        box->SetFixedWidth(100);
        box->SetFixedHeight(100);
        box->SetInset(RECT{20, 20, 20, 20});
        box->SetBkColor(kBoxColor);
        child = new CRecordingControl;
        child->SetBkColor(kChildColor);
        box->Add(child);
        root->Add(box);
        Attach(root);
    }
    CControlUI* At(int x, int y) { return pm->FindControl(POINT{x, y}); }

    CContainerUI* root = nullptr;
    CContainerUI* box = nullptr;
    CRecordingControl* child = nullptr;
};

TEST_F(ContainerHitPaintTest, TheInsetBelongsToTheContainer) {
    ASSERT_EQ(child->GetPos(), (RECT{70, 70, 130, 130}));
    EXPECT_EQ(At(100, 100), child);
    EXPECT_EQ(At(60, 100), box);
    EXPECT_EQ(At(149, 149), box);
    EXPECT_EQ(At(10, 10), root);
}

TEST_F(ContainerHitPaintTest, ANonFloatingChildReachingIntoTheInsetIsNotFoundThere) {
    // Pushed beyond the inner area, as scrolling does.
    child->SetPos(RECT{55, 55, 145, 145});
    EXPECT_EQ(At(60, 60), box);
    EXPECT_EQ(At(75, 75), child);
}

TEST_F(ContainerHitPaintTest, AFloatingChildIsFoundAndPaintedOverTheInset) {
    auto* badge = new CRecordingControl;
    badge->SetFloat(true);
    badge->SetFixedXY(SIZE{0, 0});
    badge->SetFixedWidth(15);
    badge->SetFixedHeight(15);
    badge->SetBkColor(kFloatColor);
    box->Add(badge);
    Repaint();
    EXPECT_EQ(badge->GetPos(), (RECT{50, 50, 65, 65}));
    EXPECT_EQ(At(55, 55), badge);
    auto canvas = Snapshot();
    EXPECT_EQ(canvas->Rgb(55, 55), kFloatColor & 0xFFFFFF);
    EXPECT_EQ(canvas->Rgb(66, 66), kBoxColor & 0xFFFFFF);
}

TEST_F(ContainerHitPaintTest, ChildrenArePaintedOnlyInsideTheInnerRectangle) {
    child->SetPos(RECT{55, 55, 200, 200});
    auto canvas = Snapshot();
    EXPECT_EQ(canvas->Rgb(100, 100), kChildColor & 0xFFFFFF);
    EXPECT_EQ(canvas->Rgb(60, 60), kBoxColor & 0xFFFFFF);   // inset
    EXPECT_EQ(canvas->Rgb(140, 100), kBoxColor & 0xFFFFFF);  // inset
    EXPECT_EQ(canvas->Rgb(170, 170), kRootColor & 0xFFFFFF);  // outside the box
    // The same on the display, through the manager's own paint.
    auto screen = ScreenShot();
    EXPECT_EQ(screen->Rgb(100, 100), kChildColor & 0xFFFFFF);
    EXPECT_EQ(screen->Rgb(60, 60), kBoxColor & 0xFFFFFF);
    EXPECT_EQ(screen->Rgb(170, 170), kRootColor & 0xFFFFFF);
}

TEST_F(ContainerHitPaintTest, WithoutMouseChildrenTheContainerAnswersForThem) {
    box->SetMouseChildEnabled(false);
    EXPECT_EQ(At(100, 100), box);
    MouseMove(100, 100);
    EXPECT_EQ(child->Count(EventMouseEnter), 0);
}

TEST_F(ContainerHitPaintTest, TheTopmostOverlappingChildGetsTheMouse) {
    auto* under = new CRecordingControl;
    auto* over = new CRecordingControl;
    for (CRecordingControl* c : {under, over}) {
        c->SetFloat(true);
        c->SetFixedXY(SIZE{200, 50});
        c->SetFixedWidth(50);
        c->SetFixedHeight(50);
        root->Add(c);
    }
    Repaint();
    MouseMove(220, 70);
    EXPECT_EQ(over->Count(EventMouseEnter), 1);
    EXPECT_EQ(under->Count(EventMouseEnter), 0);
    MouseMove(300, 70);
    EXPECT_EQ(over->Count(EventMouseLeave), 1);
}

}  // namespace
}  // namespace test
}  // namespace Facet
