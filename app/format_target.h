// The format engine as the window's worker calls it. The shipped executable
// formats the volume of the drive letter; the simulation executable formats
// the image file that the simulated drive table names for that letter. The
// choice is made at link time, like the drive queries'.
#pragma once

#include <functional>

#include "format/format_result.h"
#include "format/medium_facts.h"

namespace app {

struct FormatJob {
    char letter = 0;
    const char* label = nullptr;  // OEM code page bytes
    int sectorsPerCluster = 0;
    // Runs on the open, locked volume before the first write, with the facts
    // read through that very handle: kFormatOk to write, or the refusal.
    std::function<fat32::FormatResult(const fat32::MediumFacts& facts)> prove;
};

// Runs on the format worker thread.
fat32::FormatResult FormatDriveLetter(const FormatJob& job);

}  // namespace app
