// The main window as a screen reader finds it, in this process: the
// accessible objects of its client area (roles, names, values, states,
// places), the WinEvents its focus and drive list raise, and the default
// action of the format button, which puts the confirmation question.
#include <windows.h>

#include <dbt.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_wnd.h"
#include "simulated_windows/drive_table_file.h"
#include "simulated_windows/simulated_drive_query.h"
#include "facet/controls/combo_ui.h"
#include "facet/controls/combo_wnd.h"
#include "facet/accessibility/accessible_ui.h"
#include "facet/manager/paint_manager_ui.h"
#include "tests/facet/window/box_refusal.h"

namespace app {
namespace {

// The boxes of these tests go through the window's hooks; a box of the
// system's (the skin failing to load) ends the program at once instead of
// waiting until the test's timeout.
[[maybe_unused]] const bool kBoxesRefused = (Facet::WindowTest::RefuseMessageBoxes(), true);

bool Chinese() { return ::GetACP() == 936; }

// Pumps as the tool's message loop does, so Tab is pre-translated.
void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT || Facet::CPaintManagerUI::TranslateMessage(&msg)) continue;
        ::DispatchMessageW(&msg);
    }
}

VARIANT Child(LONG id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// What a reader learns of one object.
struct Seen {
    long role = 0;
    std::wstring name;
    std::wstring value;
    long state = 0;
};

std::wstring Take(BSTR text) {
    std::wstring out = text ? text : L"";
    ::SysFreeString(text);
    return out;
}

Seen Look(IAccessible* object) {
    Seen seen;
    VARIANT v;
    if (SUCCEEDED(object->get_accRole(Child(CHILDID_SELF), &v))) seen.role = v.lVal;
    if (SUCCEEDED(object->get_accState(Child(CHILDID_SELF), &v))) seen.state = v.lVal;
    BSTR text = nullptr;
    if (SUCCEEDED(object->get_accName(Child(CHILDID_SELF), &text))) seen.name = Take(text);
    text = nullptr;
    if (SUCCEEDED(object->get_accValue(Child(CHILDID_SELF), &text))) seen.value = Take(text);
    return seen;
}

// The child of `parent` by position (from 1) or by the id of a WinEvent.
IAccessible* ChildObject(IAccessible* parent, LONG id) {
    IDispatch* dispatch = nullptr;
    if (FAILED(parent->get_accChild(Child(id), &dispatch)) || !dispatch) return nullptr;
    IAccessible* child = nullptr;
    dispatch->QueryInterface(Facet::kIidAccessible, reinterpret_cast<void**>(&child));
    dispatch->Release();
    return child;
}

struct WinEvent {
    DWORD event;
    HWND hwnd;
    LONG object;
    LONG child;
};
std::vector<WinEvent> g_events;

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    g_events.push_back({event, hwnd, object, child});
}

class MainWindowAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string text;
        for (char letter : {'E', 'F', 'G'}) {
            const std::string n = std::to_string(letter - 'A');
            text += std::string("drive ") + letter + ": type=removable number=" + n +
                    " sectors=8 bytes=512 clusters=2560000 free=0 label=STICK" + letter + " fs=FAT32\n" +
                    "interface disk \\\\?\\usbstor#disk#" + n + " instance=1" + n + " number=" + n + "\n" +
                    "device 1" + n + " parent=2" + n + "\ndevice 2" + n + " id=USB\\VID_1\\" + n + "\n";
        }
        std::string error;
        ASSERT_TRUE(drives::ParseDriveTable(text, query.table(), error)) << error;
        MainWndHooks hooks;
        hooks.messageBox = [this](HWND, const wchar_t* text, const wchar_t*, UINT) {
            boxes.push_back(text);
            return IDNO;
        };
        window = new CMainWnd(query, hooks);
        ASSERT_NE(window->Create(nullptr, L"test", WS_POPUP, 0), nullptr);
        ::ShowWindow(*window, SW_SHOWNOACTIVATE);
        Pump();
        hook = ::SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_VALUECHANGE, nullptr, RecordEvent,
                                 ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
        ASSERT_EQ(::AccessibleObjectFromWindow(*window, static_cast<DWORD>(OBJID_CLIENT), Facet::kIidAccessible,
                                               reinterpret_cast<void**>(&client)),
                  S_OK);
    }
    void TearDown() override {
        if (client) client->Release();
        if (hook) ::UnhookWinEvent(hook);
        if (CMainWnd::ObjectAlive()) ::DestroyWindow(*window);
        Pump();
        g_events.clear();
    }
    Facet::CComboUI* Combo() {
        return static_cast<Facet::CComboUI*>(window->PaintManager().FindControl(L"Selectedbo"));
    }
    // The client's children by role and name, as a reader lists them.
    std::vector<Seen> Children(IAccessible* parent) {
        std::vector<Seen> seen;
        long count = 0;
        parent->get_accChildCount(&count);
        for (long i = 1; i <= count; ++i) {
            IAccessible* child = ChildObject(parent, i);
            if (!child) continue;
            seen.push_back(Look(child));
            child->Release();
        }
        return seen;
    }
    const Seen* Find(const std::vector<Seen>& seen, long role, const std::wstring& name) {
        for (const Seen& s : seen) {
            if (s.role == role && s.name == name) return &s;
        }
        return nullptr;
    }
    // The object of the client's child with that role and name.
    IAccessible* ObjectOf(long role, const std::wstring& name) {
        long count = 0;
        client->get_accChildCount(&count);
        for (long i = 1; i <= count; ++i) {
            IAccessible* child = ChildObject(client, i);
            const Seen seen = Look(child);
            if (seen.role == role && seen.name == name) return child;
            child->Release();
        }
        return nullptr;
    }
    // What the WinEvent of that kind names, looked up as a reader would.
    std::vector<Seen> EventsSeen(DWORD event) {
        std::vector<Seen> seen;
        for (const WinEvent& e : g_events) {
            if (e.event != event || e.hwnd != *window || e.object != OBJID_CLIENT) continue;
            IAccessible* object = ChildObject(client, e.child);
            if (!object) continue;
            seen.push_back(Look(object));
            object->Release();
        }
        return seen;
    }

    drives::SimulatedDriveQuery query;
    CMainWnd* window = nullptr;
    IAccessible* client = nullptr;
    HWINEVENTHOOK hook = nullptr;
    std::vector<std::wstring> boxes;
};

TEST_F(MainWindowAccessTest, AReaderFindsTheControlsWithRolesNamesValuesAndStates) {
    EXPECT_EQ(Look(client).role, ROLE_SYSTEM_CLIENT);
    const std::vector<Seen> seen = Children(client);
    const std::wstring format = Chinese() ? L"格式化" : L"Format";
    const std::wstring chooseDrive = Chinese() ? L"请选择盘符" : L"Choose a drive";
    const std::wstring driveBox = Chinese() ? L"请选择盘符" : L"Choose a drive";
    const std::wstring driveG = L"G: (STICKG) FAT32 9.8GB";
    struct Row {
        long role;
        std::wstring name;
        std::wstring value;
        long stateSet;
        long stateClear;
    };
    const Row rows[] = {
        {ROLE_SYSTEM_PUSHBUTTON, format, L"", STATE_SYSTEM_FOCUSABLE, STATE_SYSTEM_FOCUSED | STATE_SYSTEM_UNAVAILABLE},
        {ROLE_SYSTEM_STATICTEXT, chooseDrive, L"", 0, STATE_SYSTEM_FOCUSABLE},
        {ROLE_SYSTEM_COMBOBOX, driveBox, driveG,
         STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_COLLAPSED, STATE_SYSTEM_EXPANDED},
        {ROLE_SYSTEM_GRAPHIC, Chinese() ? L"U盘" : L"USB drive", L"", 0, STATE_SYSTEM_FOCUSABLE},
        {ROLE_SYSTEM_PUSHBUTTON, Chinese() ? L"关闭" : L"Close", L"", 0, STATE_SYSTEM_FOCUSABLE},
        {ROLE_SYSTEM_PUSHBUTTON, Chinese() ? L"最小化" : L"Minimize", L"", 0, STATE_SYSTEM_FOCUSABLE},
        {ROLE_SYSTEM_STATICTEXT, Chinese() ? L"Varqo文件系统格式化工具V1.0" : L"VARQO file system format tool V1.0", L"", 0, 0},
    };
    for (const Row& row : rows) {
        const Seen* s = Find(seen, row.role, row.name);
        ASSERT_NE(s, nullptr) << row.role << " " << std::string(row.name.begin(), row.name.end());
        EXPECT_EQ(s->value, row.value) << row.role;
        EXPECT_EQ(s->state & row.stateSet, row.stateSet) << row.role;
        EXPECT_EQ(s->state & row.stateClear, 0) << row.role;
    }

    // The combo box holds a list of the drives, the chosen one selected, at
    // the box's place on the screen.
    IAccessible* combo = ObjectOf(ROLE_SYSTEM_COMBOBOX, driveBox);
    ASSERT_NE(combo, nullptr);
    long x = 0, y = 0, cx = 0, cy = 0;
    EXPECT_EQ(combo->accLocation(&x, &y, &cx, &cy, Child(CHILDID_SELF)), S_OK);
    POINT origin = {100, 59};
    ::ClientToScreen(*window, &origin);
    EXPECT_EQ(x, origin.x);
    EXPECT_EQ(y, origin.y);
    EXPECT_EQ(cx, 200);
    EXPECT_EQ(cy, 23);
    IAccessible* list = ChildObject(combo, 1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Look(list).role, ROLE_SYSTEM_LIST);
    const std::vector<Seen> items = Children(list);
    ASSERT_EQ(items.size(), 3u);
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].role, ROLE_SYSTEM_LISTITEM);
        EXPECT_EQ(items[i].name, Combo()->GetItemAt(static_cast<int>(i))->GetText().GetData());
        EXPECT_EQ((items[i].state & STATE_SYSTEM_SELECTED) != 0, i == 2) << i;
    }
    list->Release();
    combo->Release();
}

