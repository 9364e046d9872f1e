// CAccessibleUI: the IAccessible methods over one element of the accessible
// tree. The facts a reader asks for come from accessible_facts.cpp, read from
// the element's control on each call, so they are never stale; an element
// whose control is gone answers "disconnected".
#include "facet/accessibility/accessible_ui.h"

#include "facet/controls/combo_ui.h"
#include "facet/accessibility/accessible_facts.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

namespace {

CComboUI* AsCombo(CControlUI* control) {
    return control ? static_cast<CComboUI*>(control->GetInterface(L"Combo")) : nullptr;
}

HRESULT ReturnText(const CDuiString& text, BSTR* out) {
    *out = text.IsEmpty() ? nullptr : ::SysAllocString(text.GetData());
    return *out ? S_OK : S_FALSE;
}

}  // namespace

CAccessibleUI::CAccessibleUI(std::shared_ptr<CAccessibleHost> host, const AccessibleNode& node, LONG id)
    : m_host(std::move(host)), m_node(node), m_id(id) {}

HRESULT CAccessibleUI::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, kIidAccessible)) {
        *ppv = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CAccessibleUI::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }

ULONG CAccessibleUI::Release() {
    const LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

HRESULT CAccessibleUI::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    if (FAILED(Connected())) return Connected();
    *pctinfo = 0;
    return S_OK;
}

HRESULT CAccessibleUI::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return FAILED(Connected()) ? Connected() : E_NOTIMPL;
}
HRESULT CAccessibleUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return FAILED(Connected()) ? Connected() : E_NOTIMPL;
}
HRESULT CAccessibleUI::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return FAILED(Connected()) ? Connected() : E_NOTIMPL;
}

HRESULT CAccessibleUI::Connected() const {
    return m_host->Alive(m_node, m_id) ? S_OK : CO_E_OBJNOTCONNECTED;
}

HRESULT CAccessibleUI::Target(const VARIANT& varChild, AccessibleNode& node) const {
    if (FAILED(Connected())) return CO_E_OBJNOTCONNECTED;
    if (varChild.vt != VT_I4) return E_INVALIDARG;
    const LONG id = varChild.lVal;
    if (id == CHILDID_SELF) {
        node = m_node;
        return S_OK;
    }
    const std::vector<AccessibleNode> children = m_host->Children(m_node);
    if (id > 0 && id <= static_cast<LONG>(children.size())) {
        node = children[id - 1];
        return S_OK;
    }
    return m_host->NodeOf(id, node) ? S_OK : E_INVALIDARG;
}

CAccessibleUI* CAccessibleUI::ObjectFor(const AccessibleNode& node) const {
    return new CAccessibleUI(m_host, node, m_host->IdOf(node));
}

void CAccessibleUI::ToVariant(const AccessibleNode& node, VARIANT* out) const {
    out->vt = VT_DISPATCH;
    out->pdispVal = ObjectFor(node);
}

HRESULT CAccessibleUI::get_accParent(IDispatch** ppdispParent) {
    if (!ppdispParent) return E_POINTER;
    *ppdispParent = nullptr;
    if (FAILED(Connected())) return CO_E_OBJNOTCONNECTED;
    if (m_node.part != AccessibleNode::Client) {
        *ppdispParent = ObjectFor(m_host->Parent(m_node));
        return S_OK;
    }
    // The client area's parent is the window itself, as the system gives it.
    using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    auto fromWindow = reinterpret_cast<FromWindow>(OleaccProc("AccessibleObjectFromWindow"));
    if (!fromWindow) return S_FALSE;
    return fromWindow(m_host->Window(), static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                      reinterpret_cast<void**>(ppdispParent));
}

HRESULT CAccessibleUI::get_accChildCount(long* pcountChildren) {
    if (!pcountChildren) return E_POINTER;
    if (FAILED(Connected())) return CO_E_OBJNOTCONNECTED;
    *pcountChildren = static_cast<long>(m_host->Children(m_node).size());
    return S_OK;
}

HRESULT CAccessibleUI::get_accChild(VARIANT varChild, IDispatch** ppdispChild) {
    if (!ppdispChild) return E_POINTER;
    *ppdispChild = nullptr;
    AccessibleNode node;
    if (const HRESULT hr = Target(varChild, node); FAILED(hr)) return hr;
    *ppdispChild = ObjectFor(node);
    return S_OK;
}

HRESULT CAccessibleUI::get_accName(VARIANT varChild, BSTR* pszName) {
    if (!pszName) return E_POINTER;
    *pszName = nullptr;
    AccessibleNode node;
    if (const HRESULT hr = Target(varChild, node); FAILED(hr)) return hr;
    return ReturnText(AccessibleName(*m_host, node), pszName);
}

