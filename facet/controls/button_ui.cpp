// CButtonUI: state tracking from mouse and keyboard events, the "click",
// and painting of the state image and state text colour.
#include "facet/controls/button_ui.h"

#include <cwchar>

#include "facet/controls/attribute_text.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {

// Extra height of a button's natural size over its font's text height.
constexpr int kButtonTextMargin = 8;

}  // namespace

CButtonUI::CButtonUI() { m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER; }

const wchar_t* CButtonUI::GetClass() const { return L"ButtonUI"; }

LPVOID CButtonUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Button") == 0) return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CButtonUI::GetControlFlags() const {
    UINT flags = 0;
    if (IsKeyboardEnabled()) flags |= ControlFlagTabStop;
    if (IsEnabled()) flags |= ControlFlagSetCursor;
    return flags;
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pManager) m_pManager->SendNotify(this, L"click");
    return true;
}

void CButtonUI::SetEnabled(bool bEnable) {
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CButtonUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_pParent) {
            m_pParent->DoEvent(event);
        } else {
            CLabelUI::DoEvent(event);
        }
        return;
    }
    const bool inside = ::PtInRect(&m_rcItem, event.mousePoint) != FALSE;
    switch (event.type) {
    case EventSetFocus:
    case EventKillFocus:
        // The focused face shows; the label keeps the flag below.
        Invalidate();
        break;
    case EventKeyDown:
        if (IsKeyboardEnabled() && (event.keyChar == VK_SPACE || event.keyChar == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case EventButtonDown:
    case EventDblClick:
        if (inside && IsEnabled()) {
            m_uButtonState |= StatePushed | StateCaptured;
            Invalidate();
        }
        return;
    case EventMouseMove:
        if (m_uButtonState & StateCaptured) {
            // The pushed face follows the pointer while the press lasts.
            if (inside) {
                m_uButtonState |= StatePushed;
            } else {
                m_uButtonState &= ~StatePushed;
            }
            Invalidate();
        }
        return;
    case EventButtonUp:
        if (m_uButtonState & StateCaptured) {
            // A "click" handler may destroy the button; then there is no
            // state left to clear.
            CControlWatch watch(this);
            if (inside) Activate();
            if (!watch) return;
            m_uButtonState &= ~(StatePushed | StateCaptured);
            Invalidate();
        }
        return;
    case EventContextMenu:
        if (IsContextMenuUsed() && m_pManager) {
            m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
        }
        return;
    case EventMouseEnter:
        if (IsEnabled()) {
            m_uButtonState |= StateHot;
            Invalidate();
        }
        break;
    case EventMouseLeave:
        if (IsEnabled()) {
            m_uButtonState &= ~StateHot;
            Invalidate();
        }
        break;
    case EventSetCursor:
        ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (!pstrName || !pstrValue) return;
    using AttributeText::ReadColor;
    auto is = [pstrName](const wchar_t* name) { return std::wcscmp(pstrName, name) == 0; };
    if (is(L"normalimage")) {
        SetNormalImage(pstrValue);
    } else if (is(L"hotimage")) {
        SetHotImage(pstrValue);
    } else if (is(L"pushedimage")) {
        SetPushedImage(pstrValue);
    } else if (is(L"focusedimage")) {
        SetFocusedImage(pstrValue);
    } else if (is(L"disabledimage")) {
        SetDisabledImage(pstrValue);
    } else if (is(L"foreimage")) {
        SetForeImage(pstrValue);
    } else if (is(L"hotforeimage")) {
        SetHotForeImage(pstrValue);
    } else if (is(L"hotbkcolor")) {
        SetHotBkColor(ReadColor(pstrValue));
    } else if (is(L"hottextcolor")) {
        SetHotTextColor(ReadColor(pstrValue));
    } else if (is(L"pushedtextcolor")) {
        SetPushedTextColor(ReadColor(pstrValue));
    } else if (is(L"focusedtextcolor")) {
        SetFocusedTextColor(ReadColor(pstrValue));
    } else {
        CLabelUI::SetAttribute(pstrName, pstrValue);
    }
}

SIZE CButtonUI::EstimateSize(SIZE szAvailable) {
    return EstimateWithFontHeight(szAvailable, kButtonTextMargin);
}

const wchar_t* CButtonUI::GetNormalImage() const { return m_sNormalImage; }
void CButtonUI::SetNormalImage(const wchar_t* s) { AssignImage(m_sNormalImage, s); }
const wchar_t* CButtonUI::GetHotImage() const { return m_sHotImage; }
void CButtonUI::SetHotImage(const wchar_t* s) { AssignImage(m_sHotImage, s); }
const wchar_t* CButtonUI::GetHotForeImage() const { return m_sHotForeImage; }
void CButtonUI::SetHotForeImage(const wchar_t* s) { AssignImage(m_sHotForeImage, s); }
const wchar_t* CButtonUI::GetPushedImage() const { return m_sPushedImage; }
void CButtonUI::SetPushedImage(const wchar_t* s) { AssignImage(m_sPushedImage, s); }
const wchar_t* CButtonUI::GetFocusedImage() const { return m_sFocusedImage; }
void CButtonUI::SetFocusedImage(const wchar_t* s) { AssignImage(m_sFocusedImage, s); }
const wchar_t* CButtonUI::GetDisabledImage() const { return m_sDisabledImage; }
void CButtonUI::SetDisabledImage(const wchar_t* s) { AssignImage(m_sDisabledImage, s); }
const wchar_t* CButtonUI::GetForeImage() const { return m_sForeImage; }
void CButtonUI::SetForeImage(const wchar_t* s) { AssignImage(m_sForeImage, s); }

DWORD CButtonUI::GetHotBkColor() const { return m_dwHotBkColor; }
void CButtonUI::SetHotBkColor(DWORD dwColor) { m_dwHotBkColor = dwColor; }
DWORD CButtonUI::GetHotTextColor() const { return m_dwHotTextColor; }
void CButtonUI::SetHotTextColor(DWORD dwColor) { m_dwHotTextColor = dwColor; }
DWORD CButtonUI::GetPushedTextColor() const { return m_dwPushedTextColor; }
void CButtonUI::SetPushedTextColor(DWORD dwColor) { m_dwPushedTextColor = dwColor; }
DWORD CButtonUI::GetFocusedTextColor() const { return m_dwFocusedTextColor; }
void CButtonUI::SetFocusedTextColor(DWORD dwColor) { m_dwFocusedTextColor = dwColor; }

void CButtonUI::RefreshPaintState() {
    if (IsFocused()) {
        m_uButtonState |= StateFocused;
    } else {
        m_uButtonState &= ~StateFocused;
    }
    if (!IsEnabled()) {
        m_uButtonState |= StateDisabled;
    } else {
        m_uButtonState &= ~StateDisabled;
    }
}

void CButtonUI::PaintStatusImage(HDC hDC) {
    RefreshPaintState();
    // The first state that holds picks the face; a state without its own
    // image shows the normal face.
    if (m_uButtonState & StateDisabled) {
        if (DrawImageOrForget(hDC, m_sDisabledImage)) {
            DrawImageOrForget(hDC, m_sForeImage);
            return;
        }
    } else if (m_uButtonState & StatePushed) {
        if (DrawImageOrForget(hDC, m_sPushedImage)) {
            DrawImageOrForget(hDC, m_sForeImage);
            return;
        }
    } else if (m_uButtonState & StateHot) {
        if (DrawImageOrForget(hDC, m_sHotImage)) {
            if (!DrawImageOrForget(hDC, m_sHotForeImage)) DrawImageOrForget(hDC, m_sForeImage);
            return;
        }
        if (m_dwHotBkColor != 0) {
            CRenderEngine::DrawColor(hDC, m_rcPaint, GetAdjustColor(m_dwHotBkColor));
            return;
        }
    } else if (m_uButtonState & StateFocused) {
        if (DrawImageOrForget(hDC, m_sFocusedImage)) {
            DrawImageOrForget(hDC, m_sForeImage);
            return;
        }
    }
    DrawImageOrForget(hDC, m_sNormalImage);
    DrawImageOrForget(hDC, m_sForeImage);
}

void CButtonUI::PaintText(HDC hDC) {
    RefreshPaintState();
    if (!m_pManager) return;
    ApplyDefaultTextColors();
    const CDuiString text = GetText();
    if (text.IsEmpty()) return;
    DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if ((m_uButtonState & StatePushed) && m_dwPushedTextColor != 0) {
        color = m_dwPushedTextColor;
    } else if ((m_uButtonState & StateHot) && m_dwHotTextColor != 0) {
        color = m_dwHotTextColor;
    } else if ((m_uButtonState & StateFocused) && m_dwFocusedTextColor != 0) {
        color = m_dwFocusedTextColor;
    }
    RECT rc = GetTextRect();
    if (m_bShowHtml) {
        int nLinks = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, text, color, nullptr, nullptr, nLinks,
                                    m_uTextStyle);
    } else {
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, text, color, m_iFont, m_uTextStyle);
    }
}

}  // namespace Facet
