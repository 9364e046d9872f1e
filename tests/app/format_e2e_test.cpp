// Format runs from the window, driven from outside the simulation executable
// as a user would: choose a drive in the drop-down, press the button, answer
// the boxes. The drives are image files prepared by format_e2e.sh, which
// checks the written volume with fsck.fat and mtools afterwards. Also drives
// plugged and pulled while the window runs.
#include <windows.h>

#include <dbt.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "app/texts.h"
#include "format/format_result.h"
#include "tool_process.h"

namespace app_test {
namespace {

bool Chinese() { return ::GetACP() == 936; }

// The folder format_e2e.sh prepared, as a Windows path.
std::wstring WorkFile(const wchar_t* name) {
    wchar_t dir[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"E2E_DIR", dir, MAX_PATH);
    return std::wstring(dir) + L"\\" + name;
}

std::uint64_t FileHash(const std::wstring& path) {
    std::uint64_t hash = 1469598103934665603ull;
    FILE* in = _wfopen(path.c_str(), L"rb");
    if (!in) return 0;
    static unsigned char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), in)) > 0) {
        for (size_t i = 0; i < n; ++i) hash = (hash ^ buffer[i]) * 1099511628211ull;
    }
    std::fclose(in);
    return hash;
}

std::wstring Wide(const char* utf8) {
    wchar_t out[256] = {};
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out, 256);
    return out;
}

std::wstring ResultText(fat32::FormatResult code) {
    const fat32::ResultMessage* message = fat32::FindResultMessage(code);
    return Wide(Chinese() ? message->chinese : message->english);
}

bool Bluish(std::uint32_t p) { return (p & 0xFF) > ((p >> 16) & 0xFF) + 60; }

constexpr POINT kButtonFace = {122, 226};
constexpr POINT kFormatButton = {170, 226};
constexpr POINT kCombo = {200, 70};
constexpr RECT kDisk = {132, 97, 216, 181};
constexpr int kItemHeight = 30;

// Opens the drop-down and clicks the item at `index`.
void ChooseDrive(ToolProcess& tool, int index) {
    tool.Click(kCombo.x, kCombo.y);
    HWND list = tool.WaitWindow(L"ComboWnd");
    ASSERT_NE(list, nullptr);
    const int y = 1 + index * kItemHeight + kItemHeight / 2;
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, y));
    ::PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(40, y));
    Settle();
}

// Presses the format button, answers Yes and OK, and returns the result box.
HWND RunFormat(ToolProcess& tool, DWORD* yesTick = nullptr) {
    tool.Click(kFormatButton.x, kFormatButton.y);
    HWND question = tool.WaitBox();
    if (!question) return nullptr;
    PressBoxButton(question, IDYES);
    if (yesTick) *yesTick = ::GetTickCount();
    HWND notice = tool.WaitBox();
    if (!notice) return nullptr;
    PressBoxButton(notice, IDOK);
    return tool.WaitBox(20000);
}

void SendVolumeRemoval(HWND window, char letter) {
    DEV_BROADCAST_VOLUME volume = {};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << (letter - 'A');
    ::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&volume));
    Settle();
}

