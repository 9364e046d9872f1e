// CStdPtrArray. The block is grown when the count reaches the allocation, so
// one slot is always spare after an Add.
#include "facet/core/std_ptr_array.h"

#include <cstdlib>
#include <cstring>

#include "facet/core/growth.h"

namespace Facet {

CStdPtrArray::CStdPtrArray(int prealloc) {
    if (prealloc > 0) {
        m_ppVoid = static_cast<void**>(std::malloc(static_cast<std::size_t>(prealloc) * sizeof(void*)));
        if (m_ppVoid) m_nAllocated = prealloc;
    }
}

CStdPtrArray::CStdPtrArray(const CStdPtrArray& src) {
    for (int i = 0; i < src.GetSize(); ++i) Add(src.GetAt(i));
}

CStdPtrArray::~CStdPtrArray() { std::free(m_ppVoid); }

void CStdPtrArray::Empty() {
    std::free(m_ppVoid);
    m_ppVoid = nullptr;
    m_nCount = 0;
    m_nAllocated = 0;
}

bool CStdPtrArray::Resize(int n) {
    Empty();
    if (n <= 0) return true;
    m_ppVoid = static_cast<void**>(std::calloc(static_cast<std::size_t>(n), sizeof(void*)));
    if (!m_ppVoid) return false;
    m_nCount = n;
    m_nAllocated = n;
    return true;
}

int CStdPtrArray::Find(void* p) const {
    for (int i = 0; i < m_nCount; ++i) {
        if (m_ppVoid[i] == p) return i;
    }
    return -1;
}

// Makes room for one more element (count already counts it); on failure the
// count is put back and nothing else changes.
bool CStdPtrArray::Grow() {
    if (++m_nCount < m_nAllocated) return true;
    const int allocation = NextAllocation(m_nAllocated);
    void* block = allocation > 0 ? std::realloc(m_ppVoid, static_cast<std::size_t>(allocation) * sizeof(void*))
                                 : nullptr;
    if (!block) {
        --m_nCount;
        return false;
    }
    m_ppVoid = static_cast<void**>(block);
    m_nAllocated = allocation;
    return true;
}

bool CStdPtrArray::Add(void* p) {
    if (!Grow()) return false;
    m_ppVoid[m_nCount - 1] = p;
    return true;
}

bool CStdPtrArray::InsertAt(int i, void* p) {
    if (i == m_nCount) return Add(p);
    if (i < 0 || i > m_nCount) return false;
    if (!Grow()) return false;
    std::memmove(&m_ppVoid[i + 1], &m_ppVoid[i], static_cast<std::size_t>(m_nCount - 1 - i) * sizeof(void*));
    m_ppVoid[i] = p;
    return true;
}

bool CStdPtrArray::SetAt(int i, void* p) {
    if (i < 0 || i >= m_nCount) return false;
    m_ppVoid[i] = p;
    return true;
}

bool CStdPtrArray::Remove(int i) {
    if (i < 0 || i >= m_nCount) return false;
    --m_nCount;
    std::memmove(&m_ppVoid[i], &m_ppVoid[i + 1], static_cast<std::size_t>(m_nCount - i) * sizeof(void*));
    return true;
}

void* CStdPtrArray::GetAt(int i) const {
    if (i < 0 || i >= m_nCount) return nullptr;
    return m_ppVoid[i];
}

}  // namespace Facet
