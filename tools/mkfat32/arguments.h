// mkfat32's command line: the options, their checks and the usage text.
#pragma once

#include <cstdint>
#include <string>

#include "format/image_file_device.h"

namespace mkfat32 {

inline constexpr int kUsageExit = 64;   // a usage error: nothing was touched
inline constexpr int kNotUsbExit = 65;  // a drive letter the USB scan does not list

struct Arguments {
    std::string target;
    std::string label;
    bool hasLabel = false;
    int labelArgument = 0;  // where the label stands on the command line
    bool force = false;
    std::string driveTable;
    int sectorsPerCluster = 0;
    bool check = false;
    std::uint32_t alignSectors = 0;
    fat32::ImageOptions image;
};

// Fills `args` from the command line. --help prints the usage and exits 0;
// a usage error prints the problem and the usage on standard error and
// yields false.
bool ParseArguments(int argc, char** argv, Arguments& args);

}  // namespace mkfat32
