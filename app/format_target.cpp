// The format worker's run: the shipped volume device over the linked machine's
// volume calls (the system's, or the simulated machine's), with the medium
// proven on the locked handle that writes it.
#include "app/format_target.h"

#include "app/drive_source.h"
#include "devices/whole_disk_run.h"
#include "devices/win_volume_device.h"
#include "format/format_volume.h"

namespace app {

namespace {

// A pulled card or a reader without a medium must fail the worker's calls,
// not stop the run behind a system box asking for a disk.
class QuietErrors {
public:
    QuietErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
    ~QuietErrors() { ::SetThreadErrorMode(previous_, nullptr); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    DWORD previous_ = 0;
};

// The new volume's arrival is waited for at most this long.
constexpr int kArrivalPolls = 50;
constexpr DWORD kArrivalPollMs = 200;

fat32::FormatResult FormatWholeStick(const FormatJob& job) {
    fat32::VolumeCalls& calls = ApplicationVolumeCalls();
    fat32::FormatRequest request = RequestFor(job);
    fat32::FormatOptions options;
    options.now = fat32::CurrentLocalTime();
    ReportProgressTo(job, options);
    const fat32::FormatResult result =
        fat32::FormatWholeDisk(calls, job.wholeDisk, job.oldStyle, request, options, job.proveDisk);
    // The wait below cuts nothing: closing the window then is harmless.
    if (job.writesOver) job.writesOver();
    // The window lists the new volume: the system must read the table again,
    // and a volume that is late is listed by the next arrival.
    if (result == fat32::kFormatOk && fat32::AnnounceNewLayout(calls, job.wholeDisk))
        fat32::AwaitVolumeLetter(calls, job.wholeDisk, kArrivalPolls, kArrivalPollMs);
    return result;
}

}  // namespace

fat32::FormatResult FormatDriveLetter(const FormatJob& job) {
    const QuietErrors quiet;
    if (job.wholeDisk != kNoWholeDisk) return FormatWholeStick(job);
    fat32::WinVolumeDevice device(ApplicationVolumeCalls());
    fat32::FormatRequest request = RequestFor(job);
    fat32::FormatOptions options;
    options.now = fat32::CurrentLocalTime();
    ReportProgressTo(job, options);
    options.verifyLocked = [&](fat32::BlockDevice&) {
        return job.prove ? job.prove(device.ReadMediumFacts()) : fat32::kFormatOk;
    };
    return fat32::FormatVolume(device, job.letter, request, options);
}

}  // namespace app
