// What mkfat32 says of a label on its way to the volume, alike on every
// system: a refusal for a character FAT readers do not accept, warnings for
// what was replaced or cut.
#pragma once

#include "format/fat_label.h"

namespace mkfat32 {

// Prints the refusal or the warnings. False when the label is refused.
bool ReportLabel(const fat32::LabelConversion& label, unsigned codePage);

}  // namespace mkfat32
