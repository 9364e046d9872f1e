// CStdStringPtrMap. Buckets and items come from the ordinary allocator in its
// non-throwing form, so an exhausted heap shows as a false Insert.
#include "facet/core/std_string_ptr_map.h"

#include <new>

namespace Facet {

namespace {
constexpr unsigned int kMinimumBuckets = 16;
}

CStdStringPtrMap::CStdStringPtrMap(int buckets) {
    const unsigned int wanted = buckets < static_cast<int>(kMinimumBuckets) ? kMinimumBuckets
                                                                             : static_cast<unsigned int>(buckets);
    m_aT = new (std::nothrow) Item*[wanted]();
    if (m_aT) m_nBuckets = wanted;
}

CStdStringPtrMap::~CStdStringPtrMap() { DeleteAll(); }

// The key's units from the last to the first, h = h * 33 + unit, wrapping at
// 32 bits.
unsigned int CStdStringPtrMap::Hash(const wchar_t* key) {
    const wchar_t* end = key;
    while (*end) ++end;
    unsigned int h = 0;
    while (end != key) h = h * 33u + static_cast<unsigned int>(*--end);
    return h;
}

void CStdStringPtrMap::DeleteAll() {
    for (unsigned int b = 0; b < m_nBuckets; ++b) {
        Item* item = m_aT[b];
        while (item) {
            Item* next = item->next;
            delete item;
            item = next;
        }
    }
    delete[] m_aT;
    m_aT = nullptr;
    m_nBuckets = 0;
    m_nCount = 0;
}

void CStdStringPtrMap::Resize(int n) {
    DeleteAll();
    if (n <= 0) return;
    m_aT = new (std::nothrow) Item*[static_cast<unsigned int>(n)]();
    if (m_aT) m_nBuckets = static_cast<unsigned int>(n);
}

void CStdStringPtrMap::RemoveAll() { Resize(static_cast<int>(m_nBuckets)); }

CStdStringPtrMap::Item* CStdStringPtrMap::Lookup(const wchar_t* key) const {
    if (!key || m_nBuckets == 0 || m_nCount == 0) return nullptr;
    for (Item* item = m_aT[Hash(key) % m_nBuckets]; item; item = item->next) {
        if (item->key == key) return item;
    }
    return nullptr;
}

void CStdStringPtrMap::Unlink(Item* item) {
    if (item->prev) {
        item->prev->next = item->next;
    } else {
        m_aT[Hash(item->key) % m_nBuckets] = item->next;
    }
    if (item->next) item->next->prev = item->prev;
    item->prev = item->next = nullptr;
}

void CStdStringPtrMap::LinkAsHead(Item* item) {
    Item*& head = m_aT[Hash(item->key) % m_nBuckets];
    item->prev = nullptr;
    item->next = head;
    if (head) head->prev = item;
    head = item;
}

void* CStdStringPtrMap::Find(const wchar_t* key, bool optimize) {
    Item* item = Lookup(key);
    if (!item) return nullptr;
    if (optimize && item->prev) {
        Unlink(item);
        LinkAsHead(item);
    }
    return item->data;
}

bool CStdStringPtrMap::Insert(const wchar_t* key, void* data) {
    if (!key || m_nBuckets == 0) return false;
    if (Lookup(key)) {
        Find(key, true);
        return false;
    }
    Item* item = new (std::nothrow) Item{CDuiString(key), data, nullptr, nullptr};
    if (!item) return false;
    LinkAsHead(item);
    ++m_nCount;
    return true;
}

void* CStdStringPtrMap::Set(const wchar_t* key, void* data) {
    if (m_nBuckets == 0) return data;
    if (Item* item = Lookup(key)) {
        void* old = item->data;
        item->data = data;
        return old;
    }
    Insert(key, data);
    return nullptr;
}

bool CStdStringPtrMap::Remove(const wchar_t* key) {
    Item* item = Lookup(key);
    if (!item) return false;
    Unlink(item);
    delete item;
    --m_nCount;
    return true;
}

const wchar_t* CStdStringPtrMap::GetAt(int i) const {
    if (i < 0 || m_nBuckets == 0 || i >= m_nCount) return nullptr;
    int index = 0;
    for (unsigned int b = m_nBuckets; b-- > 0;) {
        for (const Item* item = m_aT[b]; item; item = item->next) {
            if (index++ == i) return item->key;
        }
    }
    return nullptr;
}

}  // namespace Facet
