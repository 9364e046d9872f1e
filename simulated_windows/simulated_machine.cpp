// SimulatedMachine: opening and closing volumes, sector I/O, and the world's
// changes. The rules each call follows, with their pages, are in README.md;
// the comments name the page where a rule is applied.
#include "simulated_windows/simulated_machine.h"

#include <chrono>
#include <cwchar>
#include <thread>

namespace drives {
namespace {

constexpr DWORD kDataAccess = GENERIC_READ | GENERIC_WRITE | FILE_READ_DATA | FILE_WRITE_DATA;
constexpr DWORD kReadAccess = GENERIC_READ | FILE_READ_DATA;
constexpr DWORD kWriteAccess = GENERIC_WRITE | FILE_WRITE_DATA;

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

std::string AccessText(DWORD access) {
    if (!(access & kDataAccess)) return "no data access";
    std::string text = access & kReadAccess ? "GENERIC_READ" : "";
    if (access & kWriteAccess) text += text.empty() ? "GENERIC_WRITE" : "|GENERIC_WRITE";
    return text;
}

std::string Hex(std::uintptr_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%#llx", static_cast<unsigned long long>(value));
    return text;
}

// "\\.\PhysicalDriveN": disk N.
bool DiskNumber(const wchar_t* path, DWORD& number) {
    constexpr wchar_t kPrefix[] = L"\\\\.\\PhysicalDrive";
    const std::size_t length = std::wcslen(kPrefix);
    if (!path || std::wcsncmp(path, kPrefix, length) != 0 || !path[length]) return false;
    number = 0;
    for (const wchar_t* p = path + length; *p; ++p) {
        if (*p < L'0' || *p > L'9') return false;
        number = number * 10 + static_cast<DWORD>(*p - L'0');
    }
    return true;
}

// "\\.\X:" or "\\?\X:": the volume of drive X; 0 for any other path.
wchar_t VolumeLetter(const wchar_t* path) {
    if (!path || std::wcslen(path) != 6 || path[0] != L'\\' || path[1] != L'\\' ||
        (path[2] != L'.' && path[2] != L'?') || path[3] != L'\\' || path[5] != L':')
        return 0;
    const wchar_t letter = static_cast<wchar_t>(path[4] & ~0x20);
    return letter >= L'A' && letter <= L'Z' ? letter : 0;
}

// A medium is another when its image, its disk, or (without an image) its
// table serial or RAW state changes; an image's own contents may change
// under a format.
std::wstring MediumKey(const SimulatedDrive& drive) {
    const bool memory = drive.image.empty();
    return drive.image + L"|" + std::to_wstring(drive.deviceNumber) + L"|" +
           (memory ? std::to_wstring(drive.serial) : L"") + L"|" +
           (memory && (drive.failures & kFailRaw) ? L"raw" : L"") + L"|" + std::to_wstring(drive.mediaChanges);
}

// The table record as it tells of the medium, the card to swap in included.
std::wstring RecordKey(const SimulatedDrive& drive) { return MediumKey(drive) + L"|" + drive.swapImage; }

}  // namespace

SimulatedMachine::SimulatedMachine(SimulatedDriveTable table) : table_(std::move(table)) {
    for (const SimulatedDrive& drive : table_.drives) VolumeOf(drive.letter).key = MediumKey(drive);
}

SimulatedMachine::~SimulatedMachine() = default;

std::string SimulatedMachine::Name(HANDLE handle) const {
    const auto open = handles_.find(handle);
    std::string drive;
    if (open != handles_.end()) {
        const wchar_t letter = open->second.letter;
        drive = letter >= L'A' && letter <= L'Z' ? std::string(1, static_cast<char>(letter)) + ":"
                                                 : "volume" + std::to_string(letter - kFirstUnletteredVolume) + ":";
    }
    if (open != handles_.end() && open->second.disk != kNoDisk) drive = "disk" + std::to_string(open->second.disk) + ":";
    return drive + Hex(reinterpret_cast<std::uintptr_t>(handle));
}

void SimulatedMachine::Log(const std::string& line) const {
    if (log_) log_(line);
}

SimulatedDrive* SimulatedMachine::DriveOf(wchar_t letter) {
    for (SimulatedDrive& drive : table_.drives) {
        if (drive.letter == letter) return &drive;
    }
    return nullptr;
}

SimulatedMachine::Volume& SimulatedMachine::VolumeOf(wchar_t letter) { return volumes_[letter]; }

bool SimulatedMachine::Present(wchar_t letter) const {
    const auto volume = volumes_.find(letter);
    if (volume != volumes_.end() && volume->second.pulled) return false;
    // A partition's volume is there while its disk's layout holds it.
    for (const SimulatedDrive& drive : table_.drives) {
        SimulatedPartition partition;
        if (drive.letter == letter && drive.partition && DiskRecord(drive.deviceNumber))
            return PartitionOf(drive, partition);
    }
    return true;
}

bool SimulatedMachine::Locked(wchar_t letter) {
    const auto guard = Guard();
    const SimulatedDrive* drive = DriveOf(letter);
    return drive && ((drive->failures & kHeldLocked) || VolumeOf(letter).lockOwner);
}

void SimulatedMachine::Replace(SimulatedDriveTable table) {
    const auto guard = Guard();
    const SimulatedDriveTable before = table_;
    table_ = std::move(table);
    for (SimulatedDrive& drive : table_.drives) {
        Volume& volume = VolumeOf(drive.letter);
        // The card the user put in stays in the reader while the table tells
        // of the same drive; any other record is another medium.
        if (volume.swapped) {
            if (RecordKey(drive) == volume.swappedRecord) drive.image = drive.swapImage;
            else volume.swapped = false;
        }
        const std::wstring key = MediumKey(drive);
        if (volume.key == key) continue;
        bool counted = false;
        for (const SimulatedDrive& old : before.drives)
            counted = counted || (old.letter == drive.letter && old.mediaChanges != drive.mediaChanges);
        // The disk's driver counts a change of medium [IOCTL_STORAGE_CHECK_VERIFY IOCTL].
        if (!volume.key.empty() && !counted) ++volume.extraChanges;
        volume.verifyPending = !volume.key.empty();
        volume.key = key;
        volume.medium.reset();
        volume.dismounted = false;
        volume.pulled = false;
        ++volume.generation;
    }
}

SimulatedMedium& SimulatedMachine::MediumOf(const SimulatedDrive& drive, Volume& volume) {
    // A table assigned in place (by a test) rather than through Replace()
    // describes the medium afresh, without a change the driver would count.
    if (volume.key != MediumKey(drive)) {
        volume.key = MediumKey(drive);
        volume.medium.reset();
    }
    SimulatedPartition partition;
    if (!volume.medium && drive.partition && PartitionOf(drive, partition)) {
        volume.medium = std::make_unique<SimulatedMedium>(DiskRecord(drive.deviceNumber)->image,
                                                          !(drive.failures & kWriteProtected), partition.offset,
                                                          partition.length);
    }
    if (!volume.medium) volume.medium = std::make_unique<SimulatedMedium>(drive);
    return *volume.medium;
}

bool SimulatedMachine::Mounted(const SimulatedDrive& drive, const Volume& volume) const {
    return !(drive.failures & kFailRaw) && !volume.dismounted;
}

bool SimulatedMachine::SharingAllows(const SimulatedDrive& drive, wchar_t letter, DWORD access,
                                     DWORD share) const {
    // Only opens that reach the data share [CreateFileW function]; another
    // program's handle is one more open (held=open shares both ways,
    // held=exclusive nothing).
    auto conflicts = [&](DWORD otherAccess, DWORD otherShare) {
        return ((access & kReadAccess) && !(otherShare & FILE_SHARE_READ)) ||
               ((access & kWriteAccess) && !(otherShare & FILE_SHARE_WRITE)) ||
               ((otherAccess & kReadAccess) && !(share & FILE_SHARE_READ)) ||
               ((otherAccess & kWriteAccess) && !(share & FILE_SHARE_WRITE));
    };
    if (!(access & kDataAccess)) return true;
    if ((drive.failures & kFailInUse) && conflicts(GENERIC_READ | GENERIC_WRITE, 0)) return false;
    if ((drive.failures & kFailLock) &&
        conflicts(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE))
        return false;
    for (const auto& [handle, open] : handles_) {
        if (open.letter == letter && (open.access & kDataAccess) && conflicts(open.access, open.share))
            return false;
    }
    return true;
}

void SimulatedMachine::SwapCard(SimulatedDrive& drive, Volume& volume) {
    Log("(the user swaps the card in " + std::string(1, static_cast<char>(drive.letter)) + ": for " +
        Narrow(drive.swapImage) + ")");
    volume.swappedRecord = RecordKey(drive);
    drive.image = drive.swapImage;
    volume.key = MediumKey(drive);
    volume.swapped = true;
    volume.medium.reset();
    volume.dismounted = false;
    ++volume.extraChanges;
    volume.verifyPending = true;
    ++volume.generation;
}

HANDLE SimulatedMachine::CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD flags) {
    const auto guard = Guard();
    const std::string call = "CreateFileW(" + Narrow(path ? path : L"") + ", " + AccessText(access) + ")";
    wchar_t letter = VolumeLetter(path);
    if (!letter) letter = VolumeNamed(path);
    // A GUID name with its trailing backslash is the root directory, which
    // opens only with FILE_FLAG_BACKUP_SEMANTICS [CreateFileW function]; the
    // machine models no directory handles.
    const std::wstring rooted = path ? path : L"";
    if (!letter && rooted.size() > 1 && rooted.back() == L'\\' &&
        VolumeNamed(rooted.substr(0, rooted.size() - 1).c_str()))
        return Fail(flags & FILE_FLAG_BACKUP_SEMANTICS ? ERROR_NOT_SUPPORTED : ERROR_ACCESS_DENIED,
                    INVALID_HANDLE_VALUE, call);
    // A disk is reached through the first volume on it; the machine lets a
    // disk be opened for its attributes only.
    DWORD disk = 0;
    const bool isDisk = !letter && DiskNumber(path, disk);
    for (const SimulatedDrive& each : table_.drives) {
        if (isDisk && !letter && each.deviceNumber == disk && Present(each.letter)) letter = each.letter;
    }
    if (const SimulatedDisk* record = isDisk ? DiskRecord(disk) : nullptr) return OpenDisk(*record, access, share, call);
    if (isDisk && (access & kDataAccess)) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE, call);
    SimulatedDrive* drive = letter ? DriveOf(letter) : nullptr;
    // No such device [CreateFileW function]; a pulled stick is gone (obs).
    if (!drive || !Present(letter)) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE, call);
    Volume& volume = VolumeOf(letter);
    if (access & kDataAccess) {
        // Data opens of a volume need an administrator [CreateFileW function];
        // access 0 queries attributes even where reading would be denied.
        if (!table_.elevated) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE, call);
        // A locked volume is reached only through the locking handle
        // [FSCTL_LOCK_VOLUME IOCTL].
        if ((drive->failures & kHeldLocked) || volume.lockOwner)
            return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE, call);
        if (drive->failures & kFailVolumeInfo) return Fail(ERROR_NOT_READY, INVALID_HANDLE_VALUE, call);
        if (drive->failures & kFailVolumeOnce) {
            drive->failures &= ~kFailVolumeOnce;
            return Fail(ERROR_NOT_READY, INVALID_HANDLE_VALUE, call);
        }
        if (!SharingAllows(*drive, letter, access, share))
            return Fail(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE, call);
        if ((access & kWriteAccess) && !drive->swapImage.empty() && !volume.swapped) SwapCard(*drive, volume);
        // An unlocked, dismounted volume is mounted again by the next access
        // [FSCTL_DISMOUNT_VOLUME IOCTL].
        if (!volume.lockOwner) volume.dismounted = false;
    }
    nextHandle_ += 4;
    const HANDLE handle = reinterpret_cast<HANDLE>(nextHandle_);
    handles_[handle] = Handle{letter, access, share, volume.generation};
    handles_[handle].viaDisk = isDisk;
    Log(call + " = " + Name(handle));
    return handle;
}

