// Linux targets. A device that is neither USB-attached nor removable needs
// --force, as a drive letter outside the USB scan does on Windows; a whole
// disk with partitions is refused whatever the flags, since formatting it
// would wipe them all: --mbr is the way to replace its table on purpose.
#include "tools/mkfat32/block_target.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "format/image_file_device.h"
#include "format/linux_block_device.h"
#include "format/new_mbr_device.h"
#include "format/partition_table.h"
#include "format/sysfs_block.h"

namespace mkfat32 {
namespace {

// udev or devtmpfs creates a new partition's node shortly after the kernel
// reads the table.
constexpr int kNodeWaitSteps = 50;
constexpr auto kNodeWaitStep = std::chrono::milliseconds(100);

std::string Join(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// 0 when the block device may be formatted, else the exit code.
int CheckBlockDevice(const Arguments& args) {
    const char* target = args.target.c_str();
    struct stat info {};
    fat32::BlockFacts facts;
    if (::stat(target, &info) != 0 ||
        !fat32::ReadBlockFacts("/sys", major(info.st_rdev), minor(info.st_rdev), facts)) {
        std::fprintf(stderr, "mkfat32: %s: sysfs does not know this block device\n", target);
        return fat32::kOpenFailed;
    }
    if (args.imageOptions) {
        std::fprintf(stderr, "mkfat32: %s is a block device: --hidden, --partition, --geometry, "
                             "--sector-size and the like are for image files\n", target);
        return kUsageExit;
    }
    if (facts.isPartition && args.newMbr) {
        std::fprintf(stderr, "mkfat32: --mbr replaces the table of a whole disk: give %s, not "
                             "its partition %s\n", fat32::DeviceNode(facts.diskName).c_str(), target);
        return kUsageExit;
    }
    fat32::PartitionTable table;
    if (!facts.isPartition && !args.newMbr && fat32::ReadPartitionTable(target, table) &&
        !table.partitions.empty()) {
        std::fprintf(stderr, "mkfat32: %s is a whole disk holding partitions (%s); nothing was "
                             "written. Format one of them, or give --mbr to replace the table "
                             "with one FAT32 partition over the whole disk.\n",
                     target, Join(table.partitions).c_str());
        return kNotUsbExit;
    }
    if (!args.force && !facts.usb && !facts.removable) {
        std::fprintf(stderr, "mkfat32: %s is neither USB-attached nor removable (an internal or "
                             "virtual disk?); nothing was written. Give --force to format it "
                             "anyway.\n", target);
        return kNotUsbExit;
    }
    return 0;
}

// The kernel learns the new table, and the user the new partition's name.
void ShowNewPartition(const std::string& disk) {
    std::uint64_t bytes = 0;
    fat32::BlockDeviceBytes(disk, bytes);
    const std::uint32_t sectors = fat32::NewPartitionSectors(bytes);
    if (const int error = fat32::AnnounceNewPartition(disk, fat32::kNewPartitionStart, sectors)) {
        std::fprintf(stderr, "mkfat32: the kernel did not take the new table of %s (%s); "
                             "unplug the stick and plug it in again to see its partition\n",
                     disk.c_str(), std::strerror(error));
        return;
    }
    fat32::PartitionTable table;
    if (!fat32::ReadPartitionTable(disk, table) || table.partitions.empty()) return;
    const std::string& node = table.partitions.front();
    for (int step = 0; step < kNodeWaitSteps && ::access(node.c_str(), F_OK) != 0; ++step)
        std::this_thread::sleep_for(kNodeWaitStep);
    std::printf("mkfat32: the new FAT32 partition is %s\n", node.c_str());
}

}  // namespace

bool IsBlockDevice(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISBLK(info.st_mode);
}

std::uint64_t LinuxTargetBytes(const Arguments& args) {
    std::uint64_t bytes = 0;
    struct stat info {};
    if (IsBlockDevice(args.target))
        fat32::BlockDeviceBytes(args.target, bytes);
    else if (::stat(args.target.c_str(), &info) == 0)
        bytes = static_cast<std::uint64_t>(info.st_size);
    return args.newMbr ? std::uint64_t{fat32::NewPartitionSectors(bytes)} * 512 : bytes;
}

int FormatLinuxTarget(const Arguments& args, fat32::FormatRequest& request,
                      const fat32::FormatOptions& options, fat32::DeviceError& error) {
    const bool block = IsBlockDevice(args.target);
    if (block)
        if (const int refusal = CheckBlockDevice(args)) return refusal;

    fat32::LinuxBlockDevice device(args.target);
    fat32::ImageFileDevice image(args.target, args.image);
    fat32::BlockDevice& whole = block ? static_cast<fat32::BlockDevice&>(device) : image;
    fat32::NewMbrDevice partition(whole, [&](std::uint32_t start, std::uint32_t sectors,
                                             std::uint8_t type) {
        return fat32::WriteSinglePartitionMbr(args.target, start, sectors, type);
    });
    fat32::BlockDevice& target = args.newMbr ? static_cast<fat32::BlockDevice&>(partition) : whole;

    const fat32::FormatResult result = fat32::FormatVolume(target, 'Z', request, options);
    error = target.LastError();
    if (block && result == fat32::kLockFailed)
        std::fprintf(stderr, "mkfat32: %s is in use (mounted or held by another program); "
                             "unmount it first\n", args.target.c_str());
    if (block && args.newMbr && result == fat32::kFormatOk) ShowNewPartition(args.target);
    return result;
}

}  // namespace mkfat32
