// The simulated machine's disks answer each disk call as Microsoft documents
// it: one row per modelled behaviour (README.md names the page), each a few
// calls on a fresh machine whose disk 1 is a sparse image holding an MBR with
// one partition (E:), and the error the last call must end in (0: success;
// ERROR_INVALID_DATA when an answer's contents are wrong).
#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simulated_windows/drive_table_file.h"
#include "simulated_windows/simulated_machine.h"

namespace drives {
namespace {

constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr LONGLONG kMiB = 1024 * 1024;
constexpr DWORD kLayoutHeader = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry);

DWORD Result(BOOL ok) { return ok ? 0 : ::GetLastError(); }
DWORD Check(bool right) { return right ? 0 : ERROR_INVALID_DATA; }

// A sparse image of `bytes` whose MBR holds one 0x0C partition from 1 MiB
// over `partitionSectors` (none when 0).
std::wstring Image(LONGLONG bytes, DWORD partitionSectors) {
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"dsk", 0, path);
    std::FILE* file = ::_wfopen(path, L"wb");
    unsigned char mbr[512] = {};
    if (partitionSectors) {
        mbr[446 + 4] = 0x0C;
        const DWORD fields[2] = {2048, partitionSectors};
        std::memcpy(mbr + 446 + 8, fields, sizeof fields);
        mbr[510] = 0x55;
        mbr[511] = 0xAA;
    }
    std::fwrite(mbr, 1, sizeof mbr, file);
    std::fclose(file);
    const HANDLE handle = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = bytes;
    ::SetFilePointerEx(handle, size, nullptr, FILE_BEGIN);
    ::SetEndOfFile(handle);
    ::CloseHandle(handle);
    return path;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

struct Machine {
    std::wstring image;
    SimulatedMachine machine;
    Machine(LONGLONG bytes, DWORD sectors, const std::string& fields)
        : image(Image(bytes, sectors)), machine(Table(image, fields)) {}
    ~Machine() { ::DeleteFileW(image.c_str()); }
    static SimulatedDriveTable Table(const std::wstring& image, const std::string& fields) {
        SimulatedDriveTable table;
        std::string error;
        const std::string text = fields.rfind("user", 0) == 0 ? fields.substr(0, fields.find(';')) + "\n" : "";
        const std::string disk = "disk 1 image=\"" + Narrow(image) + "\" " +
                                 (text.empty() ? fields : fields.substr(fields.find(';') + 1)) + "\n";
        EXPECT_TRUE(ParseDriveTable(text + disk + "drive E: type=removable number=1 partition=1 fs=FAT32\n", table,
                                    error))
            << error;
        return table;
    }
    HANDLE Disk(DWORD access = kReadWrite) {
        return machine.CreateFileW(L"\\\\.\\PhysicalDrive1", access, kShare, FILE_FLAG_NO_BUFFERING);
    }
    HANDLE Volume(DWORD access = kReadWrite) { return machine.CreateFileW(L"\\\\.\\E:", access, kShare, 0); }
    DWORD Control(HANDLE h, DWORD code, const void* in = nullptr, DWORD inSize = 0, void* out = nullptr,
                  DWORD outSize = 0) {
        DWORD returned = 0;
        return Result(machine.DeviceIoControl(h, code, const_cast<void*>(in), inSize, out, outSize, &returned));
    }
    DWORD WriteAt(HANDLE h, LONGLONG at) {
        static unsigned char data[4096];
        LARGE_INTEGER to;
        to.QuadPart = at;
        DWORD written = 0;
        if (!machine.SetFilePointerEx(h, to, nullptr, FILE_BEGIN)) return ::GetLastError();
        return Result(machine.WriteFile(h, data, sizeof data, &written));
    }
    // The image's first sector as it lies in the file.
    unsigned char FirstSectorType() const {
        unsigned char sector[512] = {};
        if (std::FILE* file = ::_wfopen(image.c_str(), L"rb")) {
            std::fread(sector, 1, sizeof sector, file);
            std::fclose(file);
        }
        return sector[446 + 4];
    }
    // The volumes' names, as the volume search lists them.
    DWORD VolumeNames(std::vector<std::wstring>& names, DWORD size = MAX_PATH) {
        wchar_t name[MAX_PATH] = {};
        const HANDLE search = machine.FindFirstVolumeW(name, size);
        if (search == INVALID_HANDLE_VALUE) return ::GetLastError();
        do names.push_back(name);
        while (machine.FindNextVolumeW(search, name, size));
        const DWORD error = ::GetLastError();
        machine.FindVolumeClose(search);
        return error;
    }
    std::vector<unsigned char> Layout(DWORD entries, DWORD& error) {
        std::vector<unsigned char> buffer(kLayoutHeader + entries * sizeof(PARTITION_INFORMATION_EX));
        error = Control(Disk(0), IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, buffer.data(),
                        static_cast<DWORD>(buffer.size()));
        return buffer;
    }
    // One MBR partition from 1 MiB over `bytes`, in a layout of `count` entries.
    DWORD SetLayout(HANDLE h, LONGLONG bytes, DWORD count = 4) {
        std::vector<unsigned char> buffer(kLayoutHeader + count * sizeof(PARTITION_INFORMATION_EX));
        auto* layout = reinterpret_cast<DRIVE_LAYOUT_INFORMATION_EX*>(buffer.data());
        layout->PartitionStyle = PARTITION_STYLE_MBR;
        layout->PartitionCount = count;
        layout->Mbr.Signature = 0x1234;
        for (DWORD i = 0; i < count; ++i) layout->PartitionEntry[i].RewritePartition = TRUE;
        layout->PartitionEntry[0].StartingOffset.QuadPart = kMiB;
        layout->PartitionEntry[0].PartitionLength.QuadPart = bytes;
        layout->PartitionEntry[0].Mbr.PartitionType = 0x0C;
        return Control(h, IOCTL_DISK_SET_DRIVE_LAYOUT_EX, buffer.data(), static_cast<DWORD>(buffer.size()));
    }
};

struct Row {
    const char* behaviour;
    LONGLONG diskBytes;
    DWORD partitionSectors;
    const char* fields;  // the disk record's; "user standard;..." for a standard user
    std::function<DWORD(Machine&)> calls;
    DWORD error;
};

TEST(SimulatedDisk, AnswersEachDiskCallAsDocumented) {
    const LONGLONG small = 64 * kMiB, huge = 3 * 1024 * 1024 * kMiB;
    const Row rows[] = {
        {"the layout needs room for every entry", small, 65536, "", [](Machine& m) {
             DWORD error = 0;
             m.Layout(3, error);
             return error; }, ERROR_INSUFFICIENT_BUFFER},
        {"an MBR lists its entries four at a time", small, 65536, "", [](Machine& m) {
             DWORD error = 0;
             const auto buffer = m.Layout(4, error);
             const auto* layout = reinterpret_cast<const DRIVE_LAYOUT_INFORMATION_EX*>(buffer.data());
             return error ? error : Check(layout->PartitionStyle == PARTITION_STYLE_MBR && layout->PartitionCount == 4 &&
                                          layout->PartitionEntry[0].Mbr.PartitionType == 0x0C &&
                                          layout->PartitionEntry[0].StartingOffset.QuadPart == kMiB &&
                                          layout->PartitionEntry[1].Mbr.PartitionType == 0); }, 0},
        {"a blank disk is RAW, without entries", small, 0, "", [](Machine& m) {
             DWORD error = 0;
             const auto buffer = m.Layout(0, error);
             const auto* layout = reinterpret_cast<const DRIVE_LAYOUT_INFORMATION_EX*>(buffer.data());
             return error ? error : Check(layout->PartitionStyle == PARTITION_STYLE_RAW && layout->PartitionCount == 0); }, 0},
        {"the device descriptor tells the bus", small, 65536, "bus=sata media=fixed", [](Machine& m) {
             STORAGE_PROPERTY_QUERY query{};
             STORAGE_DEVICE_DESCRIPTOR descriptor{};
             const DWORD error = m.Control(m.Disk(0), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &descriptor,
                                           sizeof descriptor);
             return error ? error : Check(descriptor.BusType == BusTypeSata && !descriptor.RemovableMedia); }, 0},
        {"a descriptor buffer of the header's size gets the size to ask with", small, 65536, "", [](Machine& m) {
             STORAGE_PROPERTY_QUERY query{};
             STORAGE_DESCRIPTOR_HEADER header{};
             const DWORD error = m.Control(m.Disk(0), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &header,
                                           sizeof header);
             return error ? error : Check(header.Size >= sizeof(STORAGE_DEVICE_DESCRIPTOR)); }, 0},
        {"the extended geometry gives the exact size", small, 65536, "", [](Machine& m) {
             DISK_GEOMETRY_EX geometry{};
             const DWORD error = m.Control(m.Disk(0), IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0, &geometry,
                                           sizeof geometry);
             return error ? error : Check(geometry.DiskSize.QuadPart == 64 * kMiB); }, 0},
        {"a standard user cannot open the disk for data", small, 65536, "user standard;",
         [](Machine& m) { return m.Disk() == INVALID_HANDLE_VALUE ? ::GetLastError() : 0; }, ERROR_ACCESS_DENIED},
        {"a new disk needs read and write access", small, 65536, "", [](Machine& m) {
             CREATE_DISK create{};
             return m.Control(m.Disk(GENERIC_READ), IOCTL_DISK_CREATE_DISK, &create, sizeof create); }, ERROR_ACCESS_DENIED},
        {"a partition past the disk's end is refused", small, 65536, "",
         [](Machine& m) { return m.SetLayout(m.Disk(), 64 * kMiB); }, ERROR_INVALID_PARAMETER},
        {"an MBR layout of three entries is refused", small, 65536, "",
         [](Machine& m) { return m.SetLayout(m.Disk(), 32 * kMiB, 3); }, ERROR_INVALID_PARAMETER},
        {"an MBR partition ending past 2 TiB is refused", huge, 65536, "",
         [](Machine& m) { return m.SetLayout(m.Disk(), huge - kMiB); }, ERROR_INVALID_PARAMETER},
        {"an MBR partition ending at 2 TiB is taken", huge, 65536, "",
         [](Machine& m) { return m.SetLayout(m.Disk(), (1LL << 41) - kMiB); }, 0},
        {"the disk handle may not write inside a mounted, unlocked volume", small, 65536, "",
         [](Machine& m) { return m.WriteAt(m.Disk(), 2 * kMiB); }, ERROR_ACCESS_DENIED},
        {"outside every volume the disk handle writes", small, 65536, "",
         [](Machine& m) { return m.WriteAt(m.Disk(), 0); }, 0},
        {"inside a locked, dismounted volume the disk handle writes", small, 65536, "", [](Machine& m) {
             const HANDLE volume = m.Volume();
             const DWORD error = m.Control(volume, FSCTL_LOCK_VOLUME) | m.Control(volume, FSCTL_DISMOUNT_VOLUME);
             return error ? error : m.WriteAt(m.Disk(), 2 * kMiB); }, 0},
        {"a new layout takes the volume away", small, 65536, "", [](Machine& m) {
             const DWORD error = m.SetLayout(m.Disk(), 32 * kMiB);
             return error ? error : (m.Volume(0) == INVALID_HANDLE_VALUE ? ::GetLastError() : 0); }, ERROR_FILE_NOT_FOUND},
        {"an old volume handle is dead after a new layout", small, 65536, "", [](Machine& m) {
             const HANDLE volume = m.Volume();
             const DWORD error = m.SetLayout(m.Disk(), 32 * kMiB);
             return error ? error : m.Control(volume, IOCTL_DISK_GET_LENGTH_INFO); }, ERROR_DEVICE_NOT_CONNECTED},
        {"the volume arrives when the table is read again", small, 65536, "", [](Machine& m) {
             const HANDLE disk = m.Disk();
             const DWORD error = m.SetLayout(disk, 16 * kMiB) | m.Control(disk, IOCTL_DISK_UPDATE_PROPERTIES);
             GET_LENGTH_INFORMATION length{};
             return error ? error : m.Control(m.Volume(), IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length) |
                                        Check(length.Length.QuadPart == 16 * kMiB); }, 0},
        {"a descriptor buffer smaller than its header is refused", small, 65536, "", [](Machine& m) {
             STORAGE_PROPERTY_QUERY query{};
             DWORD version = 0;
             return m.Control(m.Disk(0), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &version,
                              sizeof version); }, ERROR_INSUFFICIENT_BUFFER},
        {"the disk handle says its number, partition 0", small, 65536, "", [](Machine& m) {
             STORAGE_DEVICE_NUMBER number{};
             const DWORD error =
                 m.Control(m.Disk(0), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof number);
             return error ? error : Check(number.DeviceNumber == 1 && number.PartitionNumber == 0); }, 0},
        {"a partition's volume starts where its entry says", small, 65536, "", [](Machine& m) {
             PARTITION_INFORMATION_EX partition{};
             const DWORD error = m.Control(m.Volume(0), IOCTL_DISK_GET_PARTITION_INFO_EX, nullptr, 0, &partition,
                                           sizeof partition);
             return error ? error : Check(partition.StartingOffset.QuadPart == kMiB &&
                                          partition.PartitionLength.QuadPart == 32 * kMiB); }, 0},
        {"the disk handle writes whole sectors only", small, 65536, "",
         [](Machine& m) { return m.WriteAt(m.Disk(), 100); }, ERROR_INVALID_PARAMETER},
        {"a stick pulled out at its first write", small, 65536, "pulled-at-write=1",
         [](Machine& m) { return m.WriteAt(m.Disk(), 0); }, ERROR_DEVICE_NOT_CONNECTED},
        {"a pulled stick's disk no longer opens", small, 65536, "pulled-at-write=1", [](Machine& m) {
             m.WriteAt(m.Disk(), 0);
             return m.Disk(0) == INVALID_HANDLE_VALUE ? ::GetLastError() : 0; }, ERROR_FILE_NOT_FOUND},
        {"a new MBR disk holds no partition, and its volume leaves", small, 65536, "", [](Machine& m) {
             CREATE_DISK create{};
             create.PartitionStyle = PARTITION_STYLE_MBR;
             create.Mbr.Signature = 7;
             DWORD error = m.Control(m.Disk(), IOCTL_DISK_CREATE_DISK, &create, sizeof create);
             if (error) return error;
             const auto buffer = m.Layout(4, error);
             const auto* layout = reinterpret_cast<const DRIVE_LAYOUT_INFORMATION_EX*>(buffer.data());
             return error ? error : Check(layout->PartitionStyle == PARTITION_STYLE_MBR && layout->Mbr.Signature == 7 &&
                                          layout->PartitionEntry[0].Mbr.PartitionType == 0 &&
                                          m.Volume(0) == INVALID_HANDLE_VALUE); }, 0},
        {"a GPT layout is not modelled", small, 65536, "", [](Machine& m) {
             DRIVE_LAYOUT_INFORMATION_EX layout{};
             layout.PartitionStyle = PARTITION_STYLE_GPT;
             return m.Control(m.Disk(), IOCTL_DISK_SET_DRIVE_LAYOUT_EX, &layout, sizeof layout); }, ERROR_NOT_SUPPORTED},
        {"the table is read again on a handle without access", small, 65536, "",
         [](Machine& m) { return m.Control(m.Disk(0), IOCTL_DISK_UPDATE_PROPERTIES); }, 0},
        {"Windows 10: the disk handle says its number and GUID", small, 65536, "guid=77\nwindows 10", [](Machine& m) {
             STORAGE_DEVICE_NUMBER_EX number{};
             const DWORD error =
                 m.Control(m.Disk(0), IOCTL_STORAGE_GET_DEVICE_NUMBER_EX, nullptr, 0, &number, sizeof number);
             return error ? error : Check(number.DeviceNumber == 1 && number.PartitionNumber == 0 &&
                                          number.DeviceGuid.Data1 == 77); }, 0},
        {"before Windows 10 the disk handle has no GUID", small, 65536, "", [](Machine& m) {
             STORAGE_DEVICE_NUMBER_EX number{};
             return m.Control(m.Disk(0), IOCTL_STORAGE_GET_DEVICE_NUMBER_EX, nullptr, 0, &number, sizeof number); },
         ERROR_INVALID_FUNCTION},
        {"pulled during a new disk's write, sector 0 stays", small, 65536, "pulled-at-write=1", [](Machine& m) {
             CREATE_DISK create{};
             create.PartitionStyle = PARTITION_STYLE_MBR;
             const DWORD error = m.Control(m.Disk(), IOCTL_DISK_CREATE_DISK, &create, sizeof create);
             return error == ERROR_DEVICE_NOT_CONNECTED ? Check(m.FirstSectorType() == 0x0C) : error | 1; }, 0},
        {"pulled during a new layout's write, sector 0 stays", small, 65536, "pulled-at-write=2", [](Machine& m) {
             const HANDLE disk = m.Disk();
             m.WriteAt(disk, 1024 * 1024 * 1024);
             const DWORD error = m.SetLayout(disk, 16 * kMiB);
             return error == ERROR_DEVICE_NOT_CONNECTED ? Check(m.FirstSectorType() == 0x0C) : error | 1; }, 0},
        {"every volume is listed by its GUID name, a trailing backslash after it", small, 65536,
         "\nvolume number=1 partition=1 fs=FAT32", [](Machine& m) {
             std::vector<std::wstring> names;
             const DWORD error = m.VolumeNames(names);
             return error != ERROR_NO_MORE_FILES ? error | 1
                    : Check(names.size() == 2 && names[0].rfind(L"\\\\?\\Volume{", 0) == 0 && names[0].back() == L'\\' &&
                            names[0] != names[1]); }, 0},
        {"a volume name into a buffer too small", small, 65536, "", [](Machine& m) {
             std::vector<std::wstring> names;
             return m.VolumeNames(names, 20); }, ERROR_FILENAME_EXCED_RANGE},
        {"without its backslash the name opens the volume, on its disk", small, 65536,
         "\nvolume number=1 partition=1 fs=FAT32", [](Machine& m) {
             std::vector<std::wstring> names;
             m.VolumeNames(names);
             VOLUME_DISK_EXTENTS extents{};
             const HANDLE volume = m.machine.CreateFileW(names[1].substr(0, names[1].size() - 1).c_str(), 0, kShare, 0);
             const DWORD error = m.Control(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, &extents,
                                           sizeof extents);
             return error ? error : Check(extents.Extents[0].DiskNumber == 1 &&
                                          extents.Extents[0].StartingOffset.QuadPart == kMiB); }, 0},
        {"with its backslash the name is a directory", small, 65536, "", [](Machine& m) {
             std::vector<std::wstring> names;
             m.VolumeNames(names);
             return m.machine.CreateFileW(names[0].c_str(), 0, kShare, 0) == INVALID_HANDLE_VALUE ? ::GetLastError() : 0; },
         ERROR_ACCESS_DENIED},
        {"the disk handle may not write inside a mounted volume without a letter", small, 65536,
         "\nvolume number=1 partition=1 fs=FAT32", [](Machine& m) {
             const HANDLE volume = m.Volume();
             const DWORD error = m.Control(volume, FSCTL_LOCK_VOLUME) | m.Control(volume, FSCTL_DISMOUNT_VOLUME);
             return error ? error : m.WriteAt(m.Disk(), 2 * kMiB); }, ERROR_ACCESS_DENIED},
        {"a volume whose partition is not in the layout is not there", small, 0, "",
         [](Machine& m) { return m.Volume(0) == INVALID_HANDLE_VALUE ? ::GetLastError() : 0; }, ERROR_FILE_NOT_FOUND},
    };
    for (const Row& row : rows) {
        Machine machine(row.diskBytes, row.partitionSectors, row.fields);
        EXPECT_EQ(row.calls(machine), row.error) << row.behaviour;
    }
}

}  // namespace
}  // namespace drives
