// The bytes a FAT volume label is stored as, on Linux: the text is read in
// the locale's encoding and converted with iconv to an OEM code page (850 on
// Western Windows systems), the one Windows decodes FAT labels with. FAT has
// room for 11 bytes.
#pragma once

#include <string>

namespace fat32 {

struct LabelConversion {
    std::string bytes;
    bool known = true;       // iconv knows both encodings
    bool cut = false;        // the label was longer than 11 bytes
    bool replaced = false;   // a character the code page lacks became '_'
};

// `text` in `fromCharset` (nl_langinfo(CODESET)) converted to code page
// `codePage`, cut after the last whole character that fits in 11 bytes. A
// character the code page lacks, or a byte that is no character, becomes
// '_', since '?' is not allowed in a FAT name.
LabelConversion ConvertVolumeLabel(const std::string& text, const char* fromCharset,
                                   unsigned codePage);

}  // namespace fat32
