// CAccessibleHost: the accessible tree laid over a paint manager's controls,
// the child ids of its elements, the WinEvents and the deferred default
// action. The tree is small (a window's controls), so it is walked afresh
// whenever a question needs it rather than mirrored and kept in step.
#include "facet/accessibility/accessible_host.h"

#include <utility>

#include "facet/controls/combo_ui.h"
#include "facet/controls/container_ui.h"
#include "facet/accessibility/accessible_facts.h"
#include "facet/accessibility/accessible_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

IContainerUI* AsContainer(CControlUI* control) {
    return static_cast<IContainerUI*>(control->GetInterface(L"IContainer"));
}

bool IsCombo(CControlUI* control) { return control->GetInterface(L"Combo") != nullptr; }

// Finds `target` under `control`, hidden controls and combo items included;
// `combo` becomes the combo box that holds it, or null.
bool Find(CControlUI* control, CControlUI* target, CControlUI* holder, CControlUI** combo) {
    if (control == target) {
        *combo = holder;
        return true;
    }
    IContainerUI* container = AsContainer(control);
    if (!container) return false;
    CControlUI* items = IsCombo(control) ? control : nullptr;
    for (int i = 0; i < container->GetCount(); ++i) {
        if (Find(container->GetItemAt(i), target, items, combo)) return true;
    }
    return false;
}

// The visible controls under a container, looking through layouts: a reader
// sees the buttons, texts and boxes, not how they are arranged.
void CollectVisible(CControlUI* control, std::vector<AccessibleNode>& out) {
    IContainerUI* container = AsContainer(control);
    for (int i = 0; container && i < container->GetCount(); ++i) {
        CControlUI* child = container->GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (AsContainer(child) && !IsCombo(child)) {
            CollectVisible(child, out);
        } else {
            out.push_back({AccessibleNode::Control, child});
        }
    }
}

// Whether `a` comes before `b` when the window is read: the upper row first;
// on one row (their heights overlap by half the smaller one) the left one.
bool ReadsBefore(const AccessibleNode& a, const AccessibleNode& b) {
    const RECT ra = a.control->GetPos(), rb = b.control->GetPos();
    const int overlap = (ra.bottom < rb.bottom ? ra.bottom : rb.bottom) - (ra.top > rb.top ? ra.top : rb.top);
    const int ha = ra.bottom - ra.top, hb = rb.bottom - rb.top;
    const int smaller = ha < hb ? ha : hb;
    if (overlap * 2 < smaller || smaller <= 0) return ra.top < rb.top;
    return ra.left < rb.left;
}

// An insertion sort: the order above is not transitive enough for std::sort.
void SortForReading(std::vector<AccessibleNode>& nodes) {
    for (size_t i = 1; i < nodes.size(); ++i) {
        for (size_t j = i; j > 0 && ReadsBefore(nodes[j], nodes[j - 1]); --j) std::swap(nodes[j], nodes[j - 1]);
    }
}

}  // namespace

void* OleaccProc(const char* name) {
    static HMODULE oleacc = ::LoadLibraryW(L"oleacc.dll");
    return oleacc ? reinterpret_cast<void*>(::GetProcAddress(oleacc, name)) : nullptr;
}

CAccessibleHost::CAccessibleHost(CPaintManagerUI* pManager) : m_pManager(pManager) {}

void CAccessibleHost::Disconnect() {
    m_pManager = nullptr;
    m_ids.clear();
    m_pending.clear();
}

void CAccessibleHost::Forget(CControlUI* control) {
    std::vector<IdEntry> live;
    for (const IdEntry& entry : m_ids) {
        if (entry.node.control != control) live.push_back(entry);
    }
    m_ids.swap(live);
}

bool CAccessibleHost::Alive(const AccessibleNode& node, LONG id) const {
    if (node.part == AccessibleNode::Client) return m_pManager != nullptr;
    for (const IdEntry& entry : m_ids) {
        if (entry.id == id) return entry.node == node && Contains(node);
    }
    return false;
}

