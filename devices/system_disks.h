// Whether a disk carries the running system: the Windows folder, or a page
// file in use. Such a disk is never given a new layout, whatever its bus or
// media say (a Windows To Go stick is USB and may call itself removable).
// Every question goes through a VolumeCalls, the system's or the simulated
// machine's.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include "devices/volume_calls.h"

namespace fat32 {

enum class SystemUse { None, Windows, PageFile };

// Whether disk `number` carries the running Windows or a page file in use.
// A question the system does not answer counts as the disk carrying it.
SystemUse SystemUseOfDisk(VolumeCalls& calls, DWORD number);

}  // namespace fat32

#endif  // _WIN32
