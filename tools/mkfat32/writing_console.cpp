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
// Set while no run is writing. Made once and never closed (the process's end
// closes it): a handler on its own thread may still be waiting on it when the
// run's WritingConsole goes.
HANDLE RunOver() {
    static const HANDLE event = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
    return event;
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    std::fputs("mkfat32: the drive is being written; the run goes on to its end, so that the "
               "stick is left whole.\n",
               stderr);
    std::fflush(stderr);
    if (event == CTRL_CLOSE_EVENT && RunOver()) ::WaitForSingleObject(RunOver(), kCloseWaitMs);
    return TRUE;
}

}  // namespace

WritingConsole::WritingConsole() {
    if (RunOver()) ::ResetEvent(RunOver());
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

WritingConsole::~WritingConsole() {
    ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    if (RunOver()) ::SetEvent(RunOver());
}

}  // namespace mkfat32

#endif  // _WIN32
