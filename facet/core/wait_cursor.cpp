// CWaitCursor. System cursors are shared and never destroyed, so the object
// owns nothing: it only remembers the previous cursor.
#include "facet/core/wait_cursor.h"

namespace Facet {

CWaitCursor::CWaitCursor() : m_hOrigCursor(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}

CWaitCursor::~CWaitCursor() { ::SetCursor(m_hOrigCursor); }

}  // namespace Facet
