// The format worker's run: the shipped volume device over the linked machine's
// volume calls (the system's, or the simulated machine's), with the medium
// proven on the locked handle that writes it.
#include "app/format_target.h"

#include "app/drive_source.h"
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

}  // namespace

fat32::FormatResult FormatDriveLetter(const FormatJob& job) {
    const QuietErrors quiet;
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
