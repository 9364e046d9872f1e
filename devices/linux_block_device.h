// A Linux block device (a USB stick, one of its partitions, a loop device) as
// the format's target, served through one descriptor that the caller opened
// once, exclusively, and keeps: the exclusive open stands for the volume lock
// (the kernel refuses it while the device, or a partition of the disk, is
// mounted or held exclusively). What the device is comes from that
// descriptor: sysfs through its device number, libblkid for the table.
#pragma once

#include <string>

#include "format/block_device.h"
#include "devices/sysfs_block.h"

namespace fat32 {

// The whole disk that `facts` name, opened by its node with `flags` (and
// O_CLOEXEC): the node must be the device sysfs gave as the disk, or it is
// some other disk (ENODEV). -1 with errno set on failure.
int OpenDiskOf(const BlockFacts& facts, int flags);

class LinuxBlockDevice : public BlockDevice {
public:
    // `fd` stays the caller's; `facts` are sysfs's for it. Without `setType`
    // the partition's entry keeps its type.
    LinuxBlockDevice(int fd, BlockFacts facts, bool setType = true);
    LinuxBlockDevice(const LinuxBlockDevice&) = delete;
    LinuxBlockDevice& operator=(const LinuxBlockDevice&) = delete;

    bool Open(const char* volumePath) override;
    bool AllowExtendedAccess() override { return IsOpen(); }
    bool Lock() override { return IsOpen() || Fail(EBADF); }
    bool GetGeometry(DiskGeometry& geometry) override;
    // Answers only for a partition of an MBR disk, as Windows does.
    bool GetPartitionInfo(PartitionInfo& info) override;
    bool GetPartitionInfoEx(PartitionInfoEx& info) override;
    bool Seek(std::uint64_t offset) override;
    bool Write(const void* data, std::uint32_t size) override;
    bool Read(void* data, std::uint32_t size) override;
    // fsync; then BLKFLSBUF where the kernel allows it (root only).
    bool Flush() override;
    // A whole disk loses a GPT backup header in its last sector, which repair
    // tools would otherwise offer to restore over the new volume.
    bool BeforeBootSector() override;
    // Retypes the MBR entry whose extent is this partition's; fails when no
    // entry has it (the caller found one before writing).
    bool SetPartitionType(std::uint8_t type) override;
    bool Dismount() override { return IsOpen(); }
    bool Unlock() override { return IsOpen(); }
    void Close() override { open_ = false; }
    DeviceError LastError() const override { return lastError_; }

    // Whether anything was written to the device.
    bool Wrote() const { return wrote_; }

private:
    bool IsOpen() const { return open_; }
    bool Fail(int errorNumber);
    bool Size(std::uint64_t& bytes);
    template <typename Io, typename Byte>
    bool Transfer(Io io, Byte* bytes, std::uint32_t size, int atEnd);

    int fd_;
    bool open_ = false;
    bool wrote_ = false;
    std::uint64_t position_ = 0;
    BlockFacts facts_;
    std::string scheme_;  // the table holding a partition: "dos", "gpt", ...
    bool setType_;
    DeviceError lastError_;
};

}  // namespace fat32
