// The refusal names the character, so the user knows what to change.
#include "tools/mkfat32/label_report.h"

#include <cstdio>
#include <string>

namespace mkfat32 {

bool ReportLabel(const fat32::LabelConversion& label, unsigned codePage) {
    if (label.forbidden) {
        std::fprintf(stderr, "mkfat32: a FAT label cannot hold %s (nor any of * ? . , ; : / \\ | "
                             "+ = < > [ ] \" or a control character); nothing was written\n",
                     fat32::DescribeLabelCharacter(label.forbidden).c_str());
        return false;
    }
    if (label.replaced)
        std::fprintf(stderr, "mkfat32: code page %u lacks a character of the label; it is "
                             "stored as _\n", codePage);
    if (label.cut)
        std::fprintf(stderr, "mkfat32: the label is cut to %u bytes\n",
                     static_cast<unsigned>(label.bytes.size()));
    return true;
}

}  // namespace mkfat32
