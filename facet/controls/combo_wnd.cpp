// CComboWnd: placing the popup, borrowing the combo's items into its own
// layout, the keys and clicks that choose or close, and giving the items back.
#include "facet/controls/combo_wnd.h"

#include <windowsx.h>

#include <cwchar>
#include <memory>

#include "facet/controls/combo_ui.h"
#include "facet/controls/scroll_bar_ui.h"
#include "facet/controls/vertical_layout_ui.h"

namespace Facet {

namespace {
// The layout's 1-pixel inset and border, above and below.
constexpr int kListFrame = 4;
constexpr DWORD kListBkColor = 0xFFFFFFFF;
constexpr DWORD kListBorderColor = 0xFFC6C7D2;
}  // namespace

CComboWnd::CComboWnd(CComboUI* pOwner) : m_pOwner(pOwner), m_iOldSel(pOwner->GetCurSel()) {}

CComboWnd* CComboWnd::Open(CComboUI* pOwner) {
    auto destroy = [](CComboWnd* wnd) { delete wnd; };  // the destructor is private
    std::unique_ptr<CComboWnd, decltype(destroy)> owned(new CComboWnd(pOwner), destroy);
    pOwner->m_pWindow = owned.get();
    HWND hWndParent = pOwner->GetManager()->GetPaintWindow();
    owned->Create(hWndParent, nullptr, WS_POPUP, WS_EX_TOOLWINDOW, owned->PlaceBelowOrAbove());
    if (!::IsWindow(owned->m_hWnd)) {
        // A window that failed after its creation began has given the items
        // back and let go of the combo on its final message already.
        if (pOwner->m_pWindow == owned.get()) pOwner->m_pWindow = nullptr;
        return nullptr;
    }
    CComboWnd* wnd = owned.release();
    wnd->m_bOwnedByWindow = true;
    HWND hWndTop = hWndParent;
    while (HWND up = ::GetParent(hWndTop)) hWndTop = up;
    ::ShowWindow(wnd->m_hWnd, SW_SHOW);
    // The popup takes the activation; the main window keeps an active look.
    ::SendMessageW(hWndTop, WM_NCACTIVATE, TRUE, 0);
    return wnd;
}

RECT CComboWnd::PlaceBelowOrAbove() const {
    const RECT rcOwner = m_pOwner->GetPos();
    const CDpiScale dpi = m_pOwner->GetManager()->GetDpiScale();
    const SIZE szDrop = dpi.Scale(m_pOwner->GetDropBoxSize());
    RECT rc = rcOwner;
    rc.top = rcOwner.bottom;
    if (szDrop.cx > 0) rc.right = rc.left + szDrop.cx;

    const SIZE szAvailable = {rc.right - rc.left, szDrop.cy};
    int cyContent = 0;
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* item = m_pOwner->GetItemAt(i);
        if (item->IsVisible()) cyContent += item->EstimateSize(szAvailable).cy;
    }
    cyContent += dpi.Scale(kListFrame);
    const int cyPopup = cyContent < szDrop.cy ? cyContent : szDrop.cy;
    rc.bottom = rc.top + cyPopup;

