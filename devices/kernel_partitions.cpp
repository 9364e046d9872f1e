// BLKPG requests carry byte offsets; sysfs and the tables count 512-byte
// sectors.
#include "devices/kernel_partitions.h"

#include <linux/blkpg.h>
#include <linux/fs.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace fat32 {
namespace {

int Blkpg(int diskFd, int op, std::uint32_t number, std::uint64_t startSector,
          std::uint64_t sectors) {
    blkpg_partition partition{};
    partition.pno = static_cast<int>(number);
    partition.start = static_cast<long long>(startSector * 512);
    partition.length = static_cast<long long>(sectors * 512);
    blkpg_ioctl_arg request{};
    request.op = op;
    request.datalen = sizeof partition;
    request.data = &partition;
    return ::ioctl(diskFd, BLKPG, &request) == 0 ? 0 : errno;
}

}  // namespace

int DeleteKernelPartition(int diskFd, std::uint32_t number) {
    return Blkpg(diskFd, BLKPG_DEL_PARTITION, number, 0, 0);
}

int AddKernelPartition(int diskFd, std::uint32_t number, std::uint64_t startSector,
                       std::uint64_t sectors) {
    return Blkpg(diskFd, BLKPG_ADD_PARTITION, number, startSector, sectors);
}

int RereadPartitionTable(int diskFd) { return ::ioctl(diskFd, BLKRRPART) == 0 ? 0 : errno; }

}  // namespace fat32
