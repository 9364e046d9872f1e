// Reading a volume's serial number from its boot sector the way the system
// finds it, by the file system's own signature and field.
#include "format/medium_facts.h"

#include <cstring>

namespace fat32 {
namespace {

constexpr std::uint8_t kExtendedBootSignature = 0x29;

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

bool Names(const std::uint8_t* field, const char* text) {
    return std::memcmp(field, text, std::strlen(text)) == 0;
}

}  // namespace

std::uint32_t VolumeSerialFromBootSector(const std::uint8_t* s) {
    if (s[510] != 0x55 || s[511] != 0xAA) return 0;
    if (Names(s + 3, "NTFS    ")) return Le32(s + 0x48);
    if (Names(s + 3, "EXFAT   ")) return Le32(s + 0x64);
    if (s[0x42] == kExtendedBootSignature && Names(s + 0x52, "FAT32")) return Le32(s + 0x43);
    if (s[0x26] == kExtendedBootSignature && Names(s + 0x36, "FAT")) return Le32(s + 0x27);
    return 0;
}

}  // namespace fat32
