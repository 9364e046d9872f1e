// CControlUI painting: the fixed order background colour, background image,
// status image, text, border, each clipped to the part of the control being
// repainted, and the colour adjustment all of them go through.
#include "facet/controls/control_ui.h"

#include "facet/controls/system_colors_paint.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_clip.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {
constexpr DWORD kOpaqueAlpha = 0xFF000000;
// The two halves of a three-colour background get this many steps each; a
// two-colour one twice as many over the whole height.
constexpr int kHalfGradientSteps = 8;
constexpr int kGradientSteps = 16;
}  // namespace

bool CControlUI::DrawImage(HDC hDC, const wchar_t* pStrImage, const wchar_t* pStrModify) {
    return CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcPaint, pStrImage,
                                          pStrModify);
}

DWORD CControlUI::GetAdjustColor(DWORD dwColor) {
    if (!m_bColorHSL) return dwColor;
    short H = 0, S = 0, L = 0;
    CPaintManagerUI::GetHSL(&H, &S, &L);
    return CRenderEngine::AdjustColor(dwColor, H, S, L);
}

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    // Whatever lies outside the repainted rectangle is left as it is on screen.
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;

    CRenderClip roundClip;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0) {
        const SIZE round = GetDpiScale().Scale(m_cxyBorderRound);
        CRenderClip::GenerateRoundClip(hDC, m_rcPaint, m_rcItem, round.cx, round.cy, roundClip);
    }
    if (CPaintManagerUI::IsHighContrast() && PaintInSystemColors(this, hDC, m_rcPaint)) return;
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintText(hDC);
    PaintBorder(hDC);
}

void CControlUI::PaintBkColor(HDC hDC) {
    if (m_dwBackColor == 0) return;
    if (m_dwBackColor2 != 0) {
        if (m_dwBackColor3 != 0) {
            RECT rc = m_rcItem;
            rc.bottom = (m_rcItem.bottom + m_rcItem.top) / 2;
            CRenderEngine::DrawGradient(hDC, rc, GetAdjustColor(m_dwBackColor),
                                        GetAdjustColor(m_dwBackColor2), true, kHalfGradientSteps);
            rc.top = rc.bottom;
            rc.bottom = m_rcItem.bottom;
            CRenderEngine::DrawGradient(hDC, rc, GetAdjustColor(m_dwBackColor2),
                                        GetAdjustColor(m_dwBackColor3), true, kHalfGradientSteps);
        } else {
            CRenderEngine::DrawGradient(hDC, m_rcItem, GetAdjustColor(m_dwBackColor),
                                        GetAdjustColor(m_dwBackColor2), true, kGradientSteps);
        }
        return;
    }
    // An opaque fill may stop at the repainted part; a translucent one blends
    // over the whole control, as it did when first painted.
    const bool opaque = (m_dwBackColor & kOpaqueAlpha) == kOpaqueAlpha;
    CRenderEngine::DrawColor(hDC, opaque ? m_rcPaint : m_rcItem, GetAdjustColor(m_dwBackColor));
}

void CControlUI::AssignImage(CDuiString& image, const wchar_t* pStrImage) {
    image = pStrImage ? pStrImage : L"";
    Invalidate();
}

bool CControlUI::DrawImageOrForget(HDC hDC, CDuiString& image, const wchar_t* pStrModify) {
    if (image.IsEmpty()) return false;
    if (DrawImage(hDC, image, pStrModify)) return true;
    image.Empty();
    return false;
}

void CControlUI::PaintBkImage(HDC hDC) { DrawImageOrForget(hDC, m_sBkImage); }

void CControlUI::PaintStatusImage(HDC /*hDC*/) {}

void CControlUI::PaintText(HDC /*hDC*/) {}

void CControlUI::PaintBorder(HDC hDC) {
    if (m_dwBorderColor == 0 && m_dwFocusBorderColor == 0) return;
    const bool focusColored = IsFocused() && m_dwFocusBorderColor != 0;
    const bool rounded = m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0;
    // Widths and corners are skin numbers; lines grow with the window's scale.
    const CDpiScale dpi = GetDpiScale();
    const int borderSize = dpi.Scale(m_nBorderSize);
    const SIZE round = dpi.Scale(m_cxyBorderRound);
    const RECT sides = dpi.Scale(m_rcBorderSize);
    // A colour of 0 means "no border" here as everywhere else; a control with
    // only a focus border colour shows no black frame while unfocused.
    if (m_nBorderSize > 0 && rounded) {
        const DWORD color = focusColored ? m_dwFocusBorderColor : m_dwBorderColor;
        if (color == 0) return;
        CRenderEngine::DrawRoundRect(hDC, m_rcItem, borderSize, round.cx, round.cy,
                                     GetAdjustColor(color));
        return;
    }
    if (focusColored && m_nBorderSize > 0) {
        CRenderEngine::DrawRect(hDC, m_rcItem, borderSize, GetAdjustColor(m_dwFocusBorderColor));
        return;
    }
    if (m_dwBorderColor == 0) return;
    const DWORD color = GetAdjustColor(m_dwBorderColor);
    const RECT& rc = m_rcItem;
    if (m_rcBorderSize.left > 0 || m_rcBorderSize.top > 0 || m_rcBorderSize.right > 0 ||
        m_rcBorderSize.bottom > 0) {
        if (m_rcBorderSize.left > 0) {
            CRenderEngine::DrawLine(hDC, RECT{rc.left, rc.top, rc.left, rc.bottom},
                                    sides.left, color, m_nBorderStyle);
        }
        if (m_rcBorderSize.top > 0) {
            CRenderEngine::DrawLine(hDC, RECT{rc.left, rc.top, rc.right, rc.top},
                                    sides.top, color, m_nBorderStyle);
        }
        if (m_rcBorderSize.right > 0) {
            CRenderEngine::DrawLine(hDC, RECT{rc.right, rc.top, rc.right, rc.bottom},
                                    sides.right, color, m_nBorderStyle);
        }
        if (m_rcBorderSize.bottom > 0) {
            CRenderEngine::DrawLine(hDC, RECT{rc.left, rc.bottom, rc.right, rc.bottom},
                                    sides.bottom, color, m_nBorderStyle);
        }
        return;
    }
    if (m_nBorderSize > 0) CRenderEngine::DrawRect(hDC, rc, borderSize, color);
}