TEST_F(MainWindowAccessTest, KeysAndDeviceChangesRaiseTheEventsAReaderFollows) {
    const std::wstring chooseDrive = Chinese() ? L"请选择盘符" : L"Choose a drive";
    g_events.clear();
    // The drive box's keys change the selection and its value.
    struct Row {
        WPARAM key;
        int selected;
    };
    for (const Row row : {Row{VK_HOME, 0}, Row{VK_DOWN, 1}, Row{VK_END, 2}, Row{VK_PRIOR, 0}, Row{VK_NEXT, 2}, Row{VK_UP, 1}}) {
        ::PostMessageW(*window, WM_KEYDOWN, row.key, 0);
        Pump();
        EXPECT_EQ(Combo()->GetCurSel(), row.selected) << row.key;
        const std::wstring text = Combo()->GetItemAt(row.selected)->GetText().GetData();
        const std::vector<Seen> selections = EventsSeen(EVENT_OBJECT_SELECTION);
        ASSERT_FALSE(selections.empty()) << row.key;
        EXPECT_EQ(selections.back().role, ROLE_SYSTEM_LISTITEM);
        EXPECT_EQ(selections.back().name, text);
        const std::vector<Seen> values = EventsSeen(EVENT_OBJECT_VALUECHANGE);
        ASSERT_FALSE(values.empty()) << row.key;
        EXPECT_EQ(values.back().role, ROLE_SYSTEM_COMBOBOX);
        EXPECT_EQ(values.back().value, text);
    }

    // Tab moves the focus to the button.
    ::PostMessageW(*window, WM_KEYDOWN, VK_TAB, 0);
    Pump();
    const std::vector<Seen> focus = EventsSeen(EVENT_OBJECT_FOCUS);
    ASSERT_FALSE(focus.empty());
    EXPECT_EQ(focus.back().role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_NE(focus.back().state & STATE_SYSTEM_FOCUSED, 0);
    // Space and Return on the focused button put the question (answered No).
    for (WPARAM key : {VK_SPACE, VK_RETURN}) {
        const size_t asked = boxes.size();
        ::PostMessageW(*window, WM_KEYDOWN, key, 0);
        Pump();
        EXPECT_EQ(boxes.size(), asked + 1) << key;
    }
    EXPECT_TRUE(CMainWnd::ObjectAlive());

    // A drive arriving rebuilds the list; the chosen drive stays what it
    // was, so a reader hears no new choice.
    Combo()->SelectItem(2);
    Pump();
    g_events.clear();
    ::SendMessageW(*window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    Pump();
    EXPECT_EQ(Combo()->GetCurSel(), 2);
    EXPECT_TRUE(EventsSeen(EVENT_OBJECT_SELECTION).empty());
    EXPECT_TRUE(EventsSeen(EVENT_OBJECT_VALUECHANGE).empty());

    // A stick pulled: the list's contents change.
    DEV_BROADCAST_VOLUME volume = {};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << ('G' - 'A');
    ::SendMessageW(*window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&volume));
    Pump();
    const std::vector<Seen> reorders = EventsSeen(EVENT_OBJECT_REORDER);
    ASSERT_FALSE(reorders.empty());
    EXPECT_EQ(reorders.back().role, ROLE_SYSTEM_LIST);
    EXPECT_EQ(reorders.back().name, chooseDrive);

    // The last sticks pulled: the status text says so with a name change, and
    // with no control left to take it the focus is the window's, announced.
    g_events.clear();
    volume.dbcv_unitmask = (1u << ('E' - 'A')) | (1u << ('F' - 'A'));
    ::SendMessageW(*window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&volume));
    Pump();
    const std::vector<Seen> names = EventsSeen(EVENT_OBJECT_NAMECHANGE);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.back().name, Chinese() ? L"没有检测到USB设备连接" : L"No USB Device detected & connected");
    const std::vector<Seen> focused = EventsSeen(EVENT_OBJECT_FOCUS);
    ASSERT_FALSE(focused.empty());
    EXPECT_EQ(focused.back().role, ROLE_SYSTEM_CLIENT);
    EXPECT_NE(focused.back().state & STATE_SYSTEM_FOCUSED, 0);
}

