// FAT32 layout arithmetic and sector images. Every multi-byte value on disk is
// little-endian; every byte not set here stays zero.
#include "format/fat32_layout.h"

#include <cstring>

namespace fat32 {
namespace {

constexpr std::uint64_t kMinTotalSectors = 0x10000;     // below: under 32 MiB
constexpr std::uint64_t kMaxTotalSectors = 0xFFFFFFFF;  // at or above: 2 TiB or more
constexpr std::uint64_t kAutoLargeClusterAbove = 0x80000000;  // 1 TiB
constexpr std::uint32_t kMinClusters = 0x10000;
constexpr std::int32_t kMaxSectorsPerCluster = 128;
constexpr std::uint64_t kMaxReservedSectors = 0xFFFF;
// Cluster numbers from 0x0FFFFFF7 on mean "bad" and "end of chain", and the
// data clusters are numbered from 2, so 0x0FFFFFF5 clusters is the most a
// FAT32 volume can address.
constexpr std::uint32_t kMaxClusters = 0x0FFFFFF5;
constexpr std::uint32_t kFatEntrySize = 4;
constexpr std::uint32_t kEntriesPerFatSector = kSectorSize / kFatEntrySize;
// Entries 0 and 1 hold the media byte and the end-of-chain mark; the FAT
// needs them on top of one entry per data cluster.
constexpr std::uint32_t kReservedFatEntries = 2;

constexpr std::uint8_t kJumpInstruction[3] = {0xEB, 0x58, 0x90};
constexpr char kOemName[] = "MSWIN4.1";
constexpr std::uint8_t kMediaDescriptor = 0xF8;
constexpr std::uint8_t kDriveNumber = 0x80;
constexpr std::uint8_t kExtendedBootSignature = 0x29;
// The boot sector's label field when the volume has no label.
constexpr char kNoLabel[] = "NO NAME    ";
constexpr char kFileSystemType[] = "FAT32   ";

constexpr std::uint32_t kFsInfoLeadSignature = 0x41615252;    // "RRaA"
constexpr std::uint32_t kFsInfoStructSignature = 0x61417272;  // "rrAa"
constexpr std::uint32_t kFsInfoTrailSignature = 0xAA550000;
constexpr std::uint32_t kFsInfoNextFreeHint = 3;

constexpr std::uint32_t kFatMediaEntry = 0x0FFFFF00 | kMediaDescriptor;
constexpr std::uint32_t kFatEndOfChain = 0x0FFFFFFF;

constexpr std::size_t kDirEntryNameSize = 11;
constexpr std::uint8_t kAttrVolumeLabel = 0x08;
// A name whose first byte is 0xE5 reads as a deleted entry; FAT stores such a
// byte (a legal DBCS lead byte, in GBK for instance) as 0x05 instead.
constexpr std::uint8_t kDeletedEntryMark = 0xE5;
constexpr std::uint8_t kEscapedE5 = 0x05;

// The 11 bytes of a label as FAT stores them: cut to 11 bytes and padded
// with blanks (zero padding is no valid name; fsck.fat deletes such a
// label). False for no label.
bool LabelField(const char* label, std::uint8_t* field) {
    const std::size_t length = label ? std::strlen(label) : 0;
    if (length == 0) return false;
    std::memset(field, ' ', kDirEntryNameSize);
    std::memcpy(field, label, length < kDirEntryNameSize ? length : kDirEntryNameSize);
    return true;
}

void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Data clusters that fit after the reserved sectors and both FATs.
std::uint32_t ClustersBeside(std::uint32_t totalSectors, std::uint32_t reservedSectors,
                             std::uint32_t fatSectors, std::uint32_t sectorsPerCluster) {
    return (totalSectors - reservedSectors - kFatCount * fatSectors) / sectorsPerCluster;
}

// Reserved sectors that put the first data sector on a multiple of `align`
// counted from the start of the disk. The FAT keeps the size computed for 32
// reserved sectors: the few clusters the larger reserved area takes away only
// leave it a little room to spare. 64-bit, since a huge alignment may ask for
// more than the boot sector's 16-bit field holds.
std::uint64_t AlignedReservedSectors(std::uint32_t hiddenSectors, std::uint32_t fatSectors,
                                     std::uint32_t align) {
    if (align <= 1) return kReservedSectors;
    const std::uint64_t firstData =
        static_cast<std::uint64_t>(hiddenSectors) + kReservedSectors + kFatCount * std::uint64_t{fatSectors};
    return kReservedSectors + (align - firstData % align) % align;
}

bool IsClusterSize(std::int32_t sectorsPerCluster) {
    return sectorsPerCluster >= 1 && sectorsPerCluster <= kMaxSectorsPerCluster &&
           (sectorsPerCluster & (sectorsPerCluster - 1)) == 0;
}

// The layout for one cluster size, or the refusal (1, 8, 7 or 6).
FormatResult LayoutWithClusters(const VolumeGeometry& geometry, std::uint32_t totalSectors,
                                std::uint32_t sectorsPerCluster, std::uint32_t alignSectors,
                                Fat32Layout& layout) {
    // Each cluster costs its sectors plus one FAT entry in each of the two FATs.
    const std::uint64_t numerator =
        static_cast<std::uint64_t>(totalSectors - kReservedSectors) * kFatEntrySize;
    const std::uint64_t divisor =
        static_cast<std::uint64_t>(sectorsPerCluster) * kSectorSize + kFatEntrySize * kFatCount;
    std::uint32_t fatSectors = static_cast<std::uint32_t>(numerator / divisor) + 1;
    std::uint32_t clusterCount =
        ClustersBeside(totalSectors, kReservedSectors, fatSectors, sectorsPerCluster);
    // The formula forgets the two reserved entries, so for a few sizes the
    // last cluster has no entry. One more sector per FAT adds 128 entries and
    // takes at most two clusters away, which always closes that gap.
    if (static_cast<std::uint64_t>(fatSectors) * kEntriesPerFatSector <
        static_cast<std::uint64_t>(clusterCount) + kReservedFatEntries) {
        ++fatSectors;
        clusterCount = ClustersBeside(totalSectors, kReservedSectors, fatSectors, sectorsPerCluster);
    }
    const std::uint64_t reservedSectors =
        AlignedReservedSectors(geometry.hiddenSectors, fatSectors, alignSectors);
    // The boot sector stores the count in 16 bits; a truncated count would
    // put the FATs somewhere other than where they are written.
    if (reservedSectors > kMaxReservedSectors) return kInternalError;
    if (reservedSectors != kReservedSectors) {
        const std::uint64_t metadata = reservedSectors + std::uint64_t{kFatCount} * fatSectors;
        if (metadata >= totalSectors) return kTooFewClusters;
        clusterCount = ClustersBeside(totalSectors, static_cast<std::uint32_t>(reservedSectors),
                                      fatSectors, sectorsPerCluster);
    }

    if (clusterCount > kMaxClusters) return kTooManyClusters;
    if (clusterCount < kMinClusters) return kTooFewClusters;
    const std::uint64_t fatSectorsNeeded =
        ((static_cast<std::uint64_t>(clusterCount) + kReservedFatEntries) * kFatEntrySize +
         kSectorSize - 1) / kSectorSize;
    if (fatSectorsNeeded > fatSectors) return kFatTooSmall;

    layout.totalSectors = totalSectors;
    layout.sectorsPerCluster = sectorsPerCluster;
    layout.reservedSectors = static_cast<std::uint16_t>(reservedSectors);
    layout.fatCount = kFatCount;
    layout.fatSectors = fatSectors;
    layout.clusterCount = clusterCount;
    layout.firstDataSector = layout.reservedSectors + kFatCount * fatSectors;
    layout.sectorsToClear = layout.firstDataSector + sectorsPerCluster;
    return kFormatOk;
}

}  // namespace

FormatResult ComputeLayout(const VolumeGeometry& geometry, FormatRequest& request,
                           Fat32Layout& layout, const std::function<bool()>& obtainBuffers) {
    if (request.sectorsPerCluster != 0 && !IsClusterSize(request.sectorsPerCluster))
        return kInternalError;
    if (geometry.bytesPerSector != kSectorSize) return kUnsupportedSectorSize;

    const std::int64_t totalSectors64 = geometry.partitionLength / kSectorSize;

    if (request.sectorsPerCluster == 0) {
        request.sectorsPerCluster =
            static_cast<std::uint64_t>(totalSectors64) > kAutoLargeClusterAbove ? 16 : 8;
    }

    const auto totalUnsigned = static_cast<std::uint64_t>(totalSectors64);
    if (totalUnsigned < kMinTotalSectors) return kVolumeTooSmall;
    if (totalUnsigned >= kMaxTotalSectors) return kVolumeTooLarge;

    if (obtainBuffers && !obtainBuffers()) return kOutOfMemory;

    const auto totalSectors = static_cast<std::uint32_t>(totalUnsigned);
    auto sectorsPerCluster = static_cast<std::uint32_t>(request.sectorsPerCluster);
    FormatResult result =
        LayoutWithClusters(geometry, totalSectors, sectorsPerCluster, request.alignSectors, layout);
    // A policy's cluster size that is too large for a small stick: halve it
    // until the clusters are enough, down to a single sector.
    while (result == kTooFewClusters && request.mayUseSmallerClusters && sectorsPerCluster > 1) {
        sectorsPerCluster /= 2;
        result = LayoutWithClusters(geometry, totalSectors, sectorsPerCluster, request.alignSectors,
                                    layout);
        if (result == kFormatOk) request.sectorsPerCluster = static_cast<std::int32_t>(sectorsPerCluster);
    }
    // Not a cluster size too large but a volume too small for FAT32 at all.
    Fat32Layout smallest;
    if (result == kTooFewClusters &&
        LayoutWithClusters(geometry, totalSectors, 1, request.alignSectors, smallest) == kTooFewClusters)
        return kBelowFat32Minimum;
    return result;
}

std::uint32_t VolumeSerialNumber(const LocalTime& t) {
    const auto low = static_cast<std::uint16_t>(t.day + t.month * 256 + t.milliseconds / 10 +
                                                t.second * 256);
    const auto high = static_cast<std::uint16_t>(t.minute + t.hour * 256 + t.year);
    return (static_cast<std::uint32_t>(high) << 16) | low;
}

void BuildBootSector(const Fat32Layout& layout, const VolumeGeometry& geometry,
                     std::uint8_t* s, const char* label) {
    std::memset(s, 0, kSectorSize);
    std::memcpy(s + 0x000, kJumpInstruction, sizeof kJumpInstruction);
    std::memcpy(s + 0x003, kOemName, 8);
    Put16(s + 0x00B, kSectorSize);
    s[0x00D] = static_cast<std::uint8_t>(layout.sectorsPerCluster);
    Put16(s + 0x00E, layout.reservedSectors);
    s[0x010] = layout.fatCount;
    s[0x015] = kMediaDescriptor;
    Put16(s + 0x018, static_cast<std::uint16_t>(geometry.sectorsPerTrack));
    Put16(s + 0x01A, static_cast<std::uint16_t>(geometry.tracksPerCylinder));
    Put32(s + 0x01C, geometry.hiddenSectors);
    Put32(s + 0x020, layout.totalSectors);
    Put32(s + 0x024, layout.fatSectors);
    Put32(s + 0x02C, kRootCluster);
    Put16(s + 0x030, kFsInfoSector);
    Put16(s + 0x032, kBackupBootSector);
    s[0x040] = kDriveNumber;
    s[0x042] = kExtendedBootSignature;
    Put32(s + 0x043, layout.serialNumber);
    // The same label as the root directory's entry: readers that look only
    // here (and fsck.fat, which checks that the two agree) see it too.
    if (!LabelField(label, s + 0x047)) std::memcpy(s + 0x047, kNoLabel, kDirEntryNameSize);
    std::memcpy(s + 0x052, kFileSystemType, 8);
    s[0x1FE] = 0x55;
    s[0x1FF] = 0xAA;
}

void BuildFsInfoSector(const Fat32Layout& layout, std::uint8_t* s) {
    std::memset(s, 0, kSectorSize);
    Put32(s + 0x000, kFsInfoLeadSignature);
    Put32(s + 0x1E4, kFsInfoStructSignature);
    Put32(s + 0x1E8, layout.clusterCount - 1);  // all but the root directory's cluster
    Put32(s + 0x1EC, kFsInfoNextFreeHint);
    Put32(s + 0x1FC, kFsInfoTrailSignature);
}

void BuildFirstFatSector(std::uint8_t* s) {
    std::memset(s, 0, kSectorSize);
    Put32(s + 0, kFatMediaEntry);
    Put32(s + 4, kFatEndOfChain);
    Put32(s + 8, kFatEndOfChain);  // the root directory's single cluster
}

void BuildRootDirectorySector(const char* label, std::uint8_t* s) {
    std::memset(s, 0, kSectorSize);
    if (LabelField(label, s) && s[0] == kDeletedEntryMark) s[0] = kEscapedE5;
    s[kDirEntryNameSize] = kAttrVolumeLabel;
}

}  // namespace fat32
