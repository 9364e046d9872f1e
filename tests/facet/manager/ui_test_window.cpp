// The paint manager tests' window, probe controls and notifier.
#include "ui_test_window.h"

#include <algorithm>
#include <cstring>

#include "facet/render/gdi_handles.h"

namespace Facet {
namespace test {

namespace {

const wchar_t kWindowClass[] = L"FacetRuntimeTestWindow";

int g_destroyed = 0;

bool Overlaps(const RECT& a, const RECT& b) {
    RECT tmp;
    return ::IntersectRect(&tmp, &a, &b) != FALSE;
}

}  // namespace

RECT Place(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

// Probe control ----------------------------------------------------------------

CProbeControl::CProbeControl(const wchar_t* name, RECT place) {
    SetName(name);
    SetFixedXY(SIZE{place.left, place.top});
    SetFixedWidth(place.right - place.left);
    SetFixedHeight(place.bottom - place.top);
}

CProbeControl::~CProbeControl() { ++g_destroyed; }

void* CProbeControl::operator new(size_t size) { return ::operator new(size); }

void CProbeControl::operator delete(void* p, size_t size) {
    // Poisoned and never freed: a test process makes few controls.
    std::memset(p, 0xDD, size);
}

int CProbeControl::Destroyed() { return g_destroyed; }

const wchar_t* CProbeControl::GetClass() const { return className.c_str(); }

UINT CProbeControl::GetControlFlags() const { return flags; }

void CProbeControl::DoEvent(TEventUI& event) {
    events.push_back(SeenEvent{event.type, event.sender, event.mousePoint, event.keyChar,
                               event.keyState, event.wParam, event.lParam});
    if (onEvent && onEvent(event)) return;
    CControlUI::DoEvent(event);
}

void CProbeControl::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT part;
    if (!::IntersectRect(&part, &rcPaint, &GetPos())) return;
    paints.push_back(rcPaint);
    paintBitmaps.push_back(static_cast<HBITMAP>(::GetCurrentObject(hDC, OBJ_BITMAP)));
    CControlUI::DoPaint(hDC, rcPaint);
    if (onPaint) onPaint(hDC);
}

void CProbeControl::DoPostPaint(HDC /*hDC*/, const RECT& rcPaint) { postPaints.push_back(rcPaint); }

bool CProbeControl::Activate() {
    if (!CControlUI::Activate()) return false;
    ++activations;
    return true;
}

std::vector<int> CProbeControl::Types() const {
    std::vector<int> types;
    for (const SeenEvent& e : events) types.push_back(e.type);
    return types;
}

int CProbeControl::Count(int type) const {
    return static_cast<int>(std::count_if(events.begin(), events.end(),
                                          [type](const SeenEvent& e) { return e.type == type; }));
}

// Probe container --------------------------------------------------------------

CProbeContainer::CProbeContainer(const wchar_t* name, RECT place) : CProbeControl(name, place) {
    className = L"ProbeContainerUI";
}

CProbeContainer::~CProbeContainer() {
    std::vector<CControlUI*> children;
    children.swap(children_);
    for (CControlUI* child : children) delete child;
}

CControlUI* CProbeContainer::Add(CControlUI* child) {
    if (m_pManager) {
        m_pManager->InitControls(child, this);
    } else {
        child->SetManager(nullptr, this, false);
    }
    if (!IsVisible()) child->SetInternVisible(false);
    children_.push_back(child);
    NeedUpdate();
    return child;
}

bool CProbeContainer::Remove(CControlUI* child, bool delayed) {
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end()) return false;
    children_.erase(it);
    NeedUpdate();
    if (delayed && m_pManager) {
        m_pManager->AddDelayedCleanup(child);
    } else {
        delete child;
    }
    return true;
}

void CProbeContainer::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    for (CControlUI* child : children_) {
        if (!child->IsVisible()) continue;
        const SIZE xy = child->GetFixedXY();
        const LONG left = m_rcItem.left + xy.cx;
        const LONG top = m_rcItem.top + xy.cy;
        child->SetPos(RECT{left, top, left + child->GetFixedWidth(), top + child->GetFixedHeight()});
    }
}

void CProbeContainer::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    for (CControlUI* child : children_) child->SetManager(pManager, this, bInit);
    CControlUI::SetManager(pManager, pParent, bInit);
}

void CProbeContainer::SetVisible(bool bVisible) {
    if (m_bVisible == bVisible) return;
    CControlUI::SetVisible(bVisible);
    for (CControlUI* child : children_) child->SetInternVisible(IsVisible());
}

void CProbeContainer::SetInternVisible(bool bVisible) {
    CControlUI::SetInternVisible(bVisible);
    for (CControlUI* child : children_) child->SetInternVisible(IsVisible());
}

CControlUI* CProbeContainer::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) {
    if ((uFlags & FindVisible) && !IsVisible()) return nullptr;
    if ((uFlags & FindEnabled) && !IsEnabled()) return nullptr;
    if ((uFlags & FindHitTest) && !::PtInRect(&m_rcItem, *static_cast<POINT*>(pData))) {
        return nullptr;
    }
    if (uFlags & FindMeFirst) {
        if (CControlUI* found = CControlUI::FindControl(Proc, pData, uFlags)) return found;
    }
    // A copy: a callback may change the tree.
    const std::vector<CControlUI*> children = children_;
    if (uFlags & FindTopFirst) {
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if (CControlUI* found = (*it)->FindControl(Proc, pData, uFlags)) return found;
        }
    } else {
        for (CControlUI* child : children) {
            if (CControlUI* found = child->FindControl(Proc, pData, uFlags)) return found;
        }
    }
    if (uFlags & FindMeFirst) return nullptr;
    return CControlUI::FindControl(Proc, pData, uFlags);
}

