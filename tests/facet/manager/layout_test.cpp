// Lazy layout: the first paint lays the whole tree out to the client area and
// says "windowinit" once; later paints lay out only what was marked, the root
// again after a resize; a control that never clears its mark cannot hang the
// paint.
#include <map>

#include "runtime_fixture.h"

namespace Facet {
namespace test {
namespace {

class Layout : public RuntimeFixture {
protected:
    // Counts SetPos calls through the control's size handlers.
    static bool CountSize(void* param) {
        ++sizes[static_cast<CControlUI*>(param)];
        return true;
    }
    void Watch(CControlUI* control) { control->SizeHandlers += MakeDelegate(&Layout::CountSize); }
    void TearDown() override { sizes.clear(); }

    static std::map<CControlUI*, int> sizes;
};

std::map<CControlUI*, int> Layout::sizes;

bool SameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

TEST_F(Layout, TheFirstPaintLaysTheTreeOutToTheClientAreaAndSaysWindowInitOnce) {
    EXPECT_TRUE(SameRect(root->GetPos(), RECT{0, 0, 200, 150}));
    EXPECT_TRUE(SameRect(a->GetPos(), RECT{10, 10, 60, 40}));
    EXPECT_TRUE(SameRect(b->GetPos(), RECT{70, 10, 120, 40}));
    EXPECT_FALSE(root->IsUpdateNeeded());
    EXPECT_FALSE(a->IsUpdateNeeded());
    EXPECT_EQ(notes.Count(L"windowinit"), 1);
    ::InvalidateRect(win.Hwnd(), nullptr, FALSE);
    root->NeedUpdate();
    win.Paint();
    EXPECT_EQ(notes.Count(L"windowinit"), 1);
}

TEST_F(Layout, AMarkedControlIsLaidOutAloneAtTheNextPaint) {
    auto* group = Add(new CProbeContainer(L"group", Place(0, 60, 200, 80)));
    auto* inner = Add(new CProbeControl(L"inner", Place(5, 5, 40, 20)), group);
    win.Paint();
    Watch(root);
    Watch(a);
    Watch(group);
    Watch(inner);

    inner->SetFixedWidth(60);  // flowing child: its parent is marked
    EXPECT_TRUE(group->IsUpdateNeeded());
    EXPECT_FALSE(root->IsUpdateNeeded());
    // Nothing moves before the paint.
    EXPECT_TRUE(SameRect(inner->GetPos(), RECT{5, 65, 45, 85}));
    win.Paint();
    EXPECT_TRUE(SameRect(inner->GetPos(), RECT{5, 65, 65, 85}));
    EXPECT_EQ(sizes[group], 1);
    EXPECT_EQ(sizes[inner], 1);
    EXPECT_EQ(sizes[root], 0);
    EXPECT_EQ(sizes[a], 0);
}

TEST_F(Layout, AFloatingControlMarksOnlyItself) {
    a->SetFloat(true);
    win.Paint();
    Watch(root);
    a->SetFixedHeight(10);
    EXPECT_TRUE(a->IsUpdateNeeded());
    EXPECT_FALSE(root->IsUpdateNeeded());
    win.Paint();
    EXPECT_EQ(sizes[root], 0);
    EXPECT_FALSE(a->IsUpdateNeeded());
}

TEST_F(Layout, ResizingTheWindowLaysOutTheRootAgain) {
    ::SetWindowPos(win.Hwnd(), nullptr, 0, 0, 300, 120, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    win.Paint();
    EXPECT_TRUE(SameRect(root->GetPos(), RECT{0, 0, 300, 120}));
    SIZE client = win.Pm().GetClientSize();
    EXPECT_EQ(client.cx, 300);
    EXPECT_EQ(client.cy, 120);
}

TEST_F(Layout, ResizeTellsTheFocusedControl) {
    ASSERT_EQ(win.Pm().GetFocus(), a);
    ::SetWindowPos(win.Hwnd(), nullptr, 0, 0, 220, 160, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    win.Pump();
    ASSERT_GE(a->Count(EventWindowSize), 1);
    EXPECT_EQ(a->events.back().sender, a);
}

TEST_F(Layout, AnEmptyClientAreaDefersTheLayout) {
    ::SetWindowPos(win.Hwnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    win.Paint();
    EXPECT_TRUE(SameRect(root->GetPos(), RECT{0, 0, 200, 150}));
    ::SetWindowPos(win.Hwnd(), nullptr, 0, 0, 180, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    win.Paint();
    EXPECT_TRUE(SameRect(root->GetPos(), RECT{0, 0, 180, 100}));
}

// A control whose SetPos forgets to clear its mark, as a careless subclass
// might.
class CStubbornControl : public CProbeControl {
public:
    using CProbeControl::CProbeControl;
    void SetPos(RECT rc) override {
        CProbeControl::SetPos(rc);
        ++calls;
        m_bUpdateNeeded = true;
    }
    int calls = 0;
};

TEST_F(Layout, AControlThatStaysMarkedGetsOnePassPerPaint) {
    auto* stubborn = Add(new CStubbornControl(L"stubborn", Place(0, 100, 20, 20)));
    win.Paint();
    stubborn->calls = 0;
    stubborn->SetFloat(true);
    stubborn->NeedUpdate();
    win.Pump();
    ::UpdateWindow(win.Hwnd());
    EXPECT_EQ(stubborn->calls, 1);
}

TEST_F(Layout, InitialSizeResizesTheWindowOnlyBeforeARootExists) {
    win.Pm().SetInitSize(250, 90);
    RECT rc;
    ::GetWindowRect(win.Hwnd(), &rc);
    EXPECT_EQ(rc.right - rc.left, 200);
    EXPECT_EQ(win.Pm().GetInitSize().cx, 250);

    CTestWindow fresh;
    fresh.Pm().SetInitSize(250, 90);
    ::GetWindowRect(fresh.Hwnd(), &rc);
    EXPECT_EQ(rc.right - rc.left, 250);
    EXPECT_EQ(rc.bottom - rc.top, 90);
}

TEST_F(Layout, MinimumAndMaximumTrackingSizesReplaceOnlyPositiveComponents) {
    win.Pm().SetMinInfo(120, 0);
    win.Pm().SetMaxInfo(0, 400);
    MINMAXINFO info = {};
    info.ptMinTrackSize = {1, 2};
    info.ptMaxTrackSize = {3000, 4000};
    LRESULT result = 0;
    EXPECT_FALSE(win.Pm().MessageHandler(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info), result));
    EXPECT_EQ(info.ptMinTrackSize.x, 120);
    EXPECT_EQ(info.ptMinTrackSize.y, 2);
    EXPECT_EQ(info.ptMaxTrackSize.x, 3000);
    EXPECT_EQ(info.ptMaxTrackSize.y, 400);
}

}  // namespace
}  // namespace test
}  // namespace Facet