    HWND hWndParent = m_pOwner->GetManager()->GetPaintWindow();
    ::MapWindowPoints(hWndParent, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(hWndParent, MONITOR_DEFAULTTOPRIMARY), &info);
    if (rc.bottom > info.rcWork.bottom) {
        rc.left = rcOwner.left;
        rc.right = szDrop.cx > 0 ? rc.left + szDrop.cx : rcOwner.right;
        rc.bottom = rcOwner.top;
        rc.top = rcOwner.top - cyPopup;
        ::MapWindowPoints(hWndParent, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    }
    return rc;
}

const wchar_t* CComboWnd::GetWndClassName() const { return L"ComboWnd"; }
UINT CComboWnd::GetClassStyle() const { return 0; }

void CComboWnd::BuildLayout() {
    m_pm.Init(m_hWnd);
    m_pm.AddPreMessageFilter(this);
    CPaintManagerUI* owner = m_pOwner->GetManager();
    m_pm.UseParentResource(owner);
    // For a screen reader this window is the combo's list: its items keep
    // the ids they have in the combo's window.
    m_pm.SetAccessibleOwner(owner);
    // The list shows the combo's fonts and images, made at the combo's scale,
    // so it is laid out at that scale too, whichever screen it opens on.
    m_pm.SetDPI(owner->GetDPI());
    m_pLayout = new CVerticalLayoutUI;
    m_pLayout->SetManager(&m_pm, nullptr, true);
    if (const wchar_t* defaults = owner->GetDefaultAttributeList(L"VerticalLayout")) {
        m_pLayout->ApplyAttributeList(defaults);
    }
    m_pLayout->SetInset(RECT{1, 1, 1, 1});
    m_pLayout->SetBkColor(kListBkColor);
    m_pLayout->SetBorderColor(kListBorderColor);
    m_pLayout->SetBorderSize(1);
    // The combo keeps owning the items; the list only shows them.
    m_pLayout->SetAutoDestroy(false);
    m_pLayout->EnableScrollBar(true, false);
    m_pLayout->ApplyAttributeList(m_pOwner->GetDropBoxAttributeList());
    for (int i = 0; i < m_pOwner->GetCount(); ++i) m_pLayout->Add(m_pOwner->GetItemAt(i));
    m_pm.AttachDialog(m_pLayout);
}

void CComboWnd::GiveItemsBack() {
    if (m_bItemsGivenBack || !m_pOwner) return;
    // A hovered or pressed item hears the end of it while it is still in
    // this list, so none comes back lit or pushed. A handler may destroy the
    // combo, which gives the items back itself.
    m_pm.EndMouseInput();
    if (m_bItemsGivenBack || !m_pOwner) return;
    m_bItemsGivenBack = true;
    // Nothing of the combo's is shown here from now on; its manager may go
    // before this window's last messages.
    m_pm.SetAccessibleOwner(nullptr);
    // This manager must not hover, focus or press an item after it left.
    for (int i = 0; i < m_pOwner->GetCount(); ++i) m_pm.ReapObjects(m_pOwner->GetItemAt(i));
    if (m_pLayout) m_pLayout->RemoveAll();
    m_pOwner->SetManager(m_pOwner->GetManager(), m_pOwner->GetParent(), false);
    m_pOwner->EmptyItemRects();
}

void CComboWnd::Abandon() {
    GiveItemsBack();
    CComboUI* owner = m_pOwner;
    m_pOwner = nullptr;
    if (owner) owner->OnDropDownGone();
    // Destroying the window here could pull it from under its own message
    // handling (a choice in the list that empties it); hidden, it closes
    // at its next message.
    ::ShowWindow(m_hWnd, SW_HIDE);
    PostMessage(WM_CLOSE);
}

LRESULT CComboWnd::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM /*lParam*/, bool& bHandled) {
    // Tab would otherwise move the focus among this list's own items.
    if (uMsg != WM_KEYDOWN || wParam != VK_TAB || !m_pOwner) return 0;
    bHandled = true;
    // As in a dialog's combo box: the list closes with the choice it shows
    // and the focus moves on from the combo.
    CComboUI* owner = m_pOwner;
    CControlWatch watch(owner);
    Abandon();
    if (!watch || !owner->GetManager()) return 0;
    owner->SetFocus();
    if (watch && owner->GetManager()) owner->GetManager()->SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
    return 0;
}

void CComboWnd::FocusChosenItem() {
    if (!m_pOwner) return;
    if (CControlUI* item = m_pOwner->GetItemAt(m_pOwner->GetCurSel())) m_pm.SetFocus(item);
}

