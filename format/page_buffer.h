// Page-aligned, zero-filled buffers for unbuffered volume writes, obtained
// from an allocator that tests can replace to make an allocation fail.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fat32 {

class PageAllocator {
public:
    virtual ~PageAllocator() = default;
    // Page-aligned, zero-filled memory, or null.
    virtual void* Allocate(std::size_t bytes);
    virtual void Free(void* memory);

    static PageAllocator& System();
};

class PageBuffer {
public:
    PageBuffer(PageAllocator& allocator, std::size_t bytes)
        : allocator_(allocator), data_(static_cast<std::uint8_t*>(allocator.Allocate(bytes))) {}
    ~PageBuffer() {
        if (data_) allocator_.Free(data_);
    }
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;

    explicit operator bool() const { return data_ != nullptr; }
    std::uint8_t* data() const { return data_; }

private:
    PageAllocator& allocator_;
    std::uint8_t* data_;
};

}  // namespace fat32
