// Result messages and the cluster-size policy.
#include "format/format_result.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace fat32 {
namespace {

TEST(ResultMessages, EveryCodeFromZeroToSixteenHasTwoTexts) {
    std::set<std::string> english;
    for (FormatResult code = 0; code <= 16; ++code) {
        const ResultMessage* m = FindResultMessage(code);
        ASSERT_NE(m, nullptr) << code;
        EXPECT_GT(std::strlen(m->chinese), 0u);
        EXPECT_GT(std::strlen(m->english), 0u);
        english.insert(m->english);
    }
    EXPECT_EQ(english.size(), 16u);  // 6 and 8 share the only shared text
}

TEST(ResultMessages, CodesOutsideTheRangeHaveNone) {
    EXPECT_EQ(FindResultMessage(-1), nullptr);
    EXPECT_EQ(FindResultMessage(17), nullptr);  // mkfat32's own, with its size
    EXPECT_NE(FindResultMessage(20), nullptr);  // administrator rights needed
    EXPECT_EQ(FindResultMessage(21), nullptr);
    EXPECT_EQ(FindResultMessage(0x7FFFFFFF), nullptr);
}

TEST(ResultMessages, SixAndEightShareTheirText) {
    EXPECT_STREQ(FindResultMessage(6)->english, FindResultMessage(8)->english);
    EXPECT_STREQ(FindResultMessage(6)->chinese, "失败，设备可能大于2TB");
}

TEST(ResultMessages, IconsFollowTheKindOfOutcome) {
    EXPECT_EQ(FindResultMessage(kFormatOk)->icon, kIconInformation);
    EXPECT_EQ(FindResultMessage(kInternalError)->icon, kIconError);
    EXPECT_EQ(FindResultMessage(kOutOfMemory)->icon, kIconError);
    for (FormatResult code : {2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16})
        EXPECT_EQ(FindResultMessage(code)->icon, kIconWarning) << code;
}

TEST(ResultMessages, TextsStandExactly) {
    EXPECT_STREQ(FindResultMessage(0)->chinese, "格式化完成！");
    EXPECT_STREQ(FindResultMessage(0)->english, "Formation complete!");
    EXPECT_STREQ(FindResultMessage(1)->english, "Internal error");
    // Code 9 mixes one ASCII comma with two full-width ones.
    EXPECT_STREQ(FindResultMessage(9)->chinese,
                 "内部错误，分配内存失败,请关闭一些程序后，再重试！");
    EXPECT_STREQ(FindResultMessage(14)->english,
                 "Another software or processes are using this drive, turn it off and try again, "
                 "please!");
    // 12 and 13 differ by one word; each cause keeps its own text.
    EXPECT_STREQ(FindResultMessage(12)->english,
                 "Failed to get device partition information, pull it out and try again, please!");
    EXPECT_STREQ(FindResultMessage(13)->english,
                 "Failed to get device information, pull it out and try again, please!");
    EXPECT_STREQ(FindResultMessage(12)->chinese, "获取设备分区信息失败，请重新插拔设备，再重试！");
    EXPECT_STREQ(FindResultMessage(13)->chinese, "获取设备信息失败，请重新插拔设备，再重试！");
    EXPECT_STREQ(ResultCaption(true), "提示");
    EXPECT_STREQ(ResultCaption(false), "Info");
}

struct PolicyCase {
    std::uint32_t megabytes;
    std::uint32_t sectorsPerCluster;
};

class ClusterPolicy : public ::testing::TestWithParam<PolicyCase> {};

TEST_P(ClusterPolicy, ChoosesBySize) {
    EXPECT_EQ(SectorsPerClusterForCapacity(GetParam().megabytes), GetParam().sectorsPerCluster)
        << GetParam().megabytes << " MB";
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, ClusterPolicy,
    ::testing::Values(PolicyCase{0, 8}, PolicyCase{32, 8}, PolicyCase{33, 16}, PolicyCase{63, 16},
                      PolicyCase{64, 8}, PolicyCase{65, 16}, PolicyCase{128, 8},
                      PolicyCase{129, 16}, PolicyCase{255, 16}, PolicyCase{256, 8},
                      PolicyCase{257, 8}, PolicyCase{8191, 8}, PolicyCase{8192, 8},
                      PolicyCase{9215, 8}, PolicyCase{9216, 16}, PolicyCase{16383, 16},
                      PolicyCase{16384, 8}, PolicyCase{17407, 8}, PolicyCase{17408, 32},
                      PolicyCase{32767, 32}, PolicyCase{32768, 8}, PolicyCase{33791, 8},
                      PolicyCase{33792, 64}, PolicyCase{2097151, 64}, PolicyCase{2097152, 8},
                      PolicyCase{0xFFFFFFFF, 8}));

TEST(ClusterPolicy, UnknownCapacityLeavesTheChoiceToTheEngine) {
    EXPECT_EQ(RequestedSectorsPerCluster(kCapacityUnknown), 0);
    EXPECT_EQ(RequestedSectorsPerCluster(1), 8);
    EXPECT_EQ(RequestedSectorsPerCluster(33792), 64);
}

}  // namespace
}  // namespace fat32
