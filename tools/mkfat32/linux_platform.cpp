// Linux targets. The path is opened once with O_PATH and every later open
// goes through /proc/self/fd, which reaches the same file however the path
// changes meanwhile. A device that is neither USB-attached nor removable needs
// --force, as a drive letter outside the USB scan does on Windows; a whole
// disk with partitions (the kernel's, or any table libblkid knows) is refused
// whatever the flags, since formatting it would wipe them all: --mbr is the
// way to replace its table on purpose (linux_new_mbr.cpp). The whole disk is
// locked the way udev and util-linux expect before any fact that makes a
// write safe is read, and stays locked until mkfat32 ends.
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
#include "devices/device_users.h"
#include "devices/image_file_device.h"
#include "devices/linux_block_device.h"
#include "devices/mount_table.h"
#include "devices/new_mbr_device.h"
#include "format/iconv_volume_label.h"
#include "tools/mkfat32/label_report.h"

namespace mkfat32 {
namespace {

constexpr unsigned kDefaultCodePage = 850;
// Another partitioning or formatting run is usually done within seconds.
constexpr auto kLockWait = std::chrono::seconds(10);
constexpr std::uint64_t kMbrReach = 1ull << 32;  // sectors an MBR entry can end by

}  // namespace

std::string ProcPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

std::string Node(const std::string& kernelName) { return fat32::DeviceNode(kernelName); }

std::unique_ptr<Platform> MakePlatform() { return std::make_unique<LinuxPlatform>(); }

LinuxPlatform::~LinuxPlatform() {
    if (fd_ >= 0) ::close(fd_);
    if (path_ >= 0) ::close(path_);
    if (null_) std::fclose(null_);
    lock_.Release();
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
    SayWhatIsUnreachable();
    return 0;
}

void LinuxPlatform::SayWhatIsUnreachable() const {
    const std::uint64_t sectors = deviceBytes_ / 512;
    if (!args_.newMbr || sectors <= kMbrReach) return;
    Say("an MBR entry reaches only the first 2 TiB (sector 2^32): the new partition ends "
        "there, and the last " + std::to_string((sectors - kMbrReach) >> 11) +
        " MiB of the disk stay unused");
}

bool LinuxPlatform::ReadFacts() {
    if (fat32::ReadBlockFacts("/sys", major(info_.st_rdev), minor(info_.st_rdev), facts_))
        return true;
    facts_.name = args_.target;
    Say("sysfs does not know this block device");
    return false;
}

int LinuxPlatform::OpenBlockDevice() {
    block_ = true;
    if (!ReadFacts()) return fat32::kOpenFailed;
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
    if (const int refusal = LockDisk()) return refusal;
    if (const int refusal = HoldExclusively()) return refusal;
    // The facts are read again now that the disk is locked and ours alone:
    // the kernel's partitions may have changed during the retries.
    if (!ReadFacts()) return fat32::kOpenFailed;
    int readOnly = 0;
    if (::ioctl(fd_, BLKROGET, &readOnly) == 0 && readOnly) return RefuseReadOnly();
    if (::ioctl(fd_, BLKGETSIZE64, &deviceBytes_) != 0) {
        Say(std::string("its size cannot be read: ") + std::strerror(errno));
        return fat32::kGeometryFailed;
    }
    if (args_.newMbr)
        if (const int refusal = RefuseSectorSize()) return refusal;
    if (!facts_.isPartition && !args_.newMbr)
        if (const int refusal = RefuseWholeDiskWithPartitions()) return refusal;
    if (facts_.isPartition)
        if (const int refusal = RefuseUnsettableType()) return refusal;
    if (facts_.isPartition && facts_.startSector > 0xFFFFFFFFu)
        Say("the partition starts past sector 2^32, beyond what the boot sector's hidden "
            "sectors field holds; it is written as 0");
    volumeBytes_ = args_.newMbr ? std::uint64_t{fat32::NewPartitionSectors(deviceBytes_)} * 512
                                : deviceBytes_;
    SayWhatIsUnreachable();
    return 0;
}

// The lock is on the whole disk, opened by its node and checked to be the
// disk sysfs names for our descriptor's device.
int LinuxPlatform::LockDisk() {
    fat32::LockMode mode = fat32::LockMode::Wait;
    const char* variable = std::getenv("LOCK_BLOCK_DEVICE");
    if (!args_.lock.empty()) {
        fat32::ParseLockMode(args_.lock, mode);
    } else if (variable && *variable && !fat32::ParseLockMode(variable, mode)) {
        Say(std::string("LOCK_BLOCK_DEVICE=") + variable + " is none of yes, no, nonblock; "
            "nothing was written");
        return kUsageExit;
    }
    if (mode == fat32::LockMode::None) return 0;
    const std::string disk = Node(facts_.diskName);
    // Read-only: its close must not look like a writer finishing, which makes
    // udevd probe the disk again.
    const int fd = fat32::OpenDiskOf(facts_, O_RDONLY);
    if (fd < 0) {
        const int error = errno;
        Say("its disk " + disk + " cannot be opened to lock it against udev and partitioning "
            "tools (" + std::strerror(error) + "); nothing was written." +
            (error == EACCES || error == EPERM
                 ? " Run as root, or give --lock=no --keep-type to format the partition alone."
                 : " Give --lock=no to go on without the lock."));
        return fat32::kOpenFailed;
    }
    const int error = lock_.Take(fd, mode, kLockWait);
    if (error == EWOULDBLOCK) {
        Say("another program holds the lock on " + disk + " (partitioning or formatting it?); "
            "nothing was written. Try again when it has finished.");
        return fat32::kLockFailed;
    }
    if (error != 0) {
        Say("its disk " + disk + " cannot be locked (" + std::strerror(error) +
            "); nothing was written");
        return fat32::kLockFailed;
    }
    return 0;
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
    // The node still names a device the kernel no longer has: a partition
    // deleted or renumbered while the disk's lock was waited for.
    if (error == ENXIO || error == ENODEV) {
        Say(std::string("is gone (") + std::strerror(error) + "): the disk's partitions changed "
            "while mkfat32 waited for its lock; nothing was written. Check them and try again.");
        return fat32::kOpenFailed;
    }
    Say(std::string("cannot be opened for writing: ") + std::strerror(error) +
        "; nothing was written");
    return fat32::kOpenFailed;
}

void LinuxPlatform::ReportInUse() {
    Say("is in use (mounted or held by another program); unmount it first");
    const auto tell = [&](const std::string& name, unsigned devMajor, unsigned devMinor) {
        const std::string node = name == facts_.name ? Name() : Node(name);
        const std::string where = fat32::MountPointOf(devMajor, devMinor);
        if (!where.empty())
            std::fprintf(stderr, "mkfat32: %s%s mounted on %s\n", node.c_str(),
                         name == facts_.name ? ":" : " is", where.c_str());
        for (const std::string& user : fat32::OtherUsersOf(name, devMajor, devMinor))
            std::fprintf(stderr, "mkfat32: %s is in use as %s\n", node.c_str(),
                         user == "swap" ? "swap (swapoff it first)" : ("part of " + user).c_str());
    };
    tell(facts_.name, major(info_.st_rdev), minor(info_.st_rdev));
    if (facts_.isPartition) return;
    for (const fat32::KernelPartition& partition : facts_.diskPartitions)
        tell(partition.name, partition.major, partition.minor);
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
    if (label.undecodable) {
        const char* charset = ::nl_langinfo(CODESET);
        std::fprintf(stderr, "mkfat32: the label is %s %s, the locale's charset%s; set LANG to "
                             "the locale it is written in\n",
                     fat32::IsAsciiCharset(charset) ? "neither" : "not", charset,
                     fat32::IsAsciiCharset(charset) ? ", nor UTF-8" : "");
        return false;
    }
    if (!ReportLabel(label, codePage)) return false;
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

void LinuxPlatform::ReportFailure(fat32::FormatResult result) {
    if (tableError_ != 0) {
        Say(std::string("the new partition table could not be written: ") +
            std::strerror(tableError_));
        return;
    }
    if (error_.text.empty()) return;
    int readOnly = 0;
    switch (result) {
        case fat32::kOpenFailed:
            Say(error_.text);
            break;
        case fat32::kWriteFailed:
            // A stick whose write-protect switch moved, or that protects itself
            // when worn out, refuses with EPERM or EROFS.
            if (block_ && ::ioctl(fd_, BLKROGET, &readOnly) == 0 && readOnly)
                Say("writing failed: the device turned read-only (" + error_.text + ")");
            else
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
