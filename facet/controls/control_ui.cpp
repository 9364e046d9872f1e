// CControlUI: identity, tree, geometry, the setters and their side effects,
// visibility and focus, search, events, invalidation and layout requests.
// Painting lives in control_ui_paint.cpp, markup attributes in
// control_ui_attributes.cpp.
#include "facet/controls/control_ui.h"

#include "facet/manager/paint_manager_ui.h"

namespace Facet {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    DestroyHandlers(this);
    if (m_pManager) m_pManager->ReapObjects(this);
    // Whoever watches the control across a call learns that it is gone.
    while (m_pWatches) {
        CControlWatch* watch = m_pWatches;
        watch->Unlink();
        watch->m_pControl = nullptr;
    }
}

// Identity -----------------------------------------------------------------

CDuiString CControlUI::GetName() const { return m_sName; }

void CControlUI::SetName(const wchar_t* pstrName) { m_sName = pstrName; }

const wchar_t* CControlUI::GetClass() const { return L"ControlUI"; }

LPVOID CControlUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && wcscmp(pstrName, L"Control") == 0) return this;
    return nullptr;
}

UINT CControlUI::GetControlFlags() const { return 0; }

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

// Tree ---------------------------------------------------------------------

CPaintManagerUI* CControlUI::GetManager() const { return m_pManager; }

void CControlUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    m_pManager = pManager;
    m_pParent = pParent;
    if (bInit && m_pParent) Init();
}

CControlUI* CControlUI::GetParent() const { return m_pParent; }

void CControlUI::Init() {
    DoInit();
    InitHandlers(this);
}

void CControlUI::DoInit() {}

// Text ---------------------------------------------------------------------

CDuiString CControlUI::GetText() const { return m_sText; }

void CControlUI::SetText(const wchar_t* pstrText) {
    if (m_sText == (pstrText ? pstrText : L"")) return;
    m_sText = pstrText;
    Invalidate();
    // A reader that follows the control hears its new name (a status text,
    // a button that says what it does now). A progress bar's text shows its
    // value, which it announces itself.
    if (m_pManager && !GetInterface(L"Progress")) {
        m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_NAMECHANGE, this);
    }
}

// Geometry -----------------------------------------------------------------

const RECT& CControlUI::GetPos() const { return m_rcItem; }

void CControlUI::SetPos(RECT rc) {
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;

    RECT invalidate = ::IsRectEmpty(&m_rcItem) ? rc : m_rcItem;
    m_rcItem = rc;
    if (!m_pManager) return;

    if (!m_bSetPos) {
        m_bSetPos = true;
        CControlWatch self(this);
        SizeHandlers(this);
        // A size handler may destroy the control; nothing below may run then.
        if (!self) return;
        m_bSetPos = false;
    }

    if (m_bFloat && m_pParent) {
        // Recorded in skin units, as markup gave them, so that the next
        // layout at this scale puts the control exactly here again.
        const CDpiScale dpi = GetDpiScale();
        const RECT& parent = m_pParent->GetPos();
        m_cXY.cx = dpi.Unscale(m_cXY.cx >= 0 ? m_rcItem.left - parent.left
                                             : m_rcItem.right - parent.right);
        m_cXY.cy = dpi.Unscale(m_cXY.cy >= 0 ? m_rcItem.top - parent.top
                                             : m_rcItem.bottom - parent.bottom);
        m_cxyFixed.cx = dpi.Unscale(m_rcItem.right - m_rcItem.left);
        m_cxyFixed.cy = dpi.Unscale(m_rcItem.bottom - m_rcItem.top);
    }

    m_bUpdateNeeded = false;
    ::UnionRect(&invalidate, &invalidate, &m_rcItem);
    InvalidateThroughAncestors(invalidate);
}

int CControlUI::GetWidth() const { return m_rcItem.right - m_rcItem.left; }
int CControlUI::GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
int CControlUI::GetX() const { return m_rcItem.left; }
int CControlUI::GetY() const { return m_rcItem.top; }

RECT CControlUI::GetPadding() const { return m_rcPadding; }

void CControlUI::SetPadding(RECT rcPadding) {
    m_rcPadding = rcPadding;
    NeedParentUpdate();
}

SIZE CControlUI::GetFixedXY() const { return m_cXY; }

void CControlUI::SetFixedXY(SIZE szXY) {
    m_cXY = szXY;
    NeedSizeUpdate();
}

void CControlUI::NeedSizeUpdate() {
    // A floating control places itself; a flowing one moves its siblings.
    if (m_bFloat) {
        NeedUpdate();
    } else {
        NeedParentUpdate();
    }
}

