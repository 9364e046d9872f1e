// The whole disk. Refused before anything is written: a disk that is not on
// USB or reports fixed media (65); one in use by the system, holding the
// running Windows or a page file in use, or whose volume another program
// holds (14, the latter found when its volumes are locked). The run's order is the engine's
// with NewMbrDevice: the old signatures go with the first write, the new
// table once the boot sector is there; a cut leaves the old disk, a disk
// without a table, or the new whole volume.
#ifdef _WIN32

#include "tools/mkfat32/windows_whole_disk.h"

#include <winioctl.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "devices/new_mbr_device.h"
#include "devices/system_disks.h"
#include "devices/whole_disk_run.h"
#include "tools/mkfat32/arguments.h"
#include "tools/mkfat32/writing_console.h"

namespace mkfat32 {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kMbrReach = (1ull << 32) * 512;  // 2 TiB
constexpr int kArrivalPolls = 50;
constexpr unsigned kArrivalPollMilliseconds = 200;

std::string Size(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / (1024.0 * kMiB));
    return text;
}

std::string Letters(const std::vector<wchar_t>& letters) {
    std::string text;
    for (const wchar_t letter : letters)
        text += (text.empty() ? "" : ", ") + std::string(1, static_cast<char>(letter)) + ":";
    return text.empty() ? "no volume with a letter" : "volumes " + text;
}

const char* Style(fat32::PartitionStyle style) {
    switch (style) {
        case fat32::PartitionStyle::Mbr: return "an MBR";
        case fat32::PartitionStyle::Gpt: return "a GPT";
        default: return "no partition table";
    }
}

}  // namespace

int WindowsWholeDisk::Refuse(const std::string& why, int code) const {
    std::fprintf(stderr, "mkfat32: %s: %s; nothing was written\n", name_.c_str(), why.c_str());
    return code;
}

int WindowsWholeDisk::Open(const std::string& target) {
    const bool letter = target.size() == 2 && target[1] == ':' && std::isalpha(static_cast<unsigned char>(target[0]));
    if (letter) {
        const wchar_t drive = static_cast<wchar_t>(target[0] & ~0x20);
        name_ = target;
        if (!fat32::DiskOfLetter(calls_, drive, number_))
            return Refuse("its disk cannot be found (no volume there?)", fat32::kOpenFailed);
        name_ = "disk " + std::to_string(number_) + " (" + std::string(1, static_cast<char>(drive)) + ":)";
    } else {
        char* end = nullptr;
        const unsigned long number = target.rfind("disk:", 0) == 0 && target.size() > 5
                                         ? std::strtoul(target.c_str() + 5, &end, 10)
                                         : 0;
        if (!end || *end || number > 0xFFFF) {
            std::fprintf(stderr, "mkfat32: --mbr takes a drive letter (E:) or a disk number (disk:2), not %s\n",
                         target.c_str());
            return kUsageExit;
        }
        number_ = static_cast<DWORD>(number);
        name_ = "disk " + std::to_string(number_);
    }
    // The questions need no access rights; the writing needs an administrator.
    const fat32::VolumeHandle disk(
        calls_, calls_.CreateFileW(fat32::DiskPath(number_).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
    if (!disk.valid()) return Refuse("it cannot be opened", fat32::kOpenFailed);
    if (!fat32::ReadDiskFacts(calls_, disk.get(), facts_))
        return Refuse("it does not say what it is", fat32::kOpenFailed);
    if (!facts_.usb) return Refuse("it is not attached by USB", kNotUsbExit);
    if (!facts_.removable) return Refuse("it is a fixed disk, not a removable stick", kNotUsbExit);
    switch (fat32::SystemUseOfDisk(calls_, number_)) {
        // In use by the system, as on Linux.
        case fat32::SystemUse::Windows: return Refuse("it holds the running Windows", fat32::kLockFailed);
        case fat32::SystemUse::PageFile: return Refuse("it holds a page file in use", fat32::kLockFailed);
        case fat32::SystemUse::None: break;
    }
    if (!calls_.ProcessElevated()) return fat32::kAdminRightsNeeded;
    if (facts_.bytes < 2 * kMiB + 65536ull * 512) return Refuse("it is too small", fat32::kVolumeTooSmall);
    std::printf("mkfat32: %s: %s on USB, %s, %s; all of it becomes one FAT32 partition\n", name_.c_str(),
                Size(facts_.bytes).c_str(), Style(facts_.style), Letters(fat32::LettersOnDisk(calls_, number_)).c_str());
    if (facts_.bytes > kMbrReach)
        std::printf("mkfat32: the partition ends at 2 TiB, the most an MBR describes; the last %s stay unused\n",
                    Size(facts_.bytes - kMbrReach).c_str());
    return 0;
}

std::uint64_t WindowsWholeDisk::VolumeBytes() const {
    return std::uint64_t{fat32::NewPartitionSectors(facts_.bytes)} * 512;
}

fat32::FormatResult WindowsWholeDisk::Format(fat32::FormatRequest& request, fat32::FormatOptions& options) {
    // On the handle that writes, with every volume locked: still this USB
    // stick, of the size asked about.
    const auto prove = [&](const fat32::DiskFacts& now) {
        const bool same = now.number == number_ && now.usb && now.removable && now.bytes == facts_.bytes;
        return same ? fat32::kFormatOk : fat32::kDriveChanged;
    };
    fat32::FormatResult result = fat32::kInternalError;
    {
        const WritingConsole console;
        result = fat32::FormatWholeDisk(calls_, number_, facts_.style, request, options, prove, &error_);
    }
    if (result == fat32::kFormatOk) AwaitNewVolume();
    return result;
}

void WindowsWholeDisk::AwaitNewVolume() {
    if (!fat32::AnnounceNewLayout(calls_, number_))
        std::fprintf(stderr, "mkfat32: %s: the system was not told of the new table; unplug the stick and "
                             "plug it in again\n", name_.c_str());
    if (const wchar_t letter = fat32::AwaitVolumeLetter(calls_, number_, kArrivalPolls, kArrivalPollMilliseconds)) {
        std::printf("mkfat32: %s: the new volume is %c:\n", name_.c_str(), static_cast<char>(letter));
        return;
    }
    std::printf("mkfat32: %s: the new volume has no drive letter yet; unplug the stick and plug it in again\n",
                name_.c_str());
}

}  // namespace mkfat32

#endif  // _WIN32
