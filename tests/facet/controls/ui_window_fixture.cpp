// The window the controls' tests run on. Its procedure hands every message
// to the fixture's paint manager first, as the window base does.
#include "ui_window_fixture.h"

#include <cwchar>
#include <ostream>

namespace Facet {
namespace test {

namespace {

constexpr wchar_t kWindowClass[] = L"FacetControlsTestWindow";

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* pm = reinterpret_cast<CPaintManagerUI*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (pm) {
        LRESULT result = 0;
        if (pm->MessageHandler(msg, wParam, lParam, result)) return result;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterTestWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        // Double clicks reach the window as WM_LBUTTONDBLCLK.
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kWindowClass;
        return ::RegisterClassExW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
}

LPARAM PackPoint(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

}  // namespace

void CNotifyRecorder::Notify(TNotifyUI& msg) {
    seen.push_back(SeenNotify{std::wstring(msg.type.GetData()), msg.sender, msg.wParam, msg.lParam});
    if (onNotify) onNotify(msg);
}

int CNotifyRecorder::Count(const wchar_t* type) const {
    int n = 0;
    for (const SeenNotify& s : seen) n += s.type == type ? 1 : 0;
    return n;
}

int CNotifyRecorder::Count(const wchar_t* type, CControlUI* sender) const {
    int n = 0;
    for (const SeenNotify& s : seen) n += (s.type == type && s.sender == sender) ? 1 : 0;
    return n;
}

CRecordingControl::CRecordingControl(bool* destroyed, const wchar_t* extraInterface)
    : m_destroyed(destroyed), m_extraInterface(extraInterface) {
    if (m_destroyed) *m_destroyed = false;
}

CRecordingControl::~CRecordingControl() {
    if (m_destroyed) *m_destroyed = true;
}

LPVOID CRecordingControl::GetInterface(const wchar_t* pstrName) {
    if (m_extraInterface && pstrName && std::wcscmp(pstrName, m_extraInterface) == 0) return this;
    return CControlUI::GetInterface(pstrName);
}

void CRecordingControl::DoEvent(TEventUI& event) {
    types.push_back(event.type);
    CControlUI::DoEvent(event);
}

int CRecordingControl::Count(int type) const {
    int n = 0;
    for (int t : types) n += t == type ? 1 : 0;
    return n;
}

void UiWindowTest::SetUp() {
    RegisterTestWindowClass();
    // The display's real pointer must not lie over the window (a test may
    // have moved it there): it would send mouse messages of its own.
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    hwnd = ::CreateWindowExW(WS_EX_TOPMOST, kWindowClass, L"Facet controls test", WS_POPUP, 0, 0,
                             kWidth, kHeight, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                             nullptr);
    ASSERT_NE(hwnd, nullptr);
    pm = std::make_unique<CPaintManagerUI>();
    pm->Init(hwnd);
    pm->AddNotifier(&notes);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pm.get()));
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetForegroundWindow(hwnd);
    Pump();
}

void UiWindowTest::TearDown() {
    if (hwnd) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    pm.reset();
    if (hwnd) ::DestroyWindow(hwnd);
    hwnd = nullptr;
    Pump();
}

void UiWindowTest::Repaint() {
    ::InvalidateRect(hwnd, nullptr, FALSE);
    Flush();
}

void UiWindowTest::Flush() {
    Pump();
    ::UpdateWindow(hwnd);
    Pump();
}

void UiWindowTest::Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // The manager's mouse tracking makes Wine compare the display's real
        // pointer, which lies outside this window, and post a leave of its
        // own at a moment of its choosing; these tests post every mouse
        // message themselves.
        if (msg.message == WM_MOUSELEAVE) continue;
        if (CPaintManagerUI::TranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void UiWindowTest::PumpFor(DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        Pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    Pump();
}

void UiWindowTest::MouseMove(int x, int y) {
    ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, PackPoint(x, y));
    Pump();
}

void UiWindowTest::LButtonDown(int x, int y) {
    ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(x, y));
    Pump();
}

void UiWindowTest::LButtonUp(int x, int y) {
    ::PostMessageW(hwnd, WM_LBUTTONUP, 0, PackPoint(x, y));
    Pump();
}

void UiWindowTest::Click(int x, int y) {
    MouseMove(x, y);
    LButtonDown(x, y);
    LButtonUp(x, y);
}

void UiWindowTest::DoubleClick(int x, int y) {
    Click(x, y);
    ::PostMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, PackPoint(x, y));
    Pump();
    LButtonUp(x, y);
}

void UiWindowTest::Wheel(int x, int y, int delta) {
    POINT pt = {x, y};
    ::ClientToScreen(hwnd, &pt);
    ::PostMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                   PackPoint(pt.x, pt.y));
    Pump();
}

void UiWindowTest::Key(WPARAM vk) {
    ::PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
    ::PostMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
    Pump();
}

void UiWindowTest::RightClick(int x, int y) {
    MouseMove(x, y);
    ::PostMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, PackPoint(x, y));
    ::PostMessageW(hwnd, WM_RBUTTONUP, 0, PackPoint(x, y));
    POINT pt = {x, y};
    ::ClientToScreen(hwnd, &pt);
    ::PostMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), PackPoint(pt.x, pt.y));
    Pump();
}

std::unique_ptr<CCanvas> UiWindowTest::Snapshot() {
    Flush();
    auto canvas = std::make_unique<CCanvas>(kWidth, kHeight, 0xFF00FF00);
    ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas->Dc()), PRF_CLIENT);
    return canvas;
}

std::unique_ptr<CCanvas> UiWindowTest::ScreenShot() {
    Flush();
    auto canvas = std::make_unique<CCanvas>(kWidth, kHeight, 0xFF00FF00);
    HDC screen = ::GetDC(hwnd);
    ::BitBlt(canvas->Dc(), 0, 0, kWidth, kHeight, screen, 0, 0, SRCCOPY);
    ::ReleaseDC(hwnd, screen);
    return canvas;
}

void AddSolidImage(CPaintManagerUI& pm, const wchar_t* name, std::uint32_t argb, int size) {
    std::vector<std::uint32_t> pixels(static_cast<size_t>(size) * size, argb);
    HBITMAP bitmap = MakeDib32(size, size, pixels);
    ASSERT_NE(bitmap, nullptr);
    if (!pm.AddImage(name, bitmap, size, size, false)) ::DeleteObject(bitmap);
}

}  // namespace test
}  // namespace Facet

void PrintTo(const RECT& rc, std::ostream* os) {
    *os << "{" << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom << "}";
}
