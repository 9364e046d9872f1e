// The skinned window built from the application's skin: non-client answers,
// the rounded region, closing by Escape, Close and the system menu, the modal
// loop's result, centring, and the default "click" handling.
#include <gtest/gtest.h>

#include <memory>

#include "facet/controls/button_ui.h"
#include "box_refusal.h"
#include "test_window.h"

namespace Facet {
namespace WindowTest {
namespace {

// A skin that cannot be loaded ends this program at once with exit code 1
// instead of leaving its error box waiting until the test's timeout.
[[maybe_unused]] const bool kBoxesRefused = (RefuseMessageBoxes(), true);

constexpr int kLeft = 40;
constexpr int kTop = 50;

BOOL g_ownerEnabledDuringLoop = TRUE;

void CALLBACK QuitFromTimer(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(hwnd, id);
    g_ownerEnabledDuringLoop = ::IsWindowEnabled(::GetWindow(hwnd, GW_OWNER));
    ::PostQuitMessage(5);
}

class WindowBase : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = std::make_unique<CTestWindow>(UILIB_RESOURCE, L"154");
        ASSERT_NE(m_window->CreateAt(kLeft, kTop), nullptr);
        m_hwnd = m_window->GetHWND();
        ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
        ::UpdateWindow(m_hwnd);  // lays the tree out, drawing without the absent images
        PumpUntil([] { return false; }, 50);
    }
    void TearDown() override {
        if (::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
        PumpUntil([] { return false; }, 10);
    }
    LRESULT HitTest(int x, int y) {
        RECT rc = {};
        ::GetWindowRect(m_hwnd, &rc);
        return ::SendMessageW(m_hwnd, WM_NCHITTEST, 0, MAKELPARAM(rc.left + x, rc.top + y));
    }
    void Click(const wchar_t* name) {
        CButtonUI sender;
        sender.SetName(name);
        TNotifyUI msg;
        msg.type = L"click";
        msg.sender = &sender;
        m_window->Notify(msg);
    }

    std::unique_ptr<CTestWindow> m_window;
    HWND m_hwnd = nullptr;
};

TEST_F(WindowBase, SkinIsAttachedOnCreation) {
    EXPECT_EQ(m_window->initCalls, 1);
    ASSERT_NE(m_window->Manager().GetRoot(), nullptr);
    EXPECT_NE(m_window->Manager().FindControl(L"formatbtn"), nullptr);
    EXPECT_EQ(::GetWindowLongW(m_hwnd, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_NE(::GetWindowLongW(m_hwnd, GWL_STYLE) & WS_CLIPCHILDREN, 0);
    EXPECT_EQ(::GetClassLongW(m_hwnd, GCL_STYLE) & CS_DBLCLKS, static_cast<DWORD>(CS_DBLCLKS));
}

TEST_F(WindowBase, CaptionStripDragsExceptOverButtons) {
    EXPECT_EQ(HitTest(100, 10), HTCAPTION);  // the title label
    EXPECT_EQ(HitTest(280, 10), HTCAPTION);  // bare layout
    EXPECT_EQ(HitTest(340, 10), HTCLIENT);   // closebtn
    EXPECT_EQ(HitTest(100, 30), HTCLIENT);   // just below the caption
    EXPECT_EQ(HitTest(150, 200), HTCLIENT);
    // No size box in the skin: the edges are never borders.
    EXPECT_EQ(HitTest(0, 0), HTCAPTION);
    EXPECT_EQ(HitTest(0, 150), HTCLIENT);
    EXPECT_EQ(HitTest(359, 309), HTCLIENT);
}

TEST_F(WindowBase, SizeBoxGivesBorderCodes) {
    RECT box = {4, 4, 4, 4};
    m_window->Manager().SetSizeBox(box);
    EXPECT_EQ(HitTest(1, 1), HTTOPLEFT);
    EXPECT_EQ(HitTest(100, 1), HTTOP);
    EXPECT_EQ(HitTest(358, 1), HTTOPRIGHT);
    EXPECT_EQ(HitTest(1, 100), HTLEFT);
    EXPECT_EQ(HitTest(358, 100), HTRIGHT);
    EXPECT_EQ(HitTest(1, 308), HTBOTTOMLEFT);
    EXPECT_EQ(HitTest(100, 308), HTBOTTOM);
    EXPECT_EQ(HitTest(358, 308), HTBOTTOMRIGHT);
    EXPECT_EQ(HitTest(100, 10), HTCAPTION);
}

// Wine hands the window region back with its rectangles split differently
// from a freshly made one, and its EqualRgn compares rectangle lists, so two
// regions covering the same pixels can differ there; an empty symmetric
// difference is the exact test then.
bool SameRegion(HRGN a, HRGN b) {
    if (::EqualRgn(a, b)) return true;
    HRGN difference = ::CreateRectRgn(0, 0, 0, 0);
    const int kind = ::CombineRgn(difference, a, b, RGN_XOR);
    ::DeleteObject(difference);
    return kind == NULLREGION;
}

TEST_F(WindowBase, RoundCornersShapeTheWindow) {
    HRGN actual = ::CreateRectRgn(0, 0, 0, 0);
    HRGN expected = ::CreateRoundRectRgn(0, 0, 361, 311, 5, 5);
    HRGN square = ::CreateRectRgn(0, 0, 360, 310);
    EXPECT_NE(::GetWindowRgn(m_hwnd, actual), ERROR);
    EXPECT_TRUE(SameRegion(actual, expected));
    EXPECT_FALSE(SameRegion(actual, square));
    ::DeleteObject(actual);
    ::DeleteObject(expected);
    ::DeleteObject(square);

    // Without round corners a resize sets no new region.
    ::SetWindowRgn(m_hwnd, nullptr, FALSE);
    m_window->Manager().SetRoundCorner(0, 0);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HRGN none = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(::GetWindowRgn(m_hwnd, none), ERROR);
    ::DeleteObject(none);
}

TEST_F(WindowBase, EscapeClosesAndEndsTheLoop) {
    m_window->quitOnFinal = true;
    ::PostMessageW(m_hwnd, WM_KEYDOWN, VK_RETURN, 0);
    PumpUntil([] { return false; }, 50);
    EXPECT_TRUE(::IsWindow(m_hwnd));  // Return is not a close key

    ::PostMessageW(m_hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    bool quit = false;
    const DWORD start = ::GetTickCount();
    MSG msg = {};
    while (!quit && ::GetTickCount() - start < 3000) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
        if (msg.message == WM_QUIT) quit = true;
        else if (!CPaintManagerUI::TranslateMessage(&msg)) ::DispatchMessageW(&msg);
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(::IsWindow(m_hwnd));
    EXPECT_EQ(m_window->closeParam, static_cast<WPARAM>(IDOK));
    EXPECT_EQ(m_window->finalCalls, 1);
    EXPECT_EQ(m_window->GetHWND(), nullptr);
}

TEST_F(WindowBase, ShowModalReturnsTheCloseValue) {
    m_window->Close(7);
    EXPECT_EQ(m_window->ShowModal(), 7u);
    EXPECT_FALSE(::IsWindow(m_hwnd));
    EXPECT_EQ(m_window->finalCalls, 1);
}

TEST_F(WindowBase, ShowModalDisablesTheOwnerAndPassesQuitOn) {
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                   nullptr);
    ASSERT_NE(owner, nullptr);
    ::SetWindowLongPtrW(m_hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    // The quit request arrives while the modal loop runs, from a timer tick.
    g_ownerEnabledDuringLoop = TRUE;
    ::SetTimer(m_hwnd, 77, 10, &QuitFromTimer);

    EXPECT_EQ(m_window->ShowModal(), 0u);
    EXPECT_FALSE(g_ownerEnabledDuringLoop);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    MSG msg = {};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
    ::DestroyWindow(m_hwnd);
    ::DestroyWindow(owner);
}

TEST_F(WindowBase, SystemCloseArrivesAsCloseWithZero) {
    ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(m_window->closeParam, 0u);
    EXPECT_FALSE(::IsWindow(m_hwnd));
}

TEST_F(WindowBase, CenterWindowFollowsTheWorkArea) {
    m_window->CenterWindow();
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &info);
    const RECT work = info.rcWork;
    RECT rc = {};
    ::GetWindowRect(m_hwnd, &rc);
    EXPECT_EQ(rc.left, (work.left + work.right) / 2 - 360 / 2);
    EXPECT_EQ(rc.top, (work.top + work.bottom) / 2 - 310 / 2);
    EXPECT_EQ(rc.right - rc.left, 360);

    // Wider than the work area: clamped to its left edge.
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, work.right - work.left + 100, 100,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_window->CenterWindow();
    ::GetWindowRect(m_hwnd, &rc);
    EXPECT_EQ(rc.left, work.left);
}

TEST_F(WindowBase, DefaultClicksDriveTheWindow) {
    Click(L"minibtn");
    PumpUntil([] { return false; }, 20);
    EXPECT_FALSE(::IsIconic(m_hwnd));
    Click(L"minbtn");
    EXPECT_TRUE(PumpUntil([this] { return ::IsIconic(m_hwnd) != FALSE; }));
    // A minimised window keeps its region; restoring is by "restorebtn".
    Click(L"restorebtn");
    EXPECT_TRUE(PumpUntil([this] { return !::IsIconic(m_hwnd); }));

    Click(L"maxbtn");
    EXPECT_TRUE(PumpUntil([this] { return ::IsZoomed(m_hwnd) != FALSE; }));
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &info);
    RECT rc = {};
    ::GetWindowRect(m_hwnd, &rc);
    EXPECT_EQ(rc.right - rc.left, info.rcWork.right - info.rcWork.left);
    EXPECT_EQ(rc.bottom - rc.top, info.rcWork.bottom - info.rcWork.top);
    // Maximised, the size box no longer makes borders.
    RECT box = {4, 4, 4, 4};
    m_window->Manager().SetSizeBox(box);
    EXPECT_EQ(HitTest(1, 100), HTCLIENT);
    Click(L"restorebtn");
    EXPECT_TRUE(PumpUntil([this] { return !::IsZoomed(m_hwnd); }));

    Click(L"closebtn");
    EXPECT_TRUE(PumpUntil([this] { return !::IsWindow(m_hwnd); }));
    EXPECT_EQ(m_window->closeParam, static_cast<WPARAM>(IDOK));
}

TEST_F(WindowBase, SetIconGivesBothSizes) {
    m_window->SetIcon(129);
    const auto big = reinterpret_cast<HICON>(::SendMessageW(m_hwnd, WM_GETICON, ICON_BIG, 0));
    const auto small = reinterpret_cast<HICON>(::SendMessageW(m_hwnd, WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(big, nullptr);
    ASSERT_NE(small, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(::GetIconInfo(small, &info));
    BITMAP bm = {};
    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, ::GetSystemMetrics(SM_CXSMICON));
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);

    m_window->SetIcon(4242);  // no such icon: both are cleared, nothing fails
    EXPECT_EQ(::SendMessageW(m_hwnd, WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(WindowBase, MinMaxInfoComesFromTheWorkAreaAndSkin) {
    m_window->Manager().SetMinInfo(200, 150);
    MINMAXINFO mmi = {};
    ::SendMessageW(m_hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &info);
    EXPECT_EQ(mmi.ptMaxTrackSize.x, info.rcWork.right - info.rcWork.left);
    EXPECT_EQ(mmi.ptMaxTrackSize.y, info.rcWork.bottom - info.rcWork.top);
    EXPECT_EQ(mmi.ptMinTrackSize.x, 200);
    EXPECT_EQ(mmi.ptMinTrackSize.y, 150);
}

TEST_F(WindowBase, NonClientAreaIsLeftToTheSkin) {
    RECT rcs[3] = {{10, 20, 370, 330}, {}, {}};
    EXPECT_EQ(::SendMessageW(m_hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rcs[0])), 0);
    EXPECT_EQ(rcs[0].right, 370);  // not maximised: the client area is the window
    EXPECT_EQ(::SendMessageW(m_hwnd, WM_NCACTIVATE, 0, 0), TRUE);
    EXPECT_EQ(::SendMessageW(m_hwnd, WM_NCACTIVATE, 1, 0), FALSE);
}

}  // namespace
}  // namespace WindowTest
}  // namespace Facet
