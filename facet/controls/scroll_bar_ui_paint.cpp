// CScrollBarUI's images and painting: background, the two buttons, the
// thumb and the grip over it, each from the image for its state, with an
// outline where a button or the thumb has no image.
#include "facet/controls/scroll_bar_ui.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {

bool IsAllZero(const RECT& rc) {
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

}  // namespace

const wchar_t* CScrollBarUI::GetBkNormalImage() const { return m_bkImages.normal; }
void CScrollBarUI::SetBkNormalImage(const wchar_t* s) { AssignImage(m_bkImages.normal, s); }
const wchar_t* CScrollBarUI::GetBkHotImage() const { return m_bkImages.hot; }
void CScrollBarUI::SetBkHotImage(const wchar_t* s) { AssignImage(m_bkImages.hot, s); }
const wchar_t* CScrollBarUI::GetBkPushedImage() const { return m_bkImages.pushed; }
void CScrollBarUI::SetBkPushedImage(const wchar_t* s) { AssignImage(m_bkImages.pushed, s); }
const wchar_t* CScrollBarUI::GetBkDisabledImage() const { return m_bkImages.disabled; }
void CScrollBarUI::SetBkDisabledImage(const wchar_t* s) { AssignImage(m_bkImages.disabled, s); }
const wchar_t* CScrollBarUI::GetButton1NormalImage() const { return m_button1Images.normal; }
void CScrollBarUI::SetButton1NormalImage(const wchar_t* s) { AssignImage(m_button1Images.normal, s); }
const wchar_t* CScrollBarUI::GetButton1HotImage() const { return m_button1Images.hot; }
void CScrollBarUI::SetButton1HotImage(const wchar_t* s) { AssignImage(m_button1Images.hot, s); }
const wchar_t* CScrollBarUI::GetButton1PushedImage() const { return m_button1Images.pushed; }
void CScrollBarUI::SetButton1PushedImage(const wchar_t* s) { AssignImage(m_button1Images.pushed, s); }
const wchar_t* CScrollBarUI::GetButton1DisabledImage() const { return m_button1Images.disabled; }
void CScrollBarUI::SetButton1DisabledImage(const wchar_t* s) {
    AssignImage(m_button1Images.disabled, s);
}
const wchar_t* CScrollBarUI::GetButton2NormalImage() const { return m_button2Images.normal; }
void CScrollBarUI::SetButton2NormalImage(const wchar_t* s) { AssignImage(m_button2Images.normal, s); }
const wchar_t* CScrollBarUI::GetButton2HotImage() const { return m_button2Images.hot; }
void CScrollBarUI::SetButton2HotImage(const wchar_t* s) { AssignImage(m_button2Images.hot, s); }
const wchar_t* CScrollBarUI::GetButton2PushedImage() const { return m_button2Images.pushed; }
void CScrollBarUI::SetButton2PushedImage(const wchar_t* s) { AssignImage(m_button2Images.pushed, s); }
const wchar_t* CScrollBarUI::GetButton2DisabledImage() const { return m_button2Images.disabled; }
void CScrollBarUI::SetButton2DisabledImage(const wchar_t* s) {
    AssignImage(m_button2Images.disabled, s);
}
const wchar_t* CScrollBarUI::GetThumbNormalImage() const { return m_thumbImages.normal; }
void CScrollBarUI::SetThumbNormalImage(const wchar_t* s) { AssignImage(m_thumbImages.normal, s); }
const wchar_t* CScrollBarUI::GetThumbHotImage() const { return m_thumbImages.hot; }
void CScrollBarUI::SetThumbHotImage(const wchar_t* s) { AssignImage(m_thumbImages.hot, s); }
const wchar_t* CScrollBarUI::GetThumbPushedImage() const { return m_thumbImages.pushed; }
void CScrollBarUI::SetThumbPushedImage(const wchar_t* s) { AssignImage(m_thumbImages.pushed, s); }
const wchar_t* CScrollBarUI::GetThumbDisabledImage() const { return m_thumbImages.disabled; }
void CScrollBarUI::SetThumbDisabledImage(const wchar_t* s) { AssignImage(m_thumbImages.disabled, s); }
const wchar_t* CScrollBarUI::GetRailNormalImage() const { return m_railImages.normal; }
void CScrollBarUI::SetRailNormalImage(const wchar_t* s) { AssignImage(m_railImages.normal, s); }
const wchar_t* CScrollBarUI::GetRailHotImage() const { return m_railImages.hot; }
void CScrollBarUI::SetRailHotImage(const wchar_t* s) { AssignImage(m_railImages.hot, s); }
const wchar_t* CScrollBarUI::GetRailPushedImage() const { return m_railImages.pushed; }
void CScrollBarUI::SetRailPushedImage(const wchar_t* s) { AssignImage(m_railImages.pushed, s); }
const wchar_t* CScrollBarUI::GetRailDisabledImage() const { return m_railImages.disabled; }
void CScrollBarUI::SetRailDisabledImage(const wchar_t* s) { AssignImage(m_railImages.disabled, s); }

void CScrollBarUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    PaintBk(hDC);
    PaintButton1(hDC);
    PaintButton2(hDC);
    PaintThumb(hDC);
    PaintRail(hDC);
}

bool CScrollBarUI::PaintPartImages(HDC hDC, UINT& uState, PartImages& images,
                                   const wchar_t* pStrModify) {
    if (IsEnabled()) {
        uState &= ~StateDisabled;
    } else {
        uState |= StateDisabled;
    }
    CDuiString* stateImage = nullptr;
    if (uState & StateDisabled) {
        stateImage = &images.disabled;
    } else if (uState & StatePushed) {
        stateImage = &images.pushed;
    } else if (uState & StateHot) {
        stateImage = &images.hot;
    }
    // An image that cannot be drawn is dropped so that it is not tried again
    // at every paint.
    if (stateImage && !stateImage->IsEmpty()) {
        if (DrawImage(hDC, *stateImage, pStrModify)) return true;
        stateImage->Empty();
    }
    if (!images.normal.IsEmpty()) {
        if (DrawImage(hDC, images.normal, pStrModify)) return true;
        images.normal.Empty();
    }
    return false;
}

const wchar_t* CScrollBarUI::MakeDestModifier(const RECT& rc) {
    m_sImageModify.SmallFormat(L"dest='%d,%d,%d,%d'", rc.left - m_rcItem.left,
                               rc.top - m_rcItem.top, rc.right - m_rcItem.left,
                               rc.bottom - m_rcItem.top);
    return m_sImageModify;
}

void CScrollBarUI::PaintBk(HDC hDC) { PaintPartImages(hDC, m_uThumbState, m_bkImages, nullptr); }

void CScrollBarUI::PaintButton1(HDC hDC) {
    if (!m_bShowButton1) return;
    if (!PaintPartImages(hDC, m_uButton1State, m_button1Images, MakeDestModifier(m_rcButton1))) {
        CRenderEngine::DrawRect(hDC, m_rcButton1, 2, kFallbackOutlineColor);
    }
}

void CScrollBarUI::PaintButton2(HDC hDC) {
    if (!m_bShowButton2) return;
    if (!PaintPartImages(hDC, m_uButton2State, m_button2Images, MakeDestModifier(m_rcButton2))) {
        CRenderEngine::DrawRect(hDC, m_rcButton2, 2, kFallbackOutlineColor);
    }
}

void CScrollBarUI::PaintThumb(HDC hDC) {
    if (IsAllZero(m_rcThumb)) return;
    if (!PaintPartImages(hDC, m_uThumbState, m_thumbImages, MakeDestModifier(m_rcThumb))) {
        CRenderEngine::DrawRect(hDC, m_rcThumb, 2, kFallbackOutlineColor);
    }
}

void CScrollBarUI::PaintRail(HDC hDC) {
    if (IsAllZero(m_rcThumb)) return;
    // A grip square of the bar's thickness across the middle of the thumb.
    const int t = GetThickness();
    RECT rc = m_rcThumb;
    if (m_bHorizontal) {
        rc.left = (m_rcThumb.left + m_rcThumb.right) / 2 - t / 2;
        rc.right = rc.left + t;
    } else {
        rc.top = (m_rcThumb.top + m_rcThumb.bottom) / 2 - t / 2;
        rc.bottom = rc.top + t;
    }
    PaintPartImages(hDC, m_uThumbState, m_railImages, MakeDestModifier(rc));
}

}  // namespace Facet
