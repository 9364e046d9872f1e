// CPaintManagerUI's life and its control tree: construction and destruction,
// the window and DC, attaching a root, entering names, forgetting destroyed
// controls, delayed clean-up.
#include "facet/manager/paint_manager_ui.h"

#include <algorithm>

#include "facet/controls/control_ui.h"
#include "facet/accessibility/accessible_host.h"
#include "facet/manager/timer_record.h"

namespace Facet {

namespace {

// Posted to the paint window to delete controls removed from the tree.
constexpr UINT kDelayedCleanupMessage = WM_APP + 1;
constexpr int kMapBuckets = 83;

CControlUI* CALLBACK EnterName(CControlUI* pThis, LPVOID pData) {
    auto* names = static_cast<CStdStringPtrMap*>(pData);
    const CDuiString name = pThis->GetName();
    if (!name.IsEmpty()) names->Set(name, pThis);
    return nullptr;
}

CControlUI* CALLBACK ReapEach(CControlUI* pThis, LPVOID pData) {
    static_cast<CPaintManagerUI*>(pData)->ReapObjects(pThis);
    return nullptr;
}

}  // namespace

CStdPtrArray CPaintManagerUI::m_aPreMessages;
short CPaintManagerUI::m_H = 180;
short CPaintManagerUI::m_S = 100;
short CPaintManagerUI::m_L = 100;

void CPaintManagerUI::WindowDestroyer::operator()(HWND hwnd) const {
    // The tooltip dies with its parent window when that goes first.
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
}

CPaintManagerUI::CPaintManagerUI()
    : m_mNameHash(kMapBuckets),
      m_mOptionGroup(kMapBuckets),
      m_mImageHash(kMapBuckets),
      m_DefaultAttrHash(kMapBuckets) {
    InitDefaultFont();
    InitProcessResources();
}

CPaintManagerUI::~CPaintManagerUI() {
    if (m_pAccessible) m_pAccessible->Disconnect();
    DeleteDelayedCleanup();
    for (int i = 0; i < m_aAsyncNotify.GetSize(); ++i) {
        delete static_cast<TNotifyUI*>(m_aAsyncNotify[i]);
    }
    m_aAsyncNotify.Empty();
    // The tree's destructors must not look names up while it falls apart.
    m_mNameHash.Resize(0);
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    delete root;

    RemoveAllFonts();
    RemoveAllImages();
    RemoveAllDefaultAttributeList();
    RemoveAllOptionGroups();
    RemoveAllTimers();
    m_hwndTooltip.reset();
    m_hDcOffscreen.reset();
    m_hDcBackground.reset();
    m_hbmpOffscreen.Reset();
    m_hbmpBackground.Reset();
    m_hDcPaint.Reset();
    const int index = m_aPreMessages.Find(this);
    if (index >= 0) m_aPreMessages.Remove(index);
}

void CPaintManagerUI::Init(HWND hWnd) {
    m_hWndPaint = hWnd;
    m_hDcPaint.Acquire(hWnd);
    BOOL cues = FALSE;
    m_bFocusCues = ::SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0) && cues;
    if (m_aPreMessages.Find(this) < 0) m_aPreMessages.Add(this);
    SetDPI(CDpiScale::ForWindow(hWnd));
}

HWND CPaintManagerUI::GetPaintWindow() const { return m_hWndPaint; }

HDC CPaintManagerUI::GetPaintDC() const { return m_hDcPaint.Get(); }

HWND CPaintManagerUI::GetTooltipWindow() const { return m_hwndTooltip.get(); }

POINT CPaintManagerUI::GetMousePos() const { return m_ptLastMousePos; }

