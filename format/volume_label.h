// The bytes a FAT volume label is stored as. FAT keeps short names and the
// label in the OEM code page (437 or 850 on Western systems, 936 on Chinese
// ones), not in the ANSI one, and has room for 11 bytes. The label is held to
// FAT's rule first (format/fat_label.h).
#pragma once

#ifdef _WIN32

#include <string>

#include "format/fat_label.h"

namespace fat32 {

inline constexpr std::size_t kVolumeLabelBytes = kLabelFieldBytes;

// The label held to the rule and converted to `codePage`, cut after the last
// whole character that fits in 11 bytes (a double-byte character is never
// split). A character the code page lacks becomes '_' (never a look-alike,
// and never '?', which is not allowed in a FAT name). Where Windows cannot
// convert to the page at all, `known` is false and the bytes are the label's
// ASCII, every other character '_': never half a label, never none.
LabelConversion ConvertVolumeLabel(const std::wstring& label, unsigned codePage,
                                   BadLabelCharacter bad);

// The bytes of ConvertVolumeLabel, each forbidden character made '_'
// (the ASCII fallback included).
std::string VolumeLabelBytes(const std::wstring& label, unsigned codePage);

// VolumeLabelBytes in the system's OEM code page (GetOEMCP), the one FAT
// readers on this machine decode the label with: an old label carried over
// to the new volume is made valid rather than refused.
std::string OemVolumeLabel(const std::wstring& label);

}  // namespace fat32

#endif  // _WIN32
