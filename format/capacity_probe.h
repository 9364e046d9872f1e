// The fake-capacity probe: does the drive really hold what it claims? A
// counterfeit stick's controller wraps addresses, so data written past its
// real size lands on earlier data. The probe writes self-describing blocks
// (each sector names its own offset and the run's nonce) over a window at
// the start of the volume and at places spread up to its end, then reads
// them all back; a sector that carries another offset's data shows the
// distance at which the addresses wrap.
#pragma once

#include <cstdint>
#include <functional>

#include "format/block_device.h"
#include "format/page_buffer.h"

namespace fat32 {

struct ProbeReport {
    bool honest = true;
    // When not honest: the bytes below which every place read back right,
    // rounded down to a MiB.
    std::uint64_t realCapacity = 0;
    std::uint32_t places = 0;  // 4 KiB places beyond the window at the start
    std::uint64_t bytesWritten = 0;
    double seconds = 0;
};

// Bytes done of the probe's total, for a progress line.
using ProbeProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

class CapacityProbe {
public:
    // Obtains the probe's buffer at once: a run asks for every buffer before
    // its first write.
    CapacityProbe(BlockDevice& device, std::uint64_t claimedBytes, std::uint64_t nonce,
                  PageAllocator& allocator);

    // False when the buffer could not be obtained; Run then fails.
    bool HasBuffer() const { return static_cast<bool>(buffer_); }

    // Writes, flushes and reads back. False on a failed write, read or flush
    // (the device's LastError tells which); otherwise the report says whether
    // the drive is honest.
    bool Run(ProbeReport& report, const ProbeProgress& progress = nullptr);

    // The window at the start, and the spacing of the places beyond it: a
    // wrap at any size lands the first place past it inside the window.
    std::uint64_t WindowBytes() const { return window_; }

private:
    bool WriteRange(std::uint64_t offset, std::uint64_t bytes, std::uint8_t* buffer);
    bool CheckRange(std::uint64_t offset, std::uint64_t bytes, std::uint8_t* buffer);
    void Advance(std::uint64_t bytes);

    BlockDevice& device_;
    std::uint64_t claimed_;
    std::uint64_t nonce_;
    PageBuffer buffer_;
    std::uint64_t window_;
    ProbeProgress progress_;
    std::uint64_t done_ = 0;
    std::uint64_t total_ = 0;
    // What the read-back found: the smallest distance between a sector and
    // the offset its data was written for; whether a sector held something
    // that is not the probe's at all, and the end of the good sectors below
    // the first such one.
    std::uint64_t smallestWrap_ = 0;
    bool foreignSeen_ = false;
    std::uint64_t goodEnd_ = 0;
};

}  // namespace fat32
