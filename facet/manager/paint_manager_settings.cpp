// CPaintManagerUI's settings: the window-level values the skin's root element
// gives, opacity, default attribute lists, option groups, the shared colour
// adjustment, the default colours and the parent-resource chain.
#include <algorithm>

#include "facet/controls/control_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {
constexpr int kOptionGroupCapacity = 6;
}  // namespace

// Window-level settings --------------------------------------------------------

SIZE CPaintManagerUI::GetInitSize() const { return m_szInitWindowSize; }

void CPaintManagerUI::SetInitSize(int cx, int cy) {
    m_szInitWindowSize = SIZE{cx, cy};
    if (!m_pRoot && m_hWndPaint) {
        ::SetWindowPos(m_hWndPaint, nullptr, 0, 0, m_dpiScale.Scale(cx), m_dpiScale.Scale(cy),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

RECT& CPaintManagerUI::GetSizeBox() { return m_rcSizeBox; }
void CPaintManagerUI::SetSizeBox(RECT& rcSizeBox) { m_rcSizeBox = rcSizeBox; }

RECT& CPaintManagerUI::GetCaptionRect() { return m_rcCaption; }
void CPaintManagerUI::SetCaptionRect(RECT& rcCaption) { m_rcCaption = rcCaption; }

SIZE CPaintManagerUI::GetRoundCorner() const { return m_szRoundCorner; }
void CPaintManagerUI::SetRoundCorner(int cx, int cy) { m_szRoundCorner = SIZE{cx, cy}; }

SIZE CPaintManagerUI::GetMinInfo() const { return m_szMinWindow; }
void CPaintManagerUI::SetMinInfo(int cx, int cy) { m_szMinWindow = SIZE{cx, cy}; }

SIZE CPaintManagerUI::GetMaxInfo() const { return m_szMaxWindow; }
void CPaintManagerUI::SetMaxInfo(int cx, int cy) { m_szMaxWindow = SIZE{cx, cy}; }

int CPaintManagerUI::GetTransparent() const { return m_nOpacity; }

void CPaintManagerUI::SetTransparent(int nOpacity) {
    m_nOpacity = std::clamp(nOpacity, 0, 255);
    if (!m_hWndPaint) return;
    typedef BOOL(WINAPI * SetLayeredProc)(HWND, COLORREF, BYTE, DWORD);
    HMODULE user32 = ::GetModuleHandleW(L"User32.dll");
    auto setLayered = user32 ? reinterpret_cast<SetLayeredProc>(reinterpret_cast<void*>(
                                   ::GetProcAddress(user32, "SetLayeredWindowAttributes")))
                             : nullptr;
    if (!setLayered) return;
    // An opacity outside 0..255 turns the layering off; it is still handed
    // to the system, cut to its low byte.
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE);
    const LONG_PTR wanted = (nOpacity >= 0 && nOpacity <= 255) ? (style | WS_EX_LAYERED)
                                                                : (style & ~WS_EX_LAYERED);
    if (wanted != style) ::SetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE, wanted);
    setLayered(m_hWndPaint, 0, static_cast<BYTE>(nOpacity & 0xFF), LWA_ALPHA);
}

void CPaintManagerUI::SetBackgroundTransparent(bool bTrans) { m_bAlphaBackground = bTrans; }

bool CPaintManagerUI::IsShowUpdateRect() const { return m_bShowUpdateRect; }
void CPaintManagerUI::SetShowUpdateRect(bool show) { m_bShowUpdateRect = show; }

void CPaintManagerUI::UsedVirtualWnd(bool bUsed) { m_bUsedVirtualWnd = bUsed; }

// Default attribute lists --------------------------------------------------------

void CPaintManagerUI::AddDefaultAttributeList(const wchar_t* pStrControlName,
                                              const wchar_t* pStrControlAttrList) {
    if (!pStrControlName) return;
    auto* list = new CDuiString(pStrControlAttrList ? pStrControlAttrList : L"");
    // The first registration wins: skins list their defaults before includes.
    if (!m_DefaultAttrHash.Insert(pStrControlName, list)) delete list;
}

const wchar_t* CPaintManagerUI::GetDefaultAttributeList(const wchar_t* pStrControlName) {
    if (!pStrControlName) return nullptr;
    for (CPaintManagerUI* pm = this; pm; pm = pm->m_pParentResourcePM) {
        auto* list = static_cast<CDuiString*>(pm->m_DefaultAttrHash.Find(pStrControlName));
        if (list) return list->GetData();
    }
    return nullptr;
}

bool CPaintManagerUI::RemoveDefaultAttributeList(const wchar_t* pStrControlName) {
    if (!pStrControlName) return false;
    auto* list = static_cast<CDuiString*>(m_DefaultAttrHash.Find(pStrControlName));
    if (!list) return false;
    delete list;
    return m_DefaultAttrHash.Remove(pStrControlName);
}

const CStdStringPtrMap& CPaintManagerUI::GetDefaultAttribultes() const { return m_DefaultAttrHash; }

void CPaintManagerUI::RemoveAllDefaultAttributeList() {
    for (int i = 0; i < m_DefaultAttrHash.GetSize(); ++i) {
        const wchar_t* key = m_DefaultAttrHash.GetAt(i);
        delete static_cast<CDuiString*>(m_DefaultAttrHash.Find(key, false));
    }
    m_DefaultAttrHash.RemoveAll();
}

// Option groups ----------------------------------------------------------------

bool CPaintManagerUI::AddOptionGroup(const wchar_t* pStrGroupName, CControlUI* pControl) {
    if (!pStrGroupName) return false;
    auto* group = static_cast<CStdPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
    if (group) {
        if (group->Find(pControl) >= 0) return false;
        return group->Add(pControl);
    }
    group = new CStdPtrArray(kOptionGroupCapacity);
    if (!group->Add(pControl) || !m_mOptionGroup.Insert(pStrGroupName, group)) {
        delete group;
        return false;
    }
    return true;
}

CStdPtrArray* CPaintManagerUI::GetOptionGroup(const wchar_t* pStrGroupName) {
    if (!pStrGroupName) return nullptr;
    return static_cast<CStdPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
}

void CPaintManagerUI::RemoveOptionGroup(const wchar_t* pStrGroupName, CControlUI* pControl) {
    CStdPtrArray* group = GetOptionGroup(pStrGroupName);
    if (!group) return;
    const int index = group->Find(pControl);
    if (index < 0) return;
    group->Remove(index);
    if (group->IsEmpty()) {
        delete group;
        m_mOptionGroup.Remove(pStrGroupName);
    }
}

void CPaintManagerUI::RemoveAllOptionGroups() {
    for (int i = 0; i < m_mOptionGroup.GetSize(); ++i) {
        const wchar_t* key = m_mOptionGroup.GetAt(i);
        delete static_cast<CStdPtrArray*>(m_mOptionGroup.Find(key, false));
    }
    m_mOptionGroup.RemoveAll();
}

// Process-wide services ------------------------------------------------------

void CPaintManagerUI::ReloadSkin() {
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
        static_cast<CPaintManagerUI*>(m_aPreMessages[i])->ReloadAllImages();
    }
}

