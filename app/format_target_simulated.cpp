// The simulation executable formats, with the real engine, the image file
// that the drive table (VARQO_SIM_DRIVES, read afresh) names for the letter.
// The table's lock and geometry failures fail those steps of the run as a
// stick's would; a drive without an image cannot be opened.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/format_target.h"
#include "drives/drive_table_file.h"
#include "format/fault_injecting_device.h"
#include "format/format_volume.h"
#include "format/image_file_device.h"

namespace app {

namespace {

std::string AnsiPath(const std::wstring& path) {
    const int size = ::WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size) - 1);
    return out;
}

const drives::SimulatedDrive* FindDrive(const drives::SimulatedDriveTable& table, char letter) {
    for (const drives::SimulatedDrive& drive : table.drives) {
        if (drive.letter == static_cast<wchar_t>(letter)) return &drive;
    }
    return nullptr;
}

}  // namespace

fat32::FormatResult FormatDriveLetter(char letter, const char* label, int sectorsPerCluster) {
    drives::SimulatedDriveTable table;
    std::string error;
    const wchar_t* path = ::_wgetenv(L"VARQO_SIM_DRIVES");
    if (!path || !drives::LoadDriveTable(path, table, error)) return fat32::kOpenFailed;
    const drives::SimulatedDrive* drive = FindDrive(table, letter);
    if (!drive || drive->image.empty()) return fat32::kOpenFailed;

    fat32::ImageFileDevice image(AnsiPath(drive->image), fat32::ImageOptions{});
    fat32::FaultInjectingDevice device(image);
    if (drive->failures & drives::kFailLock) device.FailOperation(fat32::DeviceOp::Lock);
    if (drive->failures & drives::kFailGeometry) device.FailOperation(fat32::DeviceOp::GetGeometry);
    fat32::FormatRequest request;
    request.sectorsPerCluster = sectorsPerCluster;
    request.mayUseSmallerClusters = true;
    request.label = label;
    fat32::FormatOptions options;
    options.now = fat32::CurrentLocalTime();
    return fat32::FormatVolume(device, letter, request, options);
}

}  // namespace app