void CProbeContainer::DoPaint(HDC hDC, const RECT& rcPaint) {
    CProbeControl::DoPaint(hDC, rcPaint);
    for (CControlUI* child : children_) {
        if (child->IsVisible() && Overlaps(child->GetPos(), rcPaint)) child->DoPaint(hDC, rcPaint);
    }
}

// Notifier ---------------------------------------------------------------------

void CNotifyRecorder::Notify(TNotifyUI& msg) {
    seen.push_back(SeenNotify{msg.type.GetData(), msg.sender, msg.wParam, msg.lParam,
                              msg.virtualWindow.GetData()});
    if (onNotify) onNotify(msg);
}

std::vector<std::wstring> CNotifyRecorder::Types() const {
    std::vector<std::wstring> types;
    for (const SeenNotify& n : seen) types.push_back(n.type);
    return types;
}

int CNotifyRecorder::Count(const wchar_t* type) const {
    return static_cast<int>(
        std::count_if(seen.begin(), seen.end(), [type](const SeenNotify& n) { return n.type == type; }));
}

// Window -----------------------------------------------------------------------

CTestWindow::CTestWindow(int width, int height, DWORD exStyle)
    : pm_(std::make_unique<CPaintManagerUI>()), width_(width), height_(height) {
    static const ATOM atom = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = WndProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kWindowClass;
        return ::RegisterClassExW(&wc);
    }();
    (void)atom;
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    // The display's real pointer must not lie over the window: it would send
    // mouse messages of its own.
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    hwnd_ = ::CreateWindowExW(exStyle, kWindowClass, L"runtime test", WS_POPUP | WS_VISIBLE, 0, 0,
                              width, height, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    pm_->Init(hwnd_);
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(hwnd_);
    Pump();
}

CTestWindow::~CTestWindow() {
    // As in the window base: the window goes first, its manager after it.
    ::DestroyWindow(hwnd_);
    Pump();
    pm_.reset();
}

LRESULT CALLBACK CTestWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CTestWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->pm_) {
        LRESULT result = 0;
        if (self->pm_->MessageHandler(msg, wParam, lParam, result)) return result;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

void CTestWindow::Attach(CControlUI* root) {
    pm_->AttachDialog(root);
    Paint();
}

void CTestWindow::Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) break;
        // The manager's mouse tracking makes Wine compare the display's real
        // pointer, which lies outside this window, and post a leave of its
        // own at a moment of its choosing. Only the test's leaves count.
        if (msg.message == WM_MOUSELEAVE) {
            if (postedLeaves_ == 0) continue;
            --postedLeaves_;
        }
        if (CPaintManagerUI::TranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void CTestWindow::Post(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_MOUSELEAVE) ++postedLeaves_;
    ::PostMessageW(hwnd_, msg, wParam, lParam);
    Pump();
}

void CTestWindow::PostMouse(UINT msg, int x, int y, WPARAM keys) {
    LPARAM lParam = MAKELPARAM(x, y);
    if (msg == WM_MOUSEWHEEL || msg == WM_CONTEXTMENU) {
        POINT screen = {x, y};
        ::ClientToScreen(hwnd_, &screen);
        lParam = MAKELPARAM(screen.x, screen.y);
    }
    Post(msg, keys, lParam);
}

void CTestWindow::PressKey(UINT vk) {
    ::PostMessageW(hwnd_, WM_KEYDOWN, vk, 1);
    Pump();
    ::PostMessageW(hwnd_, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001));
    Pump();
}

void CTestWindow::Paint() {
    Pump();
    ::UpdateWindow(hwnd_);
    Pump();
}

RECT CTestWindow::UpdateRect() const {
    RECT rc = {0, 0, 0, 0};
    ::GetUpdateRect(hwnd_, &rc, FALSE);
    return rc;
}

std::vector<std::uint32_t> CTestWindow::Capture() const {
    void* bits = nullptr;
    HDC screen = ::GetDC(hwnd_);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP dib = Facet::CreateTopDownDib32(screen, width_, height_, &bits);
    HGDIOBJ old = ::SelectObject(memory, dib);
    ::BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY);
    ::GdiFlush();
    std::vector<std::uint32_t> pixels(static_cast<std::uint32_t*>(bits),
                                      static_cast<std::uint32_t*>(bits) + width_ * height_);
    for (std::uint32_t& p : pixels) p &= 0x00FFFFFF;
    ::SelectObject(memory, old);
    ::DeleteObject(dib);
    ::DeleteDC(memory);
    ::ReleaseDC(hwnd_, screen);
    return pixels;
}

std::uint32_t CTestWindow::PixelAt(int x, int y) const {
    return Capture()[static_cast<size_t>(y) * width_ + x];
}

// Canvas -----------------------------------------------------------------------

CCanvasDc::CCanvasDc(int width, int height) : width_(width) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = ::CreateCompatibleDC(nullptr);
    bitmap_ = ::CreateDIBSection(dc_, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<std::uint32_t*>(bits);
    old_ = ::SelectObject(dc_, bitmap_);
}

CCanvasDc::~CCanvasDc() {
    ::SelectObject(dc_, old_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(dc_);
}

// Keys -----------------------------------------------------------------------

CKeyDown::CKeyDown(BYTE vk) : vk_(vk) {
    BYTE state[256];
    ::GetKeyboardState(state);
    state[vk_] |= 0x80;
    ::SetKeyboardState(state);
}

CKeyDown::~CKeyDown() {
    BYTE state[256];
    ::GetKeyboardState(state);
    state[vk_] &= static_cast<BYTE>(~0x80);
    ::SetKeyboardState(state);
}

}  // namespace test
}  // namespace Facet
