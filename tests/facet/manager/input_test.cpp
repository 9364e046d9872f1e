// Mouse and keyboard messages as the paint manager turns them into events:
// hover, presses and drags, double and right clicks, the wheel, set-cursor,
// keys, and the messages that end an interaction.
#include "runtime_fixture.h"

namespace Facet {
namespace test {
namespace {

class Input : public RuntimeFixture {};

TEST_F(Input, MovingOverControlsEntersLeavesAndMoves) {
    win.PostMouse(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(a->Types(), (std::vector<int>{EventMouseEnter, EventMouseMove}));
    const SeenEvent& move = a->events.back();
    EXPECT_EQ(move.sender, a);
    EXPECT_EQ(move.point.x, 20);
    EXPECT_EQ(move.point.y, 20);
    EXPECT_EQ(move.wParam, 0u);
    EXPECT_EQ(move.lParam, 0);
    EXPECT_EQ(move.keyState, 0);

    win.PostMouse(WM_MOUSEMOVE, 25, 22);
    EXPECT_EQ(a->Count(EventMouseEnter), 1);
    EXPECT_EQ(a->Count(EventMouseMove), 2);

    win.PostMouse(WM_MOUSEMOVE, 80, 20);
    EXPECT_EQ(a->events.back().type, EventMouseLeave);
    EXPECT_EQ(b->Types(), (std::vector<int>{EventMouseEnter, EventMouseMove}));
    EXPECT_EQ(win.Pm().GetMousePos().x, 80);
}

TEST_F(Input, ControlsThatIgnoreTheMouseOrAreHiddenAreNotHit) {
    a->SetMouseEnabled(false);
    b->SetVisible(false);
    win.Paint();
    win.PostMouse(WM_MOUSEMOVE, 20, 20);
    win.PostMouse(WM_MOUSEMOVE, 80, 20);
    EXPECT_TRUE(a->events.empty());
    EXPECT_TRUE(b->events.empty());
    // The root lies under both points instead.
    EXPECT_EQ(root->Count(EventMouseEnter), 1);
    EXPECT_EQ(win.Pm().FindControl(POINT{20, 20}), root);
}

TEST_F(Input, PressFocusesAndCapturesAndTheDragStaysWithThePressedControl) {
    win.PostMouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    ASSERT_EQ(a->Count(EventButtonDown), 1);
    const SeenEvent& down = a->events.back();
    EXPECT_EQ(down.wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(down.lParam, MAKELPARAM(20, 20));
    EXPECT_EQ(down.keyState, MK_LBUTTON);
    EXPECT_EQ(win.Pm().GetFocus(), a);
    EXPECT_TRUE(a->IsFocused());
    EXPECT_TRUE(win.Pm().IsCaptured());
    EXPECT_EQ(::GetCapture(), win.Hwnd());

    // Dragging over b: b is hovered, but the moves go to a.
    win.PostMouse(WM_MOUSEMOVE, 80, 20, MK_LBUTTON);
    EXPECT_EQ(b->Count(EventMouseEnter), 1);
    EXPECT_EQ(b->Count(EventMouseMove), 0);
    EXPECT_EQ(a->events.back().type, EventMouseMove);
    EXPECT_EQ(a->events.back().point.x, 80);

    win.PostMouse(WM_LBUTTONUP, 80, 20);
    EXPECT_EQ(a->events.back().type, EventButtonUp);
    EXPECT_EQ(b->Count(EventButtonUp), 0);
    EXPECT_FALSE(win.Pm().IsCaptured());
    EXPECT_EQ(::GetCapture(), nullptr);

    // Released: the next move goes to the control under the mouse again.
    win.PostMouse(WM_MOUSEMOVE, 81, 20);
    EXPECT_EQ(b->Count(EventMouseMove), 1);
}

TEST_F(Input, ReleaseWithoutAPressIsIgnored) {
    win.PostMouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(a->Count(EventButtonUp), 0);
    EXPECT_EQ(win.Pm().GetMousePos().x, 20);
}

TEST_F(Input, DoubleClickCapturesWithoutMovingTheFocus) {
    win.Pm().SetFocus(b);
    win.PostMouse(WM_LBUTTONDBLCLK, 20, 20, MK_LBUTTON);
    ASSERT_EQ(a->Count(EventDblClick), 1);
    EXPECT_EQ(a->events.back().keyState, MK_LBUTTON);
    EXPECT_EQ(a->events.back().wParam, 0u);
    EXPECT_EQ(a->events.back().lParam, 0);
    EXPECT_EQ(win.Pm().GetFocus(), b);
    EXPECT_TRUE(win.Pm().IsCaptured());
    win.PostMouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(a->events.back().type, EventButtonUp);
}

TEST_F(Input, RightClickGivesTheContextMenuEventWithTheClickedControl) {
    win.PostMouse(WM_RBUTTONDOWN, 20, 20, MK_RBUTTON);
    EXPECT_EQ(a->Count(EventRButtonDown), 1);
    EXPECT_EQ(win.Pm().GetFocus(), a);
    EXPECT_TRUE(win.Pm().IsCaptured());
    win.PostMouse(WM_CONTEXTMENU, 20, 20);
    ASSERT_EQ(a->Count(EventContextMenu), 1);
    EXPECT_EQ(a->events.back().lParam, reinterpret_cast<LPARAM>(a));
    EXPECT_EQ(a->events.back().point.x, 20);
    EXPECT_FALSE(win.Pm().IsCaptured());
    // Not used by a or the root: no "menu".
    EXPECT_EQ(notes.Count(L"menu"), 0);
    // A second menu message without a press reaches nobody.
    win.PostMouse(WM_CONTEXTMENU, 20, 20);
    EXPECT_EQ(a->Count(EventContextMenu), 1);
}

TEST_F(Input, WheelTowardsTheUserIsOneAndHoverFollows) {
    win.PostMouse(WM_MOUSEWHEEL, 20, 20, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
    ASSERT_EQ(a->Count(EventScrollWheel), 1);
    auto wheel = std::find_if(a->events.begin(), a->events.end(),
                              [](const SeenEvent& e) { return e.type == EventScrollWheel; });
    EXPECT_EQ(wheel->wParam, 1u);
    EXPECT_EQ(wheel->point.x, 20);
    // The move that follows it, at the same point.
    EXPECT_EQ(a->events.back().type, EventMouseMove);
    EXPECT_EQ(a->events.back().point.y, 20);

    win.PostMouse(WM_MOUSEWHEEL, 20, 20, MAKEWPARAM(0, WHEEL_DELTA));
    wheel = std::find_if(a->events.rbegin(), a->events.rend(),
                         [](const SeenEvent& e) { return e.type == EventScrollWheel; })
                .base() - 1;
    EXPECT_EQ(wheel->wParam, 0u);
}

TEST_F(Input, SetCursorGoesOnlyToControlsThatAskForIt) {
    POINT screen = {20, 20};
    ::ClientToScreen(win.Hwnd(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    LRESULT result = 0;
    const LPARAM client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    EXPECT_FALSE(win.Pm().MessageHandler(WM_SETCURSOR, 0, client, result));
    EXPECT_EQ(a->Count(EventSetCursor), 0);

    a->flags |= ControlFlagSetCursor;
    EXPECT_TRUE(win.Pm().MessageHandler(WM_SETCURSOR, 0, client, result));
    EXPECT_EQ(a->Count(EventSetCursor), 1);

    // Outside the client area the system's cursor stands.
    EXPECT_FALSE(win.Pm().MessageHandler(WM_SETCURSOR, 0, MAKELPARAM(HTCAPTION, 0), result));

    // While captured: handled, nothing delivered.
    win.Pm().SetCapture();
    EXPECT_TRUE(win.Pm().MessageHandler(WM_SETCURSOR, 0, client, result));
    EXPECT_EQ(a->Count(EventSetCursor), 1);
    win.Pm().ReleaseCapture();
}

TEST_F(Input, KeysGoToTheFocusedControlWithoutSender) {
    win.Pm().SetFocus(a);
    a->Clear();
    win.PressKey('X');
    ASSERT_EQ(a->Types(), (std::vector<int>{EventKeyDown, EventChar, EventKeyUp}));
    for (const SeenEvent& e : a->events) {
        EXPECT_EQ(e.sender, nullptr);
        EXPECT_EQ(e.wParam, 0u);
        EXPECT_EQ(e.lParam, 0);
    }
    EXPECT_EQ(a->events[0].keyChar, L'X');
    EXPECT_EQ(a->events[1].keyChar, L'x');
}

TEST_F(Input, KeyUpGoesToTheControlThatHadTheKeyDown) {
    win.Pm().SetFocus(a);
    win.Post(WM_KEYDOWN, 'Q', 1);
    win.Pm().SetFocus(b);
    a->Clear();
    b->Clear();
    win.Post(WM_KEYUP, 'Q', static_cast<LPARAM>(0xC0000001));
    EXPECT_EQ(a->Count(EventKeyUp), 1);
    EXPECT_EQ(b->Count(EventKeyUp), 0);
    // Only once.
    win.Post(WM_KEYUP, 'Q', static_cast<LPARAM>(0xC0000001));
    EXPECT_EQ(a->Count(EventKeyUp), 1);
}

TEST_F(Input, KeysWithoutFocusReachNobody) {
    win.Pm().SetFocus(nullptr);
    a->Clear();
    win.PressKey('X');
    EXPECT_TRUE(a->events.empty());
    EXPECT_TRUE(b->events.empty());
    EXPECT_TRUE(root->events.empty());
}

TEST_F(Input, MouseLeaveEndsTheHoverThroughAMoveOutside) {
    win.PostMouse(WM_MOUSEMOVE, 20, 20);
    ASSERT_EQ(a->Count(EventMouseEnter), 1);
    win.Post(WM_MOUSELEAVE);
    EXPECT_EQ(a->events.back().type, EventMouseLeave);
    EXPECT_EQ(win.Pm().GetMousePos().x, -1);
    EXPECT_EQ(win.Pm().GetMousePos().y, -1);
    // Tracking is off now: a second leave changes nothing.
    a->Clear();
    win.Post(WM_MOUSELEAVE);
    EXPECT_TRUE(a->events.empty());
}

TEST_F(Input, CloseEndsHoverAndPressAndDropsTheFocus) {
    win.PostMouse(WM_MOUSEMOVE, 20, 20);
    win.PostMouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    a->Clear();
    LRESULT result = 0;
    EXPECT_FALSE(win.Pm().MessageHandler(WM_CLOSE, 0, 0, result));
    EXPECT_EQ(a->Types(), (std::vector<int>{EventMouseLeave, EventButtonUp, EventKillFocus}));
    EXPECT_EQ(win.Pm().GetFocus(), nullptr);
}

TEST_F(Input, HitsOnAnotherManagersControlsAreIgnored) {
    CPaintManagerUI nested;
    a->SetManager(&nested, root, false);
    win.PostMouse(WM_MOUSEMOVE, 20, 20);
    win.PostMouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    EXPECT_TRUE(a->events.empty());
    EXPECT_EQ(root->Count(EventMouseEnter), 0);
    EXPECT_FALSE(win.Pm().IsCaptured());
    a->SetManager(&win.Pm(), root, false);
}

class SwallowingFilter : public IMessageFilterUI {
public:
    LRESULT MessageHandler(UINT uMsg, WPARAM, LPARAM, bool& bHandled) override {
        ++seen;
        if (uMsg == WM_MOUSEMOVE) bHandled = true;
        return 42;
    }
    int seen = 0;
};

TEST_F(Input, AMessageFilterThatHandlesAMessageEndsIt) {
    SwallowingFilter filter;
    win.Pm().AddMessageFilter(&filter);
    LRESULT result = 0;
    EXPECT_TRUE(win.Pm().MessageHandler(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20), result));
    EXPECT_EQ(result, 42);
    EXPECT_TRUE(a->events.empty());
    EXPECT_TRUE(win.Pm().RemoveMessageFilter(&filter));
    EXPECT_FALSE(win.Pm().RemoveMessageFilter(&filter));
    win.PostMouse(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(a->Count(EventMouseEnter), 1);
}

TEST_F(Input, NothingIsHandledBeforeInit) {
    CPaintManagerUI idle;
    LRESULT result = 7;
    EXPECT_FALSE(idle.MessageHandler(WM_PAINT, 0, 0, result));
    EXPECT_FALSE(idle.MessageHandler(WM_ERASEBKGND, 0, 0, result));
    EXPECT_EQ(result, 7);
}

}  // namespace
}  // namespace test
}  // namespace Facet
