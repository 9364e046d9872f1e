// The format engine as the window's worker calls it: the volume of a drive
// letter, or a whole USB stick through its disk, on the machine the
// executable links (the system's, or the simulated one).
#pragma once

#include <cstdint>
#include <functional>

#include "devices/disk_facts.h"
#include "format/fat32_layout.h"
#include "format/format_result.h"
#include "format/format_volume.h"
#include "format/medium_facts.h"

namespace app {

inline constexpr DWORD kNoWholeDisk = 0xFFFFFFFF;

struct FormatJob {
    char letter = 0;
    // A whole stick: the disk made one FAT32 partition from 1 MiB to its
    // end, and its old layout's style; the letter is not used then.
    DWORD wholeDisk = kNoWholeDisk;
    fat32::PartitionStyle oldStyle = fat32::PartitionStyle::Raw;
    const char* label = nullptr;  // OEM code page bytes
    int sectorsPerCluster = 0;
    // Runs on the open, locked volume before the first write, with the facts
    // read through that very handle: kFormatOk to write, or the refusal.
    std::function<fat32::FormatResult(const fat32::MediumFacts& facts)> prove;
    // A whole stick's proof, with every volume of the disk locked: the disk's
    // facts as the writing handle reads them.
    std::function<fat32::FormatResult(const fat32::DiskFacts& facts)> proveDisk;
    // Called once nothing more will be written, before a whole stick's run
    // waits for its new volume; may be null.
    std::function<void()> writesOver;
    // The engine's progress through its long step, in bytes; may be null.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
};

// The engine's progress reports, handed on to the job's.
inline void ReportProgressTo(const FormatJob& job, fat32::FormatOptions& options) {
    options.progress = [&job](const char*, std::uint64_t done, std::uint64_t total) {
        if (job.progress) job.progress(done, total);
    };
}

// Runs on the format worker thread. A whole stick's run ends once the system
// was told of the new table and its volume arrived (or a few seconds passed).
fat32::FormatResult FormatDriveLetter(const FormatJob& job);

// The engine's request for a job: the window passes the capacity policy's
// cluster size, never the user's, so a small stick may get a smaller one.
inline fat32::FormatRequest RequestFor(const FormatJob& job) {
    fat32::FormatRequest request;
    request.sectorsPerCluster = job.sectorsPerCluster;
    request.mayUseSmallerClusters = true;
    request.label = job.label;
    return request;
}

}  // namespace app
