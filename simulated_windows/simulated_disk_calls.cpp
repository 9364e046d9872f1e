// SimulatedMachine: disks. A disk record's image is the whole disk; its
// volumes are the drive records that name one of its partitions, present
// while the layout holds that partition. "\\.\PhysicalDriveN" opens the disk
// itself, and the disk answers the layout and property codes as their pages
// document them (README.md lists each).
#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <cstring>

#include "simulated_windows/simulated_machine.h"

namespace drives {
namespace {

constexpr DWORD kDataAccess = GENERIC_READ | GENERIC_WRITE | FILE_READ_DATA | FILE_WRITE_DATA;
constexpr std::uint64_t kMbrLimit = (1ull << 32) * 512;  // an MBR entry's reach: 2 TiB

BOOL Refuse(DWORD error) {
    ::SetLastError(error);
    return FALSE;
}

template <typename T>
BOOL Output(void* out, DWORD outSize, DWORD* returned, const T& value, DWORD size = sizeof(T)) {
    if (!out || outSize < size) return Refuse(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(out, &value, size);
    if (returned) *returned = size;
    return TRUE;
}

constexpr DWORD kLayoutHeader = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry);

}  // namespace

const SimulatedDisk* SimulatedMachine::DiskRecord(DWORD number) const {
    for (const SimulatedDisk& disk : table_.disks)
        if (disk.number == number) return &disk;
    return nullptr;
}

SimulatedMedium& SimulatedMachine::DiskMedium(const SimulatedDisk& record) const {
    Disk& disk = disks_[record.number];
    if (!disk.medium) disk.medium = std::make_unique<SimulatedMedium>(record.image, true);
    return *disk.medium;
}

bool SimulatedMachine::PartitionOf(const SimulatedDrive& drive, SimulatedPartition& partition) const {
    const SimulatedDisk* record = drive.partition ? DiskRecord(drive.deviceNumber) : nullptr;
    if (!record) return false;
    const Disk& disk = disks_[record->number];
    if (disk.pulled || disk.volumesAway) return false;
    const SimulatedLayout layout = ReadLayout(DiskMedium(*record));
    const SimulatedPartition* found = FindPartition(layout, drive.partition);
    if (found) partition = *found;
    return found != nullptr;
}

bool SimulatedMachine::IsDiskHandle(HANDLE handle) const {
    const auto found = handles_.find(handle);
    return found != handles_.end() && found->second.disk != kNoDisk;
}

HANDLE SimulatedMachine::OpenDisk(const SimulatedDisk& record, DWORD access, DWORD share, const std::string& call) {
    // A pulled disk is gone (obs); data opens need an administrator
    // [CreateFileW function].
    if (disks_[record.number].pulled) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE, call);
    if ((access & kDataAccess) && !table_.elevated) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE, call);
    DiskMedium(record);
    nextHandle_ += 4;
    const HANDLE handle = reinterpret_cast<HANDLE>(nextHandle_);
    Handle open{0, access, share, 0};
    open.disk = record.number;
    handles_[handle] = open;
    Log(call + " = " + Name(handle));
    return handle;
}

bool SimulatedMachine::ResolveDisk(HANDLE handle, Handle*& open, const SimulatedDisk*& record, Disk*& disk) {
    const auto found = handles_.find(handle);
    if (found == handles_.end()) return Refuse(ERROR_INVALID_HANDLE);
    open = &found->second;
    record = DiskRecord(open->disk);
    disk = &disks_[open->disk];
    if (!record || disk->pulled) return Refuse(ERROR_DEVICE_NOT_CONNECTED);
    DiskMedium(*record);
    return true;
}

BOOL SimulatedMachine::DiskCall(HANDLE handle, const std::string& call,
                                const std::function<BOOL(Handle&, const SimulatedDisk&, Disk&)>& body) {
    const auto guard = Guard();
    Handle* open = nullptr;
    const SimulatedDisk* record = nullptr;
    Disk* disk = nullptr;
    if (!ResolveDisk(handle, open, record, disk) || !body(*open, *record, *disk))
        return Fail(::GetLastError(), FALSE, call);
    Log(call);
    return TRUE;
}

BOOL SimulatedMachine::DiskRead(Handle& open, Disk& disk, void* buffer, DWORD size, DWORD* read) {
    if (!(open.access & (GENERIC_READ | FILE_READ_DATA))) return Refuse(ERROR_ACCESS_DENIED);
    SimulatedMedium& medium = *disk.medium;
    // Whole sectors at sector offsets [File Buffering]; at the end, 0 bytes [ReadFile function].
    if (size % medium.SectorBytes() || open.position % medium.SectorBytes()) return Refuse(ERROR_INVALID_PARAMETER);
    const std::uint64_t left = open.position < medium.Bytes() ? medium.Bytes() - open.position : 0;
    const DWORD count = static_cast<DWORD>(left < size ? left : size);
    if (count && !medium.Read(open.position, buffer, count)) return Refuse(ERROR_READ_FAULT);
    open.position += count;
    if (read) *read = count;
    return TRUE;
}

