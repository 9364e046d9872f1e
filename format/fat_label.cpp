// Pure code-point work, the same on every system: no locale's case table is
// asked (the C locale knows only ASCII), so a label comes out alike whichever
// system or locale formats the stick.
#include "format/fat_label.h"

#include <cstdio>
#include <cstring>

namespace fat32 {
namespace {

constexpr char kForbidden[] = "*?.,;:/\\|+=<>[]\"";
constexpr char32_t kReplacement = U'_';

bool IsForbidden(char32_t c, bool first) {
    if (c < 0x20 || c == 0x7F) return true;
    if (first && c == U' ') return true;
    return c < 0x80 && std::strchr(kForbidden, static_cast<char>(c)) != nullptr;
}

}  // namespace

char32_t FatUpperCase(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    // Latin-1: à..þ except ÷; ÿ has its capital in Latin Extended-A.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0xFF) return 0x178;
    // Latin Extended-A pairs capital and small letters, in two runs of
    // differing parity; ı (0x131) and ſ (0x17F) have no capital of their own.
    if (c == 0x131) return c;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c % 2 == 1 ? c - 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return c % 2 == 0 ? c - 1 : c;
    // Greek α..ω (final sigma to Σ), Cyrillic а..я and ѐ..џ.
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

std::u32string ApplyFatLabelRule(const std::u32string& text, BadLabelCharacter bad,
                                 char32_t& forbidden, bool& repaired) {
    forbidden = 0;
    repaired = false;
    if (text.find_first_not_of(U' ') == std::u32string::npos) return std::u32string();
    std::u32string rule;
    for (const char32_t c : text) {
        if (!IsForbidden(c, rule.empty())) {
            rule += FatUpperCase(c);
        } else if (bad == BadLabelCharacter::Replace) {
            rule += kReplacement;
            repaired = true;
        } else {
            forbidden = c;
            break;
        }
    }
    return rule;
}

std::string DescribeLabelCharacter(char32_t c) {
    if (c == U' ') return "a leading blank";
    if (c == U'\t') return "a tab";
    if (c >= 0x20 && c < 0x7F) return std::string("'") + static_cast<char>(c) + "'";
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    return code;
}

}  // namespace fat32
