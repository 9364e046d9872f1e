// The shipped executable formats the real volume of the drive letter; the
// medium is proven on the locked handle that writes it.
#include "app/format_target.h"

#include "format/format_volume.h"
#include "devices/win_volume_device.h"

namespace app {

fat32::FormatResult FormatDriveLetter(const FormatJob& job) {
    fat32::WinVolumeDevice device;
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
