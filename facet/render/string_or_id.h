// STRINGorID: where a skin or an image comes from, either a name (a file or
// zip member) or a 16-bit resource number, passed as the one pointer-sized
// value that the Win32 resource functions take (MAKEINTRESOURCEW).
#pragma once

#include <windows.h>

namespace Facet {

class STRINGorID {
public:
    STRINGorID(const wchar_t* name) : m_lpstr(name) {}
    STRINGorID(unsigned int id) : m_lpstr(MAKEINTRESOURCEW(id)) {}

    // True for a resource number, false for a name (a null name included).
    bool IsId() const { return m_lpstr && IS_INTRESOURCE(m_lpstr); }
    WORD GetId() const { return static_cast<WORD>(reinterpret_cast<ULONG_PTR>(m_lpstr)); }

    const wchar_t* m_lpstr;
};

}  // namespace Facet
