// Reading a medium's identity: each fact is one call on the handle, and a
// call that fails leaves its fact unknown rather than guessed.
#ifdef _WIN32

#include "devices/medium_identity.h"

#include <winioctl.h>

#include <cstring>
#include <cwchar>

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

// Windows 10 and later form a GUID for a disk from its hardware identifiers,
// asked of the disk itself (a volume does not answer it), which opens with no
// access rights; an all-zero GUID means it could form none.
void ReadDeviceGuid(VolumeCalls& calls, MediumFacts& facts) {
    wchar_t path[40];
    std::swprintf(path, 40, L"\\\\.\\PhysicalDrive%lu", static_cast<unsigned long>(facts.deviceNumber));
    const VolumeHandle disk(calls, calls.CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
    if (!disk.valid()) return;
    STORAGE_DEVICE_NUMBER_EX number{};
    DWORD returned = 0;
    static const GUID kNoGuid{};
    if (Control(calls, disk.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER_EX, &number, sizeof number, returned) &&
        returned >= sizeof number && std::memcmp(&number.DeviceGuid, &kNoGuid, sizeof kNoGuid) != 0) {
        facts.deviceGuidKnown = true;
        std::memcpy(facts.deviceGuid.data(), &number.DeviceGuid, facts.deviceGuid.size());
    }
}

}  // namespace

MediumFacts ReadMediumFacts(VolumeCalls& calls, HANDLE volume, bool askAgainAfterChange) {
    MediumFacts facts;
    DWORD returned = 0;
    STORAGE_DEVICE_NUMBER number{};
    if (Control(calls, volume, IOCTL_STORAGE_GET_DEVICE_NUMBER, &number, sizeof number, returned)) {
        facts.deviceNumberKnown = true;
        facts.deviceNumber = number.DeviceNumber;
    }
    if (facts.deviceNumberKnown) ReadDeviceGuid(calls, facts);
    // For disks the output is the number of media changes since the driver
    // started: a card swapped in a reader keeps the disk but not the count.
    // Right after a change the call fails instead, with ERROR_MEDIA_CHANGED
    // or ERROR_IO_DEVICE [IOCTL_STORAGE_CHECK_VERIFY IOCTL].
    for (int ask = askAgainAfterChange ? 2 : 1; ask > 0; --ask) {
        ULONG changes = 0;
        if (Control(calls, volume, IOCTL_STORAGE_CHECK_VERIFY, &changes, sizeof changes, returned) &&
            returned >= sizeof changes) {
            facts.mediaChangesKnown = true;
            facts.mediaChanges = changes;
            facts.mediaChangeReported = false;
            break;
        }
        const DWORD error = ::GetLastError();
        facts.mediaChangeReported = error == ERROR_MEDIA_CHANGED || error == ERROR_IO_DEVICE;
        if (!facts.mediaChangeReported) break;
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
