// CDpiScale: rounding between skin units and pixels, and the DPI of a window.
#include "facet/core/dpi_scale.h"

namespace Facet {

namespace {

// n * num / den rounded half away from zero, in 64 bits so that no skin
// number can overflow.
int MulDivRound(int n, int num, int den) {
    const long long product = static_cast<long long>(n) * num;
    const long long half = den / 2;
    return static_cast<int>(product >= 0 ? (product + half) / den : -((-product + half) / den));
}

using GetDpiForWindowProc = UINT(WINAPI*)(HWND);

// Windows 7, 8 and older Windows 10 builds have no GetDpiForWindow.
GetDpiForWindowProc GetDpiForWindowFunction() {
    static const GetDpiForWindowProc proc = [] {
        HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        return user32 ? reinterpret_cast<GetDpiForWindowProc>(
                            reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")))
                      : nullptr;
    }();
    return proc;
}

int ScreenDpi(HWND hWnd) {
    HDC hdc = ::GetDC(hWnd);
    if (!hdc) return CDpiScale::kBaseDpi;
    const int dpi = ::GetDeviceCaps(hdc, LOGPIXELSX);
    ::ReleaseDC(hWnd, hdc);
    return dpi > 0 ? dpi : CDpiScale::kBaseDpi;
}

}  // namespace

CDpiScale::CDpiScale(int dpi) : m_dpi(dpi > 0 ? dpi : kBaseDpi) {}

int CDpiScale::Scale(int value) const {
    return IsIdentity() ? value : MulDivRound(value, m_dpi, kBaseDpi);
}

SIZE CDpiScale::Scale(SIZE value) const { return SIZE{Scale(value.cx), Scale(value.cy)}; }

RECT CDpiScale::Scale(const RECT& value) const {
    return RECT{Scale(value.left), Scale(value.top), Scale(value.right), Scale(value.bottom)};
}

int CDpiScale::Unscale(int pixels) const {
    return IsIdentity() ? pixels : MulDivRound(pixels, kBaseDpi, m_dpi);
}

int CDpiScale::ForWindow(HWND hWnd) {
    if (hWnd) {
        if (GetDpiForWindowProc proc = GetDpiForWindowFunction()) {
            const UINT dpi = proc(hWnd);
            if (dpi > 0) return static_cast<int>(dpi);
        }
    }
    return ScreenDpi(hWnd);
}

int CDpiScale::ForSystem() { return ScreenDpi(nullptr); }

}  // namespace Facet
