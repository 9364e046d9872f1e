// The new partition's window onto the disk. Every offset the format asks for
// is moved up by 1 MiB; what the disk says of its whole length becomes the
// partition's.
#include "format/new_mbr_device.h"

#include <vector>

namespace fat32 {
namespace {

constexpr std::uint64_t kSector = 512;
constexpr std::uint64_t kLastReachableSector = 1ull << 32;

}  // namespace

std::uint32_t NewPartitionSectors(std::uint64_t diskBytes) {
    std::uint64_t end = diskBytes / kSector;
    if (end > kLastReachableSector) end = kLastReachableSector;
    return end > kNewPartitionStart ? static_cast<std::uint32_t>(end - kNewPartitionStart) : 0;
}

bool NewMbrDevice::Measure() {
    PartitionInfoEx whole;
    if (!disk_.GetPartitionInfoEx(whole)) return false;
    diskBytes_ = static_cast<std::uint64_t>(whole.partitionLength);
    sectors_ = NewPartitionSectors(diskBytes_);
    return true;
}

bool NewMbrDevice::GetPartitionInfo(PartitionInfo& info) {
    if (!Measure()) return false;
    info.partitionLength = static_cast<std::int64_t>(sectors_ * kSector);
    info.hiddenSectors = kNewPartitionStart;
    return true;
}

bool NewMbrDevice::GetPartitionInfoEx(PartitionInfoEx& info) {
    if (!Measure()) return false;
    info.style = PartitionStyle::Mbr;
    info.startingOffset = static_cast<std::int64_t>(kNewPartitionStart * kSector);
    info.partitionLength = static_cast<std::int64_t>(sectors_ * kSector);
    return true;
}

bool NewMbrDevice::Seek(std::uint64_t offset) {
    return disk_.Seek(offset + kNewPartitionStart * kSector);
}

bool NewMbrDevice::SetPartitionType(std::uint8_t type) {
    // What an old layout left in the first MiB (a GPT header and its entries,
    // an ISO image's volume descriptors) would still be found beside the new
    // table, and so would a GPT's backup header in the disk's last sector,
    // which lies among the new volume's free clusters.
    const std::vector<std::uint8_t> zeros((kNewPartitionStart - 1) * kSector);
    const std::uint64_t lastSector = diskBytes_ / kSector * kSector - kSector;
    return disk_.WriteAt(kSector, zeros.data(), static_cast<std::uint32_t>(zeros.size())) &&
           disk_.WriteAt(lastSector, zeros.data(), kSector) &&
           writeTable_(kNewPartitionStart, sectors_, type);
}

}  // namespace fat32
