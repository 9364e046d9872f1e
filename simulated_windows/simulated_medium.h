// The medium in a simulated drive: the bytes a volume handle reads and
// writes. An image file when the drive table names one; otherwise bytes kept
// in memory, whose first sector is the boot sector of the file system the
// table names, carrying its serial number (all zero for a RAW volume without
// one), so
// that a table without images still describes sticks that can be told apart.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "simulated_windows/simulated_drive_table.h"

namespace drives {

class SimulatedMedium {
public:
    explicit SimulatedMedium(const SimulatedDrive& drive);
    // A window of an image: a whole disk (`length` 0: the image's size), or
    // one partition of it, whose first byte lies `offset` bytes in.
    SimulatedMedium(const std::wstring& image, bool writable, std::uint64_t offset = 0,
                    std::uint64_t length = 0);

    std::uint64_t Bytes() const { return bytes_; }
    std::uint32_t SectorBytes() const { return sectorBytes_; }
    // Where the window starts in its image: a partition's offset on its disk.
    std::uint64_t Offset() const { return offset_; }
    // Whole sectors at a sector-aligned offset inside the medium; false when
    // the image cannot be read or written.
    bool Read(std::uint64_t offset, void* data, std::uint32_t size);
    bool Write(std::uint64_t offset, const void* data, std::uint32_t size);
    bool Flush();

private:
    bool OpenImage(bool forWriting);

    std::wstring image_;
    bool writable_ = false;
    bool window_ = false;  // of a disk's image, which other windows share
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_{nullptr, std::fclose};
    std::uint64_t bytes_ = 0;
    std::uint64_t offset_ = 0;
    std::uint32_t sectorBytes_ = 512;
    // Without an image: the sectors written so far, and the first sector as
    // the table describes it.
    std::map<std::uint64_t, std::vector<std::uint8_t>> written_;
    std::vector<std::uint8_t> bootSector_;
};

}  // namespace drives
