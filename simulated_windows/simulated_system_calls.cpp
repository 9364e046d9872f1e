// SimulatedMachine: what the system says of itself. The Windows folder lies on
// the table's `system` drive; the page files in use are the table's
// `pagefile` records, read as the registry's ExistingPageFiles value under
// the Memory Management key. Each answers as its page documents (README.md).
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "simulated_windows/simulated_machine.h"

namespace drives {
namespace {

constexpr wchar_t kMemoryManagementKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
constexpr wchar_t kPageFilesValue[] = L"ExistingPageFiles";
constexpr wchar_t kPagingFilesValue[] = L"PagingFiles";

// ASCII for the call log; other characters as '?'.
std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (const wchar_t unit : text) narrow += unit < 0x80 ? static_cast<char>(unit) : '?';
    return narrow;
}

}  // namespace

bool SimulatedMachine::HoldsSystem(wchar_t letter) const {
    if (letter == table_.systemDrive) return true;
    const std::wstring prefix = std::wstring(L"\\??\\") + letter + L':';
    for (const std::wstring& file : table_.pageFiles) {
        if (::_wcsnicmp(file.c_str(), prefix.c_str(), prefix.size()) == 0) return true;
    }
    return false;
}

// [GetDriveTypeW function]: a root path "X:\" of a drive present gives its
// type; anything else DRIVE_NO_ROOT_DIR.
UINT SimulatedMachine::GetDriveTypeW(const wchar_t* rootPath) {
    const auto guard = Guard();
    if (!rootPath || !rootPath[0] || std::wcscmp(rootPath + 1, L":\\") != 0) return DRIVE_NO_ROOT_DIR;
    for (const SimulatedDrive& drive : table_.drives) {
        if (drive.letter == rootPath[0]) return Present(drive.letter) ? drive.type : DRIVE_NO_ROOT_DIR;
    }
    return DRIVE_NO_ROOT_DIR;
}

// [GetSystemWindowsDirectoryW function]: the path's length without its NUL;
// a buffer too small gets nothing and the size it needs, NUL included.
UINT SimulatedMachine::GetSystemWindowsDirectoryW(wchar_t* buffer, UINT size) {
    const auto guard = Guard();
    const std::wstring path = std::wstring(1, table_.systemDrive) + L":\\Windows";
    const UINT length = static_cast<UINT>(path.size());
    Log("GetSystemWindowsDirectoryW(" + std::to_string(size) + ") = " + Narrow(path));
    if (!buffer || size <= length) return length + 1;
    std::memcpy(buffer, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    return length;
}

// [RegGetValueW function; Registry Value Types]: only the page files' values
// are modelled, every other key or value is not found: ExistingPageFiles
// names the files in use by NT path, PagingFiles the configured ones as
// "PATH min max", 0 0 for a size the system manages. The data is a
// REG_MULTI_SZ, each path ended by a NUL and the list by an empty string; a
// type the flags do not allow is ERROR_UNSUPPORTED_TYPE; no buffer asks the
// size; a buffer too small gets ERROR_MORE_DATA and the size it needs.
LSTATUS SimulatedMachine::RegGetValueW(HKEY key, const wchar_t* subKey, const wchar_t* value, DWORD flags,
                                       DWORD* type, void* data, DWORD* size) {
    const auto guard = Guard();
    const std::string call = "RegGetValueW(" + Narrow(value ? value : L"") + ")";
    const auto answer = [&](LSTATUS status) {
        Log(call + (status == ERROR_SUCCESS ? " = " + std::to_string(table_.pageFiles.size()) + " page files"
                                            : " -> error " + std::to_string(status)));
        return status;
    };
    if (data && !size) return answer(ERROR_INVALID_PARAMETER);
    const bool existing = value && ::_wcsicmp(value, kPageFilesValue) == 0;
    const bool configured = value && ::_wcsicmp(value, kPagingFilesValue) == 0;
    if (key != HKEY_LOCAL_MACHINE || !subKey || ::_wcsicmp(subKey, kMemoryManagementKey) != 0 ||
        !(existing || configured))
        return answer(ERROR_FILE_NOT_FOUND);
    if (!(flags & RRF_RT_REG_MULTI_SZ)) return answer(ERROR_UNSUPPORTED_TYPE);
    std::wstring list;
    for (const std::wstring& file : table_.pageFiles) {
        const bool prefixed = file.compare(0, 4, L"\\??\\") == 0;
        list += existing ? file : (prefixed ? file.substr(4) : file) + L" 0 0";
        list += L'\0';
    }
    list += L'\0';
    const DWORD bytes = static_cast<DWORD>(list.size() * sizeof(wchar_t));
    if (type) *type = REG_MULTI_SZ;
    if (!data) {
        if (size) *size = bytes;
        return answer(ERROR_SUCCESS);
    }
    if (*size < bytes) {
        *size = bytes;
        return answer(ERROR_MORE_DATA);
    }
    std::memcpy(data, list.data(), bytes);
    *size = bytes;
    return answer(ERROR_SUCCESS);
}

}  // namespace drives
