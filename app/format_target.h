// The format engine as the window's worker calls it. The shipped executable
// formats the volume of the drive letter; the simulation executable formats
// the image file that the simulated drive table names for that letter. The
// choice is made at link time, like the drive queries'.
#pragma once

#include "format/format_result.h"

namespace app {

// Runs on the format worker thread.
fat32::FormatResult FormatDriveLetter(char letter, const char* label, int sectorsPerCluster);

}  // namespace app
