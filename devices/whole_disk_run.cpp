#ifdef _WIN32

#include "devices/whole_disk_run.h"

#include <winioctl.h>

#include "devices/new_mbr_device.h"
#include "devices/win_disk_device.h"

namespace fat32 {

namespace {
constexpr std::uint32_t kGptTailBytes = 1024 * 1024;  // a GPT's backup header and entries
}  // namespace

FormatResult FormatWholeDisk(VolumeCalls& calls, DWORD number, PartitionStyle oldStyle, FormatRequest& request,
                             FormatOptions& options, const DiskProof& prove, DeviceError* error) {
    WinDiskDevice disk(calls, number);
    NewMbrDevice partition(
        disk,
        [&](std::uint32_t start, std::uint32_t sectors, std::uint8_t type) {
            return disk.WriteSinglePartitionTable(start, sectors, type);
        },
        oldStyle == PartitionStyle::Gpt ? kGptTailBytes : 512);
    const auto earlier = options.verifyLocked;
    options.verifyLocked = [&](BlockDevice& device) {
        if (earlier) {
            if (const FormatResult r = earlier(device); r != kFormatOk) return r;
        }
        DiskFacts now;
        if (!disk.ReadFacts(now)) return kDriveChanged;
        return prove ? prove(now) : kFormatOk;
    };
    const FormatResult result = FormatVolume(partition, 'Z', request, options);
    options.verifyLocked = earlier;
    if (error) *error = disk.LastError();
    return result;
}

bool AnnounceNewLayout(VolumeCalls& calls, DWORD number) {
    const VolumeHandle disk(calls, calls.CreateFileW(DiskPath(number).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
    DWORD returned = 0;
    return disk.valid() &&
           calls.DeviceIoControl(disk.get(), IOCTL_DISK_UPDATE_PROPERTIES, nullptr, 0, nullptr, 0, &returned);
}

wchar_t AwaitVolumeLetter(VolumeCalls& calls, DWORD number, int polls, DWORD pollMs) {
    for (int poll = 0; poll < polls; ++poll) {
        const std::vector<wchar_t> letters = LettersOnDisk(calls, number);
        if (!letters.empty()) return letters.front();
        ::Sleep(pollMs);
    }
    return 0;
}

}  // namespace fat32

#endif  // _WIN32
