#include "drives/whole_stick.h"

#include <algorithm>

#include "devices/new_mbr_device.h"
#include "devices/system_disks.h"

namespace drives {

namespace {
constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kSmallestStick = 2 * kMiB + 65536ull * 512;
constexpr std::uint64_t kLeastSlack = 8 * kMiB;
constexpr std::uint64_t kSlackShare = 32;
}  // namespace

bool ReadStick(DriveQuery& query, DWORD number, fat32::DiskFacts& facts) {
    fat32::VolumeCalls& calls = query.Volumes();
    const fat32::VolumeHandle disk(
        calls, calls.CreateFileW(fat32::DiskPath(number).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
    return disk.valid() && fat32::ReadDiskFacts(calls, disk.get(), facts) && facts.number == number;
}

bool MayBeMadeWhole(const fat32::DiskFacts& facts) {
    return facts.usb && facts.removable && facts.bytes >= kSmallestStick;
}

bool MayOfferWhole(DriveQuery& query, const fat32::DiskFacts& facts) {
    return MayBeMadeWhole(facts) && fat32::SystemUseOfDisk(query.Volumes(), facts.number) == fat32::SystemUse::None;
}

StickShape JudgeStick(const fat32::DiskFacts& facts, DWORD partition, bool hasVolume) {
    if (facts.style == fat32::PartitionStyle::Gpt) return StickShape::Gpt;
    if (facts.partitions > 1) return StickShape::SeveralPartitions;
    if (!hasVolume) return StickShape::NoVolume;
    // A volume with no table in front of it spans the disk.
    if (facts.extents.empty()) return StickShape::Whole;
    std::uint64_t covered = 0;
    for (const fat32::DiskPartition& extent : facts.extents)
        if (partition == 0 || extent.number == partition) covered = std::max(covered, extent.length);
    const std::uint64_t whole = std::uint64_t{fat32::NewPartitionSectors(facts.bytes)} * 512;
    const std::uint64_t slack = std::max(kLeastSlack, whole / kSlackShare);
    return covered + slack < whole ? StickShape::VolumeSmaller : StickShape::Whole;
}

}  // namespace drives
