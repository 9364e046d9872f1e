// What a screen reader hears of the tool, heard as a reader hears it: from
// another process, through a WinEvent hook and the MSAA objects the events
// name. A keyboard-only session on two sticks (the drop-down's keys, then a
// format of each) is logged line by line to app-screens/reader-log-LANG.txt,
// and the log must tell, in order, what the user needs to know. The drives
// and images are prepared by format_e2e.sh, which checks them afterwards.
#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tool_process.h"

namespace app_test {
namespace {

bool Chinese() { return ::GetACP() == 936; }

// mingw's static oleacc holds an import thunk's bytes under IID_IAccessible.
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::wstring WorkFile(const wchar_t* name) {
    wchar_t dir[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"E2E_DIR", dir, MAX_PATH);
    return std::wstring(dir) + L"\\" + name;
}

VARIANT Self() {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

std::wstring Take(BSTR text) {
    std::wstring out = text ? text : L"";
    ::SysFreeString(text);
    return out;
}

// One object as a reader speaks it: role, name, value, the states that
// matter here, and the child id it was reached by.
std::wstring Speak(IAccessible* object, VARIANT child) {
    VARIANT role;
    ::VariantInit(&role);
    // The roles' words in English whatever the locale, so that one log
    // checks both (the system's GetRoleText speaks the locale's language).
    const struct {
        long role;
        const wchar_t* word;
    } kRoles[] = {{ROLE_SYSTEM_CLIENT, L"client"}, {ROLE_SYSTEM_COMBOBOX, L"combo box"},
                  {ROLE_SYSTEM_LIST, L"list"}, {ROLE_SYSTEM_LISTITEM, L"list item"},
                  {ROLE_SYSTEM_PUSHBUTTON, L"push button"}, {ROLE_SYSTEM_PROGRESSBAR, L"progress bar"},
                  {ROLE_SYSTEM_STATICTEXT, L"text"}, {ROLE_SYSTEM_GRAPHIC, L"graphic"}};
    const wchar_t* roleText = L"?";
    if (SUCCEEDED(object->get_accRole(child, &role)) && role.vt == VT_I4) {
        for (const auto& r : kRoles) {
            if (r.role == role.lVal) roleText = r.word;
        }
    }
    BSTR text = nullptr;
    std::wstring name = SUCCEEDED(object->get_accName(child, &text)) ? Take(text) : L"";
    text = nullptr;
    std::wstring value = SUCCEEDED(object->get_accValue(child, &text)) ? Take(text) : L"";
    VARIANT state;
    ::VariantInit(&state);
    std::wstring states;
    if (SUCCEEDED(object->get_accState(child, &state)) && state.vt == VT_I4) {
        const struct {
            long bit;
            const wchar_t* word;
        } kStates[] = {{STATE_SYSTEM_FOCUSED, L" focused"}, {STATE_SYSTEM_EXPANDED, L" expanded"},
                       {STATE_SYSTEM_COLLAPSED, L" collapsed"}, {STATE_SYSTEM_UNAVAILABLE, L" unavailable"},
                       {STATE_SYSTEM_SELECTED, L" selected"}};
        for (const auto& s : kStates) {
            if (state.lVal & s.bit) states += s.word;
        }
    }
    std::wstring line = std::wstring(roleText) + L" '" + name + L"'";
    if (!value.empty()) line += L" = '" + value + L"'";
    line += L" [" + states + L" ]";
    return line;
}

// The lines heard, in the order the events were raised: resolving one calls
// into the tool, and while the call waits the next event may be delivered,
// so each event takes its line before it is resolved.
std::vector<std::wstring> g_heard;

void Hear(const std::wstring& line) { g_heard.push_back(line); }

void WriteLog(const std::wstring& path) {
    std::FILE* log = _wfopen(path.c_str(), L"w");
    if (!log) return;
    for (const std::wstring& line : g_heard) {
        char utf8[1024] = {};
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
        std::fprintf(log, "%s\n", utf8);
    }
    std::fclose(log);
}

bool IsBox(HWND hwnd) {
    wchar_t cls[32] = {};
    ::GetClassNameW(hwnd, cls, 32);
    return std::wstring(cls) == L"#32770";
}

// The WinEvent hook: each event is resolved at once, as a reader does
// before the object may be gone.
void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject, LONG idChild, DWORD, DWORD) {
    const struct {
        DWORD event;
        const wchar_t* word;
    } kEvents[] = {{EVENT_OBJECT_FOCUS, L"FOCUS"}, {EVENT_OBJECT_STATECHANGE, L"STATE"},
                   {EVENT_OBJECT_NAMECHANGE, L"NAME"}, {EVENT_OBJECT_VALUECHANGE, L"VALUE"},
                   {EVENT_OBJECT_SELECTION, L"SELECTION"}};
    // The focus in a message box: a reader reads the box out whole.
    const HWND root = ::GetAncestor(hwnd, GA_ROOT);
    if (event == EVENT_OBJECT_FOCUS && IsBox(root)) {
        Hear(L"BOX '" + WindowText(root) + L"': '" + BoxText(root) + L"'");
        return;
    }
    const wchar_t* word = nullptr;
    for (const auto& e : kEvents) {
        if (e.event == event) word = e.word;
    }
    if (!word || idObject != OBJID_CLIENT) return;
    const size_t slot = g_heard.size();
    Hear(std::wstring(word) + L" ?");
    IAccessible* object = nullptr;
    VARIANT child;
    ::VariantInit(&child);
    if (FAILED(::AccessibleObjectFromEvent(hwnd, idObject, idChild, &object, &child)) || !object) {
        g_heard[slot] = std::wstring(word) + L" (not resolved) child " + std::to_wstring(idChild);
        return;
    }
    g_heard[slot] = std::wstring(word) + L" " + Speak(object, child) + L" child " + std::to_wstring(idChild);
    object->Release();
}

// Runs until `done` or `ms`, hearing events meanwhile.
bool HearUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms) return false;
        Settle(20);
    }
    return true;
}

