// One format run: open and lock the volume, read its geometry and partition,
// compute the layout, clear the metadata area, write the boot, FSInfo, FAT and
// root directory sectors, mark the partition FAT32, dismount and unlock.
#pragma once

#include <cstdio>
#include <functional>

#include "format/block_device.h"
#include "format/capacity_probe.h"
#include "format/fat32_layout.h"
#include "format/format_result.h"
#include "format/page_buffer.h"

namespace fat32 {

struct FormatOptions {
    LocalTime now;                    // the serial number's source
    std::FILE* out = stdout;          // diagnostic lines
    std::FILE* err = stderr;          // write failures
    PageAllocator* allocator = nullptr;  // null: the system's
    // Waits between lock attempts; null: the thread sleeps.
    std::function<void(unsigned milliseconds)> sleep;
    // Non-null: before anything is formatted, the fake-capacity probe runs
    // with this nonce and reports here; a drive that holds less than it
    // claims is refused with kFakeCapacity and nothing else is written.
    ProbeReport* probe = nullptr;
    std::uint64_t probeNonce = 0;
    // Runs on the open, locked volume before anything is written: the proof
    // that it is the medium the user confirmed. kFormatOk to go on; any other
    // result unlocks and closes the volume and is the run's result.
    std::function<FormatResult(BlockDevice& device)> verifyLocked;
    // Called once, after the dismount and right before the first write: from
    // here on a run cut short leaves the stick half-written.
    std::function<void()> writingStarts;
    // Called as the long steps advance ("probe", "clear"), in bytes.
    std::function<void(const char* step, std::uint64_t done, std::uint64_t total)> progress;
};

// Lock attempts and the pause between them: about 3 seconds in all, long
// enough for Explorer, an indexer or a virus scanner to let go of a stick
// that was just plugged in.
inline constexpr int kLockAttempts = 7;
inline constexpr unsigned kLockRetryMilliseconds = 500;

// Runs the format on `device` for the volume of drive `letter`. The device is
// closed again on every road out once it was opened.
FormatResult FormatVolume(BlockDevice& device, char letter, FormatRequest& request,
                          const FormatOptions& options);

// The local date and time as the platform's clock gives it.
LocalTime CurrentLocalTime();

}  // namespace fat32
