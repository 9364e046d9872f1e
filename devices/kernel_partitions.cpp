// BLKPG requests carry byte offsets; sysfs and the tables count 512-byte
// sectors.
#include "devices/kernel_partitions.h"

#include <linux/blkpg.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "devices/sysfs_block.h"

namespace fat32 {
namespace {

// Another program may add partitions between our reading and our changing
// them (partx does not wait for the disk's lock); a few rounds catch up.
constexpr int kSettleRounds = 5;

std::string Describe(const KernelPartition& partition) {
    return DeviceNode(partition.name) + " (sectors " + std::to_string(partition.startSector) +
           " to " + std::to_string(partition.startSector + partition.sectors - 1) + ")";
}

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


std::string SettleKernelPartitions(int diskFd, const std::string& sysRoot, unsigned major,
                                   unsigned minor, std::uint64_t startSector,
                                   std::uint64_t sectors) {
    std::string problem = "the kernel's partitions keep changing";
    for (int round = 0;; ++round) {
        BlockFacts disk;
        if (!ReadBlockFacts(sysRoot, major, minor, disk)) return "sysfs does not know the disk";
        bool wanted = false;
        std::vector<KernelPartition> strays;
        for (const KernelPartition& partition : disk.diskPartitions) {
            if (sectors != 0 && partition.number == 1 && partition.startSector == startSector &&
                partition.sectors == sectors)
                wanted = true;
            else
                strays.push_back(partition);
        }
        if (strays.empty() && (wanted || sectors == 0)) return "";
        if (round == kSettleRounds) return problem;
        for (const KernelPartition& partition : strays)
            if (const int error = DeleteKernelPartition(diskFd, partition.number))
                return "the kernel keeps its partition " + Describe(partition) + " (" +
                       std::strerror(error) + (error == EBUSY ? ": open in another program" : "") +
                       ")";
        if (sectors == 0 || wanted) continue;
        // Whatever the answer, the next round reads back what the kernel has.
        if (const int error = AddKernelPartition(diskFd, 1, startSector, sectors))
            problem = std::string("the kernel did not take the new partition (") +
                      std::strerror(error) + ")";
    }
}

}  // namespace fat32
