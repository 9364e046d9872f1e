// SimulatedDriveQuery: the drive queries answered from a SimulatedMachine's
// table, with the same buffer rules and failure results as the system calls;
// volumes are opened on the machine itself, which also answers the volume
// calls (Volumes()). It counts every handle and interface set it opens and
// closes, and the error mode in force during each disk-space query, so tests
// can prove that the callers release everything and keep error boxes away.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "drives/drive_query.h"
#include "simulated_windows/simulated_drive_table.h"
#include "simulated_windows/simulated_machine.h"

namespace drives {

class SimulatedDriveQuery : public DriveQuery {
public:
    explicit SimulatedDriveQuery(SimulatedDriveTable table = {});
    // A query on a machine that other queries and volume devices share.
    explicit SimulatedDriveQuery(std::shared_ptr<SimulatedMachine> machine);
    ~SimulatedDriveQuery() override = default;

    SimulatedDriveTable& table() { return machine_->table(); }
    const SimulatedDriveTable& table() const { return machine_->table(); }
    SimulatedMachine& machine() { return *machine_; }

    int HandlesOpened() const { return handlesOpened_; }
    int HandlesClosed() const { return handlesClosed_; }
    // The most handles that were open at one time.
    int PeakOpenHandles() const { return peakOpenHandles_; }
    int SetsOpened() const { return setsOpened_; }
    int SetsClosed() const { return setsClosed_; }
    // Closes of handles or sets that were not open, and queries on them.
    int Misuses() const { return misuses_; }
    bool Balanced() const {
        return handlesOpened_ == handlesClosed_ && setsOpened_ == setsClosed_ && misuses_ == 0;
    }
    // The volume paths OpenVolume was asked for, in order.
    const std::vector<std::wstring>& VolumeOpens() const { return volumeOpens_; }
    UINT ErrorMode() const { return errorMode_; }
    // The error mode in force at each DiskFreeSpace call.
    const std::vector<UINT>& ErrorModesDuringDiskSpace() const { return errorModesDuringDiskSpace_; }

    // The per-drive calls in the order they came: DriveType, OpenVolume,
    // DiskFreeSpace and VolumeInformation, each with its path and the error
    // mode in force at the time.
    struct DriveCall {
        const char* name;  // "type", "open", "space" or "volume"
        std::wstring path;
        UINT errorMode;
    };
    const std::vector<DriveCall>& DriveCalls() const { return driveCalls_; }

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
    fat32::VolumeCalls& Volumes() override { return *machine_; }

private:
    // What an open handle stands for: a drive's volume (opened on the
    // machine) or an interface path.
    struct OpenTarget {
        bool volume;
        std::size_t index;
    };
    // An open interface set: the interfaces of its class present when opened.
    struct OpenSet {
        GUID interfaceClass;
        std::vector<std::size_t> members;
    };

    const SimulatedDrive* DriveAt(const wchar_t* path, const wchar_t* prefix, const wchar_t* suffix) const;
    const SimulatedDevice* Device(DEVINST instance) const;
    const SimulatedInterface* InterfaceOf(HDEVINFO set, const SP_DEVICE_INTERFACE_DATA& data);
    HANDLE NewHandle(bool volume, std::size_t index);

    std::shared_ptr<SimulatedMachine> machine_;
    std::map<HANDLE, OpenTarget> handles_;
    std::map<HDEVINFO, OpenSet> sets_;
    std::uintptr_t nextToken_ = 0x1000;
    int handlesOpened_ = 0;
    int handlesClosed_ = 0;
    int peakOpenHandles_ = 0;
    int setsOpened_ = 0;
    int setsClosed_ = 0;
    int misuses_ = 0;
    std::vector<std::wstring> volumeOpens_;
    UINT errorMode_ = 0;
    std::vector<UINT> errorModesDuringDiskSpace_;
    std::vector<DriveCall> driveCalls_;
};

}  // namespace drives
