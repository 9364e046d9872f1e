// The platform's page allocator: VirtualAlloc on Windows (page-aligned and
// zeroed by the system), aligned_alloc elsewhere.
#include "format/page_buffer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <cstring>
#endif

namespace fat32 {

#ifdef _WIN32
void* PageAllocator::Allocate(std::size_t bytes) {
    return ::VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void PageAllocator::Free(void* memory) { ::VirtualFree(memory, 0, MEM_RELEASE); }
#else
namespace {
constexpr std::size_t kPageSize = 4096;
}

void* PageAllocator::Allocate(std::size_t bytes) {
    const std::size_t rounded = (bytes + kPageSize - 1) / kPageSize * kPageSize;
    void* memory = std::aligned_alloc(kPageSize, rounded);
    if (memory) std::memset(memory, 0, rounded);
    return memory;
}

void PageAllocator::Free(void* memory) { std::free(memory); }
#endif

PageAllocator& PageAllocator::System() {
    static PageAllocator allocator;
    return allocator;
}

}  // namespace fat32
