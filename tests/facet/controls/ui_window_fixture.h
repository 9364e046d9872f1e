// The controls' tests run on a real popup window whose messages go through a
// paint manager, as in the program. The fixture attaches a control tree,
// posts what a user's mouse and keyboard would cause, pumps the queue, and
// reads back notifications and painted pixels.
#pragma once

#include <windows.h>

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "facet/controls/control_ui.h"
#include "facet/manager/paint_manager_ui.h"
#include "render_test_support.h"

namespace Facet {
namespace test {

// One notification as the window's notifier saw it.
struct SeenNotify {
    std::wstring type;
    CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
};

class CNotifyRecorder : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override;
    int Count(const wchar_t* type) const;
    int Count(const wchar_t* type, CControlUI* sender) const;
    void Clear() { seen.clear(); }

    std::vector<SeenNotify> seen;
    // Runs after recording, e.g. to act on a "click" as an application would.
    std::function<void(TNotifyUI&)> onNotify;
};

// A plain control that records the event types reaching its DoEvent (before
// passing them on as the base does), tells when it is destroyed, and can
// answer one extra interface name (such as "ListItem").
class CRecordingControl : public CControlUI {
public:
    explicit CRecordingControl(bool* destroyed = nullptr, const wchar_t* extraInterface = nullptr);
    ~CRecordingControl() override;
    LPVOID GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    int Count(int type) const;

    std::vector<int> types;

private:
    bool* m_destroyed;
    const wchar_t* m_extraInterface;
};

class UiWindowTest : public ::testing::Test {
protected:
    // The size of the program's main window.
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 310;

    void SetUp() override;
    void TearDown() override;

    // Hands the tree to the manager and lays it out with a first paint.
    template <class T>
    T* Attach(T* root) {
        pm->AttachDialog(root);
        Repaint();
        return root;
    }
    // Invalidates the whole window and paints it (layout included).
    void Repaint();
    // Paints whatever is invalid, as the next WM_PAINT would.
    void Flush();
    // Dispatches every queued message (WM_PAINT and due timers included),
    // through the framework's pre-translation like its message loop.
    void Pump();
    // Pumps for about `ms` milliseconds, so that native timers fire.
    void PumpFor(DWORD ms);
    // Pumps until `done` holds or `limitMs` passed. Timer-driven results wait
    // on this rather than on a fixed time: a loaded machine delivers late.
    template <typename Done>
    bool PumpUntil(Done done, DWORD limitMs = 3000) {
        const DWORD start = ::GetTickCount();
        while (!done() && ::GetTickCount() - start < limitMs) PumpFor(10);
        return done();
    }

    void MouseMove(int x, int y);
    void LButtonDown(int x, int y);
    void LButtonUp(int x, int y);
    void Click(int x, int y);
    void DoubleClick(int x, int y);
    // Positive delta rolls away from the user.
    void Wheel(int x, int y, int delta);
    void Key(WPARAM vk);
    void RightClick(int x, int y);

    // What the manager paints for the whole client area, through
    // WM_PRINTCLIENT into a memory canvas.
    std::unique_ptr<CCanvas> Snapshot();
    // What the window shows on the display.
    std::unique_ptr<CCanvas> ScreenShot();

    HWND hwnd = nullptr;
    std::unique_ptr<CPaintManagerUI> pm;
    CNotifyRecorder notes;
};

// A solid image of the given colour (opaque 0xFFRRGGBB) added to the
// manager's table under `name`.
void AddSolidImage(CPaintManagerUI& pm, const wchar_t* name, std::uint32_t argb, int size = 8);

}  // namespace test
}  // namespace Facet

// Rectangles compare and print by value in assertions; both live beside RECT
// so that GoogleTest finds them.
inline bool operator==(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }
void PrintTo(const RECT& rc, std::ostream* os);
