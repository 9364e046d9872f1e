// The kernel's own list of a disk's partitions, changed through BLKPG on the
// whole disk's descriptor: mkfat32 --mbr takes the old partitions away before
// it writes and tells the kernel the new one afterwards.
#pragma once

#include <cstdint>

namespace fat32 {

// Each returns 0 or the errno. EBUSY from Delete: the partition is open or
// mounted; from Add: the kernel already has a partition of that number.
int DeleteKernelPartition(int diskFd, std::uint32_t number);
int AddKernelPartition(int diskFd, std::uint32_t number, std::uint64_t startSector,
                       std::uint64_t sectors);
// BLKRRPART: the kernel reads the table on the disk afresh.
int RereadPartitionTable(int diskFd);

}  // namespace fat32
