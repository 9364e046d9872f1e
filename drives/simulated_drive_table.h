// The contents of a simulated machine for SimulatedDriveQuery: drives in the
// order the system lists them, disk and floppy interfaces, device nodes, and
// which queries are made to fail. Read from text by drive_table_file.h.
#pragma once

#include <windows.h>
#include <cfgmgr32.h>

#include <string>
#include <vector>

namespace drives {

// Queries a record can be made to fail, as bits of its `failures`.
enum SimulatedFailure : unsigned {
    kFailOpen = 1u << 0,          // drive, interface: CreateFileW
    kFailDeviceNumber = 1u << 1,  // drive, interface: IOCTL_STORAGE_GET_DEVICE_NUMBER
    kFailDosName = 1u << 2,       // drive: QueryDosDeviceW
    kFailDiskSpace = 1u << 3,     // drive: GetDiskFreeSpaceW
    kFailVolumeInfo = 1u << 4,    // drive: GetVolumeInformationW
    kFailDetailSize = 1u << 5,    // interface: detail size query
    kFailDetail = 1u << 6,        // interface: detail query
    kFailParent = 1u << 7,        // device: CM_Get_Parent
    kFailDeviceId = 1u << 8,      // device: CM_Get_Device_IDW
    kFailLock = 1u << 9,          // drive: the format run's volume lock
    kFailGeometry = 1u << 10,     // drive: the format run's geometry query
    kFailRaw = 1u << 11,          // drive: no file system the system knows (RAW)
    kFailInUse = 1u << 12,        // drive: held by another program (volume reads, lock)
    kFailVolumeOnce = 1u << 13,   // drive: the next serial number read is not ready
};

// Failures of the machine as a whole.
enum SimulatedGlobalFailure : unsigned {
    kFailDriveStrings = 1u << 0,     // GetLogicalDriveStringsW
    kFailDiskInterfaces = 1u << 1,   // SetupDiGetClassDevsW for disks
    kFailFloppyInterfaces = 1u << 2, // SetupDiGetClassDevsW for floppies
};

struct SimulatedDrive {
    wchar_t letter = L'C';
    UINT type = DRIVE_FIXED;
    DWORD deviceNumber = 0;
    std::wstring dosName;  // e.g. \Device\HarddiskVolume5
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD totalClusters = 0;
    DWORD freeClusters = 0;
    std::wstring label;
    std::wstring fileSystem;
    DWORD serial = 0;  // the volume serial number
    DWORD mediaChanges = 0;  // the disk's media change count
    // An image file that stands for the volume when the drive is formatted.
    std::wstring image;
    DWORD writeDelayMs = 0;  // each write of a format run takes this long
    unsigned failures = 0;
};

struct SimulatedInterface {
    bool floppy = false;       // floppy interface class, else disk
    std::wstring devicePath;
    DEVINST instance = 0;      // the disk's device node
    DWORD deviceNumber = 0;    // what the opened path reports
    unsigned failures = 0;
};

struct SimulatedDevice {
    DEVINST instance = 0;
    DEVINST parent = 0;        // 0: CM_Get_Parent finds none
    std::wstring id;           // empty: CM_Get_Device_IDW finds none
    unsigned failures = 0;
};

struct SimulatedDriveTable {
    std::vector<SimulatedDrive> drives;
    std::vector<SimulatedInterface> interfaces;
    std::vector<SimulatedDevice> devices;
    unsigned failures = 0;  // SimulatedGlobalFailure bits
};

}  // namespace drives