void CPaintManagerUI::SetHSL(bool /*bUseHSL*/, short H, short S, short L) {
    if (m_H == H && m_S == S && m_L == L) return;
    m_H = std::clamp<short>(H, 0, 360);
    m_S = std::clamp<short>(S, 0, 200);
    m_L = std::clamp<short>(L, 0, 200);
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
        auto* pm = static_cast<CPaintManagerUI*>(m_aPreMessages[i]);
        if (pm->m_pRoot) pm->m_pRoot->Invalidate();
    }
}

void CPaintManagerUI::GetHSL(short* H, short* S, short* L) {
    if (H) *H = m_H;
    if (S) *S = m_S;
    if (L) *L = m_L;
}

// Default colours and the parent-resource chain -----------------------------------

const CPaintManagerUI* CPaintManagerUI::GetTopResource() const {
    const CPaintManagerUI* pm = this;
    while (pm->m_pParentResourcePM) pm = pm->m_pParentResourcePM;
    return pm;
}

DWORD CPaintManagerUI::GetDefaultDisabledColor() const {
    return GetTopResource()->m_dwDefaultDisabledColor;
}
void CPaintManagerUI::SetDefaultDisabledColor(DWORD dwColor) { m_dwDefaultDisabledColor = dwColor; }

DWORD CPaintManagerUI::GetDefaultFontColor() const { return GetTopResource()->m_dwDefaultFontColor; }
void CPaintManagerUI::SetDefaultFontColor(DWORD dwColor) { m_dwDefaultFontColor = dwColor; }

DWORD CPaintManagerUI::GetDefaultLinkFontColor() const {
    return GetTopResource()->m_dwDefaultLinkFontColor;
}
void CPaintManagerUI::SetDefaultLinkFontColor(DWORD dwColor) { m_dwDefaultLinkFontColor = dwColor; }

DWORD CPaintManagerUI::GetDefaultLinkHoverFontColor() const {
    return GetTopResource()->m_dwDefaultLinkHoverFontColor;
}
void CPaintManagerUI::SetDefaultLinkHoverFontColor(DWORD dwColor) {
    m_dwDefaultLinkHoverFontColor = dwColor;
}

DWORD CPaintManagerUI::GetDefaultSelectedBkColor() const {
    return GetTopResource()->m_dwDefaultSelectedBkColor;
}
void CPaintManagerUI::SetDefaultSelectedBkColor(DWORD dwColor) {
    m_dwDefaultSelectedBkColor = dwColor;
}

bool CPaintManagerUI::UseParentResource(CPaintManagerUI* pm) {
    if (!pm) {
        m_pParentResourcePM = nullptr;
        return true;
    }
    // No cycles: look-ups walk the chain until it ends.
    for (const CPaintManagerUI* link = pm; link; link = link->m_pParentResourcePM) {
        if (link == this) return false;
    }
    m_pParentResourcePM = pm;
    return true;
}

CPaintManagerUI* CPaintManagerUI::GetParentResource() const { return m_pParentResourcePM; }

}  // namespace Facet
