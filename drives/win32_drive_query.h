// Win32DriveQuery: the drive queries answered by the running system. Each
// method is the one Win32 call its interface names, nothing more.
#pragma once

#include "drives/drive_query.h"

namespace drives {

class Win32DriveQuery : public DriveQuery {
public:
    DWORD LogicalDriveStrings(DWORD bufferLength, wchar_t* buffer) override;
    HANDLE OpenVolume(const wchar_t* volumePath) override;
    HANDLE OpenDeviceInterface(const wchar_t* devicePath) override;
    bool StorageDeviceNumber(HANDLE handle, STORAGE_DEVICE_NUMBER& number) override;
    void CloseDeviceHandle(HANDLE handle) override;
    UINT DriveType(const wchar_t* rootPath) override;
    DWORD DosDeviceName(const wchar_t* deviceName, wchar_t* target, DWORD targetLength) override;
    HDEVINFO OpenInterfaceSet(const GUID& interfaceClass) override;
    bool EnumInterface(HDEVINFO set, const GUID& interfaceClass, DWORD index,
                       SP_DEVICE_INTERFACE_DATA& data) override;
    DWORD InterfaceDetailSize(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data) override;
    bool InterfaceDetail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data, SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail,
                         DWORD detailSize, SP_DEVINFO_DATA& info) override;
    void CloseInterfaceSet(HDEVINFO set) override;
    CONFIGRET ParentDevice(DEVINST& parent, DEVINST child) override;
    CONFIGRET DeviceId(DEVINST instance, wchar_t* buffer, ULONG bufferLength) override;
    UINT ExchangeErrorMode(UINT mode) override;
    bool DiskFreeSpace(const wchar_t* rootPath, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                       DWORD& freeClusters, DWORD& totalClusters) override;
    bool VolumeInformation(const wchar_t* rootPath, wchar_t* volumeName, DWORD volumeNameLength,
                           wchar_t* fileSystemName, DWORD fileSystemNameLength) override;
    fat32::VolumeCalls& Volumes() override { return fat32::SystemVolumeCalls(); }
};

}  // namespace drives
