// Win32 volume device. Each operation is one system call; a failure records
// GetLastError() and its text for the run's error report.
#ifdef _WIN32

#include "devices/win_volume_device.h"

#include <winioctl.h>

#include <memory>

#include "devices/medium_identity.h"

namespace fat32 {

std::string SystemErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::unique_ptr<wchar_t, decltype(&::LocalFree)> owner(text, &::LocalFree);
    if (length == 0) return std::string();
    int units = static_cast<int>(length);
    while (units > 0 && (text[units - 1] == L'\r' || text[units - 1] == L'\n')) --units;
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, units, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

bool WinVolumeDevice::Fail() {
    const DWORD code = ::GetLastError();
    lastError_ = DeviceError{};
    lastError_.code = code;
    lastError_.text = code ? SystemErrorText(code) : std::string();
    lastError_.accessDenied = code == ERROR_ACCESS_DENIED;
    lastError_.inUse = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
    return false;
}

bool WinVolumeDevice::Control(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) {
    DWORD returned = 0;
    if (!calls_.DeviceIoControl(volume_, code, in, inSize, out, outSize, &returned))
        return Fail();
    return true;
}

bool WinVolumeDevice::Open(const char* volumePath) {
    Close();
    wchar_t path[8] = {};
    for (int i = 0; i < 7 && volumePath[i]; ++i) path[i] = static_cast<unsigned char>(volumePath[i]);
    volume_ = calls_.CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 FILE_FLAG_NO_BUFFERING);
    if (volume_ != INVALID_HANDLE_VALUE) return true;
    Fail();
    // A volume that another program has locked refuses every other open
    // with access denied, as it does a process without an administrator's
    // rights: with them, it is held.
    if (lastError_.accessDenied && calls_.ProcessElevated()) {
        lastError_.accessDenied = false;
        lastError_.inUse = true;
    }
    return false;
}

MediumFacts WinVolumeDevice::ReadMediumFacts() { return fat32::ReadMediumFacts(calls_, volume_); }

bool WinVolumeDevice::AllowExtendedAccess() {
    return Control(FSCTL_ALLOW_EXTENDED_DASD_IO, nullptr, 0, nullptr, 0);
}

bool WinVolumeDevice::Lock() { return Control(FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0); }

bool WinVolumeDevice::GetGeometry(DiskGeometry& geometry) {
    DISK_GEOMETRY disk{};
    if (!Control(IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &disk, sizeof disk)) return false;
    geometry.bytesPerSector = disk.BytesPerSector;
    geometry.sectorsPerTrack = disk.SectorsPerTrack;
    geometry.tracksPerCylinder = disk.TracksPerCylinder;
    return true;
}

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

bool WinVolumeDevice::Seek(std::uint64_t offset) {
    // The full 64-bit offset: metadata of a volume above 1 TiB with small
    // clusters lies beyond the 2 GiB that a 32-bit position reaches.
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return calls_.SetFilePointerEx(volume_, distance, nullptr, FILE_BEGIN) || Fail();
}

bool WinVolumeDevice::Write(const void* data, std::uint32_t size) {
    DWORD written = 0;
    if (!calls_.WriteFile(volume_, data, size, &written)) return Fail();
    if (written != size) {
        ::SetLastError(ERROR_WRITE_FAULT);
        return Fail();
    }
    return true;
}

bool WinVolumeDevice::Read(void* data, std::uint32_t size) {
    DWORD read = 0;
    if (!calls_.ReadFile(volume_, data, size, &read)) return Fail();
    if (read != size) {
        ::SetLastError(ERROR_READ_FAULT);
        return Fail();
    }
    return true;
}

bool WinVolumeDevice::Flush() { return calls_.FlushFileBuffers(volume_) || Fail(); }

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
