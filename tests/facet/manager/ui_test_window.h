// What the paint manager's tests run on: a real popup window whose messages go
// through its paint manager, test-only controls that record what reaches them
// (a leaf and a minimal container, until the real containers are used), and a
// notifier that records notifications.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "facet/controls/control_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {
namespace test {

// One event as a control received it.
struct SeenEvent {
    int type;
    CControlUI* sender;
    POINT point;
    wchar_t keyChar;
    WORD keyState;
    WPARAM wParam;
    LPARAM lParam;
};

// A leaf control that records its events and paints, with flags, class name
// and an event hook chosen by the test.
//
// A deleted probe's memory is never handed out again: it is filled with 0xDD
// and kept, so that any later call through a stale pointer to it (virtual or
// not) faults at once instead of quietly using reused memory.
class CProbeControl : public CControlUI {
public:
    explicit CProbeControl(const wchar_t* name = L"", RECT place = RECT{0, 0, 0, 0});
    ~CProbeControl() override;

    static void* operator new(size_t size);
    static void operator delete(void* p, size_t size);
    // How many probes were destroyed so far.
    static int Destroyed();

    const wchar_t* GetClass() const override;
    UINT GetControlFlags() const override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void DoPostPaint(HDC hDC, const RECT& rcPaint) override;
    bool Activate() override;

    // Event types in the order received.
    std::vector<int> Types() const;
    int Count(int type) const;
    void Clear() { events.clear(); }

    std::vector<SeenEvent> events;
    std::vector<RECT> paints;           // rcPaint of each DoPaint that drew
    std::vector<HBITMAP> paintBitmaps;  // the bitmap selected in the DC then
    std::vector<RECT> postPaints;
    int activations = 0;
    UINT flags = 0;
    std::wstring className = L"ProbeUI";
    // Called from DoEvent before the base handling; return true to stop it.
    std::function<bool(TEventUI&)> onEvent;
    // Called after the base DoPaint.
    std::function<void(HDC)> onPaint;
};

// A container that places every child at its fixed XY and size inside
// itself, searches and paints them the way containers do, and owns them.
class CProbeContainer : public CProbeControl {
public:
    explicit CProbeContainer(const wchar_t* name = L"", RECT place = RECT{0, 0, 0, 0});
    ~CProbeContainer() override;

    // Appends and (with a manager) initialises the child; returns it.
    CControlUI* Add(CControlUI* child);
    // Takes the child out; delayed: through the manager's clean-up.
    bool Remove(CControlUI* child, bool delayed);
    int ChildCount() const { return static_cast<int>(children_.size()); }

    void SetPos(RECT rc) override;
    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

private:
    std::vector<CControlUI*> children_;
};

// A probe placed at (x, y) with size (w, h) inside its container.
RECT Place(int x, int y, int w, int h);

struct SeenNotify {
    std::wstring type;
    CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
    std::wstring virtualWindow;
};

class CNotifyRecorder : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override;
    std::vector<std::wstring> Types() const;
    int Count(const wchar_t* type) const;

    std::vector<SeenNotify> seen;
    std::function<void(TNotifyUI&)> onNotify;
};

// A visible popup at the screen's top-left whose messages go to its paint
// manager first. Messages are pumped the way the framework's loop does.
class CTestWindow {
public:
    CTestWindow(int width = 200, int height = 150, DWORD exStyle = 0);
    ~CTestWindow();
    CTestWindow(const CTestWindow&) = delete;
    CTestWindow& operator=(const CTestWindow&) = delete;

    HWND Hwnd() const { return hwnd_; }
    CPaintManagerUI& Pm() { return *pm_; }
    // Attaches the root and lays out and paints once.
    void Attach(CControlUI* root);
    // Runs every queued message through TranslateMessage and dispatch.
    void Pump();
    // Posts, then pumps.
    void Post(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    void PostMouse(UINT msg, int x, int y, WPARAM keys = 0);
    // A key press as the system queues it: WM_KEYDOWN and WM_KEYUP; the
    // pump's TranslateMessage makes the WM_CHAR of a character key.
    void PressKey(UINT vk);
    // Paints now whatever is invalid.
    void Paint();
    // Region of the window still waiting to be painted.
    RECT UpdateRect() const;
    // The client area as the screen shows it, 0x00RRGGBB per pixel.
    std::vector<std::uint32_t> Capture() const;
    std::uint32_t PixelAt(int x, int y) const;
    // Destroys the manager early (its window stays).
    void DestroyManager() { pm_.reset(); }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    std::unique_ptr<CPaintManagerUI> pm_;
    int width_;
    int height_;
    int postedLeaves_ = 0;  // WM_MOUSELEAVE posted by the test, not yet pumped
};

// A 32-bit top-down DIB section in a memory DC, for drawing tests.
class CCanvasDc {
public:
    CCanvasDc(int width, int height);
    ~CCanvasDc();
    CCanvasDc(const CCanvasDc&) = delete;
    CCanvasDc& operator=(const CCanvasDc&) = delete;
    HDC Dc() const { return dc_; }
    // 0x00RRGGBB.
    std::uint32_t Rgb(int x, int y) const { return bits_[y * width_ + x] & 0x00FFFFFF; }

private:
    int width_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

// Keyboard state for modifier tests: the key counts as down until the object
// goes.
class CKeyDown {
public:
    explicit CKeyDown(BYTE vk);
    ~CKeyDown();

private:
    BYTE vk_;
};

}  // namespace test
}  // namespace Facet
