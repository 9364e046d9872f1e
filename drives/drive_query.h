// DriveQuery: every platform call that drive discovery makes, one method per
// Win32 call with the same inputs and outputs. Win32DriveQuery answers from
// the system, SimulatedDriveQuery from a table of invented drives.
#pragma once

#include <windows.h>
#include <winioctl.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include "devices/volume_calls.h"

namespace drives {

// Device-interface classes of disks and floppy drives.
inline constexpr GUID kDiskInterfaceClass = {
    0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
inline constexpr GUID kFloppyInterfaceClass = {
    0x53F56311, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

class DriveQuery {
public:
    virtual ~DriveQuery() = default;

    // GetLogicalDriveStringsW: "C:\" entries of four units, then an empty one.
    // Returns the units written, the units needed when the buffer is too
    // small, or 0 on failure.
    virtual DWORD LogicalDriveStrings(DWORD bufferLength, wchar_t* buffer) = 0;

    // CreateFileW on "\\?\X:" with no access rights, shared, existing:
    // enough to ask the device number, and open even while another program
    // holds the volume or the process lacks an administrator's rights.
    virtual HANDLE OpenVolume(const wchar_t* volumePath) = 0;
    // CreateFileW on an interface's device path with no access rights.
    virtual HANDLE OpenDeviceInterface(const wchar_t* devicePath) = 0;
    // IOCTL_STORAGE_GET_DEVICE_NUMBER on a handle of either kind.
    virtual bool StorageDeviceNumber(HANDLE handle, STORAGE_DEVICE_NUMBER& number) = 0;
    // CloseHandle on a handle of either kind.
    virtual void CloseDeviceHandle(HANDLE handle) = 0;

    // GetDriveTypeW on "X:\".
    virtual UINT DriveType(const wchar_t* rootPath) = 0;
    // QueryDosDeviceW on "X:". Returns the units stored, 0 on failure.
    virtual DWORD DosDeviceName(const wchar_t* deviceName, wchar_t* target, DWORD targetLength) = 0;

    // SetupDiGetClassDevsW(class, no enumerator, no window,
    // DIGCF_PRESENT | DIGCF_DEVICEINTERFACE); INVALID_HANDLE_VALUE on failure.
    virtual HDEVINFO OpenInterfaceSet(const GUID& interfaceClass) = 0;
    // SetupDiEnumDeviceInterfaces; false past the last member.
    virtual bool EnumInterface(HDEVINFO set, const GUID& interfaceClass, DWORD index,
                               SP_DEVICE_INTERFACE_DATA& data) = 0;
    // SetupDiGetDeviceInterfaceDetailW without a buffer: the size it needs,
    // 0 when it cannot tell.
    virtual DWORD InterfaceDetailSize(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data) = 0;
    // SetupDiGetDeviceInterfaceDetailW into the caller's buffer, whose cbSize
    // the caller has set, together with the device-information record.
    virtual bool InterfaceDetail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data,
                                 SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD detailSize,
                                 SP_DEVINFO_DATA& info) = 0;
    // SetupDiDestroyDeviceInfoList.
    virtual void CloseInterfaceSet(HDEVINFO set) = 0;

    // CM_Get_Parent with flags 0.
    virtual CONFIGRET ParentDevice(DEVINST& parent, DEVINST child) = 0;
    // CM_Get_Device_IDW with flags 0. Like the system call, an identifier that
    // fills the buffer exactly is stored without a terminating NUL.
    virtual CONFIGRET DeviceId(DEVINST instance, wchar_t* buffer, ULONG bufferLength) = 0;

    // SetThreadErrorMode: sets the calling thread's error mode, returns the
    // previous one. Per thread, since a format worker runs beside the scan.
    virtual UINT ExchangeErrorMode(UINT mode) = 0;
    // GetDiskFreeSpaceW.
    virtual bool DiskFreeSpace(const wchar_t* rootPath, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                               DWORD& freeClusters, DWORD& totalClusters) = 0;
    // GetVolumeInformationW; either buffer may be null with length 0.
    virtual bool VolumeInformation(const wchar_t* rootPath, wchar_t* volumeName, DWORD volumeNameLength,
                                   wchar_t* fileSystemName, DWORD fileSystemNameLength) = 0;

    // The volume calls of the same machine, through which a medium's identity
    // is read (medium_identity.h) as the volume device reads it.
    virtual fat32::VolumeCalls& Volumes() = 0;
};

}  // namespace drives
