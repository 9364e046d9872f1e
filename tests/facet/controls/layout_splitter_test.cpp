// Layouts as splitters: dragging the separator band resizes the layout, at
// once in immediate mode or through a preview band until the release, within
// its minimum and maximum size, with the resize cursor over the band.
#include <windows.h>

#include <gtest/gtest.h>

#include "facet/controls/horizontal_layout_ui.h"
#include "facet/controls/vertical_layout_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

constexpr DWORD kBackground = 0xFFFFFFFF;

class LayoutSplitterTest : public UiWindowTest {
protected:
    // A 100-pixel pane at the top with a 4-pixel separator along its bottom
    // edge, and the rest of the window below it.
    void SetUp() override {
        UiWindowTest::SetUp();
        auto* root = new CVerticalLayoutUI;
        root->SetBkColor(kBackground);
        pane = new CVerticalLayoutUI;
        pane->SetFixedHeight(100);
        pane->SetAttribute(L"sepheight", L"4");
        rest = new CControlUI;
        root->Add(pane);
        root->Add(rest);
        Attach(root);
        ASSERT_EQ(pane->GetThumbRect(false), (RECT{0, 96, kWidth, 100}));
    }
    // Sends WM_SETCURSOR with the cursor at the client point; answers the
    // cursor it left.
    HCURSOR CursorAt(int x, int y) {
        POINT pt = {x, y};
        ::ClientToScreen(hwnd, &pt);
        ::SetCursorPos(pt.x, pt.y);
        ::SetCursor(nullptr);
        ::SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    }
    CVerticalLayoutUI* pane = nullptr;
    CControlUI* rest = nullptr;
};

TEST_F(LayoutSplitterTest, InImmediateModeTheLayoutFollowsEveryStep) {
    pane->SetSepImmMode(true);
    LButtonDown(50, 98);
    // Growing waits until the mouse is a band's width past the edge.
    MouseMove(50, 102);
    EXPECT_EQ(pane->GetFixedHeight(), 100);
    MouseMove(50, 110);
    Flush();
    EXPECT_EQ(pane->GetFixedHeight(), 108);
    EXPECT_EQ(rest->GetPos().top, 108);
    MouseMove(50, 105);  // back up, above the new edge
    Flush();
    EXPECT_EQ(pane->GetFixedHeight(), 103);
    LButtonUp(50, 105);
    Flush();
    EXPECT_EQ(pane->GetPos(), (RECT{0, 0, kWidth, 103}));
    EXPECT_EQ(rest->GetPos().top, 103);
    EXPECT_EQ(pm->GetPostPaintCount(), 0);
}

TEST_F(LayoutSplitterTest, OutsideImmediateModeABandPreviewsTheEdgeUntilRelease) {
    LButtonDown(50, 98);
    EXPECT_EQ(pm->GetPostPaintCount(), 1);
    MouseMove(50, 150);
    // Post-paint controls draw in the window's own paint, not in a print.
    auto canvas = ScreenShot();
    // The layout has not moved yet; the translucent band shows the new edge.
    EXPECT_EQ(rest->GetPos().top, 100);
    EXPECT_EQ(pane->GetThumbRect(true), (RECT{0, 148, kWidth, 152}));
    const std::uint32_t band = canvas->Rgb(50, 150);
    EXPECT_LT(R(band), 0x60);
    EXPECT_EQ(R(band), G(band));
    EXPECT_EQ(canvas->Rgb(50, 140), kBackground & 0xFFFFFF);
    LButtonUp(50, 150);
    Flush();
    EXPECT_EQ(pm->GetPostPaintCount(), 0);
    EXPECT_EQ(rest->GetPos().top, 152);
    canvas = ScreenShot();
    EXPECT_EQ(canvas->Rgb(50, 150), kBackground & 0xFFFFFF);
}

