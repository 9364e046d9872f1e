// CPaintManagerUI's life, its window and DC, the list of live managers, the
// default colours, the shared colour adjustment and the parent-resource chain.
// The message handling, layout and painting join here later.
#include "facet/manager/paint_manager_ui.h"

#include <algorithm>

#include "facet/render/render_engine.h"

namespace Facet {

CStdPtrArray CPaintManagerUI::m_aPreMessages;
short CPaintManagerUI::m_H = 180;
short CPaintManagerUI::m_S = 100;
short CPaintManagerUI::m_L = 100;

CPaintManagerUI::CPaintManagerUI() : m_mImageHash(83) { InitDefaultFont(); }

CPaintManagerUI::~CPaintManagerUI() {
    RemoveAllFonts();
    RemoveAllImages();
    const int index = m_aPreMessages.Find(this);
    if (index >= 0) m_aPreMessages.Remove(index);
}

void CPaintManagerUI::Init(HWND hWnd) {
    m_hWndPaint = hWnd;
    m_hDcPaint.Acquire(hWnd);
    if (m_aPreMessages.Find(this) < 0) m_aPreMessages.Add(this);
}

HWND CPaintManagerUI::GetPaintWindow() const { return m_hWndPaint; }

HDC CPaintManagerUI::GetPaintDC() const { return m_hDcPaint.Get(); }

POINT CPaintManagerUI::GetMousePos() const { return m_ptLastMousePos; }

void CPaintManagerUI::InvalidateWindow() const {
    if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

void CPaintManagerUI::ReloadSkin() {
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
        static_cast<CPaintManagerUI*>(m_aPreMessages[i])->ReloadAllImages();
    }
}

void CPaintManagerUI::SetHSL(bool /*bUseHSL*/, short H, short S, short L) {
    if (m_H == H && m_S == S && m_L == L) return;
    m_H = std::clamp<short>(H, 0, 360);
    m_S = std::clamp<short>(S, 0, 200);
    m_L = std::clamp<short>(L, 0, 200);
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
        static_cast<CPaintManagerUI*>(m_aPreMessages[i])->InvalidateWindow();
    }
}

void CPaintManagerUI::GetHSL(short* H, short* S, short* L) {
    if (H) *H = m_H;
    if (S) *S = m_S;
    if (L) *L = m_L;
}

const CPaintManagerUI* CPaintManagerUI::GetTopResource() const {
    const CPaintManagerUI* pm = this;
    while (pm->m_pParentResourcePM) pm = pm->m_pParentResourcePM;
    return pm;
}

DWORD CPaintManagerUI::GetDefaultDisabledColor() const {
    return GetTopResource()->m_dwDefaultDisabledColor;
}
void CPaintManagerUI::SetDefaultDisabledColor(DWORD dwColor) { m_dwDefaultDisabledColor = dwColor; }

DWORD CPaintManagerUI::GetDefaultFontColor() const { return GetTopResource()->m_dwDefaultFontColor; }
void CPaintManagerUI::SetDefaultFontColor(DWORD dwColor) { m_dwDefaultFontColor = dwColor; }

DWORD CPaintManagerUI::GetDefaultLinkFontColor() const {
    return GetTopResource()->m_dwDefaultLinkFontColor;
}
void CPaintManagerUI::SetDefaultLinkFontColor(DWORD dwColor) { m_dwDefaultLinkFontColor = dwColor; }

DWORD CPaintManagerUI::GetDefaultLinkHoverFontColor() const {
    return GetTopResource()->m_dwDefaultLinkHoverFontColor;
}
void CPaintManagerUI::SetDefaultLinkHoverFontColor(DWORD dwColor) {
    m_dwDefaultLinkHoverFontColor = dwColor;
}

DWORD CPaintManagerUI::GetDefaultSelectedBkColor() const {
    return GetTopResource()->m_dwDefaultSelectedBkColor;
}
void CPaintManagerUI::SetDefaultSelectedBkColor(DWORD dwColor) {
    m_dwDefaultSelectedBkColor = dwColor;
}

bool CPaintManagerUI::UseParentResource(CPaintManagerUI* pm) {
    if (!pm) {
        m_pParentResourcePM = nullptr;
        return true;
    }
    // No cycles: look-ups walk the chain until it ends.
    for (const CPaintManagerUI* link = pm; link; link = link->m_pParentResourcePM) {
        if (link == this) return false;
    }
    m_pParentResourcePM = pm;
    return true;
}

CPaintManagerUI* CPaintManagerUI::GetParentResource() const { return m_pParentResourcePM; }

}  // namespace Facet