bool SimulatedMachine::Resolve(HANDLE handle, Handle*& open, SimulatedDrive*& drive, Volume*& volume) {
    const auto found = handles_.find(handle);
    if (found == handles_.end()) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    open = &found->second;
    drive = DriveOf(open->letter);
    volume = &VolumeOf(open->letter);
    // Removal codes are not documented; ERROR_DEVICE_NOT_CONNECTED is seen
    // (obs). A handle on a medium since changed is stale (obs).
    if (!drive || volume->pulled || !Present(open->letter)) {
        ::SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return false;
    }
    if (open->generation != volume->generation) {
        ::SetLastError(ERROR_FILE_INVALID);
        return false;
    }
    return true;
}

BOOL SimulatedMachine::ReadFile(HANDLE handle, void* buffer, DWORD size, DWORD* read) {
    const auto guard = Guard();
    if (read) *read = 0;
    if (IsDiskHandle(handle)) {
        return DiskCall(handle, "ReadFile(" + Name(handle) + ", " + std::to_string(size) + " bytes)",
                        [&](Handle& open, const SimulatedDisk&, Disk& disk) { return DiskRead(open, disk, buffer, size, read); });
    }
    Handle* open = nullptr;
    SimulatedDrive* drive = nullptr;
    Volume* volume = nullptr;
    const std::string call = "ReadFile(" + Name(handle) + ", " +
                             std::to_string(size) + " bytes)";
    if (!Resolve(handle, open, drive, volume)) return Fail(::GetLastError(), FALSE, call);
    if (!(open->access & kReadAccess)) return Fail(ERROR_ACCESS_DENIED, FALSE, call);
    SimulatedMedium& medium = MediumOf(*drive, *volume);
    // Volume handles are unbuffered: whole sectors at sector offsets [File Buffering].
    if (size % medium.SectorBytes() || open->position % medium.SectorBytes())
        return Fail(ERROR_INVALID_PARAMETER, FALSE, call);
    // Reading at the end is no error: zero bytes [ReadFile function].
    const std::uint64_t left = open->position < medium.Bytes() ? medium.Bytes() - open->position : 0;
    const DWORD count = static_cast<DWORD>(left < size ? left : size);
    if (count && !medium.Read(open->position, buffer, count)) return Fail(ERROR_READ_FAULT, FALSE, call);
    Log(call + " at " + std::to_string(open->position) + " = " + std::to_string(count));
    open->position += count;
    if (read) *read = count;
    return TRUE;
}

