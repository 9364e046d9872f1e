/* Times one cold start from inside Wine, where looking for a window costs
   microseconds: starts the program, waits until its window of the given
   class is visible, has nothing left to paint and has finished painting,
   prints the milliseconds and ends the program.
   Usage: start_timer PROGRAM WINDOW_CLASS */
#include <windows.h>
#include <stdio.h>

int wmain(int argc, wchar_t** argv) {
    STARTUPINFOW si = {0};
    PROCESS_INFORMATION pi;
    LARGE_INTEGER freq, t0, t1;
    HWND hwnd = NULL;
    RECT dirty;
    int i;
    if (argc != 3) return 64;
    si.cb = sizeof(si);
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    if (!CreateProcessW(argv[1], NULL, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) return 1;
    for (i = 0; i < 20000; ++i) {
        hwnd = FindWindowW(argv[2], NULL);
        if (hwnd && IsWindowVisible(hwnd) && !GetUpdateRect(hwnd, &dirty, FALSE)) break;
        hwnd = NULL;
        Sleep(1);
    }
    /* The update region empties when the paint begins, not when it ends. The
       paint runs inside the window thread's WM_PAINT, and a sent message is
       answered only once that thread is back in its message loop. */
    if (hwnd) SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, NULL);
    QueryPerformanceCounter(&t1);
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!hwnd) return 2;
    printf("%d\n", (int)((t1.QuadPart - t0.QuadPart) * 1000 / freq.QuadPart));
    return 0;
}
