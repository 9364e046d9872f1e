// The result box as the user sees it: caption, text, icon and button, in the
// language the ANSI code page selects. A CBT hook reads each box as it opens
// and presses its OK button. Run once per locale (EXPECT_ACP names the code
// page that the locale must give).
#include "format/show_result.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace fat32 {
namespace {

constexpr int kMessageTextId = 0xFFFF;  // the static text of a message box

struct SeenBox {
    int count = 0;
    HWND last = nullptr;
    std::wstring caption, text;
    HICON icon = nullptr;
    bool hasCancel = false;
};

SeenBox g_seen;

// Windows and Wine give the icon control different ids: look for its style.
BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
    if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return TRUE;
    *reinterpret_cast<HICON*>(found) =
        reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
    return FALSE;
}

LRESULT CALLBACK ReadAndDismiss(int code, WPARAM wParam, LPARAM lParam) {
    HWND box = reinterpret_cast<HWND>(wParam);
    // Other windows of the process are activated too; a box is read once.
    wchar_t className[32] = {};
    if (code == HCBT_ACTIVATE) ::GetClassNameW(box, className, 32);
    if (code == HCBT_ACTIVATE && box != g_seen.last && std::wstring(className) == L"#32770") {
        wchar_t buffer[512] = {};
        ++g_seen.count;
        g_seen.last = box;
        ::GetWindowTextW(box, buffer, 512);
        g_seen.caption = buffer;
        ::GetDlgItemTextW(box, kMessageTextId, buffer, 512);
        g_seen.text = buffer;
        g_seen.icon = nullptr;
        ::EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&g_seen.icon));
        g_seen.hasCancel = ::GetDlgItem(box, IDCANCEL) != nullptr &&
                           ::IsWindowVisible(::GetDlgItem(box, IDCANCEL));
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::wstring Widen(const char* utf8) {
    wchar_t buffer[512] = {};
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, buffer, 512);
    return buffer;
}

class ResultBox : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen = SeenBox{};
        hook_ = ::SetWindowsHookExW(WH_CBT, ReadAndDismiss, nullptr, ::GetCurrentThreadId());
        ASSERT_NE(hook_, nullptr);
        if (const char* acp = std::getenv("EXPECT_ACP"))
            ASSERT_EQ(::GetACP(), static_cast<UINT>(std::atoi(acp))) << "locale not in effect";
    }
    void TearDown() override { ::UnhookWindowsHookEx(hook_); }

    HHOOK hook_ = nullptr;
};

TEST_F(ResultBox, EachCodeShowsItsTextInTheLanguageOfTheCodePage) {
    const bool chinese = ::GetACP() == 936;
    EXPECT_EQ(ChineseTextsInForce(), chinese);
    for (FormatResult code = 0; code <= kDriveChanged; ++code) {
        if (code == kFakeCapacity) continue;
        g_seen = SeenBox{};
        ShowResult(nullptr, code);
        const ResultMessage* expected = FindResultMessage(code);
        ASSERT_EQ(g_seen.count, 1) << code;
        EXPECT_EQ(g_seen.caption, chinese ? L"提示" : L"Info") << code;
        EXPECT_EQ(g_seen.text, Widen(chinese ? expected->chinese : expected->english)) << code;
        EXPECT_FALSE(g_seen.hasCancel) << code;
    }
}

TEST_F(ResultBox, IconMatchesTheOutcome) {
    const struct {
        FormatResult code;
        LPCWSTR icon;
    } cases[] = {{kFormatOk, IDI_INFORMATION}, {kOutOfMemory, IDI_ERROR}, {kLockFailed, IDI_WARNING}};
    for (const auto& c : cases) {
        g_seen = SeenBox{};
        ShowResult(nullptr, c.code);
        EXPECT_EQ(g_seen.icon, ::LoadIconW(nullptr, c.icon)) << c.code;
    }
}

TEST_F(ResultBox, CodesOutsideTheTableShowNothing) {
    ShowResult(nullptr, -1);
    ShowResult(nullptr, 17);
    EXPECT_EQ(g_seen.count, 0);
}

}  // namespace
}  // namespace fat32
