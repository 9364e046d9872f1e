// The manager's look-ups and window-level services: names, points and
// classes over the tree, default attribute lists, option groups, opacity,
// the hover tooltip, reflection of native child notifications, and the
// message loop itself.
#include "runtime_fixture.h"

namespace Facet {
namespace test {
namespace {

class Settings : public RuntimeFixture {};

TEST_F(Settings, NamesResolveExactlyThroughTheMapAndIgnoringCaseThroughTheTree) {
    EXPECT_EQ(win.Pm().FindControl(L"a"), a);
    EXPECT_EQ(win.Pm().FindControl(L"A"), nullptr);
    EXPECT_EQ(win.Pm().FindControl(L"nobody"), nullptr);
    EXPECT_EQ(win.Pm().FindControl(static_cast<const wchar_t*>(nullptr)), nullptr);
    EXPECT_EQ(win.Pm().FindSubControlByName(nullptr, L"B"), b);
    EXPECT_EQ(win.Pm().FindSubControlByName(a, L"b"), nullptr);
    // SetName does not touch the map.
    a->SetName(L"renamed");
    EXPECT_EQ(win.Pm().FindControl(L"a"), a);
    EXPECT_EQ(win.Pm().FindControl(L"renamed"), nullptr);
}

TEST_F(Settings, ClassSearchesCountInTraversalOrder) {
    a->className = L"ButtonUI";
    b->className = L"ButtonUI";
    EXPECT_EQ(win.Pm().FindSubControlByClass(nullptr, L"ButtonUI", 0), a);
    EXPECT_EQ(win.Pm().FindSubControlByClass(nullptr, L"ButtonUI", 1), b);
    EXPECT_EQ(win.Pm().FindSubControlByClass(nullptr, L"ButtonUI", 2), nullptr);
    EXPECT_EQ(win.Pm().FindSubControlByClass(nullptr, L"Button", 0), nullptr);
    EXPECT_EQ(win.Pm().FindSubControlByClass(nullptr, L"buttonui", 0), nullptr);
    EXPECT_EQ(win.Pm().FindSubControlByClass(nullptr, L"*", 2), root);  // children first
    EXPECT_EQ(win.Pm().FindSubControlByClass(nullptr, L"ButtonUI", -1), nullptr);

    CStdPtrArray* all = win.Pm().FindSubControlsByClass(nullptr, L"*");
    ASSERT_EQ(all->GetSize(), 3);
    EXPECT_EQ(all->GetAt(0), a);
    EXPECT_EQ(win.Pm().GetSubControlsByClass(), all);
    EXPECT_EQ(win.Pm().FindSubControlsByClass(root, L"LabelUI")->GetSize(), 0);
}

TEST_F(Settings, PointsFindTheTopmostVisibleControl) {
    auto* over = Add(new CProbeControl(L"over", Place(0, 0, 30, 30)));
    win.Paint();
    EXPECT_EQ(win.Pm().FindControl(POINT{15, 15}), over);
    over->SetVisible(false);
    EXPECT_EQ(win.Pm().FindControl(POINT{15, 15}), a);
    EXPECT_EQ(win.Pm().FindControl(POINT{500, 500}), nullptr);
    EXPECT_EQ(win.Pm().FindSubControlByPoint(a, POINT{80, 20}), nullptr);
}

TEST_F(Settings, TheFirstDefaultAttributeListStaysAndParentsAreAsked) {
    CPaintManagerUI& pm = win.Pm();
    pm.AddDefaultAttributeList(L"Button", L"width=\"1\"");
    pm.AddDefaultAttributeList(L"Button", L"width=\"2\"");
    EXPECT_STREQ(pm.GetDefaultAttributeList(L"Button"), L"width=\"1\"");
    EXPECT_EQ(pm.GetDefaultAttributeList(L"Label"), nullptr);

    CPaintManagerUI child;
    ASSERT_TRUE(child.UseParentResource(&pm));
    EXPECT_STREQ(child.GetDefaultAttributeList(L"Button"), L"width=\"1\"");
    child.AddDefaultAttributeList(L"Button", L"width=\"3\"");
    EXPECT_STREQ(child.GetDefaultAttributeList(L"Button"), L"width=\"3\"");
    EXPECT_FALSE(pm.UseParentResource(&child));  // no cycles

    EXPECT_TRUE(pm.RemoveDefaultAttributeList(L"Button"));
    EXPECT_FALSE(pm.RemoveDefaultAttributeList(L"Button"));
    pm.AddDefaultAttributeList(L"Button", L"width=\"4\"");
    EXPECT_STREQ(pm.GetDefaultAttributeList(L"Button"), L"width=\"4\"");
    EXPECT_EQ(pm.GetDefaultAttribultes().GetSize(), 1);
    pm.RemoveAllDefaultAttributeList();
    EXPECT_EQ(pm.GetDefaultAttributeList(L"Button"), nullptr);
}

TEST_F(Settings, OptionGroupsHoldEachControlOnceAndVanishWhenEmpty) {
    CPaintManagerUI& pm = win.Pm();
    EXPECT_TRUE(pm.AddOptionGroup(L"g", a));
    EXPECT_FALSE(pm.AddOptionGroup(L"g", a));
    EXPECT_TRUE(pm.AddOptionGroup(L"g", b));
    ASSERT_NE(pm.GetOptionGroup(L"g"), nullptr);
    EXPECT_EQ(pm.GetOptionGroup(L"g")->GetSize(), 2);
    pm.RemoveOptionGroup(L"g", a);
    pm.RemoveOptionGroup(L"g", a);
    EXPECT_EQ(pm.GetOptionGroup(L"g")->GetSize(), 1);
    pm.RemoveOptionGroup(L"g", b);
    EXPECT_EQ(pm.GetOptionGroup(L"g"), nullptr);
    pm.AddOptionGroup(L"h", a);
    pm.RemoveAllOptionGroups();
    EXPECT_EQ(pm.GetOptionGroup(L"h"), nullptr);
}

TEST_F(Settings, OpacityOutsideTheRangeIsClampedAndTurnsLayeringOff) {
    win.Pm().SetTransparent(128);
    EXPECT_EQ(win.Pm().GetTransparent(), 128);
    EXPECT_NE(::GetWindowLongPtrW(win.Hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    BYTE alpha = 0;
    DWORD flags = 0;
    if (::GetLayeredWindowAttributes(win.Hwnd(), nullptr, &alpha, &flags)) {
        EXPECT_EQ(alpha, 128);
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    }
    win.Pm().SetTransparent(300);
    EXPECT_EQ(win.Pm().GetTransparent(), 255);
    EXPECT_EQ(::GetWindowLongPtrW(win.Hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    win.Pm().SetTransparent(-4);
    EXPECT_EQ(win.Pm().GetTransparent(), 0);

    CPaintManagerUI windowless;
    windowless.SetTransparent(90);
    EXPECT_EQ(windowless.GetTransparent(), 90);
}

TEST_F(Settings, HoverShowsTheTooltipOfTheControlUnderTheMouse) {
    a->SetToolTip(L"first<n>second");
    win.PostMouse(WM_MOUSEMOVE, 20, 20);
    LRESULT result = 0;
    EXPECT_TRUE(win.Pm().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(20, 20), result));
    EXPECT_EQ(a->Count(EventMouseHover), 1);
    HWND tip = win.Pm().GetTooltipWindow();
    ASSERT_NE(tip, nullptr);
    wchar_t className[64] = {};
    ::GetClassNameW(tip, className, 64);
    EXPECT_STREQ(className, TOOLTIPS_CLASSW);
    EXPECT_EQ(::GetWindowLongPtrW(tip, GWL_STYLE) & (TTS_NOPREFIX | TTS_ALWAYSTIP),
              TTS_NOPREFIX | TTS_ALWAYSTIP);
    EXPECT_EQ(::SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 300);

    // b has no tooltip: handled, and the one window is kept.
    win.PostMouse(WM_MOUSEMOVE, 80, 20);
    EXPECT_TRUE(win.Pm().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(80, 20), result));
    EXPECT_EQ(win.Pm().GetTooltipWindow(), tip);
    // Nothing under the point: not handled.
    CProbeContainer* top = root;
    top->SetMouseEnabled(false);
    EXPECT_FALSE(win.Pm().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(150, 120), result));
}

// A native child that answers reflected notifications.
LRESULT CALLBACK ReflectingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == 0x2000 + WM_NOTIFY) return 1234;
    if (msg == 0x2000 + WM_COMMAND) return 5678;
    if (msg == 0x2000 + WM_CTLCOLORSTATIC) return 91;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST_F(Settings, NativeChildNotificationsAreReflectedToTheirSender) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ReflectingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"FacetReflectingChild";
    ::RegisterClassW(&wc);
    HWND child = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD, 0, 0, 5, 5, win.Hwnd(),
                                   nullptr, wc.hInstance, nullptr);
    ASSERT_NE(child, nullptr);
    NMHDR header = {child, 1, 0};
    LRESULT result = 0;
    EXPECT_TRUE(win.Pm().MessageHandler(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&header), result));
    EXPECT_EQ(result, 1234);
    EXPECT_TRUE(win.Pm().MessageHandler(WM_NOTIFY, 1, 0, result));
    EXPECT_TRUE(win.Pm().MessageHandler(WM_COMMAND, 1, reinterpret_cast<LPARAM>(child), result));
    EXPECT_EQ(result, 5678);
    EXPECT_FALSE(win.Pm().MessageHandler(WM_COMMAND, 1, 0, result));
    EXPECT_TRUE(win.Pm().MessageHandler(WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(child), result));
    EXPECT_EQ(result, 91);
    ::DestroyWindow(child);
}

TEST_F(Settings, AttachingTheAttachedRootAgainKeepsIt) {
    const int destroyed = CProbeControl::Destroyed();
    EXPECT_TRUE(win.Pm().AttachDialog(root));
    win.Paint();
    EXPECT_EQ(CProbeControl::Destroyed(), destroyed);
    EXPECT_EQ(win.Pm().GetRoot(), root);
    EXPECT_EQ(root->GetManager(), &win.Pm());
    EXPECT_EQ(notes.Count(L"windowinit"), 2);
    EXPECT_FALSE(win.Pm().AttachDialog(nullptr));
    win.Paint();  // without a root: painting only validates
    EXPECT_EQ(CProbeControl::Destroyed(), destroyed + 3);
}

TEST_F(Settings, TheMessageLoopPreTranslatesUntilQuit) {
    ::PostMessageW(win.Hwnd(), WM_KEYDOWN, VK_TAB, 1);
    ::PostQuitMessage(0);
    CPaintManagerUI::MessageLoop();
    EXPECT_EQ(win.Pm().GetFocus(), b);
}

}  // namespace
}  // namespace test
}  // namespace Facet
