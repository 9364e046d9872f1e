// CScrollBarUI: settings, part geometry and input. Geometry is worked out
// along the scrolling direction (y for a vertical bar, x for a horizontal
// one) and turned into rectangles at the end, so both orientations share one
// algorithm. Images and painting live in scroll_bar_ui_paint.cpp.
#include "facet/controls/scroll_bar_ui.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "facet/controls/attribute_text.h"
#include "facet/controls/container_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

// A rectangle from coordinates along the bar (a0..a1) and across it (c0..c1).
RECT MakePartRect(bool horizontal, int a0, int c0, int a1, int c1) {
    return horizontal ? RECT{a0, c0, a1, c1} : RECT{c0, a0, c1, a1};
}

int AlongStart(bool horizontal, const RECT& rc) { return horizontal ? rc.left : rc.top; }
int AlongEnd(bool horizontal, const RECT& rc) { return horizontal ? rc.right : rc.bottom; }
int Along(bool horizontal, POINT pt) { return horizontal ? pt.x : pt.y; }

bool IsAllZero(const RECT& rc) {
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

}  // namespace

CScrollBarUI::CScrollBarUI() { m_cxyFixed.cx = kDefaultThickness; }

const wchar_t* CScrollBarUI::GetClass() const { return L"ScrollBarUI"; }

LPVOID CScrollBarUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"ScrollBar") == 0) return this;
    return CControlUI::GetInterface(pstrName);
}

CContainerUI* CScrollBarUI::GetOwner() const { return m_pOwner; }
void CScrollBarUI::SetOwner(CContainerUI* pOwner) { m_pOwner = pOwner; }

bool CScrollBarUI::IsHorizontal() const { return m_bHorizontal; }

void CScrollBarUI::SetHorizontal(bool bHorizontal) {
    if (m_bHorizontal == bHorizontal) return;
    m_bHorizontal = bHorizontal;
    // The thickness is the fixed size across the bar; a bar turned without
    // one would be zero pixels thick.
    if (m_bHorizontal) {
        if (m_cxyFixed.cy == 0) {
            m_cxyFixed.cx = 0;
            m_cxyFixed.cy = kDefaultThickness;
        }
    } else if (m_cxyFixed.cx == 0) {
        m_cxyFixed.cy = 0;
        m_cxyFixed.cx = kDefaultThickness;
    }
    if (m_pOwner) {
        m_pOwner->NeedUpdate();
    } else {
        NeedParentUpdate();
    }
}

int CScrollBarUI::GetScrollRange() const { return m_nRange; }

void CScrollBarUI::SetScrollRange(int nRange) {
    if (m_nRange == nRange) return;
    m_nRange = std::max(nRange, 0);
    if (m_nScrollPos > m_nRange) m_nScrollPos = m_nRange;
    SetPos(m_rcItem);
}

int CScrollBarUI::GetScrollPos() const { return m_nScrollPos; }

void CScrollBarUI::SetScrollPos(int nPos) {
    if (m_nScrollPos == nPos) return;
    m_nScrollPos = std::min(std::max(nPos, 0), m_nRange);
    SetPos(m_rcItem);
}

int CScrollBarUI::GetLineSize() const { return m_nLineSize; }
void CScrollBarUI::SetLineSize(int nSize) { m_nLineSize = nSize; }

bool CScrollBarUI::GetShowButton1() const { return m_bShowButton1; }

void CScrollBarUI::SetShowButton1(bool bShow) {
    m_bShowButton1 = bShow;
    SetPos(m_rcItem);
}

bool CScrollBarUI::GetShowButton2() const { return m_bShowButton2; }

void CScrollBarUI::SetShowButton2(bool bShow) {
    m_bShowButton2 = bShow;
    SetPos(m_rcItem);
}

void CScrollBarUI::SetVisible(bool bVisible) {
    if (m_bVisible == bVisible) return;
    m_bVisible = bVisible;
    m_bFocused = false;
}

void CScrollBarUI::SetEnabled(bool bEnable) {
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) {
        m_uButton1State = 0;
        m_uButton2State = 0;
        m_uThumbState = 0;
    }
}

