// Notifications: synchronous delivery through the sender's handlers and then
// the notifiers, the queue drained on the next message, virtual window names,
// "menu" bubbling, and the listener lists.
#include "runtime_fixture.h"

namespace Facet {
namespace test {
namespace {

class Notifications : public RuntimeFixture {
protected:
    void SetUp() override {
        RuntimeFixture::SetUp();
        notes.seen.clear();
    }
};

struct Order {
    std::vector<std::wstring> steps;
    bool OnNotify(void* param) {
        steps.push_back(L"handler:" + std::wstring(static_cast<TNotifyUI*>(param)->type));
        return true;
    }
};

TEST_F(Notifications, TheSendersHandlersHearItBeforeTheNotifiers) {
    Order order;
    a->NotifyHandlers += MakeDelegate(&order, &Order::OnNotify);
    notes.onNotify = [&](TNotifyUI& msg) { order.steps.push_back(L"notifier:" + std::wstring(msg.type)); };
    win.PostMouse(WM_MOUSEMOVE, 33, 17);
    win.Pm().SendNotify(a, L"click", 7, 9);
    EXPECT_EQ(order.steps, (std::vector<std::wstring>{L"handler:click", L"notifier:click"}));
    ASSERT_EQ(notes.seen.size(), 1u);
    EXPECT_EQ(notes.seen[0].wParam, 7u);
    EXPECT_EQ(notes.seen[0].lParam, 9);
    EXPECT_TRUE(notes.seen[0].virtualWindow.empty());
}

TEST_F(Notifications, ARecordCarriesTheLastMousePositionAndTime) {
    win.PostMouse(WM_MOUSEMOVE, 33, 17);
    TNotifyUI msg;
    msg.sender = b;
    msg.type = L"itemclick";
    const DWORD before = ::GetTickCount();
    win.Pm().SendNotify(msg);
    EXPECT_EQ(msg.mousePoint.x, 33);
    EXPECT_EQ(msg.mousePoint.y, 17);
    EXPECT_GE(msg.timestamp, before);
}

TEST_F(Notifications, QueuedOnesArriveWithTheNextMessageInOrder) {
    win.Pm().SendNotify(a, L"first", 0, 0, true);
    win.Pm().SendNotify(b, L"second", 0, 0, true);
    EXPECT_TRUE(notes.seen.empty());
    win.Post(WM_NULL);
    EXPECT_EQ(notes.Types(), (std::vector<std::wstring>{L"first", L"second"}));
    EXPECT_EQ(notes.seen[0].sender, a);
    win.Post(WM_NULL);
    EXPECT_EQ(notes.seen.size(), 2u);
}

TEST_F(Notifications, OneQueuedFromANotifierArrivesAtTheEndOfTheSameMessage) {
    notes.onNotify = [&](TNotifyUI& msg) {
        if (msg.type == L"click") win.Pm().SendNotify(msg.sender, L"later", 0, 0, true);
    };
    a->onEvent = [&](TEventUI& event) {
        if (event.type == EventButtonDown) win.Pm().SendNotify(a, L"click");
        return false;
    };
    LRESULT result = 0;
    win.Pm().MessageHandler(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20), result);
    EXPECT_EQ(notes.Types(), (std::vector<std::wstring>{L"click", L"later"}));
    win.Pm().MessageHandler(WM_LBUTTONUP, 0, MAKELPARAM(20, 20), result);
}

TEST_F(Notifications, VirtualWindowNamesComeFromTheNearestAncestor) {
    root->SetVirtualWnd(L"page");
    win.Pm().SendNotify(a, L"click");
    a->SetVirtualWnd(L"own");
    win.Pm().SendNotify(a, L"click");
    // Queued records do not carry the name.
    win.Pm().SendNotify(a, L"click", 0, 0, true);
    win.Post(WM_NULL);
    ASSERT_EQ(notes.seen.size(), 3u);
    EXPECT_EQ(notes.seen[0].virtualWindow, L"page");
    EXPECT_EQ(notes.seen[1].virtualWindow, L"own");
    EXPECT_EQ(notes.seen[2].virtualWindow, L"");
}

TEST_F(Notifications, MenuComesFromTheFirstAncestorThatUsesIt) {
    auto* group = Add(new CProbeContainer(L"group", Place(0, 60, 200, 80)));
    auto* leaf = Add(new CProbeControl(L"leaf", Place(10, 10, 40, 20)), group);
    root->SetContextMenuUsed(true);
    win.Paint();
    notes.seen.clear();
    win.PostMouse(WM_RBUTTONDOWN, 20, 75, MK_RBUTTON);
    win.PostMouse(WM_CONTEXTMENU, 20, 75);
    ASSERT_EQ(notes.Count(L"menu"), 1);
    const SeenNotify& menu = notes.seen.back();
    EXPECT_EQ(menu.sender, root);
    EXPECT_EQ(menu.lParam, reinterpret_cast<LPARAM>(leaf));
    // The event went up through the group, which does not use the menu.
    EXPECT_EQ(group->Count(EventContextMenu), 1);
}

TEST_F(Notifications, ListenersKeepInsertionOrderAndRemoveTheFirstEqualEntry) {
    CNotifyRecorder second;
    std::vector<int> order;
    notes.onNotify = [&](TNotifyUI&) { order.push_back(1); };
    second.onNotify = [&](TNotifyUI&) { order.push_back(2); };
    EXPECT_TRUE(win.Pm().AddNotifier(&second));
    EXPECT_TRUE(win.Pm().AddNotifier(&second));  // no duplicate check
    win.Pm().SendNotify(a, L"x");
    EXPECT_EQ(order, (std::vector<int>{1, 2, 2}));
    EXPECT_TRUE(win.Pm().RemoveNotifier(&second));
    EXPECT_TRUE(win.Pm().RemoveNotifier(&second));
    EXPECT_FALSE(win.Pm().RemoveNotifier(&second));
    order.clear();
    win.Pm().SendNotify(a, L"x");
    EXPECT_EQ(order, (std::vector<int>{1}));
}

TEST_F(Notifications, AnEventHandlerThatSwallowsStopsTheBubbleAndTheTimerNotice) {
    a->EventHandlers += MakeDelegate(+[](void*) { return false; });
    ASSERT_TRUE(win.Pm().SetTimer(a, 1, 100000));
    win.Post(WM_TIMER, 17, 0);
    EXPECT_EQ(a->Count(EventTimer), 0);
    EXPECT_EQ(notes.Count(L"timer"), 0);
    win.Pm().KillTimer(a);
}

}  // namespace
}  // namespace test
}  // namespace Facet
