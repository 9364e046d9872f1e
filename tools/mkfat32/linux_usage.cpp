// mkfat32's usage on Linux: block devices, and --mbr.
#include "tools/mkfat32/platform_usage.h"

namespace mkfat32 {

const PlatformUsage& ThisPlatformUsage() {
    static const PlatformUsage usage{
        ",\na block device such as /dev/sdb1 (USB-attached or removable)",
        "  --mbr                   replace the partition table of a whole disk or image\n"
        "                          with a new MBR holding one FAT32 partition from 1 MiB\n"
        "                          to the end, and format that partition\n",
        "block devices:\n"
        "  --force                 format a device that is neither USB-attached nor\n"
        "                          removable too (a whole disk holding partitions is\n"
        "                          refused whatever the flags: see --mbr)\n",
        nullptr};
    return usage;
}

}  // namespace mkfat32
