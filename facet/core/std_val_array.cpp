// CStdValArray. Grows like the pointer array (11, 22, 44, ...) and keeps the
// element size fixed for its whole life.
#include "facet/core/std_val_array.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

#include "facet/core/growth.h"

namespace Facet {

CStdValArray::CStdValArray(int elementSize, int prealloc) : m_iElementSize(elementSize) {
    assert(elementSize > 0 && "CStdValArray needs a positive element size");
    if (m_iElementSize <= 0) m_iElementSize = 1;
    if (prealloc > 0) {
        m_pVoid = static_cast<unsigned char*>(
            std::malloc(static_cast<std::size_t>(prealloc) * static_cast<std::size_t>(m_iElementSize)));
        if (m_pVoid) m_nAllocated = prealloc;
    }
}

CStdValArray::~CStdValArray() { std::free(m_pVoid); }

bool CStdValArray::Add(const void* p) {
    if (++m_nCount >= m_nAllocated) {
        const int allocation = NextAllocation(m_nAllocated);
        void* block = allocation > 0 ? std::realloc(m_pVoid, static_cast<std::size_t>(allocation) *
                                                                  static_cast<std::size_t>(m_iElementSize))
                                     : nullptr;
        if (!block) {
            --m_nCount;
            return false;
        }
        m_pVoid = static_cast<unsigned char*>(block);
        m_nAllocated = allocation;
    }
    std::memcpy((*this)[m_nCount - 1], p, static_cast<std::size_t>(m_iElementSize));
    return true;
}

bool CStdValArray::Remove(int i) {
    if (i < 0 || i >= m_nCount) return false;
    --m_nCount;
    std::memmove((*this)[i], (*this)[i + 1],
                 static_cast<std::size_t>(m_nCount - i) * static_cast<std::size_t>(m_iElementSize));
    return true;
}

void* CStdValArray::GetAt(int i) const {
    if (i < 0 || i >= m_nCount) return nullptr;
    return (*this)[i];
}

}  // namespace Facet
