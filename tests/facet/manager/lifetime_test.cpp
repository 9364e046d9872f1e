// Lifetime: a control destroyed while one of its own events is delivered,
// while hovered, focused, captured, named, timed, registered for post-paint
// or the sender of a queued notification leaves no reference behind; removal
// through the delayed clean-up waits for WM_APP+1. Deleted probes are
// poisoned (see CProbeControl), so a stale call faults at once.
#include "runtime_fixture.h"

namespace Facet {
namespace test {
namespace {

constexpr UINT kDelayedCleanup = WM_APP + 1;

class Lifetime : public RuntimeFixture {
protected:
    // Makes `victim` remove itself from the root (at once) when it receives
    // an event of `type`, and reports that the event was its last.
    void DieOn(CProbeControl* victim, int type) {
        // The hook is part of the victim: after the removal it may touch
        // none of its captures.
        CProbeContainer* parent = root;
        bool* flag = &died;
        victim->onEvent = [parent, flag, victim, type](TEventUI& event) {
            if (event.type != type) return false;
            *flag = true;
            parent->Remove(victim, false);
            return true;
        };
    }
    // Afterwards the window goes through a full round of input and paint.
    void Exercise() {
        win.PostMouse(WM_MOUSEMOVE, 20, 20);
        win.PostMouse(WM_MOUSEMOVE, 80, 20);
        win.PostMouse(WM_LBUTTONDOWN, 80, 20, MK_LBUTTON);
        win.PostMouse(WM_LBUTTONUP, 80, 20);
        win.Post(WM_TIMER, 17, 0);
        win.PressKey(VK_SPACE);
        win.Post(WM_KEYDOWN, VK_TAB, 1);
        win.Post(WM_MOUSELEAVE);
        ::InvalidateRect(win.Hwnd(), nullptr, FALSE);
        win.Paint();
        LRESULT result = 0;
        win.Pm().MessageHandler(WM_CLOSE, 0, 0, result);
    }
    bool died = false;
};

TEST_F(Lifetime, DestroyedWhileEnteredAsHover) {
    DieOn(a, EventMouseEnter);
    win.PostMouse(WM_MOUSEMOVE, 20, 20);
    ASSERT_TRUE(died);
    Exercise();
    EXPECT_EQ(root->ChildCount(), 1);
}

TEST_F(Lifetime, DestroyedWhileHoveredBeforeTheLeave) {
    win.PostMouse(WM_MOUSEMOVE, 20, 20);
    DieOn(a, EventMouseMove);
    win.PostMouse(WM_MOUSEMOVE, 21, 20);
    ASSERT_TRUE(died);
    Exercise();
}

TEST_F(Lifetime, DestroyedWhileTakingTheFocus) {
    win.Pm().SetFocus(nullptr);
    notes.seen.clear();
    DieOn(a, EventSetFocus);
    win.Pm().SetFocus(a);
    ASSERT_TRUE(died);
    EXPECT_EQ(win.Pm().GetFocus(), nullptr);
    // Nobody hears "setfocus" from a dead control.
    EXPECT_EQ(notes.Count(L"setfocus"), 0);
    Exercise();
}

TEST_F(Lifetime, DestroyedWhileLosingTheFocus) {
    ASSERT_EQ(win.Pm().GetFocus(), a);
    notes.seen.clear();
    DieOn(a, EventKillFocus);
    win.Pm().SetFocus(b);
    ASSERT_TRUE(died);
    EXPECT_EQ(notes.Count(L"killfocus"), 0);
    EXPECT_EQ(win.Pm().GetFocus(), b);
    Exercise();
}

TEST_F(Lifetime, DestroyedWhilePressedGivesTheMouseBack) {
    DieOn(b, EventButtonDown);
    win.PostMouse(WM_LBUTTONDOWN, 80, 20, MK_LBUTTON);
    ASSERT_TRUE(died);
    EXPECT_FALSE(win.Pm().IsCaptured());
    EXPECT_EQ(::GetCapture(), nullptr);
    Exercise();
}

TEST_F(Lifetime, DestroyedWhileTakingTheFocusOfAPress) {
    DieOn(b, EventSetFocus);
    win.PostMouse(WM_LBUTTONDOWN, 80, 20, MK_LBUTTON);
    ASSERT_TRUE(died);
    EXPECT_FALSE(win.Pm().IsCaptured());
    Exercise();
}

TEST_F(Lifetime, DestroyedByItsDoubleClickOrRightClick) {
    DieOn(a, EventDblClick);
    win.PostMouse(WM_LBUTTONDBLCLK, 20, 20, MK_LBUTTON);
    ASSERT_TRUE(died);
    EXPECT_FALSE(win.Pm().IsCaptured());
    died = false;
    DieOn(b, EventRButtonDown);
    win.PostMouse(WM_RBUTTONDOWN, 80, 20, MK_RBUTTON);
    ASSERT_TRUE(died);
    EXPECT_FALSE(win.Pm().IsCaptured());
    win.PostMouse(WM_CONTEXTMENU, 80, 20);
    Exercise();
}

TEST_F(Lifetime, DestroyedWhileReleasedOrDragged) {
    win.PostMouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    DieOn(a, EventMouseMove);
    win.PostMouse(WM_MOUSEMOVE, 80, 20, MK_LBUTTON);
    ASSERT_TRUE(died);
    EXPECT_FALSE(win.Pm().IsCaptured());
    Exercise();
}

TEST_F(Lifetime, DestroyedByAKeyBeforeItsKeyUp) {
    DieOn(a, EventKeyDown);
    win.PressKey('K');
    ASSERT_TRUE(died);
    Exercise();
}

TEST_F(Lifetime, DestroyedByItsOwnTimer) {
    ASSERT_TRUE(win.Pm().SetTimer(a, 1, 100000));
    ASSERT_TRUE(win.Pm().SetTimer(a, 2, 100000));
    DieOn(a, EventTimer);
    win.Post(WM_TIMER, 17, 0);
    ASSERT_TRUE(died);
    // Both of its timers are gone: b's first timer takes the next id, and
    // the old ids reach nobody.
    ASSERT_TRUE(win.Pm().SetTimer(b, 1, 100000));
    win.Post(WM_TIMER, 19, 0);
    EXPECT_EQ(b->Count(EventTimer), 1);
    Exercise();
    win.Post(WM_TIMER, 18, 0);
    win.Pm().RemoveAllTimers();
}

TEST_F(Lifetime, DestroyedNamedControlLeavesTheNameMap) {
    ASSERT_EQ(win.Pm().FindControl(L"a"), a);
    root->Remove(a, false);
    EXPECT_EQ(win.Pm().FindControl(L"a"), nullptr);
    EXPECT_EQ(win.Pm().FindSubControlByName(nullptr, L"a"), nullptr);
}

TEST_F(Lifetime, ANameTakenOverByALaterControlStays) {
    auto* twin = Add(new CProbeControl(L"a", Place(0, 100, 10, 10)));
    ASSERT_EQ(win.Pm().FindControl(L"a"), twin);
    root->Remove(a, false);
    EXPECT_EQ(win.Pm().FindControl(L"a"), twin);
}

TEST_F(Lifetime, QueuedNotificationOfADestroyedSenderArrivesWithoutSender) {
    notes.seen.clear();
    win.Pm().SendNotify(a, L"queued", 1, 2, true);
    root->Remove(a, false);
    win.Post(WM_NULL);
    ASSERT_EQ(notes.Count(L"queued"), 1);
    EXPECT_EQ(notes.seen[0].sender, nullptr);
    EXPECT_EQ(notes.seen[0].wParam, 1u);
}

TEST_F(Lifetime, SenderDestroyedByAListenerIsEmptyForTheListenersAfterIt) {
    CNotifyRecorder later;
    win.Pm().AddNotifier(&later);
    notes.onNotify = [&](TNotifyUI& msg) {
        if (msg.type == L"click") root->Remove(a, false);
    };
    win.Pm().SendNotify(a, L"click");
    ASSERT_EQ(later.seen.size(), 1u);
    EXPECT_EQ(later.seen[0].sender, nullptr);
    win.Pm().RemoveNotifier(&later);
    Exercise();
}

TEST_F(Lifetime, SenderDestroyedByItsOwnNotifyHandler) {
    struct Killer {
        CProbeContainer* parent;
        CProbeControl* victim;
        bool OnNotify(void*) {
            parent->Remove(victim, false);
            return true;
        }
    } killer{root, a};
    a->NotifyHandlers += MakeDelegate(&killer, &Killer::OnNotify);
    notes.seen.clear();
    win.Pm().SendNotify(a, L"click");
    ASSERT_EQ(notes.seen.size(), 1u);
    EXPECT_EQ(notes.seen[0].sender, nullptr);
}

TEST_F(Lifetime, DestroyedByAnEventHandlerDelegateNeverReachesDoEvent) {
    struct Killer {
        CProbeContainer* parent;
        CProbeControl* victim;
        bool OnEvent(void*) {
            parent->Remove(victim, false);
            return true;  // "go on": there is nothing left to go on with
        }
    } killer{root, a};
    a->EventHandlers += MakeDelegate(&killer, &Killer::OnEvent);
    win.PostMouse(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(root->ChildCount(), 1);
    Exercise();
}

TEST_F(Lifetime, DestroyedPostPaintControlIsNotCalled) {
    win.Pm().AddPostPaint(a);
    root->Remove(a, false);
    EXPECT_EQ(win.Pm().GetPostPaintCount(), 0);
    Exercise();
}

TEST_F(Lifetime, DestroyedOptionGroupMemberLeavesItsGroup) {
    win.Pm().AddOptionGroup(L"g", a);
    win.Pm().AddOptionGroup(L"g", b);
    root->Remove(a, false);
    ASSERT_NE(win.Pm().GetOptionGroup(L"g"), nullptr);
    EXPECT_EQ(win.Pm().GetOptionGroup(L"g")->GetSize(), 1);
    root->Remove(b, false);
    EXPECT_EQ(win.Pm().GetOptionGroup(L"g"), nullptr);
}

TEST_F(Lifetime, DelayedRemovalWaitsForTheCleanupMessage) {
    const int destroyedBefore = CProbeControl::Destroyed();
    bool aliveInHandler = false;
    b->onEvent = [&](TEventUI& event) {
        if (event.type != EventButtonUp) return false;
        root->Remove(b, true);
        // Still whole: the handler may go on using it.
        aliveInHandler = b->GetName() == L"b" && CProbeControl::Destroyed() == destroyedBefore;
        return true;
    };
    LRESULT result = 0;
    win.Pm().MessageHandler(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 20), result);
    win.Pm().MessageHandler(WM_LBUTTONUP, 0, MAKELPARAM(80, 20), result);
    EXPECT_TRUE(aliveInHandler);
    EXPECT_EQ(CProbeControl::Destroyed(), destroyedBefore);
    // Detached at once: no manager, no parent, no name, no focus.
    EXPECT_EQ(b->GetManager(), nullptr);
    EXPECT_EQ(win.Pm().FindControl(L"b"), nullptr);
    EXPECT_NE(win.Pm().GetFocus(), b);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, win.Hwnd(), kDelayedCleanup, kDelayedCleanup, PM_NOREMOVE));
    win.Pump();
    EXPECT_EQ(CProbeControl::Destroyed(), destroyedBefore + 1);
    Exercise();
}

TEST_F(Lifetime, DelayedRemovalOfAContainerForgetsItsHoveredDescendant) {
    auto* group = Add(new CProbeContainer(L"group", Place(0, 60, 200, 80)));
    auto* inner = Add(new CProbeControl(L"inner", Place(5, 5, 40, 20)), group);
    inner->flags = ControlFlagTabStop;
    win.Paint();
    win.PostMouse(WM_LBUTTONDOWN, 10, 70, MK_LBUTTON);
    ASSERT_EQ(win.Pm().GetFocus(), inner);
    ASSERT_TRUE(win.Pm().SetTimer(inner, 1, 100000));
    root->Remove(group, true);
    EXPECT_EQ(win.Pm().GetFocus(), nullptr);
    EXPECT_FALSE(win.Pm().IsCaptured());
    EXPECT_EQ(win.Pm().FindControl(L"inner"), nullptr);
    Exercise();  // the clean-up message runs in here too
}

TEST_F(Lifetime, ReplacingTheRootFromItsOwnEventDeletesTheOldTreeLater) {
    const int destroyedBefore = CProbeControl::Destroyed();
    auto* fresh = new CProbeContainer(L"fresh");
    bool replaced = false;
    a->onEvent = [&](TEventUI& event) {
        if (event.type != EventButtonDown || replaced) return false;
        replaced = true;
        win.Pm().AttachDialog(fresh);
        return true;
    };
    win.PostMouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(win.Pm().GetRoot(), fresh);
    EXPECT_EQ(CProbeControl::Destroyed(), destroyedBefore + 3);  // after the pump: root, a, b
    win.PostMouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(notes.Count(L"windowinit"), 2);
    root = nullptr;
}

TEST_F(Lifetime, ARootDeletedByItsOwnerLeavesTheWindowWithoutATree) {
    delete root;
    root = nullptr;
    EXPECT_EQ(win.Pm().GetRoot(), nullptr);
    EXPECT_EQ(win.Pm().FindControl(L"a"), nullptr);
    Exercise();
}

TEST_F(Lifetime, TheManagerDeletesWhatIsStillQueuedWhenItGoes) {
    auto* window = new CTestWindow;
    auto* top = new CProbeContainer(L"top");
    auto* leaf = static_cast<CProbeControl*>(top->Add(new CProbeControl(L"leaf", Place(0, 0, 10, 10))));
    window->Attach(top);
    auto* removed = new CProbeControl(L"removed");
    removed->SetManager(&window->Pm(), top, false);
    window->Pm().AddDelayedCleanup(removed);
    window->Pm().SendNotify(leaf, L"queued", 0, 0, true);
    window->Pm().SetTimer(leaf, 1, 100000);
    window->Pm().AddDefaultAttributeList(L"Button", L"width=\"3\"");
    window->Pm().AddOptionGroup(L"g", leaf);
    const int destroyedBefore = CProbeControl::Destroyed();
    // Without the window's message loop: the manager goes before any pump.
    window->DestroyManager();
    EXPECT_EQ(CProbeControl::Destroyed(), destroyedBefore + 3);
    delete window;
}

}  // namespace
}  // namespace test
}  // namespace Facet