void CScrollBarUI::SetFocus() {
    if (m_pOwner) {
        m_pOwner->SetFocus();
    } else {
        CControlUI::SetFocus();
    }
}

int CScrollBarUI::GetThickness() const {
    return GetDpiScale().Scale(m_bHorizontal ? m_cxyFixed.cy : m_cxyFixed.cx);
}

void CScrollBarUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    const RECT& r = m_rcItem;
    const bool hor = m_bHorizontal;
    const int t = GetThickness();
    const int a0 = AlongStart(hor, r);
    const int a1 = AlongEnd(hor, r);
    const int c0 = hor ? r.top : r.left;
    const int length = a1 - a0;

    int free = length;
    if (m_bShowButton1) free -= t;
    if (m_bShowButton2) free -= t;

    if (free > t) {
        m_rcButton1 = m_bShowButton1 ? MakePartRect(hor, a0, c0, a0 + t, c0 + t)
                                     : MakePartRect(hor, a0, c0, a0, c0);
        m_rcButton2 = m_bShowButton2 ? MakePartRect(hor, a1 - t, c0, a1, c0 + t)
                                     : MakePartRect(hor, a1, c0, a1, c0);
        const int button1End = AlongEnd(hor, m_rcButton1);
        const int button2Start = AlongStart(hor, m_rcButton2);
        int thumbStart = button1End;
        int thumbEnd = button2Start;
        if (m_nRange > 0) {
            // 64-bit products: a long range times a long rail overflows 32 bits.
            int thumbLength = static_cast<int>(static_cast<int64_t>(length) * free /
                                               (static_cast<int64_t>(length) + m_nRange));
            thumbLength = std::max(thumbLength, t);
            thumbStart = button1End + static_cast<int>(static_cast<int64_t>(free - thumbLength) *
                                                       m_nScrollPos / m_nRange);
            thumbEnd = thumbStart + thumbLength;
            if (thumbEnd > button2Start) {
                thumbEnd = button2Start;
                thumbStart = button2Start - thumbLength;
            }
        }
        m_rcThumb = MakePartRect(hor, thumbStart, c0, thumbEnd, c0 + t);
    } else {
        // No room for a thumb: the buttons share the length.
        const int s = std::min(t, length / 2);
        m_rcButton1 = m_bShowButton1 ? MakePartRect(hor, a0, c0, a0 + s, c0 + t)
                                     : MakePartRect(hor, a0, c0, a0, c0);
        m_rcButton2 = m_bShowButton2 ? MakePartRect(hor, a1 - s, c0, a1, c0 + t)
                                     : MakePartRect(hor, a1, c0, a1, c0);
        m_rcThumb = RECT{0, 0, 0, 0};
    }
}

void CScrollBarUI::StepBack() {
    if (m_pOwner) {
        if (m_bHorizontal) {
            m_pOwner->LineLeft();
        } else {
            m_pOwner->LineUp();
        }
    } else {
        SetScrollPos(m_nScrollPos - m_nLineSize);
    }
}

void CScrollBarUI::StepForward() {
    if (m_pOwner) {
        if (m_bHorizontal) {
            m_pOwner->LineRight();
        } else {
            m_pOwner->LineDown();
        }
    } else {
        SetScrollPos(m_nScrollPos + m_nLineSize);
    }
}

void CScrollBarUI::PageBack() {
    if (m_pOwner) {
        if (m_bHorizontal) {
            m_pOwner->PageLeft();
        } else {
            m_pOwner->PageUp();
        }
    } else {
        SetScrollPos(m_nScrollPos - (m_bHorizontal ? GetWidth() : GetHeight()));
    }
}

void CScrollBarUI::PageForward() {
    if (m_pOwner) {
        if (m_bHorizontal) {
            m_pOwner->PageRight();
        } else {
            m_pOwner->PageDown();
        }
    } else {
        SetScrollPos(m_nScrollPos + (m_bHorizontal ? GetWidth() : GetHeight()));
    }
}

