// Control timers: native ids from the manager's counter (17 first, wrapping
// within 0..254), refusal of a second live timer, reuse after a kill, the
// event and "timer" notification they cause, and real ticks.
#include "runtime_fixture.h"

namespace Facet {
namespace test {
namespace {

class Timers : public RuntimeFixture {
protected:
    void Tick(UINT nativeId) { win.Post(WM_TIMER, nativeId, 0); }
};

TEST_F(Timers, TheFirstTimerRunsOnNativeId17AndCarriesTheLocalId) {
    ASSERT_TRUE(win.Pm().SetTimer(a, 5, 1000));
    Tick(17);
    ASSERT_EQ(a->Count(EventTimer), 1);
    EXPECT_EQ(a->events.back().wParam, 5u);
    EXPECT_EQ(a->events.back().lParam, 0);
    EXPECT_EQ(a->events.back().sender, a);
    ASSERT_EQ(notes.Count(L"timer"), 1);
    EXPECT_EQ(notes.seen.back().sender, a);
    EXPECT_EQ(notes.seen.back().wParam, 5u);
    // Other native ids are not a's.
    Tick(18);
    EXPECT_EQ(a->Count(EventTimer), 1);
    win.Pm().KillTimer(a);
}

TEST_F(Timers, ALiveTimerIsNotStartedTwiceAndAKilledOneKeepsItsNativeId) {
    ASSERT_TRUE(win.Pm().SetTimer(a, 1, 1000));
    EXPECT_FALSE(win.Pm().SetTimer(a, 1, 500));
    ASSERT_TRUE(win.Pm().SetTimer(b, 1, 1000));  // the same local id of another control: 18
    EXPECT_TRUE(win.Pm().KillTimer(a, 1));
    EXPECT_FALSE(win.Pm().KillTimer(a, 1));
    Tick(17);
    EXPECT_EQ(a->Count(EventTimer), 0);

    EXPECT_TRUE(win.Pm().SetTimer(a, 1, 1000));
    Tick(17);
    EXPECT_EQ(a->Count(EventTimer), 1);
    Tick(18);
    EXPECT_EQ(b->Count(EventTimer), 1);
    win.Pm().RemoveAllTimers();
    Tick(17);
    Tick(18);
    EXPECT_EQ(a->Count(EventTimer), 1);
    EXPECT_EQ(b->Count(EventTimer), 1);
}

TEST_F(Timers, KillingAllOfAControlsTimersLeavesOthersRunning) {
    ASSERT_TRUE(win.Pm().SetTimer(a, 1, 1000));  // 17
    ASSERT_TRUE(win.Pm().SetTimer(a, 2, 1000));  // 18
    ASSERT_TRUE(win.Pm().SetTimer(b, 1, 1000));  // 19
    win.Pm().KillTimer(a);
    Tick(17);
    Tick(18);
    Tick(19);
    EXPECT_EQ(a->Count(EventTimer), 0);
    EXPECT_EQ(b->Count(EventTimer), 1);
    // a's records are gone: its next timer takes a fresh native id (20).
    ASSERT_TRUE(win.Pm().SetTimer(a, 1, 1000));
    Tick(20);
    EXPECT_EQ(a->Count(EventTimer), 1);
    win.Pm().RemoveAllTimers();
}

TEST_F(Timers, NativeIdsWrapBelow255) {
    // 17 .. 254 are 238 timers; the 239th wraps to 0.
    std::vector<std::unique_ptr<CProbeControl>> owners;
    for (int i = 0; i < 238; ++i) {
        owners.push_back(std::make_unique<CProbeControl>());
        owners.back()->SetManager(&win.Pm(), root, false);
        ASSERT_TRUE(win.Pm().SetTimer(owners.back().get(), 1, 100000)) << i;
    }
    ASSERT_TRUE(win.Pm().SetTimer(a, 9, 100000));
    Tick(0);
    EXPECT_EQ(a->Count(EventTimer), 1);
    Tick(254);
    EXPECT_EQ(owners.back()->Count(EventTimer), 1);
    win.Pm().RemoveAllTimers();
    for (auto& owner : owners) owner->SetManager(nullptr, nullptr, false);
}

TEST_F(Timers, WithoutAWindowNoTimerStarts) {
    CPaintManagerUI detached;
    EXPECT_FALSE(detached.SetTimer(a, 1, 10));
    EXPECT_FALSE(detached.KillTimer(a, 1));
}

TEST_F(Timers, ARealTimerTicks) {
    ASSERT_TRUE(win.Pm().SetTimer(b, 3, 10));
    const DWORD start = ::GetTickCount();
    while (b->Count(EventTimer) < 2 && ::GetTickCount() - start < 2000) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        win.Pump();
    }
    EXPECT_GE(b->Count(EventTimer), 2);
    EXPECT_TRUE(win.Pm().KillTimer(b, 3));
    const int ticks = b->Count(EventTimer);
    ::Sleep(50);
    win.Pump();
    EXPECT_EQ(b->Count(EventTimer), ticks);
}

}  // namespace
}  // namespace test
}  // namespace Facet
