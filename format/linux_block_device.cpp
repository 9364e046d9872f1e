// The block device through a file descriptor. Writes go through the page
// cache; Flush pushes them out and drops the cache, so what the command
// reports as done is on the stick.
#include "format/linux_block_device.h"

#include <fcntl.h>
#include <linux/blkpg.h>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fat32 {
namespace {

// Geometry a device without HDIO_GETGEO (loop, most USB bridges) is given,
// the same as an image file's.
constexpr std::uint32_t kDefaultSectorsPerTrack = 63;
constexpr std::uint32_t kDefaultHeads = 255;

}  // namespace

bool LinuxBlockDevice::Fail(int errorNumber) {
    lastError_ = ErrnoError(errorNumber);
    return false;
}

bool LinuxBlockDevice::Open(const char* /*volumePath*/) {
    Close();
    fd_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) return Fail(errno);
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        const int error = errno;
        Close();
        return Fail(error);
    }
    if (!S_ISBLK(info.st_mode) ||
        !ReadBlockFacts("/sys", major(info.st_rdev), minor(info.st_rdev), facts_)) {
        Close();
        return Fail(ENOTBLK);
    }
    PartitionTable table;
    diskTable_ = facts_.isPartition && ReadPartitionTable(DeviceNode(facts_.diskName), table)
                     ? table.kind
                     : TableKind::None;
    position_ = 0;
    return true;
}

bool LinuxBlockDevice::Lock() {
    if (!IsOpen()) return Fail(EBADF);
    const int exclusive = ::open(path_.c_str(), O_RDWR | O_CLOEXEC | O_EXCL);
    if (exclusive < 0) return Fail(errno);
    ::close(fd_);
    fd_ = exclusive;
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
    if (!IsOpen() || !facts_.isPartition || diskTable_ != TableKind::Mbr) return Fail(EINVAL);
    if (!Size(bytes)) return false;
    info.partitionLength = static_cast<std::int64_t>(bytes);
    info.hiddenSectors = static_cast<std::uint32_t>(facts_.startSector);
    return true;
}

bool LinuxBlockDevice::GetPartitionInfoEx(PartitionInfoEx& info) {
    std::uint64_t bytes = 0;
    if (!IsOpen()) return Fail(EBADF);
    if (!Size(bytes)) return false;
    // A whole disk is one volume without a table in front of it.
    info.style = !facts_.isPartition             ? PartitionStyle::Raw
                 : diskTable_ == TableKind::Mbr ? PartitionStyle::Mbr
                 : diskTable_ == TableKind::Gpt ? PartitionStyle::Gpt
                                                : PartitionStyle::Raw;
    info.startingOffset = static_cast<std::int64_t>(facts_.startSector * 512);
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
    return Transfer(::pwrite, static_cast<const std::uint8_t*>(data), size, ENOSPC);
}

bool LinuxBlockDevice::Read(void* data, std::uint32_t size) {
    return Transfer(::pread, static_cast<std::uint8_t*>(data), size, EIO);
}

bool LinuxBlockDevice::Flush() {
    if (!IsOpen()) return Fail(EBADF);
    if (::fsync(fd_) != 0 || ::ioctl(fd_, BLKFLSBUF, 0) != 0) return Fail(errno);
    return true;
}

bool LinuxBlockDevice::SetPartitionType(std::uint8_t type) {
    if (!IsOpen() || !facts_.isPartition || diskTable_ != TableKind::Mbr) return Fail(EINVAL);
    return SetMbrPartitionType(DeviceNode(facts_.diskName), facts_.partitionNumber, type) ||
           Fail(EIO);
}

void LinuxBlockDevice::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool BlockDeviceBytes(const std::string& path, std::uint64_t& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool known = ::ioctl(fd, BLKGETSIZE64, &bytes) == 0;
    ::close(fd);
    return known;
}

int AnnounceNewPartition(const std::string& diskPath, std::uint64_t startSector,
                         std::uint64_t sectors) {
    const int fd = ::open(diskPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int error = ::ioctl(fd, BLKRRPART) == 0 ? 0 : errno;
    if (error == 0) {
        blkpg_partition partition{};
        partition.start = static_cast<long long>(startSector * 512);
        partition.length = static_cast<long long>(sectors * 512);
        partition.pno = 1;
        blkpg_ioctl_arg request{};
        request.op = BLKPG_ADD_PARTITION;
        request.datalen = sizeof partition;
        request.data = &partition;
        // EBUSY: the kernel already knows partition 1 from its own reading.
        if (::ioctl(fd, BLKPG, &request) != 0 && errno != EBUSY) error = errno;
    }
    ::close(fd);
    return error;
}

}  // namespace fat32
