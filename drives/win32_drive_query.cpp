// Win32DriveQuery. Handles and interface sets opened here are closed by the
// caller's owners (query_owners.h) through CloseDeviceHandle and
// CloseInterfaceSet, which make the matching system calls.
#include "drives/win32_drive_query.h"

namespace drives {

DWORD Win32DriveQuery::LogicalDriveStrings(DWORD bufferLength, wchar_t* buffer) {
    return ::GetLogicalDriveStringsW(bufferLength, buffer);
}

HANDLE Win32DriveQuery::OpenVolume(const wchar_t* volumePath) {
    return ::CreateFileW(volumePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

HANDLE Win32DriveQuery::OpenDeviceInterface(const wchar_t* devicePath) {
    return ::CreateFileW(devicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool Win32DriveQuery::StorageDeviceNumber(HANDLE handle, STORAGE_DEVICE_NUMBER& number) {
    DWORD returned = 0;
    return ::DeviceIoControl(handle, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof number, &returned,
                             nullptr) != FALSE;
}

void Win32DriveQuery::CloseDeviceHandle(HANDLE handle) { ::CloseHandle(handle); }

UINT Win32DriveQuery::DriveType(const wchar_t* rootPath) { return ::GetDriveTypeW(rootPath); }

DWORD Win32DriveQuery::DosDeviceName(const wchar_t* deviceName, wchar_t* target, DWORD targetLength) {
    return ::QueryDosDeviceW(deviceName, target, targetLength);
}

HDEVINFO Win32DriveQuery::OpenInterfaceSet(const GUID& interfaceClass) {
    return ::SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
}

bool Win32DriveQuery::EnumInterface(HDEVINFO set, const GUID& interfaceClass, DWORD index,
                                    SP_DEVICE_INTERFACE_DATA& data) {
    data.cbSize = sizeof data;
    return ::SetupDiEnumDeviceInterfaces(set, nullptr, &interfaceClass, index, &data) != FALSE;
}

DWORD Win32DriveQuery::InterfaceDetailSize(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data) {
    // Without a buffer the call fails by design and only reports the size.
    DWORD required = 0;
    ::SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr);
    return required;
}

bool Win32DriveQuery::InterfaceDetail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data,
                                      SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD detailSize,
                                      SP_DEVINFO_DATA& info) {
    return ::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, detailSize, nullptr, &info) != FALSE;
}

void Win32DriveQuery::CloseInterfaceSet(HDEVINFO set) { ::SetupDiDestroyDeviceInfoList(set); }

CONFIGRET Win32DriveQuery::ParentDevice(DEVINST& parent, DEVINST child) { return ::CM_Get_Parent(&parent, child, 0); }

CONFIGRET Win32DriveQuery::DeviceId(DEVINST instance, wchar_t* buffer, ULONG bufferLength) {
    return ::CM_Get_Device_IDW(instance, buffer, bufferLength, 0);
}

UINT Win32DriveQuery::ExchangeErrorMode(UINT mode) {
    DWORD previous = 0;
    if (!::SetThreadErrorMode(mode, &previous)) return ::GetThreadErrorMode();
    return previous;
}

bool Win32DriveQuery::DiskFreeSpace(const wchar_t* rootPath, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                                    DWORD& freeClusters, DWORD& totalClusters) {
    return ::GetDiskFreeSpaceW(rootPath, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters) !=
           FALSE;
}

bool Win32DriveQuery::VolumeInformation(const wchar_t* rootPath, wchar_t* volumeName, DWORD volumeNameLength,
                                        wchar_t* fileSystemName, DWORD fileSystemNameLength) {
    return ::GetVolumeInformationW(rootPath, volumeName, volumeNameLength, nullptr, nullptr, nullptr,
                                   fileSystemName, fileSystemNameLength) != FALSE;
}

}  // namespace drives
