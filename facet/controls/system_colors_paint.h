// Painting in high contrast: when the user asked the system for it, controls
// that carry text are drawn with the system's colour pairs (window and window
// text, button face and button text, highlight and highlight text, grey text
// when disabled) and the skin's pictures behind text are left out. Pictures
// that are the whole of a control (the disk) stay; the caption buttons'
// glyphs are drawn anew in the button colours.
#pragma once

#include <windows.h>

namespace Facet {

class CControlUI;

// Paints the control itself (a container's children paint after it) in the
// system's colours and returns true; false for a control that paints as
// usual (one without text).
bool PaintInSystemColors(CControlUI* pControl, HDC hDC, const RECT& rcPaint);

// A system colour as the render engine takes colours (0xAARRGGBB, opaque).
DWORD SystemColor(int index);

}  // namespace Facet
