// CAccessibleUI: the IAccessible methods over one element of the accessible
// tree. The facts a reader asks for (role, name, value, state, place,
// default action) are read from the element's control on each call, so they
// are never stale; an element whose control is gone answers "disconnected".
#include "facet/manager/accessible_ui.h"

#include <cwchar>

#include "facet/controls/combo_ui.h"
#include "facet/controls/combo_wnd.h"
#include "facet/controls/container_ui.h"
#include "facet/controls/list_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

namespace {

bool Is(CControlUI* control, const wchar_t* face) {
    return control && control->GetInterface(face) != nullptr;
}

CComboUI* AsCombo(CControlUI* control) {
    return control ? static_cast<CComboUI*>(control->GetInterface(L"Combo")) : nullptr;
}

bool Chinese() { return ::GetACP() == 936; }

// A button that takes neither mouse nor keyboard is only a picture.
bool IsPicture(CControlUI* control) {
    return !control->IsMouseEnabled() && !control->IsKeyboardEnabled();
}

long RoleOf(const AccessibleNode& node) {
    if (node.part == AccessibleNode::Client) return ROLE_SYSTEM_CLIENT;
    if (node.part == AccessibleNode::ComboList) return ROLE_SYSTEM_LIST;
    CControlUI* c = node.control;
    if (Is(c, L"Combo")) return ROLE_SYSTEM_COMBOBOX;
    if (Is(c, L"ListItem")) return ROLE_SYSTEM_LISTITEM;
    if (Is(c, L"CheckBox")) return ROLE_SYSTEM_CHECKBUTTON;
    if (Is(c, L"Option")) return ROLE_SYSTEM_RADIOBUTTON;
    if (Is(c, L"Button")) return IsPicture(c) ? ROLE_SYSTEM_GRAPHIC : ROLE_SYSTEM_PUSHBUTTON;
    if (Is(c, L"Progress")) return ROLE_SYSTEM_PROGRESSBAR;
    if (Is(c, L"Slider")) return ROLE_SYSTEM_SLIDER;
    if (Is(c, L"Label")) return ROLE_SYSTEM_STATICTEXT;
    return ROLE_SYSTEM_GRAPHIC;
}

// A combo box is named by the text label before it among its siblings, as a
// dialog's static text names the box that follows it.
CDuiString LabelBefore(CControlUI* control) {
    CControlUI* parent = control->GetParent();
    auto* siblings = parent ? static_cast<IContainerUI*>(parent->GetInterface(L"IContainer")) : nullptr;
    if (!siblings) return CDuiString();
    for (int i = siblings->GetItemIndex(control) - 1; i >= 0; --i) {
        CControlUI* sibling = siblings->GetItemAt(i);
        if (Is(sibling, L"Label") && !Is(sibling, L"Button") && sibling->IsVisible() &&
            !sibling->GetText().IsEmpty()) {
            return sibling->GetText();
        }
    }
    return CDuiString();
}

CDuiString NameOf(CAccessibleHost& host, const AccessibleNode& node) {
    if (node.part == AccessibleNode::Client) {
        wchar_t text[256] = {};
        ::GetWindowTextW(host.Window(), text, 256);
        return text;
    }
    CControlUI* c = node.control;
    CDuiString name = AsCombo(c) ? LabelBefore(c) : c->GetText();
    if (name.IsEmpty()) name = c->GetToolTip();
    return name;
}

// Where the control lies on the screen: its manager's window holds it (the
// drop-down's window for the items of an open list).
RECT ScreenRect(CControlUI* control) {
    RECT rc = control->GetPos();
    CPaintManagerUI* pm = control->GetManager();
    if (pm && pm->GetPaintWindow()) ::MapWindowPoints(pm->GetPaintWindow(), HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

RECT LocationOf(CAccessibleHost& host, const AccessibleNode& node) {
    RECT rc = {0, 0, 0, 0};
    if (node.part == AccessibleNode::Client) {
        ::GetClientRect(host.Window(), &rc);
        ::MapWindowPoints(host.Window(), HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    if (node.part == AccessibleNode::ComboList) {
        CComboUI* combo = AsCombo(node.control);
        if (combo->GetDropDown()) {
            ::GetWindowRect(combo->GetDropDown()->GetHWND(), &rc);
            return rc;
        }
        // Closed, the list has no room: a line under the box.
        rc = ScreenRect(combo);
        rc.top = rc.bottom;
        return rc;
    }
    return ScreenRect(node.control);
}

long StateOf(CAccessibleHost& host, const AccessibleNode& node) {
    if (node.part == AccessibleNode::Client) {
        long state = STATE_SYSTEM_FOCUSABLE;
        if (::GetFocus() == host.Window()) state |= STATE_SYSTEM_FOCUSED;
        return state;
    }
    CControlUI* c = node.control;
    long state = 0;
    if (node.part == AccessibleNode::ComboList) {
        if (!AsCombo(c)->GetDropDown()) state |= STATE_SYSTEM_INVISIBLE;
        return state;
    }
    if (!c->IsVisible()) state |= STATE_SYSTEM_INVISIBLE;
    if (!c->IsEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
    if (c->IsEnabled() && (c->GetControlFlags() & ControlFlagTabStop)) state |= STATE_SYSTEM_FOCUSABLE;
    CPaintManagerUI* pm = c->GetManager();
    if (pm && pm->GetFocus() == c) state |= STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE;
    if (CComboUI* combo = AsCombo(c)) {
        state |= STATE_SYSTEM_HASPOPUP;
        state |= combo->GetDropDown() ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    }
    if (auto* item = static_cast<IListItemUI*>(c->GetInterface(L"ListItem"))) {
        state |= STATE_SYSTEM_SELECTABLE;
        if (item->IsSelected()) state |= STATE_SYSTEM_SELECTED;
        CComboUI* combo = AsCombo(host.OwningCombo(c));
        if (combo && !combo->GetDropDown()) state |= STATE_SYSTEM_INVISIBLE;
    }
    return state;
}

// The name of the element's default action; null when it has none.
const wchar_t* DefaultActionOf(const AccessibleNode& node) {
    if (node.part != AccessibleNode::Control) return nullptr;
    CControlUI* c = node.control;
    if (CComboUI* combo = AsCombo(c)) {
        if (combo->GetDropDown()) return Chinese() ? L"关闭" : L"Close";
        return Chinese() ? L"打开" : L"Open";
    }
    if (Is(c, L"ListItem")) return Chinese() ? L"双击" : L"Double Click";
    if (Is(c, L"Button") && !IsPicture(c)) return Chinese() ? L"按下" : L"Press";
    return nullptr;
}

HRESULT ReturnText(const CDuiString& text, BSTR* out) {
    *out = text.IsEmpty() ? nullptr : ::SysAllocString(text.GetData());
    return *out ? S_OK : S_FALSE;
}

// Selects a combo box's item as the user would, by its position.
bool SelectInOwner(CAccessibleHost& host, CControlUI* item) {
    CComboUI* combo = AsCombo(host.OwningCombo(item));
    return combo && combo->SelectItem(combo->GetItemIndex(item), false);
}

}  // namespace

CAccessibleUI::CAccessibleUI(std::shared_ptr<CAccessibleHost> host, const AccessibleNode& node)
    : m_host(std::move(host)), m_node(node) {}

void CAccessibleUI::DoDefaultAction(CAccessibleHost& host, const AccessibleNode& node) {
    CControlUI* c = node.control;
    if (!DefaultActionOf(node) || !c->IsEnabled()) return;
    if (CComboUI* combo = AsCombo(c)) {
        if (combo->GetDropDown()) {
            combo->GetDropDown()->Close();
        } else {
            combo->Activate();
        }
    } else if (Is(c, L"ListItem")) {
        SelectInOwner(host, c);
    } else {
        c->Activate();
    }
}

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
    *pctinfo = 0;
    return S_OK;
}

HRESULT CAccessibleUI::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT CAccessibleUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT CAccessibleUI::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

bool CAccessibleUI::Target(const VARIANT& varChild, AccessibleNode& node) const {
    if (!m_host->Contains(m_node) || varChild.vt != VT_I4) return false;
    const LONG id = varChild.lVal;
    if (id == CHILDID_SELF) {
        node = m_node;
        return true;
    }
    const std::vector<AccessibleNode> children = m_host->Children(m_node);
    if (id > 0 && id <= static_cast<LONG>(children.size())) {
        node = children[id - 1];
        return true;
    }
    return m_host->NodeOf(id, node);
}

void CAccessibleUI::ToVariant(const AccessibleNode& node, VARIANT* out) const {
    out->vt = VT_DISPATCH;
    out->pdispVal = new CAccessibleUI(m_host, node);
}

HRESULT CAccessibleUI::get_accParent(IDispatch** ppdispParent) {
    if (!ppdispParent) return E_POINTER;
    *ppdispParent = nullptr;
    if (!m_host->Contains(m_node)) return RPC_E_DISCONNECTED;
    if (m_node.part != AccessibleNode::Client) {
        *ppdispParent = new CAccessibleUI(m_host, m_host->Parent(m_node));
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
    if (!m_host->Contains(m_node)) return RPC_E_DISCONNECTED;
    *pcountChildren = static_cast<long>(m_host->Children(m_node).size());
    return S_OK;
}

HRESULT CAccessibleUI::get_accChild(VARIANT varChild, IDispatch** ppdispChild) {
    if (!ppdispChild) return E_POINTER;
    *ppdispChild = nullptr;
    AccessibleNode node;
    if (!Target(varChild, node)) return E_INVALIDARG;
    *ppdispChild = new CAccessibleUI(m_host, node);
    return S_OK;
}

HRESULT CAccessibleUI::get_accName(VARIANT varChild, BSTR* pszName) {
    if (!pszName) return E_POINTER;
    *pszName = nullptr;
    AccessibleNode node;
    if (!Target(varChild, node)) return E_INVALIDARG;
    return ReturnText(NameOf(*m_host, node), pszName);
}

HRESULT CAccessibleUI::get_accValue(VARIANT varChild, BSTR* pszValue) {
    if (!pszValue) return E_POINTER;
    *pszValue = nullptr;
    AccessibleNode node;
    if (!Target(varChild, node)) return E_INVALIDARG;
    if (node.part != AccessibleNode::Control || !AsCombo(node.control)) return DISP_E_MEMBERNOTFOUND;
    return ReturnText(node.control->GetText(), pszValue);
}

HRESULT CAccessibleUI::get_accDescription(VARIANT varChild, BSTR* pszDescription) {
    if (!pszDescription) return E_POINTER;
    *pszDescription = nullptr;
    AccessibleNode node;
    return Target(varChild, node) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT CAccessibleUI::get_accRole(VARIANT varChild, VARIANT* pvarRole) {
    if (!pvarRole) return E_POINTER;
    ::VariantInit(pvarRole);
    AccessibleNode node;
    if (!Target(varChild, node)) return E_INVALIDARG;
    pvarRole->vt = VT_I4;
    pvarRole->lVal = RoleOf(node);
    return S_OK;
}

HRESULT CAccessibleUI::get_accState(VARIANT varChild, VARIANT* pvarState) {
    if (!pvarState) return E_POINTER;
    ::VariantInit(pvarState);
    AccessibleNode node;
    if (!Target(varChild, node)) return E_INVALIDARG;
    pvarState->vt = VT_I4;
    pvarState->lVal = StateOf(*m_host, node);
    return S_OK;
}

HRESULT CAccessibleUI::get_accHelp(VARIANT varChild, BSTR* pszHelp) {
    if (!pszHelp) return E_POINTER;
    *pszHelp = nullptr;
    AccessibleNode node;
    return Target(varChild, node) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT CAccessibleUI::get_accHelpTopic(BSTR* pszHelpFile, VARIANT, long* pidTopic) {
    if (pszHelpFile) *pszHelpFile = nullptr;
    if (pidTopic) *pidTopic = 0;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT CAccessibleUI::get_accKeyboardShortcut(VARIANT varChild, BSTR* pszShortcut) {
    if (!pszShortcut) return E_POINTER;
    *pszShortcut = nullptr;
    AccessibleNode node;
    if (!Target(varChild, node)) return E_INVALIDARG;
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
    if (!m_host->Contains(m_node)) return RPC_E_DISCONNECTED;
    CControlUI* focus = m_host->Manager()->GetFocus();
    if (!focus) return S_FALSE;
    const AccessibleNode focused = {AccessibleNode::Control, focus};
    if (focused == m_node) {
        pvarChild->vt = VT_I4;
        pvarChild->lVal = CHILDID_SELF;
        return S_OK;
    }
    if (m_node.part != AccessibleNode::Client) return S_FALSE;
    ToVariant(focused, pvarChild);
    return S_OK;
}

HRESULT CAccessibleUI::get_accSelection(VARIANT* pvarChildren) {
    if (!pvarChildren) return E_POINTER;
    ::VariantInit(pvarChildren);
    if (!m_host->Contains(m_node)) return RPC_E_DISCONNECTED;
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
    if (!Target(varChild, node)) return E_INVALIDARG;
    const wchar_t* action = DefaultActionOf(node);
    if (!action) return DISP_E_MEMBERNOTFOUND;
    return ReturnText(action, pszDefaultAction);
}

HRESULT CAccessibleUI::accSelect(long flagsSelect, VARIANT varChild) {
    AccessibleNode node;
    if (!Target(varChild, node)) return E_INVALIDARG;
    if (node.part != AccessibleNode::Control) return DISP_E_MEMBERNOTFOUND;
    if (!(flagsSelect & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS))) return E_INVALIDARG;
    if (Is(node.control, L"ListItem")) {
        return SelectInOwner(*m_host, node.control) ? S_OK : S_FALSE;
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
    if (!Target(varChild, node)) return E_INVALIDARG;
    const RECT rc = LocationOf(*m_host, node);
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
    if (!Target(varStart, start)) return E_INVALIDARG;
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
        return E_NOTIMPL;
    }
    if (at < 0 || at >= static_cast<int>(row.size())) return S_FALSE;
    ToVariant(row[at], pvarEndUpAt);
    return S_OK;
}

HRESULT CAccessibleUI::accHitTest(long xLeft, long yTop, VARIANT* pvarChild) {
    if (!pvarChild) return E_POINTER;
    ::VariantInit(pvarChild);
    if (!m_host->Contains(m_node)) return RPC_E_DISCONNECTED;
    const POINT screen = {xLeft, yTop};
    RECT own = LocationOf(*m_host, m_node);
    if (!::PtInRect(&own, screen)) return S_FALSE;
    if (m_node.part == AccessibleNode::Client) {
        POINT pt = screen;
        ::ScreenToClient(m_host->Window(), &pt);
        const std::vector<AccessibleNode> shown = m_host->Children(m_node);
        // The control under the point, or the nearest ancestor a reader sees.
        for (CControlUI* c = m_host->Manager()->FindControl(pt); c; c = c->GetParent()) {
            for (const AccessibleNode& node : shown) {
                if (node.control != c) continue;
                ToVariant(node, pvarChild);
                return S_OK;
            }
        }
    }
    pvarChild->vt = VT_I4;
    pvarChild->lVal = CHILDID_SELF;
    return S_OK;
}

HRESULT CAccessibleUI::accDoDefaultAction(VARIANT varChild) {
    AccessibleNode node;
    if (!Target(varChild, node)) return E_INVALIDARG;
    if (!DefaultActionOf(node)) return DISP_E_MEMBERNOTFOUND;
    m_host->PostDefaultAction(node);
    return S_OK;
}

HRESULT CAccessibleUI::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT CAccessibleUI::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace Facet