HRESULT CAccessibleUI::get_accValue(VARIANT varChild, BSTR* pszValue) {
    if (!pszValue) return E_POINTER;
    *pszValue = nullptr;
    AccessibleNode node;
    if (const HRESULT hr = Target(varChild, node); FAILED(hr)) return hr;
    const CDuiString value = AccessibleValue(node);
    if (value.IsEmpty() && (node.part != AccessibleNode::Control || !AsCombo(node.control))) {
        return DISP_E_MEMBERNOTFOUND;
    }
    return ReturnText(value, pszValue);
}

HRESULT CAccessibleUI::get_accDescription(VARIANT varChild, BSTR* pszDescription) {
    if (!pszDescription) return E_POINTER;
    *pszDescription = nullptr;
    AccessibleNode node;
    const HRESULT hr = Target(varChild, node);
    return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
}

HRESULT CAccessibleUI::get_accRole(VARIANT varChild, VARIANT* pvarRole) {
    if (!pvarRole) return E_POINTER;
    ::VariantInit(pvarRole);
    AccessibleNode node;
    if (const HRESULT hr = Target(varChild, node); FAILED(hr)) return hr;
    pvarRole->vt = VT_I4;
    pvarRole->lVal = AccessibleRole(node);
    return S_OK;
}

HRESULT CAccessibleUI::get_accState(VARIANT varChild, VARIANT* pvarState) {
    if (!pvarState) return E_POINTER;
    ::VariantInit(pvarState);
    AccessibleNode node;
    if (const HRESULT hr = Target(varChild, node); FAILED(hr)) return hr;
    pvarState->vt = VT_I4;
    pvarState->lVal = AccessibleState(*m_host, node);
    return S_OK;
}

HRESULT CAccessibleUI::get_accHelp(VARIANT varChild, BSTR* pszHelp) {
    if (!pszHelp) return E_POINTER;
    *pszHelp = nullptr;
    AccessibleNode node;
    const HRESULT hr = Target(varChild, node);
    return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
}

HRESULT CAccessibleUI::get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild, long* pidTopic) {
    if (pszHelpFile) *pszHelpFile = nullptr;
    if (pidTopic) *pidTopic = 0;
    AccessibleNode node;
    const HRESULT hr = Target(varChild, node);
    return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
}

HRESULT CAccessibleUI::get_accKeyboardShortcut(VARIANT varChild, BSTR* pszShortcut) {
    if (!pszShortcut) return E_POINTER;
    *pszShortcut = nullptr;
    AccessibleNode node;
    if (const HRESULT hr = Target(varChild, node); FAILED(hr)) return hr;
    if (node.part != AccessibleNode::Control || node.control->GetShortcut() == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    CDuiString text;
    text.Format(L"Alt+%c", node.control->GetShortcut());
    return ReturnText(text, pszShortcut);
}

HRESULT CAccessibleUI::get_accFocus(VARIANT* pvarChild) {
    if (!pvarChild) return E_POINTER;
    ::VariantInit(pvarChild);
    if (FAILED(Connected())) return CO_E_OBJNOTCONNECTED;
    AccessibleNode focused;
    if (!AccessibleFocus(*m_host, focused)) return S_FALSE;
    if (focused == m_node) {
        pvarChild->vt = VT_I4;
        pvarChild->lVal = CHILDID_SELF;
        return S_OK;
    }
    if (m_node.part == AccessibleNode::Control) return S_FALSE;
    if (m_node.part == AccessibleNode::ComboList && !(m_host->Parent(focused) == m_node)) return S_FALSE;
    ToVariant(focused, pvarChild);
    return S_OK;
}

HRESULT CAccessibleUI::get_accSelection(VARIANT* pvarChildren) {
    if (!pvarChildren) return E_POINTER;
    ::VariantInit(pvarChildren);
    if (FAILED(Connected())) return CO_E_OBJNOTCONNECTED;
    CComboUI* combo = m_node.part == AccessibleNode::Client ? nullptr : AsCombo(m_node.control);
    if (!combo) return DISP_E_MEMBERNOTFOUND;
    CControlUI* selected = combo->GetItemAt(combo->GetCurSel());
    if (!selected) return S_FALSE;
    ToVariant({AccessibleNode::Control, selected}, pvarChildren);
    return S_OK;
}

HRESULT CAccessibleUI::get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) {
    if (!pszDefaultAction) return E_POINTER;
    *pszDefaultAction = nullptr;
    AccessibleNode node;
    if (const HRESULT hr = Target(varChild, node); FAILED(hr)) return hr;
    const wchar_t* action = AccessibleDefaultAction(node);
    if (!action) return DISP_E_MEMBERNOTFOUND;
    return ReturnText(action, pszDefaultAction);
}

