// SimulatedMedium. A boot sector built from the table carries just the fields
// by which the system (and VolumeSerialFromBootSector) knows a file system:
// the OEM name or file-system type, the extended boot signature, the serial
// number and the closing 0x55 0xAA.
#include "simulated_windows/simulated_medium.h"

#include <windows.h>

#include <cstring>
#include <cwctype>

namespace drives {
namespace {

constexpr std::uint64_t kDefaultBytes = 64ull * 1024 * 1024;

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

std::vector<std::uint8_t> BootSectorOf(const SimulatedDrive& drive, std::uint32_t bytes) {
    std::vector<std::uint8_t> s(bytes, 0);
    // A RAW volume with a serial keeps a signed boot sector that the file
    // system will not mount (a broken BPB); without one it is blank.
    if ((drive.failures & kFailRaw) && drive.serial == 0) return s;
    const std::wstring fs = Upper(drive.fileSystem);
    if (fs == L"NTFS") {
        std::memcpy(&s[3], "NTFS    ", 8);
        Put32(&s[0x48], drive.serial);
    } else if (fs == L"EXFAT") {
        std::memcpy(&s[3], "EXFAT   ", 8);
        Put32(&s[0x64], drive.serial);
    } else if (fs == L"FAT" || fs == L"FAT12" || fs == L"FAT16") {
        s[0x26] = 0x29;
        Put32(&s[0x27], drive.serial);
        std::memcpy(&s[0x36], "FAT16   ", 8);
    } else if (fs == L"FAT32" || drive.serial != 0) {
        s[0x42] = 0x29;
        Put32(&s[0x43], drive.serial);
        std::memcpy(&s[0x52], "FAT32   ", 8);
    } else {
        return s;
    }
    s[510] = 0x55;
    s[511] = 0xAA;
    return s;
}

}  // namespace

SimulatedMedium::SimulatedMedium(const SimulatedDrive& drive)
    : image_(drive.image), writable_(!(drive.failures & kWriteProtected)) {
    sectorBytes_ = drive.bytesPerSector >= 512 && drive.bytesPerSector <= 4096 ? drive.bytesPerSector : 512;
    if (!image_.empty()) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (::GetFileAttributesExW(image_.c_str(), GetFileExInfoStandard, &data))
            bytes_ = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        return;
    }
    bytes_ = std::uint64_t{drive.totalClusters} * drive.sectorsPerCluster * drive.bytesPerSector;
    if (bytes_ == 0) bytes_ = kDefaultBytes;
    bootSector_ = BootSectorOf(drive, sectorBytes_);
}

SimulatedMedium::SimulatedMedium(const std::wstring& image, bool writable, std::uint64_t offset,
                                 std::uint64_t length)
    : image_(image), writable_(writable), window_(true), bytes_(length), offset_(offset) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (bytes_ == 0 && ::GetFileAttributesExW(image_.c_str(), GetFileExInfoStandard, &data))
        bytes_ = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

bool SimulatedMedium::OpenImage(bool forWriting) {
    if (file_ && (!forWriting || writable_)) return true;
    file_.reset(::_wfopen(image_.c_str(), writable_ ? L"r+b" : L"rb"));
    return file_ != nullptr;
}

bool SimulatedMedium::Read(std::uint64_t offset, void* data, std::uint32_t size) {
    if (!image_.empty()) {
        return OpenImage(false) && ::_fseeki64(file_.get(), static_cast<long long>(offset_ + offset), SEEK_SET) == 0 &&
               std::fread(data, 1, size, file_.get()) == size;
    }
    auto* out = static_cast<std::uint8_t*>(data);
    for (std::uint32_t done = 0; done < size; done += sectorBytes_) {
        const std::uint64_t sector = (offset + done) / sectorBytes_;
        const auto written = written_.find(sector);
        const std::uint8_t* from = written != written_.end() ? written->second.data()
                                   : sector == 0            ? bootSector_.data()
                                                            : nullptr;
        if (from) std::memcpy(out + done, from, sectorBytes_);
        else std::memset(out + done, 0, sectorBytes_);
    }
    return true;
}

bool SimulatedMedium::Write(std::uint64_t offset, const void* data, std::uint32_t size) {
    if (!image_.empty()) {
        // A disk and its partitions are windows of one image, each with its
        // own stream: what one writes goes out at once for the others to read.
        return OpenImage(true) && ::_fseeki64(file_.get(), static_cast<long long>(offset_ + offset), SEEK_SET) == 0 &&
               std::fwrite(data, 1, size, file_.get()) == size && (!window_ || std::fflush(file_.get()) == 0);
    }
    const auto* in = static_cast<const std::uint8_t*>(data);
    for (std::uint32_t done = 0; done < size; done += sectorBytes_)
        written_[(offset + done) / sectorBytes_].assign(in + done, in + done + sectorBytes_);
    return true;
}

bool SimulatedMedium::Flush() { return !file_ || std::fflush(file_.get()) == 0; }

}  // namespace drives
