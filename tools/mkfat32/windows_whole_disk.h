// mkfat32.exe --mbr: the whole USB disk behind a drive letter ("E:") or named
// by its number ("disk:2"), given a new MBR with one FAT32 partition from
// 1 MiB to the end and that partition formatted, all through the disk handle.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <string>

#include "devices/disk_facts.h"
#include "devices/volume_calls.h"
#include "format/format_volume.h"

namespace mkfat32 {

class WindowsWholeDisk {
public:
    explicit WindowsWholeDisk(fat32::VolumeCalls& calls) : calls_(calls) {}

    // Finds the disk and makes every check that may refuse it before anything
    // is written: 0, or the exit code after the reason was printed.
    int Open(const std::string& target);
    // Bytes of the new partition.
    std::uint64_t VolumeBytes() const;
    fat32::FormatResult Format(fat32::FormatRequest& request, fat32::FormatOptions& options);
    const fat32::DeviceError& LastError() const { return error_; }

private:
    int Refuse(const std::string& why, int code) const;
    // Lets the system read the new table and waits (bounded) for its volume.
    void AwaitNewVolume();

    fat32::VolumeCalls& calls_;
    DWORD number_ = 0;
    std::string name_;  // "disk 2 (E:)"
    fat32::DiskFacts facts_;
    fat32::DeviceError error_;
};

}  // namespace mkfat32

#endif  // _WIN32
