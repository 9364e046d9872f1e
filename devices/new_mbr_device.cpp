// The new partition's window onto the disk. Every offset the format asks for
// is moved up by 1 MiB; what the disk says of its whole length becomes the
// partition's.
#include "devices/new_mbr_device.h"

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
    position_ = offset;
    return disk_.Seek(offset + kNewPartitionStart * kSector);
}

bool NewMbrDevice::ClearOldLayout() {
    // What an old layout left in the first MiB (an MBR or a GPT header and its
    // entries, an ISO image's volume descriptors) would still be found beside
    // the new table, and so would a GPT's backup header in the disk's last
    // sector, which lies among the new volume's free clusters.
    const std::vector<std::uint8_t> zeros(kNewPartitionStart * kSector);
    const std::uint64_t end = diskBytes_ / kSector * kSector;
    std::uint64_t tail = tailBytes_ < kSector ? kSector : tailBytes_ / kSector * kSector;
    if (tail > zeros.size()) tail = zeros.size();
    if (tail > end - kNewPartitionStart * kSector) tail = end - kNewPartitionStart * kSector;
    cleared_ = disk_.WriteAt(0, zeros.data(), static_cast<std::uint32_t>(zeros.size())) &&
               disk_.WriteAt(end - tail, zeros.data(), static_cast<std::uint32_t>(tail));
    return cleared_ && disk_.Seek(position_ + kNewPartitionStart * kSector);
}

bool NewMbrDevice::Write(const void* data, std::uint32_t size) {
    if (!cleared_ && !ClearOldLayout()) return false;
    if (!disk_.Write(data, size)) return false;
    position_ += size;
    return true;
}

bool NewMbrDevice::BeforeBootSector() {
    bootSectorNext_ = true;
    return disk_.BeforeBootSector();
}

bool NewMbrDevice::Flush() {
    if (!disk_.Flush()) return false;
    if (!bootSectorNext_ || tableWritten_) return true;
    tableWritten_ = writeTable_(kNewPartitionStart, sectors_, kPartitionTypeFat32Lba) && disk_.Flush();
    return tableWritten_;
}

}  // namespace fat32
