// Image-file block device. The file is opened unbuffered so that a failed
// write is reported by the call that made it, as a raw volume would.
#include "devices/image_file_device.h"

#include <cerrno>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fat32 {
namespace {

// 64-bit positioning under both C runtimes.
int SeekFile(std::FILE* file, std::int64_t offset, int origin) {
#ifdef _WIN32
    return ::_fseeki64(file, offset, origin);
#else
    return ::fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

std::int64_t TellFile(std::FILE* file) {
#ifdef _WIN32
    return ::_ftelli64(file);
#else
    return ::ftello(file);
#endif
}

}  // namespace

ImageFileDevice::ImageFileDevice(std::string imagePath, ImageOptions options)
    : path_(std::move(imagePath)), options_(options) {}

ImageFileDevice::~ImageFileDevice() { Close(); }

bool ImageFileDevice::Fail(int errorNumber) {
    lastError_ = ErrnoError(errorNumber);
    return false;
}

bool ImageFileDevice::Open(const char* /*volumePath*/) {
    Close();
    // "rb+" never creates: a missing image is an open failure, not a new file.
    file_ = std::fopen(path_.c_str(), "rb+");
    if (!file_) return Fail(errno);
    std::setvbuf(file_, nullptr, _IONBF, 0);
    if (SeekFile(file_, 0, SEEK_END) != 0 || (length_ = TellFile(file_)) < 0 ||
        SeekFile(file_, 0, SEEK_SET) != 0) {
        const int error = errno;
        Close();
        return Fail(error);
    }
    position_ = 0;
    return true;
}

bool ImageFileDevice::GetGeometry(DiskGeometry& geometry) {
    if (!IsOpen()) return Fail(EBADF);
    geometry.bytesPerSector = options_.bytesPerSector;
    geometry.sectorsPerTrack = options_.sectorsPerTrack;
    geometry.tracksPerCylinder = options_.heads;
    return true;
}

bool ImageFileDevice::GetPartitionInfo(PartitionInfo& info) {
    if (!IsOpen() || options_.partitionQuery != PartitionQuery::Plain) return Fail(EINVAL);
    info.partitionLength = length_;
    info.hiddenSectors = options_.hiddenSectors;
    return true;
}

bool ImageFileDevice::GetPartitionInfoEx(PartitionInfoEx& info) {
    if (!IsOpen()) return Fail(EBADF);
    switch (options_.partitionQuery) {
        case PartitionQuery::Plain:
        case PartitionQuery::ExtendedMbr: info.style = PartitionStyle::Mbr; break;
        case PartitionQuery::ExtendedGpt: info.style = PartitionStyle::Gpt; break;
        case PartitionQuery::ExtendedRaw: info.style = PartitionStyle::Raw; break;
        case PartitionQuery::None: return Fail(EINVAL);
    }
    info.startingOffset = static_cast<std::int64_t>(options_.hiddenSectors) * 512;
    info.partitionLength = length_;
    return true;
}

bool ImageFileDevice::Seek(std::uint64_t offset) {
    if (!IsOpen()) return Fail(EBADF);
    if (SeekFile(file_, static_cast<std::int64_t>(offset), SEEK_SET) != 0) return Fail(errno);
    position_ = offset;
    return true;
}

bool ImageFileDevice::PlaceWrapped(std::uint32_t size, std::uint32_t& fits) {
    fits = size;
    if (options_.fakeCapacity == 0) return true;
    const std::uint64_t physical = position_ % options_.fakeCapacity;
    if (physical + size > options_.fakeCapacity)
        fits = static_cast<std::uint32_t>(options_.fakeCapacity - physical);
    return SeekFile(file_, static_cast<std::int64_t>(physical), SEEK_SET) == 0 || Fail(errno);
}

bool ImageFileDevice::Write(const void* data, std::uint32_t size) {
    if (!IsOpen()) return Fail(EBADF);
    // A volume ends where its partition does; the file must not grow.
    if (position_ + size > static_cast<std::uint64_t>(length_)) return Fail(ENOSPC);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::uint32_t left = size; left > 0;) {
        std::uint32_t fits = 0;
        if (!PlaceWrapped(left, fits)) return false;
        errno = 0;
        if (std::fwrite(bytes, 1, fits, file_) != fits) return Fail(errno ? errno : EIO);
        bytes += fits;
        left -= fits;
        position_ += fits;
    }
    return true;
}

bool ImageFileDevice::Read(void* data, std::uint32_t size) {
    if (!IsOpen()) return Fail(EBADF);
    if (position_ + size > static_cast<std::uint64_t>(length_)) return Fail(EINVAL);
    auto* bytes = static_cast<std::uint8_t*>(data);
    for (std::uint32_t left = size; left > 0;) {
        std::uint32_t fits = 0;
        if (!PlaceWrapped(left, fits)) return false;
        errno = 0;
        if (std::fread(bytes, 1, fits, file_) != fits) return Fail(errno ? errno : EIO);
        bytes += fits;
        left -= fits;
        position_ += fits;
    }
    return true;
}

bool ImageFileDevice::Flush() {
    if (!IsOpen()) return Fail(EBADF);
    if (std::fflush(file_) != 0) return Fail(errno);
#ifdef _WIN32
    if (::_commit(::_fileno(file_)) != 0) return Fail(errno);
#else
    if (::fsync(::fileno(file_)) != 0) return Fail(errno);
#endif
    return true;
}

bool ImageFileDevice::SetPartitionType(std::uint8_t type) {
    if (!IsOpen() || options_.setPartitionTypeFails) return Fail(EINVAL);
    partitionType_ = type;
    return true;
}

void ImageFileDevice::Close() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

}  // namespace fat32
