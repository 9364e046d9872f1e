// CPaintManagerUI's focus and keyboard routing: focus changes with their
// events and notifications, tab navigation, Alt+key shortcuts, mouse capture,
// and the pre-translation of queued messages that the message loop runs for
// the manager responsible for each message's window.
#include <cwctype>

#include "facet/controls/control_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

constexpr UINT kTabSearchFlags = FindVisible | FindEnabled | FindMeFirst;
constexpr UINT kShortcutSearchFlags = FindEnabled | FindTopFirst | FindMeFirst;

// The record of a tab search over the tree.
struct TabSearch {
    CControlUI* focus;
    CControlUI* last;
    bool forward;
    bool nextIsIt;
};

CControlUI* CALLBACK FindTabStop(CControlUI* pThis, LPVOID pData) {
    auto* search = static_cast<TabSearch*>(pData);
    if (pThis == search->focus) {
        if (search->forward) {
            search->nextIsIt = true;
            return nullptr;
        }
        // The tab stop before the focus; none (before the first one) lets the
        // search run on to the end, whose last tab stop is the wrap-around.
        return search->last;
    }
    if ((pThis->GetControlFlags() & ControlFlagTabStop) == 0) return nullptr;
    search->last = pThis;
    if (search->nextIsIt || !search->focus) return pThis;
    return nullptr;
}

struct ShortcutSearch {
    wchar_t ch;
    bool pickNext;
};

bool ClassContains(CControlUI* control, const wchar_t* part) {
    return wcsstr(control->GetClass(), part) != nullptr;
}

CControlUI* CALLBACK FindShortcut(CControlUI* pThis, LPVOID pData) {
    auto* search = static_cast<ShortcutSearch*>(pData);
    if (!pThis->IsVisible()) return nullptr;
    if (static_cast<wchar_t>(towupper(pThis->GetShortcut())) == search->ch) search->pickNext = true;
    // A label names the control beside it; it never takes the focus itself.
    if (ClassContains(pThis, L"LabelUI")) return nullptr;
    return search->pickNext ? pThis : nullptr;
}

}  // namespace

CControlUI* CPaintManagerUI::GetFocus() const { return m_pFocus; }

void CPaintManagerUI::SetFocus(CControlUI* pControl) {
    if (m_hWndPaint && ::GetFocus() != m_hWndPaint) {
        ::SetFocus(m_hWndPaint);
        // The window's own WM_SETFOCUS announces the focused control again.
        if (pControl == m_pFocus) return;
    }
    if (pControl == m_pFocus) return;

    CControlWatch next(pControl);
    if (m_pFocus) {
        CControlUI* old = m_pFocus;
        CControlWatch watch(old);
        TEventUI event = MakeEvent(EventKillFocus, pControl, m_ptLastMousePos);
        DeliverEvent(old, event);
        if (watch) SendNotify(old, L"killfocus");
        m_pFocus = nullptr;
    }
    // The old control's handlers may have destroyed the new one.
    pControl = next.Get();
    if (!pControl || pControl->GetManager() != this || !pControl->IsVisible() ||
        !pControl->IsEnabled()) {
        return;
    }
    m_pFocus = pControl;
    AnnounceFocusLater();
    TEventUI event = MakeEvent(EventSetFocus, pControl, m_ptLastMousePos);
    DeliverEvent(pControl, event);
    if (next) SendNotify(pControl, L"setfocus");
}

void CPaintManagerUI::MoveFocusFrom(CControlUI* pControl) {
    if (!pControl || pControl != m_pFocus) return;
    // The search passes over the control, which can no longer take it.
    TabSearch first = {nullptr, nullptr, true, false};
    CControlUI* next = m_pRoot ? m_pRoot->FindControl(FindTabStop, &first, kTabSearchFlags) : nullptr;
    if (next && next != pControl) {
        SetFocus(next);
        return;
    }
    SetFocus(nullptr);
    // Nothing can take it: the window itself holds it, as a reader hears.
    AnnounceFocusLater();
}

void CPaintManagerUI::SetFocusNeeded(CControlUI* pControl) {
    if (m_hWndPaint) ::SetFocus(m_hWndPaint);
    if (!pControl) return;
    CControlWatch target(pControl);
    if (m_pFocus) {
        CControlUI* old = m_pFocus;
        CControlWatch watch(old);
        TEventUI event = MakeEvent(EventKillFocus, pControl, m_ptLastMousePos);
        DeliverEvent(old, event);
        if (watch) SendNotify(old, L"killfocus");
        m_pFocus = nullptr;
    }
    if (!target || !m_pRoot) return;
    // The focus rests on the tab stop before the control; the move forward
    // after the next layout then lands on the control itself.
    TabSearch search = {pControl, nullptr, false, false};
    m_pFocus = m_pRoot->FindControl(FindTabStop, &search, kTabSearchFlags);
    m_bFocusNeeded = true;
    m_pRoot->NeedUpdate();
}

