// The control base's geometry and state: SetPos normalising and recording a
// floating control's place, size handlers, what each setter asks of the
// layout and the screen, visibility, virtual window names.
#include <gtest/gtest.h>

#include "runtime_fixture.h"

namespace Facet {
namespace test {
namespace {

bool SameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

TEST(ControlGeometryAlone, SetPosRaisesRightAndBottomToLeftAndTop) {
    CControlUI control;
    control.SetPos(RECT{50, 40, 10, 20});
    EXPECT_TRUE(SameRect(control.GetPos(), RECT{50, 40, 50, 40}));
    EXPECT_EQ(control.GetWidth(), 0);
    EXPECT_EQ(control.GetHeight(), 0);
    control.SetPos(RECT{1, 2, 11, 22});
    EXPECT_EQ(control.GetX(), 1);
    EXPECT_EQ(control.GetY(), 2);
    EXPECT_EQ(control.GetWidth(), 10);
    EXPECT_EQ(control.GetHeight(), 20);
}

TEST(ControlGeometryAlone, WithoutAManagerNoHandlersRun) {
    CControlUI control;
    int calls = 0;
    struct Counter {
        int* calls;
        bool Count(void*) {
            ++*calls;
            return true;
        }
    } counter{&calls};
    control.SizeHandlers += MakeDelegate(&counter, &Counter::Count);
    control.SetPos(RECT{0, 0, 5, 5});
    EXPECT_EQ(calls, 0);
}

TEST(ControlGeometryAlone, IdentityAndDefaults) {
    CControlUI control;
    EXPECT_STREQ(control.GetClass(), L"ControlUI");
    EXPECT_EQ(control.GetInterface(L"Control"), &control);
    EXPECT_EQ(control.GetInterface(L"Button"), nullptr);
    EXPECT_EQ(control.GetInterface(nullptr), nullptr);
    EXPECT_EQ(control.GetControlFlags(), 0u);
    EXPECT_EQ(control.GetMaxWidth(), 9999);
    EXPECT_EQ(control.GetMaxHeight(), 9999);
    EXPECT_EQ(control.GetToolTipWidth(), 300);
    EXPECT_TRUE(control.IsUpdateNeeded());
    EXPECT_TRUE(control.Activate());
    control.SetEnabled(false);
    EXPECT_FALSE(control.Activate());
    const SIZE estimate = control.EstimateSize(SIZE{100, 100});
    EXPECT_EQ(estimate.cx, 0);
    control.SetFixedWidth(12);
    EXPECT_EQ(control.EstimateSize(SIZE{100, 100}).cx, 12);
}

class ControlGeometry : public RuntimeFixture {};

TEST_F(ControlGeometry, AFloatingControlRecordsWhereItWasPut) {
    a->SetFloat(true);
    a->SetPos(RECT{30, 25, 90, 45});
    EXPECT_EQ(a->GetFixedXY().cx, 30);
    EXPECT_EQ(a->GetFixedXY().cy, 25);
    EXPECT_EQ(a->GetFixedWidth(), 60);
    EXPECT_EQ(a->GetFixedHeight(), 20);

    // Anchored to the right and bottom edges: the offsets stay negative.
    a->SetFixedXY(SIZE{-20, -5});
    a->SetPos(RECT{100, 110, 180, 140});
    EXPECT_EQ(a->GetFixedXY().cx, 180 - 200);
    EXPECT_EQ(a->GetFixedXY().cy, 140 - 150);
    EXPECT_EQ(a->GetFixedWidth(), 80);
}

TEST_F(ControlGeometry, AFlowingControlKeepsItsFixedPlace) {
    a->SetPos(RECT{30, 25, 90, 45});
    EXPECT_EQ(a->GetFixedXY().cx, 10);
    EXPECT_EQ(a->GetFixedWidth(), 50);
}

TEST_F(ControlGeometry, SetPosInvalidatesTheOldAndTheNewPlace) {
    win.Paint();
    a->SetPos(RECT{100, 100, 120, 110});
    const RECT pending = win.UpdateRect();
    EXPECT_TRUE(SameRect(pending, RECT{10, 10, 120, 110}));
    EXPECT_FALSE(a->IsUpdateNeeded());
}

TEST_F(ControlGeometry, SizeHandlersRunOncePerSetPosAndNotReentrantly) {
    struct Resizer {
        CControlUI* control;
        int calls = 0;
        bool OnSize(void*) {
            ++calls;
            control->SetPos(RECT{0, 0, 5, 5});  // would recurse without the guard
            return true;
        }
    } resizer{a};
    a->SizeHandlers += MakeDelegate(&resizer, &Resizer::OnSize);
    a->SetPos(RECT{1, 1, 20, 20});
    EXPECT_EQ(resizer.calls, 1);
    a->SetPos(RECT{1, 1, 20, 20});
    EXPECT_EQ(resizer.calls, 2);
}

TEST_F(ControlGeometry, SettersOnAFlowingControlMarkItsParent) {
    win.Paint();
    a->SetMinWidth(-1);
    EXPECT_FALSE(root->IsUpdateNeeded());
    a->SetMinWidth(0);  // unchanged
    EXPECT_FALSE(root->IsUpdateNeeded());
    a->SetMinWidth(5);
    EXPECT_TRUE(root->IsUpdateNeeded());
    EXPECT_FALSE(a->IsUpdateNeeded());
    win.Paint();
    a->SetFixedWidth(0);
    EXPECT_TRUE(root->IsUpdateNeeded());
    win.Paint();
    a->SetPadding(RECT{1, 1, 1, 1});
    EXPECT_TRUE(root->IsUpdateNeeded());
}

TEST_F(ControlGeometry, SettersOnAFloatingControlMarkOnlyItself) {
    a->SetFloat(true);
    win.Paint();
    a->SetFixedXY(SIZE{3, 4});
    EXPECT_TRUE(a->IsUpdateNeeded());
    EXPECT_FALSE(root->IsUpdateNeeded());
    a->SetMaxHeight(20);
    EXPECT_FALSE(root->IsUpdateNeeded());
}

TEST_F(ControlGeometry, DrawingSettersRepaintOnlyOnChange) {
    win.Paint();
    a->SetBorderColor(0);
    a->SetText(L"");
    a->SetBkImage(L"");
    a->SetBorderSize(0);
    a->SetColorHSL(false);
    RECT pending = win.UpdateRect();
    EXPECT_TRUE(::IsRectEmpty(&pending));
    a->SetText(L"x");
    pending = win.UpdateRect();
    EXPECT_TRUE(SameRect(pending, a->GetPos()));
    win.Paint();
    a->SetBorderStyle(PS_SOLID);  // no change test: always repaints
    pending = win.UpdateRect();
    EXPECT_TRUE(SameRect(pending, a->GetPos()));
}

TEST_F(ControlGeometry, InvalidationIsCutToTheAncestors) {
    auto* group = Add(new CProbeContainer(L"group", Place(0, 60, 100, 40)));
    auto* inner = Add(new CProbeControl(L"inner", Place(80, 30, 50, 50)), group);
    win.Paint();
    inner->Invalidate();
    RECT pending = win.UpdateRect();
    EXPECT_TRUE(SameRect(pending, RECT{80, 90, 100, 100}));
    win.Paint();
    inner->SetPos(RECT{150, 120, 160, 130});  // entirely outside the group
    ::ValidateRect(win.Hwnd(), nullptr);
    inner->Invalidate();
    pending = win.UpdateRect();
    EXPECT_TRUE(::IsRectEmpty(&pending));
}

TEST_F(ControlGeometry, HiddenControlsDoNotAskForRepaintsOrLayout) {
    win.Paint();
    a->SetVisible(false);
    win.Paint();
    a->NeedUpdate();
    EXPECT_FALSE(a->IsUpdateNeeded());
    a->Invalidate();
    const RECT pending = win.UpdateRect();
    EXPECT_TRUE(::IsRectEmpty(&pending));
}

TEST_F(ControlGeometry, VisibilityCombinesOwnAndInheritedFlags) {
    a->SetInternVisible(false);
    EXPECT_FALSE(a->IsVisible());
    a->SetVisible(true);  // unchanged own flag
    EXPECT_FALSE(a->IsVisible());
    a->SetInternVisible(true);
    EXPECT_TRUE(a->IsVisible());
    win.Paint();
    a->SetVisible(false);
    EXPECT_TRUE(root->IsUpdateNeeded());
}

TEST_F(ControlGeometry, VirtualWindowNamesComeFromTheNearestNamedAncestor) {
    auto* group = Add(new CProbeContainer(L"group", Place(0, 60, 100, 40)));
    auto* inner = Add(new CProbeControl(L"inner", Place(0, 0, 5, 5)), group);
    EXPECT_EQ(inner->GetVirtualWnd(), L"");
    root->SetVirtualWnd(L"main");
    EXPECT_EQ(inner->GetVirtualWnd(), L"main");
    group->SetVirtualWnd(L"page");
    EXPECT_EQ(inner->GetVirtualWnd(), L"page");
    EXPECT_EQ(a->GetVirtualWnd(), L"main");
}

TEST_F(ControlGeometry, InitRunsDoInitThenTheHandlersForControlsWithAParent) {
    struct Recorder {
        int calls = 0;
        bool OnInit(void*) {
            ++calls;
            return true;
        }
    } recorder;
    auto* fresh = new CProbeControl(L"fresh");
    fresh->InitHandlers += MakeDelegate(&recorder, &Recorder::OnInit);
    root->Add(fresh);
    EXPECT_EQ(recorder.calls, 1);
    EXPECT_EQ(fresh->GetManager(), &win.Pm());
    EXPECT_EQ(fresh->GetParent(), root);
    EXPECT_EQ(win.Pm().FindControl(L"fresh"), fresh);
    // A root has no parent: InitControls does not run its Init.
    struct Root : CProbeContainer {
        int inits = 0;
        void DoInit() override { ++inits; }
    };
    CTestWindow other;
    auto* lone = new Root;
    other.Pm().InitControls(lone);
    EXPECT_EQ(lone->inits, 0);
    EXPECT_FALSE(other.Pm().InitControls(nullptr));
    delete lone;
}

}  // namespace
}  // namespace test
}  // namespace Facet