TEST(FormatFromTheWindow, NoChangesNothingYesWritesTheVolumeWithTheAnimationAndTheResult) {
    ToolProcess tool(L"VarqoFat32-sim.exe", WorkFile(L"drives.txt"));
    ASSERT_NE(tool.Window(), nullptr);
    ChooseDrive(tool, 0);
    const std::uint64_t before = FileHash(WorkFile(L"ok.img"));

    tool.Click(kFormatButton.x, kFormatButton.y);
    HWND question = tool.WaitBox();
    ASSERT_NE(question, nullptr);
    EXPECT_NE(BoxText(question).find(L"E:"), std::wstring::npos) << BoxText(question);
    PressBoxButton(question, IDNO);
    Settle(500);
    EXPECT_TRUE(Bluish(tool.Shot().At(kButtonFace.x, kButtonFace.y)));
    EXPECT_EQ(FileHash(WorkFile(L"ok.img")), before);

    tool.Click(kFormatButton.x, kFormatButton.y);
    question = tool.WaitBox();
    ASSERT_NE(question, nullptr);
    PressBoxButton(question, IDYES);
    const DWORD yes = ::GetTickCount();
    HWND notice = tool.WaitBox();
    ASSERT_NE(notice, nullptr);
    // A notice with one button: its answer cannot stop the run.
    EXPECT_NE(::GetDlgItem(notice, IDOK), nullptr);
    EXPECT_EQ(::GetDlgItem(notice, IDNO), nullptr);
    EXPECT_EQ(BoxText(notice), L"E盘，卷标是CAMERA，你已开始格式化");
    PressBoxButton(notice, IDOK);

    // Running: the disabled face, and the picture moving while nothing else does.
    const Capture first = tool.Shot();
    Settle(250);
    const Capture second = tool.Shot();
    first.SaveBmp(ScreenFolder() + L"running-" + (Chinese() ? L"zh" : L"en") + L".bmp");
    EXPECT_FALSE(Bluish(first.At(kButtonFace.x, kButtonFace.y)));
    int changedInDisk = 0, changedElsewhere = 0;
    for (int y = 0; y < first.height; ++y) {
        for (int x = 0; x < first.width; ++x) {
            if (first.At(x, y) == second.At(x, y)) continue;
            const bool inDisk = x >= kDisk.left && x < kDisk.right && y >= kDisk.top && y < kDisk.bottom;
            ++(inDisk ? changedInDisk : changedElsewhere);
        }
    }
    EXPECT_GT(changedInDisk, 20);
    EXPECT_EQ(changedElsewhere, 0);

    HWND result = tool.WaitBox(20000);
    ASSERT_NE(result, nullptr);
    // The worker pauses 3 s before and after the engine.
    EXPECT_GE(::GetTickCount() - yes, 6000u);
    EXPECT_EQ(WindowText(result), Chinese() ? L"提示" : L"Info");
    EXPECT_EQ(BoxText(result), ResultText(fat32::kFormatOk));
    PressBoxButton(result, IDOK);
    EXPECT_TRUE(Bluish(tool.Shot().At(kButtonFace.x, kButtonFace.y)));
    tool.KeyDown(VK_ESCAPE);
    EXPECT_EQ(tool.WaitExit(), 0);
}

TEST(FormatFromTheWindow, ALockOrGeometryFailureIsToldAndTheDriveUntouched) {
    struct Case {
        int item;
        fat32::FormatResult code;
    };
    for (const Case c : {Case{1, fat32::kLockFailed}, Case{2, fat32::kGeometryFailed}}) {
        ToolProcess tool(L"VarqoFat32-sim.exe", WorkFile(L"drives.txt"));
        ASSERT_NE(tool.Window(), nullptr);
        ChooseDrive(tool, c.item);
        HWND result = RunFormat(tool);
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(BoxText(result), ResultText(c.code));
        PressBoxButton(result, IDOK);
        tool.KeyDown(VK_ESCAPE);
        EXPECT_EQ(tool.WaitExit(), 0);
    }
}

