// Notification dispatch: entries by control name before type-only entries,
// both handler kinds, base maps, and virtual windows.
#include <gtest/gtest.h>

#include <string>

#include "facet/controls/control_ui.h"
#include "facet/window/notify_pump.h"

namespace Facet {
namespace {

class CBasePump : public CNotifyPump {
public:
    std::wstring log;
    void OnSelect(TNotifyUI&) { log += L"base-select;"; }
    void OnAnyClick(TNotifyUI&) { log += L"base-click;"; }
    DUI_DECLARE_MESSAGE_MAP()
};

DUI_BEGIN_MESSAGE_MAP(CBasePump, CNotifyPump)
DUI_ON_MSGTYPE(L"itemselect", CBasePump::OnSelect)
DUI_ON_MSGTYPE(L"click", CBasePump::OnAnyClick)
DUI_END_MESSAGE_MAP()

class CDerivedPump : public CBasePump {
public:
    void OnFirstAny(TNotifyUI&) { log += L"first-any;"; }
    void OnLastAny(TNotifyUI&) { log += L"last-any;"; }
    void OnOk(TNotifyUI&) { log += L"ok;"; }
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam) {
        log += L"timer" + std::to_wstring(wParam) + L"," + std::to_wstring(lParam) + L";";
        return 0;
    }
    DUI_DECLARE_MESSAGE_MAP()
};

DUI_BEGIN_MESSAGE_MAP(CDerivedPump, CBasePump)
DUI_ON_MSGTYPE(L"click", CDerivedPump::OnFirstAny)
DUI_ON_MSGTYPE_CTRNAME(L"click", L"okbtn", CDerivedPump::OnOk)
DUI_ON_MSGTYPE(L"click", CDerivedPump::OnLastAny)
DUI_ON_MSGTYPE_LW(L"timer", L"", CDerivedPump::OnTimer)
DUI_END_MESSAGE_MAP()

class NotifyPump : public ::testing::Test {
protected:
    TNotifyUI Msg(const wchar_t* type, const wchar_t* name, const wchar_t* virtualWnd = L"") {
        m_sender.SetName(name);
        TNotifyUI msg;
        msg.type = type;
        msg.sender = &m_sender;
        msg.virtualWindow = virtualWnd;
        msg.wParam = 3;
        msg.lParam = 4;
        return msg;
    }
    CControlUI m_sender;
};

TEST_F(NotifyPump, NamedEntryWinsElseTheLastTypeOnlyEntry) {
    CDerivedPump pump;
    TNotifyUI ok = Msg(L"click", L"okbtn");
    EXPECT_TRUE(pump.LoopDispatch(ok));
    TNotifyUI other = Msg(L"click", L"OKBTN");  // names compare exactly
    EXPECT_TRUE(pump.LoopDispatch(other));
    EXPECT_EQ(pump.log, L"ok;last-any;");
}

TEST_F(NotifyPump, BaseMapsAndHandlerKinds) {
    CDerivedPump pump;
    TNotifyUI select = Msg(L"itemselect", L"list");
    EXPECT_TRUE(pump.LoopDispatch(select));
    TNotifyUI timer = Msg(L"timer", L"t");
    EXPECT_TRUE(pump.LoopDispatch(timer));
    TNotifyUI unknown = Msg(L"Click", L"okbtn");  // types compare exactly too
    EXPECT_FALSE(pump.LoopDispatch(unknown));
    EXPECT_EQ(pump.log, L"base-select;timer3,4;");

    CBasePump base;
    TNotifyUI click = Msg(L"click", L"x");
    base.NotifyPump(click);
    EXPECT_EQ(base.log, L"base-click;");
}

TEST_F(NotifyPump, VirtualWindowsTakeTheirNotificationsFirst) {
    CBasePump owner;
    CDerivedPump page;
    EXPECT_TRUE(owner.AddVirtualWnd(L"Page", &page));
    EXPECT_FALSE(owner.AddVirtualWnd(L"Page", &page));

    TNotifyUI toPage = Msg(L"click", L"okbtn", L"page");  // names compare without case
    owner.NotifyPump(toPage);
    EXPECT_EQ(page.log, L"ok;");
    EXPECT_EQ(owner.log, L"");

    TNotifyUI unhandled = Msg(L"itemactivate", L"x", L"Page");
    owner.NotifyPump(unhandled);  // the page has no entry: the owner is asked, and has none
    TNotifyUI ownerOnly = Msg(L"click", L"x", L"Elsewhere");
    owner.NotifyPump(ownerOnly);
    EXPECT_EQ(owner.log, L"base-click;");

    EXPECT_TRUE(owner.RemoveVirtualWnd(L"Page"));
    EXPECT_FALSE(owner.RemoveVirtualWnd(L"Page"));
    TNotifyUI afterRemoval = Msg(L"click", L"okbtn", L"Page");
    owner.NotifyPump(afterRemoval);
    EXPECT_EQ(page.log, L"ok;");
    EXPECT_EQ(owner.log, L"base-click;base-click;");
}

}  // namespace
}  // namespace Facet