HRESULT CAccessibleUI::accSelect(long flagsSelect, VARIANT varChild) {
    AccessibleNode node;
    if (const HRESULT hr = Target(varChild, node); FAILED(hr)) return hr;
    if (node.part != AccessibleNode::Control) return DISP_E_MEMBERNOTFOUND;
    if (!(flagsSelect & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS))) return E_INVALIDARG;
    if (node.control->GetInterface(L"ListItem")) {
        return AccessibleSelect(*m_host, node.control) ? S_OK : S_FALSE;
    }
    if (!(flagsSelect & SELFLAG_TAKEFOCUS) || !(node.control->GetControlFlags() & ControlFlagTabStop)) {
        return DISP_E_MEMBERNOTFOUND;
    }
    node.control->SetFocus();
    return S_OK;
}

HRESULT CAccessibleUI::accLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight,
                                   VARIANT varChild) {
    if (!pxLeft || !pyTop || !pcxWidth || !pcyHeight) return E_POINTER;
    AccessibleNode node;
    if (const HRESULT hr = Target(varChild, node); FAILED(hr)) return hr;
    const RECT rc = AccessibleLocation(*m_host, node);
    *pxLeft = rc.left;
    *pyTop = rc.top;
    *pcxWidth = rc.right - rc.left;
    *pcyHeight = rc.bottom - rc.top;
    return S_OK;
}

HRESULT CAccessibleUI::accNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt) {
    if (!pvarEndUpAt) return E_POINTER;
    ::VariantInit(pvarEndUpAt);
    AccessibleNode start;
    if (const HRESULT hr = Target(varStart, start); FAILED(hr)) return hr;
    std::vector<AccessibleNode> row;
    int at = 0;
    if (navDir == NAVDIR_FIRSTCHILD || navDir == NAVDIR_LASTCHILD) {
        row = m_host->Children(start);
        at = navDir == NAVDIR_FIRSTCHILD ? 0 : static_cast<int>(row.size()) - 1;
    } else if (navDir == NAVDIR_NEXT || navDir == NAVDIR_PREVIOUS) {
        if (start.part == AccessibleNode::Client) return S_FALSE;
        row = m_host->Children(m_host->Parent(start));
        at = -1;
        for (size_t i = 0; i < row.size(); ++i) {
            if (row[i] == start) at = static_cast<int>(i) + (navDir == NAVDIR_NEXT ? 1 : -1);
        }
    } else {
        // Up, down, left and right: the elements lie where accLocation says.
        return DISP_E_MEMBERNOTFOUND;
    }
    if (at < 0 || at >= static_cast<int>(row.size())) return S_FALSE;
    ToVariant(row[at], pvarEndUpAt);
    return S_OK;
}

HRESULT CAccessibleUI::accHitTest(long xLeft, long yTop, VARIANT* pvarChild) {
    if (!pvarChild) return E_POINTER;
    ::VariantInit(pvarChild);
    if (FAILED(Connected())) return CO_E_OBJNOTCONNECTED;
    const POINT screen = {xLeft, yTop};
    RECT own = AccessibleLocation(*m_host, m_node);
    if (!::PtInRect(&own, screen)) return S_FALSE;
    // The child whose place holds the point, the last drawn (the topmost)
    // when places overlap; pictures that take no mouse count too.
    AccessibleNode hit = m_node;
    if (m_node.part != AccessibleNode::Control || AsCombo(m_node.control) == nullptr) {
        for (const AccessibleNode& child : m_host->Children(m_node)) {
            RECT rc = AccessibleLocation(*m_host, child);
            if (::PtInRect(&rc, screen)) hit = child;
        }
    }
    if (hit == m_node) {
        pvarChild->vt = VT_I4;
        pvarChild->lVal = CHILDID_SELF;
    } else {
        ToVariant(hit, pvarChild);
    }
    return S_OK;
}

HRESULT CAccessibleUI::accDoDefaultAction(VARIANT varChild) {
    AccessibleNode node;
    if (const HRESULT hr = Target(varChild, node); FAILED(hr)) return hr;
    if (!AccessibleDefaultAction(node)) return DISP_E_MEMBERNOTFOUND;
    m_host->PostDefaultAction(node);
    return S_OK;
}

// Names and values are the controls' own: a reader cannot set them.
HRESULT CAccessibleUI::put_accName(VARIANT varChild, BSTR) {
    AccessibleNode node;
    const HRESULT hr = Target(varChild, node);
    return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
}
HRESULT CAccessibleUI::put_accValue(VARIANT varChild, BSTR) {
    AccessibleNode node;
    const HRESULT hr = Target(varChild, node);
    return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
}

}  // namespace Facet
