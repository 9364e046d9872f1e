// The tool's entry point: one window, one message loop, exit code 0.
#include <windows.h>

#include <objbase.h>

#include "app/drive_source.h"
#include "app/main_wnd.h"
#include "app/texts.h"

namespace {
constexpr UINT kIconResource = 129;
// WS_MINIMIZEBOX: Minimize in the Alt+Space menu, as the skin's button does.
constexpr DWORD kWindowStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                               WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW | WS_EX_STATICEDGE;
#ifdef VARQO_SIMULATION
// Wine cannot switch high contrast on; the simulation takes it as on while
// the file named by VARQO_SIM_HIGH_CONTRAST exists, asked afresh at each
// paint, so a test can switch it while the window is open.
bool SimulatedHighContrast() {
    wchar_t path[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"VARQO_SIM_HIGH_CONTRAST", path, MAX_PATH)) return false;
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}
#endif
}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR /*lpCmdLine*/,
                   int /*nCmdShow*/) {
    Facet::CPaintManagerUI::SetInstance(hInstance);
#ifdef VARQO_SIMULATION
    Facet::CPaintManagerUI::SetHighContrastQuery(SimulatedHighContrast);
#endif
    if (FAILED(::CoInitialize(nullptr))) return 0;
    auto* window = new app::CMainWnd(app::ApplicationDriveQuery());
    if (!window->Create(nullptr, app::Localized(app::kWindowCaption), kWindowStyle, kWindowExStyle)) {
        // No window, no loop to run: a loop without a window would never end.
        // A window that failed after its creation began has deleted its
        // object on its final message already.
        if (app::CMainWnd::ObjectAlive()) delete window;
        return 0;
    }
    window->CenterWindow();
    window->SetIcon(kIconResource);
    ::ShowWindow(*window, SW_SHOW);
    Facet::CPaintManagerUI::MessageLoop();
    return 0;
}
