// mkfat32's usage on Windows: drive letters, the USB check, and --mbr on a
// whole USB disk.
#include "tools/mkfat32/platform_usage.h"

namespace mkfat32 {

const PlatformUsage& ThisPlatformUsage() {
    static const PlatformUsage usage{
        "\nor the drive letter of a USB drive such as E:",
        "  --mbr                   the whole USB stick behind TARGET, a drive letter (E:) or\n"
        "                          a disk number (disk:2): a new MBR holding one FAT32\n"
        "                          partition from 1 MiB to the end (at most 2 TiB), and\n"
        "                          that partition formatted; every volume on it is lost\n",
        "drive letters:\n"
        "  --force                 format a letter that is not a USB drive too\n"
        "  --drive-table FILE      run on the simulated Windows machine of a drive table\n"
        "                          (simulated_windows/README.md), for tests\n",
        nullptr,
        "--lock and --keep-type are for Linux block devices"};
    return usage;
}

}  // namespace mkfat32
