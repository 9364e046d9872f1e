// The parts of mkfat32's command line that differ between the systems: what a
// target may be, the options for it, and whether --mbr is there. One
// definition per platform: linux_usage.cpp, windows_usage.cpp.
#pragma once

namespace mkfat32 {

struct PlatformUsage {
    const char* targets;        // what TARGET may be besides an image file
    const char* mbrOption;      // the --mbr lines of the usage, "" where it is absent
    const char* targetOptions;  // the heading and options for this system's targets
    const char* noMbr;          // why --mbr is refused; null where it is available
    const char* noDeviceOptions;  // why --lock and --keep-type are refused; null where available
};

const PlatformUsage& ThisPlatformUsage();

}  // namespace mkfat32
