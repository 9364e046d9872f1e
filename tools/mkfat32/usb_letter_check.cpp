// UsbLetterCheck: one machine for the command, one identity read per question,
// so a letter reassigned since the last question is seen as it is now.
#ifdef _WIN32

#include "tools/mkfat32/usb_letter_check.h"

#include <winioctl.h>

#include <cstdio>
#include <utility>

#include "simulated_windows/drive_table_file.h"
#include "simulated_windows/simulated_drive_query.h"
#include "drives/win32_drive_query.h"

namespace mkfat32 {
namespace {

std::wstring Widen(const std::string& text) {
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 1), L'\0');
    if (units > 0) ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), units);
    wide.resize(wide.size() - 1);
    return wide;
}

// VARQO_SIM_CALL_LOG names a file that receives one line per volume call of
// the simulated machine.
void AppendToCallLog(const std::string& line) {
    const wchar_t* path = ::_wgetenv(L"VARQO_SIM_CALL_LOG");
    if (!path || !*path) return;
    if (std::FILE* log = ::_wfopen(path, L"ab")) {
        std::fprintf(log, "%s\n", line.c_str());
        std::fclose(log);
    }
}

}  // namespace

UsbLetterCheck::UsbLetterCheck(const std::string& driveTablePath) {
    if (driveTablePath.empty()) {
        query_ = std::make_unique<drives::Win32DriveQuery>();
        return;
    }
    drives::SimulatedDriveTable table;
    std::string error;
    if (!drives::LoadDriveTable(Widen(driveTablePath).c_str(), table, error)) {
        std::fprintf(stderr, "mkfat32: %s: %s\n", driveTablePath.c_str(), error.c_str());
        return;
    }
    machine_ = std::make_shared<drives::SimulatedMachine>(std::move(table));
    machine_->SetCallLog(AppendToCallLog);
    query_ = std::make_unique<drives::SimulatedDriveQuery>(machine_);
}

UsbLetterCheck::~UsbLetterCheck() = default;

std::uint64_t UsbLetterCheck::VolumeBytes(wchar_t letter) const {
    // The length answers for a RAW volume too, where the file system's free
    // space query fails [IOCTL_DISK_GET_LENGTH_INFO IOCTL]; it needs read
    // access, which a held or locked volume refuses.
    fat32::VolumeCalls& calls = Calls();
    wchar_t volumePath[] = L"\\\\.\\C:";
    volumePath[4] = letter;
    {
        const fat32::VolumeHandle volume(
            calls, calls.CreateFileW(volumePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
        GET_LENGTH_INFORMATION length{};
        DWORD returned = 0;
        if (volume.valid() &&
            calls.DeviceIoControl(volume.get(), IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length,
                                  &returned) &&
            returned >= sizeof length && length.Length.QuadPart > 0)
            return static_cast<std::uint64_t>(length.Length.QuadPart);
    }
    // The root, not "E:": a bare drive name means that drive's current directory.
    wchar_t rootPath[] = L"C:\\";
    rootPath[0] = letter;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!query_->DiskFreeSpace(rootPath, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters)) return 0;
    return std::uint64_t{sectorsPerCluster} * bytesPerSector * totalClusters;
}

drives::IdentifyStatus UsbLetterCheck::Identify(wchar_t letter, drives::DriveIdentity& identity) const {
    if (!query_) return drives::IdentifyStatus::NotUsb;
    return drives::IdentifyUsbDrive(*query_, letter, identity);
}

}  // namespace mkfat32

#endif  // _WIN32
