// Drives the real tool from outside, as a user would: starts one of its
// executables as a separate process (with a simulated drive table when
// given), finds its window, posts input to it, reads what it shows on the
// display, and waits for the process to end.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace app_test {

// The pixels of a screen rectangle, 0x00RRGGBB, row by row from the top.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Writes a 24-bit BMP file for a person to look at.
    bool SaveBmp(const std::wstring& path) const;
};

class ToolProcess {
public:
    // exe: a file name beside the test program. drives: a drive table file
    // for the simulation build, or empty to leave VARQO_SIM_DRIVES unset.
    ToolProcess(const std::wstring& exe, const std::wstring& drives = L"");
    ~ToolProcess();
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    // The tool's main window once it is shown and painted; null on timeout.
    HWND Window() const { return m_hwnd; }
    bool Running() const;
    // Waits for the process to end; its exit code, or -1 on timeout.
    int WaitExit(DWORD ms = 10000);
    // Ends the process at once, as the system does when a session ends.
    void Kill();

    // A left click at a point of the window's client area.
    void Click(int x, int y);
    void KeyDown(WPARAM vk);
    // A key typed on the keyboard (through the system's input queue, to the
    // window that has the keyboard focus), with Shift or Alt held when given.
    void Type(WORD vk, WORD modifier = 0);
    // The window's client area as it is on the display.
    Capture Shot() const;

    // A visible window of the process of that class (a message box is
    // "#32770", the combo's drop-down "ComboWnd"), waiting up to `ms`.
    HWND WaitWindow(const wchar_t* windowClass, DWORD ms = 5000) const;
    HWND WaitBox(DWORD ms = 5000) const { return WaitWindow(L"#32770", ms); }

private:
    PROCESS_INFORMATION m_pi = {};
    HWND m_hwnd = nullptr;
};

// A message box's text and caption, and pressing one of its buttons (IDOK,
// IDYES, IDNO) by id, as the buttons' texts differ by language.
std::wstring BoxText(HWND box);
std::wstring WindowText(HWND hwnd);
void PressBoxButton(HWND box, int id);

// UTF-8 text as UTF-16, and an environment variable's value (empty when unset).
std::wstring Wide(const std::string& utf8);
std::wstring Env(const wchar_t* name);

// A folder beside the test program where screenshots go.
std::wstring ScreenFolder();
// Lets posted input and repaints settle.
void Settle(DWORD ms = 300);

}  // namespace app_test
