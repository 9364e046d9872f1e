// Linux targets. The path is opened once with O_PATH and every later open
// goes through /proc/self/fd, which reaches the same file however the path
// changes meanwhile. A device that is neither USB-attached nor removable needs
// --force, as a drive letter outside the USB scan does on Windows; a whole
// disk with partitions (the kernel's, or any table libblkid knows) is refused
// whatever the flags, since formatting it would wipe them all: --mbr is the
// way to replace its table on purpose, and it takes the kernel's old
// partitions away before it writes.
#include "tools/mkfat32/linux_platform.h"

#include <fcntl.h>
#include <langinfo.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "devices/blkid_probe.h"
#include "format/iconv_volume_label.h"
#include "devices/image_file_device.h"
#include "devices/kernel_partitions.h"
#include "devices/linux_block_device.h"
#include "devices/mount_table.h"
#include "devices/new_mbr_device.h"
#include "devices/partition_table.h"

namespace mkfat32 {
namespace {

// udev or devtmpfs creates a new partition's node shortly after the kernel
// learns of it.
constexpr int kNodeWaitSteps = 50;
constexpr auto kNodeWaitStep = std::chrono::milliseconds(100);
constexpr unsigned kDefaultCodePage = 850;

std::string ProcPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

std::string Node(const std::string& kernelName) { return fat32::DeviceNode(kernelName); }

}  // namespace

std::unique_ptr<Platform> MakePlatform() { return std::make_unique<LinuxPlatform>(); }

LinuxPlatform::~LinuxPlatform() {
    if (fd_ >= 0) ::close(fd_);
    if (path_ >= 0) ::close(path_);
    if (null_) std::fclose(null_);
}

std::string LinuxPlatform::Name() const {
    if (!block_) return args_.target;
    const std::string node = Node(facts_.name);
    return node == args_.target ? node : node + " (" + args_.target + ")";
}

void LinuxPlatform::Say(const std::string& text) const {
    std::fprintf(stderr, "mkfat32: %s: %s\n", Name().c_str(), text.c_str());
}

int LinuxPlatform::Open(const Arguments& args) {
    args_ = args;
    path_ = ::open(args.target.c_str(), O_PATH | O_CLOEXEC);
    if (path_ < 0 || ::fstat(path_, &info_) != 0) {
        Say(std::strerror(errno));
        return fat32::kOpenFailed;
    }
    if (S_ISREG(info_.st_mode)) return OpenImage();
    if (S_ISBLK(info_.st_mode)) return OpenBlockDevice();
    Say("neither a block device nor an image file; nothing was written");
    return kUsageExit;
}

int LinuxPlatform::OpenImage() {
    fd_ = ::open(ProcPath(path_).c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        Say(std::strerror(errno));
        return fat32::kOpenFailed;
    }
    deviceBytes_ = static_cast<std::uint64_t>(info_.st_size);
    volumeBytes_ = args_.newMbr ? std::uint64_t{fat32::NewPartitionSectors(deviceBytes_)} * 512
                                : deviceBytes_;
    return 0;
}

int LinuxPlatform::OpenBlockDevice() {
    block_ = true;
    if (!fat32::ReadBlockFacts("/sys", major(info_.st_rdev), minor(info_.st_rdev), facts_)) {
        facts_.name = args_.target;
        Say("sysfs does not know this block device");
        return fat32::kOpenFailed;
    }
    if (args_.imageOptions) {
        Say("a block device: --hidden, --partition, --geometry, --sector-size, --fake-capacity "
            "and the like are for image files");
        return kUsageExit;
    }
    if (facts_.isPartition && args_.newMbr) {
        Say("--mbr replaces the table of a whole disk: give " + Node(facts_.diskName) +
            ", not its partition");
        return kUsageExit;
    }
    if (facts_.readOnly) return RefuseReadOnly();
    if (!args_.force && !facts_.usb && !facts_.removable) {
        Say("neither USB-attached nor removable (an internal or virtual disk?); nothing was "
            "written. Give --force to format it anyway.");
        return kNotUsbExit;
    }
    if (const int refusal = HoldExclusively()) return refusal;
    int readOnly = 0;
    if (::ioctl(fd_, BLKROGET, &readOnly) == 0 && readOnly) return RefuseReadOnly();
    if (::ioctl(fd_, BLKGETSIZE64, &deviceBytes_) != 0) {
        Say(std::string("its size cannot be read: ") + std::strerror(errno));
        return fat32::kGeometryFailed;
    }
    if (!facts_.isPartition && !args_.newMbr)
        if (const int refusal = RefuseWholeDiskWithPartitions()) return refusal;
    if (facts_.isPartition && facts_.startSector > 0xFFFFFFFFu)
        Say("the partition starts past sector 2^32, beyond what the boot sector's hidden "
            "sectors field holds; it is written as 0");
    volumeBytes_ = args_.newMbr ? std::uint64_t{fat32::NewPartitionSectors(deviceBytes_)} * 512
                                : deviceBytes_;
    return args_.newMbr ? TakeOldPartitions() : 0;
}

int LinuxPlatform::RefuseReadOnly() {
    Say("the device is read-only; nothing was written");
    return fat32::kOpenFailed;
}

// O_EXCL keeps mounts and other exclusive openers out for as long as the
// descriptor lives, and fails while they hold the device: retried as the
// Windows lock is, for a desktop that is still looking at a new stick.
int LinuxPlatform::HoldExclusively() {
    int error = 0;
    for (int attempt = 1; attempt <= fat32::kLockAttempts; ++attempt) {
        fd_ = ::open(ProcPath(path_).c_str(), O_RDWR | O_EXCL | O_CLOEXEC);
        if (fd_ >= 0) return 0;
        error = errno;
        if (error != EBUSY) break;
        if (attempt < fat32::kLockAttempts)
            std::this_thread::sleep_for(std::chrono::milliseconds(fat32::kLockRetryMilliseconds));
    }
    if (error == EBUSY) {
        ReportInUse();
        return fat32::kLockFailed;
    }
    if (error == EROFS) return RefuseReadOnly();
    Say(std::string("cannot be opened for writing: ") + std::strerror(error) +
        "; nothing was written");
    return fat32::kOpenFailed;
}

void LinuxPlatform::ReportInUse() {
    Say("is in use (mounted or held by another program); unmount it first");
    const std::string self = fat32::MountPointOf(major(info_.st_rdev), minor(info_.st_rdev));
    if (!self.empty()) Say("mounted on " + self);
    if (facts_.isPartition) return;
    for (const fat32::KernelPartition& partition : facts_.diskPartitions) {
        const std::string where = fat32::MountPointOf(partition.major, partition.minor);
        if (!where.empty())
            std::fprintf(stderr, "mkfat32: %s is mounted on %s\n", Node(partition.name).c_str(),
                         where.c_str());
    }
}

int LinuxPlatform::RefuseWholeDiskWithPartitions() {
    std::string names;
    for (const fat32::KernelPartition& partition : facts_.diskPartitions)
        names += (names.empty() ? "" : ", ") + Node(partition.name);
    fat32::ProbedTable table;
    if (!fat32::ProbePartitionTable(fd_, table)) {
        Say("its partition table cannot be read; nothing was written");
        return kNotUsbExit;
    }
    if (names.empty() && table.partitions == 0) return 0;
    if (names.empty())
        names = "a " + table.type + " table with " + std::to_string(table.partitions) +
                " partition(s) the kernel does not show";
    Say("a whole disk holding partitions (" + names + "); nothing was written. Format one of "
        "them, or give --mbr to replace the table with one FAT32 partition over the whole disk.");
    return kNotUsbExit;
}

// The kernel forgets every old partition before the first write, so nothing
// can open one over the new volume; one that is open or mounted cannot be
// taken, and then the run stops with the others given back.
int LinuxPlatform::TakeOldPartitions() {
    for (const fat32::KernelPartition& partition : facts_.diskPartitions) {
        const int error = fat32::DeleteKernelPartition(fd_, partition.number);
        if (error == 0) {
            taken_.push_back(partition);
            continue;
        }
        GiveBackOldPartitions();
        if (error != EBUSY) {
            Say("its partition " + Node(partition.name) + " cannot be taken from the kernel (" +
                std::strerror(error) + "); nothing was written");
            return fat32::kOpenFailed;
        }
        const std::string where = fat32::MountPointOf(partition.major, partition.minor);
        Say("its partition " + Node(partition.name) + " is in use (" +
            (where.empty() ? std::string("open in another program") : "mounted on " + where) +
            "); nothing was written");
        return fat32::kLockFailed;
    }
    return 0;
}

void LinuxPlatform::GiveBackOldPartitions() {
    bool whole = true;
    for (const fat32::KernelPartition& partition : taken_)
        whole = fat32::AddKernelPartition(fd_, partition.number, partition.startSector,
                                          partition.sectors) == 0 && whole;
    if (!whole) fat32::RereadPartitionTable(fd_);
    taken_.clear();
}

void LinuxPlatform::AnnounceNewPartition() {
    const std::uint32_t sectors = fat32::NewPartitionSectors(deviceBytes_);
    // EBUSY: the kernel already has the partition from reading the table.
    int error = fat32::AddKernelPartition(fd_, 1, fat32::kNewPartitionStart, sectors);
    if (error != 0 && error != EBUSY) error = fat32::RereadPartitionTable(fd_);
    if (error != 0 && error != EBUSY) {
        Say(std::string("the kernel did not take the new partition (") + std::strerror(error) +
            "); unplug the stick and plug it in again to see it");
        return;
    }
    fat32::BlockFacts disk;
    if (!fat32::ReadBlockFacts("/sys", facts_.diskMajor, facts_.diskMinor, disk)) return;
    for (const fat32::KernelPartition& partition : disk.diskPartitions) {
        if (partition.number != 1) continue;
        const std::string node = Node(partition.name);
        for (int step = 0; step < kNodeWaitSteps && ::access(node.c_str(), F_OK) != 0; ++step)
            std::this_thread::sleep_for(kNodeWaitStep);
        std::printf("mkfat32: the new FAT32 partition is %s\n", node.c_str());
    }
}

bool LinuxPlatform::LabelBytes(const Arguments& args, std::string& bytes) {
    bytes.clear();
    if (!args.hasLabel) return true;
    std::setlocale(LC_CTYPE, "");
    const unsigned codePage = args.codePage ? args.codePage : kDefaultCodePage;
    const fat32::LabelConversion label =
        fat32::ConvertVolumeLabel(args.label, ::nl_langinfo(CODESET), codePage);
    if (!label.known) {
        std::fprintf(stderr, "mkfat32: iconv cannot convert %s to code page %u\n",
                     ::nl_langinfo(CODESET), codePage);
        return false;
    }
    if (label.replaced)
        std::fprintf(stderr, "mkfat32: code page %u lacks a character of the label; it is "
                             "stored as _\n", codePage);
    if (label.cut)
        std::fprintf(stderr, "mkfat32: the label is cut to %u bytes\n",
                     static_cast<unsigned>(label.bytes.size()));
    bytes = label.bytes;
    return true;
}

bool LinuxPlatform::ChineseTexts() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return std::strncmp(value, "zh_CN", 5) == 0;
    }
    return false;
}