BOOL SimulatedMachine::DiskSeek(Handle& open, Disk& disk, LARGE_INTEGER distance, LARGE_INTEGER* position,
                                DWORD method) {
    // Read or write access, sector-aligned positions [SetFilePointerEx function].
    if (!(open.access & kDataAccess)) return Refuse(ERROR_ACCESS_DENIED);
    const long long base = method == FILE_BEGIN     ? 0
                           : method == FILE_CURRENT ? static_cast<long long>(open.position)
                                                    : static_cast<long long>(disk.medium->Bytes());
    const long long target = base + distance.QuadPart;
    if (method > FILE_END || target % disk.medium->SectorBytes()) return Refuse(ERROR_INVALID_PARAMETER);
    if (target < 0) return Refuse(ERROR_NEGATIVE_SEEK);
    open.position = static_cast<std::uint64_t>(target);
    if (position) position->QuadPart = target;
    return TRUE;
}

BOOL SimulatedMachine::DiskFlush(Handle& open, Disk& disk) {
    // Write access [FlushFileBuffers function].
    if (!(open.access & (GENERIC_WRITE | FILE_WRITE_DATA))) return Refuse(ERROR_ACCESS_DENIED);
    return disk.medium->Flush() ? TRUE : Refuse(ERROR_WRITE_FAULT);
}

bool SimulatedMachine::PulledAtThisWrite(const SimulatedDisk& record, Disk& disk) {
    if (!record.pulledAtWrite || ++disk.writes != record.pulledAtWrite) return false;
    disk.pulled = true;
    Log("(the stick of disk " + std::to_string(record.number) + " is pulled out)");
    return true;
}

BOOL SimulatedMachine::DiskWrite(Handle& open, const SimulatedDisk& record, Disk& disk, const void* buffer,
                                 DWORD size) {
    if (!(open.access & (GENERIC_WRITE | FILE_WRITE_DATA))) return Refuse(ERROR_ACCESS_DENIED);
    if (PulledAtThisWrite(record, disk)) return Refuse(ERROR_DEVICE_NOT_CONNECTED);
    SimulatedMedium& medium = *disk.medium;
    if (size % medium.SectorBytes() || open.position % medium.SectorBytes() ||
        open.position + size > medium.Bytes())
        return Refuse(ERROR_INVALID_PARAMETER);
    // Since Vista a disk handle may not write inside a mounted volume that is
    // neither locked nor dismounted [KB942448].
    for (const SimulatedDrive& drive : table_.drives) {
        SimulatedPartition partition;
        if (drive.deviceNumber != record.number || !PartitionOf(drive, partition)) continue;
        const Volume& volume = VolumeOf(drive.letter);
        const bool overlaps = open.position < partition.offset + partition.length &&
                              partition.offset < open.position + size;
        if (overlaps && Mounted(drive, volume) && !volume.lockOwner) return Refuse(ERROR_ACCESS_DENIED);
    }
    if (!medium.Write(open.position, buffer, size)) return Refuse(ERROR_WRITE_FAULT);
    open.position += size;
    return TRUE;
}

void SimulatedMachine::VolumesLeave(const SimulatedDisk& record, Disk& disk) {
    disk.volumesAway = true;
    for (const SimulatedDrive& drive : table_.drives) {
        if (drive.deviceNumber != record.number || !drive.partition) continue;
        Volume& volume = VolumeOf(drive.letter);
        volume.medium.reset();
        volume.lockOwner = nullptr;
        volume.dismounted = false;
        ++volume.generation;
    }
    Log("(the volumes of disk " + std::to_string(record.number) + " leave)");
}

