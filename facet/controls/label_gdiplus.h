// GDI+ for the label's text effects. The project builds with NOMINMAX, and
// the Windows SDK's GDI+ headers use unqualified min and max, so they get the
// standard ones here; GDI+ also needs the COM stream types that
// WIN32_LEAN_AND_MEAN leaves out of windows.h.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>
