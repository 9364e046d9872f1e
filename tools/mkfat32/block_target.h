// mkfat32 on Linux: block devices as targets, with the checks that keep it off
// the wrong disk, and --mbr, which gives a whole disk or image a fresh table
// with one FAT32 partition before formatting that partition.
#pragma once

#include <string>

#include "format/format_volume.h"
#include "tools/mkfat32/arguments.h"

namespace mkfat32 {

bool IsBlockDevice(const std::string& path);

// Bytes the volume will fill: the device's or image's size, or with --mbr
// the new partition's. 0 when unknown.
std::uint64_t LinuxTargetBytes(const Arguments& args);

// Formats a block device, or with --mbr the new partition of a disk or image.
// A refusal before anything is opened for writing comes back as kNotUsbExit
// or kUsageExit, its reason printed; otherwise the engine's result, with the
// device's last error in `error`.
int FormatLinuxTarget(const Arguments& args, fat32::FormatRequest& request,
                      const fat32::FormatOptions& options, fat32::DeviceError& error);

}  // namespace mkfat32
