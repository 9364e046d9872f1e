// Labels reach the volume in the OEM code page, cut after the last whole
// character that fits in 11 bytes.
#include "format/volume_label.h"

#include <gtest/gtest.h>

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
        LabelCase{L"Caf\u00E9", 437, "Caf\x82"},  // 0xE9 in the ANSI page 1252
        LabelCase{L"Caf\u00E9", 850, "Caf\x82"},
        LabelCase{L"camera roll 2026", 437, "camera roll"},
        LabelCase{L"", 437, ""},
        LabelCase{L"\u4E2D\u6587\u5377\u6807\u6D4B\u8BD5", 936,  // 中文卷标测试: 12 bytes
                  "\xD6\xD0\xCE\xC4\xBE\xED\xB1\xEA\xB2\xE2"},
        LabelCase{L"A\u4E2D\u6587\u5377\u6807\u6D4B", 936,  // exactly 11
                  "A\xD6\xD0\xCE\xC4\xBE\xED\xB1\xEA\xB2\xE2"},
        LabelCase{L"AB\u4E2D\u6587\u5377\u6807\u6D4B", 936,  // the 5th character would split
                  "AB\xD6\xD0\xCE\xC4\xBE\xED\xB1\xEA"},
        LabelCase{L"\u4E2D", 437, "_"}));  // absent from the page: never '?'

}  // namespace
}  // namespace fat32
