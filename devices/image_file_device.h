// A block device served by an image file, on Linux and on Windows alike. The
// whole file is the partition; what the device says about geometry, hidden
// sectors and the partition table is configurable so every road of a format
// run can be taken without a drive.
#pragma once

#include <cstdio>
#include <string>

#include "format/block_device.h"

namespace fat32 {

enum class PartitionQuery {
    Plain,        // the plain partition query answers
    ExtendedMbr,  // only the extended one answers, with this style
    ExtendedGpt,
    ExtendedRaw,
    None,         // neither answers
};

struct ImageOptions {
    std::uint32_t bytesPerSector = 512;
    std::uint32_t sectorsPerTrack = 63;
    std::uint32_t heads = 255;
    std::uint32_t hiddenSectors = 0;
    PartitionQuery partitionQuery = PartitionQuery::Plain;
    bool setPartitionTypeFails = false;
    // Above 0, the image acts as a counterfeit stick that holds only this
    // many bytes: its addresses wrap, so data written past them lands on
    // (and is read back from) earlier data.
    std::uint64_t fakeCapacity = 0;
};

class ImageFileDevice : public BlockDevice {
public:
    ImageFileDevice(std::string imagePath, ImageOptions options);
    ~ImageFileDevice() override;
    ImageFileDevice(const ImageFileDevice&) = delete;
    ImageFileDevice& operator=(const ImageFileDevice&) = delete;

    bool Open(const char* volumePath) override;
    bool AllowExtendedAccess() override { return true; }
    bool Lock() override { return IsOpen(); }
    bool GetGeometry(DiskGeometry& geometry) override;
    bool GetPartitionInfo(PartitionInfo& info) override;
    bool GetPartitionInfoEx(PartitionInfoEx& info) override;
    bool Seek(std::uint64_t offset) override;
    bool Write(const void* data, std::uint32_t size) override;
    bool Read(void* data, std::uint32_t size) override;
    bool Flush() override;
    bool SetPartitionType(std::uint8_t type) override;
    bool Dismount() override { return IsOpen(); }
    bool Unlock() override { return IsOpen(); }
    void Close() override;
    DeviceError LastError() const override { return lastError_; }

    // The open file, for checks of what the name reached; null when closed.
    std::FILE* File() const { return file_; }
    // The type most recently set, 0 if none was.
    std::uint8_t PartitionType() const { return partitionType_; }

private:
    bool IsOpen() const { return file_ != nullptr; }
    // Moves to where the current position really lands and returns how many
    // bytes fit before the address wraps (all of `size` on an honest image).
    bool PlaceWrapped(std::uint32_t size, std::uint32_t& fits);
    bool Fail(int errorNumber);

    std::string path_;
    ImageOptions options_;
    std::FILE* file_ = nullptr;
    std::int64_t length_ = 0;
    std::uint64_t position_ = 0;
    std::uint8_t partitionType_ = 0;
    DeviceError lastError_;
};

}  // namespace fat32
