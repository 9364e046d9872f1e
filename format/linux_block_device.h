// A Linux block device (a USB stick, one of its partitions, a loop device) as
// the format's target. The exclusive open stands for the volume lock: the
// kernel refuses it while the device, or a partition of the disk, is mounted
// or held. What the device is (partition or whole disk, where it starts)
// comes from sysfs, its partition table through libfdisk.
#pragma once

#include <string>

#include "format/block_device.h"
#include "format/partition_table.h"
#include "format/sysfs_block.h"

namespace fat32 {

class LinuxBlockDevice : public BlockDevice {
public:
    explicit LinuxBlockDevice(std::string path) : path_(std::move(path)) {}
    ~LinuxBlockDevice() override { Close(); }
    LinuxBlockDevice(const LinuxBlockDevice&) = delete;
    LinuxBlockDevice& operator=(const LinuxBlockDevice&) = delete;

    bool Open(const char* volumePath) override;
    bool AllowExtendedAccess() override { return IsOpen(); }
    bool Lock() override;
    bool GetGeometry(DiskGeometry& geometry) override;
    // Answers only for a partition of an MBR disk, as Windows does.
    bool GetPartitionInfo(PartitionInfo& info) override;
    bool GetPartitionInfoEx(PartitionInfoEx& info) override;
    bool Seek(std::uint64_t offset) override;
    bool Write(const void* data, std::uint32_t size) override;
    bool Read(void* data, std::uint32_t size) override;
    // fsync, then BLKFLSBUF: the data is on the medium, not in a cache.
    bool Flush() override;
    bool SetPartitionType(std::uint8_t type) override;
    bool Dismount() override { return IsOpen(); }
    bool Unlock() override { return IsOpen(); }
    void Close() override;
    DeviceError LastError() const override { return lastError_; }

private:
    bool IsOpen() const { return fd_ >= 0; }
    bool Fail(int errorNumber);
    bool Size(std::uint64_t& bytes);
    template <typename Io, typename Byte>
    bool Transfer(Io io, Byte* bytes, std::uint32_t size, int atEnd);

    std::string path_;
    int fd_ = -1;
    std::uint64_t position_ = 0;
    BlockFacts facts_;
    TableKind diskTable_ = TableKind::None;
    DeviceError lastError_;
};

// The size in bytes of the block device at `path`; false if it is none.
bool BlockDeviceBytes(const std::string& path, std::uint64_t& bytes);

// Makes the kernel see the disk's new table, so the node of its first
// partition appears: BLKRRPART, and where the kernel's own parsers found no
// partition 1 there (a kernel built without them), BLKPG with the extent
// given, as partx does. Returns 0 or the errno.
int AnnounceNewPartition(const std::string& diskPath, std::uint64_t startSector,
                         std::uint64_t sectors);

}  // namespace fat32