void CComboWnd::EnsureVisible(int iIndex) {
    if (!m_pOwner || m_pOwner->GetCurSel() < 0 || !m_pLayout) return;
    CControlUI* item = m_pOwner->GetItemAt(iIndex);
    if (!item) return;
    const RECT rcItem = item->GetPos();
    RECT rcList = m_pLayout->GetPos();
    CScrollBarUI* hbar = m_pLayout->GetHorizontalScrollBar();
    if (hbar && hbar->IsVisible()) rcList.bottom -= hbar->GetFixedHeight();
    if (rcItem.top >= rcList.top && rcItem.bottom < rcList.bottom) return;
    const int dy = rcItem.top < rcList.top ? rcItem.top - rcList.top : rcItem.bottom - rcList.bottom;
    SIZE pos = m_pLayout->GetScrollPos();
    pos.cy += dy;
    m_pLayout->SetScrollPos(pos);
}

LRESULT CComboWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_CREATE:
        BuildLayout();
        return 0;
    case WM_GETOBJECT:
        if (m_pOwner && static_cast<LONG>(lParam) == OBJID_CLIENT) {
            return m_pOwner->GetManager()->AccessibleObjectFor(wParam, m_pOwner, 1);
        }
        break;
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(wParam) != m_hWnd) PostMessage(WM_CLOSE);
        break;
    case WM_SYSKEYDOWN:
        // Alt+Up and Alt+Down close the list (the combo may have heard them
        // through the focused item already; closing twice is closing).
        if (wParam == VK_UP || wParam == VK_DOWN) {
            PostMessage(WM_KILLFOCUS);
            return 0;
        }
        break;
    case WM_CLOSE:
        GiveItemsBack();
        if (m_pOwner) m_pOwner->SetFocus();
        break;
    case WM_DESTROY:
        // However the window goes (its owner closing, a direct destroy), the
        // items must not stay with a manager that is about to die.
        GiveItemsBack();
        break;
    case WM_KEYDOWN:
        if (!m_pOwner) return 0;
        if (wParam == VK_ESCAPE) {
            // The list closes first, so that going back to the old choice
            // moves no focus in a window that is going away: the combo's
            // is the only focus a reader hears.
            CComboUI* owner = m_pOwner;
            const int old = m_iOldSel;
            CControlWatch watch(owner);
            Abandon();
            if (watch) owner->SelectItem(old);
            if (watch) owner->SetFocus();
        } else if (wParam == VK_RETURN) {
            PostMessage(WM_KILLFOCUS);
        } else {
            TEventUI event;
            event.type = EventKeyDown;
            event.keyChar = static_cast<wchar_t>(wParam);
            m_pOwner->DoEvent(event);
            if (m_pOwner) EnsureVisible(m_pOwner->GetCurSel());
        }
        return 0;
    case WM_LBUTTONUP: {
        const POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        CControlUI* hit = m_pm.FindControl(pt);
        if (hit && std::wcscmp(hit->GetClass(), L"ScrollBarUI") != 0) PostMessage(WM_KILLFOCUS);
        break;
    }
    case WM_MOUSEWHEEL: {
        if (!m_pOwner) return 0;
        TEventUI event;
        event.type = EventScrollWheel;
        event.wParam = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? SB_LINEDOWN : SB_LINEUP;
        event.lParam = lParam;
        event.timestamp = ::GetTickCount();
        m_pOwner->DoEvent(event);
        if (m_pOwner) EnsureVisible(m_pOwner->GetCurSel());
        return 0;
    }
    default:
        break;
    }
    LRESULT lRes = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CComboWnd::OnFinalMessage(HWND /*hWnd*/) {
    // A window whose creation failed gets no WM_DESTROY, only this.
    GiveItemsBack();
    CComboUI* owner = m_pOwner;
    m_pOwner = nullptr;
    if (owner) owner->OnDropDownGone();
    if (m_bOwnedByWindow) delete this;
}

}  // namespace Facet
