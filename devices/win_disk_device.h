// A whole USB disk opened as "\\.\PhysicalDriveN" for a new layout. Its lock
// is every volume of the disk locked, dismounted and held open until the
// device is unlocked or closed, so no file system writes by the old layout
// while the disk is rewritten, and the disk handle may write where those
// volumes lay (KB942448). Its table is written through the layout codes.
// Formatted through NewMbrDevice, which serves the new partition's window.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <vector>

#include "devices/disk_facts.h"
#include "devices/handle_calls.h"
#include "devices/volume_calls.h"
#include "format/block_device.h"

namespace fat32 {

class WinDiskDevice : public BlockDevice {
public:
    WinDiskDevice(VolumeCalls& calls, DWORD number) : calls_(calls), io_(calls), number_(number) {}
    ~WinDiskDevice() override { Close(); }
    WinDiskDevice(const WinDiskDevice&) = delete;
    WinDiskDevice& operator=(const WinDiskDevice&) = delete;

    // Opens disk `number` for reading and writing; the engine's volume path
    // is not this device's name.
    bool Open(const char* volumePath) override;
    // A disk handle reaches every sector of the disk.
    bool AllowExtendedAccess() override { return true; }
    // Locks and dismounts every volume of the disk, keeping their handles; on
    // a refusal lets go of those already taken.
    bool Lock() override;
    bool GetGeometry(DiskGeometry& geometry) override;
    // The partition query of a disk: none.
    bool GetPartitionInfo(PartitionInfo& info) override;
    // The whole disk: its style, offset 0, its length.
    bool GetPartitionInfoEx(PartitionInfoEx& info) override;
    bool Seek(std::uint64_t offset) override;
    bool Write(const void* data, std::uint32_t size) override;
    bool Read(void* data, std::uint32_t size) override;
    bool Flush() override;
    bool SetPartitionType(std::uint8_t) override { return true; }
    // The volumes were dismounted with the lock.
    bool Dismount() override { return true; }
    bool Unlock() override;
    void Close() override;
    DeviceError LastError() const override { return io_.LastError(); }

    // The facts asked of the handle that writes.
    bool ReadFacts(DiskFacts& facts);
    // A blank MBR with a fresh signature (IOCTL_DISK_CREATE_DISK), then its
    // one partition (IOCTL_DISK_SET_DRIVE_LAYOUT_EX).
    bool WriteSinglePartitionTable(std::uint32_t startSector, std::uint32_t sectors, std::uint8_t type);

private:
    bool Control(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) {
        return io_.Control(disk_, code, in, inSize, out, outSize);
    }

    VolumeCalls& calls_;
    HandleCalls io_;
    DWORD number_;
    HANDLE disk_ = INVALID_HANDLE_VALUE;
    std::vector<HANDLE> held_;  // the disk's volumes, locked and dismounted
};

}  // namespace fat32

#endif  // _WIN32
