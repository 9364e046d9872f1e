// The plain window owner: own class and superclass, the object mapping from
// WM_NCCREATE to WM_NCDESTROY, subclassing, resizing, and the trace names.
#include <gtest/gtest.h>

#include <vector>

#include "facet/manager/paint_manager_ui.h"
#include "facet/window/window_wnd.h"

namespace Facet {
namespace {

class CRecordingWnd : public CWindowWnd {
public:
    explicit CRecordingWnd(const wchar_t* className, const wchar_t* superName = nullptr)
        : m_class(className), m_super(superName) {}
    std::vector<UINT> seen;
    int finalCalls = 0;
    HWND finalHwnd = nullptr;
    WNDPROC Previous() const { return m_OldWndProc; }

protected:
    const wchar_t* GetWndClassName() const override { return m_class; }
    const wchar_t* GetSuperClassName() const override { return m_super; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(uMsg);
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    void OnFinalMessage(HWND hWnd) override {
        ++finalCalls;
        finalHwnd = hWnd;
    }

private:
    const wchar_t* m_class;
    const wchar_t* m_super;
};

bool Saw(const std::vector<UINT>& seen, UINT msg) {
    for (UINT m : seen) {
        if (m == msg) return true;
    }
    return false;
}

class WindowWnd : public ::testing::Test {
protected:
    void SetUp() override { CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr)); }
};

TEST_F(WindowWnd, OwnClassMapsTheWindowUntilItIsGone) {
    CRecordingWnd wnd(L"FacetPlainWindow");
    HWND hwnd = wnd.Create(nullptr, L"plain", WS_POPUP, 0, 0, 0, 100, 80);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(wnd.GetHWND(), hwnd);
    EXPECT_EQ(static_cast<HWND>(wnd), hwnd);
    EXPECT_TRUE(Saw(wnd.seen, WM_NCCREATE));
    EXPECT_TRUE(Saw(wnd.seen, WM_CREATE));
    EXPECT_EQ(wnd.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x")), TRUE);

    // A second object of the same class registers nothing new and still works.
    CRecordingWnd other(L"FacetPlainWindow");
    ASSERT_NE(other.Create(nullptr, L"other", WS_POPUP, 0, 0, 0, 10, 10), nullptr);
    ::DestroyWindow(other);

    ::DestroyWindow(hwnd);
    EXPECT_EQ(wnd.finalCalls, 1);
    EXPECT_EQ(wnd.finalHwnd, hwnd);
    EXPECT_EQ(wnd.GetHWND(), nullptr);
    EXPECT_FALSE(Saw(wnd.seen, WM_NCDESTROY));  // answered by the previous procedure
}

TEST_F(WindowWnd, SuperclassKeepsTheBaseProcedure) {
    CRecordingWnd wnd(L"FacetSuperEdit", L"EDIT");
    HWND hwnd = wnd.Create(nullptr, L"typed", WS_POPUP, 0, 0, 0, 100, 30);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_NE(wnd.Previous(), reinterpret_cast<WNDPROC>(::DefWindowProcW));
    wchar_t text[16] = L"";
    ::GetWindowTextW(hwnd, text, 16);
    EXPECT_STREQ(text, L"typed");
    EXPECT_EQ(::SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0) > 0, true);  // the edit's own procedure
    ::DestroyWindow(hwnd);
    EXPECT_EQ(wnd.finalCalls, 1);

    CRecordingWnd missing(L"FacetSuperMissing", L"NoSuchClass");
    EXPECT_EQ(missing.Create(nullptr, L"", WS_POPUP, 0, 0, 0, 10, 10), nullptr);
}

TEST_F(WindowWnd, SubclassAndUnsubclass) {
    HWND hwnd = ::CreateWindowExW(0, L"STATIC", L"s", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    CRecordingWnd wnd(L"unused");
    EXPECT_EQ(wnd.Subclass(hwnd), hwnd);
    ::SendMessageW(hwnd, WM_USER + 5, 0, 0);
    EXPECT_TRUE(Saw(wnd.seen, WM_USER + 5));
    wnd.Unsubclass();
    EXPECT_EQ(wnd.Previous(), reinterpret_cast<WNDPROC>(::DefWindowProcW));
    wnd.seen.clear();
    ::SendMessageW(hwnd, WM_USER + 6, 0, 0);
    EXPECT_TRUE(wnd.seen.empty());

    CRecordingWnd again(L"unused");
    ASSERT_EQ(again.Subclass(hwnd), hwnd);
    ::DestroyWindow(hwnd);  // the final message undoes the subclassing itself
    EXPECT_EQ(again.finalCalls, 1);
    EXPECT_EQ(again.GetHWND(), nullptr);

    CRecordingWnd none(L"unused");
    EXPECT_EQ(none.Subclass(nullptr), nullptr);
}

TEST_F(WindowWnd, ResizeClientKeepsWhatIsNotGiven) {
    CRecordingWnd wnd(L"FacetFramedWindow");
    ASSERT_NE(wnd.Create(nullptr, L"framed", WS_OVERLAPPEDWINDOW, 0, 0, 0, 300, 200), nullptr);
    wnd.ResizeClient(120, -1);
    RECT before = {};
    ::GetClientRect(wnd, &before);
    EXPECT_EQ(before.right, 120);
    wnd.ResizeClient(-1, 90);
    RECT after = {};
    ::GetClientRect(wnd, &after);
    EXPECT_EQ(after.right, 120);
    EXPECT_EQ(after.bottom, 90);
    ::DestroyWindow(wnd);
}

TEST(WindowTrace, NamesCommonMessagesAndNumbersTheRest) {
    EXPECT_STREQ(DUI__TraceMsg(WM_SETCURSOR), L"WM_SETCURSOR");
    EXPECT_STREQ(DUI__TraceMsg(WM_NCHITTEST), L"WM_NCHITTEST");
    EXPECT_STREQ(DUI__TraceMsg(WM_PAINT), L"WM_PAINT");
    EXPECT_STREQ(DUI__TraceMsg(0x0401), L"0x0401");
    EXPECT_STREQ(DUI__TraceMsg(0x12345), L"0x12345");
    DUI__Trace(L"%d", 1);
}

}  // namespace
}  // namespace Facet
