// The Windows folder's drive comes from GetSystemWindowsDirectoryW (the
// shared Windows directory, also under Terminal Services); the page files in
// use from the Memory Management key's ExistingPageFiles, whose entries name
// their drive as "\??\C:\pagefile.sys". Each letter maps to its disk as the
// volume's device number says. Locking a volume that holds either also fails
// [FSCTL_LOCK_VOLUME IOCTL]; this check refuses before anything is opened
// for writing, and names the reason.
#ifdef _WIN32

#include "devices/system_disks.h"

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "devices/disk_facts.h"

namespace fat32 {
namespace {

constexpr wchar_t kMemoryManagementKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
constexpr wchar_t kPageFilesValue[] = L"ExistingPageFiles";
constexpr int kRegistryAttempts = 4;  // the value may grow between the calls

// The drive letter a path starts with, after an NT "\??\" prefix; 0 for a
// path that names no drive letter.
wchar_t LetterOf(const std::wstring& path) {
    const std::wstring prefix = L"\\??\\";
    const std::size_t at = path.compare(0, prefix.size(), prefix) == 0 ? prefix.size() : 0;
    if (path.size() < at + 2 || path[at + 1] != L':' || !std::iswalpha(path[at])) return 0;
    return static_cast<wchar_t>(std::towupper(path[at]));
}

// Whether the path's drive may lie on disk `number`. A path with no drive
// letter, or a volume that does not say its disk (one spanning disks, whose
// device number query fails), may be on any disk, this one included.
bool OnDisk(VolumeCalls& calls, wchar_t letter, DWORD number) {
    DWORD disk = 0;
    return !letter || !DiskOfLetter(calls, letter, disk) || disk == number;
}

// The Windows folder, e.g. "C:\Windows"; false when the system does not say.
bool WindowsDirectory(VolumeCalls& calls, std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    UINT length = calls.GetSystemWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.resize(length);
        length = calls.GetSystemWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    }
    if (length == 0 || length >= buffer.size()) return false;
    path.assign(buffer.data(), length);
    return true;
}

// The page files in use; false when the registry does not say. A system
// without any has no value, or an empty one.
bool PageFiles(VolumeCalls& calls, std::vector<std::wstring>& files) {
    std::vector<wchar_t> buffer(256);
    for (int attempt = 0; attempt < kRegistryAttempts; ++attempt) {
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const LSTATUS status = calls.RegGetValueW(HKEY_LOCAL_MACHINE, kMemoryManagementKey, kPageFilesValue,
                                                  RRF_RT_REG_MULTI_SZ, nullptr, buffer.data(), &bytes);
        if (status == ERROR_FILE_NOT_FOUND) return true;
        if (status == ERROR_MORE_DATA) {
            buffer.assign(bytes / sizeof(wchar_t) + 2, L'\0');
            continue;
        }
        if (status != ERROR_SUCCESS) return false;
        // A REG_MULTI_SZ: strings each ended by a NUL, the list by an empty one.
        const auto end = buffer.begin() + std::min<std::size_t>(bytes / sizeof(wchar_t), buffer.size());
        for (auto at = buffer.begin(); at != end && *at;) {
            const auto stop = std::find(at, end, L'\0');
            files.emplace_back(at, stop);
            at = stop == end ? end : stop + 1;
        }
        return true;
    }
    return false;
}

}  // namespace

SystemUse SystemUseOfDisk(VolumeCalls& calls, DWORD number) {
    std::wstring windows;
    if (!WindowsDirectory(calls, windows) || OnDisk(calls, LetterOf(windows), number))
        return SystemUse::Windows;
    std::vector<std::wstring> pageFiles;
    if (!PageFiles(calls, pageFiles)) return SystemUse::PageFile;
    for (const std::wstring& file : pageFiles)
        if (OnDisk(calls, LetterOf(file), number)) return SystemUse::PageFile;
    return SystemUse::None;
}

}  // namespace fat32

#endif  // _WIN32