bool CPaintManagerUI::SetNextTabControl(bool bForward) {
    if (m_bUpdateNeeded && bForward) {
        // The tree is not laid out yet: move once it is (see the paint).
        m_bFocusNeeded = true;
        if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
        return true;
    }
    if (!m_pRoot) {
        m_bFocusNeeded = false;
        return true;
    }
    TabSearch search = {m_pFocus, nullptr, bForward, false};
    CControlUI* control = m_pRoot->FindControl(FindTabStop, &search, kTabSearchFlags);
    if (!control) {
        if (bForward) {
            // Past the last tab stop: wrap to the first.
            TabSearch first = {nullptr, nullptr, true, false};
            control = m_pRoot->FindControl(FindTabStop, &first, kTabSearchFlags);
        } else {
            control = search.last;
        }
    }
    if (control) SetFocus(control);
    m_bFocusNeeded = false;
    return true;
}

CControlUI* CPaintManagerUI::FindShortcutControl(wchar_t ch) {
    if (!m_pRoot) return nullptr;
    ShortcutSearch search = {static_cast<wchar_t>(towupper(ch)), false};
    return m_pRoot->FindControl(FindShortcut, &search, kShortcutSearchFlags);
}

void CPaintManagerUI::SetCapture() {
    ::SetCapture(m_hWndPaint);
    m_bMouseCapture = true;
}

void CPaintManagerUI::ReleaseCapture() {
    ::ReleaseCapture();
    m_bMouseCapture = false;
}

bool CPaintManagerUI::IsCaptured() const { return m_bMouseCapture; }

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    for (int i = 0; i < m_aPreMessageFilters.GetSize(); ++i) {
        bool handled = false;
        const LRESULT result = static_cast<IMessageFilterUI*>(m_aPreMessageFilters[i])
                                   ->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled) {
            lRes = result;
            return true;
        }
    }
    if (uMsg == WM_KEYDOWN || uMsg == WM_SYSKEYDOWN) ShowFocusCues();
    switch (uMsg) {
    case WM_KEYDOWN:
        if (wParam != VK_TAB) return false;
        // FIXME: a rich edit that takes tabs should keep them; this build has
        // no rich edit control, so every Tab moves the focus.
        SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    case WM_SYSCHAR: {
        CControlUI* control = FindShortcutControl(static_cast<wchar_t>(wParam));
        if (!control) return false;
        CControlWatch watch(control);
        control->SetFocus();
        if (watch) control->Activate();
        return true;
    }
    case WM_SYSKEYDOWN:
        if (m_pFocus) {
            TEventUI event = MakeEvent(EventSysKey, nullptr, m_ptLastMousePos);
            event.keyChar = static_cast<wchar_t>(LOWORD(wParam));
            event.keyState = KeyStateNow();
            DeliverEvent(m_pFocus, event);
        }
        return false;
    default:
        return false;
    }
}

bool CPaintManagerUI::TranslateMessage(const MSG* pMsg) {
    if (!pMsg) return false;
    CPaintManagerUI* responsible = nullptr;
    const LONG_PTR style = ::GetWindowLongPtrW(pMsg->hwnd, GWL_STYLE);
    if (style & WS_CHILD) {
        for (int i = 0; i < m_aPreMessages.GetSize() && !responsible; ++i) {
            auto* pm = static_cast<CPaintManagerUI*>(m_aPreMessages[i]);
            for (HWND parent = ::GetParent(pMsg->hwnd); parent; parent = ::GetParent(parent)) {
                if (pMsg->hwnd == pm->GetPaintWindow() || parent == pm->GetPaintWindow()) {
                    responsible = pm;
                    break;
                }
            }
        }
    } else {
        for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
            auto* pm = static_cast<CPaintManagerUI*>(m_aPreMessages[i]);
            if (pMsg->hwnd == pm->GetPaintWindow()) {
                responsible = pm;
                break;
            }
        }
    }
    if (!responsible) return false;
    if (responsible->TranslateAcceleratorW(const_cast<MSG*>(pMsg))) return true;
    LRESULT result = 0;
    return responsible->PreMessageHandler(pMsg->message, pMsg->wParam, pMsg->lParam, result);
}

void CPaintManagerUI::MessageLoop() {
    MSG msg = {};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (CPaintManagerUI::TranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace Facet