TEST(FormatFromTheWindow, DrivesPluggedAndPulledWhileTheWindowRuns) {
    const std::wstring table = WorkFile(L"plug.txt");
    ::CopyFileW(WorkFile(L"one.txt").c_str(), table.c_str(), FALSE);
    ToolProcess tool(L"VarqoFat32-sim.exe", table);
    ASSERT_NE(tool.Window(), nullptr);

    // A second stick arrives: the list has two items.
    ::CopyFileW(WorkFile(L"drives.txt").c_str(), table.c_str(), FALSE);
    ::SendMessageW(tool.Window(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    Settle();
    tool.Click(kCombo.x, kCombo.y);
    HWND list = tool.WaitWindow(L"ComboWnd");
    ASSERT_NE(list, nullptr);
    RECT rc = {};
    ::GetWindowRect(list, &rc);
    EXPECT_EQ(rc.bottom - rc.top, 3 * kItemHeight + 4);
    tool.Shot().SaveBmp(ScreenFolder() + L"plugged-" + (Chinese() ? L"zh" : L"en") + L".bmp");

    // Pulled while the list is open: the list goes, the process lives on.
    SendVolumeRemoval(tool.Window(), 'G');
    EXPECT_TRUE(tool.Running());
    EXPECT_FALSE(::IsWindowVisible(list));
    SendVolumeRemoval(tool.Window(), 'F');
    SendVolumeRemoval(tool.Window(), 'E');
    EXPECT_TRUE(tool.Running());
    const Capture shot = tool.Shot();
    shot.SaveBmp(ScreenFolder() + L"pulled-" + (Chinese() ? L"zh" : L"en") + L".bmp");
    EXPECT_FALSE(Bluish(shot.At(kButtonFace.x, kButtonFace.y)));
    tool.KeyDown(VK_ESCAPE);
    EXPECT_EQ(tool.WaitExit(), 0);
}

// The table the tool reads is one file that a test rewrites as it plugs and
// pulls sticks.
std::wstring LiveTable(const wchar_t* from) {
    const std::wstring live = WorkFile(L"live.txt");
    ::CopyFileW(WorkFile(from).c_str(), live.c_str(), FALSE);
    return live;
}

// Presses the format button and Yes; the start notice, still open.
HWND ConfirmFormat(ToolProcess& tool) {
    tool.Click(kFormatButton.x, kFormatButton.y);
    HWND question = tool.WaitBox();
    if (!question) return nullptr;
    PressBoxButton(question, IDYES);
    return tool.WaitBox();
}

void ExpectDriveChanged(ToolProcess& tool, const wchar_t* shot) {
    HWND result = tool.WaitBox(20000);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(BoxText(result), ResultText(fat32::kDriveChanged));
    Settle();
    tool.Shot().SaveBmp(ScreenFolder() + shot + (Chinese() ? L"-zh" : L"-en") + L".bmp");
    PressBoxButton(result, IDOK);
    Settle();
    tool.KeyDown(VK_ESCAPE);
    EXPECT_EQ(tool.WaitExit(), 0);
}

// Another stick under E: during the worker's pause after the notice: with
// the removal and arrival the system would send, and with no message at all,
// when only the worker's own look before it opens the volume can tell.
TEST(FormatFromTheWindow, AStickSwappedAfterTheConfirmationIsNotWritten) {
    for (int messages : {0, 1}) {
        const std::wstring n = std::to_wstring(messages);
        ToolProcess tool(L"VarqoFat32-sim.exe", LiveTable((L"keep" + n + L".txt").c_str()));
        ASSERT_NE(tool.Window(), nullptr);
        HWND notice = ConfirmFormat(tool);
        ASSERT_NE(notice, nullptr);
        PressBoxButton(notice, IDOK);
        LiveTable((L"stranger" + n + L".txt").c_str());
        if (messages) {
            SendVolumeRemoval(tool.Window(), 'E');
            ::SendMessageW(tool.Window(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
        }
        ExpectDriveChanged(tool, messages ? L"swapped-told" : L"swapped-silent");
    }
}

TEST(FormatFromTheWindow, AStickPulledDuringTheStartNoticeIsToldSo) {
    ToolProcess tool(L"VarqoFat32-sim.exe", LiveTable(L"pulled.txt"));
    ASSERT_NE(tool.Window(), nullptr);
    HWND notice = ConfirmFormat(tool);
    ASSERT_NE(notice, nullptr);
    LiveTable(L"none.txt");
    SendVolumeRemoval(tool.Window(), 'E');
    PressBoxButton(notice, IDOK);
    ExpectDriveChanged(tool, L"pulled");
}

// A close during the worker's pause asks, No being the default: No lets the
// run go on and finish, Yes gives it up (format_e2e.sh checks that nothing was
// written) and ends the program.
TEST(FormatFromTheWindow, ClosingDuringARunAsks) {
    for (int answer : {IDNO, IDYES}) {
        ToolProcess tool(L"VarqoFat32-sim.exe", LiveTable(answer == IDNO ? L"close-no.txt" : L"close-yes.txt"));
        ASSERT_NE(tool.Window(), nullptr);
        HWND notice = ConfirmFormat(tool);
        ASSERT_NE(notice, nullptr);
        PressBoxButton(notice, IDOK);
        Settle();
        ::PostMessageW(tool.Window(), WM_CLOSE, 0, 0);
        HWND question = tool.WaitBox();
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(BoxText(question),
                  Chinese() ? app::kCloseBeforeWriting.chinese : app::kCloseBeforeWriting.english);
        EXPECT_TRUE(::GetWindowLongW(::GetDlgItem(question, IDNO), GWL_STYLE) & BS_DEFPUSHBUTTON);
        tool.Shot().SaveBmp(ScreenFolder() + L"close-question-" + (Chinese() ? L"zh" : L"en") + L".bmp");
        PressBoxButton(question, answer);
        if (answer == IDYES) {
            EXPECT_EQ(tool.WaitExit(), 0);
            EXPECT_FALSE(::IsWindow(tool.Window()));
            continue;
        }
        HWND result = tool.WaitBox(20000);
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(BoxText(result), ResultText(fat32::kFormatOk));
        PressBoxButton(result, IDOK);
        tool.KeyDown(VK_ESCAPE);
        EXPECT_EQ(tool.WaitExit(), 0);
    }
}

// WM_CLOSE while the question or the result box is open: the window closes
// once the box has, not under it.
TEST(FormatFromTheWindow, CloseDuringABoxComesAfterTheBox) {
    for (bool resultBox : {false, true}) {
        ToolProcess tool(L"VarqoFat32-sim.exe", LiveTable(L"boxes.txt"));
        ASSERT_NE(tool.Window(), nullptr);
        HWND box = nullptr;
        if (resultBox) {
            box = RunFormat(tool);
        } else {
            tool.Click(kFormatButton.x, kFormatButton.y);
            box = tool.WaitBox();
        }
        ASSERT_NE(box, nullptr);
        ::PostMessageW(tool.Window(), WM_CLOSE, 0, 0);
        Settle(500);
        EXPECT_TRUE(tool.Running()) << resultBox;
        PressBoxButton(box, resultBox ? IDOK : IDNO);
        EXPECT_EQ(tool.WaitExit(), 0) << resultBox;
    }
}

// A close asked for while the question is open wins over its Yes: no run
// starts, and the window closes (format_e2e.sh checks the image is as it was).
TEST(FormatFromTheWindow, ACloseDuringTheQuestionStartsNoRun) {
    ToolProcess tool(L"VarqoFat32-sim.exe", LiveTable(L"close-question.txt"));
    ASSERT_NE(tool.Window(), nullptr);
    tool.Click(kFormatButton.x, kFormatButton.y);
    HWND question = tool.WaitBox();
    ASSERT_NE(question, nullptr);
    ::PostMessageW(tool.Window(), WM_CLOSE, 0, 0);
    Settle();
    PressBoxButton(question, IDYES);
    EXPECT_EQ(tool.WaitExit(), 0);
}

// The system asks to end the session during a run. In the worker's pause the
// answer is yes and nothing is written; during the writes it is no (with the
// reason). When the session ends all the same, the writes finish before the
// message returns, however long they take, and the process is then ended as
// the system may; when it goes on, the run finishes and tells its result.
// format_e2e.sh checks each image.
TEST(FormatFromTheWindow, TheSessionsEndNeverCutsARun) {
    struct Road {
        const wchar_t* table;
        DWORD afterNotice;  // ms from the notice's OK to the system's question
        BOOL query;         // WM_QUERYENDSESSION's answer
        BOOL ends;          // WM_ENDSESSION's wParam
        LPARAM flags;       // both messages' lParam
    };
    for (const Road road : {Road{L"end-pause.txt", 1000, TRUE, TRUE, 0},
                            Road{L"end-writing.txt", 4500, FALSE, TRUE, ENDSESSION_LOGOFF},
                            Road{L"end-goes-on.txt", 4500, FALSE, FALSE, 0}}) {
        ToolProcess tool(L"VarqoFat32-sim.exe", LiveTable(road.table));
        ASSERT_NE(tool.Window(), nullptr);
        HWND notice = ConfirmFormat(tool);
        ASSERT_NE(notice, nullptr);
        PressBoxButton(notice, IDOK);
        Settle(road.afterNotice);
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(tool.Window(), WM_QUERYENDSESSION, 0, road.flags, SMTO_NORMAL, 5000, &answer);
        EXPECT_EQ(answer, static_cast<DWORD_PTR>(road.query)) << road.afterNotice;
        ::SendMessageTimeoutW(tool.Window(), WM_ENDSESSION, road.ends, road.flags, SMTO_NORMAL, 90000, &answer);
        if (road.ends) {
            tool.Kill();
            continue;
        }
        HWND result = tool.WaitBox(20000);
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(BoxText(result), ResultText(fat32::kFormatOk));
        PressBoxButton(result, IDOK);
        tool.KeyDown(VK_ESCAPE);
        EXPECT_EQ(tool.WaitExit(), 0) << road.afterNotice;
    }
}

// A 128 MiB stick gets a cluster size small enough for FAT32; its item then
// shows what the stick now holds (the table said NTFS).
TEST(FormatFromTheWindow, ASmallStickIsFormattedAndShowsItsNewFileSystem) {
    ToolProcess tool(L"VarqoFat32-sim.exe", LiveTable(L"small.txt"));
    ASSERT_NE(tool.Window(), nullptr);
    const Capture before = tool.Shot();
    HWND result = RunFormat(tool);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(BoxText(result), ResultText(fat32::kFormatOk));
    PressBoxButton(result, IDOK);
    Settle();
    const Capture after = tool.Shot();
    after.SaveBmp(ScreenFolder() + L"small-done-" + (Chinese() ? L"zh" : L"en") + L".bmp");
    int changed = 0;
    for (int y = 62; y < 80; ++y) {
        for (int x = 106; x < 298; ++x) changed += before.At(x, y) != after.At(x, y) ? 1 : 0;
    }
    EXPECT_GT(changed, 20) << "the item still shows what the table said";
    tool.KeyDown(VK_ESCAPE);
    EXPECT_EQ(tool.WaitExit(), 0);
}

// Pixels along the top edge of a control that differ between two shots:
// where its focus mark lies (inside by a tenth of its height).
int MarkChanges(const Capture& a, const Capture& b, const RECT& control) {
    const int y = control.top + (control.bottom - control.top) / 10;
    int changed = 0;
    for (int x = control.left + 8; x < control.right - 8; ++x) changed += a.At(x, y) != b.At(x, y) ? 1 : 0;
    return changed;
}

// A run done with the keyboard alone: the drive box has the focus at start,
// Tab and Shift+Tab go round the box and the button, the box's keys choose
// and open the list, Return presses the button, and the boxes answer to
// their own keys. Once a key is used the focus mark shows on the control that
// has the focus and on no other (Wine's default asks for it from the start).
TEST(FormatFromTheWindow, AKeyboardAloneFormatsTheStickItChose) {
    ToolProcess tool(L"VarqoFat32-sim.exe", WorkFile(L"keys.txt"));
    ASSERT_NE(tool.Window(), nullptr);
    const RECT button = {117, 197, 229, 255};
    const RECT box = {100, 59, 300, 82};
    // Each control's face without a mark: the button before any key, the box
    // once the focus has left it.
    const Capture buttonPlain = tool.Shot();
    tool.Type(VK_TAB);
    const Capture boxPlain = tool.Shot();
    struct Step {
        WORD vk;
        WORD modifier;
        const wchar_t* shot;
        bool onBox;
    };
    const Step steps[] = {
        {VK_TAB, VK_SHIFT, L"keys-1-shift-tab", true},
        {VK_TAB, 0, L"keys-2-tab", false},
        {VK_TAB, 0, L"keys-3-tab-round", true},
        {VK_HOME, 0, nullptr, true},
        {VK_DOWN, 0, L"keys-4-second-stick", true},
        {VK_UP, 0, nullptr, true},
        {VK_END, 0, nullptr, true},
        {VK_PRIOR, 0, nullptr, true},
        {VK_NEXT, 0, nullptr, true},
        {VK_PRIOR, 0, nullptr, true},  // a page back: the first stick
        {VK_DOWN, 0, L"keys-5-second-again", true},
    };
    for (const Step& step : steps) {
        tool.Type(step.vk, step.modifier);
        const Capture shot = tool.Shot();
        if (step.shot) shot.SaveBmp(ScreenFolder() + step.shot + (Chinese() ? L"-zh" : L"-en") + L".bmp");
        EXPECT_GT(MarkChanges(step.onBox ? boxPlain : buttonPlain, shot, step.onBox ? box : button), 20) << step.vk;
        EXPECT_EQ(MarkChanges(step.onBox ? buttonPlain : boxPlain, shot, step.onBox ? button : box), 0) << step.vk;
    }
    // F4 and Alt+Down open the list; Escape there keeps the stick chosen
    // before it opened, Return the one it shows.
    for (WORD modifier : {WORD(0), WORD(VK_MENU)}) {
        tool.Type(modifier ? VK_DOWN : VK_F4, modifier);
        HWND list = tool.WaitWindow(L"ComboWnd", 2000);
        ASSERT_NE(list, nullptr) << modifier;
        if (!modifier) tool.Shot().SaveBmp(ScreenFolder() + L"keys-6-list-" + (Chinese() ? L"zh" : L"en") + L".bmp");
        tool.Type(modifier ? VK_RETURN : VK_ESCAPE);
        EXPECT_FALSE(::IsWindowVisible(list));
    }

    tool.Type(VK_TAB);
    tool.Type(VK_RETURN);
    HWND question = tool.WaitBox();
    ASSERT_NE(question, nullptr);
    EXPECT_NE(BoxText(question).find(L"F:"), std::wstring::npos) << BoxText(question);
    tool.Type('Y');
    HWND notice = tool.WaitBox();
    ASSERT_NE(notice, nullptr);
    ASSERT_NE(notice, question);
    tool.Type(VK_RETURN);
    HWND result = tool.WaitBox(20000);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(BoxText(result), ResultText(fat32::kFormatOk));
    tool.Type(VK_RETURN);
    Settle();
    tool.Shot().SaveBmp(ScreenFolder() + L"keys-7-done-" + (Chinese() ? L"zh" : L"en") + L".bmp");
    tool.Type(VK_ESCAPE);
    EXPECT_EQ(tool.WaitExit(), 0);
}

}  // namespace
}  // namespace app_test
