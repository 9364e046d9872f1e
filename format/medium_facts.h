// Who is on the other end of an open volume: what the window confirmed is
// compared, right before the first write, with these facts read through the
// very handle that will write, so no other medium can slip in between.
#pragma once

#include <array>
#include <cstdint>

namespace fat32 {

struct MediumFacts {
    bool deviceNumberKnown = false;
    std::uint32_t deviceNumber = 0;  // the storage device number of the disk
    bool deviceGuidKnown = false;  // Windows 10 and later, where it forms one
    std::array<std::uint8_t, 16> deviceGuid{};
    bool mediaChangesKnown = false;
    std::uint32_t mediaChanges = 0;  // media changes since the driver started
    // The count's query failed with the report of a change of medium
    // (ERROR_MEDIA_CHANGED, ERROR_IO_DEVICE) rather than for want of a count.
    bool mediaChangeReported = false;
    bool volumeSerialKnown = false;  // the boot sector could be read
    std::uint32_t volumeSerial = 0;  // as the system reports it; 0 for RAW
};

// The serial number the system reports for the volume whose first sector
// this is (FAT12/16, FAT32, exFAT, NTFS's low 32 bits), or 0 for a sector no
// file system of those claims, as an unrecognised (RAW) volume reads.
std::uint32_t VolumeSerialFromBootSector(const std::uint8_t* sector);

}  // namespace fat32