bool HeardSince(size_t from, const std::wstring& part) {
    for (size_t i = from; i < g_heard.size(); ++i) {
        if (g_heard[i].find(part) != std::wstring::npos) return true;
    }
    return false;
}

// The relative luminance of a 0xRRGGBB pixel, as contrast ratios use it.
double Luminance(std::uint32_t p) {
    auto channel = [](int c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel((p >> 16) & 0xFF) + 0.7152 * channel((p >> 8) & 0xFF) + 0.0722 * channel(p & 0xFF);
}

class ReaderSession : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitialize(nullptr);
        g_heard.clear();
    }
    void TearDown() override {
        if (hook) ::UnhookWinEvent(hook);
        WriteLog(ScreenFolder() + L"reader-log-" + (Chinese() ? L"zh" : L"en") + L".txt");
        ::CoUninitialize();
    }
    void Listen(ToolProcess& tool) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(tool.Window(), &pid);
        hook = ::SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, OnWinEvent, pid, 0, WINEVENT_OUTOFCONTEXT);
    }
    // Presses a key and notes it in the log, as the user's action.
    void Press(ToolProcess& tool, WORD vk, WORD modifier, const wchar_t* said) {
        Settle(100);
        Hear(std::wstring(L"-- key ") + said);
        tool.Type(vk, modifier);
    }
    HWINEVENTHOOK hook = nullptr;
};

// Every method of an object whose control is gone answers "disconnected".
void ExpectDisconnected(IAccessible* held) {
    const VARIANT self = Self();
    BSTR text = nullptr;
    VARIANT v;
    ::VariantInit(&v);
    IDispatch* dispatch = nullptr;
    long n = 0;
    const std::pair<const char*, std::function<HRESULT()>> calls[] = {
        {"get_accParent", [&] { return held->get_accParent(&dispatch); }},
        {"get_accChildCount", [&] { return held->get_accChildCount(&n); }},
        {"get_accChild", [&] { return held->get_accChild(self, &dispatch); }},
        {"get_accName", [&] { return held->get_accName(self, &text); }},
        {"get_accValue", [&] { return held->get_accValue(self, &text); }},
        {"get_accDescription", [&] { return held->get_accDescription(self, &text); }},
        {"get_accRole", [&] { return held->get_accRole(self, &v); }},
        {"get_accState", [&] { return held->get_accState(self, &v); }},
        {"get_accHelp", [&] { return held->get_accHelp(self, &text); }},
        {"get_accHelpTopic", [&] { return held->get_accHelpTopic(&text, self, &n); }},
        {"get_accKeyboardShortcut", [&] { return held->get_accKeyboardShortcut(self, &text); }},
        {"get_accFocus", [&] { return held->get_accFocus(&v); }},
        {"get_accSelection", [&] { return held->get_accSelection(&v); }},
        {"get_accDefaultAction", [&] { return held->get_accDefaultAction(self, &text); }},
        {"accSelect", [&] { return held->accSelect(SELFLAG_TAKEFOCUS, self); }},
        {"accLocation", [&] { return held->accLocation(&n, &n, &n, &n, self); }},
        {"accNavigate", [&] { return held->accNavigate(NAVDIR_NEXT, self, &v); }},
        {"accHitTest", [&] { return held->accHitTest(0, 0, &v); }},
        {"accDoDefaultAction", [&] { return held->accDoDefaultAction(self); }},
        {"put_accName", [&] { return held->put_accName(self, nullptr); }},
        {"put_accValue", [&] { return held->put_accValue(self, nullptr); }},
    };
    for (const auto& call : calls) {
        const HRESULT hr = call.second();
        EXPECT_TRUE(hr == CO_E_OBJNOTCONNECTED || hr == RPC_E_DISCONNECTED) << call.first << " 0x" << std::hex << hr;
    }
}