TEST_F(LayoutSplitterTest, TheDragStopsAtTheMinimumAndMaximumHeight) {
    pane->SetSepImmMode(true);
    pane->SetMinHeight(50);
    pane->SetMaxHeight(150);
    LButtonDown(50, 98);
    MouseMove(50, 20);
    EXPECT_EQ(pane->GetFixedHeight(), 50);
    MouseMove(50, 10);  // further up: already at the minimum
    EXPECT_EQ(pane->GetFixedHeight(), 50);
    MouseMove(50, 300);
    EXPECT_EQ(pane->GetFixedHeight(), 150);
    LButtonUp(50, 300);
    Flush();
    EXPECT_EQ(rest->GetPos().top, 150);
}

TEST_F(LayoutSplitterTest, APressOutsideTheBandDoesNotDrag) {
    LButtonDown(50, 90);
    MouseMove(50, 150);
    LButtonUp(50, 150);
    Flush();
    EXPECT_EQ(pane->GetFixedHeight(), 100);
    EXPECT_EQ(pm->GetPostPaintCount(), 0);
}

TEST_F(LayoutSplitterTest, TheBandShowsTheResizeCursor) {
    EXPECT_EQ(pane->GetControlFlags(), static_cast<UINT>(ControlFlagSetCursor));
    EXPECT_EQ(CursorAt(50, 98), ::LoadCursor(nullptr, IDC_SIZENS));
    EXPECT_EQ(CursorAt(50, 50), ::LoadCursor(nullptr, IDC_ARROW));
    pane->SetEnabled(false);
    EXPECT_EQ(pane->GetControlFlags(), 0u);
}

TEST_F(LayoutSplitterTest, SwitchingModesMidDragDropsThePreview) {
    LButtonDown(50, 98);
    ASSERT_EQ(pm->GetPostPaintCount(), 1);
    pane->SetSepImmMode(true);
    EXPECT_EQ(pm->GetPostPaintCount(), 0);
    MouseMove(50, 130);
    LButtonUp(50, 130);
    Flush();
    EXPECT_EQ(rest->GetPos().top, 132);
}

TEST(LayoutSplitterBand, BandsFollowTheSeparatorsSign) {
    CVerticalLayoutUI column;
    column.SetPos(RECT{0, 0, 100, 10});
    column.SetSepHeight(-4);
    EXPECT_EQ(column.GetThumbRect(false), (RECT{0, 0, 100, 4}));
    column.SetSepHeight(40);  // taller than the layout: limited to it
    EXPECT_EQ(column.GetThumbRect(false), (RECT{0, 0, 100, 10}));
    column.SetSepHeight(-40);
    EXPECT_EQ(column.GetThumbRect(false), (RECT{0, 0, 100, 10}));

    CHorizontalLayoutUI row;
    row.SetPos(RECT{10, 0, 20, 50});
    row.SetAttribute(L"sepwidth", L"-4");
    EXPECT_EQ(row.GetSepWidth(), -4);
    EXPECT_EQ(row.GetThumbRect(false), (RECT{10, 0, 14, 50}));
    row.SetSepWidth(6);
    EXPECT_EQ(row.GetThumbRect(false), (RECT{14, 0, 20, 50}));
    row.SetSepWidth(0);
    EXPECT_EQ(row.GetControlFlags(), 0u);
}

class RowSplitterTest : public UiWindowTest {};

TEST_F(RowSplitterTest, ALeftEdgeSeparatorWidensThePaneToTheLeft) {
    auto* root = new CHorizontalLayoutUI;
    auto* left = new CControlUI;
    auto* pane = new CHorizontalLayoutUI;
    pane->SetFixedWidth(100);
    pane->SetAttribute(L"sepwidth", L"-4");
    pane->SetAttribute(L"sepimm", L"true");
    root->Add(left);
    root->Add(pane);
    Attach(root);
    ASSERT_EQ(pane->GetPos(), (RECT{260, 0, kWidth, kHeight}));
    LButtonDown(262, 50);
    MouseMove(240, 50);
    LButtonUp(240, 50);
    Flush();
    EXPECT_EQ(pane->GetFixedWidth(), 122);
    EXPECT_EQ(pane->GetPos(), (RECT{238, 0, kWidth, kHeight}));
    EXPECT_EQ(left->GetPos().right, 238);
}

}  // namespace
}  // namespace test
}  // namespace Facet
