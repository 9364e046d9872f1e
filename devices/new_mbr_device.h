// The one partition of a fresh MBR, seen through the whole disk (or image) it
// will fill: it starts at 1 MiB and runs to the end of the disk. The old
// table goes with the run's first write, the new one comes once the volume's
// primary boot sector is written and flushed: a run refused before writing
// leaves the old table, a run cut later a disk with no table, and the table
// appears only over a whole volume. So no table ever claims a partition that
// holds less than a whole file system, and the system, which mounts a new
// partition as soon as it reads the table, finds the finished volume there.
#pragma once

#include <functional>
#include <utility>

#include "format/block_device.h"

namespace fat32 {

inline constexpr std::uint32_t kNewPartitionStart = 2048;  // 1 MiB in 512-byte sectors

// Writes a table with the one partition at (startSector, sectors) of `type`.
using TableWriter =
    std::function<bool(std::uint32_t startSector, std::uint32_t sectors, std::uint8_t type)>;

// Sectors of the new partition on a disk of `diskBytes`: from 1 MiB to the
// end, but ending by sector 2^32, the last an MBR entry can reach.
std::uint32_t NewPartitionSectors(std::uint64_t diskBytes);

class NewMbrDevice : public BlockDevice {
public:
    // `tailBytes`: how much of the disk's end the first write clears, a
    // GPT's backup header (one sector) or its entries too.
    NewMbrDevice(BlockDevice& disk, TableWriter writeTable, std::uint32_t tailBytes = 512)
        : disk_(disk), writeTable_(std::move(writeTable)), tailBytes_(tailBytes) {}

    bool Open(const char* volumePath) override { return disk_.Open(volumePath); }
    bool AllowExtendedAccess() override { return disk_.AllowExtendedAccess(); }
    bool Lock() override { return disk_.Lock(); }
    bool GetGeometry(DiskGeometry& geometry) override { return disk_.GetGeometry(geometry); }
    bool GetPartitionInfo(PartitionInfo& info) override;
    bool GetPartitionInfoEx(PartitionInfoEx& info) override;
    bool Seek(std::uint64_t offset) override;
    // The first write also clears what is left of the old layout outside the
    // volume: the table and what follows it in the first MiB, a GPT backup
    // header at the disk's end (`tailBytes`).
    bool Write(const void* data, std::uint32_t size) override;
    bool Read(void* data, std::uint32_t size) override { return disk_.Read(data, size); }
    // The flush that follows the boot sector also writes the new table, so a
    // table that cannot be written fails the run as a write does.
    bool Flush() override;
    bool BeforeBootSector() override;
    // The type went in with the table.
    bool SetPartitionType(std::uint8_t) override { return true; }
    bool Dismount() override { return disk_.Dismount(); }
    bool Unlock() override { return disk_.Unlock(); }
    void Close() override { disk_.Close(); }
    DeviceError LastError() const override { return disk_.LastError(); }

private:
    bool Measure();
    bool ClearOldLayout();

    BlockDevice& disk_;
    TableWriter writeTable_;
    std::uint32_t tailBytes_;
    std::uint64_t diskBytes_ = 0;
    std::uint32_t sectors_ = 0;
    std::uint64_t position_ = 0;  // in the partition
    bool cleared_ = false;
    bool bootSectorNext_ = false;
    bool tableWritten_ = false;
};

}  // namespace fat32
