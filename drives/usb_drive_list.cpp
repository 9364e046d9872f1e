// UsbDriveList. Sizes are MB of 1,048,576 bytes, truncated; every query of a
// drive runs with critical-error boxes turned off so that a card reader
// without a medium fails quietly instead of asking the user.
#include "drives/usb_drive_list.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "drives/query_owners.h"
#include "drives/whole_stick.h"

namespace drives {

namespace {

constexpr DWORD kLabelUnits = 255;
constexpr DWORD kVolumeNameUnits = 1024;
constexpr DWORD kFileSystemNameUnits = 256;

// floor(floor(sectorsPerCluster * clusters / 1024) * bytesPerSector / 1024),
// in 64 bits, saturating rather than wrapping at the 32-bit result.
std::uint32_t Megabytes(DWORD sectorsPerCluster, DWORD clusters, DWORD bytesPerSector) {
    const std::uint64_t kilosectors = std::uint64_t{sectorsPerCluster} * clusters / 1024;
    if (bytesPerSector != 0 && kilosectors > std::numeric_limits<std::uint64_t>::max() / bytesPerSector)
        return std::numeric_limits<std::uint32_t>::max();
    const std::uint64_t megabytes = kilosectors * bytesPerSector / 1024;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(megabytes, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

UsbDriveList::UsbDriveList(DriveQuery& query) : query_(query) {
    std::fill(std::begin(letters_), std::end(letters_), kEndOfLetters);
    std::fill(std::begin(disks_), std::end(disks_), kNoDisk);
}

void UsbDriveList::Rebuild(const std::function<void()>& clearShownList) {
    count_ = 0;
    std::fill(std::begin(totalMb_), std::end(totalMb_), 0u);
    std::fill(std::begin(freeMb_), std::end(freeMb_), 0u);
    std::fill(std::begin(disks_), std::end(disks_), kNoDisk);
    if (clearShownList) clearShownList();
    ScanUsbDrives(query_, letters_);
    hasDrives_ = false;
    for (int i = 0; i < kMaxUsbDrives && letters_[i] != kEndOfLetters; ++i) {
        // A failed query still lists the drive: its sizes stay 0 and the
        // texts keep what the previous drive left.
        QuerySizes(letters_[i], totalMb_[i], freeMb_[i]);
        QueryLabel(letters_[i]);
        QueryFileSystemName(letters_[i]);
        disks_[i] = kNoDisk;
        fat32::DiskOfLetter(query_.Volumes(), letters_[i], disks_[i]);
        ++count_;
        hasDrives_ = true;
    }
    AddSticksWithoutLetter();
    if (trace_) std::fprintf(trace_, "%d", count_);
}

void UsbDriveList::AddSticksWithoutLetter() {
    for (const DWORD number : UsbDiskNumbers(query_)) {
        if (count_ == kMaxUsbDrives) return;
        if (std::find(disks_, disks_ + count_, number) != disks_ + count_) continue;
        // A disk whose volumes have letters is listed by them, USB or not.
        if (!fat32::LettersOnDisk(query_.Volumes(), number).empty()) continue;
        fat32::DiskFacts facts;
        if (!ReadStick(query_, number, facts) || !MayOfferWhole(query_, facts)) continue;
        letters_[count_] = kNoLetter;
        disks_[count_] = number;
        totalMb_[count_] = static_cast<std::uint32_t>(facts.bytes / (1024 * 1024));
        freeMb_[count_] = 0;
        ++count_;
        hasDrives_ = true;
    }
}

void UsbDriveList::QuerySizes(wchar_t letter, std::uint32_t& totalMb, std::uint32_t& freeMb) {
    // The root, not "X:": a bare drive name means that drive's current
    // directory, which may be a folder that no longer exists.
    wchar_t rootPath[] = L"C:\\";
    rootPath[0] = letter;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    bool ok;
    {
        const ErrorModeScope quiet(query_, SEM_FAILCRITICALERRORS);
        ok = query_.DiskFreeSpace(rootPath, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
    }
    if (!ok) return;
    clusterSize_.SmallFormat(L"%lu", static_cast<unsigned long>(sectorsPerCluster) * bytesPerSector);
    totalMb = Megabytes(sectorsPerCluster, totalClusters, bytesPerSector);
    freeMb = Megabytes(sectorsPerCluster, freeClusters, bytesPerSector);
}

bool UsbDriveList::QueryEntrySizes(int index) {
    if (ValidIndex(index) && letters_[index] == kNoLetter) return true;
    if (!ValidIndex(index)) return false;
    QuerySizes(letters_[index], totalMb_[index], freeMb_[index]);
    return true;
}

bool UsbDriveList::QueryLabel(wchar_t letter) {
    wchar_t rootPath[] = L"C:\\";
    rootPath[0] = letter;
    wchar_t label[kLabelUnits] = {};
    const ErrorModeScope quiet(query_, SEM_FAILCRITICALERRORS);
    if (!query_.VolumeInformation(rootPath, label, kLabelUnits, nullptr, 0)) return false;
    label[kLabelUnits - 1] = L'\0';
    label_ = label;
    return true;
}

IdentifyStatus UsbDriveList::Identify(wchar_t letter, DriveIdentity& identity) {
    return IdentifyUsbDrive(query_, letter, identity);
}

bool UsbDriveList::QueryFileSystemName(wchar_t letter) {
    wchar_t rootPath[] = L"C:\\";
    rootPath[0] = letter;
    wchar_t volumeName[kVolumeNameUnits] = {};
    wchar_t fileSystemName[kFileSystemNameUnits] = {};
    const ErrorModeScope quiet(query_, SEM_FAILCRITICALERRORS);
    if (!query_.VolumeInformation(rootPath, volumeName, kVolumeNameUnits, fileSystemName, kFileSystemNameUnits))
        return false;
    fileSystemName[kFileSystemNameUnits - 1] = L'\0';
    fileSystemName_ = fileSystemName;
    return true;
}

void UsbDriveList::RemoveEntry(int index) {
    if (!ValidIndex(index)) return;
    for (int i = index; i + 1 < count_; ++i) {
        letters_[i] = letters_[i + 1];
        disks_[i] = disks_[i + 1];
        totalMb_[i] = totalMb_[i + 1];
        freeMb_[i] = freeMb_[i + 1];
    }
    --count_;
    letters_[count_] = kEndOfLetters;
    disks_[count_] = kNoDisk;
    totalMb_[count_] = 0;
    freeMb_[count_] = 0;
}

wchar_t UsbDriveList::Letter(int index) const { return ValidIndex(index) ? letters_[index] : kEndOfLetters; }

std::uint32_t UsbDriveList::TotalMb(int index) const { return ValidIndex(index) ? totalMb_[index] : 0; }

std::uint32_t UsbDriveList::FreeMb(int index) const { return ValidIndex(index) ? freeMb_[index] : 0; }

DWORD UsbDriveList::Disk(int index) const { return ValidIndex(index) ? disks_[index] : kNoDisk; }

int UsbDriveList::IndexOfDisk(DWORD number) const {
    // A volume of the disk first: the list names a stick by its letter.
    for (int i = 0; i < count_; ++i) {
        if (disks_[i] == number && letters_[i] != kNoLetter) return i;
    }
    for (int i = 0; i < count_; ++i) {
        if (disks_[i] == number) return i;
    }
    return -1;
}

int UsbDriveList::IndexOf(wchar_t letter) const {
    if (letter == kNoLetter) return -1;
    for (int i = 0; i < count_; ++i) {
        if (letters_[i] == letter) return i;
    }
    return -1;
}

}  // namespace drives
