// The bytes a FAT volume label is stored as, on Linux: the text is read in
// the locale's encoding, held to FAT's label rule, and converted with iconv
// to an OEM code page (850 on Western Windows systems), the one Windows
// decodes FAT labels with. FAT has room for 11 bytes.
#pragma once

#include <string>

#include "format/fat_label.h"

namespace fat32 {

// `text` in `fromCharset` (nl_langinfo(CODESET)) held to the label rule and
// converted to code page `codePage` (65001 is UTF-8), cut after the last
// whole character that fits in 11 bytes. A character the code page lacks
// becomes '_', since '?' is not allowed in a FAT name; a byte that is no
// character of `fromCharset` makes the text undecodable. The C and POSIX
// locales' ASCII takes UTF-8 text as UTF-8, the encoding such text is in.
LabelConversion ConvertVolumeLabel(const std::string& text, const char* fromCharset,
                                   unsigned codePage,
                                   BadLabelCharacter bad = BadLabelCharacter::Refuse);

// Whether `charset` (nl_langinfo(CODESET)) is ASCII, the C and POSIX locales'.
bool IsAsciiCharset(const char* charset);

}  // namespace fat32
