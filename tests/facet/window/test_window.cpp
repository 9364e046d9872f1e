// The test window and message pump shared by the window tests.
#include "test_window.h"

namespace Facet {
namespace WindowTest {

HWND CTestWindow::CreateAt(int x, int y) {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    return Create(nullptr, L"Facet test", WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, 0, x, y, 360, 310);
}

LRESULT CTestWindow::OnClose(UINT, WPARAM wParam, LPARAM, bool& bHandled) {
    closeParam = wParam;
    bHandled = false;
    return 0;
}

void CTestWindow::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    ++finalCalls;
    if (quitOnFinal) ::PostQuitMessage(0);
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        if (done()) return true;
        MSG msg = {};
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::Sleep(1);
            continue;
        }
        if (msg.message == WM_QUIT) return done();
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return done();
}

}  // namespace WindowTest
}  // namespace Facet
