// The shipped executable formats the real volume of the drive letter.
#include "app/format_target.h"

#include "format/format_volume.h"

namespace app {

fat32::FormatResult FormatDriveLetter(char letter, const char* label, int sectorsPerCluster) {
    return fat32::FormatDrive(letter, label, sectorsPerCluster);
}

}  // namespace app
