// SystemVolumeCalls: each method is the one Win32 call it is named for.
#ifdef _WIN32

#include "devices/volume_calls.h"

namespace fat32 {
namespace {

class SystemCalls : public VolumeCalls {
public:
    HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD flags) override {
        return ::CreateFileW(path, access, share, nullptr, OPEN_EXISTING, flags, nullptr);
    }
    BOOL DeviceIoControl(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                         DWORD* returned) override {
        return ::DeviceIoControl(handle, code, in, inSize, out, outSize, returned, nullptr);
    }
    BOOL ReadFile(HANDLE handle, void* buffer, DWORD size, DWORD* read) override {
        return ::ReadFile(handle, buffer, size, read, nullptr);
    }
    BOOL WriteFile(HANDLE handle, const void* buffer, DWORD size, DWORD* written) override {
        return ::WriteFile(handle, buffer, size, written, nullptr);
    }
    BOOL SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, LARGE_INTEGER* position,
                          DWORD method) override {
        return ::SetFilePointerEx(handle, distance, position, method);
    }
    BOOL FlushFileBuffers(HANDLE handle) override { return ::FlushFileBuffers(handle); }
    BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }
    bool ProcessElevated() override {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
        TOKEN_ELEVATION elevation{};
        DWORD size = 0;
        const bool known = ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
        ::CloseHandle(token);
        return known && elevation.TokenIsElevated != 0;
    }
    UINT GetDriveTypeW(const wchar_t* rootPath) override { return ::GetDriveTypeW(rootPath); }
    UINT GetSystemWindowsDirectoryW(wchar_t* buffer, UINT size) override {
        return ::GetSystemWindowsDirectoryW(buffer, size);
    }
    LSTATUS RegGetValueW(HKEY key, const wchar_t* subKey, const wchar_t* value, DWORD flags, DWORD* type,
                         void* data, DWORD* size) override {
        return ::RegGetValueW(key, subKey, value, flags, type, data, size);
    }
    HANDLE FindFirstVolumeW(wchar_t* name, DWORD size) override { return ::FindFirstVolumeW(name, size); }
    BOOL FindNextVolumeW(HANDLE search, wchar_t* name, DWORD size) override {
        return ::FindNextVolumeW(search, name, size);
    }
    BOOL FindVolumeClose(HANDLE search) override { return ::FindVolumeClose(search); }
};

}  // namespace

VolumeCalls& SystemVolumeCalls() {
    static SystemCalls calls;
    return calls;
}

}  // namespace fat32

#endif  // _WIN32
