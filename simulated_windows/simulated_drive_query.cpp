// SimulatedDriveQuery. Paths must have exactly the form the system call
// expects ("\\?\X:", "X:\", "X:"); anything else is answered like a path that
// does not exist, which makes a malformed path in the caller visible.
#include "simulated_windows/simulated_drive_query.h"

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <utility>

namespace drives {

namespace {

DWORD DetailSizeFor(const std::wstring& devicePath) {
    return static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                              (devicePath.size() + 1) * sizeof(wchar_t));
}

STORAGE_DEVICE_NUMBER DiskNumber(DWORD deviceNumber, DWORD partition) {
    STORAGE_DEVICE_NUMBER number{};
    number.DeviceType = FILE_DEVICE_DISK;
    number.DeviceNumber = deviceNumber;
    number.PartitionNumber = partition;
    return number;
}

// Copies text and its NUL into a buffer of `length` units, or fails with
// ERROR_BAD_LENGTH as GetVolumeInformationW does when it does not fit.
bool CopyIfFits(const std::wstring& text, wchar_t* buffer, DWORD length) {
    if (!buffer) return true;
    if (text.size() + 1 > length) return false;
    std::wmemcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

// Sets the thread's last error as the system call would, and yields the
// call's failure value.
template <typename T>
T Failed(DWORD error, T result) {
    ::SetLastError(error);
    return result;
}

}  // namespace

SimulatedDriveQuery::SimulatedDriveQuery(SimulatedDriveTable table)
    : machine_(std::make_shared<SimulatedMachine>(std::move(table))) {}

SimulatedDriveQuery::SimulatedDriveQuery(std::shared_ptr<SimulatedMachine> machine) : machine_(std::move(machine)) {}

HANDLE SimulatedDriveQuery::NewHandle(bool volume, std::size_t index) {
    nextToken_ += 4;
    HANDLE handle = reinterpret_cast<HANDLE>(nextToken_);
    handles_[handle] = OpenTarget{volume, index};
    ++handlesOpened_;
    peakOpenHandles_ = std::max(peakOpenHandles_, static_cast<int>(handles_.size()));
    return handle;
}

const SimulatedDrive* SimulatedDriveQuery::DriveAt(const wchar_t* path, const wchar_t* prefix,
                                                   const wchar_t* suffix) const {
    if (!path) return nullptr;
    const std::size_t prefixLength = std::wcslen(prefix);
    if (std::wcsncmp(path, prefix, prefixLength) != 0) return nullptr;
    const wchar_t letter = path[prefixLength];
    if (letter == L'\0' || std::wcscmp(path + prefixLength + 1, suffix) != 0) return nullptr;
    for (const SimulatedDrive& drive : table().drives) {
        if (drive.letter == letter) return machine_->Present(letter) ? &drive : nullptr;
    }
    return nullptr;
}

const SimulatedDevice* SimulatedDriveQuery::Device(DEVINST instance) const {
    for (const SimulatedDevice& device : table().devices) {
        if (device.instance == instance) return &device;
    }
    return nullptr;
}

DWORD SimulatedDriveQuery::LogicalDriveStrings(DWORD bufferLength, wchar_t* buffer) {
    const auto guard = machine_->Guard();
    if (table().failures & kFailDriveStrings) return Failed(ERROR_NOT_READY, 0);
    DWORD present = 0;
    // A volume with no letter is no drive string.
    for (const SimulatedDrive& drive : table().drives)
        present += HasLetter(drive) && machine_->Present(drive.letter) ? 1 : 0;
    const DWORD needed = present * 4 + 1;
    if (!buffer || bufferLength < needed) return needed;
    wchar_t* out = buffer;
    for (const SimulatedDrive& drive : table().drives) {
        if (!HasLetter(drive) || !machine_->Present(drive.letter)) continue;
        *out++ = drive.letter;
        *out++ = L':';
        *out++ = L'\\';
        *out++ = L'\0';
    }
    *out = L'\0';
    return needed - 1;
}

HANDLE SimulatedDriveQuery::OpenVolume(const wchar_t* volumePath) {
    const auto guard = machine_->Guard();
    volumeOpens_.push_back(volumePath ? volumePath : L"");
    driveCalls_.push_back({"open", volumeOpens_.back(), errorMode_});
    const SimulatedDrive* drive = DriveAt(volumePath, L"\\\\?\\", L":");
    if (!drive) return Failed(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    if (drive->failures & kFailOpen) return Failed(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    const HANDLE handle = machine_->CreateFileW(volumePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
    if (handle == INVALID_HANDLE_VALUE) return handle;
    handles_[handle] = OpenTarget{true, static_cast<std::size_t>(drive - table().drives.data())};
    ++handlesOpened_;
    peakOpenHandles_ = std::max(peakOpenHandles_, static_cast<int>(handles_.size()));
    return handle;
}

HANDLE SimulatedDriveQuery::OpenDeviceInterface(const wchar_t* devicePath) {
    const auto guard = machine_->Guard();
    for (std::size_t i = 0; devicePath && i < table().interfaces.size(); ++i) {
        const SimulatedInterface& candidate = table().interfaces[i];
        if (::_wcsicmp(candidate.devicePath.c_str(), devicePath) != 0) continue;
        if (candidate.failures & kFailOpen) return Failed(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
        return NewHandle(false, i);
    }
    return Failed(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
}

bool SimulatedDriveQuery::StorageDeviceNumber(HANDLE handle, STORAGE_DEVICE_NUMBER& number) {
    const auto guard = machine_->Guard();
    const auto open = handles_.find(handle);
    if (open == handles_.end()) {
        ++misuses_;
        return Failed(ERROR_INVALID_HANDLE, false);
    }
    if (open->second.volume) {
        DWORD returned = 0;
        return machine_->DeviceIoControl(handle, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number,
                                         sizeof number, &returned) != FALSE;
    }
    const SimulatedInterface& iface = table().interfaces[open->second.index];
    if (iface.failures & kFailDeviceNumber) return Failed(ERROR_INVALID_FUNCTION, false);
    number = DiskNumber(iface.deviceNumber, 0);
    return true;
}

void SimulatedDriveQuery::CloseDeviceHandle(HANDLE handle) {
    const auto open = handles_.find(handle);
    if (open == handles_.end()) {
        ++misuses_;
        return;
    }
    if (open->second.volume) machine_->CloseHandle(handle);
    handles_.erase(open);
    ++handlesClosed_;
}

UINT SimulatedDriveQuery::DriveType(const wchar_t* rootPath) {
    const auto guard = machine_->Guard();
    driveCalls_.push_back({"type", rootPath ? rootPath : L"", errorMode_});
    const SimulatedDrive* drive = DriveAt(rootPath, L"", L":\\");
    return drive ? drive->type : DRIVE_NO_ROOT_DIR;
}

DWORD SimulatedDriveQuery::DosDeviceName(const wchar_t* deviceName, wchar_t* target, DWORD targetLength) {
    const auto guard = machine_->Guard();
    const SimulatedDrive* drive = DriveAt(deviceName, L"", L":");
    if (!drive || (drive->failures & kFailDosName)) return Failed(ERROR_FILE_NOT_FOUND, 0);
    // One name, then the empty name that ends the list.
    const DWORD needed = static_cast<DWORD>(drive->dosName.size() + 2);
    if (!target || targetLength < needed) return Failed(ERROR_INSUFFICIENT_BUFFER, 0);
    std::wmemcpy(target, drive->dosName.c_str(), drive->dosName.size());
    target[needed - 2] = L'\0';
    target[needed - 1] = L'\0';
    return needed;
}

HDEVINFO SimulatedDriveQuery::OpenInterfaceSet(const GUID& interfaceClass) {
    const auto guard = machine_->Guard();
    const bool floppy = interfaceClass == kFloppyInterfaceClass;
    const bool disk = interfaceClass == kDiskInterfaceClass;
    if ((disk && (table().failures & kFailDiskInterfaces)) || (floppy && (table().failures & kFailFloppyInterfaces)))
        return Failed(ERROR_INVALID_DATA, INVALID_HANDLE_VALUE);
    OpenSet set{interfaceClass, {}};
    for (std::size_t i = 0; i < table().interfaces.size(); ++i) {
        if ((disk && !table().interfaces[i].floppy) || (floppy && table().interfaces[i].floppy)) set.members.push_back(i);
    }
    nextToken_ += 4;
    HDEVINFO handle = reinterpret_cast<HDEVINFO>(nextToken_);
    sets_[handle] = std::move(set);
    ++setsOpened_;
    return handle;
}

bool SimulatedDriveQuery::EnumInterface(HDEVINFO set, const GUID& interfaceClass, DWORD index,
                                        SP_DEVICE_INTERFACE_DATA& data) {
    const auto open = sets_.find(set);
    if (open == sets_.end()) {
        ++misuses_;
        return Failed(ERROR_INVALID_HANDLE, false);
    }
    if (data.cbSize != sizeof data) return Failed(ERROR_INVALID_USER_BUFFER, false);
    if (!(interfaceClass == open->second.interfaceClass) || index >= open->second.members.size())
        return Failed(ERROR_NO_MORE_ITEMS, false);
    data.InterfaceClassGuid = interfaceClass;
    data.Flags = SPINT_ACTIVE;
    data.Reserved = open->second.members[index] + 1;
    return true;
}

const SimulatedInterface* SimulatedDriveQuery::InterfaceOf(HDEVINFO set, const SP_DEVICE_INTERFACE_DATA& data) {
    if (sets_.find(set) == sets_.end()) {
        ++misuses_;
        return nullptr;
    }
    if (data.Reserved == 0 || data.Reserved > table().interfaces.size()) return nullptr;
    return &table().interfaces[data.Reserved - 1];
}

DWORD SimulatedDriveQuery::InterfaceDetailSize(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data) {
    const auto guard = machine_->Guard();
    const SimulatedInterface* iface = InterfaceOf(set, data);
    if (!iface) return Failed(ERROR_INVALID_PARAMETER, 0);
    if (iface->failures & kFailDetailSize) return Failed(ERROR_INVALID_DATA, 0);
    ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return DetailSizeFor(iface->devicePath);
}

bool SimulatedDriveQuery::InterfaceDetail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data,
                                          SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD detailSize,
                                          SP_DEVINFO_DATA& info) {
    const auto guard = machine_->Guard();
    const SimulatedInterface* iface = InterfaceOf(set, data);
    if (!iface) return Failed(ERROR_INVALID_PARAMETER, false);
    if (iface->failures & kFailDetail) return Failed(ERROR_INVALID_DATA, false);
    if (!detail || detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) || info.cbSize != sizeof info)
        return Failed(ERROR_INVALID_USER_BUFFER, false);
    if (detailSize < DetailSizeFor(iface->devicePath)) return Failed(ERROR_INSUFFICIENT_BUFFER, false);
    std::wmemcpy(detail->DevicePath, iface->devicePath.c_str(), iface->devicePath.size() + 1);
    info.DevInst = iface->instance;
    return true;
}

void SimulatedDriveQuery::CloseInterfaceSet(HDEVINFO set) {
    if (sets_.erase(set) == 0) {
        ++misuses_;
        return;
    }
    ++setsClosed_;
}

CONFIGRET SimulatedDriveQuery::ParentDevice(DEVINST& parent, DEVINST child) {
    const auto guard = machine_->Guard();
    const SimulatedDevice* device = Device(child);
    if (!device || device->parent == 0 || (device->failures & kFailParent)) return CR_NO_SUCH_DEVNODE;
    parent = device->parent;
    return CR_SUCCESS;
}

CONFIGRET SimulatedDriveQuery::DeviceId(DEVINST instance, wchar_t* buffer, ULONG bufferLength) {
    const auto guard = machine_->Guard();
    if (!buffer) return CR_INVALID_POINTER;
    const SimulatedDevice* device = Device(instance);
    if (!device) return CR_NO_SUCH_DEVNODE;
    if (device->id.empty() || (device->failures & kFailDeviceId)) return CR_NO_SUCH_VALUE;
    if (device->id.size() > bufferLength) return CR_BUFFER_SMALL;
    std::wmemcpy(buffer, device->id.c_str(), device->id.size());
    if (device->id.size() < bufferLength) buffer[device->id.size()] = L'\0';
    return CR_SUCCESS;
}

UINT SimulatedDriveQuery::ExchangeErrorMode(UINT mode) { return std::exchange(errorMode_, mode); }

bool SimulatedDriveQuery::DiskFreeSpace(const wchar_t* rootPath, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                                        DWORD& freeClusters, DWORD& totalClusters) {
    const auto guard = machine_->Guard();
    errorModesDuringDiskSpace_.push_back(errorMode_);
    driveCalls_.push_back({"space", rootPath ? rootPath : L"", errorMode_});
    const SimulatedDrive* drive = DriveAt(rootPath, L"", L":");
    if (!drive) drive = DriveAt(rootPath, L"", L":\\");
    if (!drive) return Failed(ERROR_PATH_NOT_FOUND, false);
    if (drive->failures & kFailDiskSpace) return Failed(ERROR_NOT_READY, false);
    // A locked volume's files, its root among them, open for none but the
    // locking handle [FSCTL_LOCK_VOLUME IOCTL]: access denied (obs).
    if (machine_->Locked(drive->letter)) return Failed(ERROR_ACCESS_DENIED, false);
    sectorsPerCluster = drive->sectorsPerCluster;
    bytesPerSector = drive->bytesPerSector;
    freeClusters = drive->freeClusters;
    totalClusters = drive->totalClusters;
    return true;
}

bool SimulatedDriveQuery::VolumeInformation(const wchar_t* rootPath, wchar_t* volumeName, DWORD volumeNameLength,
                                            wchar_t* fileSystemName, DWORD fileSystemNameLength) {
    const auto guard = machine_->Guard();
    driveCalls_.push_back({"volume", rootPath ? rootPath : L"", errorMode_});
    const SimulatedDrive* drive = DriveAt(rootPath, L"", L":\\");
    if (!drive) return Failed(ERROR_PATH_NOT_FOUND, false);
    if (drive->failures & kFailVolumeInfo) return Failed(ERROR_NOT_READY, false);
    if (machine_->Locked(drive->letter)) return Failed(ERROR_ACCESS_DENIED, false);
    if (drive->failures & kFailRaw) return Failed(ERROR_UNRECOGNIZED_VOLUME, false);
    if (!CopyIfFits(drive->label, volumeName, volumeNameLength) ||
        !CopyIfFits(drive->fileSystem, fileSystemName, fileSystemNameLength))
        return Failed(ERROR_BAD_LENGTH, false);
    return true;
}

}  // namespace drives
