// CProgressUI: the range correction and the filled part of the fore image.
#include "facet/controls/progress_ui.h"

#include "facet/manager/paint_manager_ui.h"

#include <algorithm>
#include <climits>
#include <cwchar>

#include "facet/controls/attribute_text.h"

namespace Facet {

namespace {

constexpr int kBarHeight = 12;

}  // namespace

CProgressUI::CProgressUI() {
    m_uTextStyle = DT_SINGLELINE | DT_CENTER;
    m_cxyFixed.cy = kBarHeight;
}

const wchar_t* CProgressUI::GetClass() const { return L"ProgressUI"; }

LPVOID CProgressUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Progress") == 0) return this;
    return CLabelUI::GetInterface(pstrName);
}

bool CProgressUI::IsHorizontal() const { return m_bHorizontal; }

void CProgressUI::SetHorizontal(bool bHorizontal) {
    if (m_bHorizontal == bHorizontal) return;
    m_bHorizontal = bHorizontal;
    Invalidate();
}

int CProgressUI::GetMinValue() const { return m_nMin; }

void CProgressUI::SetMinValue(int nMin) {
    if (m_nMin == nMin) return;
    m_nMin = nMin;
    Invalidate();
}

int CProgressUI::GetMaxValue() const { return m_nMax; }

void CProgressUI::SetMaxValue(int nMax) {
    if (m_nMax == nMax) return;
    m_nMax = nMax;
    Invalidate();
}

int CProgressUI::GetValue() const { return m_nValue; }

void CProgressUI::SetValue(int nValue) {
    if (m_nValue == nValue) return;
    m_nValue = nValue;
    Invalidate();
    // A reader hears the bar move; whoever sets it paces it.
    if (m_pManager) m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_VALUECHANGE, this);
}

bool CProgressUI::IsStretchForeImage() const { return m_bStretchForeImage; }

void CProgressUI::SetStretchForeImage(bool bStretchForeImage) {
    if (m_bStretchForeImage == bStretchForeImage) return;
    m_bStretchForeImage = bStretchForeImage;
    Invalidate();
}

const wchar_t* CProgressUI::GetForeImage() const { return m_sForeImage; }

void CProgressUI::SetForeImage(const wchar_t* pStrImage) {
    const wchar_t* image = pStrImage ? pStrImage : L"";
    if (m_sForeImage == image) return;
    m_sForeImage = image;
    Invalidate();
}

void CProgressUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (!pstrName || !pstrValue) return;
    using AttributeText::ReadBool;
    using AttributeText::ReadInt;
    auto is = [pstrName](const wchar_t* name) { return std::wcscmp(pstrName, name) == 0; };
    if (is(L"foreimage")) {
        SetForeImage(pstrValue);
    } else if (is(L"hor")) {
        SetHorizontal(ReadBool(pstrValue));
    } else if (is(L"min")) {
        SetMinValue(ReadInt(pstrValue));
    } else if (is(L"max")) {
        SetMaxValue(ReadInt(pstrValue));
    } else if (is(L"value")) {
        SetValue(ReadInt(pstrValue));
    } else if (is(L"isstretchfore")) {
        SetStretchForeImage(ReadBool(pstrValue));
    } else {
        CLabelUI::SetAttribute(pstrName, pstrValue);
    }
}

CProgressUI::TRange CProgressUI::GetCorrectedRange() const {
    TRange range = {m_nMin, m_nMax, m_nValue};
    if (range.lo >= range.hi) range.hi = range.lo + 1;
    range.value = std::clamp(range.value, range.lo, range.hi);
    return range;
}

void CProgressUI::PaintStatusImage(HDC hDC) {
    // The corrections are stored: the value read afterwards is the one shown.
    if (m_nMin >= m_nMax) {
        if (m_nMin == INT_MAX) --m_nMin;  // no room above it for the maximum
        m_nMax = m_nMin + 1;
    }
    m_nValue = std::clamp(m_nValue, m_nMin, m_nMax);
    const TRange range = GetCorrectedRange();

    const long long width = m_rcItem.right - m_rcItem.left;
    const long long height = m_rcItem.bottom - m_rcItem.top;
    int right = static_cast<int>(width);
    int top = 0;
    if (m_bHorizontal) {
        right = static_cast<int>(width * (range.value - range.lo) / range.Span());
    } else {
        top = static_cast<int>(height * (range.hi - range.value) / range.Span());
    }
    if (m_sForeImage.IsEmpty()) return;

    const int bottom = static_cast<int>(height);
    CDuiString modify;
    if (m_bStretchForeImage) {
        modify.Format(L"dest='0,%d,%d,%d'", top, right, bottom);
    } else {
        // The part is cut out of the image where it lies, not squeezed.
        modify.Format(L"dest='0,%d,%d,%d' source='0,%d,%d,%d'", top, right, bottom, top, right,
                      bottom);
    }
    if (!DrawImage(hDC, m_sForeImage, modify)) m_sForeImage.Empty();
}

}  // namespace Facet
