// --mbr on a Linux disk: the kernel forgets every old partition right before
// the first write, so nothing can open one over the new volume, and at the end
// it holds exactly the new table's partition, checked in sysfs rather than
// taken from an ioctl's answer. A run the engine would refuse takes nothing.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "devices/kernel_partitions.h"
#include "devices/linux_block_device.h"
#include "devices/mount_table.h"
#include "devices/new_mbr_device.h"
#include "devices/partition_table.h"
#include "format/fat32_layout.h"
#include "tools/mkfat32/linux_platform.h"

namespace mkfat32 {
namespace {

// udev or devtmpfs creates a new partition's node shortly after the kernel
// learns of it.
constexpr int kNodeWaitSteps = 50;
constexpr auto kNodeWaitStep = std::chrono::milliseconds(100);

}  // namespace

// Checked before the kernel's partitions are touched: the new table and the
// volume count 512-byte sectors.
int LinuxPlatform::RefuseSectorSize() {
    int sectorSize = 0;
    if (::ioctl(fd_, BLKSSZGET, &sectorSize) != 0 || sectorSize == 512) return 0;
    Say("its logical sectors are " + std::to_string(sectorSize) + " bytes; --mbr writes a "
        "table and a volume of 512-byte sectors; nothing was written");
    return fat32::kUnsupportedSectorSize;
}

// The engine's own layout rules on the partition --mbr would make.
bool LinuxPlatform::EngineWouldRefuse(const fat32::FormatRequest& request) const {
    fat32::VolumeGeometry geometry;
    geometry.partitionLength =
        static_cast<std::int64_t>(fat32::NewPartitionSectors(deviceBytes_)) * 512;
    geometry.bytesPerSector = 512;
    geometry.sectorsPerTrack = 63;
    geometry.tracksPerCylinder = 255;
    geometry.hiddenSectors = fat32::kNewPartitionStart;
    fat32::FormatRequest copy = request;
    fat32::Fat32Layout layout;
    return fat32::ComputeLayout(geometry, copy, layout) != fat32::kFormatOk;
}

// What the kernel holds is read now, not trusted from Open: partx may have
// added partitions since. One that is open or mounted cannot be taken, and
// then the run stops with the others given back.
int LinuxPlatform::TakeOldPartitions() {
    fat32::BlockFacts disk;
    if (!fat32::ReadBlockFacts("/sys", facts_.diskMajor, facts_.diskMinor, disk)) {
        Say("sysfs no longer knows the disk; nothing was written");
        return fat32::kOpenFailed;
    }
    for (const fat32::KernelPartition& partition : disk.diskPartitions) {
        const int error = fat32::DeleteKernelPartition(fd_, partition.number);
        if (error == 0) {
            taken_.push_back(partition);
            continue;
        }
        GiveBackOldPartitions();
        if (error != EBUSY) {
            Say("its partition " + Node(partition.name) + " cannot be taken from the kernel (" +
                std::strerror(error) + "); nothing was written");
            return fat32::kOpenFailed;
        }
        const std::string where = fat32::MountPointOf(partition.major, partition.minor);
        Say("its partition " + Node(partition.name) + " is in use (" +
            (where.empty() ? std::string("open in another program") : "mounted on " + where) +
            "); nothing was written");
        return fat32::kLockFailed;
    }
    return 0;
}

void LinuxPlatform::GiveBackOldPartitions() {
    for (const fat32::KernelPartition& partition : taken_)
        if (const int error = fat32::AddKernelPartition(fd_, partition.number,
                                                        partition.startSector, partition.sectors))
            Say("the kernel did not take its partition " + Node(partition.name) + " back (" +
                std::strerror(error) + "); unplug the stick and plug it in again to see it");
    taken_.clear();
}

// After writing, the kernel must hold the new table's one partition and
// nothing else (no table at all if the run stopped before writing it).
fat32::FormatResult LinuxPlatform::SettleNewPartition(fat32::FormatResult result) {
    const std::uint64_t sectors = tableWritten_ ? fat32::NewPartitionSectors(deviceBytes_) : 0;
    const std::string problem = fat32::SettleKernelPartitions(
        fd_, "/sys", facts_.diskMajor, facts_.diskMinor, fat32::kNewPartitionStart, sectors);
    if (problem.empty()) return result;
    Say(problem + ", so the kernel's partitions of this disk are not its new table's; unplug "
        "the stick and plug it in again before using it");
    return result == fat32::kFormatOk ? fat32::kSetPartitionTypeFailed : result;
}

void LinuxPlatform::AnnounceNewPartition() {
    fat32::BlockFacts disk;
    if (!fat32::ReadBlockFacts("/sys", facts_.diskMajor, facts_.diskMinor, disk)) return;
    for (const fat32::KernelPartition& partition : disk.diskPartitions) {
        const std::string node = Node(partition.name);
        for (int step = 0; step < kNodeWaitSteps && ::access(node.c_str(), F_OK) != 0; ++step)
            std::this_thread::sleep_for(kNodeWaitStep);
        std::printf("mkfat32: the new FAT32 partition is %s\n", node.c_str());
    }
}

// Formats `disk` itself, or with --mbr the one partition of a new table on it.
fat32::FormatResult LinuxPlatform::FormatOn(fat32::BlockDevice& disk, fat32::FormatRequest& request,
                                            const fat32::FormatOptions& options) {
    fat32::NewMbrDevice partition(disk, [&](std::uint32_t start, std::uint32_t sectors,
                                            std::uint8_t type) {
        tableError_ = fat32::WriteSinglePartitionMbr(fd_, start, sectors, type);
        tableWritten_ = tableError_ == 0;
        return tableWritten_;
    });
    fat32::BlockDevice& target = args_.newMbr ? static_cast<fat32::BlockDevice&>(partition) : disk;
    const fat32::FormatResult result = fat32::FormatVolume(target, 'Z', request, options);
    error_ = target.LastError();
    return result;
}

fat32::FormatResult LinuxPlatform::FormatBlockDevice(fat32::FormatRequest& request,
                                                     const fat32::FormatOptions& options) {
    fat32::LinuxBlockDevice device(fd_, facts_, setType_);
    if (!args_.newMbr) return CheckVolumeFits(FormatOn(device, request, options));
    if (EngineWouldRefuse(request)) return FormatOn(device, request, options);
    if (const int refusal = TakeOldPartitions()) return refusal;
    const fat32::FormatResult result = FormatOn(device, request, options);
    if (!device.Wrote()) {
        GiveBackOldPartitions();
        return result;
    }
    const fat32::FormatResult settled = SettleNewPartition(result);
    if (settled == fat32::kFormatOk) AnnounceNewPartition();
    return settled;
}

}  // namespace mkfat32
