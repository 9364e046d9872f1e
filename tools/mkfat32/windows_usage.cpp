// mkfat32's usage on Windows: drive letters and the USB check; no --mbr yet.
#include "tools/mkfat32/platform_usage.h"

namespace mkfat32 {

const PlatformUsage& ThisPlatformUsage() {
    static const PlatformUsage usage{
        "\nor the drive letter of a USB drive such as E:",
        "",
        "drive letters:\n"
        "  --force                 format a letter that is not a USB drive too\n"
        "  --drive-table FILE      run on the simulated Windows machine of a drive table\n"
        "                          (simulated_windows/README.md), for tests\n",
        "--mbr is not available in the Windows build yet",
        "--lock and --keep-type are for Linux block devices"};
    return usage;
}

}  // namespace mkfat32