BOOL SimulatedMachine::WriteFile(HANDLE handle, const void* buffer, DWORD size, DWORD* written) {
    auto guard = Guard();
    if (written) *written = 0;
    if (IsDiskHandle(handle)) {
        const auto found = handles_.find(handle);
        return DiskCall(handle, "WriteFile(" + Name(handle) + ", " + std::to_string(size) + " bytes at " +
                                    std::to_string(found->second.position) + ")",
                        [&](Handle& open, const SimulatedDisk& record, Disk& disk) {
                            if (!DiskWrite(open, record, disk, buffer, size)) return FALSE;
                            if (written) *written = size;
                            return TRUE;
                        });
    }
    Handle* open = nullptr;
    SimulatedDrive* drive = nullptr;
    Volume* volume = nullptr;
    const std::string at = Resolve(handle, open, drive, volume) ? std::to_string(open->position) : "?";
    const std::string call = "WriteFile(" + Name(handle) + ", " +
                             std::to_string(size) + " bytes at " + at + ")";
    if (at == "?") return Fail(::GetLastError(), FALSE, call);
    if (!(open->access & kWriteAccess)) return Fail(ERROR_ACCESS_DENIED, FALSE, call);
    if (drive->pulledAtWrite && ++volume->writes == drive->pulledAtWrite) {
        volume->pulled = true;
        return Fail(ERROR_DEVICE_NOT_CONNECTED, FALSE, call + " (the stick is pulled out)");
    }
    if (drive->failures & kWriteProtected) return Fail(ERROR_WRITE_PROTECT, FALSE, call);
    SimulatedMedium& medium = MediumOf(*drive, *volume);
    if (size % medium.SectorBytes() || open->position % medium.SectorBytes())
        return Fail(ERROR_INVALID_PARAMETER, FALSE, call);
    // Since Vista a volume handle writes only where no file system is mounted
    // or the volume is locked or dismounted [WriteFile function; KB942448].
    if (Mounted(*drive, *volume) && volume->lockOwner != handle) return Fail(ERROR_ACCESS_DENIED, FALSE, call);
    // The last sector lies beyond the file system's reach until extended
    // DASD access; nothing lies beyond the partition [FSCTL_ALLOW_EXTENDED_DASD_IO IOCTL].
    const std::uint64_t reach = medium.Bytes() - (open->extendedAccess ? 0 : medium.SectorBytes());
    if (open->position + size > reach) return Fail(ERROR_INVALID_PARAMETER, FALSE, call);
    if (!medium.Write(open->position, buffer, size)) return Fail(ERROR_WRITE_FAULT, FALSE, call);
    open->position += size;
    if (written) *written = size;
    Log(call);
    // A slow stick: the writes take their time, and the machine answers
    // other callers meanwhile.
    if (const DWORD delay = drive->writeDelayMs) {
        guard.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    }
    return TRUE;
}

