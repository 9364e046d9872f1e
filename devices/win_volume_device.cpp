// Win32 volume device. Each operation is one system call; a failure records
// GetLastError() and its text for the run's error report.
#ifdef _WIN32

#include "devices/win_volume_device.h"

#include <winioctl.h>

#include "devices/medium_identity.h"

namespace fat32 {

bool WinVolumeDevice::Open(const char* volumePath) {
    Close();
    wchar_t path[8] = {};
    for (int i = 0; i < 7 && volumePath[i]; ++i) path[i] = static_cast<unsigned char>(volumePath[i]);
    volume_ = calls_.CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 FILE_FLAG_NO_BUFFERING);
    if (volume_ != INVALID_HANDLE_VALUE) return true;
    io_.Fail();
    // A volume that another program has locked refuses every other open
    // with access denied, as it does a process without an administrator's
    // rights: with them, it is held.
    DeviceError& error = io_.LastError();
    if (error.accessDenied && calls_.ProcessElevated()) {
        error.accessDenied = false;
        error.inUse = true;
    }
    return false;
}

MediumFacts WinVolumeDevice::ReadMediumFacts() { return fat32::ReadMediumFacts(calls_, volume_); }

bool WinVolumeDevice::AllowExtendedAccess() {
    return Control(FSCTL_ALLOW_EXTENDED_DASD_IO, nullptr, 0, nullptr, 0);
}

bool WinVolumeDevice::Lock() { return Control(FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0); }

bool WinVolumeDevice::GetGeometry(DiskGeometry& geometry) { return io_.GetGeometry(volume_, geometry); }

bool WinVolumeDevice::GetPartitionInfo(PartitionInfo& info) {
    PARTITION_INFORMATION partition{};
    if (!Control(IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &partition, sizeof partition))
        return false;
    info.partitionLength = partition.PartitionLength.QuadPart;
    info.hiddenSectors = partition.HiddenSectors;
    return true;
}

bool WinVolumeDevice::GetPartitionInfoEx(PartitionInfoEx& info) {
    PARTITION_INFORMATION_EX partition{};
    if (!Control(IOCTL_DISK_GET_PARTITION_INFO_EX, nullptr, 0, &partition, sizeof partition))
        return false;
    info.style = static_cast<PartitionStyle>(partition.PartitionStyle);
    info.startingOffset = partition.StartingOffset.QuadPart;
    info.partitionLength = partition.PartitionLength.QuadPart;
    return true;
}

bool WinVolumeDevice::Seek(std::uint64_t offset) { return io_.Seek(volume_, offset); }

bool WinVolumeDevice::Write(const void* data, std::uint32_t size) {
    return io_.Write(volume_, data, size);
}

bool WinVolumeDevice::Read(void* data, std::uint32_t size) { return io_.Read(volume_, data, size); }

bool WinVolumeDevice::Flush() { return io_.Flush(volume_); }

bool WinVolumeDevice::SetPartitionType(std::uint8_t type) {
    SET_PARTITION_INFORMATION partition{};
    partition.PartitionType = type;
    return Control(IOCTL_DISK_SET_PARTITION_INFO, &partition, sizeof partition, nullptr, 0);
}

bool WinVolumeDevice::Dismount() { return Control(FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0); }

bool WinVolumeDevice::Unlock() { return Control(FSCTL_UNLOCK_VOLUME, nullptr, 0, nullptr, 0); }

void WinVolumeDevice::Close() {
    if (volume_ != INVALID_HANDLE_VALUE) {
        calls_.CloseHandle(volume_);
        volume_ = INVALID_HANDLE_VALUE;
    }
}

}  // namespace fat32

#endif  // _WIN32
