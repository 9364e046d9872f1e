// CStdPtrArray: a growable array of untyped pointers that never owns what
// they point at. Slots come from the C heap; growth goes 11, 22, 44, ...
#pragma once

namespace Facet {

class CStdPtrArray {
public:
    explicit CStdPtrArray(int prealloc = 0);
    // Element by element through Add, as the framework copies its arrays.
    CStdPtrArray(const CStdPtrArray& src);
    ~CStdPtrArray();
    // Whole-array assignment is not part of the framework; a memberwise copy
    // would free the same block twice.
    CStdPtrArray& operator=(const CStdPtrArray&) = delete;

    void Empty();
    // Empties, then holds n null slots (count and allocation n). False when
    // the slots cannot be allocated; the array is then empty.
    bool Resize(int n);
    bool IsEmpty() const { return m_nCount == 0; }
    int Find(void* p) const;
    bool Add(void* p);
    bool InsertAt(int i, void* p);
    bool SetAt(int i, void* p);
    bool Remove(int i);
    int GetSize() const { return m_nCount; }
    void** GetData() { return m_ppVoid; }
    void* GetAt(int i) const;
    // Unchecked: the caller keeps i within 0..GetSize()-1.
    void* operator[](int i) const { return m_ppVoid[i]; }
    int GetAllocated() const { return m_nAllocated; }

private:
    bool Grow();

    void** m_ppVoid = nullptr;
    int m_nCount = 0;
    int m_nAllocated = 0;
};

}  // namespace Facet
