// CWaitCursor: shows the system's hour-glass for as long as the object lives
// and then puts back whichever cursor was there before.
#pragma once

#include <windows.h>

namespace Facet {

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_hOrigCursor;
};

}  // namespace Facet