SIZE CPaintManagerUI::GetClientSize() const {
    RECT rc = {0, 0, 0, 0};
    if (m_hWndPaint) ::GetClientRect(m_hWndPaint, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

// The tree -----------------------------------------------------------------

bool CPaintManagerUI::AttachDialog(CControlUI* pControl) {
    SetFocus(nullptr);
    m_pEventKey = nullptr;
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    // Attaching the attached root again must not hand it to the clean-up.
    if (m_pRoot && m_pRoot != pControl) {
        m_aPostPaintControls.Empty();
        CControlUI* oldRoot = m_pRoot;
        m_pRoot = nullptr;
        AddDelayedCleanup(oldRoot);
    }
    m_pRoot = pControl;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    // The layout waits for a paint; a window already on screen (a root
    // replaced later) would otherwise keep showing the old tree.
    InvalidateWindow();
    return InitControls(pControl, nullptr);
}

bool CPaintManagerUI::InitControls(CControlUI* pControl, CControlUI* pParent) {
    if (!pControl) return false;
    pControl->SetManager(this, pParent ? pParent : pControl->GetParent(), true);
    pControl->FindControl(EnterName, &m_mNameHash, 0);
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* pControl) {
    if (!pControl) return;
    if (pControl == m_pEventKey) m_pEventKey = nullptr;
    if (pControl == m_pEventHover) m_pEventHover = nullptr;
    if (pControl == m_pEventClick) {
        m_pEventClick = nullptr;
        // The press it captured the mouse for will never be released to it.
        if (m_bMouseCapture) ReleaseCapture();
    }
    if (pControl == m_pFocus) m_pFocus = nullptr;
    if (m_pAccessible) m_pAccessible->Forget(pControl);
    // A root deleted by its owner instead of through AttachDialog.
    if (pControl == m_pRoot) m_pRoot = nullptr;
    KillTimer(pControl);
    const CDuiString name = pControl->GetName();
    if (!name.IsEmpty() && m_mNameHash.Find(name) == pControl) m_mNameHash.Remove(name);
    for (int i = 0; i < m_aAsyncNotify.GetSize(); ++i) {
        auto* msg = static_cast<TNotifyUI*>(m_aAsyncNotify[i]);
        if (msg->sender == pControl) msg->sender = nullptr;
    }
    // Lists that would otherwise call into the dead control later.
    for (int i = m_aPostPaintControls.Find(pControl); i >= 0; i = m_aPostPaintControls.Find(pControl)) {
        m_aPostPaintControls.Remove(i);
    }
    for (int i = m_aFoundControls.Find(pControl); i >= 0; i = m_aFoundControls.Find(pControl)) {
        m_aFoundControls.Remove(i);
    }
    for (int g = 0; g < m_mOptionGroup.GetSize(); ++g) {
        const wchar_t* group = m_mOptionGroup.GetAt(g);
        auto* members = static_cast<CStdPtrArray*>(m_mOptionGroup.Find(group, false));
        if (members && members->Find(pControl) >= 0) {
            RemoveOptionGroup(CDuiString(group), pControl);
            g = -1;  // the map may have lost the group: walk it again
        }
    }
}

void CPaintManagerUI::AddDelayedCleanup(CControlUI* pControl) {
    if (!pControl) return;
    // The subtree leaves the window now, so the manager lets go of every
    // reference into it now; deleting it later then touches nothing here.
    pControl->FindControl(ReapEach, this, 0);
    pControl->SetManager(nullptr, nullptr, false);
    m_aDelayedCleanup.Add(pControl);
    if (m_hWndPaint) ::PostMessageW(m_hWndPaint, kDelayedCleanupMessage, 0, 0);
}

void CPaintManagerUI::DeleteDelayedCleanup() {
    // Deleting may queue further controls (a destructor removing others):
    // take them one by one until none is left.
    while (!m_aDelayedCleanup.IsEmpty()) {
        auto* control = static_cast<CControlUI*>(m_aDelayedCleanup[0]);
        m_aDelayedCleanup.Remove(0);
        delete control;
    }
}

CControlUI* CPaintManagerUI::GetRoot() const { return m_pRoot; }

void CPaintManagerUI::NeedUpdate() { m_bUpdateNeeded = true; }

void CPaintManagerUI::Invalidate(RECT& rcItem) {
    // An empty rectangle adds nothing to the update region, and asking the
    // window system costs a round trip per attribute while a skin is built.
    if (::IsRectEmpty(&rcItem)) return;
    if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, &rcItem, FALSE);
}

void CPaintManagerUI::InvalidateWindow() const {
    if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

}  // namespace Facet