void CControlUI::DoPostPaint(HDC /*hDC*/, const RECT& /*rcPaint*/) {}

// Colour, border and image accessors -----------------------------------------

DWORD CControlUI::GetBkColor() const { return m_dwBackColor; }

void CControlUI::SetBkColor(DWORD dwBackColor) {
    if (m_dwBackColor == dwBackColor) return;
    m_dwBackColor = dwBackColor;
    Invalidate();
}

DWORD CControlUI::GetBkColor2() const { return m_dwBackColor2; }

void CControlUI::SetBkColor2(DWORD dwBackColor) {
    if (m_dwBackColor2 == dwBackColor) return;
    m_dwBackColor2 = dwBackColor;
    Invalidate();
}

DWORD CControlUI::GetBkColor3() const { return m_dwBackColor3; }

void CControlUI::SetBkColor3(DWORD dwBackColor) {
    if (m_dwBackColor3 == dwBackColor) return;
    m_dwBackColor3 = dwBackColor;
    Invalidate();
}

const wchar_t* CControlUI::GetBkImage() { return m_sBkImage; }

void CControlUI::SetBkImage(const wchar_t* pStrImage) {
    if (m_sBkImage == (pStrImage ? pStrImage : L"")) return;
    m_sBkImage = pStrImage;
    Invalidate();
}

DWORD CControlUI::GetBorderColor() const { return m_dwBorderColor; }

void CControlUI::SetBorderColor(DWORD dwBorderColor) {
    if (m_dwBorderColor == dwBorderColor) return;
    m_dwBorderColor = dwBorderColor;
    Invalidate();
}

DWORD CControlUI::GetFocusBorderColor() const { return m_dwFocusBorderColor; }

void CControlUI::SetFocusBorderColor(DWORD dwBorderColor) {
    if (m_dwFocusBorderColor == dwBorderColor) return;
    m_dwFocusBorderColor = dwBorderColor;
    Invalidate();
}

bool CControlUI::IsColorHSL() const { return m_bColorHSL; }

void CControlUI::SetColorHSL(bool bColorHSL) {
    if (m_bColorHSL == bColorHSL) return;
    m_bColorHSL = bColorHSL;
    Invalidate();
}

int CControlUI::GetBorderSize() const { return m_nBorderSize; }

void CControlUI::SetBorderSize(int nSize) {
    if (m_nBorderSize == nSize) return;
    m_nBorderSize = nSize;
    Invalidate();
}

void CControlUI::SetBorderSize(RECT rc) {
    m_rcBorderSize = rc;
    Invalidate();
}

int CControlUI::GetLeftBorderSize() const { return m_rcBorderSize.left; }

void CControlUI::SetLeftBorderSize(int nSize) {
    m_rcBorderSize.left = nSize;
    Invalidate();
}

int CControlUI::GetTopBorderSize() const { return m_rcBorderSize.top; }

void CControlUI::SetTopBorderSize(int nSize) {
    m_rcBorderSize.top = nSize;
    Invalidate();
}

int CControlUI::GetRightBorderSize() const { return m_rcBorderSize.right; }

void CControlUI::SetRightBorderSize(int nSize) {
    m_rcBorderSize.right = nSize;
    Invalidate();
}

int CControlUI::GetBottomBorderSize() const { return m_rcBorderSize.bottom; }

void CControlUI::SetBottomBorderSize(int nSize) {
    m_rcBorderSize.bottom = nSize;
    Invalidate();
}

int CControlUI::GetBorderStyle() const { return m_nBorderStyle; }

void CControlUI::SetBorderStyle(int nStyle) {
    m_nBorderStyle = nStyle;
    Invalidate();
}

SIZE CControlUI::GetBorderRound() const { return m_cxyBorderRound; }

void CControlUI::SetBorderRound(SIZE cxyRound) {
    m_cxyBorderRound = cxyRound;
    Invalidate();
}

}  // namespace Facet