BOOL SimulatedMachine::SetLayout(const SimulatedDisk& record, Disk& disk, const void* in, DWORD inSize) {
    if (!in || inSize < kLayoutHeader) return Refuse(ERROR_INVALID_PARAMETER);
    const auto* layout = static_cast<const DRIVE_LAYOUT_INFORMATION_EX*>(in);
    if (inSize < kLayoutHeader + layout->PartitionCount * sizeof(PARTITION_INFORMATION_EX))
        return Refuse(ERROR_INVALID_PARAMETER);
    // Only MBR layouts of primary partitions are modelled.
    if (layout->PartitionStyle != PARTITION_STYLE_MBR) return Refuse(ERROR_NOT_SUPPORTED);
    // Four MBR entries at a time (obs).
    if (layout->PartitionCount == 0 || layout->PartitionCount % 4) return Refuse(ERROR_INVALID_PARAMETER);
    std::vector<SimulatedPartition> slots;
    for (DWORD i = 0; i < layout->PartitionCount; ++i) {
        const PARTITION_INFORMATION_EX& entry = layout->PartitionEntry[i];
        if (entry.Mbr.PartitionType == 0) continue;
        if (i > 3) return Refuse(ERROR_NOT_SUPPORTED);
        const auto offset = static_cast<std::uint64_t>(entry.StartingOffset.QuadPart);
        const auto length = static_cast<std::uint64_t>(entry.PartitionLength.QuadPart);
        // Inside the disk, on sectors, and (MBR) within 2 TB
        // [IOCTL_DISK_SET_DRIVE_LAYOUT IOCTL]: STATUS_INVALID_PARAMETER.
        if (offset == 0 || length == 0 || offset % 512 || length % 512 || offset + length > disk.medium->Bytes() ||
            offset + length > kMbrLimit)
            return Refuse(ERROR_INVALID_PARAMETER);
        SimulatedPartition partition;
        partition.slot = i;
        partition.offset = offset;
        partition.length = length;
        partition.mbrType = entry.Mbr.PartitionType;
        slots.push_back(partition);
    }
    // Sector 0 is written: a pull now leaves it as it was.
    if (PulledAtThisWrite(record, disk)) return Refuse(ERROR_DEVICE_NOT_CONNECTED);
    if (!WriteMbrEntries(*disk.medium, layout->Mbr.Signature, slots)) return Refuse(ERROR_WRITE_FAULT);
    VolumesLeave(record, disk);
    return TRUE;
}

