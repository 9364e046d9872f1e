// The control base's events: handlers that swallow, the base handling of
// focus, timer, context-menu and cursor events, and what bubbles to the
// parent.
#include <gtest/gtest.h>

#include "runtime_fixture.h"

namespace Facet {
namespace test {
namespace {

class ControlEvents : public RuntimeFixture {
protected:
    TEventUI Make(int type, CControlUI* sender) {
        TEventUI event;
        event.type = type;
        event.sender = sender;
        return event;
    }
};

TEST_F(ControlEvents, UnhandledEventsBubbleToTheParentUnchanged) {
    TEventUI event = Make(EventButtonDown, a);
    event.wParam = 3;
    a->Event(event);
    ASSERT_EQ(root->Count(EventButtonDown), 1);
    EXPECT_EQ(root->events[0].sender, a);
    EXPECT_EQ(root->events[0].wParam, 3u);
}

TEST_F(ControlEvents, ASwallowingHandlerStopsDoEventAndTheBubble) {
    int seen = 0;
    struct Gate {
        int* seen;
        bool Pass(void* param) {
            ++*seen;
            return static_cast<TEventUI*>(param)->type != EventButtonDown;
        }
    } gate{&seen};
    a->EventHandlers += MakeDelegate(&gate, &Gate::Pass);
    TEventUI down = Make(EventButtonDown, a);
    a->Event(down);
    EXPECT_TRUE(a->events.empty());
    EXPECT_TRUE(root->events.empty());
    TEventUI up = Make(EventButtonUp, a);
    a->Event(up);
    EXPECT_EQ(a->Count(EventButtonUp), 1);
    EXPECT_EQ(seen, 2);
}

TEST_F(ControlEvents, FocusEventsSetTheFlagAndRepaintWithoutBubbling) {
    win.Paint();
    TEventUI set = Make(EventSetFocus, b);
    b->Event(set);
    EXPECT_TRUE(b->IsFocused());
    const RECT pending = win.UpdateRect();
    EXPECT_TRUE(::EqualRect(&pending, &b->GetPos()));
    TEventUI kill = Make(EventKillFocus, b);
    b->Event(kill);
    EXPECT_FALSE(b->IsFocused());
    EXPECT_TRUE(root->events.empty());
}

TEST_F(ControlEvents, TimerEventsBecomeTimerNotificationsFromTheControl) {
    notes.seen.clear();
    TEventUI tick = Make(EventTimer, b);
    tick.wParam = 12;
    b->Event(tick);
    ASSERT_EQ(notes.seen.size(), 1u);
    EXPECT_EQ(notes.seen[0].type, L"timer");
    EXPECT_EQ(notes.seen[0].sender, b);
    EXPECT_EQ(notes.seen[0].wParam, 12u);
    EXPECT_TRUE(root->events.empty());
}

TEST_F(ControlEvents, ContextMenuBubblesUpToAControlThatUsesTheMenu) {
    notes.seen.clear();
    TEventUI menu = Make(EventContextMenu, a);
    menu.lParam = reinterpret_cast<LPARAM>(a);
    a->Event(menu);
    EXPECT_EQ(notes.Count(L"menu"), 0);  // nobody uses it
    root->SetContextMenuUsed(true);
    a->Event(menu);
    ASSERT_EQ(notes.Count(L"menu"), 1);
    EXPECT_EQ(notes.seen.back().sender, root);
    EXPECT_EQ(notes.seen.back().lParam, reinterpret_cast<LPARAM>(a));
    a->SetContextMenuUsed(true);
    a->Event(menu);
    EXPECT_EQ(notes.seen.back().sender, a);
}

TEST_F(ControlEvents, SetCursorShowsTheArrow) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    TEventUI cursor = Make(EventSetCursor, a);
    a->Event(cursor);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_TRUE(root->events.empty());
}

TEST_F(ControlEvents, DestroyHandlersSeeTheControlBeforeTheManagerForgetsIt) {
    struct Witness {
        CPaintManagerUI* pm;
        bool stillNamed = false;
        bool OnDestroy(void* param) {
            stillNamed = pm->FindControl(L"b") == param;
            return true;
        }
    } witness{&win.Pm()};
    b->DestroyHandlers += MakeDelegate(&witness, &Witness::OnDestroy);
    root->Remove(b, false);
    EXPECT_TRUE(witness.stillNamed);
    EXPECT_EQ(win.Pm().FindControl(L"b"), nullptr);
}

}  // namespace
}  // namespace test
}  // namespace Facet
