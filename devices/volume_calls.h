// VolumeCalls: every Win32 call that the volume device, the disk device, the
// reading of a medium's identity and the system-disk check make, one method
// per call with the call's own inputs and outputs; a failure leaves its
// reason in the thread's GetLastError() (RegGetValueW returns it). The
// shipped programs answer from the system (SystemVolumeCalls); the simulated
// Windows machine (simulated_windows/) answers the same calls as Microsoft
// documents them, so the code above runs unchanged over either.
#pragma once

#ifdef _WIN32

#include <windows.h>

namespace fat32 {

class VolumeCalls {
public:
    virtual ~VolumeCalls() = default;

    // CreateFileW(path, access, share, no security, OPEN_EXISTING, flags, no
    // template); INVALID_HANDLE_VALUE on failure.
    virtual HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD flags) = 0;
    // DeviceIoControl without OVERLAPPED.
    virtual BOOL DeviceIoControl(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out,
                                 DWORD outSize, DWORD* returned) = 0;
    // ReadFile and WriteFile at the handle's position, without OVERLAPPED.
    virtual BOOL ReadFile(HANDLE handle, void* buffer, DWORD size, DWORD* read) = 0;
    virtual BOOL WriteFile(HANDLE handle, const void* buffer, DWORD size, DWORD* written) = 0;
    // SetFilePointerEx; `position` may be null.
    virtual BOOL SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, LARGE_INTEGER* position,
                                  DWORD method) = 0;
    virtual BOOL FlushFileBuffers(HANDLE handle) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    // GetTokenInformation(TokenElevation) on the process's own token: whether
    // the process runs with an administrator's full rights.
    virtual bool ProcessElevated() = 0;
    // GetSystemWindowsDirectoryW: the length of the path copied, without its
    // NUL; the size needed, with it, when `size` is too small; 0 on failure.
    // GetDriveTypeW on a root path ("E:\"): DRIVE_NO_ROOT_DIR for a letter
    // with no drive. Costs nothing, unlike opening a network drive.
    virtual UINT GetDriveTypeW(const wchar_t* rootPath) = 0;
    virtual UINT GetSystemWindowsDirectoryW(wchar_t* buffer, UINT size) = 0;
    // RegGetValueW; the error code is returned, not left in GetLastError().
    virtual LSTATUS RegGetValueW(HKEY key, const wchar_t* subKey, const wchar_t* value, DWORD flags,
                                 DWORD* type, void* data, DWORD* size) = 0;
    // FindFirstVolumeW, FindNextVolumeW, FindVolumeClose: every volume of the
    // system by its "\\?\Volume{GUID}\" name, with or without a drive
    // letter; `size` in characters. The end of the list is ERROR_NO_MORE_FILES.
    virtual HANDLE FindFirstVolumeW(wchar_t* name, DWORD size) = 0;
    virtual BOOL FindNextVolumeW(HANDLE search, wchar_t* name, DWORD size) = 0;
    virtual BOOL FindVolumeClose(HANDLE search) = 0;
};

// The running system's calls.
VolumeCalls& SystemVolumeCalls();

// An open handle of a VolumeCalls, closed through the same calls.
class VolumeHandle {
public:
    VolumeHandle(VolumeCalls& calls, HANDLE handle) : calls_(calls), handle_(handle) {}
    ~VolumeHandle() {
        if (valid()) calls_.CloseHandle(handle_);
    }
    VolumeHandle(const VolumeHandle&) = delete;
    VolumeHandle& operator=(const VolumeHandle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    VolumeCalls& calls_;
    HANDLE handle_;
};

// A volume search of a VolumeCalls, ended through the same calls: a search
// handle is closed by FindVolumeClose, never by CloseHandle.
class VolumeSearch {
public:
    VolumeSearch(VolumeCalls& calls, wchar_t* name, DWORD size)
        : calls_(calls), search_(calls.FindFirstVolumeW(name, size)) {}
    ~VolumeSearch() {
        if (valid()) calls_.FindVolumeClose(search_);
    }
    VolumeSearch(const VolumeSearch&) = delete;
    VolumeSearch& operator=(const VolumeSearch&) = delete;

    bool valid() const { return search_ != INVALID_HANDLE_VALUE; }
    BOOL Next(wchar_t* name, DWORD size) { return calls_.FindNextVolumeW(search_, name, size); }

private:
    VolumeCalls& calls_;
    HANDLE search_;
};

}  // namespace fat32

#endif  // _WIN32
