// Reading a medium's identity: each fact is one call on the handle, and a
// call that fails leaves its fact unknown rather than guessed.
#ifdef _WIN32

#include "devices/medium_identity.h"

#include <winioctl.h>

#include <cstring>

#include "format/page_buffer.h"

namespace fat32 {
namespace {

constexpr DWORD kSmallestSector = 512;
constexpr DWORD kLargestSector = 4096;

bool Control(VolumeCalls& calls, HANDLE volume, DWORD code, void* out, DWORD outSize, DWORD& returned) {
    returned = 0;
    return calls.DeviceIoControl(volume, code, nullptr, 0, out, outSize, &returned) != FALSE;
}

// The handle is unbuffered (volume handles always are): whole sectors of the
// drive's own size, into a page-aligned buffer.
DWORD SectorBytes(VolumeCalls& calls, HANDLE volume) {
    DISK_GEOMETRY geometry{};
    DWORD returned = 0;
    if (Control(calls, volume, IOCTL_DISK_GET_DRIVE_GEOMETRY, &geometry, sizeof geometry, returned) &&
        geometry.BytesPerSector >= kSmallestSector && geometry.BytesPerSector <= kLargestSector)
        return geometry.BytesPerSector;
    return kSmallestSector;
}

}  // namespace

MediumFacts ReadMediumFacts(VolumeCalls& calls, HANDLE volume) {
    MediumFacts facts;
    DWORD returned = 0;
    STORAGE_DEVICE_NUMBER number{};
    if (Control(calls, volume, IOCTL_STORAGE_GET_DEVICE_NUMBER, &number, sizeof number, returned)) {
        facts.deviceNumberKnown = true;
        facts.deviceNumber = number.DeviceNumber;
    }
    // Windows 10 and later form a GUID for a disk from its hardware
    // identifiers; an all-zero GUID means it could form none.
    STORAGE_DEVICE_NUMBER_EX numberEx{};
    static const GUID kNoGuid{};
    if (Control(calls, volume, IOCTL_STORAGE_GET_DEVICE_NUMBER_EX, &numberEx, sizeof numberEx, returned) &&
        returned >= sizeof numberEx && std::memcmp(&numberEx.DeviceGuid, &kNoGuid, sizeof kNoGuid) != 0) {
        facts.deviceGuidKnown = true;
        std::memcpy(facts.deviceGuid.data(), &numberEx.DeviceGuid, facts.deviceGuid.size());
    }
    // For disks the output is the number of media changes since the driver
    // started: a card swapped in a reader keeps the disk but not the count.
    // Right after a change the call fails instead, and the count stays unknown.
    ULONG changes = 0;
    if (Control(calls, volume, IOCTL_STORAGE_CHECK_VERIFY, &changes, sizeof changes, returned) &&
        returned >= sizeof changes) {
        facts.mediaChangesKnown = true;
        facts.mediaChanges = changes;
    }
    const DWORD bytes = SectorBytes(calls, volume);
    PageBuffer sector(PageAllocator::System(), kLargestSector);
    LARGE_INTEGER start{};
    DWORD read = 0;
    if (sector && calls.SetFilePointerEx(volume, start, nullptr, FILE_BEGIN) &&
        calls.ReadFile(volume, sector.data(), bytes, &read) && read == bytes) {
        facts.volumeSerialKnown = true;
        facts.volumeSerial = VolumeSerialFromBootSector(sector.data());
    }
    return facts;
}

}  // namespace fat32

#endif  // _WIN32
