// A whole USB disk made one FAT32 volume, through the disk handle: a new MBR
// with one partition from 1 MiB to the end (NewMbrDevice over WinDiskDevice),
// the volume written at the partition's offset, the table once the boot
// sector is there. Shared by the window and mkfat32.exe --mbr; what either
// says to its user stays with it.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <functional>

#include "devices/disk_facts.h"
#include "devices/volume_calls.h"
#include "format/format_volume.h"

namespace fat32 {

// What the run asks before its first write, on the handle that writes and
// with every volume of the disk locked: the disk's facts as read there.
// kFormatOk lets it write.
using DiskProof = std::function<FormatResult(const DiskFacts& now)>;

// Formats disk `number`, whose layout had `oldStyle` when it was looked at
// (a GPT's backup entries at the end are cleared too). `error`, when given,
// receives the disk device's last error.
FormatResult FormatWholeDisk(VolumeCalls& calls, DWORD number, PartitionStyle oldStyle, FormatRequest& request,
                             FormatOptions& options, const DiskProof& prove, DeviceError* error = nullptr);

// IOCTL_DISK_UPDATE_PROPERTIES: the system reads the new table again. False
// when it could not be told.
bool AnnounceNewLayout(VolumeCalls& calls, DWORD number);

// The first drive letter of a volume on disk `number`, waited for: volumes
// arrive asynchronously after a new layout, letters later. 0 when none came
// within `polls` times `pollMs`.
wchar_t AwaitVolumeLetter(VolumeCalls& calls, DWORD number, int polls, DWORD pollMs);

}  // namespace fat32

#endif  // _WIN32
