// What a disk handle says of its disk, and which volumes lie on a disk: the
// facts a whole-disk run is refused or allowed by. Every call goes through a
// VolumeCalls, the system's or the simulated machine's.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "devices/volume_calls.h"
#include "format/block_device.h"

namespace fat32 {

// A partition of the layout: its number as the system gives it (what a
// volume's STORAGE_DEVICE_NUMBER.PartitionNumber names) and its extent.
struct DiskPartition {
    DWORD number = 0;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool operator==(const DiskPartition& other) const {
        return number == other.number && offset == other.offset && length == other.length;
    }
};

struct DiskFacts {
    DWORD number = 0;
    bool usb = false;        // the descriptor's bus type is USB
    bool removable = false;  // the descriptor says removable media
    std::uint64_t bytes = 0;
    PartitionStyle style = PartitionStyle::Raw;
    DWORD partitions = 0;  // entries in use
    // The MBR's disk signature, or the GPT's disk GUID folded to 32 bits:
    // a stick swapped for another of the same size shows another one.
    DWORD signature = 0;
    std::vector<DiskPartition> extents;  // the entries in use, in table order
    // Windows 10 and later: a GUID formed from the disk's hardware
    // identifiers, which another stick of the same model does not share.
    bool deviceGuidKnown = false;
    GUID deviceGuid{};
};

// Whether two readings describe the same disk as it was: number, bus,
// media, size, device GUID (known on both sides or on neither) and the whole
// layout alike.
bool SameDisk(const DiskFacts& a, const DiskFacts& b);

// "\\.\PhysicalDriveN".
std::wstring DiskPath(DWORD number);
// Asks the open disk handle; false (the call's error in GetLastError) when
// any of its questions goes unanswered.
bool ReadDiskFacts(VolumeCalls& calls, HANDLE disk, DiskFacts& facts);
// The disk the volume of drive `letter` lies on, and which of its
// partitions the volume is (0 for a volume with no partition table).
bool DiskOfLetter(VolumeCalls& calls, wchar_t letter, DWORD& disk, DWORD* partition = nullptr);
// The letters whose volumes lie on disk `number`, in letter order.
std::vector<wchar_t> LettersOnDisk(VolumeCalls& calls, DWORD number);
// Every volume of disk `number`, with a letter or without one (mounted in a
// folder, or reachable only by its GUID name), as "\\?\Volume{GUID}" paths
// that open the volume itself. False (the error in GetLastError) when the
// system's volumes cannot be listed or one of them does not say where it lies:
// a volume that might be on the disk is never left out.
bool VolumesOnDisk(VolumeCalls& calls, DWORD number, std::vector<std::wstring>& paths);

}  // namespace fat32

#endif  // _WIN32
