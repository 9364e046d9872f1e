// Disk facts. The layout is asked with a buffer doubled while the answer is
// ERROR_INSUFFICIENT_BUFFER, as the layout's size is not known beforehand.
#ifdef _WIN32

#include "devices/disk_facts.h"

#include <winioctl.h>

#include <cstddef>
#include <cstring>

namespace fat32 {
namespace {

bool Control(VolumeCalls& calls, HANDLE handle, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) {
    DWORD returned = 0;
    return calls.DeviceIoControl(handle, code, in, inSize, out, outSize, &returned) != FALSE;
}

bool ReadLayout(VolumeCalls& calls, HANDLE disk, DiskFacts& facts) {
    DWORD size = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry) + 4 * sizeof(PARTITION_INFORMATION_EX);
    for (int attempt = 0; attempt < 8; ++attempt, size *= 2) {
        std::vector<unsigned char> buffer(size);
        if (!Control(calls, disk, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, buffer.data(), size)) {
            if (::GetLastError() == ERROR_INSUFFICIENT_BUFFER) continue;
            return false;
        }
        const auto* layout = reinterpret_cast<const DRIVE_LAYOUT_INFORMATION_EX*>(buffer.data());
        facts.style = static_cast<PartitionStyle>(layout->PartitionStyle);
        facts.partitions = 0;
        facts.extents.clear();
        facts.signature = 0;
        if (layout->PartitionStyle == PARTITION_STYLE_MBR) {
            facts.signature = layout->Mbr.Signature;
        } else if (layout->PartitionStyle == PARTITION_STYLE_GPT) {
            const auto& id = layout->Gpt.DiskId;
            facts.signature = id.Data1 ^ (DWORD{id.Data2} << 16 | id.Data3) ^
                              (DWORD{id.Data4[0]} << 24 | DWORD{id.Data4[1]} << 16 | DWORD{id.Data4[6]} << 8 | id.Data4[7]);
        }
        for (DWORD i = 0; i < layout->PartitionCount; ++i) {
            const PARTITION_INFORMATION_EX& entry = layout->PartitionEntry[i];
            const bool used = entry.PartitionStyle == PARTITION_STYLE_MBR ? entry.Mbr.PartitionType != 0
                                                                         : entry.PartitionLength.QuadPart != 0;
            // An extended partition only holds the logical ones, which the
            // layout lists as entries of their own.
            if (!used || (entry.PartitionStyle == PARTITION_STYLE_MBR && IsContainerPartition(entry.Mbr.PartitionType)))
                continue;
            ++facts.partitions;
            facts.extents.push_back({entry.PartitionNumber, static_cast<std::uint64_t>(entry.StartingOffset.QuadPart),
                                     static_cast<std::uint64_t>(entry.PartitionLength.QuadPart)});
        }
        return true;
    }
    return false;
}

// Whether the volume at `path` lies on disk `number`: its device number, or
// for a volume that has none (one spanning disks) its extents.
bool VolumeLiesOn(VolumeCalls& calls, const std::wstring& path, DWORD number, bool& on) {
    const VolumeHandle volume(calls, calls.CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
    if (!volume.valid()) {
        // Gone since it was listed: on no disk any more.
        on = false;
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    STORAGE_DEVICE_NUMBER device{};
    if (Control(calls, volume.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &device, sizeof device)) {
        // A CD-ROM's numbers count CD-ROMs, not disks.
        on = device.DeviceType == FILE_DEVICE_DISK && device.DeviceNumber == number;
        return true;
    }
    std::vector<unsigned char> buffer(sizeof(VOLUME_DISK_EXTENTS));
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto* extents = reinterpret_cast<VOLUME_DISK_EXTENTS*>(buffer.data());
        if (Control(calls, volume.get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, buffer.data(),
                    static_cast<DWORD>(buffer.size()))) {
            on = false;
            for (DWORD i = 0; i < extents->NumberOfDiskExtents; ++i)
                on = on || extents->Extents[i].DiskNumber == number;
            return true;
        }
        // Several extents: the first answer gives their count
        // [IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS IOCTL].
        if (::GetLastError() != ERROR_MORE_DATA) return false;
        buffer.resize(offsetof(VOLUME_DISK_EXTENTS, Extents) + extents->NumberOfDiskExtents * sizeof(DISK_EXTENT));
    }
    return false;
}

}  // namespace

std::wstring DiskPath(DWORD number) { return L"\\\\.\\PhysicalDrive" + std::to_wstring(number); }

bool ReadDiskFacts(VolumeCalls& calls, HANDLE disk, DiskFacts& facts) {
    STORAGE_DEVICE_NUMBER number{};
    if (!Control(calls, disk, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof number)) return false;
    facts.number = number.DeviceNumber;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    STORAGE_DEVICE_DESCRIPTOR descriptor{};
    if (!Control(calls, disk, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &descriptor, sizeof descriptor))
        return false;
    facts.usb = descriptor.BusType == BusTypeUsb;
    facts.removable = descriptor.RemovableMedia != FALSE;
    DISK_GEOMETRY_EX geometry{};
    if (!Control(calls, disk, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0, &geometry, sizeof geometry))
        return false;
    facts.bytes = static_cast<std::uint64_t>(geometry.DiskSize.QuadPart);
    // Windows 10 and later answer it for a disk; an all-zero GUID is none.
    STORAGE_DEVICE_NUMBER_EX numberEx{};
    static const GUID kNoGuid{};
    facts.deviceGuidKnown =
        Control(calls, disk, IOCTL_STORAGE_GET_DEVICE_NUMBER_EX, nullptr, 0, &numberEx, sizeof numberEx) &&
        std::memcmp(&numberEx.DeviceGuid, &kNoGuid, sizeof kNoGuid) != 0;
    if (facts.deviceGuidKnown) facts.deviceGuid = numberEx.DeviceGuid;
    return ReadLayout(calls, disk, facts);
}

bool SameDisk(const DiskFacts& a, const DiskFacts& b) {
    return a.number == b.number && a.usb == b.usb && a.removable == b.removable && a.bytes == b.bytes &&
           a.style == b.style && a.partitions == b.partitions && a.signature == b.signature &&
           a.extents == b.extents && a.deviceGuidKnown == b.deviceGuidKnown &&
           std::memcmp(&a.deviceGuid, &b.deviceGuid, sizeof a.deviceGuid) == 0;
}

bool DiskOfLetter(VolumeCalls& calls, wchar_t letter, DWORD& disk, DWORD* partition) {
    const wchar_t path[] = {L'\\', L'\\', L'.', L'\\', letter, L':', 0};
    const VolumeHandle volume(calls, calls.CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
    STORAGE_DEVICE_NUMBER number{};
    if (!volume.valid() ||
        !Control(calls, volume.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof number))
        return false;
    disk = number.DeviceNumber;
    if (partition) *partition = number.PartitionNumber == static_cast<DWORD>(-1) ? 0 : number.PartitionNumber;
    return true;
}

std::vector<wchar_t> LettersOnDisk(VolumeCalls& calls, DWORD number) {
    std::vector<wchar_t> letters;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        // Only disks' volumes: a network drive would be opened over the
        // network, an optical drive spun up.
        const wchar_t root[] = {letter, L':', L'\\', 0};
        const UINT type = calls.GetDriveTypeW(root);
        if (type != DRIVE_REMOVABLE && type != DRIVE_FIXED) continue;
        DWORD disk = 0;
        if (DiskOfLetter(calls, letter, disk) && disk == number) letters.push_back(letter);
    }
    return letters;
}

bool VolumesOnDisk(VolumeCalls& calls, DWORD number, std::vector<std::wstring>& paths) {
    paths.clear();
    wchar_t name[MAX_PATH + 1] = {};
    VolumeSearch search(calls, name, MAX_PATH + 1);
    if (!search.valid()) return false;
    do {
        // The name ends in a backslash, which would open the root directory
        // rather than the volume [Naming a Volume].
        std::wstring path(name);
        if (!path.empty() && path.back() == L'\\') path.pop_back();
        bool on = false;
        if (!VolumeLiesOn(calls, path, number, on)) return false;
        if (on) paths.push_back(path);
    } while (search.Next(name, MAX_PATH + 1));
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

}  // namespace fat32

#endif  // _WIN32
