// The simulation executable formats, with the real engine, the image file
// that the drive table (VARQO_SIM_DRIVES, read afresh) names for the letter.
// The table's lock and geometry failures fail those steps of the run as a
// stick's would; a drive without an image cannot be opened. On the locked
// image, the medium's facts are the table's device number and media change
// count as they stand then, and the serial number of the image's own boot
// sector (the table's, when the image holds no file system the tool knows).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/format_target.h"
#include "drives/drive_table_file.h"
#include "devices/fault_injecting_device.h"
#include "format/format_volume.h"
#include "devices/image_file_device.h"

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

bool LoadTable(drives::SimulatedDriveTable& table) {
    std::string error;
    const wchar_t* path = ::_wgetenv(L"VARQO_SIM_DRIVES");
    return path && drives::LoadDriveTable(path, table, error);
}

// What a volume handle would tell of the medium now.
fat32::MediumFacts ReadMediumFacts(fat32::BlockDevice& device, char letter) {
    fat32::MediumFacts facts;
    drives::SimulatedDriveTable table;
    const drives::SimulatedDrive* drive = LoadTable(table) ? FindDrive(table, letter) : nullptr;
    if (!drive) return facts;
    facts.deviceNumberKnown = !(drive->failures & drives::kFailDeviceNumber);
    facts.deviceNumber = drive->deviceNumber;
    facts.mediaChangesKnown = true;
    facts.mediaChanges = drive->mediaChanges;
    std::uint8_t sector[512];
    if (!device.ReadAt(0, sector, sizeof sector)) return facts;
    facts.volumeSerialKnown = true;
    facts.volumeSerial = fat32::VolumeSerialFromBootSector(sector);
    if (facts.volumeSerial == 0 && !(drive->failures & drives::kFailRaw))
        facts.volumeSerial = drive->serial;
    return facts;
}

}  // namespace

fat32::FormatResult FormatDriveLetter(const FormatJob& job) {
    const char letter = job.letter;
    drives::SimulatedDriveTable table;
    if (!LoadTable(table)) return fat32::kOpenFailed;
    const drives::SimulatedDrive* drive = FindDrive(table, letter);
    if (!drive || drive->image.empty()) return fat32::kOpenFailed;

    fat32::ImageFileDevice image(AnsiPath(drive->image), fat32::ImageOptions{});
    fat32::FaultInjectingDevice device(image);
    if (drive->failures & (drives::kFailLock | drives::kFailInUse))
        device.FailOperation(fat32::DeviceOp::Lock);
    device.DelayWrites(drive->writeDelayMs);
    if (drive->failures & drives::kFailGeometry) device.FailOperation(fat32::DeviceOp::GetGeometry);
    fat32::FormatRequest request = RequestFor(job);
    fat32::FormatOptions options;
    options.now = fat32::CurrentLocalTime();
    ReportProgressTo(job, options);
    options.verifyLocked = [&](fat32::BlockDevice& locked) {
        return job.prove ? job.prove(ReadMediumFacts(locked, letter)) : fat32::kFormatOk;
    };
    return fat32::FormatVolume(device, letter, request, options);
}

}  // namespace app