void CScrollBarUI::PageTowards(POINT pt) {
    // Without a thumb there is no rail to click on.
    if (IsAllZero(m_rcThumb)) return;
    const int at = Along(m_bHorizontal, pt);
    if (at < AlongStart(m_bHorizontal, m_rcThumb)) {
        PageBack();
    } else if (at >= AlongEnd(m_bHorizontal, m_rcThumb)) {
        PageForward();
    }
}

void CScrollBarUI::NotifyScrollWithoutOwner() {
    if (m_pManager && !m_pOwner) m_pManager->SendNotify(this, L"scroll");
}

void CScrollBarUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_pOwner) {
            m_pOwner->DoEvent(event);
        } else {
            CControlUI::DoEvent(event);
        }
        return;
    }
    const POINT pt = event.mousePoint;
    switch (event.type) {
    case EventSetFocus:
    case EventKillFocus:
    case EventContextMenu:
        return;
    case EventButtonDown:
    case EventDblClick: {
        if (!IsEnabled()) return;
        m_nLastScrollOffset = 0;
        m_nScrollRepeatDelay = 0;
        if (m_pManager) m_pManager->SetTimer(this, kRepeatTimerId, kRepeatTimerMs);
        if (::PtInRect(&m_rcButton1, pt)) {
            m_uButton1State |= StatePushed;
            Invalidate();
            StepBack();
        } else if (::PtInRect(&m_rcButton2, pt)) {
            m_uButton2State |= StatePushed;
            Invalidate();
            StepForward();
        } else if (::PtInRect(&m_rcThumb, pt)) {
            m_uThumbState |= StatePushed | StateCaptured;
            m_ptLastMouse = pt;
            m_nLastScrollPos = m_nScrollPos;
            Invalidate();
        } else {
            PageTowards(pt);
        }
        NotifyScrollWithoutOwner();
        return;
    }
    case EventButtonUp: {
        m_nScrollRepeatDelay = 0;
        m_nLastScrollOffset = 0;
        if (m_pManager) m_pManager->KillTimer(this, kRepeatTimerId);
        if (m_uThumbState & StateCaptured) {
            m_uThumbState &= ~(StatePushed | StateCaptured);
        } else if (m_uButton1State & StatePushed) {
            m_uButton1State &= ~StatePushed;
        } else if (m_uButton2State & StatePushed) {
            m_uButton2State &= ~StatePushed;
        } else {
            return;
        }
        Invalidate();
        return;
    }
    case EventMouseMove: {
        if (m_uThumbState & StateCaptured) {
            // The track is the free length the thumb moves along; the
            // position follows at the next timer tick.
            const RECT& r = m_rcItem;
            int free = AlongEnd(m_bHorizontal, r) - AlongStart(m_bHorizontal, r);
            if (m_bShowButton1) free -= GetThickness();
            if (m_bShowButton2) free -= GetThickness();
            const int track =
                free - (AlongEnd(m_bHorizontal, m_rcThumb) - AlongStart(m_bHorizontal, m_rcThumb));
            if (track <= 0) return;
            const int moved = Along(m_bHorizontal, pt) - Along(m_bHorizontal, m_ptLastMouse);
            m_nLastScrollOffset =
                static_cast<int>(static_cast<int64_t>(moved) * m_nRange / track);
        } else if (!(m_uThumbState & StateHot)) {
            if (IsEnabled() && ::PtInRect(&m_rcThumb, pt)) {
                m_uThumbState |= StateHot;
                Invalidate();
            }
        } else if (!::PtInRect(&m_rcThumb, pt)) {
            m_uThumbState &= ~StateHot;
            Invalidate();
        }
        return;
    }
    case EventTimer:
        if (event.wParam != kRepeatTimerId) break;
        ++m_nScrollRepeatDelay;
        if (m_uThumbState & StateCaptured) {
            const int pos = m_nLastScrollPos + m_nLastScrollOffset;
            if (m_pOwner) {
                SIZE sz = m_pOwner->GetScrollPos();
                if (m_bHorizontal) {
                    sz.cx = pos;
                } else {
                    sz.cy = pos;
                }
                m_pOwner->SetScrollPos(sz);
            } else {
                SetScrollPos(pos);
            }
            Invalidate();
        } else if (m_uButton1State & StatePushed) {
            if (m_nScrollRepeatDelay <= kRepeatDelayTicks) return;
            StepBack();
        } else {
            if (m_nScrollRepeatDelay <= kRepeatDelayTicks) return;
            if (m_uButton2State & StatePushed) {
                StepForward();
            } else {
                POINT cursor = {0, 0};
                ::GetCursorPos(&cursor);
                if (m_pManager) ::ScreenToClient(m_pManager->GetPaintWindow(), &cursor);
                PageTowards(cursor);
            }
        }
        NotifyScrollWithoutOwner();
        return;
    case EventMouseEnter:
        if (IsEnabled()) {
            m_uButton1State |= StateHot;
            m_uButton2State |= StateHot;
            if (::PtInRect(&m_rcThumb, pt)) m_uThumbState |= StateHot;
            Invalidate();
        }
        return;
    case EventMouseLeave:
        if (IsEnabled()) {
            m_uButton1State &= ~StateHot;
            m_uButton2State &= ~StateHot;
            m_uThumbState &= ~StateHot;
            Invalidate();
        }
        return;
    default:
        break;
    }
    if (m_pOwner) {
        m_pOwner->DoEvent(event);
    } else {
        CControlUI::DoEvent(event);
    }
}

void CScrollBarUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    struct ImageAttribute {
        const wchar_t* name;
        void (CScrollBarUI::*setter)(const wchar_t*);
    };
    static const ImageAttribute kImages[] = {
        {L"button1normalimage", &CScrollBarUI::SetButton1NormalImage},
        {L"button1hotimage", &CScrollBarUI::SetButton1HotImage},
        {L"button1pushedimage", &CScrollBarUI::SetButton1PushedImage},
        {L"button1disabledimage", &CScrollBarUI::SetButton1DisabledImage},
        {L"button2normalimage", &CScrollBarUI::SetButton2NormalImage},
        {L"button2hotimage", &CScrollBarUI::SetButton2HotImage},
        {L"button2pushedimage", &CScrollBarUI::SetButton2PushedImage},
        {L"button2disabledimage", &CScrollBarUI::SetButton2DisabledImage},
        {L"thumbnormalimage", &CScrollBarUI::SetThumbNormalImage},
        {L"thumbhotimage", &CScrollBarUI::SetThumbHotImage},
        {L"thumbpushedimage", &CScrollBarUI::SetThumbPushedImage},
        {L"thumbdisabledimage", &CScrollBarUI::SetThumbDisabledImage},
        {L"railnormalimage", &CScrollBarUI::SetRailNormalImage},
        {L"railhotimage", &CScrollBarUI::SetRailHotImage},
        {L"railpushedimage", &CScrollBarUI::SetRailPushedImage},
        {L"raildisabledimage", &CScrollBarUI::SetRailDisabledImage},
        {L"bknormalimage", &CScrollBarUI::SetBkNormalImage},
        {L"bkhotimage", &CScrollBarUI::SetBkHotImage},
        {L"bkpushedimage", &CScrollBarUI::SetBkPushedImage},
        {L"bkdisabledimage", &CScrollBarUI::SetBkDisabledImage},
    };
    if (!pstrName || !pstrValue) return;
    for (const ImageAttribute& image : kImages) {
        if (std::wcscmp(pstrName, image.name) == 0) {
            (this->*image.setter)(pstrValue);
            return;
        }
    }
    using namespace AttributeText;
    if (std::wcscmp(pstrName, L"hor") == 0) {
        SetHorizontal(ReadBool(pstrValue));
    } else if (std::wcscmp(pstrName, L"linesize") == 0) {
        SetLineSize(ReadInt(pstrValue));
    } else if (std::wcscmp(pstrName, L"range") == 0) {
        SetScrollRange(ReadInt(pstrValue));
    } else if (std::wcscmp(pstrName, L"value") == 0) {
        SetScrollPos(ReadInt(pstrValue));
    } else if (std::wcscmp(pstrName, L"showbutton1") == 0) {
        SetShowButton1(ReadBool(pstrValue));
    } else if (std::wcscmp(pstrName, L"showbutton2") == 0) {
        SetShowButton2(ReadBool(pstrValue));
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

}  // namespace Facet
