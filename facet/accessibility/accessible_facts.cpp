// The facts of one element of the accessible tree, read from its control:
// role, name, state, place and default action; and what the default action
// and a selection do.
#include "facet/accessibility/accessible_facts.h"

#include <oleacc.h>

#include "facet/controls/combo_ui.h"
#include "facet/controls/combo_wnd.h"
#include "facet/controls/container_ui.h"
#include "facet/controls/list_ui.h"
#include "facet/controls/progress_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

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

}  // namespace

long AccessibleRole(const AccessibleNode& node) {
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

CDuiString AccessibleName(CAccessibleHost& host, const AccessibleNode& node) {
    if (node.part == AccessibleNode::Client) {
        wchar_t text[256] = {};
        ::GetWindowTextW(host.Window(), text, 256);
        return text;
    }
    CControlUI* c = node.control;
    if (AsCombo(c)) {
        CDuiString name = c->GetToolTip();
        return name.IsEmpty() ? LabelBefore(c) : name;
    }
    // A progress bar's text is its value; its name is what it measures.
    CDuiString name = Is(c, L"Progress") ? CDuiString() : c->GetText();
    if (name.IsEmpty()) name = c->GetToolTip();
    return name;
}

CDuiString AccessibleValue(const AccessibleNode& node) {
    if (node.part != AccessibleNode::Control) return CDuiString();
    CControlUI* c = node.control;
    if (AsCombo(c)) return c->GetText();
    if (auto* bar = static_cast<CProgressUI*>(c->GetInterface(L"Progress"))) {
        const int span = bar->GetMaxValue() - bar->GetMinValue();
        int percent = span > 0 ? (bar->GetValue() - bar->GetMinValue()) * 100 / span : 0;
        percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
        CDuiString text;
        text.Format(L"%d%%", percent);
        return text;
    }
    return CDuiString();
}

bool AccessibleFocus(CAccessibleHost& host, AccessibleNode& node) {
    CPaintManagerUI* pm = host.Manager();
    if (!pm) return false;
    CControlUI* focus = pm->GetFocus();
    if (CComboUI* combo = AsCombo(focus)) {
        CComboWnd* list = combo->GetDropDown();
        if (list && ::GetFocus() == list->GetHWND()) {
            CControlUI* item = combo->GetItemAt(combo->GetCurSel());
            if (!item) return false;
            node = {AccessibleNode::Control, item};
            return true;
        }
    }
    if (::GetFocus() != host.Window()) return false;
    node = focus ? AccessibleNode{AccessibleNode::Control, focus} : AccessibleNode{};
    return true;
}

// Where the control lies on the screen: its manager's window holds it (the
// drop-down's window for the items of an open list).
RECT ScreenRect(CControlUI* control) {
    RECT rc = control->GetPos();
    CPaintManagerUI* pm = control->GetManager();
    if (pm && pm->GetPaintWindow()) ::MapWindowPoints(pm->GetPaintWindow(), HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

RECT AccessibleLocation(CAccessibleHost& host, const AccessibleNode& node) {
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

long AccessibleState(CAccessibleHost& host, const AccessibleNode& node) {
    AccessibleNode focused;
    const bool hasFocus = AccessibleFocus(host, focused) && focused == node;
    if (node.part == AccessibleNode::Client) {
        return STATE_SYSTEM_FOCUSABLE | (hasFocus ? STATE_SYSTEM_FOCUSED : 0);
    }
    CControlUI* c = node.control;
    long state = hasFocus ? STATE_SYSTEM_FOCUSED : 0;
    if (node.part == AccessibleNode::ComboList) {
        if (!AsCombo(c)->GetDropDown()) state |= STATE_SYSTEM_INVISIBLE;
        return state;
    }
    if (!c->IsVisible()) state |= STATE_SYSTEM_INVISIBLE;
    if (!c->IsEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
    // A control given the focus outside the tab order (the progress of a
    // run) can take it, as it shows.
    if (c->IsEnabled() && ((c->GetControlFlags() & ControlFlagTabStop) || hasFocus)) state |= STATE_SYSTEM_FOCUSABLE;
    if (c->GetInterface(L"Progress")) state |= STATE_SYSTEM_READONLY;
    if (CComboUI* combo = AsCombo(c)) {
        state |= STATE_SYSTEM_HASPOPUP;
        state |= combo->GetDropDown() ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    }
    if (auto* item = static_cast<IListItemUI*>(c->GetInterface(L"ListItem"))) {
        state |= STATE_SYSTEM_SELECTABLE;
        if (item->IsSelected()) state |= STATE_SYSTEM_SELECTED;
        CComboUI* combo = AsCombo(host.OwningCombo(c));
        if (combo && !combo->GetDropDown()) state |= STATE_SYSTEM_INVISIBLE;
        if (combo && combo->GetDropDown() && c->IsEnabled()) state |= STATE_SYSTEM_FOCUSABLE;
    }
    return state;
}

// The name of the element's default action; null when it has none.
const wchar_t* AccessibleDefaultAction(const AccessibleNode& node) {
    if (node.part != AccessibleNode::Control) return nullptr;
    CControlUI* c = node.control;
    // A control that cannot act now offers nothing to do.
    if (!c->IsEnabled()) return nullptr;
    if (CComboUI* combo = AsCombo(c)) {
        if (combo->GetDropDown()) return Chinese() ? L"关闭" : L"Close";
        return Chinese() ? L"打开" : L"Open";
    }
    if (Is(c, L"ListItem")) return Chinese() ? L"双击" : L"Double Click";
    if (Is(c, L"Button") && !IsPicture(c)) return Chinese() ? L"按下" : L"Press";
    return nullptr;
}

bool AccessibleSelect(CAccessibleHost& host, CControlUI* item) {
    CComboUI* combo = AsCombo(host.OwningCombo(item));
    return combo && combo->SelectItem(combo->GetItemIndex(item), false);
}

void DoAccessibleDefaultAction(CAccessibleHost& host, const AccessibleNode& node) {
    CControlUI* c = node.control;
    if (!AccessibleDefaultAction(node) || !c->IsEnabled()) return;
    if (CComboUI* combo = AsCombo(c)) {
        if (combo->GetDropDown()) {
            combo->GetDropDown()->Close();
        } else {
            combo->Activate();
        }
    } else if (Is(c, L"ListItem")) {
        // As a double click does: choose the item and close the list.
        AccessibleSelect(host, c);
        CComboUI* combo = AsCombo(host.OwningCombo(c));
        if (combo && combo->GetDropDown()) combo->GetDropDown()->Close();
    } else {
        c->Activate();
    }
}

}  // namespace Facet
