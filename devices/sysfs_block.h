// What sysfs tells about a Linux block device: whether it is a partition (and
// where it starts), which disk it belongs to and which partitions the kernel
// knows of that disk, whether it is read-only, and whether the disk is
// USB-attached or removable, the test mkfat32 makes before it writes to one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fat32 {

// A partition as the kernel has it, whatever table (or addpart) it came from.
struct KernelPartition {
    std::string name;            // "sdb1"
    std::uint32_t number = 0;    // what BLKPG calls it
    std::uint64_t startSector = 0;  // 512-byte units
    std::uint64_t sectors = 0;
    unsigned major = 0, minor = 0;
};

struct BlockFacts {
    std::string name;      // "sdb1", "loop0p1", "sdb"
    std::string diskName;  // the whole disk: "sdb" (the name itself for a disk)
    bool isPartition = false;
    std::uint32_t partitionNumber = 0;  // 1-based; logical partitions from 5
    std::uint64_t startSector = 0;      // in 512-byte units, as sysfs counts
    bool usb = false;        // the disk hangs below a USB host controller
    bool removable = false;  // the disk's own "removable" flag
    std::uint64_t sectors = 0;  // the device's size in 512-byte units
    bool readOnly = false;      // its "ro" flag
    unsigned diskMajor = 0, diskMinor = 0;
    std::vector<KernelPartition> diskPartitions;  // every partition of the disk
};

// Reads the facts of the block device MAJOR:MINOR under `sysRoot` (normally
// "/sys"; tests pass a fabricated tree). False when sysfs does not know it.
bool ReadBlockFacts(const std::string& sysRoot, unsigned major, unsigned minor, BlockFacts& facts);

// The device node of a block device named as sysfs names it ("cciss!c0d0"
// becomes /dev/cciss/c0d0).
std::string DeviceNode(const std::string& sysfsName);

}  // namespace fat32
