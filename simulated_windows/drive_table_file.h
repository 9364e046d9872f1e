// Reads a SimulatedDriveTable from a small text file. The whole file is
// checked before anything is returned: a malformed file is refused with the
// number of the offending line and the caller's table is left as it was.
//
// Format (UTF-8; '#' starts a comment line; blank lines are ignored). Each
// record is one line: a keyword, one positional value, then name=value
// fields in any order. A value with spaces is written in double quotes; a
// value cannot contain a double quote. Numbers are unsigned decimal, 32-bit.
//
//   drive D: type=removable number=1 dos=\Device\HarddiskVolume5
//         sectors=8 bytes=512 clusters=1962243 free=1000000
//         label="MY STICK" fs=FAT32 fail=space,volume         (all on one line)
//     type (required): removable fixed remote cdrom ramdisk unknown no-root,
//       or the DRIVE_* number. Drives are listed in file order.
//     number: storage device number of the volume (default 0).
//     dos: QueryDosDeviceW's answer (default empty).
//     sectors, bytes, clusters, free: sectors per cluster, bytes per sector,
//       total and free clusters (default 0).
//     label, fs: volume label and file-system name (default empty).
//     image: the image file that is the volume's medium (default: memory).
//     fail: open number dos space volume volume-once geometry, and the older
//       lock in-use raw (held=open, held=exclusive, state=raw).
//     held: open exclusive lock; state: raw write-protected pulled-at-unlock;
//     pulled-at-write: N; swap: another card's image; delay: ms per write.
//   interface disk|floppy <device path> instance=7 number=1 fail=open
//     instance (required, not 0): the disk's device node.
//     number: the device number the opened path reports (default 0).
//     fail: open number detail-size detail.
//   device 7 parent=3                    device 3 id=USB\VID_0951&PID_1666\01
//     parent: parent node (default none); id: identifier (default none).
//     fail: parent id.
//   fail drive-strings | disk-interfaces | floppy-interfaces
//   user administrator | standard                  (default administrator)
//   system C:                   the Windows folder's drive (default C:)
//   pagefile C:\pagefile.sys    a page file in use, one record each (default none)
#pragma once

#include <string>

#include "simulated_windows/simulated_drive_table.h"

namespace drives {

// Parses the text. On failure returns false with `error` set to
// "line N: what is wrong" (UTF-8); `table` is then unchanged.
bool ParseDriveTable(const std::string& text, SimulatedDriveTable& table, std::string& error);

// Reads and parses the file at `path`; an unreadable file is refused too.
bool LoadDriveTable(const wchar_t* path, SimulatedDriveTable& table, std::string& error);

}  // namespace drives
