// SimulatedMachine: one simulated Windows PC beneath the shipped code. It
// answers the volume calls (VolumeCalls) of the volume device and of the
// identity read, and holds the table that SimulatedDriveQuery answers the
// discovery calls from, so both see one world: its drives and media, every
// open handle with its access and sharing, locks, mounts, media change
// counts, and sticks plugged, pulled and swapped. Each call behaves as
// Microsoft documents it, failures included; README.md lists each modelled
// behaviour with its documentation page. Every volume call is told to the
// call log, when one is set.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/volume_calls.h"
#include "simulated_windows/simulated_disk_layout.h"
#include "simulated_windows/simulated_drive_table.h"
#include "simulated_windows/simulated_medium.h"

namespace drives {

class SimulatedMachine : public fat32::VolumeCalls {
public:
    explicit SimulatedMachine(SimulatedDriveTable table = {});
    ~SimulatedMachine() override;

    // The world changed (a stick plugged, pulled or swapped, as a test or a
    // user rewrote the table): handles stay on the medium they were opened
    // on, and a drive whose medium changed counts one more media change.
    void Replace(SimulatedDriveTable table);
    // The table as it stands; hold Guard() while reading it from two threads.
    SimulatedDriveTable& table() { return table_; }
    std::unique_lock<std::recursive_mutex> Guard() { return std::unique_lock<std::recursive_mutex>(mutex_); }
    // Whether the drive is in the machine now (not pulled out).
    bool Present(wchar_t letter) const;
    // Whether the volume is locked, by another program or by a handle of ours.
    bool Locked(wchar_t letter);
    // Receives one line per volume call.
    void SetCallLog(std::function<void(const std::string&)> log) { log_ = std::move(log); }
    // Handles of this machine still open, for tests that count leaks.
    int OpenHandles() const { return static_cast<int>(handles_.size() + searches_.size()); }
    bool Owns(HANDLE handle) const { return handles_.count(handle) != 0; }

    HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD flags) override;
    BOOL DeviceIoControl(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                         DWORD* returned) override;
    BOOL ReadFile(HANDLE handle, void* buffer, DWORD size, DWORD* read) override;
    BOOL WriteFile(HANDLE handle, const void* buffer, DWORD size, DWORD* written) override;
    BOOL SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, LARGE_INTEGER* position,
                          DWORD method) override;
    BOOL FlushFileBuffers(HANDLE handle) override;
    BOOL CloseHandle(HANDLE handle) override;
    bool ProcessElevated() override;
    // The system's own answers (simulated_system_calls.cpp): the Windows
    // folder on the table's system drive, the page files in the registry.
    UINT GetDriveTypeW(const wchar_t* rootPath) override;
    UINT GetSystemWindowsDirectoryW(wchar_t* buffer, UINT size) override;
    LSTATUS RegGetValueW(HKEY key, const wchar_t* subKey, const wchar_t* value, DWORD flags, DWORD* type,
                         void* data, DWORD* size) override;
    // The volumes present, by their GUID names (simulated_volume_search.cpp).
    HANDLE FindFirstVolumeW(wchar_t* name, DWORD size) override;
    BOOL FindNextVolumeW(HANDLE search, wchar_t* name, DWORD size) override;
    BOOL FindVolumeClose(HANDLE search) override;
    // "\\?\Volume{GUID}\": the name of a drive or volume record's volume.
    static std::wstring VolumeName(const SimulatedDrive& drive);

