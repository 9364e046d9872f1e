// Focus: the first tab stop after the first layout, focus changes with their
// events and notifications, refusals, Tab and Shift+Tab with wrap-around,
// Alt+key shortcuts with the label rule, and SetFocusNeeded.
#include "runtime_fixture.h"

namespace Facet {
namespace test {
namespace {

class Focus : public RuntimeFixture {
protected:
    // A third tab stop "c" below a and b, and a plain control between them in
    // traversal order that is no tab stop.
    void AddMore() {
        plain = Add(new CProbeControl(L"plain", Place(10, 50, 50, 30)));
        c = Add(new CProbeControl(L"c", Place(70, 50, 50, 30)));
        c->flags = ControlFlagTabStop;
        win.Paint();
    }
    void Tab() { win.Post(WM_KEYDOWN, VK_TAB, 1); }

    CProbeControl* plain = nullptr;
    CProbeControl* c = nullptr;
};

TEST_F(Focus, TheFirstLayoutFocusesTheFirstTabStop) {
    // Set up by the fixture's first paint.
    EXPECT_EQ(win.Pm().GetFocus(), a);
    EXPECT_TRUE(a->IsFocused());
    EXPECT_EQ(notes.Types(), (std::vector<std::wstring>{L"windowinit", L"setfocus"}));
    EXPECT_EQ(notes.seen[0].sender, root);
    EXPECT_EQ(notes.seen[1].sender, a);
}

TEST_F(Focus, MovingTheFocusTellsBothSidesInOrder) {
    notes.seen.clear();
    win.Pm().SetFocus(b);
    ASSERT_EQ(a->Count(EventKillFocus), 1);
    EXPECT_EQ(a->events[0].sender, b);
    EXPECT_EQ(b->Types(), (std::vector<int>{EventSetFocus}));
    EXPECT_EQ(b->events[0].sender, b);
    EXPECT_EQ(notes.Types(), (std::vector<std::wstring>{L"killfocus", L"setfocus"}));
    EXPECT_EQ(notes.seen[0].sender, a);
    EXPECT_EQ(notes.seen[1].sender, b);
    EXPECT_FALSE(a->IsFocused());
    EXPECT_TRUE(b->IsFocused());
    EXPECT_EQ(::GetFocus(), win.Hwnd());

    // Focusing the focused control again changes nothing.
    notes.seen.clear();
    win.Pm().SetFocus(b);
    EXPECT_TRUE(notes.seen.empty());
}

TEST_F(Focus, InvisibleOrDisabledControlsTakeTheFocusAwayAndKeepNone) {
    b->SetVisible(false);
    win.Pm().SetFocus(b);
    EXPECT_EQ(win.Pm().GetFocus(), nullptr);
    EXPECT_EQ(a->Count(EventKillFocus), 1);
    EXPECT_EQ(b->Count(EventSetFocus), 0);

    win.Pm().SetFocus(a);
    b->SetVisible(true);
    b->SetEnabled(false);
    win.Pm().SetFocus(b);
    EXPECT_EQ(win.Pm().GetFocus(), nullptr);
    EXPECT_EQ(notes.Count(L"setfocus"), 2);  // the first layout's and a's
}

TEST_F(Focus, AnotherManagersControlIsRefused) {
    CPaintManagerUI other;
    CProbeControl stranger;
    stranger.SetManager(&other, nullptr, false);
    win.Pm().SetFocus(&stranger);
    EXPECT_EQ(win.Pm().GetFocus(), nullptr);
    EXPECT_TRUE(stranger.events.empty());
}

// The focus goes on to the first control that can take it; with none left,
// nobody has it.
TEST_F(Focus, HidingOrDisablingTheFocusedControlHandsTheFocusOn) {
    a->SetVisible(false);
    EXPECT_EQ(win.Pm().GetFocus(), b);
    EXPECT_FALSE(a->IsFocused());
    EXPECT_EQ(notes.Count(L"killfocus"), 1);
    b->SetEnabled(false);
    EXPECT_EQ(win.Pm().GetFocus(), nullptr);
}

TEST_F(Focus, HidingAContainerDropsTheFocusOfADescendant) {
    auto* group = Add(new CProbeContainer(L"group", Place(0, 60, 200, 80)));
    auto* inner = Add(new CProbeControl(L"inner", Place(5, 5, 40, 20)), group);
    inner->flags = ControlFlagTabStop;
    win.Paint();
    win.Pm().SetFocus(inner);
    ASSERT_EQ(win.Pm().GetFocus(), inner);
    group->SetVisible(false);
    EXPECT_EQ(win.Pm().GetFocus(), nullptr);
    EXPECT_FALSE(inner->IsVisible());
}

TEST_F(Focus, TabMovesForwardAndWrapsSkippingNonTabStops) {
    AddMore();
    ASSERT_EQ(win.Pm().GetFocus(), a);
    Tab();
    EXPECT_EQ(win.Pm().GetFocus(), b);
    Tab();
    EXPECT_EQ(win.Pm().GetFocus(), c);
    Tab();
    EXPECT_EQ(win.Pm().GetFocus(), a);
    EXPECT_TRUE(plain->events.empty());
}

TEST_F(Focus, ShiftTabMovesBackwardAndWrapsToTheLast) {
    AddMore();
    CKeyDown shift(VK_SHIFT);
    Tab();
    EXPECT_EQ(win.Pm().GetFocus(), c);
    Tab();
    EXPECT_EQ(win.Pm().GetFocus(), b);
    Tab();
    EXPECT_EQ(win.Pm().GetFocus(), a);
}

TEST_F(Focus, TabSkipsHiddenAndDisabledTabStops) {
    AddMore();
    b->SetEnabled(false);
    Tab();
    EXPECT_EQ(win.Pm().GetFocus(), c);
    c->SetVisible(false);
    win.Paint();
    Tab();
    EXPECT_EQ(win.Pm().GetFocus(), a);
}

TEST_F(Focus, TabWithoutAnyTabStopLeavesTheFocusAlone) {
    a->flags = 0;
    b->flags = 0;
    win.Pm().SetFocus(nullptr);
    Tab();
    EXPECT_EQ(win.Pm().GetFocus(), nullptr);
}

TEST_F(Focus, TabBeforeTheLayoutWaitsForIt) {
    b->SetFixedWidth(40);  // marks the tree for layout
    win.Pm().SetNextTabControl(true);
    EXPECT_EQ(win.Pm().GetFocus(), a);
    win.Paint();
    EXPECT_EQ(win.Pm().GetFocus(), b);
}

TEST_F(Focus, AltKeyFocusesAndActivatesTheControlWithTheShortcut) {
    b->SetShortcut(L'k');
    win.Post(WM_SYSCHAR, L'K', 0);
    EXPECT_EQ(win.Pm().GetFocus(), b);
    EXPECT_EQ(b->activations, 1);
    // Disabled controls are never reached.
    b->SetEnabled(false);
    win.Post(WM_SYSCHAR, L'k', 0);
    EXPECT_EQ(b->activations, 1);
}

TEST_F(Focus, AltKeyOnALabelGoesToTheSiblingListedBeforeIt) {
    auto* label = Add(new CProbeControl(L"label", Place(10, 90, 50, 20)));
    label->className = L"LabelUI";
    label->SetShortcut(L'N');
    win.Paint();
    win.Pm().SetFocus(nullptr);
    win.Post(WM_SYSCHAR, L'n', 0);
    EXPECT_EQ(label->activations, 0);
    EXPECT_EQ(win.Pm().GetFocus(), b);
    EXPECT_EQ(b->activations, 1);
}

TEST_F(Focus, AltKeyWithoutAMatchIsNotConsumed) {
    MSG msg = {win.Hwnd(), WM_SYSCHAR, L'z', 0, 0, {0, 0}};
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg));
    b->SetShortcut(L'Z');
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&msg));
}

