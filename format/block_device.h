// The block-device interface through which a format run reaches a volume. On
// Windows it is the volume device ("\\.\X:"); elsewhere, and in tests, an image
// file or a fault-injecting wrapper stands in with the same answers.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

namespace fat32 {

struct DiskGeometry {
    std::uint32_t bytesPerSector = 0;
    std::uint32_t sectorsPerTrack = 0;
    std::uint32_t tracksPerCylinder = 0;
};

struct PartitionInfo {
    std::int64_t partitionLength = 0;
    std::uint32_t hiddenSectors = 0;
};

enum class PartitionStyle : std::uint32_t { Mbr = 0, Gpt = 1, Raw = 2 };

struct PartitionInfoEx {
    PartitionStyle style = PartitionStyle::Raw;
    std::int64_t startingOffset = 0;
    std::int64_t partitionLength = 0;
};

// What the system said about the last failed operation.
struct DeviceError {
    std::uint32_t code = 0;
    std::string text;  // UTF-8, no line end
    // The system refused for lack of rights (ERROR_ACCESS_DENIED, EACCES,
    // EPERM): on Windows a volume opens only from an elevated process.
    bool accessDenied = false;
    // Another program holds the volume (Windows: a sharing violation, or a
    // lock of its own): it is in use, not missing.
    bool inUse = false;
};

// What an errno value says, for the devices that the C library serves.
inline DeviceError ErrnoError(int errorNumber) {
    DeviceError error;
    error.code = static_cast<std::uint32_t>(errorNumber);
    error.text = errorNumber ? std::strerror(errorNumber) : "";
    error.accessDenied = errorNumber == EACCES || errorNumber == EPERM;
    return error;
}

inline constexpr std::uint8_t kPartitionTypeFat32Lba = 0x0C;

class BlockDevice {
public:
    virtual ~BlockDevice() = default;

    virtual bool Open(const char* volumePath) = 0;
    virtual bool AllowExtendedAccess() = 0;
    virtual bool Lock() = 0;
    virtual bool GetGeometry(DiskGeometry& geometry) = 0;
    virtual bool GetPartitionInfo(PartitionInfo& info) = 0;
    virtual bool GetPartitionInfoEx(PartitionInfoEx& info) = 0;
    // Sets the position of the next Write, in bytes from the volume's start.
    virtual bool Seek(std::uint64_t offset) = 0;
    // Writes all `size` bytes at the current position, which then advances.
    virtual bool Write(const void* data, std::uint32_t size) = 0;
    // Reads all `size` bytes at the current position, which then advances.
    virtual bool Read(void* data, std::uint32_t size) = 0;
    // Pushes every write out of the system's and the drive's caches.
    virtual bool Flush() = 0;
    // Called once every other sector of the new volume is on the stick and
    // flushed, right before its primary boot sector makes it a volume: a
    // device that must put something of its own on the disk at that moment
    // (a new partition table) does it here.
    virtual bool BeforeBootSector() { return true; }
    virtual bool SetPartitionType(std::uint8_t type) = 0;
    virtual bool Dismount() = 0;
    virtual bool Unlock() = 0;
    virtual void Close() = 0;
    virtual DeviceError LastError() const = 0;

    bool WriteAt(std::uint64_t offset, const void* data, std::uint32_t size) {
        return Seek(offset) && Write(data, size);
    }
    bool ReadAt(std::uint64_t offset, void* data, std::uint32_t size) {
        return Seek(offset) && Read(data, size);
    }
};

}  // namespace fat32
