// The block device through a file descriptor. Writes go through the page
// cache; Flush pushes them to the device, so what the command reports as done
// is on the stick.
#include "devices/linux_block_device.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "devices/blkid_probe.h"
#include "devices/partition_table.h"

namespace fat32 {
namespace {

// Geometry a device without HDIO_GETGEO (loop, most USB bridges) is given,
// the same as an image file's.
constexpr std::uint32_t kDefaultSectorsPerTrack = 63;
constexpr std::uint32_t kDefaultHeads = 255;
constexpr std::uint64_t kSector = 512;

// Closes a descriptor this file opened itself.
struct OwnedFd {
    int fd;
    ~OwnedFd() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

int OpenDiskOf(const BlockFacts& facts, int flags) {
    const int fd = ::open(DeviceNode(facts.diskName).c_str(), flags | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || (::fstat(fd, &info) == 0 && S_ISBLK(info.st_mode) &&
                   info.st_rdev == makedev(facts.diskMajor, facts.diskMinor)))
        return fd;
    ::close(fd);
    errno = ENODEV;
    return -1;
}

LinuxBlockDevice::LinuxBlockDevice(int fd, BlockFacts facts, bool setType)
    : fd_(fd), facts_(std::move(facts)), setType_(setType) {
    if (!facts_.isPartition) return;
    // No entry of the disk's table may describe the partition (the table
    // changed since the kernel read it); the table's type still tells.
    scheme_ = ProbeEntryScheme(fd_);
    ProbedTable table;
    OwnedFd disk{scheme_.empty() ? OpenDiskOf(facts_, O_RDONLY) : -1};
    if (disk.fd >= 0 && ProbePartitionTable(disk.fd, table)) scheme_ = table.type;
}

bool LinuxBlockDevice::Fail(int errorNumber) {
    lastError_ = ErrnoError(errorNumber);
    return false;
}

bool LinuxBlockDevice::Open(const char* /*volumePath*/) {
    if (fd_ < 0) return Fail(EBADF);
    open_ = true;
    position_ = 0;
    return true;
}

bool LinuxBlockDevice::Size(std::uint64_t& bytes) {
    return ::ioctl(fd_, BLKGETSIZE64, &bytes) == 0 || Fail(errno);
}

bool LinuxBlockDevice::GetGeometry(DiskGeometry& geometry) {
    if (!IsOpen()) return Fail(EBADF);
    int sectorSize = 0;
    if (::ioctl(fd_, BLKSSZGET, &sectorSize) != 0) return Fail(errno);
    geometry.bytesPerSector = static_cast<std::uint32_t>(sectorSize);
    hd_geometry chs{};
    const bool answered = ::ioctl(fd_, HDIO_GETGEO, &chs) == 0 && chs.sectors && chs.heads;
    geometry.sectorsPerTrack = answered ? chs.sectors : kDefaultSectorsPerTrack;
    geometry.tracksPerCylinder = answered ? chs.heads : kDefaultHeads;
    return true;
}

bool LinuxBlockDevice::GetPartitionInfo(PartitionInfo& info) {
    std::uint64_t bytes = 0;
    if (!IsOpen() || !facts_.isPartition || scheme_ != "dos") return Fail(EINVAL);
    if (!Size(bytes)) return false;
    info.partitionLength = static_cast<std::int64_t>(bytes);
    // The field holds 32 bits; a start beyond them is no start at all.
    info.hiddenSectors =
        facts_.startSector > 0xFFFFFFFFu ? 0 : static_cast<std::uint32_t>(facts_.startSector);
    return true;
}

bool LinuxBlockDevice::GetPartitionInfoEx(PartitionInfoEx& info) {
    std::uint64_t bytes = 0;
    if (!IsOpen()) return Fail(EBADF);
    if (!Size(bytes)) return false;
    // A whole disk is one volume without a table in front of it.
    info.style = !facts_.isPartition ? PartitionStyle::Raw
                 : scheme_ == "dos"  ? PartitionStyle::Mbr
                 : scheme_ == "gpt"  ? PartitionStyle::Gpt
                                     : PartitionStyle::Raw;
    info.startingOffset = static_cast<std::int64_t>(facts_.startSector * kSector);
    info.partitionLength = static_cast<std::int64_t>(bytes);
    return true;
}

bool LinuxBlockDevice::Seek(std::uint64_t offset) {
    if (!IsOpen()) return Fail(EBADF);
    position_ = offset;
    return true;
}

// Moves all `size` bytes at the position with pread or pwrite, which may do
// part of it or be interrupted. 0 bytes done means the device's end: no space
// for a write (`atEnd` ENOSPC), an I/O error for a read.
template <typename Io, typename Byte>
bool LinuxBlockDevice::Transfer(Io io, Byte* bytes, std::uint32_t size, int atEnd) {
    if (!IsOpen()) return Fail(EBADF);
    for (std::uint32_t left = size; left > 0;) {
        const ssize_t done = io(fd_, bytes, left, static_cast<off_t>(position_));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return Fail(done < 0 ? errno : atEnd);
        bytes += done;
        left -= static_cast<std::uint32_t>(done);
        position_ += static_cast<std::uint64_t>(done);
    }
    return true;
}

bool LinuxBlockDevice::Write(const void* data, std::uint32_t size) {
    wrote_ = true;
    return Transfer(::pwrite, static_cast<const std::uint8_t*>(data), size, ENOSPC);
}

bool LinuxBlockDevice::Read(void* data, std::uint32_t size) {
    return Transfer(::pread, static_cast<std::uint8_t*>(data), size, EIO);
}

bool LinuxBlockDevice::Flush() {
    if (!IsOpen()) return Fail(EBADF);
    if (::fsync(fd_) != 0) return Fail(errno);
    // Dropping the cache needs CAP_SYS_ADMIN; fsync alone already put the
    // writes on the device, so a refusal here changes nothing.
    ::ioctl(fd_, BLKFLSBUF, 0);
    return true;
}

bool LinuxBlockDevice::BeforeBootSector() {
    std::uint64_t bytes = 0;
    if (!IsOpen()) return Fail(EBADF);
    if (facts_.isPartition) return true;
    if (!Size(bytes) || bytes < kSector) return false;
    std::vector<std::uint8_t> sector(kSector);
    const std::uint64_t last = bytes / kSector * kSector - kSector;
    if (!ReadAt(last, sector.data(), kSector)) return false;
    if (std::memcmp(sector.data(), "EFI PART", 8) != 0) return true;
    std::fill(sector.begin(), sector.end(), 0);
    return WriteAt(last, sector.data(), kSector) && Flush();
}

bool LinuxBlockDevice::SetPartitionType(std::uint8_t type) {
    if (IsOpen() && !setType_) return true;
    if (!IsOpen() || !facts_.isPartition || scheme_ != "dos") return Fail(EINVAL);
    OwnedFd disk{OpenDiskOf(facts_, O_RDWR)};
    if (disk.fd < 0) return Fail(errno);
    switch (fat32::SetMbrPartitionType(disk.fd, facts_.startSector, facts_.sectors, type)) {
        case TypeChange::Set:
            return true;
        case TypeChange::NoMatchingEntry:
            // The entry was there before the first write: the table changed
            // during the run, by a tool that ignores the disk's lock.
            lastError_ = ErrnoError(ESTALE);
            lastError_.text = "no entry of " + facts_.diskName + "'s partition table has " +
                              facts_.name + "'s start and size any more (the table changed "
                              "during the run); every entry's type is left as it was";
            return false;
        case TypeChange::Failed:
            break;
    }
    return Fail(EIO);
}

}  // namespace fat32