HWND CAccessibleHost::Window() const { return m_pManager ? m_pManager->GetPaintWindow() : nullptr; }

bool CAccessibleHost::Contains(const AccessibleNode& node) const {
    if (!m_pManager) return false;
    if (node.part == AccessibleNode::Client) return true;
    CControlUI* root = m_pManager->GetRoot();
    CControlUI* combo = nullptr;
    if (!node.control || !root || !Find(root, node.control, nullptr, &combo)) return false;
    return node.part == AccessibleNode::Control || IsCombo(node.control);
}

CControlUI* CAccessibleHost::OwningCombo(CControlUI* item) const {
    CControlUI* combo = nullptr;
    CControlUI* root = m_pManager ? m_pManager->GetRoot() : nullptr;
    return root && Find(root, item, nullptr, &combo) ? combo : nullptr;
}

std::vector<AccessibleNode> CAccessibleHost::Children(const AccessibleNode& node) const {
    std::vector<AccessibleNode> children;
    if (!m_pManager) return children;
    if (node.part == AccessibleNode::Client) {
        CControlUI* root = m_pManager->GetRoot();
        if (root && AsContainer(root) && !IsCombo(root)) {
            CollectVisible(root, children);
            SortForReading(children);
        } else if (root && root->IsVisible()) {
            children.push_back({AccessibleNode::Control, root});
        }
    } else if (node.part == AccessibleNode::Control && IsCombo(node.control)) {
        children.push_back({AccessibleNode::ComboList, node.control});
    } else if (node.part == AccessibleNode::ComboList) {
        IContainerUI* items = AsContainer(node.control);
        for (int i = 0; i < items->GetCount(); ++i) {
            CControlUI* item = items->GetItemAt(i);
            if (item->IsVisible()) children.push_back({AccessibleNode::Control, item});
        }
    }
    return children;
}

AccessibleNode CAccessibleHost::Parent(const AccessibleNode& node) const {
    if (node.part == AccessibleNode::ComboList) return {AccessibleNode::Control, node.control};
    if (node.part == AccessibleNode::Control) {
        if (CControlUI* combo = OwningCombo(node.control)) return {AccessibleNode::ComboList, combo};
    }
    return {};
}

LONG CAccessibleHost::IdOf(const AccessibleNode& node) {
    if (node.part == AccessibleNode::Client) return CHILDID_SELF;
    for (const IdEntry& entry : m_ids) {
        if (entry.node == node) return entry.id;
    }
    m_ids.push_back({node, m_nextId++});
    return m_ids.back().id;
}

bool CAccessibleHost::NodeOf(LONG id, AccessibleNode& node) const {
    for (const IdEntry& entry : m_ids) {
        if (entry.id != id) continue;
        if (!Contains(entry.node)) return false;
        node = entry.node;
        return true;
    }
    return false;
}

void CAccessibleHost::RaiseEvent(DWORD event, const AccessibleNode& node, HWND window) {
    HWND hwnd = window ? window : Window();
    if (!hwnd || !m_pManager) return;
    ::NotifyWinEvent(event, hwnd, OBJID_CLIENT, IdOf(node));
}

void CAccessibleHost::PostDefaultAction(const AccessibleNode& node) {
    m_pending.push_back(node);
    ::PostMessageW(Window(), kAccessibleActionMessage, 0, 0);
}

void CAccessibleHost::RunPendingAction() {
    if (m_pending.empty()) return;
    const AccessibleNode node = m_pending.front();
    m_pending.pop_front();
    // The control may have gone while the message waited.
    if (Contains(node)) DoAccessibleDefaultAction(*this, node);
}

LRESULT CAccessibleHost::ClientObject(WPARAM wParam, const AccessibleNode& node) {
    using FromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    auto fromObject = reinterpret_cast<FromObject>(OleaccProc("LresultFromObject"));
    if (!fromObject || !m_pManager) return 0;
    auto* object = new CAccessibleUI(shared_from_this(), node, IdOf(node));
    const LRESULT result = fromObject(kIidAccessible, wParam, object);
    object->Release();
    return result;
}

}  // namespace Facet
