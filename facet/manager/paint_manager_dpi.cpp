// The paint manager's scale: the DPI its window is drawn at, and what follows
// a change of it: fonts made again at their new pixel heights, images taken
// from the art set of the new scale, and a fresh layout of the whole tree.
#include "facet/controls/control_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

int CPaintManagerUI::GetDPI() const { return m_dpiScale.GetDpi(); }

const CDpiScale& CPaintManagerUI::GetDpiScale() const { return m_dpiScale; }

void CPaintManagerUI::SetDPI(int dpi) {
    const CDpiScale scale(dpi);
    if (scale == m_dpiScale) return;
    m_dpiScale = scale;
    RescaleFonts();
    ReloadAllImages();
    // Every position and size in the tree changes.
    if (m_pRoot) m_pRoot->NeedUpdate();
    NeedUpdate();
    InvalidateWindow();
}

void CPaintManagerUI::RescaleFonts() {
    auto remake = [this](TFontInfo* info) {
        HFONT hFont = CreateFontFromStock(info->sFontName, m_dpiScale.Scale(info->iSize),
                                          info->bBold, info->bUnderline, info->bItalic);
        // A font that cannot be made again keeps its old size, still usable.
        if (!hFont) return;
        info->hFont.Reset(hFont);
        info->tm = TEXTMETRICW{};
        if (m_hDcPaint.Get()) MeasureFont(info);
    };
    remake(&m_DefaultFontInfo);
    for (int i = 0; i < m_aCustomFonts.GetSize(); ++i) remake(GetCustomFont(i));
}

void CPaintManagerUI::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    SetDPI(LOWORD(wParam));
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    if (!suggested || !m_hWndPaint) return;
    ::SetWindowPos(m_hWndPaint, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace Facet