TEST_F(Focus, SysKeyDownGoesToTheFocusedControl) {
    win.Post(WM_SYSKEYDOWN, VK_F10, 0);
    ASSERT_EQ(a->Count(EventSysKey), 1);
    EXPECT_EQ(a->events.back().keyChar, VK_F10);
    EXPECT_EQ(a->events.back().sender, nullptr);
}

TEST_F(Focus, FocusNeededLandsOnTheControlAfterTheNextLayout) {
    AddMore();
    win.Pm().SetFocusNeeded(c);
    // Until the layout, the focus rests on the tab stop before it, unannounced.
    EXPECT_EQ(win.Pm().GetFocus(), b);
    EXPECT_EQ(b->Count(EventSetFocus), 0);
    EXPECT_EQ(a->Count(EventKillFocus), 1);
    win.Paint();
    EXPECT_EQ(win.Pm().GetFocus(), c);
    EXPECT_EQ(c->Count(EventSetFocus), 1);
}

// The focus mark hides until the keyboard is used, unless the system asks
// for keyboard cues always; a key shows it on the focused control only.
TEST_F(Focus, TheFocusMarkShowsOnceAKeyIsUsedOrWhenTheSystemAsks) {
    BOOL saved = FALSE;
    ::SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &saved, 0);
    for (BOOL always : {FALSE, TRUE}) {
        ::SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(always)), 0);
        CTestWindow window;
        auto* box = new CProbeContainer(L"box");
        auto* focused = Add(new CProbeControl(L"focused", Place(20, 20, 60, 40)), box);
        focused->flags = ControlFlagTabStop;
        focused->SetAttribute(L"focusbordercolor", L"#FFFF0000");
        window.Attach(box);
        EXPECT_EQ(window.Pm().GetFocus(), focused);
        // The dotted mark in the focus border colour, a tenth of the height
        // (4 px) inside the top edge.
        auto redOnTheMark = [&window] {
            int red = 0;
            for (int x = 26; x < 74; ++x) red += window.PixelAt(x, 24) == 0xFF0000 ? 1 : 0;
            return red;
        };
        EXPECT_EQ(window.Pm().IsFocusCuesShown(), always != FALSE);
        EXPECT_EQ(redOnTheMark() > 10, always != FALSE);
        window.PressKey(VK_RIGHT);
        window.Paint();
        EXPECT_TRUE(window.Pm().IsFocusCuesShown());
        EXPECT_GT(redOnTheMark(), 10) << always;
        EXPECT_NE(window.PixelAt(40, 40), 0xFF0000u) << "inside the mark";
    }
    ::SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(saved)), 0);
}

