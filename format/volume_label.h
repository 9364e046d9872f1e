// The bytes a FAT volume label is stored as. FAT keeps short names and the
// label in the OEM code page (437 or 850 on Western systems, 936 on Chinese
// ones), not in the ANSI one, and has room for 11 bytes.
#pragma once

#ifdef _WIN32

#include <string>

namespace fat32 {

inline constexpr std::size_t kVolumeLabelBytes = 11;

// The label converted to `codePage`, cut after the last whole character that
// fits in 11 bytes (a double-byte character is never split). A character the
// code page lacks becomes '_', since '?' is not allowed in a FAT name.
std::string VolumeLabelBytes(const std::wstring& label, unsigned codePage);

// VolumeLabelBytes in the system's OEM code page (GetOEMCP), the one FAT
// readers on this machine decode the label with.
std::string OemVolumeLabel(const std::wstring& label);

}  // namespace fat32

#endif  // _WIN32