BOOL SimulatedMachine::SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, LARGE_INTEGER* position,
                                        DWORD method) {
    const auto guard = Guard();
    if (IsDiskHandle(handle)) {
        return DiskCall(handle, "SetFilePointerEx(" + Name(handle) + ", " + std::to_string(distance.QuadPart) + ")",
                        [&](Handle& open, const SimulatedDisk&, Disk& disk) {
                            return DiskSeek(open, disk, distance, position, method);
                        });
    }
    Handle* open = nullptr;
    SimulatedDrive* drive = nullptr;
    Volume* volume = nullptr;
    const std::string call = "SetFilePointerEx(" + Name(handle) + ", " +
                             std::to_string(distance.QuadPart) + ")";
    if (!Resolve(handle, open, drive, volume)) return Fail(::GetLastError(), FALSE, call);
    // Needs read or write access [SetFilePointerEx function].
    if (!(open->access & kDataAccess)) return Fail(ERROR_ACCESS_DENIED, FALSE, call);
    const long long base = method == FILE_BEGIN     ? 0
                           : method == FILE_CURRENT ? static_cast<long long>(open->position)
                                                    : static_cast<long long>(MediumOf(*drive, *volume).Bytes());
    const long long target = base + distance.QuadPart;
    if (method > FILE_END) return Fail(ERROR_INVALID_PARAMETER, FALSE, call);
    if (target < 0) return Fail(ERROR_NEGATIVE_SEEK, FALSE, call);
    // Unbuffered handles take sector-aligned positions only [SetFilePointerEx function].
    if (target % MediumOf(*drive, *volume).SectorBytes()) return Fail(ERROR_INVALID_PARAMETER, FALSE, call);
    open->position = static_cast<std::uint64_t>(target);
    if (position) position->QuadPart = target;
    return TRUE;
}

