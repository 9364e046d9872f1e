// mkfat32 on Linux: an image file or a block device as the target, opened
// once (the path is resolved a single time; every later open goes through
// that descriptor), with the checks that keep it off the wrong disk, the
// whole disk locked against udev and partitioning tools for the whole run,
// and --mbr, which gives a whole disk or image a fresh table with one FAT32
// partition before formatting that partition (linux_new_mbr.cpp).
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "devices/blkid_probe.h"
#include "devices/disk_lock.h"
#include "devices/sysfs_block.h"
#include "tools/mkfat32/platform.h"

namespace mkfat32 {

// The path that reaches the file open at `fd`, however its name changes.
std::string ProcPath(int fd);
// The device node of a block device as sysfs names it.
std::string Node(const std::string& kernelName);

class LinuxPlatform : public Platform {
public:
    LinuxPlatform() = default;
    ~LinuxPlatform() override;
    LinuxPlatform(const LinuxPlatform&) = delete;
    LinuxPlatform& operator=(const LinuxPlatform&) = delete;

    int Open(const Arguments& args) override;
    std::uint64_t VolumeBytes() override { return volumeBytes_; }
    bool LabelBytes(const Arguments& args, std::string& bytes) override;
    bool ChineseTexts() override;
    fat32::FormatResult Format(fat32::FormatRequest& request,
                               fat32::FormatOptions& options) override;
    void ReportFailure(fat32::FormatResult result) override;
    std::FILE* NullStream() override;

private:
    int OpenImage();
    int OpenBlockDevice();
    bool ReadFacts();
    int LockDisk();
    int HoldExclusively();
    int RefuseReadOnly();
    int RefuseWholeDiskWithPartitions();
    // A partition and its table's entry (linux_partition_entry.cpp).
    int RefuseUnsettableType();
    int RefuseStrayPartition(const fat32::ProbedTable& table);
    fat32::FormatResult CheckVolumeFits(fat32::FormatResult result);
    void SayWhatIsUnreachable() const;
    // --mbr on a block device (linux_new_mbr.cpp).
    int RefuseSectorSize();
    bool EngineWouldRefuse(const fat32::FormatRequest& request) const;
    int TakeOldPartitions();
    void GiveBackOldPartitions();
    fat32::FormatResult SettleNewPartition(fat32::FormatResult result);
    void AnnounceNewPartition();
    fat32::FormatResult FormatBlockDevice(fat32::FormatRequest& request,
                                          const fat32::FormatOptions& options);
    fat32::FormatResult FormatOn(fat32::BlockDevice& disk, fat32::FormatRequest& request,
                                 const fat32::FormatOptions& options);
    void ReportInUse();
    // "mkfat32: NAME: TEXT" on standard error.
    void Say(const std::string& text) const;
    // The device by its kernel name, and the path as typed where it differs.
    std::string Name() const;

    Arguments args_;
    int path_ = -1;  // O_PATH: the target as the path named it when mkfat32 began
    int fd_ = -1;    // the same file opened for writing (exclusively, for a device)
    struct stat info_ {};
    bool block_ = false;
    bool setType_ = true;      // the partition's MBR entry gets type 0x0C
    int tableError_ = 0;       // why --mbr's table could not be written
    bool tableWritten_ = false;
    fat32::BlockFacts facts_;
    std::uint64_t deviceBytes_ = 0;
    std::uint64_t volumeBytes_ = 0;
    std::vector<fat32::KernelPartition> taken_;  // deleted from the kernel by --mbr
    fat32::DeviceError error_;
    std::FILE* null_ = nullptr;
    // Released explicitly at the end of the destructor, once fd_ is closed:
    // the disk is unlocked only when mkfat32 is done with it and the
    // kernel's partitions are final.
    fat32::DiskLock lock_;
};

}  // namespace mkfat32
