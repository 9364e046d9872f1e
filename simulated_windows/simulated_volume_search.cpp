// SimulatedMachine: volumes by their GUID names. Every volume present, with a
// drive letter or without one, is "\\?\Volume{GUID}\" [Naming a Volume], and
// the volume searches list them as FindFirstVolumeW and FindNextVolumeW
// document (README.md).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "simulated_windows/simulated_machine.h"

namespace drives {
namespace {

constexpr wchar_t kVolumePrefix[] = L"\\\\?\\Volume{";

// Copies `name` with its NUL into a buffer of `size` characters; a buffer too
// small gets nothing (obs: ERROR_FILENAME_EXCED_RANGE).
bool CopyName(const std::wstring& name, wchar_t* buffer, DWORD size) {
    if (!buffer || size < name.size() + 1) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    return true;
}

}  // namespace

std::wstring SimulatedMachine::VolumeName(const SimulatedDrive& drive) {
    // Stable for the record: formed from its letter, or its key when it has none.
    wchar_t name[64];
    std::swprintf(name, 64, L"%ls5eb1a0c0-%04x-11ef-8000-%012x}\\", kVolumePrefix,
                  static_cast<unsigned>(drive.deviceNumber & 0xFFFF), static_cast<unsigned>(drive.letter));
    return name;
}

wchar_t SimulatedMachine::VolumeNamed(const wchar_t* path) const {
    if (!path || std::wcsncmp(path, kVolumePrefix, std::wcslen(kVolumePrefix)) != 0) return 0;
    const std::wstring given(path);
    for (const SimulatedDrive& drive : table_.drives) {
        const std::wstring name = VolumeName(drive);
        // Without its trailing backslash the name opens the volume itself.
        if (::_wcsicmp(given.c_str(), name.substr(0, name.size() - 1).c_str()) == 0) return drive.letter;
    }
    return 0;
}

// [FindFirstVolumeW function]: the first volume's name, with its trailing
// backslash, and a search handle for FindNextVolumeW; none at all:
// ERROR_NO_MORE_FILES. Network drives are not volumes of this machine.
HANDLE SimulatedMachine::FindFirstVolumeW(wchar_t* name, DWORD size) {
    const auto guard = Guard();
    const std::string call = "FindFirstVolumeW(" + std::to_string(size) + ")";
    Search search;
    for (const SimulatedDrive& drive : table_.drives) {
        if (drive.type != DRIVE_REMOTE && drive.type != DRIVE_NO_ROOT_DIR && Present(drive.letter))
            search.names.push_back(VolumeName(drive));
    }
    if (search.names.empty()) return Fail(ERROR_NO_MORE_FILES, INVALID_HANDLE_VALUE, call);
    if (!CopyName(search.names[0], name, size)) return Fail(::GetLastError(), INVALID_HANDLE_VALUE, call);
    search.next = 1;
    nextHandle_ += 4;
    const HANDLE handle = reinterpret_cast<HANDLE>(nextHandle_);
    searches_[handle] = std::move(search);
    Log(call + " = search " + std::to_string(reinterpret_cast<std::uintptr_t>(handle)));
    return handle;
}

// [FindNextVolumeW function]: the next name; after the last one
// ERROR_NO_MORE_FILES. A buffer too small keeps the name for the next call (obs).
BOOL SimulatedMachine::FindNextVolumeW(HANDLE handle, wchar_t* name, DWORD size) {
    const auto guard = Guard();
    const std::string call = "FindNextVolumeW(" + std::to_string(size) + ")";
    const auto found = searches_.find(handle);
    if (found == searches_.end()) return Fail(ERROR_INVALID_HANDLE, FALSE, call);
    Search& search = found->second;
    if (search.next >= search.names.size()) return Fail(ERROR_NO_MORE_FILES, FALSE, call);
    if (!CopyName(search.names[search.next], name, size)) return Fail(::GetLastError(), FALSE, call);
    ++search.next;
    return TRUE;
}

// [FindVolumeClose function]: only a search handle.
BOOL SimulatedMachine::FindVolumeClose(HANDLE handle) {
    const auto guard = Guard();
    if (searches_.erase(handle) == 0) return Fail(ERROR_INVALID_HANDLE, FALSE, "FindVolumeClose");
    return TRUE;
}

}  // namespace drives
