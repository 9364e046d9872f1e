// mkfat32's command line: the options, their checks and the usage text.
#pragma once

#include <cstdint>
#include <string>

#include "devices/image_file_device.h"

namespace mkfat32 {

inline constexpr int kUsageExit = 64;   // a usage error: nothing was touched
// A target refused for safety before anything was touched: a drive letter the
// USB scan does not list, a Linux device neither USB-attached nor removable,
// or a whole disk whose partition table would be lost.
inline constexpr int kNotUsbExit = 65;

struct Arguments {
    std::string target;
    std::string label;
    bool hasLabel = false;
    int labelArgument = 0;  // where the label stands on the command line
    bool force = false;
    bool verbose = false;      // the engine's diagnostic lines too
    bool showVersion = false;  // --version: print it, format nothing
    bool newMbr = false;       // --mbr: a fresh MBR with one partition, then format that
    std::string lock;          // --lock[=MODE] as given ("yes" for the bare option), "" if absent
    bool keepType = false;     // --keep-type: a partition's MBR entry keeps its type
    bool imageOptions = false;  // an option that only an image file can follow was given
    std::string driveTable;
    int sectorsPerCluster = 0;
    unsigned codePage = 0;  // --codepage: the label's OEM code page; 0: the system's or 850
    bool check = false;
    std::uint32_t alignSectors = 0;
    fat32::ImageOptions image;
};

// Fills `args` from the command line. --help prints the usage and exits 0;
// --version needs no target. A usage error prints the problem and the usage
// on standard error and yields false.
bool ParseArguments(int argc, char** argv, Arguments& args);

}  // namespace mkfat32