std::FILE* LinuxPlatform::NullStream() {
    if (!null_) null_ = std::fopen("/dev/null", "w");
    return null_;
}

fat32::FormatResult LinuxPlatform::Format(fat32::FormatRequest& request,
                                          fat32::FormatOptions& options) {
    // A failed write is told by ReportFailure, in this system's words.
    if (std::FILE* quiet = NullStream()) options.err = quiet;
    if (block_) return FormatBlockDevice(request, options);
    fat32::ImageFileDevice image(ProcPath(path_), args_.image);
    return FormatOn(image, request, options);
}

// Formats `disk` itself, or with --mbr the one partition of a new table on it.
fat32::FormatResult LinuxPlatform::FormatOn(fat32::BlockDevice& disk, fat32::FormatRequest& request,
                                            const fat32::FormatOptions& options) {
    fat32::NewMbrDevice partition(disk, [&](std::uint32_t start, std::uint32_t sectors,
                                            std::uint8_t type) {
        return fat32::WriteSinglePartitionMbr(fd_, start, sectors, type);
    });
    fat32::BlockDevice& target = args_.newMbr ? static_cast<fat32::BlockDevice&>(partition) : disk;
    const fat32::FormatResult result = fat32::FormatVolume(target, 'Z', request, options);
    error_ = target.LastError();
    return result;
}

fat32::FormatResult LinuxPlatform::FormatBlockDevice(fat32::FormatRequest& request,
                                                     const fat32::FormatOptions& options) {
    fat32::LinuxBlockDevice device(fd_, facts_, [this](const std::string& text) { Say(text); });
    const fat32::FormatResult result = FormatOn(device, request, options);
    if (!args_.newMbr) return result;
    if (result == fat32::kFormatOk) {
        AnnounceNewPartition();
    } else if (!device.Wrote()) {
        GiveBackOldPartitions();
    } else if (const int error = fat32::RereadPartitionTable(fd_)) {
        Say(std::string("the kernel did not read the disk again (") + std::strerror(error) +
            "); unplug the stick and plug it in again");
    }
    return result;
}

void LinuxPlatform::ReportFailure(fat32::FormatResult result) {
    if (error_.text.empty()) return;
    switch (result) {
        case fat32::kOpenFailed:
            Say(error_.text);
            break;
        case fat32::kWriteFailed:
            Say("writing failed: " + error_.text + " (the device gone, shrunk or failing?)");
            break;
        case fat32::kSetPartitionTypeFailed:
            Say("the partition's type could not be set: " + error_.text);
            break;
        default:
            break;
    }
}

}  // namespace mkfat32
