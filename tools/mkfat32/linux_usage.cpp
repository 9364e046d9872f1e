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
        "                          refused whatever the flags: see --mbr)\n"
        "  --lock[=MODE]           the lock on the whole disk that udev and partitioning\n"
        "                          tools honour: yes (wait for another holder, at most\n"
        "                          10 s; the default), nonblock, or no (not locked);\n"
        "                          without the option, $LOCK_BLOCK_DEVICE decides\n"
        "  --keep-type             leave a partition's MBR entry with the type it has\n"
        "                          (Windows mounts only FAT types; needed where the\n"
        "                          disk itself cannot be written, as a non-root user)\n",
        nullptr, nullptr};
    return usage;
}

}  // namespace mkfat32