BOOL SimulatedMachine::DiskControl(Handle& /*open*/, const SimulatedDisk& record, Disk& disk, DWORD code, void* in,
                                   DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
    SimulatedMedium& medium = *disk.medium;
    DISK_GEOMETRY geometry{};
    geometry.MediaType = record.removable ? RemovableMedia : FixedMedia;
    geometry.TracksPerCylinder = 255;
    geometry.SectorsPerTrack = 63;
    geometry.BytesPerSector = medium.SectorBytes();
    geometry.Cylinders.QuadPart = static_cast<LONGLONG>(medium.Bytes() / (255ull * 63 * medium.SectorBytes()));
    switch (code) {
        case IOCTL_STORAGE_GET_DEVICE_NUMBER: {
            STORAGE_DEVICE_NUMBER number{};
            number.DeviceType = FILE_DEVICE_DISK;
            number.DeviceNumber = record.number;
            number.PartitionNumber = 0;  // the disk itself
            return Output(out, outSize, returned, number);
        }
        // Windows 10 and later answer it for disks, with a GUID formed from
        // the disk's hardware identifiers [STORAGE_DEVICE_NUMBER_EX structure];
        // an older system does not (obs: the code).
        case IOCTL_STORAGE_GET_DEVICE_NUMBER_EX: {
            if (!table_.windows10) return Refuse(ERROR_INVALID_FUNCTION);
            const STORAGE_DEVICE_NUMBER_EX number = DiskNumberEx(record.number, record.guid);
            return Output(out, outSize, returned, number);
        }
        // The header alone tells a caller the size to ask again with
        // [IOCTL_STORAGE_QUERY_PROPERTY IOCTL; STORAGE_DEVICE_DESCRIPTOR structure].
        case IOCTL_STORAGE_QUERY_PROPERTY: {
            if (!in || inSize < sizeof(STORAGE_PROPERTY_QUERY)) return Refuse(ERROR_INVALID_PARAMETER);
            const auto* query = static_cast<const STORAGE_PROPERTY_QUERY*>(in);
            if (query->PropertyId != StorageDeviceProperty) return Refuse(ERROR_NOT_SUPPORTED);
            if (query->QueryType == PropertyExistsQuery) return TRUE;
            STORAGE_DEVICE_DESCRIPTOR descriptor{};
            descriptor.Version = sizeof descriptor;
            descriptor.Size = sizeof descriptor;
            descriptor.DeviceType = 0;  // a direct-access device
            descriptor.RemovableMedia = record.removable;
            descriptor.BusType = static_cast<STORAGE_BUS_TYPE>(record.busType);
            if (outSize < sizeof(STORAGE_DESCRIPTOR_HEADER)) return Refuse(ERROR_INSUFFICIENT_BUFFER);
            return Output(out, outSize, returned, descriptor,
                          outSize < sizeof descriptor ? static_cast<DWORD>(sizeof(STORAGE_DESCRIPTOR_HEADER))
                                                      : static_cast<DWORD>(sizeof descriptor));
        }
        case IOCTL_DISK_GET_DRIVE_GEOMETRY:
            return Output(out, outSize, returned, geometry);
        // The exact size beside the geometry [DISK_GEOMETRY_EX structure].
        case IOCTL_DISK_GET_DRIVE_GEOMETRY_EX: {
            DISK_GEOMETRY_EX extended{};
            extended.Geometry = geometry;
            extended.DiskSize.QuadPart = static_cast<LONGLONG>(medium.Bytes());
            return Output(out, outSize, returned, extended, static_cast<DWORD>(offsetof(DISK_GEOMETRY_EX, Data)));
        }
        case IOCTL_DISK_GET_LENGTH_INFO: {
            GET_LENGTH_INFORMATION length{};
            length.Length.QuadPart = static_cast<LONGLONG>(medium.Bytes());
            return Output(out, outSize, returned, length);
        }
        // Too small a buffer for every entry: ERROR_INSUFFICIENT_BUFFER; an
        // MBR lists its entries four at a time, unused ones of type 0
        // [IOCTL_DISK_GET_DRIVE_LAYOUT_EX IOCTL; DRIVE_LAYOUT_INFORMATION_EX structure].
        case IOCTL_DISK_GET_DRIVE_LAYOUT_EX: {
            const SimulatedLayout layout = ReadLayout(medium);
            const DWORD count = layout.style == PARTITION_STYLE_MBR ? 4
                                                                    : static_cast<DWORD>(layout.partitions.size());
            const DWORD size = kLayoutHeader + count * static_cast<DWORD>(sizeof(PARTITION_INFORMATION_EX));
            if (!out || outSize < size) return Refuse(ERROR_INSUFFICIENT_BUFFER);
            std::memset(out, 0, size);
            auto* answer = static_cast<DRIVE_LAYOUT_INFORMATION_EX*>(out);
            answer->PartitionStyle = layout.style;
            answer->PartitionCount = count;
            if (layout.style == PARTITION_STYLE_MBR) answer->Mbr.Signature = layout.signature;
            if (layout.style == PARTITION_STYLE_GPT) {
                answer->Gpt.StartingUsableOffset.QuadPart = 34 * 512;
                answer->Gpt.UsableLength.QuadPart = static_cast<LONGLONG>(medium.Bytes()) - 67 * 512;
                answer->Gpt.MaxPartitionCount = 128;
                answer->Gpt.DiskId = layout.diskId;
            }
            for (const SimulatedPartition& partition : layout.partitions) {
                const DWORD at = layout.style == PARTITION_STYLE_MBR ? partition.slot : partition.number - 1;
                PARTITION_INFORMATION_EX& entry = answer->PartitionEntry[at];
                entry.PartitionStyle = static_cast<PARTITION_STYLE>(layout.style);
                entry.StartingOffset.QuadPart = static_cast<LONGLONG>(partition.offset);
                entry.PartitionLength.QuadPart = static_cast<LONGLONG>(partition.length);
                entry.PartitionNumber = partition.number;
                if (layout.style == PARTITION_STYLE_MBR) {
                    entry.Mbr.PartitionType = partition.mbrType;
                    entry.Mbr.RecognizedPartition = TRUE;
                    entry.Mbr.HiddenSectors = static_cast<DWORD>(partition.offset / 512);
                } else {
                    entry.Gpt.PartitionType = partition.gptType;
                }
            }
            if (returned) *returned = size;
            return TRUE;
        }
        // A new blank table; a GPT one is not modelled [IOCTL_DISK_CREATE_DISK IOCTL].
        case IOCTL_DISK_CREATE_DISK: {
            if (!in || inSize < sizeof(CREATE_DISK)) return Refuse(ERROR_INVALID_PARAMETER);
            const auto* create = static_cast<const CREATE_DISK*>(in);
            if (create->PartitionStyle != PARTITION_STYLE_MBR) return Refuse(ERROR_NOT_SUPPORTED);
            if (PulledAtThisWrite(record, disk)) return Refuse(ERROR_DEVICE_NOT_CONNECTED);
            if (!WriteBlankMbr(medium, create->Mbr.Signature)) return Refuse(ERROR_WRITE_FAULT);
            VolumesLeave(record, disk);
            return TRUE;
        }
        case IOCTL_DISK_SET_DRIVE_LAYOUT_EX:
            return SetLayout(record, disk, in, inSize);
        // The table is read again and the volumes it holds arrive
        // [IOCTL_DISK_UPDATE_PROPERTIES IOCTL].
        case IOCTL_DISK_UPDATE_PROPERTIES:
            disk.volumesAway = false;
            return TRUE;
        default:
            return Refuse(ERROR_INVALID_FUNCTION);
    }
}

}  // namespace drives
