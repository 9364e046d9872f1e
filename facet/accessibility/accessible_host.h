// CAccessibleHost: what a paint manager shares with the accessible objects it
// hands to screen readers (CAccessibleUI). It lays the control tree out as
// the elements a reader sees, gives each element the child id its WinEvents
// carry, and checks for every call that an element's control still exists:
// a reader may hold an object long after its control or window is gone.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <vector>

namespace Facet {

class CControlUI;
class CPaintManagerUI;

// One element of the accessible tree: the client area, a control, or the
// list part of a combo box (the part that drops down).
struct AccessibleNode {
    enum Part { Client = -1, Control = 0, ComboList = 1 };
    Part part = Client;
    CControlUI* control = nullptr;

    bool operator==(const AccessibleNode& other) const {
        return part == other.part && control == other.control;
    }
};

class CAccessibleHost : public std::enable_shared_from_this<CAccessibleHost> {
public:
    explicit CAccessibleHost(CPaintManagerUI* pManager);
    CAccessibleHost(const CAccessibleHost&) = delete;
    CAccessibleHost& operator=(const CAccessibleHost&) = delete;

    // The manager is going: every object answers "disconnected" from now on.
    void Disconnect();
    CPaintManagerUI* Manager() const { return m_pManager; }
    HWND Window() const;

    // The element's control is in the manager's tree now, hidden or not.
    bool Contains(const AccessibleNode& node) const;
    // The element that was given `id` still stands for the same control:
    // its id was not dropped when a control died, and it is in the tree.
    bool Alive(const AccessibleNode& node, LONG id) const;
    // A control is being destroyed: its elements' ids die with it. Ids are
    // never given again, so an object a reader holds can never come to
    // stand for a later control made at the same address.
    void Forget(CControlUI* control);
    // What a reader sees under an element: for the client area its visible
    // controls in reading order (rows from the top, each from the left;
    // layouts are looked through), for a combo box its list, for the list
    // its visible items.
    std::vector<AccessibleNode> Children(const AccessibleNode& node) const;
    // The client area for a control; the combo box for its list and the
    // list for its items.
    AccessibleNode Parent(const AccessibleNode& node) const;
    // The combo box that holds an item, null for any other control.
    CControlUI* OwningCombo(CControlUI* item) const;

    // Child ids: well above any child position, so that get_accChild can
    // take either (readers ask by position, WinEvents carry the id).
    LONG IdOf(const AccessibleNode& node);
    bool NodeOf(LONG id, AccessibleNode& node) const;

    // On the manager's window, or on `window` for an element shown in
    // another one (the items of an open drop-down list).
    void RaiseEvent(DWORD event, const AccessibleNode& node, HWND window = nullptr);
    // accDoDefaultAction acts after the reader's call has returned: a
    // button's click may put a modal box up, which must not block the reader.
    void PostDefaultAction(const AccessibleNode& node);
    void RunPendingAction();

    // The answer to WM_GETOBJECT for OBJID_CLIENT: the client area, or the
    // element given (a drop-down's window answers with the combo's list).
    LRESULT ClientObject(WPARAM wParam, const AccessibleNode& node = AccessibleNode{});

    static constexpr LONG kFirstId = 0x10000;

private:
    struct IdEntry {
        AccessibleNode node;
        LONG id;
    };

    CPaintManagerUI* m_pManager;
    std::vector<IdEntry> m_ids;
    LONG m_nextId = kFirstId;
    // Every action asked for runs, in order: each has its own message.
    std::deque<AccessibleNode> m_pending;
};

// An export of oleacc, which is loaded only once a screen reader asks for the
// window's objects, so that a start without one does not pay for it. Null
// when the library or the export is missing.
void* OleaccProc(const char* name);

// Posted to the paint window to run an accessible default action.
constexpr UINT kAccessibleActionMessage = WM_APP + 2;

}  // namespace Facet