BOOL SimulatedMachine::FlushFileBuffers(HANDLE handle) {
    const auto guard = Guard();
    if (IsDiskHandle(handle)) {
        return DiskCall(handle, "FlushFileBuffers(" + Name(handle) + ")",
                        [&](Handle& open, const SimulatedDisk&, Disk& disk) { return DiskFlush(open, disk); });
    }
    Handle* open = nullptr;
    SimulatedDrive* drive = nullptr;
    Volume* volume = nullptr;
    const std::string call = "FlushFileBuffers(" + Name(handle) + ")";
    if (!Resolve(handle, open, drive, volume)) return Fail(::GetLastError(), FALSE, call);
    // Needs write access [FlushFileBuffers function].
    if (!(open->access & kWriteAccess)) return Fail(ERROR_ACCESS_DENIED, FALSE, call);
    if (!MediumOf(*drive, *volume).Flush()) return Fail(ERROR_WRITE_FAULT, FALSE, call);
    Log(call);
    return TRUE;
}

BOOL SimulatedMachine::CloseHandle(HANDLE handle) {
    const auto guard = Guard();
    const auto found = handles_.find(handle);
    const std::string call = "CloseHandle(" + Name(handle) + ")";
    if (found == handles_.end()) return Fail(ERROR_INVALID_HANDLE, FALSE, call);
    if (found->second.disk != kNoDisk) {
        Log(call);
        handles_.erase(found);
        return TRUE;
    }
    // Closing the locking handle lets the lock go [FSCTL_LOCK_VOLUME IOCTL].
    Volume& volume = VolumeOf(found->second.letter);
    if (volume.lockOwner == handle) volume.lockOwner = nullptr;
    if (volume.medium && (found->second.access & kWriteAccess)) volume.medium->Flush();
    if (found->second.access & kDataAccess) Log(call);
    handles_.erase(found);
    return TRUE;
}

bool SimulatedMachine::ProcessElevated() {
    const auto guard = Guard();
    return table_.elevated;
}

}  // namespace drives
