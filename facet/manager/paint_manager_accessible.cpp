// CPaintManagerUI's side of screen-reader support: it answers WM_GETOBJECT
// for its client area with the accessible tree of its controls, runs the
// default actions readers ask for, and raises the WinEvents that tell readers
// of focus, selection, value, name, state and list changes, for its own
// controls or, lent for a while, for another manager's (a drop-down's list).
#include "facet/accessibility/accessible_host.h"
#include "facet/controls/control_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

CAccessibleHost& CPaintManagerUI::AccessibleHost() {
    if (!m_pAccessible) m_pAccessible = std::make_shared<CAccessibleHost>(this);
    return *m_pAccessible;
}

namespace {
AccessibleNode NodeOf(CControlUI* pControl, int part) {
    AccessibleNode node;
    node.part = part == AccessibleNode::ComboList ? AccessibleNode::ComboList : AccessibleNode::Control;
    node.control = pControl;
    return node;
}
}  // namespace

void CPaintManagerUI::NotifyAccessibleEvent(DWORD event, CControlUI* pControl, int part) {
    if (!m_hWndPaint || !pControl) return;
    if (m_pAccessibleOwner) {
        m_pAccessibleOwner->AccessibleHost().RaiseEvent(event, NodeOf(pControl, part), m_hWndPaint);
        return;
    }
    AccessibleHost().RaiseEvent(event, NodeOf(pControl, part));
}

void CPaintManagerUI::SetAccessibleOwner(CPaintManagerUI* pOwner) { m_pAccessibleOwner = pOwner; }

LRESULT CPaintManagerUI::AccessibleObjectFor(WPARAM wParam, CControlUI* pControl, int part) {
    if (!pControl) return 0;
    return AccessibleHost().ClientObject(wParam, NodeOf(pControl, part));
}

bool CPaintManagerUI::OnAccessibleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    if (uMsg == kAccessibleActionMessage) {
        if (m_pAccessible) m_pAccessible->RunPendingAction();
        return true;
    }
    if (uMsg != WM_GETOBJECT || static_cast<LONG>(lParam) != OBJID_CLIENT || !m_pRoot) return false;
    lRes = AccessibleHost().ClientObject(wParam);
    return lRes != 0;
}

}  // namespace Facet
