/* The yardstick for the start-up benchmark: the least a Win32 program does
   to show a 360 x 310 window. */
#include <windows.h>

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) DestroyWindow(hwnd);
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmd, int show) {
    WNDCLASSW wc = {0};
    MSG msg;
    (void)prev; (void)cmd; (void)show;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"PlainWindow";
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    CreateWindowExW(0, L"PlainWindow", L"Plain window", WS_POPUP | WS_VISIBLE, 100, 100, 360, 310,
                    NULL, NULL, instance, NULL);
    while (GetMessageW(&msg, NULL, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
