// The contents of a simulated machine (simulated_machine.h): drives in the
// order the system lists them with the conditions of their media, disk and
// floppy interfaces, device nodes, and whether the user is an elevated
// administrator. Read from text by drive_table_file.h.
#pragma once

#include <windows.h>
#include <cfgmgr32.h>

#include <string>
#include <vector>

namespace drives {

// Conditions of a record, as bits of its `failures`: a query that fails, or
// a state of the world that the calls then meet as Windows documents them.
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
    kFailLock = 1u << 9,          // drive: another program has it open, sharing (held=open)
    kFailGeometry = 1u << 10,     // drive: IOCTL_DISK_GET_DRIVE_GEOMETRY
    kFailRaw = 1u << 11,          // drive: no file system the system mounts (RAW)
    kFailInUse = 1u << 12,        // drive: another program has it open, sharing nothing (held=exclusive)
    kFailVolumeOnce = 1u << 13,   // drive: the next data open finds it not ready
    kHeldLocked = 1u << 14,       // drive: another program has locked it (held=lock)
    kWriteProtected = 1u << 15,   // drive: the medium refuses writes
    kPulledAtUnlock = 1u << 16,   // drive: pulled out as the run lets go of its lock
};

// Failures of the machine as a whole.
enum SimulatedGlobalFailure : unsigned {
    kFailDriveStrings = 1u << 0,     // GetLogicalDriveStringsW
    kFailDiskInterfaces = 1u << 1,   // SetupDiGetClassDevsW for disks
    kFailFloppyInterfaces = 1u << 2, // SetupDiGetClassDevsW for floppies
};

// The key of the first volume record with no drive letter; the next ones
// follow it. Outside A-Z, so no drive path ever names one.
constexpr wchar_t kFirstUnletteredVolume = 0xE000;

struct SimulatedDrive {
    // The drive letter; a volume with no letter (mounted in a folder, or
    // reachable only by its GUID name) has a key from kFirstUnletteredVolume on.
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
    DWORD writeDelayMs = 0;  // a slow stick: each write takes this long
    DWORD pulledAtWrite = 0;  // the stick is pulled out during its Nth write; 0: never
    // A card put into the reader in place of this one when a program opens
    // the volume for writing (the user swapped it after being asked).
    std::wstring swapImage;
    // 0: the volume is a medium of its own. N: partition N of the disk
    // record `deviceNumber`, present while the disk's layout holds it.
    DWORD partition = 0;
    // What the disk's hardware identifiers give on Windows 10 and later: the
    // first part of its device GUID (0: the device number plus one).
    DWORD diskGuid = 0;
    unsigned failures = 0;
};

inline bool HasLetter(const SimulatedDrive& drive) { return drive.letter >= L'A' && drive.letter <= L'Z'; }

// A disk whose image is the whole disk: its layout (MBR, GPT or none) is
// what the image's first sectors hold, and its volumes are the drive records
// that name one of its partitions.
struct SimulatedDisk {
    DWORD number = 0;
    std::wstring image;
    DWORD busType = 7;        // STORAGE_BUS_TYPE: BusTypeUsb
    bool removable = true;    // the descriptor's RemovableMedia
    // Pulled out during its Nth write through a disk handle (sector writes and
    // the layout codes that write sector 0); 0: never.
    DWORD pulledAtWrite = 0;
    // The first part of its device GUID on Windows 10 (0: its number plus one).
    DWORD guid = 0;
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
    std::vector<SimulatedDisk> disks;
    unsigned failures = 0;  // SimulatedGlobalFailure bits
    // false: the user runs without an administrator's full rights.
    bool elevated = true;
    // Windows 10 and later: disks answer IOCTL_STORAGE_GET_DEVICE_NUMBER_EX.
    bool windows10 = false;
    // The drive of the Windows folder (X:\Windows).
    wchar_t systemDrive = L'C';
    // The page files in use, as the registry names them ("\??\C:\pagefile.sys").
    std::vector<std::wstring> pageFiles;
};

}  // namespace drives