int CControlUI::GetFixedWidth() const { return m_cxyFixed.cx; }

void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0) return;
    m_cxyFixed.cx = cx;
    NeedSizeUpdate();
}

int CControlUI::GetFixedHeight() const { return m_cxyFixed.cy; }

void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0) return;
    m_cxyFixed.cy = cy;
    NeedSizeUpdate();
}

int CControlUI::GetMinWidth() const { return m_cxyMin.cx; }

void CControlUI::SetMinWidth(int cx) {
    if (m_cxyMin.cx == cx || cx < 0) return;
    m_cxyMin.cx = cx;
    NeedSizeUpdate();
}

int CControlUI::GetMaxWidth() const { return m_cxyMax.cx; }

void CControlUI::SetMaxWidth(int cx) {
    if (m_cxyMax.cx == cx || cx < 0) return;
    m_cxyMax.cx = cx;
    NeedSizeUpdate();
}

int CControlUI::GetMinHeight() const { return m_cxyMin.cy; }

void CControlUI::SetMinHeight(int cy) {
    if (m_cxyMin.cy == cy || cy < 0) return;
    m_cxyMin.cy = cy;
    NeedSizeUpdate();
}

int CControlUI::GetMaxHeight() const { return m_cxyMax.cy; }

void CControlUI::SetMaxHeight(int cy) {
    if (m_cxyMax.cy == cy || cy < 0) return;
    m_cxyMax.cy = cy;
    NeedSizeUpdate();
}

void CControlUI::SetRelativePos(SIZE szMove, SIZE szZoom) {
    m_tRelativePos.bRelative = true;
    m_tRelativePos.nMoveXPercent = szMove.cx;
    m_tRelativePos.nMoveYPercent = szMove.cy;
    m_tRelativePos.nZoomXPercent = szZoom.cx;
    m_tRelativePos.nZoomYPercent = szZoom.cy;
}

void CControlUI::SetRelativeParentSize(SIZE sz) { m_tRelativePos.szParent = sz; }

TRelativePosUI CControlUI::GetRelativePos() const { return m_tRelativePos; }

bool CControlUI::IsRelativePos() const { return m_tRelativePos.bRelative; }

SIZE CControlUI::EstimateSize(SIZE /*szAvailable*/) { return GetDpiScale().Scale(m_cxyFixed); }

CDpiScale CControlUI::GetDpiScale() const {
    return m_pManager ? m_pManager->GetDpiScale() : CDpiScale();
}

// Plain properties -----------------------------------------------------------

CDuiString CControlUI::GetToolTip() const { return m_sToolTip; }

void CControlUI::SetToolTip(const wchar_t* pstrText) {
    CDuiString text(pstrText ? pstrText : L"");
    text.Replace(L"<n>", L"\r\n");
    m_sToolTip = text;
}

void CControlUI::SetToolTipWidth(int nWidth) { m_nTooltipWidth = nWidth; }
int CControlUI::GetToolTipWidth() { return m_nTooltipWidth; }

wchar_t CControlUI::GetShortcut() const { return m_chShortcut; }
void CControlUI::SetShortcut(wchar_t ch) { m_chShortcut = ch; }

bool CControlUI::IsContextMenuUsed() const { return m_bMenuUsed; }
void CControlUI::SetContextMenuUsed(bool bMenuUsed) { m_bMenuUsed = bMenuUsed; }

const CDuiString& CControlUI::GetUserData() { return m_sUserData; }
void CControlUI::SetUserData(const wchar_t* pstrText) { m_sUserData = pstrText; }

UINT_PTR CControlUI::GetTag() const { return m_pTag; }
void CControlUI::SetTag(UINT_PTR pTag) { m_pTag = pTag; }

// Visibility, enabling, focus ----------------------------------------------

bool CControlUI::IsVisible() const { return m_bVisible && m_bInternVisible; }

void CControlUI::SetVisible(bool bVisible) {
    if (m_bVisible == bVisible) return;
    const bool wasVisible = IsVisible();
    m_bVisible = bVisible;
    m_bFocused = false;
    if (!bVisible && m_pManager && m_pManager->GetFocus() == this) m_pManager->MoveFocusFrom(this);
    if (IsVisible() != wasVisible) {
        NeedParentUpdate();
        if (m_pManager) m_pManager->NotifyAccessibleEvent(IsVisible() ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, this);
    }
}

