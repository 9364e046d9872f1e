// SimulatedMachine: the control codes the volume device and the identity read
// send, each answered as its page documents it. A code needs the access its
// definition names; the I/O manager refuses it otherwise [Security Issues for
// I/O Control Codes].
#include "simulated_windows/simulated_machine.h"

#include <winioctl.h>

#include <cstring>

namespace drives {
namespace {

const char* CodeName(DWORD code) {
    switch (code) {
        case IOCTL_STORAGE_GET_DEVICE_NUMBER: return "IOCTL_STORAGE_GET_DEVICE_NUMBER";
        case IOCTL_STORAGE_GET_DEVICE_NUMBER_EX: return "IOCTL_STORAGE_GET_DEVICE_NUMBER_EX";
        case IOCTL_STORAGE_CHECK_VERIFY: return "IOCTL_STORAGE_CHECK_VERIFY";
        case IOCTL_STORAGE_CHECK_VERIFY2: return "IOCTL_STORAGE_CHECK_VERIFY2";
        case IOCTL_DISK_GET_DRIVE_GEOMETRY: return "IOCTL_DISK_GET_DRIVE_GEOMETRY";
        case IOCTL_DISK_GET_PARTITION_INFO: return "IOCTL_DISK_GET_PARTITION_INFO";
        case IOCTL_DISK_GET_PARTITION_INFO_EX: return "IOCTL_DISK_GET_PARTITION_INFO_EX";
        case IOCTL_DISK_GET_LENGTH_INFO: return "IOCTL_DISK_GET_LENGTH_INFO";
        case IOCTL_DISK_SET_PARTITION_INFO: return "IOCTL_DISK_SET_PARTITION_INFO";
        case FSCTL_ALLOW_EXTENDED_DASD_IO: return "FSCTL_ALLOW_EXTENDED_DASD_IO";
        case FSCTL_LOCK_VOLUME: return "FSCTL_LOCK_VOLUME";
        case FSCTL_UNLOCK_VOLUME: return "FSCTL_UNLOCK_VOLUME";
        case FSCTL_DISMOUNT_VOLUME: return "FSCTL_DISMOUNT_VOLUME";
        case IOCTL_STORAGE_QUERY_PROPERTY: return "IOCTL_STORAGE_QUERY_PROPERTY";
        case IOCTL_DISK_GET_DRIVE_GEOMETRY_EX: return "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX";
        case IOCTL_DISK_GET_DRIVE_LAYOUT_EX: return "IOCTL_DISK_GET_DRIVE_LAYOUT_EX";
        case IOCTL_DISK_SET_DRIVE_LAYOUT_EX: return "IOCTL_DISK_SET_DRIVE_LAYOUT_EX";
        case IOCTL_DISK_CREATE_DISK: return "IOCTL_DISK_CREATE_DISK";
        case IOCTL_DISK_UPDATE_PROPERTIES: return "IOCTL_DISK_UPDATE_PROPERTIES";
        case IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS: return "IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS";
        default: return "an unknown code";
    }
}

// The access a code's definition asks of the handle.
DWORD NeededAccess(DWORD code) {
    const DWORD bits = (code >> 14) & 3;
    return (bits & FILE_READ_ACCESS ? GENERIC_READ : 0) | (bits & FILE_WRITE_ACCESS ? GENERIC_WRITE : 0);
}

template <typename T>
bool Output(void* out, DWORD outSize, DWORD* returned, const T& value) {
    if (!out || outSize < sizeof value) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    std::memcpy(out, &value, sizeof value);
    if (returned) *returned = sizeof value;
    return true;
}

}  // namespace

BOOL SimulatedMachine::DeviceIoControl(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out,
                                       DWORD outSize, DWORD* returned) {
    const auto guard = Guard();
    if (returned) *returned = 0;
    const std::string call = "DeviceIoControl(" + Name(handle) + ", " + CodeName(code) + ")";
    if (IsDiskHandle(handle)) {
        return DiskCall(handle, call, [&](Handle& open, const SimulatedDisk& record, Disk& disk) {
            const DWORD needed = NeededAccess(code);
            if ((needed & GENERIC_READ && !(open.access & (GENERIC_READ | FILE_READ_DATA))) ||
                (needed & GENERIC_WRITE && !(open.access & (GENERIC_WRITE | FILE_WRITE_DATA))))
                return ::SetLastError(ERROR_ACCESS_DENIED), FALSE;
            return DiskControl(open, record, disk, code, in, inSize, out, outSize, returned);
        });
    }
    Handle* open = nullptr;
    SimulatedDrive* drive = nullptr;
    Volume* volume = nullptr;
    if (!Resolve(handle, open, drive, volume)) return Fail(::GetLastError(), FALSE, call);
    const DWORD needed = NeededAccess(code);
    if ((needed & GENERIC_READ && !(open->access & (GENERIC_READ | FILE_READ_DATA))) ||
        (needed & GENERIC_WRITE && !(open->access & (GENERIC_WRITE | FILE_WRITE_DATA))))
        return Fail(ERROR_ACCESS_DENIED, FALSE, call);
    if (!Control(*open, *drive, *volume, handle, code, in, inSize, out, outSize, returned))
        return Fail(::GetLastError(), FALSE, call);
    if (code != IOCTL_STORAGE_GET_DEVICE_NUMBER || (open->access & (GENERIC_READ | GENERIC_WRITE))) Log(call);
    return TRUE;
}

BOOL SimulatedMachine::Control(Handle& open, SimulatedDrive& drive, Volume& volume, HANDLE handle, DWORD code,
                               void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
    SimulatedMedium& medium = MediumOf(drive, volume);
    const auto refuse = [](DWORD error) {
        ::SetLastError(error);
        return FALSE;
    };
    switch (code) {
        case IOCTL_STORAGE_GET_DEVICE_NUMBER: {
            if (drive.failures & kFailDeviceNumber) return refuse(ERROR_INVALID_FUNCTION);
            STORAGE_DEVICE_NUMBER number{};
            number.DeviceType = FILE_DEVICE_DISK;
            number.DeviceNumber = drive.deviceNumber;
            number.PartitionNumber = drive.partition ? drive.partition : 1;
            return Output(out, outSize, returned, number);
        }
        // Disks only, Windows 10 and later, with a GUID formed from the
        // disk's hardware identifiers [STORAGE_DEVICE_NUMBER_EX structure];
        // a volume handle does not answer it (obs).
        case IOCTL_STORAGE_GET_DEVICE_NUMBER_EX: {
            if (!table_.windows10 || !open.viaDisk) return refuse(ERROR_INVALID_FUNCTION);
            const STORAGE_DEVICE_NUMBER_EX number = DiskNumberEx(drive.deviceNumber, drive.diskGuid);
            return Output(out, outSize, returned, number);
        }
        // Any access; a volume of one partition lies in one extent of its
        // disk [IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS IOCTL; VOLUME_DISK_EXTENTS structure].
        case IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS: {
            VOLUME_DISK_EXTENTS extents{};
            extents.NumberOfDiskExtents = 1;
            extents.Extents[0].DiskNumber = drive.deviceNumber;
            extents.Extents[0].StartingOffset.QuadPart = static_cast<LONGLONG>(medium.Offset());
            extents.Extents[0].ExtentLength.QuadPart = static_cast<LONGLONG>(medium.Bytes());
            return Output(out, outSize, returned, extents);
        }
        case IOCTL_STORAGE_CHECK_VERIFY:
        case IOCTL_STORAGE_CHECK_VERIFY2: {
            // Right after a change of medium the call fails: verify required
            // on a mounted volume, an I/O device error on an unmounted one
            // [IOCTL_STORAGE_CHECK_VERIFY IOCTL]; the count comes only on success.
            if (volume.verifyPending) {
                volume.verifyPending = false;
                return refuse(Mounted(drive, volume) ? ERROR_MEDIA_CHANGED : ERROR_IO_DEVICE);
            }
            if (outSize == 0) return TRUE;
            return Output(out, outSize, returned, static_cast<ULONG>(drive.mediaChanges + volume.extraChanges));
        }
        case IOCTL_DISK_GET_DRIVE_GEOMETRY: {
            if (drive.failures & kFailGeometry) return refuse(ERROR_NOT_READY);
            DISK_GEOMETRY geometry{};
            geometry.MediaType = drive.type == DRIVE_REMOVABLE ? RemovableMedia : FixedMedia;
            geometry.TracksPerCylinder = 255;
            geometry.SectorsPerTrack = 63;
            geometry.BytesPerSector = medium.SectorBytes();
            geometry.Cylinders.QuadPart =
                static_cast<LONGLONG>(medium.Bytes() / (255ull * 63 * medium.SectorBytes()));
            return Output(out, outSize, returned, geometry);
        }
        case IOCTL_DISK_GET_PARTITION_INFO: {
            PARTITION_INFORMATION partition{};
            partition.StartingOffset.QuadPart = static_cast<LONGLONG>(medium.Offset());
            partition.PartitionLength.QuadPart = static_cast<LONGLONG>(medium.Bytes());
            partition.HiddenSectors = static_cast<DWORD>(medium.Offset() / 512);
            partition.PartitionNumber = drive.partition ? drive.partition : 1;
            partition.PartitionType = PARTITION_FAT32_XINT13;
            partition.RecognizedPartition = TRUE;
            return Output(out, outSize, returned, partition);
        }
        case IOCTL_DISK_GET_PARTITION_INFO_EX: {
            PARTITION_INFORMATION_EX partition{};
            partition.PartitionStyle = PARTITION_STYLE_MBR;
            partition.StartingOffset.QuadPart = static_cast<LONGLONG>(medium.Offset());
            partition.PartitionLength.QuadPart = static_cast<LONGLONG>(medium.Bytes());
            partition.PartitionNumber = drive.partition ? drive.partition : 1;
            partition.Mbr.PartitionType = PARTITION_FAT32_XINT13;
            return Output(out, outSize, returned, partition);
        }
        case IOCTL_DISK_GET_LENGTH_INFO: {
            GET_LENGTH_INFORMATION length{};
            length.Length.QuadPart = static_cast<LONGLONG>(medium.Bytes());
            return Output(out, outSize, returned, length);
        }
        // A volume without a partition table in front of it has no entry to
        // set (the table's volumes start at sector 0).
        case IOCTL_DISK_SET_PARTITION_INFO:
            if (!in || inSize < sizeof(SET_PARTITION_INFORMATION)) return refuse(ERROR_INVALID_PARAMETER);
            return refuse(ERROR_INVALID_FUNCTION);
        case FSCTL_ALLOW_EXTENDED_DASD_IO:
            open.extendedAccess = true;
            return TRUE;
        // Refused while any other handle reaches the volume's data (another
        // program's included) or another handle holds the lock [FSCTL_LOCK_VOLUME IOCTL].
        case FSCTL_LOCK_VOLUME: {
            if (volume.lockOwner == handle) return TRUE;
            if (volume.lockOwner || (drive.failures & (kFailLock | kFailInUse | kHeldLocked)))
                return refuse(ERROR_ACCESS_DENIED);
            // Nor is the system's volume, or one with a page file, ever locked.
            if (HoldsSystem(drive.letter)) return refuse(ERROR_ACCESS_DENIED);
            for (const auto& [other, each] : handles_) {
                if (other != handle && each.letter == open.letter &&
                    (each.access & (GENERIC_READ | GENERIC_WRITE | FILE_READ_DATA | FILE_WRITE_DATA)))
                    return refuse(ERROR_ACCESS_DENIED);
            }
            volume.lockOwner = handle;
            return TRUE;
        }
        case FSCTL_UNLOCK_VOLUME:
            if (drive.failures & kPulledAtUnlock) {
                volume.pulled = true;
                return refuse(ERROR_DEVICE_NOT_CONNECTED);
            }
            if (volume.lockOwner != handle) return refuse(ERROR_NOT_LOCKED);
            volume.lockOwner = nullptr;
            return TRUE;
        // Fails where another process holds the lock, and on the system or a
        // page-file volume; open files are ignored
        // [FSCTL_DISMOUNT_VOLUME IOCTL].
        case FSCTL_DISMOUNT_VOLUME:
            if ((volume.lockOwner && volume.lockOwner != handle) || (drive.failures & kHeldLocked) ||
                HoldsSystem(drive.letter))
                return refuse(ERROR_ACCESS_DENIED);
            volume.dismounted = true;
            return TRUE;
        default:
            return refuse(ERROR_INVALID_FUNCTION);
    }
}

}  // namespace drives
