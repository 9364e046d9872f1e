// Layout arithmetic, refusal order, serial number and the sector images.
#include "format/fat32_layout.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace fat32 {
namespace {

using Sector = std::array<std::uint8_t, kSectorSize>;

std::uint32_t Get32(const Sector& s, std::size_t offset) {
    return s[offset] | s[offset + 1] << 8 | s[offset + 2] << 16 |
           static_cast<std::uint32_t>(s[offset + 3]) << 24;
}

std::uint16_t Get16(const Sector& s, std::size_t offset) {
    return static_cast<std::uint16_t>(s[offset] | s[offset + 1] << 8);
}

std::string Text(const Sector& s, std::size_t offset, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(s.data() + offset), size);
}

VolumeGeometry GeometryOfSectors(std::int64_t sectors) {
    VolumeGeometry g;
    g.partitionLength = sectors * 512;
    g.bytesPerSector = 512;
    g.sectorsPerTrack = 63;
    g.tracksPerCylinder = 255;
    g.hiddenSectors = 2048;
    return g;
}

struct LayoutCase {
    std::int64_t sectors;
    std::int32_t sectorsPerCluster;
    FormatResult result;
    std::uint32_t fatSectors;  // checked when accepted
    std::uint32_t clusters;
};

class LayoutTable : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTable, MatchesKnownVolumes) {
    const LayoutCase& c = GetParam();
    FormatRequest request{c.sectorsPerCluster, "X"};
    Fat32Layout layout;
    EXPECT_EQ(ComputeLayout(GeometryOfSectors(c.sectors), request, layout), c.result);
    if (c.result == kFormatOk) {
        EXPECT_EQ(layout.totalSectors, c.sectors);
        EXPECT_EQ(layout.fatSectors, c.fatSectors);
        EXPECT_EQ(layout.clusterCount, c.clusters);
        EXPECT_EQ(layout.firstDataSector, 32 + 2 * c.fatSectors);
        EXPECT_EQ(layout.sectorsToClear, layout.firstDataSector + layout.sectorsPerCluster);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, LayoutTable,
    ::testing::Values(
        // 32 MiB passes the size test but has too few clusters, even at 1 per
        // cluster: too small for FAT32 at all, up to 66,593 sectors.
        LayoutCase{65536, 8, kBelowFat32Minimum, 0, 0},
        LayoutCase{65536, 1, kBelowFat32Minimum, 0, 0},
        LayoutCase{66593, 1, kBelowFat32Minimum, 0, 0},
        LayoutCase{66594, 8, kTooFewClusters, 0, 0},
        LayoutCase{65535, 8, kVolumeTooSmall, 0, 0},
        LayoutCase{4294967295LL, 64, kVolumeTooLarge, 0, 0},
        LayoutCase{4294967294LL, 64, kFormatOk, 524161, 67092483},
        LayoutCase{4294967294LL, 8, kTooManyClusters, 0, 0},
        LayoutCase{15728640, 8, kFormatOk, 15331, 1962243},  // 7,680 MiB
        LayoutCase{204800, 16, kTooFewClusters, 0, 0},       // 100 MiB
        LayoutCase{258 * 2048, 8, kFormatOk, 515, 65915},    // 258 MiB
        // Smallest partitions reaching 65,536 clusters at 4 and 8 KiB.
        LayoutCase{525346, 8, kFormatOk, 513, 65536},
        LayoutCase{525345, 8, kTooFewClusters, 0, 0},
        LayoutCase{1049634, 16, kFormatOk, 513, 65536},
        LayoutCase{1049633, 16, kTooFewClusters, 0, 0},
        // Sizes where the bare formula leaves the last cluster without a FAT
        // entry (506 MiB, 9,216 MiB, 18,411 MiB, 36,813 MiB): one sector more.
        LayoutCase{506 * 2048, 8, kFormatOk, 1011, 129279},
        LayoutCase{9216 * 2048, 16, kFormatOk, 9208, 1178495},
        LayoutCase{18411 * 2048, 32, kFormatOk, 9202, 1177727},
        LayoutCase{36813 * 2048, 64, kFormatOk, 9202, 1177727},
        // The highest addressable cluster count, 0x0FFFFFF5, and one above it.
        LayoutCase{2151677903LL, 8, kFormatOk, 2097152, 268435445},
        LayoutCase{2151677904LL, 8, kTooManyClusters, 0, 0},
        LayoutCase{2151677936LL, 8, kTooManyClusters, 0, 0}));

// Whole-MiB sizes from 33 MiB to 2 TiB - 1 MiB, with the window's cluster
// policy and with the engine's own choice: every accepted layout has a FAT
// entry for each cluster plus the two reserved ones, addresses no cluster
// number that FAT32 reserves, and keeps the bare formula's FAT wherever that
// was already large enough.
TEST(Layout, EveryWholeMebibyteSizeGetsAFatLargeEnough) {
    int grown = 0;
    for (std::int64_t mib = 33; mib < 2 * 1024 * 1024; ++mib) {
        const std::int64_t sectors = mib * 2048;
        const auto policy = static_cast<std::int32_t>(
            SectorsPerClusterForCapacity(static_cast<std::uint32_t>(mib)));
        for (std::int32_t sectorsPerCluster : {policy, 0}) {
            FormatRequest request{sectorsPerCluster, ""};
            Fat32Layout layout;
            if (ComputeLayout(GeometryOfSectors(sectors), request, layout) != kFormatOk) continue;
            const std::uint64_t s = layout.sectorsPerCluster;
            ASSERT_GE(layout.fatSectors * 128ull, layout.clusterCount + 2ull) << mib;
            ASSERT_LE(layout.clusterCount, 0x0FFFFFF5u) << mib;
            ASSERT_LE(32 + 2ull * layout.fatSectors + layout.clusterCount * s,
                      static_cast<std::uint64_t>(sectors)) << mib;
            const std::uint64_t formula = 4 * (sectors - 32) / (s * 512 + 8) + 1;
            const std::uint64_t formulaClusters = (sectors - 32 - 2 * formula) / s;
            if (formula * 128 >= formulaClusters + 2)
                ASSERT_EQ(layout.fatSectors, formula) << mib;
            else
                ++grown;
        }
    }
    EXPECT_GT(grown, 16000);  // about 0.8 % of the sizes, most at 64 sectors per cluster
}

TEST(Layout, SevenGigabyteVolumeHasTheKnownNumbers) {
    FormatRequest request{8, ""};
    Fat32Layout layout;
    ASSERT_EQ(ComputeLayout(GeometryOfSectors(15728640), request, layout), kFormatOk);
    EXPECT_EQ(layout.firstDataSector, 30694u);
    EXPECT_EQ(layout.sectorsToClear, 30702u);
    EXPECT_EQ(layout.reservedSectors, 32);
    EXPECT_EQ(layout.fatCount, 2);
}

TEST(Layout, AutomaticClusterSizeSwitchesAboveOneTebibyte) {
    Fat32Layout layout;
    FormatRequest at{0, ""};
    ASSERT_EQ(ComputeLayout(GeometryOfSectors(2147483648LL), at, layout), kFormatOk);
    EXPECT_EQ(at.sectorsPerCluster, 8);
    EXPECT_EQ(layout.fatSectors, 2093064u);
    EXPECT_EQ(layout.clusterCount, 267912186u);

    FormatRequest above{0, ""};
    ASSERT_EQ(ComputeLayout(GeometryOfSectors(2147483649LL), above, layout), kFormatOk);
    EXPECT_EQ(above.sectorsPerCluster, 16);
    EXPECT_EQ(layout.fatSectors, 1047553u);
    EXPECT_EQ(layout.clusterCount, 134086781u);
}

TEST(Layout, AutomaticChoiceIsWrittenBackEvenWhenRefused) {
    Fat32Layout layout;
    FormatRequest small{0, ""};
    EXPECT_EQ(ComputeLayout(GeometryOfSectors(100), small, layout), kVolumeTooSmall);
    EXPECT_EQ(small.sectorsPerCluster, 8);
    FormatRequest huge{0, ""};
    EXPECT_EQ(ComputeLayout(GeometryOfSectors(1LL << 33), huge, layout), kVolumeTooLarge);
    EXPECT_EQ(huge.sectorsPerCluster, 16);
}

TEST(Layout, ExplicitClusterSizeIsLeftAlone) {
    Fat32Layout layout;
    FormatRequest request{32, ""};
    ASSERT_EQ(ComputeLayout(GeometryOfSectors(15728640), request, layout), kFormatOk);
    EXPECT_EQ(request.sectorsPerCluster, 32);
    EXPECT_EQ(layout.sectorsPerCluster, 32u);
}

TEST(Layout, RefusalsComeInTheirOrder) {
    Fat32Layout layout;
    // A wrong sector size wins over every size test.
    VolumeGeometry g = GeometryOfSectors(100);
    g.bytesPerSector = 4096;
    FormatRequest request{8, ""};
    EXPECT_EQ(ComputeLayout(g, request, layout), kUnsupportedSectorSize);

    // Buffers are asked for only after the size tests, and before the cluster tests.
    int asked = 0;
    auto refuse = [&] { ++asked; return false; };
    EXPECT_EQ(ComputeLayout(GeometryOfSectors(100), request, layout, refuse), kVolumeTooSmall);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(ComputeLayout(GeometryOfSectors(65536), request, layout, refuse), kOutOfMemory);
    EXPECT_EQ(asked, 1);
    auto grant = [&] { ++asked; return true; };
    EXPECT_EQ(ComputeLayout(GeometryOfSectors(65536), request, layout, grant), kBelowFat32Minimum);
    EXPECT_EQ(asked, 2);
}

// Sticks too small for the policy's cluster size get the largest smaller one
// that still makes 65,536 clusters; a size the user chose stands, and a
// request no caller should make is refused before anything else.
TEST(Layout, ClusterSizeShrinksOnlyWhenThePolicyChose) {
    struct Case {
        std::int64_t mib;
        std::int32_t asked;
        bool policy;
        std::uint32_t align;
        FormatResult result;
        std::int32_t used;
    };
    const Case cases[] = {
        {40, 16, true, 0, kFormatOk, 1},       {128, 8, true, 0, kFormatOk, 2},
        {255, 16, true, 0, kFormatOk, 4},      {257, 8, true, 0, kFormatOk, 8},
        {32, 8, true, 0, kBelowFat32Minimum, 8},  {128, 16, false, 0, kTooFewClusters, 16},
        {300, 3, true, 0, kInternalError, 3},  {300, 256, false, 0, kInternalError, 256},
        {300, -8, false, 0, kInternalError, -8},
        // 64 MiB alignment would need more reserved sectors than 16 bits hold.
        {8192, 8, false, 0x20000, kInternalError, 8},
        {8192, 8, false, 0x8000, kFormatOk, 8},
    };
    for (const Case& c : cases) {
        FormatRequest request{c.asked, ""};
        request.mayUseSmallerClusters = c.policy;
        request.alignSectors = c.align;
        Fat32Layout layout;
        EXPECT_EQ(ComputeLayout(GeometryOfSectors(c.mib * 2048), request, layout), c.result) << c.mib;
        EXPECT_EQ(request.sectorsPerCluster, c.used) << c.mib;
        if (c.result == kFormatOk) {
            EXPECT_GE(layout.clusterCount, 65536u) << c.mib;
        }
    }
}

TEST(Layout, NegativeOrPartialSectorLengthsTruncate) {
    Fat32Layout layout;
    FormatRequest request{8, ""};
    VolumeGeometry g = GeometryOfSectors(0);
    g.partitionLength = -512;  // a lying driver: compared unsigned, so "too large"
    EXPECT_EQ(ComputeLayout(g, request, layout), kVolumeTooLarge);
    g.partitionLength = 65536LL * 512 - 1;  // one byte short of 32 MiB
    EXPECT_EQ(ComputeLayout(g, request, layout), kVolumeTooSmall);
}

TEST(SerialNumber, ComesFromTheLocalTime) {
    LocalTime t{2024, 3, 5, 14, 7, 9, 456};
    const std::uint32_t serial = VolumeSerialNumber(t);
    EXPECT_EQ(serial >> 16, 0x15EFu);
    EXPECT_EQ(serial & 0xFFFF, 0x0C32u);
}

TEST(SerialNumber, HalvesWrapAroundSixteenBits) {
    LocalTime t{65535, 12, 31, 23, 59, 59, 999};
    const std::uint32_t serial = VolumeSerialNumber(t);
    EXPECT_EQ(serial >> 16, (59u + 23 * 256 + 65535) % 65536);
    EXPECT_EQ(serial & 0xFFFF, (31u + 12 * 256 + 99 + 59 * 256) % 65536);
}

class SectorImages : public ::testing::Test {
protected:
    void SetUp() override {
        geometry = GeometryOfSectors(15728640);
        geometry.sectorsPerTrack = 0x1003F;    // only the low 16 bits are kept
        geometry.tracksPerCylinder = 0x200FF;
        FormatRequest request{8, "LABEL"};
        ASSERT_EQ(ComputeLayout(geometry, request, layout), kFormatOk);
        layout.serialNumber = 0x15EF0C32;
    }
    VolumeGeometry geometry;
    Fat32Layout layout;
    Sector s{};
};

TEST_F(SectorImages, BootSectorCarriesEveryField) {
    s.fill(0xCC);
    BuildBootSector(layout, geometry, s.data());
    EXPECT_EQ(s[0], 0xEB);
    EXPECT_EQ(s[1], 0x58);
    EXPECT_EQ(s[2], 0x90);
    EXPECT_EQ(Text(s, 0x03, 8), "MSWIN4.1");
    EXPECT_EQ(Get16(s, 0x0B), 512);
    EXPECT_EQ(s[0x0D], 8);
    EXPECT_EQ(Get16(s, 0x0E), 32);
    EXPECT_EQ(s[0x10], 2);
    EXPECT_EQ(Get16(s, 0x11), 0);
    EXPECT_EQ(Get16(s, 0x13), 0);
    EXPECT_EQ(s[0x15], 0xF8);
    EXPECT_EQ(Get16(s, 0x16), 0);
    EXPECT_EQ(Get16(s, 0x18), 0x3F);
    EXPECT_EQ(Get16(s, 0x1A), 0xFF);
    EXPECT_EQ(Get32(s, 0x1C), 2048u);
    EXPECT_EQ(Get32(s, 0x20), 15728640u);
    EXPECT_EQ(Get32(s, 0x24), 15331u);
    EXPECT_EQ(Get16(s, 0x28), 0);
    EXPECT_EQ(Get16(s, 0x2A), 0);
    EXPECT_EQ(Get32(s, 0x2C), 2u);
    EXPECT_EQ(Get16(s, 0x30), 1);
    EXPECT_EQ(Get16(s, 0x32), 6);
    EXPECT_EQ(s[0x40], 0x80);
    EXPECT_EQ(s[0x41], 0);
    EXPECT_EQ(s[0x42], 0x29);
    EXPECT_EQ(Get32(s, 0x43), 0x15EF0C32u);
    EXPECT_EQ(Text(s, 0x47, 11), "NO NAME    ");  // never the requested label
    EXPECT_EQ(Text(s, 0x52, 8), "FAT32   ");
    for (std::size_t i = 0x34; i < 0x40; ++i) EXPECT_EQ(s[i], 0) << i;
    for (std::size_t i = 0x5A; i < 0x1FE; ++i) ASSERT_EQ(s[i], 0) << i;
    EXPECT_EQ(s[0x1FE], 0x55);
    EXPECT_EQ(s[0x1FF], 0xAA);
}

TEST_F(SectorImages, HiddenSectorsKeepAllThirtyTwoBits) {
    geometry.hiddenSectors = 0x00012345;  // a partition starting beyond sector 65,535
    BuildBootSector(layout, geometry, s.data());
    EXPECT_EQ(Get32(s, 0x1C), 0x00012345u);
}

TEST_F(SectorImages, SectorsPerClusterByteKeepsTheLowEightBits) {
    layout.sectorsPerCluster = 128;
    BuildBootSector(layout, geometry, s.data());
    EXPECT_EQ(s[0x0D], 128);
}

TEST_F(SectorImages, FsInfoCountsAllButTheRootCluster) {
    s.fill(0xCC);
    BuildFsInfoSector(layout, s.data());
    EXPECT_EQ(Text(s, 0, 4), "RRaA");
    EXPECT_EQ(Text(s, 0x1E4, 4), "rrAa");
    EXPECT_EQ(Get32(s, 0x1E8), 1962242u);
    EXPECT_EQ(Get32(s, 0x1EC), 3u);
    EXPECT_EQ(s[0x1FC], 0);
    EXPECT_EQ(s[0x1FD], 0);
    EXPECT_EQ(s[0x1FE], 0x55);
    EXPECT_EQ(s[0x1FF], 0xAA);
    for (std::size_t i = 4; i < 0x1E4; ++i) ASSERT_EQ(s[i], 0) << i;
    for (std::size_t i = 0x1F0; i < 0x1FC; ++i) ASSERT_EQ(s[i], 0) << i;
}

TEST_F(SectorImages, FirstFatSectorHoldsThreeEntries) {
    s.fill(0xCC);
    BuildFirstFatSector(s.data());
    EXPECT_EQ(Get32(s, 0), 0x0FFFFFF8u);
    EXPECT_EQ(Get32(s, 4), 0x0FFFFFFFu);
    EXPECT_EQ(Get32(s, 8), 0x0FFFFFFFu);
    for (std::size_t i = 12; i < kSectorSize; ++i) ASSERT_EQ(s[i], 0) << i;
}

TEST(RootDirectory, LabelIsBlankPaddedAndKeepsItsCase) {
    Sector s{};
    s.fill(0xCC);
    BuildRootDirectorySector("Cam era", s.data());
    EXPECT_EQ(Text(s, 0, 11), "Cam era    ");
    EXPECT_EQ(s[11], 0x08);
    for (std::size_t i = 12; i < kSectorSize; ++i) ASSERT_EQ(s[i], 0) << i;
}

TEST(RootDirectory, LongLabelIsCutToElevenBytes) {
    Sector s{};
    BuildRootDirectorySector("ABCDEFGHIJKLMNOP", s.data());
    EXPECT_EQ(Text(s, 0, 11), "ABCDEFGHIJK");
    EXPECT_EQ(s[11], 0x08);
    EXPECT_EQ(s[12], 0);
}

TEST(RootDirectory, EmptyOrMissingLabelLeavesAnEmptyLabelEntry) {
    for (const char* label : {"", static_cast<const char*>(nullptr)}) {
        Sector s{};
        s.fill(0xCC);
        BuildRootDirectorySector(label, s.data());
        EXPECT_EQ(s[0], 0);  // end of directory: the volume shows no label
        EXPECT_EQ(s[11], 0x08);
        for (std::size_t i = 1; i < 11; ++i) EXPECT_EQ(s[i], 0);
    }
}

TEST(RootDirectory, LeadByteE5IsStoredAsItsEscape) {
    // "测试" in GBK starts with 0xB2; "濉" starts with 0xE5, which would read
    // as a deleted entry if stored as it is.
    Sector s{};
    BuildRootDirectorySector("\xE5\xA1\x41", s.data());
    EXPECT_EQ(s[0], 0x05);
    EXPECT_EQ(s[1], 0xA1);
    EXPECT_EQ(s[2], 0x41);
}

}  // namespace
}  // namespace fat32
