// Win32 disk device: each operation is one system call on the disk handle or
// on a volume of the disk; a failure records GetLastError() and its text.
#ifdef _WIN32

#include "devices/win_disk_device.h"

#include <winioctl.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace fat32 {

bool WinDiskDevice::Open(const char*) {
    Close();
    disk_ = calls_.CreateFileW(DiskPath(number_).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_FLAG_NO_BUFFERING);
    return disk_ != INVALID_HANDLE_VALUE || io_.Fail();
}

bool WinDiskDevice::Lock() {
    Unlock();
    // Every volume, not only those with a letter: one mounted in a folder or
    // reachable only by its GUID name is as mounted, and the disk handle may
    // not write into it unless it is locked or dismounted [KB942448].
    std::vector<std::wstring> volumes;
    if (!VolumesOnDisk(calls_, number_, volumes)) return io_.Fail();
    for (const std::wstring& path : volumes) {
        const HANDLE volume = calls_.CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
        if (volume == INVALID_HANDLE_VALUE) {
            io_.Fail();
            // A volume another program locked refuses the open itself.
            DeviceError& error = io_.LastError();
            error.inUse = error.inUse || error.accessDenied;
            Unlock();
            return false;
        }
        held_.push_back(volume);
        DWORD returned = 0;
        if (!calls_.DeviceIoControl(volume, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned) ||
            !calls_.DeviceIoControl(volume, FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0, &returned)) {
            io_.Fail();
            io_.LastError().inUse = true;
            Unlock();
            return false;
        }
    }
    return true;
}

bool WinDiskDevice::Unlock() {
    // Closing a volume's handle lets its lock go [FSCTL_LOCK_VOLUME IOCTL];
    // after a new layout the handles are dead, and close all the same.
    for (const HANDLE volume : held_) calls_.CloseHandle(volume);
    held_.clear();
    return true;
}

bool WinDiskDevice::GetGeometry(DiskGeometry& geometry) { return io_.GetGeometry(disk_, geometry); }

bool WinDiskDevice::GetPartitionInfo(PartitionInfo&) {
    ::SetLastError(ERROR_INVALID_FUNCTION);
    return io_.Fail();
}

bool WinDiskDevice::GetPartitionInfoEx(PartitionInfoEx& info) {
    DiskFacts facts;
    if (!ReadFacts(facts)) return false;
    info.style = facts.style;
    info.startingOffset = 0;
    info.partitionLength = static_cast<std::int64_t>(facts.bytes);
    return true;
}

bool WinDiskDevice::ReadFacts(DiskFacts& facts) {
    return ReadDiskFacts(calls_, disk_, facts) || io_.Fail();
}

bool WinDiskDevice::Seek(std::uint64_t offset) { return io_.Seek(disk_, offset); }

bool WinDiskDevice::Write(const void* data, std::uint32_t size) { return io_.Write(disk_, data, size); }

bool WinDiskDevice::Read(void* data, std::uint32_t size) { return io_.Read(disk_, data, size); }

bool WinDiskDevice::Flush() { return io_.Flush(disk_); }

bool WinDiskDevice::WriteSinglePartitionTable(std::uint32_t startSector, std::uint32_t sectors,
                                              std::uint8_t type) {
    // A fresh signature, so the system does not take the new disk for the
    // one it knew [IOCTL_DISK_CREATE_DISK IOCTL].
    std::random_device random;
    CREATE_DISK create{};
    create.PartitionStyle = PARTITION_STYLE_MBR;
    create.Mbr.Signature = static_cast<DWORD>(random()) | 1u;
    if (!Control(IOCTL_DISK_CREATE_DISK, &create, sizeof create, nullptr, 0)) return false;
    // Four entries, every one rewritten; the unused ones of type 0.
    constexpr DWORD kEntries = 4;
    unsigned char buffer[offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry) +
                         kEntries * sizeof(PARTITION_INFORMATION_EX)] = {};
    auto* layout = reinterpret_cast<DRIVE_LAYOUT_INFORMATION_EX*>(buffer);
    layout->PartitionStyle = PARTITION_STYLE_MBR;
    layout->PartitionCount = kEntries;
    layout->Mbr.Signature = create.Mbr.Signature;
    for (DWORD i = 0; i < kEntries; ++i) {
        layout->PartitionEntry[i].PartitionStyle = PARTITION_STYLE_MBR;
        layout->PartitionEntry[i].RewritePartition = TRUE;
    }
    PARTITION_INFORMATION_EX& entry = layout->PartitionEntry[0];
    entry.StartingOffset.QuadPart = static_cast<LONGLONG>(startSector) * 512;
    entry.PartitionLength.QuadPart = static_cast<LONGLONG>(sectors) * 512;
    entry.PartitionNumber = 1;
    entry.Mbr.PartitionType = type;
    entry.Mbr.RecognizedPartition = TRUE;
    entry.Mbr.HiddenSectors = startSector;
    return Control(IOCTL_DISK_SET_DRIVE_LAYOUT_EX, buffer, sizeof buffer, nullptr, 0);
}

void WinDiskDevice::Close() {
    Unlock();
    if (disk_ != INVALID_HANDLE_VALUE) {
        calls_.CloseHandle(disk_);
        disk_ = INVALID_HANDLE_VALUE;
    }
}

}  // namespace fat32

#endif  // _WIN32
