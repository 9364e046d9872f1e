// CPaintManagerUI's side of screen-reader support: it answers WM_GETOBJECT
// for its client area with the accessible tree of its controls, runs the
// default actions readers ask for, and raises the WinEvents that tell readers
// of focus, selection, value and list changes.
#include "facet/manager/accessible_host.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

CAccessibleHost& CPaintManagerUI::AccessibleHost() {
    if (!m_pAccessible) m_pAccessible = std::make_shared<CAccessibleHost>(this);
    return *m_pAccessible;
}

void CPaintManagerUI::NotifyAccessibleEvent(DWORD event, CControlUI* pControl, int part) {
    if (!m_hWndPaint || !pControl) return;
    AccessibleNode node;
    node.part = part == AccessibleNode::ComboList ? AccessibleNode::ComboList : AccessibleNode::Control;
    node.control = pControl;
    AccessibleHost().RaiseEvent(event, node);
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
