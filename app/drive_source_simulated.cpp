// The simulation executable runs on one simulated Windows machine, built from
// the drive table file named by the environment variable VARQO_SIM_DRIVES
// (format: simulated_windows/README.md). The file is read afresh at the start
// of every scan, so a test or a user can plug, pull and swap drives by editing
// it while the window runs; open handles and locks live on in the machine.
// Without the variable, or with a file that does not parse, the machine has
// no drives at all. A drive whose image file, or whose partition of its
// disk's image, holds a FAT32 volume reports that volume's size, label and
// file system, as Windows reports a mounted volume. VARQO_SIM_CALL_LOG names
// a file that receives one line per volume call.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/drive_source.h"
#include "simulated_windows/drive_table_file.h"
#include "simulated_windows/simulated_disk_layout.h"
#include "simulated_windows/simulated_drive_query.h"

namespace app {
namespace {

constexpr std::size_t kSector = 512;
constexpr std::size_t kDirEntrySize = 32;
constexpr std::uint8_t kAttrVolumeLabel = 0x08;
constexpr std::uint8_t kAttrLongName = 0x0F;
constexpr std::uint32_t kFsInfoLead = 0x41615252;

std::uint32_t Le(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

bool ReadImageSector(std::FILE* f, std::uint64_t sector, std::uint8_t* out) {
    return ::_fseeki64(f, static_cast<long long>(sector * kSector), SEEK_SET) == 0 &&
           std::fread(out, 1, kSector, f) == kSector;
}

// The label entry of the root directory's first sector, blanks trimmed.
std::wstring RootLabel(const std::uint8_t* root) {
    for (std::size_t at = 0; at < kSector; at += kDirEntrySize) {
        const std::uint8_t* e = root + at;
        if (e[0] == 0) break;
        if (e[0] == 0xE5 || e[11] == kAttrLongName || !(e[11] & kAttrVolumeLabel)) continue;
        char name[12] = {};
        std::memcpy(name, e, 11);
        if (name[0] == 0x05) name[0] = static_cast<char>(0xE5);
        for (int i = 10; i >= 0 && name[i] == ' '; --i) name[i] = '\0';
        wchar_t wide[12] = {};
        ::MultiByteToWideChar(CP_OEMCP, 0, name, -1, wide, 12);
        return wide;
    }
    return std::wstring();
}

// Where a drive's volume lies: its own image, or the partition of its disk's
// image that the disk's table now holds.
bool VolumeImage(const drives::SimulatedDrive& drive, const drives::SimulatedDriveTable& table, std::wstring& image,
                 std::uint64_t& firstSector) {
    firstSector = 0;
    if (drive.partition == 0) {
        image = drive.image;
        return !image.empty();
    }
    for (const drives::SimulatedDisk& disk : table.disks) {
        if (disk.number != drive.deviceNumber) continue;
        drives::SimulatedMedium medium(disk.image, false);
        const drives::SimulatedLayout layout = drives::ReadLayout(medium);
        const drives::SimulatedPartition* partition = drives::FindPartition(layout, drive.partition);
        if (!partition) return false;
        image = disk.image;
        firstSector = partition->offset / kSector;
        return true;
    }
    return false;
}

void ReportImageVolume(drives::SimulatedDrive& drive, const drives::SimulatedDriveTable& table) {
    std::wstring image;
    std::uint64_t first = 0;
    if (!VolumeImage(drive, table, image, first)) return;
    File f(::_wfopen(image.c_str(), L"rb"), std::fclose);
    const auto ReadSector = [&](std::uint64_t sector, std::uint8_t* out) {
        return ReadImageSector(f.get(), first + sector, out);
    };
    std::uint8_t boot[kSector], fsInfo[kSector], root[kSector];
    if (!f || !ReadSector(0, boot)) return;
    if (boot[510] != 0x55 || boot[511] != 0xAA || std::memcmp(boot + 0x52, "FAT32   ", 8) != 0) return;
    const std::uint32_t sectorsPerCluster = boot[0x0D], fats = boot[0x10];
    const std::uint32_t reserved = Le(boot + 0x0E, 2), total = Le(boot + 0x20, 4);
    const std::uint32_t fatSectors = Le(boot + 0x24, 4), rootCluster = Le(boot + 0x2C, 4);
    const std::uint64_t metadata = reserved + std::uint64_t{fats} * fatSectors;
    if (Le(boot + 0x0B, 2) != kSector || sectorsPerCluster == 0 || rootCluster < 2 || metadata >= total)
        return;
    const auto clusters = static_cast<DWORD>((total - metadata) / sectorsPerCluster);
    drive.bytesPerSector = kSector;
    drive.sectorsPerCluster = sectorsPerCluster;
    drive.totalClusters = clusters;
    drive.freeClusters = clusters;
    if (ReadSector(Le(boot + 0x30, 2), fsInfo) && Le(fsInfo, 4) == kFsInfoLead &&
        Le(fsInfo + 0x1E8, 4) <= clusters)
        drive.freeClusters = Le(fsInfo + 0x1E8, 4);
    drive.fileSystem = L"FAT32";
    // The system mounts what the stick now holds, whatever it held before.
    drive.failures &= ~drives::kFailRaw;
    const std::uint64_t rootSector = metadata + std::uint64_t{rootCluster - 2} * sectorsPerCluster;
    drive.label = ReadSector(rootSector, root) ? RootLabel(root) : std::wstring();
}

void AppendToCallLog(const std::string& line) {
    const wchar_t* path = ::_wgetenv(L"VARQO_SIM_CALL_LOG");
    if (!path || !*path) return;
    File log(::_wfopen(path, L"ab"), std::fclose);
    if (log) std::fprintf(log.get(), "%s\n", line.c_str());
}

std::shared_ptr<drives::SimulatedMachine> Machine() {
    static const std::shared_ptr<drives::SimulatedMachine> machine = [] {
        auto made = std::make_shared<drives::SimulatedMachine>();
        made->SetCallLog(AppendToCallLog);
        return made;
    }();
    return machine;
}

class ReloadingDriveQuery : public drives::SimulatedDriveQuery {
public:
    ReloadingDriveQuery() : SimulatedDriveQuery(Machine()) { Reload(); }

    // A scan starts by listing the drive strings.
    DWORD LogicalDriveStrings(DWORD bufferLength, wchar_t* buffer) override {
        Reload();
        return SimulatedDriveQuery::LogicalDriveStrings(bufferLength, buffer);
    }
    // A drive's identity is read by opening its volume: the machine as it is
    // at that moment answers, as a real query's would.
    HANDLE OpenVolume(const wchar_t* volumePath) override {
        Reload();
        return SimulatedDriveQuery::OpenVolume(volumePath);
    }

    // So does a walk through the disks' interfaces (a stick without a letter).
    HDEVINFO OpenInterfaceSet(const GUID& interfaceClass) override {
        Reload();
        return SimulatedDriveQuery::OpenInterfaceSet(interfaceClass);
    }

private:
    void Reload() {
        drives::SimulatedDriveTable fresh;
        const wchar_t* path = ::_wgetenv(L"VARQO_SIM_DRIVES");
        std::string error;
        if (path && *path && !drives::LoadDriveTable(path, fresh, error)) {
            std::fprintf(stderr, "simulated drives: %s\n", error.c_str());
            fresh = {};
        }
        for (drives::SimulatedDrive& drive : fresh.drives) ReportImageVolume(drive, fresh);
        machine().Replace(std::move(fresh));
    }
};

}  // namespace

drives::DriveQuery& ApplicationDriveQuery() {
    static ReloadingDriveQuery query;
    return query;
}

std::unique_ptr<drives::DriveQuery> NewDriveQuery() { return std::make_unique<ReloadingDriveQuery>(); }

fat32::VolumeCalls& ApplicationVolumeCalls() { return *Machine(); }

}  // namespace app
