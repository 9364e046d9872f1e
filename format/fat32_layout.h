// The layout of a fresh FAT32 volume that fills one partition, and the few
// sector images a format writes (boot sector, FSInfo, first FAT sector, first
// root directory sector). Pure arithmetic: no device is touched here.
#pragma once

#include <cstdint>
#include <functional>

#include "format/format_result.h"

namespace fat32 {

inline constexpr std::uint32_t kSectorSize = 512;
inline constexpr std::uint16_t kReservedSectors = 32;
inline constexpr std::uint8_t kFatCount = 2;
inline constexpr std::uint32_t kFsInfoSector = 1;
inline constexpr std::uint32_t kBackupBootSector = 6;
inline constexpr std::uint32_t kBackupFsInfoSector = 7;
inline constexpr std::uint32_t kRootCluster = 2;

struct VolumeGeometry {
    std::int64_t partitionLength = 0;  // bytes
    std::uint32_t bytesPerSector = 0;
    std::uint32_t sectorsPerTrack = 0;
    std::uint32_t tracksPerCylinder = 0;  // heads
    std::uint32_t hiddenSectors = 0;      // sectors in front of the partition
};

struct FormatRequest {
    std::int32_t sectorsPerCluster = 0;  // 0: the engine chooses and writes its choice back
    const char* label = nullptr;         // OEM code page bytes, zero-terminated; null = no label
    // 0: the standard layout. Otherwise the reserved area grows so that the
    // first data cluster starts on a multiple of this many sectors from the
    // start of the disk (hidden sectors counted), e.g. a flash erase block.
    std::uint32_t alignSectors = 0;
    // The cluster size came from the capacity policy, not from the user: when
    // it leaves too few clusters, the largest smaller size that reaches the
    // minimum is used instead (and written back).
    bool mayUseSmallerClusters = false;
};

// The reserved-sector count is a 16-bit field: an alignment of up to 16 MiB
// keeps it below 65,536.
inline constexpr std::uint32_t kMaxAlignSectors = 0x8000;

struct Fat32Layout {
    std::uint32_t totalSectors = 0;
    std::uint32_t sectorsPerCluster = 0;
    std::uint16_t reservedSectors = kReservedSectors;
    std::uint8_t fatCount = kFatCount;
    std::uint32_t fatSectors = 0;
    std::uint32_t clusterCount = 0;
    std::uint32_t firstDataSector = 0;  // cluster 2, the root directory
    std::uint32_t sectorsToClear = 0;   // reserved area, both FATs and the root cluster
    std::uint32_t serialNumber = 0;
};

struct LocalTime {
    std::uint16_t year = 0, month = 0, day = 0;
    std::uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// Computes the layout, or returns the refusal (1 for a request no caller
// should make: sectors per cluster not a power of two up to 128, or an
// alignment that needs more reserved sectors than the boot sector can hold;
// then 2, 11, 10, 9, 8, 7 or 6; the first failing test decides). obtainBuffers is called where the sector
// buffers are to be obtained; false from it refuses with 9. When the request's
// sectors per cluster is 0 the chosen value is written back, refusal or not.
FormatResult ComputeLayout(const VolumeGeometry& geometry, FormatRequest& request,
                           Fat32Layout& layout,
                           const std::function<bool()>& obtainBuffers = nullptr);

std::uint32_t VolumeSerialNumber(const LocalTime& now);

// Each writes one 512-byte sector image into `sector`, zero-filling it first.
// The boot sector carries the volume label too ("NO NAME" without one).
void BuildBootSector(const Fat32Layout& layout, const VolumeGeometry& geometry,
                     std::uint8_t* sector, const char* label = nullptr);
void BuildFsInfoSector(const Fat32Layout& layout, std::uint8_t* sector);
void BuildFirstFatSector(std::uint8_t* sector);
void BuildRootDirectorySector(const char* label, std::uint8_t* sector);

}  // namespace fat32
