// CStdStringPtrMap: a hash map from a text key to an untyped pointer. It owns
// its items (key copies in doubly linked chains, one per bucket), never the
// data they point at. Keys compare exactly; a found item moves to the front
// of its chain so that repeated look-ups stay short.
#pragma once

#include "facet/core/dui_string.h"

namespace Facet {

class CStdStringPtrMap {
public:
    // Fewer than 16 buckets are raised to 16.
    explicit CStdStringPtrMap(int buckets = 83);
    ~CStdStringPtrMap();
    CStdStringPtrMap(const CStdStringPtrMap&) = delete;
    CStdStringPtrMap& operator=(const CStdStringPtrMap&) = delete;

    // Drops every item and starts again with n buckets (none when n <= 0).
    void Resize(int n);
    // The data stored under key, or null (also for a stored null).
    void* Find(const wchar_t* key, bool optimize = true);
    // False when the key is present already (its data is kept) or the map
    // has no buckets.
    bool Insert(const wchar_t* key, void* data);
    // Replaces the data of a present key and returns the old data; otherwise
    // inserts and returns null. Without buckets returns data, storing nothing.
    void* Set(const wchar_t* key, void* data);
    bool Remove(const wchar_t* key);
    void RemoveAll();
    int GetSize() const { return m_nCount; }
    int GetBucketCount() const { return static_cast<int>(m_nBuckets); }
    // The key of the i-th item, walking buckets from the last to the first and
    // each chain from its head; null when i is out of range.
    const wchar_t* GetAt(int i) const;
    const wchar_t* operator[](int i) const { return GetAt(i); }

private:
    struct Item {
        CDuiString key;
        void* data;
        Item* prev;
        Item* next;
    };

    static unsigned int Hash(const wchar_t* key);
    Item* Lookup(const wchar_t* key) const;
    void Unlink(Item* item);
    void LinkAsHead(Item* item);
    void DeleteAll();

    Item** m_aT = nullptr;
    unsigned int m_nBuckets = 0;
    int m_nCount = 0;
};

}  // namespace Facet