TEST_F(Focus, TranslateMessageFindsTheManagerOfAChildWindow) {
    HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                   win.Hwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    MSG msg = {child, WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&msg));
    EXPECT_EQ(win.Pm().GetFocus(), b);
    ::DestroyWindow(child);
    // A window of no manager is nobody's.
    msg.hwnd = ::GetDesktopWindow();
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg));
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(nullptr));
}

class CountingAccelerator : public ITranslateAccelerator {
public:
    LRESULT TranslateAccelerator(MSG* pMsg) override {
        ++asked;
        return pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_F5 ? S_OK : S_FALSE;
    }
    int asked = 0;
};

TEST_F(Focus, AcceleratorsComeBeforePreTranslation) {
    CountingAccelerator accelerator;
    win.Pm().AddTranslateAccelerator(&accelerator);
    MSG f5 = {win.Hwnd(), WM_KEYDOWN, VK_F5, 1, 0, {0, 0}};
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&f5));
    MSG tab = {win.Hwnd(), WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&tab));
    EXPECT_EQ(accelerator.asked, 2);
    EXPECT_EQ(win.Pm().GetFocus(), b);
    EXPECT_TRUE(win.Pm().RemoveTranslateAccelerator(&accelerator));
    EXPECT_FALSE(win.Pm().RemoveTranslateAccelerator(&accelerator));
}

}  // namespace
}  // namespace test
}  // namespace Facet