void CControlUI::SetInternVisible(bool bVisible) {
    m_bInternVisible = bVisible;
    if (!bVisible && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const { return m_bEnabled; }

void CControlUI::SetEnabled(bool bEnable) {
    if (m_bEnabled == bEnable) return;
    m_bEnabled = bEnable;
    Invalidate();
    if (!m_pManager) return;
    m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_STATECHANGE, this);
    // A disabled control cannot keep the focus: it would hold it unseen.
    if (!bEnable && m_pManager->GetFocus() == this) m_pManager->MoveFocusFrom(this);
}

bool CControlUI::IsMouseEnabled() const { return m_bMouseEnabled; }
void CControlUI::SetMouseEnabled(bool bEnable) { m_bMouseEnabled = bEnable; }

bool CControlUI::IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
void CControlUI::SetKeyboardEnabled(bool bEnable) { m_bKeyboardEnabled = bEnable; }

bool CControlUI::IsFocused() const { return m_bFocused; }

void CControlUI::SetFocus() {
    if (m_pManager) m_pManager->SetFocus(this);
}

bool CControlUI::IsFloat() const { return m_bFloat; }

void CControlUI::SetFloat(bool bFloat) {
    if (m_bFloat == bFloat) return;
    m_bFloat = bFloat;
    NeedParentUpdate();
}

// Search and events --------------------------------------------------------

CControlUI* CControlUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) {
    if ((uFlags & FindVisible) && !IsVisible()) return nullptr;
    if ((uFlags & FindEnabled) && !IsEnabled()) return nullptr;
    if (uFlags & FindHitTest) {
        if (!m_bMouseEnabled || !pData) return nullptr;
        if (!::PtInRect(&m_rcItem, *static_cast<const POINT*>(pData))) return nullptr;
    }
    return Proc ? Proc(this, pData) : nullptr;
}

void CControlUI::Event(TEventUI& event) {
    CControlWatch self(this);
    if (!EventHandlers(&event)) return;
    // A handler that destroyed the control has taken the event with it.
    if (!self) return;
    DoEvent(event);
}

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.type) {
    case EventSetCursor:
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        return;
    case EventSetFocus:
    case EventKillFocus:
        m_bFocused = event.type == EventSetFocus;
        Invalidate();
        return;
    case EventTimer:
        if (m_pManager) m_pManager->SendNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case EventContextMenu:
        if (IsContextMenuUsed()) {
            if (m_pManager) m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
            return;
        }
        break;
    default:
        break;
    }
    if (m_pParent) m_pParent->DoEvent(event);
}

// Invalidation and layout requests -----------------------------------------

void CControlUI::InvalidateThroughAncestors(RECT rc) {
    for (CControlUI* parent = m_pParent; parent; parent = parent->GetParent()) {
        RECT parentRect = parent->GetPos();
        if (!::IntersectRect(&rc, &rc, &parentRect)) return;
    }
    if (m_pManager) m_pManager->Invalidate(rc);
}

void CControlUI::Invalidate() {
    if (!IsVisible()) return;
    InvalidateThroughAncestors(m_rcItem);
}

bool CControlUI::IsUpdateNeeded() const { return m_bUpdateNeeded; }

void CControlUI::NeedUpdate() {
    if (!IsVisible()) return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    if (m_pParent) {
        m_pParent->NeedUpdate();
        m_pParent->Invalidate();
    } else {
        NeedUpdate();
    }
    if (m_pManager) m_pManager->NeedUpdate();
}

CDuiString CControlUI::GetVirtualWnd() const {
    if (!m_sVirtualWnd.IsEmpty()) return m_sVirtualWnd;
    if (m_pParent) return m_pParent->GetVirtualWnd();
    return CDuiString();
}

void CControlUI::SetVirtualWnd(const wchar_t* pstrValue) {
    m_sVirtualWnd = pstrValue;
    // The name only matters once notifications carry it.
    if (m_pManager) m_pManager->UsedVirtualWnd(true);
}

// Watches --------------------------------------------------------------------

CControlWatch::CControlWatch(CControlUI* pControl) : m_pControl(pControl) {
    if (!m_pControl) return;
    m_pNext = m_pControl->m_pWatches;
    if (m_pNext) m_pNext->m_pPrev = this;
    m_pControl->m_pWatches = this;
}

CControlWatch::~CControlWatch() { Unlink(); }

void CControlWatch::Unlink() {
    if (!m_pControl) return;
    if (m_pPrev) {
        m_pPrev->m_pNext = m_pNext;
    } else {
        m_pControl->m_pWatches = m_pNext;
    }
    if (m_pNext) m_pNext->m_pPrev = m_pPrev;
    m_pPrev = m_pNext = nullptr;
}

}  // namespace Facet
