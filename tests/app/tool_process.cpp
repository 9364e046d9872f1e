// ToolProcess: CreateProcessW with its own environment block, the window
// found by its class, posted mouse and key messages, and screen captures
// through a DIB section.
#include "tool_process.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace app_test {
namespace {

constexpr wchar_t kWindowClass[] = L"VarqoCFAT32";

std::wstring BesideTestProgram(const std::wstring& name) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder + name;
}

// The current environment with VARQO_SIM_DRIVES set (or removed).
std::vector<wchar_t> Environment(const std::wstring& drives) {
    std::vector<wchar_t> block;
    const wchar_t* env = ::GetEnvironmentStringsW();
    for (const wchar_t* p = env; *p; p += std::wcslen(p) + 1) {
        if (_wcsnicmp(p, L"VARQO_SIM_DRIVES=", 17) == 0) continue;
        block.insert(block.end(), p, p + std::wcslen(p) + 1);
    }
    ::FreeEnvironmentStringsW(const_cast<wchar_t*>(env));
    if (!drives.empty()) {
        const std::wstring entry = L"VARQO_SIM_DRIVES=" + drives;
        block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    }
    block.push_back(L'\0');
    return block;
}

}  // namespace

// Messages are pumped meanwhile: a test that hooks WinEvents hears them as
// they come.
void Settle(DWORD ms) {
    const DWORD start = ::GetTickCount();
    for (DWORD spent = 0; spent < ms; spent = ::GetTickCount() - start) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

std::wstring ScreenFolder() {
    const std::wstring folder = BesideTestProgram(L"app-screens\\");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

ToolProcess::ToolProcess(const std::wstring& exe, const std::wstring& drives) {
    std::wstring command = L"\"" + BesideTestProgram(exe) + L"\"";
    std::vector<wchar_t> env = Environment(drives);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                          env.data(), nullptr, &si, &m_pi)) {
        m_pi = {};
        return;
    }
    // Visible: the tool shows its window after the first layout.
    m_hwnd = WaitWindow(kWindowClass, 10000);
    Settle(500);
}

ToolProcess::~ToolProcess() {
    if (!m_pi.hProcess) return;
    if (Running()) {
        ::TerminateProcess(m_pi.hProcess, 99);
        ::WaitForSingleObject(m_pi.hProcess, 5000);
    }
    ::CloseHandle(m_pi.hThread);
    ::CloseHandle(m_pi.hProcess);
}

void ToolProcess::Kill() {
    if (Running()) {
        ::TerminateProcess(m_pi.hProcess, 99);
        ::WaitForSingleObject(m_pi.hProcess, 5000);
    }
}

bool ToolProcess::Running() const {
    return m_pi.hProcess && ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

int ToolProcess::WaitExit(DWORD ms) {
    if (!m_pi.hProcess || ::WaitForSingleObject(m_pi.hProcess, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(m_pi.hProcess, &code);
    return static_cast<int>(code);
}

void ToolProcess::Click(int x, int y) {
    ::PostMessageW(m_hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    ::PostMessageW(m_hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::PostMessageW(m_hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Settle();
}

void ToolProcess::KeyDown(WPARAM vk) {
    ::PostMessageW(m_hwnd, WM_KEYDOWN, vk, 0);
    Settle();
}

void ToolProcess::Type(WORD vk, WORD modifier) {
    std::vector<INPUT> keys;
    auto key = [&keys](WORD code, bool up) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = code;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        keys.push_back(in);
    };
    if (modifier) key(modifier, false);
    key(vk, false);
    key(vk, true);
    if (modifier) key(modifier, true);
    ::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    Settle();
}

Capture ToolProcess::Shot() const {
    Capture shot;
    RECT rc = {};
    ::GetClientRect(m_hwnd, &rc);
    ::MapWindowPoints(m_hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    shot.width = rc.right - rc.left;
    shot.height = rc.bottom - rc.top;
    if (shot.width <= 0 || shot.height <= 0) return shot;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, shot.width, shot.height, screen, rc.left, rc.top, SRCCOPY);
    ::GdiFlush();
    const auto* px = static_cast<const std::uint32_t*>(bits);
    shot.pixels.assign(px, px + static_cast<size_t>(shot.width) * shot.height);
    for (std::uint32_t& p : shot.pixels) p &= 0x00FFFFFF;
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return shot;
}

HWND ToolProcess::WaitWindow(const wchar_t* windowClass, DWORD ms) const {
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND hwnd = nullptr;
        while ((hwnd = ::FindWindowExW(nullptr, hwnd, windowClass, nullptr)) != nullptr) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == m_pi.dwProcessId && ::IsWindowVisible(hwnd)) return hwnd;
        }
        if (::GetTickCount() - start >= ms) return nullptr;
        Settle(20);
    }
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[512] = {};
    ::GetWindowTextW(hwnd, text, 512);
    return text;
}

std::wstring BoxText(HWND box) {
    // The message is the box's static text control.
    return WindowText(::GetDlgItem(box, 0xFFFF));
}

void PressBoxButton(HWND box, int id) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    Settle();
}

bool Capture::SaveBmp(const std::wstring& path) const {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + stride * height;
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) return false;
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&header, sizeof(header), 1, out);
    std::vector<unsigned char> row(stride, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = At(x, y);
            row[x * 3] = p & 0xFF;
            row[x * 3 + 1] = (p >> 8) & 0xFF;
            row[x * 3 + 2] = (p >> 16) & 0xFF;
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    return std::fclose(out) == 0;
}

std::wstring Wide(const std::string& utf8) {
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring out(units > 0 ? units : 1, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), units);
    out.resize(out.size() - 1);
    return out;
}

std::wstring Env(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    ::GetEnvironmentVariableW(name, value, MAX_PATH);
    return value;
}

}  // namespace app_test
