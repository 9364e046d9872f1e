// The kernel's own list of a disk's partitions, changed through BLKPG on the
// whole disk's descriptor: mkfat32 --mbr takes the old partitions away before
// it writes and tells the kernel the new one afterwards. Never BLKRRPART: the
// kernel refuses it while the disk is held, and a kernel without a parser for
// the table would forget every partition.
#pragma once

#include <cstdint>
#include <string>

namespace fat32 {

// Each returns 0 or the errno. EBUSY from Delete: the partition is open or
// mounted; from Add: the kernel has a partition of that number, or one that
// overlaps the new one (so EBUSY alone never says "already there").
int DeleteKernelPartition(int diskFd, std::uint32_t number);
int AddKernelPartition(int diskFd, std::uint32_t number, std::uint64_t startSector,
                       std::uint64_t sectors);

// Makes the kernel's partitions of the disk open at `diskFd` (MAJOR:MINOR,
// read back from sysfs under `sysRoot`) exactly one: number 1 at
// `startSector`, `sectors` long; none at all when `sectors` is 0. Strays are
// deleted, the partition added, and sysfs read again until it shows just
// that. "" when it does; otherwise what stands in the way, in words that
// follow the disk's name.
std::string SettleKernelPartitions(int diskFd, const std::string& sysRoot, unsigned major,
                                   unsigned minor, std::uint64_t startSector,
                                   std::uint64_t sectors);

}  // namespace fat32