TEST_F(ReaderSession, AKeyboardOnlyRunOfTwoSticksAsAReaderHearsIt) {
    ToolProcess tool(L"VarqoFat32-sim.exe", WorkFile(L"reader.txt"));
    ASSERT_NE(tool.Window(), nullptr);
    Listen(tool);
    const std::wstring lang = Chinese() ? L"zh" : L"en";
    const std::wstring driveBox = Chinese() ? L"请选择盘符" : L"Choose a drive";
    const std::wstring camera = L"F: (CAMERA) FAT32 16.0GB";

    // Where the focus is at start, asked of the window as a reader does.
    IAccessible* client = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(tool.Window(), OBJID_CLIENT, kIidAccessible,
                                           reinterpret_cast<void**>(&client)), S_OK);
    VARIANT focus;
    ::VariantInit(&focus);
    ASSERT_EQ(client->get_accFocus(&focus), S_OK);
    ASSERT_EQ(focus.vt, VT_DISPATCH);
    IAccessible* start = nullptr;
    focus.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&start));
    ASSERT_NE(start, nullptr);
    Hear(L"START " + Speak(start, Self()));
    start->Release();
    ::VariantClear(&focus);

    struct Step {
        WORD vk;
        WORD modifier;
        const wchar_t* said;
        std::wstring heard;      // a line after the key holds this
        bool listOpen;
        const wchar_t* shot;
    };
    const Step steps[] = {
        {VK_HOME, 0, L"Home", L"VALUE combo box '" + driveBox + L"' = '" + camera, false, nullptr},
        {VK_DOWN, VK_MENU, L"Alt+Down", L"FOCUS list item '" + camera, true, L"reader-1-list"},
        {VK_DOWN, 0, L"Down", L"FOCUS list item 'G: (SECOND)", true, nullptr},
        {VK_ESCAPE, 0, L"Escape", L"FOCUS combo box '" + driveBox + L"' = '" + camera, false, nullptr},
        {VK_F4, 0, L"F4", L"FOCUS list item '" + camera, true, nullptr},
        {VK_F4, 0, L"F4", L"FOCUS combo box '" + driveBox, false, nullptr},
    };
    for (const Step& step : steps) {
        const size_t from = g_heard.size();
        Press(tool, step.vk, step.modifier, step.said);
        EXPECT_TRUE(HearUntil([&] { return HeardSince(from, step.heard); }, 3000)) << step.said;
        EXPECT_EQ(tool.WaitWindow(L"ComboWnd", step.listOpen ? 2000 : 0) != nullptr, step.listOpen) << step.said;
        // A closing list moves no focus among its items: the combo's is the
        // only control's focus a reader hears.
        if (!step.listOpen) {
            for (size_t i = from; i < g_heard.size(); ++i) {
                EXPECT_TRUE(g_heard[i].find(L"FOCUS list item") == std::wstring::npos &&
                            g_heard[i].find(L"FOCUS (not resolved) child 6") == std::wstring::npos)
                    << step.said << ": " << std::string(g_heard[i].begin(), g_heard[i].end());
            }
        }
        if (step.vk == VK_DOWN && step.modifier) {
            EXPECT_TRUE(HeardSince(from, L"STATE combo box '" + driveBox));
        }
        if (step.shot) tool.Shot().SaveBmp(ScreenFolder() + step.shot + L"-" + lang + L".bmp");
        ASSERT_TRUE(tool.Running()) << step.said;
    }

    // The list's focused item, held by the reader across the runs that
    // rebuild the list.
    IAccessible* held = nullptr;
    Press(tool, VK_F4, 0, L"F4");
    ASSERT_NE(tool.WaitWindow(L"ComboWnd", 2000), nullptr);
    ASSERT_EQ(client->get_accFocus(&focus), S_OK);
    ASSERT_EQ(focus.vt, VT_DISPATCH);
    focus.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&held));
    ::VariantClear(&focus);
    Press(tool, VK_F4, 0, L"F4");
    ASSERT_NE(held, nullptr);

    // Two runs by the keyboard: the first stick, then the second.
    const std::wstring formatting = Chinese() ? L"正在格式化" : L"Formatting...";
    for (int run = 0; run < 2; ++run) {
        const size_t from = g_heard.size();
        if (run == 1) Press(tool, VK_DOWN, 0, L"Down");
        Press(tool, VK_TAB, 0, L"Tab");
        Press(tool, VK_RETURN, 0, L"Return");
        ASSERT_NE(tool.WaitBox(), nullptr);
        const size_t confirmed = g_heard.size();
        Press(tool, 'Y', 0, L"Y");
        HWND notice = tool.WaitBox();
        ASSERT_NE(notice, nullptr);
        Press(tool, VK_RETURN, 0, L"Return");
        ASSERT_TRUE(HearUntil([&] { return !::IsWindowVisible(notice); }, 3000));
        // The run's drive is fixed: the focus rests on the progress, and the
        // drive box, disabled, takes no key.
        EXPECT_TRUE(HearUntil([&] { return HeardSince(confirmed, L"FOCUS progress bar"); }, 3000)) << run;
        Press(tool, VK_DOWN, 0, L"Down");
        // The percentage shows while the engine writes.
        auto movedOn = [&] {
            for (size_t i = from; i < g_heard.size(); ++i) {
                if (g_heard[i].find(L"VALUE progress bar") != std::wstring::npos &&
                    g_heard[i].find(L"= '0%'") == std::wstring::npos)
                    return true;
            }
            return false;
        };
        EXPECT_TRUE(HearUntil(movedOn, 15000)) << run;
        if (run == 0) {
            const Capture shot = tool.Shot();
            shot.SaveBmp(ScreenFolder() + L"reader-2-running-" + lang + L".bmp");
            // The running text carries the status: its darkest pixel against
            // the disabled face beside it, at least 4.5:1.
            const double face = Luminance(shot.At(122, 226));
            double text = face;
            for (int y = 215; y < 240; ++y) {
                for (int x = 130; x < 216; ++x) text = std::min(text, Luminance(shot.At(x, y)));
            }
            EXPECT_GE((face + 0.05) / (text + 0.05), 4.5);
        }
        HWND result = nullptr;
        ASSERT_TRUE(HearUntil([&] { return (result = tool.WaitWindow(L"#32770", 0)) != nullptr; }, 30000)) << run;
        if (run == 0) tool.Shot().SaveBmp(ScreenFolder() + L"reader-3-result-" + lang + L".bmp");
        const size_t beforeClose = g_heard.size();
        Press(tool, VK_RETURN, 0, L"Return");
        EXPECT_TRUE(HearUntil([&] { return HeardSince(beforeClose, L"FOCUS combo box '" + driveBox + L"' = '" +
                                                                       (run ? L"G:" : L"F:")); }, 3000)) << run;
        // The list rebuilt after the run keeps the drive: no new choice, and
        // the second stick's new size a new value.
        EXPECT_FALSE(HeardSince(confirmed, L"SELECTION")) << run;
        EXPECT_FALSE(HeardSince(confirmed, L"FOCUS combo box '" + driveBox + L"' = '" + (run ? L"F:" : L"G:"))) << run;
        if (run == 1) {
            EXPECT_TRUE(HeardSince(confirmed, L"VALUE combo box '" + driveBox + L"' = 'G: (SECOND)")) << run;
        }
        EXPECT_TRUE(HeardSince(from, L"NAME push button '" + formatting)) << run;
        EXPECT_TRUE(HeardSince(from, L"STATE push button '" + formatting + L"' [ unavailable")) << run;
        EXPECT_TRUE(HeardSince(from, L"'100%'")) << run;
        EXPECT_TRUE(HeardSince(from, L"BOX '")) << run;
    }
    tool.Shot().SaveBmp(ScreenFolder() + L"reader-4-done-" + lang + L".bmp");
    ExpectDisconnected(held);
    held->Release();
    client->Release();
    Press(tool, VK_ESCAPE, 0, L"Escape");
    EXPECT_EQ(tool.WaitExit(), 0);
}

}  // namespace
}  // namespace app_test
