// Labels reach the volume in the OEM code page, uppercased, each character
// FAT forbids made '_' (the window's carried label), cut after the last whole
// character that fits in 11 bytes; never a look-alike for a missing one.
#include "format/volume_label.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace fat32 {
namespace {

struct LabelCase {
    const wchar_t* label;
    unsigned codePage;
    const char* bytes;
};

class LabelBytes : public ::testing::TestWithParam<LabelCase> {};

TEST_P(LabelBytes, AreOemAndWhole) {
    EXPECT_EQ(VolumeLabelBytes(GetParam().label, GetParam().codePage), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, LabelBytes,
    ::testing::Values(
        LabelCase{L"Caf\u00E9", 437, "CAF\x90"},  // É; 0xC9 in the ANSI page 1252
        LabelCase{L"Caf\u00E9", 850, "CAF\x90"},
        LabelCase{L"camera roll 2026", 437, "CAMERA ROLL"},
        LabelCase{L"Photos+2024", 437, "PHOTOS_2024"},
        LabelCase{L" a*b?c.d,e;", 437, "_A_B_C_D_E_"},
        LabelCase{L"x:y/z\\|<>[]\"=", 850, "X_Y_Z______"},
        LabelCase{L"tab\there", 437, "TAB_HERE"},
        LabelCase{L"   ", 437, ""},  // blanks only: no label, "NO NAME"
        LabelCase{L"\uFF0A\u0101", 1252, "__"},  // fullwidth * and a-macron: no best fit
        LabelCase{L"", 437, ""},
        LabelCase{L"\u4E2D\u6587\u5377\u6807\u6D4B\u8BD5", 936,  // 中文卷标测试: 12 bytes
                  "\xD6\xD0\xCE\xC4\xBE\xED\xB1\xEA\xB2\xE2"},
        LabelCase{L"A\u4E2D\u6587\u5377\u6807\u6D4B", 936,  // exactly 11
                  "A\xD6\xD0\xCE\xC4\xBE\xED\xB1\xEA\xB2\xE2"},
        LabelCase{L"AB\u4E2D\u6587\u5377\u6807\u6D4B", 936,  // the 5th character would split
                  "AB\xD6\xD0\xCE\xC4\xBE\xED\xB1\xEA"},
        LabelCase{L"\u4E2D", 437, "_"},  // absent from the page: never '?'
        // A page Windows cannot convert to: ASCII kept, others '_', never empty.
        LabelCase{L"a\u00E9b", 12345, "A_B"}));

// Pages whose conversion takes no flags (or, GB18030, only
// WC_ERR_INVALID_CHARS) are never given WC_NO_BEST_FIT_CHARS, which they
// answer with ERROR_INVALID_FLAGS.
class FlagFreePages : public ::testing::TestWithParam<unsigned> {};

TEST_P(FlagFreePages, AreNotRefusedForTheFlag) {
    EXPECT_NE(ConvertVolumeLabel(L"ab", GetParam(), BadLabelCharacter::Replace).systemError,
              static_cast<unsigned long>(ERROR_INVALID_FLAGS));
}

INSTANTIATE_TEST_SUITE_P(CodePages, FlagFreePages,
                         ::testing::Values(42u, 50220u, 50229u, 54936u, 57002u, 57011u, 65000u));

}  // namespace
}  // namespace fat32
