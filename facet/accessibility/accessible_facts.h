// What a screen reader learns of one element of the accessible tree, read
// afresh from its control: the MSAA role, name, state, place on the screen
// and default action; and what that action and a selection do.
#pragma once

#include <windows.h>

#include "facet/core/dui_string.h"
#include "facet/accessibility/accessible_host.h"

namespace Facet {

long AccessibleRole(const AccessibleNode& node);
// A control's text (its tooltip when it has none); a combo box and its list
// by its tooltip, else by the text label before it, as a dialog's static
// text names its box.
CDuiString AccessibleName(CAccessibleHost& host, const AccessibleNode& node);
// A combo box's chosen text, a progress bar's percentage; empty otherwise.
CDuiString AccessibleValue(const AccessibleNode& node);
long AccessibleState(CAccessibleHost& host, const AccessibleNode& node);
// The one element that has the keyboard focus: the focused control while its
// window has the system's focus, the focused item of an open drop-down list
// while the list has it, the client area when its window has it and no
// control does. False while another window has it.
bool AccessibleFocus(CAccessibleHost& host, AccessibleNode& node);
// Screen coordinates.
RECT AccessibleLocation(CAccessibleHost& host, const AccessibleNode& node);
// The action's name in the user's language; null when there is none.
const wchar_t* AccessibleDefaultAction(const AccessibleNode& node);
// Presses a button, opens or closes a combo box, chooses a list item.
void DoAccessibleDefaultAction(CAccessibleHost& host, const AccessibleNode& node);
// Chooses a combo box's item as the user would.
bool AccessibleSelect(CAccessibleHost& host, CControlUI* item);

}  // namespace Facet
