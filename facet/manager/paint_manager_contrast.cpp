// CPaintManagerUI's high contrast: whether the user asked the system for it
// (behind a replaceable query, since Wine cannot switch it), and the repaint
// when it or the system's colours change while the window is open.
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {
bool (*g_highContrastQuery)() = nullptr;
}  // namespace

bool CPaintManagerUI::IsHighContrast() {
    if (g_highContrastQuery) return g_highContrastQuery();
    HIGHCONTRASTW info = {};
    info.cbSize = sizeof(info);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(info), &info, 0) &&
           (info.dwFlags & HCF_HIGHCONTRASTON);
}

void CPaintManagerUI::SetHighContrastQuery(bool (*query)()) { g_highContrastQuery = query; }

void CPaintManagerUI::OnSystemColorsChanged(UINT uMsg) {
    // Turning high contrast on or off, or a new colour scheme, reaches every
    // top-level window as one of these; whatever it was, everything drawn
    // may have changed.
    if (uMsg == WM_SYSCOLORCHANGE || uMsg == WM_SETTINGCHANGE || uMsg == WM_THEMECHANGED) InvalidateWindow();
}

}  // namespace Facet
