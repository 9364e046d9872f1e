// The records and numbers that pass between a paint manager and its controls:
// input events (TEventUI), named notifications (TNotifyUI), the flags that
// steer tree searches and focus, and the listener interfaces a window
// registers with its manager.
#pragma once

#include <windows.h>

#include "facet/core/dui_string.h"

namespace Facet {

class CControlUI;

// TEventUI::type. Controls compare against these numbers; 1, 2 and 7 are
// never produced.
enum EventType {
    EventKeyDown = 3,
    EventKeyUp = 4,
    EventChar = 5,
    EventSysKey = 6,
    EventMouseFirst = 8,  // exclusive lower bound of the mouse range
    EventMouseMove = 9,
    EventMouseLeave = 10,
    EventMouseEnter = 11,
    EventMouseHover = 12,
    EventButtonDown = 13,
    EventButtonUp = 14,
    EventRButtonDown = 15,
    EventDblClick = 16,
    EventContextMenu = 17,
    EventScrollWheel = 18,
    EventMouseLast = 19,  // exclusive upper bound of the mouse range
    EventKillFocus = 20,
    EventSetFocus = 21,
    EventWindowSize = 22,
    EventSetCursor = 23,
    EventTimer = 24,
};

// True for the events a control with its mouse disabled hands to its parent.
inline bool IsMouseEvent(int type) { return type > EventMouseFirst && type < EventMouseLast; }

// Bits of TEventUI::keyState for events that carry no button flags of their
// own (keyboard, set-cursor and wheel events).
enum KeyStateFlag : WORD {
    KeyStateLButton = 0x0001,
    KeyStateRButton = 0x0002,
    KeyStateShift = 0x0004,
    KeyStateControl = 0x0008,
    KeyStateAlt = 0x0020,
};

// Pointer-sized wParam and lParam: the context-menu event and the "menu"
// notification carry a control pointer in lParam.
typedef struct tagTEventUI {
    int type = 0;
    // Empty for keyboard events.
    CControlUI* sender = nullptr;
    DWORD timestamp = 0;
    POINT mousePoint = {0, 0};
    wchar_t keyChar = 0;
    WORD keyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
} TEventUI;

typedef struct tagTNotifyUI {
    CDuiString type;
    // The sender's virtual window, filled only while virtual windows are used.
    CDuiString virtualWindow;
    // Empty when the sender was destroyed while the notification was queued.
    CControlUI* sender = nullptr;
    DWORD timestamp = 0;
    POINT mousePoint = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
} TNotifyUI;

// Flags of CControlUI::FindControl; 0 visits every control.
enum FindFlag : UINT {
    FindVisible = 0x00000001,   // skip invisible controls and their subtrees
    FindEnabled = 0x00000002,   // skip disabled controls and their subtrees
    FindHitTest = 0x00000004,   // data is a POINT*: skip what misses it or ignores the mouse
    FindTopFirst = 0x00000008,  // children from the last to the first
    FindMeFirst = 0x80000000,   // a container before its children
};

// CControlUI::GetControlFlags.
enum ControlFlag : UINT {
    ControlFlagTabStop = 0x1,
    ControlFlagSetCursor = 0x2,
    ControlFlagWantReturn = 0x4,
};

// A FindControl callback: the control when it is the one sought, else null
// to let the traversal go on.
typedef CControlUI*(CALLBACK* FINDCONTROLPROC)(CControlUI* control, LPVOID data);

class INotifyUI {
public:
    virtual void Notify(TNotifyUI& msg) = 0;

protected:
    ~INotifyUI() = default;
};

class IMessageFilterUI {
public:
    // Setting bHandled stops further processing; the result is the answer.
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

class ITranslateAccelerator {
public:
    // S_OK (0) means the message was consumed.
    virtual LRESULT TranslateAccelerator(MSG* pMsg) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

}  // namespace Facet
