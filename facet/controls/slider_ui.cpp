// CSliderUI: the thumb's place for a value and the value for a mouse point,
// the input that moves it, and the thumb's faces.
#include "facet/controls/slider_ui.h"

#include <algorithm>
#include <climits>
#include <cwchar>

#include "facet/controls/attribute_text.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

CSliderUI::CSliderUI() { m_uTextStyle = DT_SINGLELINE | DT_CENTER; }

const wchar_t* CSliderUI::GetClass() const { return L"SliderUI"; }

LPVOID CSliderUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Slider") == 0) return this;
    return CProgressUI::GetInterface(pstrName);
}

UINT CSliderUI::GetControlFlags() const {
    return IsEnabled() ? static_cast<UINT>(ControlFlagSetCursor) : 0u;
}

void CSliderUI::SetEnabled(bool bEnable) {
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

int CSliderUI::GetChangeStep() const { return m_nStep; }
void CSliderUI::SetChangeStep(int step) { m_nStep = step; }

void CSliderUI::SetThumbSize(SIZE szXY) {
    if (szXY.cx == m_szThumb.cx && szXY.cy == m_szThumb.cy) return;
    m_szThumb = szXY;
    Invalidate();
}

void CSliderUI::SetImage(CDuiString& target, const wchar_t* pStrImage) {
    const wchar_t* image = pStrImage ? pStrImage : L"";
    if (target == image) return;
    target = image;
    Invalidate();
}

const wchar_t* CSliderUI::GetThumbImage() const { return m_sThumbImage; }
void CSliderUI::SetThumbImage(const wchar_t* s) { SetImage(m_sThumbImage, s); }
const wchar_t* CSliderUI::GetThumbHotImage() const { return m_sThumbHotImage; }
void CSliderUI::SetThumbHotImage(const wchar_t* s) { SetImage(m_sThumbHotImage, s); }
const wchar_t* CSliderUI::GetThumbPushedImage() const { return m_sThumbPushedImage; }
void CSliderUI::SetThumbPushedImage(const wchar_t* s) { SetImage(m_sThumbPushedImage, s); }

// Both directions below divide by the corrected span, never 0, and multiply
// in 64 bits.
RECT CSliderUI::GetThumbRect() const {
    const TRange range = GetCorrectedRange();
    const RECT& rc = m_rcItem;
    const long long offset = range.value - range.lo;
    RECT thumb = {0, 0, 0, 0};
    if (IsHorizontal()) {
        const long long track = rc.right - rc.left - m_szThumb.cx;
        thumb.left = rc.left + static_cast<LONG>(offset * track / range.Span());
        thumb.top = (rc.top + rc.bottom - m_szThumb.cy) / 2;
    } else {
        const long long track = rc.bottom - rc.top - m_szThumb.cy;
        thumb.left = (rc.left + rc.right - m_szThumb.cx) / 2;
        thumb.top = rc.bottom - static_cast<LONG>(track * offset / range.Span()) - m_szThumb.cy;
    }
    thumb.right = thumb.left + m_szThumb.cx;
    thumb.bottom = thumb.top + m_szThumb.cy;
    return thumb;
}

int CSliderUI::ValueAt(POINT pt) const {
    const TRange range = GetCorrectedRange();
    const RECT& rc = m_rcItem;
    // The ends of the track lie half a thumb inside the slider. A point
    // strictly between them implies a track longer than the thumb, so the
    // divisions below never see 0.
    long long value = range.lo;
    if (IsHorizontal()) {
        const int half = m_szThumb.cx / 2;
        if (pt.x >= rc.right - half) {
            value = range.hi;
        } else if (pt.x > rc.left + half) {
            value += range.Span() * (pt.x - half - rc.left) / (rc.right - rc.left - m_szThumb.cx);
        }
    } else {
        const int half = m_szThumb.cy / 2;
        if (pt.y < rc.bottom - half) {
            value = range.hi;
            if (pt.y > rc.top + half) {
                value = range.lo + range.Span() * (rc.bottom - half - pt.y) /
                                       (rc.bottom - rc.top - m_szThumb.cy);
            }
        }
    }
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

void CSliderUI::Step(int direction) {
    // Past either end for now: the next paint brings the value back.
    const long long value = m_nValue + static_cast<long long>(direction) * m_nStep;
    SetValue(static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX)));
    if (m_pManager) m_pManager->SendNotify(this, L"valuechanged");
}

void CSliderUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_pParent) {
            m_pParent->DoEvent(event);
        } else {
            CLabelUI::DoEvent(event);
        }
        return;
    }
    const RECT thumb = GetThumbRect();
    const bool onThumb = ::PtInRect(&thumb, event.mousePoint) != FALSE;
    switch (event.type) {
    case EventButtonDown:
    case EventDblClick:
        // The value waits for the release.
        if (IsEnabled() && onThumb) m_uButtonState |= StateCaptured;
        return;
    case EventButtonUp: {
        // A disabled slider stays where it is, also when it was disabled
        // during a drag (which dropped the capture).
        if (!IsEnabled()) return;
        // Captured or not: a click on the track moves the value there.
        m_uButtonState &= ~StateCaptured;
        m_nValue = ValueAt(event.mousePoint);
        CControlWatch watch(this);
        if (m_pManager) m_pManager->SendNotify(this, L"valuechanged");
        if (watch) Invalidate();
        return;
    }
    case EventContextMenu:
        return;
    case EventScrollWheel:
        if (!IsEnabled()) break;
        Step(event.wParam == 0 ? 1 : -1);
        return;
    case EventKeyDown:
        if (!IsEnabled() || !IsKeyboardEnabled()) break;
        if (event.keyChar == VK_RIGHT || event.keyChar == VK_UP) {
            Step(1);
            return;
        }
        if (event.keyChar == VK_LEFT || event.keyChar == VK_DOWN) {
            Step(-1);
            return;
        }
        break;
    case EventMouseMove:
        if (m_uButtonState & StateCaptured) {
            m_nValue = ValueAt(event.mousePoint);
            Invalidate();
        }
        return;
    case EventSetCursor:
        if (IsEnabled() && onThumb) {
            ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
            return;
        }
        break;
    case EventMouseEnter:
    case EventMouseLeave:
        if (IsEnabled()) {
            if (event.type == EventMouseEnter) {
                m_uButtonState |= StateHot;
            } else {
                m_uButtonState &= ~StateHot;
            }
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

void CSliderUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (!pstrName || !pstrValue) return;
    auto is = [pstrName](const wchar_t* name) { return std::wcscmp(pstrName, name) == 0; };
    if (is(L"thumbimage")) {
        SetThumbImage(pstrValue);
    } else if (is(L"thumbhotimage")) {
        SetThumbHotImage(pstrValue);
    } else if (is(L"thumbpushedimage")) {
        SetThumbPushedImage(pstrValue);
    } else if (is(L"thumbsize")) {
        int size[2];
        AttributeText::ReadInts(pstrValue, size, 2);
        SetThumbSize(SIZE{size[0], size[1]});
    } else if (is(L"step")) {
        SetChangeStep(AttributeText::ReadInt(pstrValue));
    } else {
        CProgressUI::SetAttribute(pstrName, pstrValue);
    }
}

void CSliderUI::PaintStatusImage(HDC hDC) {
    CProgressUI::PaintStatusImage(hDC);
    RECT thumb = GetThumbRect();
    ::OffsetRect(&thumb, -m_rcItem.left, -m_rcItem.top);
    CDuiString modify;
    modify.Format(L"dest='%d,%d,%d,%d'", static_cast<int>(thumb.left), static_cast<int>(thumb.top),
                  static_cast<int>(thumb.right), static_cast<int>(thumb.bottom));
    CDuiString* face = nullptr;
    if (m_uButtonState & StateCaptured) {
        face = &m_sThumbPushedImage;
    } else if (m_uButtonState & StateHot) {
        face = &m_sThumbHotImage;
    }
    if (face && DrawImageOrForget(hDC, *face, modify)) return;
    DrawImageOrForget(hDC, m_sThumbImage, modify);
}

}  // namespace Facet
