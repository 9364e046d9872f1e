// A skin that builds no root control: the child program shows the error box
// captioned "Facet" and ends with exit code 1 once the box is dismissed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring ChildPath() {
    wchar_t self[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + L"facet_window_failure_child.exe";
}

struct ChildProcess {
    PROCESS_INFORMATION info = {};
    ~ChildProcess() {
        if (!info.hProcess) return;
        if (::WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(info.hProcess, 99);
        ::CloseHandle(info.hProcess);
        ::CloseHandle(info.hThread);
    }
};

HWND WaitForErrorBox(DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        if (HWND box = ::FindWindowW(L"#32770", L"Facet")) return box;
        ::Sleep(20);
    }
    return nullptr;
}

TEST(SkinFailure, ErrorBoxThenExitCodeOne) {
    ASSERT_EQ(::FindWindowW(L"#32770", L"Facet"), nullptr) << "an earlier box is still open";
    std::wstring command = L"\"" + ChildPath() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    ChildProcess child;
    ASSERT_TRUE(::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &child.info));

    HWND box = WaitForErrorBox(10000);
    ASSERT_NE(box, nullptr);
    wchar_t text[64] = L"";
    ::GetDlgItemTextW(box, 0xFFFF, text, 64);  // the message box's text control
    EXPECT_STREQ(text, L"加载资源文件失败");
    EXPECT_EQ(::WaitForSingleObject(child.info.hProcess, 200), static_cast<DWORD>(WAIT_TIMEOUT));

    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(::WaitForSingleObject(child.info.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    ASSERT_TRUE(::GetExitCodeProcess(child.info.hProcess, &code));
    EXPECT_EQ(code, 1u);
}

// In the window tests no box waits for a user: the same failure ends the
// program at once with exit code 1, without a box.
TEST(SkinFailure, WithBoxesRefusedTheProgramFailsAtOnce) {
    std::wstring command = L"\"" + ChildPath() + L"\" refuse";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    ChildProcess child;
    ASSERT_TRUE(::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &child.info));
    ASSERT_EQ(::WaitForSingleObject(child.info.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    ASSERT_TRUE(::GetExitCodeProcess(child.info.hProcess, &code));
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(::FindWindowW(L"#32770", L"Facet"), nullptr);
}

}  // namespace
