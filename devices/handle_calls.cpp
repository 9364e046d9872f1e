// The calls both Windows devices make on their handle; each failure keeps
// GetLastError() and its text for the run's error report.
#ifdef _WIN32

#include "devices/handle_calls.h"

#include <winioctl.h>

#include <memory>

namespace fat32 {

std::string SystemErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::unique_ptr<wchar_t, decltype(&::LocalFree)> owner(text, &::LocalFree);
    if (length == 0) return std::string();
    int units = static_cast<int>(length);
    while (units > 0 && (text[units - 1] == L'\r' || text[units - 1] == L'\n')) --units;
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, units, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

bool HandleCalls::Fail() {
    const DWORD code = ::GetLastError();
    lastError_ = DeviceError{};
    lastError_.code = code;
    lastError_.text = code ? SystemErrorText(code) : std::string();
    lastError_.accessDenied = code == ERROR_ACCESS_DENIED;
    lastError_.inUse = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
    return false;
}

bool HandleCalls::Control(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out,
                          DWORD outSize) {
    DWORD returned = 0;
    return calls_.DeviceIoControl(handle, code, in, inSize, out, outSize, &returned) || Fail();
}

bool HandleCalls::Seek(HANDLE handle, std::uint64_t offset) {
    // The full 64-bit offset: metadata of a volume above 1 TiB with small
    // clusters lies beyond the 2 GiB that a 32-bit position reaches.
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return calls_.SetFilePointerEx(handle, distance, nullptr, FILE_BEGIN) || Fail();
}

bool HandleCalls::Write(HANDLE handle, const void* data, std::uint32_t size) {
    DWORD written = 0;
    if (!calls_.WriteFile(handle, data, size, &written)) return Fail();
    if (written == size) return true;
    ::SetLastError(ERROR_WRITE_FAULT);
    return Fail();
}

bool HandleCalls::Read(HANDLE handle, void* data, std::uint32_t size) {
    DWORD read = 0;
    if (!calls_.ReadFile(handle, data, size, &read)) return Fail();
    if (read == size) return true;
    ::SetLastError(ERROR_READ_FAULT);
    return Fail();
}

bool HandleCalls::Flush(HANDLE handle) { return calls_.FlushFileBuffers(handle) || Fail(); }

bool HandleCalls::GetGeometry(HANDLE handle, DiskGeometry& geometry) {
    DISK_GEOMETRY disk{};
    if (!Control(handle, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &disk, sizeof disk)) return false;
    geometry.bytesPerSector = disk.BytesPerSector;
    geometry.sectorsPerTrack = disk.SectorsPerTrack;
    geometry.tracksPerCylinder = disk.TracksPerCylinder;
    return true;
}

}  // namespace fat32

#endif  // _WIN32
