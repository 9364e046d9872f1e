// Whether a USB stick is whole: one volume over all of it. Sticks that bring
// people to a formatter often are not: written with a bootable image they
// show a small volume on a large stick; a camera or a Linux machine leaves
// several partitions, a GPT, or none the system mounts. Such a stick can be
// given back whole: one FAT32 partition from 1 MiB to its end.
#pragma once

#include <windows.h>

#include "devices/disk_facts.h"
#include "drives/drive_query.h"

namespace drives {

enum class StickShape { Whole, VolumeSmaller, SeveralPartitions, Gpt, NoVolume };

// Reads disk `number` through a handle with no access rights: enough for
// its descriptor, size and layout, even while its volumes are in use.
bool ReadStick(DriveQuery& query, DWORD number, fat32::DiskFacts& facts);

// A stick that may be made whole: a USB disk with removable media, large
// enough for a FAT32 volume after the table's first MiB. A USB hard disk
// (fixed media) is never repartitioned by this tool.
bool MayBeMadeWhole(const fat32::DiskFacts& facts);

// MayBeMadeWhole, and the disk carries neither the running Windows nor a
// page file in use: the sticks the window may offer whole.
bool MayOfferWhole(DriveQuery& query, const fat32::DiskFacts& facts);

// The stick's shape. `partition` is the partition of the volume the user
// chose (0: none, or a volume with no table), `hasVolume` whether any volume
// of the disk has a drive letter. A volume counts as smaller only when it
// leaves clearly more unused than alignment would: a thirty-second of what
// a new partition would hold, and at least 8 MiB.
StickShape JudgeStick(const fat32::DiskFacts& facts, DWORD partition, bool hasVolume);

}  // namespace drives