TEST_F(MainWindowAccessTest, TheButtonsDefaultActionPutsTheQuestionAndTheBoxsOpensTheList) {
    IAccessible* button = ObjectOf(ROLE_SYSTEM_PUSHBUTTON, Chinese() ? L"格式化" : L"Format");
    ASSERT_NE(button, nullptr);
    BSTR action = nullptr;
    EXPECT_EQ(button->get_accDefaultAction(Child(CHILDID_SELF), &action), S_OK);
    EXPECT_EQ(Take(action), Chinese() ? L"按下" : L"Press");
    // The call returns before the question: a modal box must not block a reader.
    EXPECT_EQ(button->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
    EXPECT_TRUE(boxes.empty());
    Pump();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(L"G:"), std::wstring::npos);
    button->Release();

    IAccessible* combo = ObjectOf(ROLE_SYSTEM_COMBOBOX, Chinese() ? L"请选择盘符" : L"Choose a drive");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
    Pump();
    ASSERT_NE(Combo()->GetDropDown(), nullptr);
    EXPECT_NE(Look(combo).state & STATE_SYSTEM_EXPANDED, 0);
    // Open, the list shows where the drop-down is; an item's default action
    // chooses it and closes the list.
    IAccessible* list = ChildObject(combo, 1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Look(list).state & STATE_SYSTEM_INVISIBLE, 0);
    long x = 0, y = 0, cx = 0, cy = 0;
    list->accLocation(&x, &y, &cx, &cy, Child(CHILDID_SELF));
    RECT popup = {};
    ::GetWindowRect(Combo()->GetDropDown()->GetHWND(), &popup);
    EXPECT_EQ(y, popup.top);
    EXPECT_EQ(cy, popup.bottom - popup.top);
    EXPECT_EQ(list->accDoDefaultAction(Child(1)), S_OK);
    Pump();
    EXPECT_EQ(Combo()->GetCurSel(), 0);
    EXPECT_EQ(Combo()->GetDropDown(), nullptr);
    list->Release();
    combo->Release();

    // An object whose window has gone answers, but as disconnected.
    IAccessible* held = client;
    held->AddRef();
    ::DestroyWindow(*window);
    Pump();
    long count = 0;
    EXPECT_EQ(held->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    held->Release();
}

// The smaller rules of the contract, one row each: the tree in reading order,
// hit tests over the picture and with the window anywhere on the screen,
// spatial navigation, a disabled button, two default actions in a row, the
// keyboard cues' state.
TEST_F(MainWindowAccessTest, ReadingOrderHitTestsNavigationAndTheSmallerRules) {
    // Top row from the left (title, minimise, close), then down the window.
    std::vector<std::wstring> names;
    for (const Seen& s : Children(client)) names.push_back(s.name);
    const std::vector<std::wstring> expected = {
        Chinese() ? L"Varqo文件系统格式化工具V1.0" : L"VARQO file system format tool V1.0",
        Chinese() ? L"最小化" : L"Minimize", Chinese() ? L"关闭" : L"Close", Chinese() ? L"请选择盘符" : L"Choose a drive",
        Chinese() ? L"请选择盘符" : L"Choose a drive", Chinese() ? L"U盘" : L"USB drive",
        Chinese() ? L"格式化" : L"Format"};
    ASSERT_GE(names.size(), expected.size());
    EXPECT_EQ(std::vector<std::wstring>(names.begin(), names.begin() + expected.size()), expected);

    // A point names the control under it, the picture too, wherever the
    // window stands.
    struct Hit {
        POINT windowAt;
        POINT client;
        std::wstring name;
    };
    const Hit hits[] = {{{0, 0}, {170, 140}, Chinese() ? L"U盘" : L"USB drive"},
                        {{0, 0}, {200, 70}, Chinese() ? L"请选择盘符" : L"Choose a drive"},
                        {{333, 211}, {170, 140}, Chinese() ? L"U盘" : L"USB drive"},
                        {{333, 211}, {150, 220}, Chinese() ? L"格式化" : L"Format"}};
    for (const Hit& hit : hits) {
        ::SetWindowPos(*window, nullptr, hit.windowAt.x, hit.windowAt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        POINT screen = hit.client;
        ::ClientToScreen(*window, &screen);
        VARIANT v;
        ::VariantInit(&v);
        ASSERT_EQ(client->accHitTest(screen.x, screen.y, &v), S_OK) << hit.client.x;
        ASSERT_EQ(v.vt, VT_DISPATCH) << hit.client.x;
        IAccessible* found = nullptr;
        v.pdispVal->QueryInterface(Facet::kIidAccessible, reinterpret_cast<void**>(&found));
        ::VariantClear(&v);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(Look(found).name, hit.name) << hit.client.x << "," << hit.client.y;
        found->Release();
    }

    // Up, down, left and right are not kept: the places are.
    IAccessible* button = ObjectOf(ROLE_SYSTEM_PUSHBUTTON, Chinese() ? L"格式化" : L"Format");
    ASSERT_NE(button, nullptr);
    VARIANT end;
    ::VariantInit(&end);
    for (long dir : {NAVDIR_UP, NAVDIR_DOWN, NAVDIR_LEFT, NAVDIR_RIGHT}) {
        EXPECT_EQ(button->accNavigate(dir, Child(CHILDID_SELF), &end), DISP_E_MEMBERNOTFOUND) << dir;
    }
    // Disabled, the button can take no focus and offers nothing to do.
    window->PaintManager().FindControl(L"formatbtn")->SetEnabled(false);
    const Seen disabled = Look(button);
    EXPECT_EQ(disabled.state & STATE_SYSTEM_FOCUSABLE, 0);
    EXPECT_NE(disabled.state & STATE_SYSTEM_UNAVAILABLE, 0);
    BSTR action = nullptr;
    EXPECT_EQ(button->get_accDefaultAction(Child(CHILDID_SELF), &action), DISP_E_MEMBERNOTFOUND);
    button->Release();

    // Two default actions before the window handles them: both are done.
    IAccessible* combo = ObjectOf(ROLE_SYSTEM_COMBOBOX, Chinese() ? L"请选择盘符" : L"Choose a drive");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
    EXPECT_EQ(combo->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
    Pump();
    Pump();
    EXPECT_EQ(Combo()->GetDropDown(), nullptr);
    combo->Release();

    // The keyboard cues follow the UI-state messages and answer the query.
    ::SendMessageW(*window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    EXPECT_NE(::SendMessageW(*window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS, 0);
    EXPECT_FALSE(window->PaintManager().IsFocusCuesShown());
    ::SendMessageW(*window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    EXPECT_EQ(::SendMessageW(*window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS, 0);
    EXPECT_TRUE(window->PaintManager().IsFocusCuesShown());
}

}  // namespace
}  // namespace app
