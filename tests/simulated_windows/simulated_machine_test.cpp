// The simulated machine answers each volume call as Microsoft documents it:
// one row per modelled behaviour (the page in README.md), each a few calls on
// a fresh machine with one stick E: and the error the last call must end in
// (0: success). Then the identity read alike at the question and on the
// locked handle, through the code that ships.
#include <windows.h>
#include <winioctl.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "devices/medium_identity.h"
#include "devices/system_disks.h"
#include "drives/medium_proof.h"
#include "drives/usb_scan.h"
#include "simulated_windows/drive_table_file.h"
#include "simulated_windows/simulated_drive_query.h"
#include "simulated_windows/simulated_machine.h"

namespace drives {
namespace {

constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

SimulatedDriveTable Table(const std::string& fields, const char* user = "administrator") {
    SimulatedDriveTable table;
    std::string error;
    const std::string text = std::string("user ") + user +
                             "\ndrive E: type=removable number=1 sectors=8 bytes=512 clusters=4096 "
                             "fs=FAT32 " + fields + "\n";
    EXPECT_TRUE(ParseDriveTable(text, table, error)) << error;
    return table;
}

DWORD Result(BOOL ok) { return ok ? 0 : ::GetLastError(); }
DWORD Check(bool right) { return right ? 0 : ERROR_INVALID_DATA; }

constexpr wchar_t kMemoryManagement[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";

// RegGetValueW of the page files in use into `bytes` bytes; their list in `files`.
DWORD PageFiles(SimulatedMachine& m, DWORD bytes, std::wstring& files, DWORD flags = RRF_RT_REG_MULTI_SZ,
                const wchar_t* value = L"ExistingPageFiles") {
    std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1);
    DWORD type = 0;
    const LSTATUS status = m.RegGetValueW(HKEY_LOCAL_MACHINE, kMemoryManagement, value, flags, &type,
                                          data.data(), &bytes);
    if (status == ERROR_SUCCESS) files.assign(data.data(), bytes / sizeof(wchar_t));
    return status == ERROR_SUCCESS ? Check(type == REG_MULTI_SZ) : static_cast<DWORD>(status);
}
DWORD Opened(HANDLE handle) { return handle != INVALID_HANDLE_VALUE ? 0 : ::GetLastError(); }

HANDLE Open(SimulatedMachine& m, DWORD access = kReadWrite, DWORD share = kShare) {
    return m.CreateFileW(L"\\\\.\\E:", access, share, FILE_FLAG_NO_BUFFERING);
}

DWORD Control(SimulatedMachine& m, HANDLE h, DWORD code, void* out = nullptr, DWORD size = 0) {
    DWORD returned = 0;
    return Result(m.DeviceIoControl(h, code, nullptr, 0, out, size, &returned));
}

DWORD WriteAt(SimulatedMachine& m, HANDLE h, LONGLONG at, DWORD bytes) {
    static std::uint8_t data[8192];
    LARGE_INTEGER to;
    to.QuadPart = at;
    DWORD written = 0;
    if (!m.SetFilePointerEx(h, to, nullptr, FILE_BEGIN)) return ::GetLastError();
    return Result(m.WriteFile(h, data, bytes, &written));
}

// The drive list's query of the root on the same machine: its volume
// information, or its free space.
DWORD ListQuery(SimulatedMachine& m, bool volumeInformation) {
    SimulatedDriveQuery query(std::shared_ptr<SimulatedMachine>(&m, [](SimulatedMachine*) {}));
    wchar_t label[32], fileSystem[32];
    DWORD sectors = 0, bytes = 0, free = 0, total = 0;
    return Result(volumeInformation ? query.VolumeInformation(L"E:\\", label, 32, fileSystem, 32)
                                    : query.DiskFreeSpace(L"E:\\", sectors, bytes, free, total));
}

struct Row {
    const char* behaviour;
    const char* conditions;
    std::function<DWORD(SimulatedMachine&)> calls;
    DWORD error;
};

TEST(SimulatedMachine, AnswersEachCallAsDocumented) {
    const LONGLONG end = 4096LL * 8 * 512;
    const Row rows[] = {
        {"a letter with no drive", "", [](SimulatedMachine& m) {
             return Opened(m.CreateFileW(L"\\\\.\\Q:", kReadWrite, kShare, 0)); }, ERROR_FILE_NOT_FOUND},
        {"a standard user: data opens refused", "user", [](SimulatedMachine& m) { return Opened(Open(m)); },
         ERROR_ACCESS_DENIED},
        {"a standard user: access 0 opens", "user", [](SimulatedMachine& m) { return Opened(Open(m, 0)); }, 0},
        {"locked by another program: data opens refused", "held=lock",
         [](SimulatedMachine& m) { return Opened(Open(m, GENERIC_READ)); }, ERROR_ACCESS_DENIED},
        {"locked by another program: access 0 opens", "held=lock",
         [](SimulatedMachine& m) { return Opened(Open(m, 0)); }, 0},
        {"locked by another program: the root's free space denied", "held=lock",
         [](SimulatedMachine& m) { return ListQuery(m, false); }, ERROR_ACCESS_DENIED},
        {"locked by us: the root's volume information denied", "", [](SimulatedMachine& m) {
             Control(m, Open(m), FSCTL_LOCK_VOLUME);
             return ListQuery(m, true); }, ERROR_ACCESS_DENIED},
        {"opened exclusively by another program", "held=exclusive",
         [](SimulatedMachine& m) { return Opened(Open(m, GENERIC_READ)); }, ERROR_SHARING_VIOLATION},
        {"held open by another program: the lock is refused", "held=open",
         [](SimulatedMachine& m) { return Control(m, Open(m), FSCTL_LOCK_VOLUME); }, ERROR_ACCESS_DENIED},
        {"a second handle of ours refuses the lock", "", [](SimulatedMachine& m) {
             Open(m, GENERIC_READ);
             return Control(m, Open(m), FSCTL_LOCK_VOLUME); }, ERROR_ACCESS_DENIED},
        {"an access-0 handle does not refuse the lock", "", [](SimulatedMachine& m) {
             Open(m, 0);
             return Control(m, Open(m), FSCTL_LOCK_VOLUME); }, 0},
        {"locked: other opens refused", "", [](SimulatedMachine& m) {
             Control(m, Open(m), FSCTL_LOCK_VOLUME);
             return Opened(Open(m, GENERIC_READ)); }, ERROR_ACCESS_DENIED},
        {"the lock goes with the locking handle's close", "", [](SimulatedMachine& m) {
             const HANDLE h = Open(m);
             Control(m, h, FSCTL_LOCK_VOLUME);
             m.CloseHandle(h);
             return Opened(Open(m)); }, 0},
        {"a mounted volume refuses writes without the lock", "",
         [](SimulatedMachine& m) { return WriteAt(m, Open(m), 0, 512); }, ERROR_ACCESS_DENIED},
        {"a RAW volume takes writes without the lock", "state=raw",
         [](SimulatedMachine& m) { return WriteAt(m, Open(m), 0, 512); }, 0},
        {"unaligned writes refused", "state=raw",
         [](SimulatedMachine& m) { return WriteAt(m, Open(m), 0, 100); }, ERROR_INVALID_PARAMETER},
        {"unaligned positions refused", "state=raw",
         [](SimulatedMachine& m) { return WriteAt(m, Open(m), 100, 512); }, ERROR_INVALID_PARAMETER},
        {"the last sector only with extended DASD access", "state=raw",
         [end](SimulatedMachine& m) { return WriteAt(m, Open(m), end - 512, 512); }, ERROR_INVALID_PARAMETER},
        {"the last sector with extended DASD access", "state=raw", [end](SimulatedMachine& m) {
             const HANDLE h = Open(m);
             Control(m, h, FSCTL_ALLOW_EXTENDED_DASD_IO);
             return WriteAt(m, h, end - 512, 512); }, 0},
        {"nothing past the volume", "state=raw", [end](SimulatedMachine& m) {
             const HANDLE h = Open(m);
             Control(m, h, FSCTL_ALLOW_EXTENDED_DASD_IO);
             return WriteAt(m, h, end, 512); }, ERROR_INVALID_PARAMETER},
        {"a write-protected medium", "state=raw,write-protected",
         [](SimulatedMachine& m) { return WriteAt(m, Open(m), 0, 512); }, ERROR_WRITE_PROTECT},
        {"CHECK_VERIFY needs read access", "", [](SimulatedMachine& m) {
             ULONG count = 0;
             return Control(m, Open(m, 0), IOCTL_STORAGE_CHECK_VERIFY, &count, sizeof count); },
         ERROR_ACCESS_DENIED},
        {"CHECK_VERIFY2 with access 0", "", [](SimulatedMachine& m) {
             ULONG count = 0;
             return Control(m, Open(m, 0), IOCTL_STORAGE_CHECK_VERIFY2, &count, sizeof count); }, 0},
        {"a swapped card: CHECK_VERIFY fails once", "swap=other.img", [](SimulatedMachine& m) {
             ULONG count = 0;
             return Control(m, Open(m), IOCTL_STORAGE_CHECK_VERIFY, &count, sizeof count); },
         ERROR_MEDIA_CHANGED},
        {"a change after a swapped card is counted", "swap=other.img", [](SimulatedMachine& m) {
             ULONG count = 0;
             const HANDLE h = Open(m);
             Control(m, h, IOCTL_STORAGE_CHECK_VERIFY, &count, sizeof count);
             Control(m, h, IOCTL_STORAGE_CHECK_VERIFY, &count, sizeof count);
             m.CloseHandle(h);
             m.Replace(Table("image=third.img"));
             return Control(m, Open(m, GENERIC_READ), IOCTL_STORAGE_CHECK_VERIFY, &count, sizeof count); },
         ERROR_MEDIA_CHANGED},
        {"GET_DEVICE_NUMBER_EX on a volume", "", [](SimulatedMachine& m) {
             STORAGE_DEVICE_NUMBER_EX number{};
             return Control(m, Open(m, 0), IOCTL_STORAGE_GET_DEVICE_NUMBER_EX, &number, sizeof number); },
         ERROR_INVALID_FUNCTION},
        {"Windows 10: GET_DEVICE_NUMBER_EX on the disk", "\nwindows 10", [](SimulatedMachine& m) {
             STORAGE_DEVICE_NUMBER_EX number{};
             const HANDLE disk = m.CreateFileW(L"\\\\.\\PhysicalDrive1", 0, kShare, 0);
             return Control(m, disk, IOCTL_STORAGE_GET_DEVICE_NUMBER_EX, &number, sizeof number); }, 0},
        {"Windows 10: GET_DEVICE_NUMBER_EX on a volume", "\nwindows 10", [](SimulatedMachine& m) {
             STORAGE_DEVICE_NUMBER_EX number{};
             return Control(m, Open(m, 0), IOCTL_STORAGE_GET_DEVICE_NUMBER_EX, &number, sizeof number); },
         ERROR_INVALID_FUNCTION},
        {"unlock without the lock", "",
         [](SimulatedMachine& m) { return Control(m, Open(m), FSCTL_UNLOCK_VOLUME); }, ERROR_NOT_LOCKED},
        {"dismount while another holds the lock", "", [](SimulatedMachine& m) {
             Control(m, Open(m), FSCTL_LOCK_VOLUME);
             return Control(m, Open(m, 0), FSCTL_DISMOUNT_VOLUME); }, ERROR_ACCESS_DENIED},
        {"a stick pulled at its 2nd write", "state=raw pulled-at-write=2", [](SimulatedMachine& m) {
             const HANDLE h = Open(m);
             WriteAt(m, h, 0, 512);
             return WriteAt(m, h, 512, 512); }, ERROR_DEVICE_NOT_CONNECTED},
        {"then the letter is gone", "state=raw pulled-at-write=1", [](SimulatedMachine& m) {
             WriteAt(m, Open(m), 0, 512);
             return Opened(Open(m, 0)); }, ERROR_FILE_NOT_FOUND},
        {"the Windows folder lies on the system drive", "\nsystem E:", [](SimulatedMachine& m) {
             wchar_t path[MAX_PATH];
             const UINT length = m.GetSystemWindowsDirectoryW(path, MAX_PATH);
             return Check(length == 10 && std::wstring(path) == L"E:\\Windows"); }, 0},
        {"the Windows folder into a buffer too small: the size needed", "", [](SimulatedMachine& m) {
             wchar_t path[4];
             return Check(m.GetSystemWindowsDirectoryW(path, 4) == 11); }, 0},
        {"the system's volume refuses the lock", "\nsystem E:",
         [](SimulatedMachine& m) { return Control(m, Open(m), FSCTL_LOCK_VOLUME); }, ERROR_ACCESS_DENIED},
        {"a page file's volume refuses the lock", "\npagefile E:\\pagefile.sys",
         [](SimulatedMachine& m) { return Control(m, Open(m), FSCTL_LOCK_VOLUME); }, ERROR_ACCESS_DENIED},
        {"the page files in use, each by its NT path", "\npagefile C:\\pagefile.sys\npagefile E:\\swap.sys",
         [](SimulatedMachine& m) {
             std::wstring files;
             const DWORD error = PageFiles(m, 256, files);
             const std::wstring expected(L"\\??\\C:\\pagefile.sys\0\\??\\E:\\swap.sys\0\0", 37);
             return error ? error : Check(files == expected); }, 0},
        {"no page file: an empty list", "", [](SimulatedMachine& m) {
             std::wstring files;
             const DWORD error = PageFiles(m, 256, files);
             return error ? error : Check(files == std::wstring(1, L'\0')); }, 0},
        {"the page files into a buffer too small", "\npagefile C:\\pagefile.sys", [](SimulatedMachine& m) {
             std::wstring files;
             return PageFiles(m, 8, files); }, ERROR_MORE_DATA},
        {"the page files asked as another type", "\npagefile C:\\pagefile.sys", [](SimulatedMachine& m) {
             std::wstring files;
             return PageFiles(m, 256, files, RRF_RT_REG_SZ); }, ERROR_UNSUPPORTED_TYPE},
        {"the configured page files, each as PATH min max", "\npagefile C:\\pagefile.sys", [](SimulatedMachine& m) {
             std::wstring files;
             const DWORD error = PageFiles(m, 256, files, RRF_RT_REG_MULTI_SZ, L"PagingFiles");
             return error ? error : Check(files == std::wstring(L"C:\\pagefile.sys 0 0\0\0", 21)); }, 0},
        {"a value the key does not hold is not found", "", [](SimulatedMachine& m) {
             std::wstring files;
             return PageFiles(m, 256, files, RRF_RT_REG_MULTI_SZ, L"NoSuchValue"); }, ERROR_FILE_NOT_FOUND},
        {"a closed handle", "", [](SimulatedMachine& m) {
             const HANDLE h = Open(m);
             m.CloseHandle(h);
             return Result(m.CloseHandle(h)); }, ERROR_INVALID_HANDLE},
    };
    for (const Row& row : rows) {
        std::string fields = row.conditions;
        const bool standard = fields == "user";
        if (standard) fields.clear();
        SimulatedMachine machine(Table(fields, standard ? "standard" : "administrator"));
        EXPECT_EQ(row.calls(machine), row.error) << row.behaviour;
    }
}

// The shipped check of a disk's system use, over the machine's answers: E:
// is disk 1, C: disk 0; the records say where Windows and the page files lie.
TEST(SimulatedMachine, TellsTheDisksThatCarryTheSystem) {
    const struct {
        const char* records;
        fat32::SystemUse use;
    } rows[] = {
        {"", fat32::SystemUse::None},
        {"\nsystem E:", fat32::SystemUse::Windows},
        {"\npagefile C:\\pagefile.sys", fat32::SystemUse::None},
        {"\npagefile C:\\pagefile.sys\npagefile e:\\swap\\pagefile.sys", fat32::SystemUse::PageFile},
        // A letter whose disk is not told counts as this one.
        {"\nsystem Q:", fat32::SystemUse::Windows},
        {"\npagefile D:\\pagefile.sys\ndrive D: type=fixed number=2 fs=NTFS fail=number", fat32::SystemUse::PageFile},
    };
    for (const auto& row : rows) {
        SimulatedMachine machine(Table(std::string(row.records) + "\ndrive C: type=fixed number=0 fs=NTFS"));
        EXPECT_EQ(fat32::SystemUseOfDisk(machine, 1), row.use) << row.records;
        EXPECT_EQ(machine.OpenHandles(), 0) << row.records;
    }
}

// The identity read the same way on both sides, through the shipped question
// (the scan's IdentifyUsbDrive), the worker's recheck and the proof on the
// locked handle: a FAT32 stick whose boot sector Windows will not mount (RAW)
// but still signs reads the same serial at the question and on the locked
// handle, so the proof passes; a card swapped after the question fails it,
// though both read serial 0. `before` is the table the user's hands made just
// before the question (a card put in: the first count query fails).
TEST(SimulatedMachine, TheIdentityReadsAlikeAtTheQuestionAndOnTheLockedHandle) {
    struct Case {
        const char* name;
        const char* conditions;
        const char* before;
        const char* after;  // the table once the question was answered
        DWORD serial;
        fat32::FormatResult proof;
    };
    // Blank cards of the stick's size.
    const char* const cards[] = {"card1.img", "card2.img", "card3.img"};
    for (const char* card : cards) {
        if (std::FILE* f = std::fopen(card, "wb")) {
            static const std::uint8_t zeros[64 * 1024] = {};
            for (int i = 0; i < 256; ++i) std::fwrite(zeros, 1, sizeof zeros, f);
            std::fclose(f);
        }
    }
    const char* const usb = "\ninterface disk \\\\?\\usbstor#disk#1 instance=11 number=1\ndevice 11 parent=21\n"
                            "device 21 id=USB\\VID_0951&PID_1666\\1";
    const char* const windows10 = "state=raw guid=5\nwindows 10";
    for (const Case c :
         {Case{"RAW but signed", "state=raw serial=7", "", "", 7, fat32::kFormatOk},
          Case{"card swapped, both RAW", "state=raw swap=card2.img", "", "", 0, fat32::kDriveChanged},
          Case{"a change before the question, then untouched", "state=raw image=card1.img",
               "state=raw image=card2.img", "", 0, fat32::kFormatOk},
          Case{"swap before the question and again after it", "state=raw image=card1.img",
               "state=raw image=card2.img swap=card3.img", "", 0, fat32::kDriveChanged},
          Case{"Windows 10: the same disk's GUID", windows10, "", "", 0, fat32::kFormatOk},
          Case{"Windows 10: another disk with the same device number", windows10, "",
               "state=raw guid=6\nwindows 10", 0, fat32::kDriveChanged}}) {
        const auto machine = std::make_shared<SimulatedMachine>(Table(c.conditions + std::string(usb)));
        if (*c.before) machine->Replace(Table(c.before + std::string(usb)));
        SimulatedDriveQuery query(machine);
        DriveIdentity confirmed;
        ASSERT_EQ(IdentifyUsbDrive(query, L'E', confirmed), IdentifyStatus::Found) << c.name;
        EXPECT_EQ(confirmed.volumeSerial, c.serial) << c.name;
        EXPECT_TRUE(confirmed.mediaChangesKnown) << c.name;
        // The worker asks once more before it opens the volume.
        DriveIdentity again;
        ASSERT_EQ(IdentifyUsbDrive(query, L'E', again), IdentifyStatus::Found) << c.name;
        EXPECT_EQ(ProveIdentity(confirmed, again), fat32::kFormatOk) << c.name;
        EXPECT_EQ(confirmed.deviceGuidKnown, c.conditions == windows10) << c.name;
        if (*c.after) machine->Replace(Table(c.after + std::string(usb)));
        const HANDLE locked = Open(*machine);
        ASSERT_EQ(Control(*machine, locked, FSCTL_LOCK_VOLUME), 0u) << c.name;
        EXPECT_EQ(ProveMedium(confirmed, fat32::ReadMediumFacts(*machine, locked)), c.proof) << c.name;
        machine->CloseHandle(locked);
        EXPECT_EQ(machine->OpenHandles(), 0) << c.name;
    }
    for (const char* card : cards) std::remove(card);
}

}  // namespace
}  // namespace drives
