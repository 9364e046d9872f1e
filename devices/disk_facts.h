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

struct DiskFacts {
    DWORD number = 0;
    bool usb = false;        // the descriptor's bus type is USB
    bool removable = false;  // the descriptor says removable media
    std::uint64_t bytes = 0;
    PartitionStyle style = PartitionStyle::Raw;
    DWORD partitions = 0;  // entries in use
};

// "\\.\PhysicalDriveN".
std::wstring DiskPath(DWORD number);
// Asks the open disk handle; false (the call's error in GetLastError) when
// any of its questions goes unanswered.
bool ReadDiskFacts(VolumeCalls& calls, HANDLE disk, DiskFacts& facts);
// The disk the volume of drive `letter` lies on.
bool DiskOfLetter(VolumeCalls& calls, wchar_t letter, DWORD& disk);
// The letters whose volumes lie on disk `number`, in letter order.
std::vector<wchar_t> LettersOnDisk(VolumeCalls& calls, DWORD number);

}  // namespace fat32

#endif  // _WIN32
