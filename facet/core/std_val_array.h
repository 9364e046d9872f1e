// CStdValArray: a growable array of equal-sized values, copied in byte by
// byte. Empty() keeps the block for reuse; the destructor frees it.
#pragma once

namespace Facet {

class CStdValArray {
public:
    explicit CStdValArray(int elementSize, int prealloc = 0);
    ~CStdValArray();
    // The framework never copies a value array; a memberwise copy would free
    // the same block twice.
    CStdValArray(const CStdValArray&) = delete;
    CStdValArray& operator=(const CStdValArray&) = delete;

    void Empty() { m_nCount = 0; }
    bool IsEmpty() const { return m_nCount == 0; }
    bool Add(const void* p);
    bool Remove(int i);
    int GetSize() const { return m_nCount; }
    void* GetData() { return m_pVoid; }
    void* GetAt(int i) const;
    // Unchecked: the caller keeps i within 0..GetSize()-1.
    void* operator[](int i) const { return m_pVoid + static_cast<long long>(i) * m_iElementSize; }
    int GetAllocated() const { return m_nAllocated; }

private:
    unsigned char* m_pVoid = nullptr;
    int m_iElementSize;
    int m_nCount = 0;
    int m_nAllocated = 0;
};

}  // namespace Facet
