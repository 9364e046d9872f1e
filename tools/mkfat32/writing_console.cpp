// WritingConsole. Handlers run on a thread of their own; Ctrl+C and Ctrl+Break
// wait for nobody once the handler says it took them, but after a console
// close the system ends the process when the handler returns (or after 5 s),
// so that handler waits for the run, up to just under that limit
// [HandlerRoutine callback function].
#ifdef _WIN32

#include "tools/mkfat32/writing_console.h"

#include <cstdio>

namespace mkfat32 {
namespace {

constexpr DWORD kCloseWaitMs = 4500;
HANDLE g_runOver = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    std::fputs("mkfat32: the drive is being written; the run goes on to its end, so that the "
               "stick is left whole.\n",
               stderr);
    std::fflush(stderr);
    if (event == CTRL_CLOSE_EVENT && g_runOver) ::WaitForSingleObject(g_runOver, kCloseWaitMs);
    return TRUE;
}

}  // namespace

WritingConsole::WritingConsole() {
    g_runOver = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

WritingConsole::~WritingConsole() {
    if (g_runOver) ::SetEvent(g_runOver);
    ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    if (g_runOver) ::CloseHandle(g_runOver);
    g_runOver = nullptr;
}

}  // namespace mkfat32

#endif  // _WIN32