private:
    // What the machine knows of a volume beyond its table record.
    struct Volume {
        std::unique_ptr<SimulatedMedium> medium;
        unsigned generation = 0;      // medium changes seen
        DWORD extraChanges = 0;       // changes the table does not count
        bool verifyPending = false;   // the next CHECK_VERIFY reports the change
        HANDLE lockOwner = nullptr;
        bool dismounted = false;
        bool pulled = false;
        bool swapped = false;         // the table's swap= card is in
        std::wstring swappedRecord;   // the table record it went in under
        DWORD writes = 0;
        std::wstring key;             // what tells its medium from another
    };
    struct Handle {
        wchar_t letter;  // 0 on a disk handle
        DWORD access;
        DWORD share;
        unsigned generation;
        std::uint64_t position = 0;
        bool extendedAccess = false;
        // \\.\PhysicalDriveN without a disk record, reached through its first
        // volume for the disk's attributes only.
        bool viaDisk = false;
        DWORD disk = kNoDisk;  // the disk record's number on a disk handle
    };
    static constexpr DWORD kNoDisk = 0xFFFFFFFFu;
    // What the machine knows of a disk beyond its record.
    struct Disk {
        std::unique_ptr<SimulatedMedium> medium;  // the whole image
        DWORD writes = 0;
        bool pulled = false;
        // Its layout changed and its volumes left; they arrive again when the
        // table is read anew (IOCTL_DISK_UPDATE_PROPERTIES).
        bool volumesAway = false;
    };

    SimulatedDrive* DriveOf(wchar_t letter);
    // Whether the volume holds the Windows folder or a page file in use.
    bool HoldsSystem(wchar_t letter) const;
    Volume& VolumeOf(wchar_t letter);
    SimulatedMedium& MediumOf(const SimulatedDrive& drive, Volume& volume);
    // The handle's drive and volume, or null with the call's error set.
    bool Resolve(HANDLE handle, Handle*& open, SimulatedDrive*& drive, Volume*& volume);
    bool SharingAllows(const SimulatedDrive& drive, wchar_t letter, DWORD access, DWORD share) const;
    bool Mounted(const SimulatedDrive& drive, const Volume& volume) const;
    BOOL Control(Handle& open, SimulatedDrive& drive, Volume& volume, HANDLE handle, DWORD code,
                 void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
    void SwapCard(SimulatedDrive& drive, Volume& volume);
    // Disks (simulated_disk_calls.cpp).
    const SimulatedDisk* DiskRecord(DWORD number) const;
    SimulatedMedium& DiskMedium(const SimulatedDisk& record) const;
    // The partition a drive record names on its disk, when the disk is there
    // and its layout holds it now.
    bool PartitionOf(const SimulatedDrive& drive, SimulatedPartition& partition) const;
    bool IsDiskHandle(HANDLE handle) const;
    HANDLE OpenDisk(const SimulatedDisk& record, DWORD access, DWORD share, const std::string& call);
    bool ResolveDisk(HANDLE handle, Handle*& open, const SimulatedDisk*& record, Disk*& disk);
    BOOL DiskCall(HANDLE handle, const std::string& call, const std::function<BOOL(Handle&, const SimulatedDisk&, Disk&)>& body);
    BOOL DiskControl(Handle& open, const SimulatedDisk& record, Disk& disk, DWORD code, void* in, DWORD inSize,
                     void* out, DWORD outSize, DWORD* returned);
    BOOL DiskWrite(Handle& open, const SimulatedDisk& record, Disk& disk, const void* buffer, DWORD size);
    BOOL DiskRead(Handle& open, Disk& disk, void* buffer, DWORD size, DWORD* read);
    BOOL DiskSeek(Handle& open, Disk& disk, LARGE_INTEGER distance, LARGE_INTEGER* position, DWORD method);
    BOOL DiskFlush(Handle& open, Disk& disk);
    BOOL SetLayout(const SimulatedDisk& record, Disk& disk, const void* in, DWORD inSize);
    // The layout changed: every volume of the disk leaves, its handles dead.
    void VolumesLeave(const SimulatedDisk& record, Disk& disk);
    // Whether the disk is pulled out at this write of it; counts the write.
    bool PulledAtThisWrite(const SimulatedDisk& record, Disk& disk);
    // The volume a "\\?\Volume{GUID}" path names: its key, or 0.
    wchar_t VolumeNamed(const wchar_t* path) const;
    void Log(const std::string& line) const;
    // "E:0x40000008": the handle with the drive it was opened on.
    std::string Name(HANDLE handle) const;
    // Logs the call's failure, sets the thread's last error, yields `value`.
    template <typename T>
    T Fail(DWORD error, T value, const std::string& call) {
        Log(call + " -> error " + std::to_string(error));
        ::SetLastError(error);
        return value;
    }

    std::recursive_mutex mutex_;
    SimulatedDriveTable table_;
    std::map<wchar_t, Volume> volumes_;
    std::map<HANDLE, Handle> handles_;
    // Volume searches: the names found when each began, and the next one.
    struct Search {
        std::vector<std::wstring> names;
        std::size_t next = 0;
    };
    std::map<HANDLE, Search> searches_;
    mutable std::map<DWORD, Disk> disks_;
    std::uintptr_t nextHandle_ = 0x40000000;
    std::function<void(const std::string&)> log_;
};

}  // namespace drives
