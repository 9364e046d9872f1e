// The format engine as the window's worker calls it. The shipped executable
// formats the volume of the drive letter; the simulation executable formats
// the image file that the simulated drive table names for that letter. The
// choice is made at link time, like the drive queries'.
#pragma once

#include <cstdint>
#include <functional>

#include "format/fat32_layout.h"
#include "format/format_result.h"
#include "format/format_volume.h"
#include "format/medium_facts.h"

namespace app {

struct FormatJob {
    char letter = 0;
    const char* label = nullptr;  // OEM code page bytes
    int sectorsPerCluster = 0;
    // Runs on the open, locked volume before the first write, with the facts
    // read through that very handle: kFormatOk to write, or the refusal.
    std::function<fat32::FormatResult(const fat32::MediumFacts& facts)> prove;
    // The engine's progress through its long step, in bytes; may be null.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
};

// The engine's progress reports, handed on to the job's.
inline void ReportProgressTo(const FormatJob& job, fat32::FormatOptions& options) {
    options.progress = [&job](const char*, std::uint64_t done, std::uint64_t total) {
        if (job.progress) job.progress(done, total);
    };
}

// Runs on the format worker thread.
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
