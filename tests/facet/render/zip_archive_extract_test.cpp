// Extraction of stored and deflated members, checked against the files zip
// packed, and the refusal of members whose data, sizes, CRC, method or local
// header do not hold up.
#include "facet/render/zip_archive.h"

#include <gtest/gtest.h>

#include <string>

#include "zip_test_support.h"

namespace Facet {
namespace {

using namespace ZipTest;

// What each member of the fixtures holds; names that a Windows test program
// cannot open on the host's file system are spelled out instead.
Bytes ExpectedContent(const std::string& name) {
    if (name == "win\\style.txt") return Bytes{'w', 'i', 'n', 'd', 'o', 'w', 's', ' ', 's', 't',
                                               'y', 'l', 'e', ' ', 'n', 'a', 'm', 'e'};
    if (name == "Skin/图片.txt") return Bytes{0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87};
    if (!name.empty() && name.back() == '/') return Bytes();
    return ReadFile(FixturePath("tree/" + name));
}

class ZipExtractEveryMember : public ::testing::TestWithParam<const char*> {};

TEST_P(ZipExtractEveryMember, YieldsTheBytesThatWerePacked) {
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenFile(FixturePath(GetParam()))) << zip.GetLastError();
    ASSERT_GT(zip.GetMemberCount(), 0);
    for (int i = 0; i < zip.GetMemberCount(); ++i) {
        const std::string& name = zip.GetMemberName(i);
        std::vector<std::uint8_t> out{0xAA};
        ASSERT_TRUE(zip.Extract(i, out)) << name << ": " << zip.GetLastError();
        EXPECT_EQ(out.size(), zip.GetUncompressedSize(i)) << name;
        const Bytes expected = ExpectedContent(name);
        ASSERT_EQ(out.size(), expected.size()) << name;
        EXPECT_TRUE(out == expected) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ZipExtractEveryMember,
                         ::testing::Values("stored.zip", "deflated.zip", "streamed.zip",
                                           "commented.zip", "small.zip"));

// Damaged variants of the deflated fixture; each test patches the good bytes.
class ZipExtract : public ::testing::Test {
protected:
    // Patches a 32-bit field of `name` in its central entry and, when the
    // local header holds the same field, there too.
    void PatchBoth(const std::string& name, std::size_t centralField, std::size_t localField,
                   std::uint32_t value) {
        Put32(bytes_, CentralEntryOf(bytes_, name) + centralField, value);
        Put32(bytes_, LocalHeaderOf(bytes_, name) + localField, value);
    }

    std::uint32_t Central32(const std::string& name, std::size_t field) {
        return Get32(bytes_, CentralEntryOf(bytes_, name) + field);
    }

    // Extracts `name` from the patched bytes into a vector holding a marker
    // and expects a refusal mentioning `why` that leaves the vector alone.
    void ExpectRefused(const std::string& name, const std::string& why) {
        CZipArchive zip;
        ASSERT_TRUE(zip.OpenMemory(bytes_.data(), bytes_.size())) << zip.GetLastError();
        std::vector<std::uint8_t> out{1, 2, 3};
        EXPECT_FALSE(zip.Extract(zip.FindMember(name), out));
        EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2, 3}));
        EXPECT_NE(zip.GetLastError().find(why), std::string::npos) << "reason: " << zip.GetLastError();
        // A damaged member spoils nothing else.
        std::vector<std::uint8_t> hello;
        EXPECT_TRUE(zip.Extract(zip.FindMember("hello.txt"), hello)) << zip.GetLastError();
        EXPECT_TRUE(zip.GetLastError().empty());
    }

    Bytes bytes_ = Fixture("deflated.zip");
    const std::string xml_ = "Skin/skin.xml";  // deflated
    const std::string logo_ = "Skin/Images/Logo.PNG";  // deflated, follows skin.xml
};

TEST_F(ZipExtract, ExtractsAFewMegabytesWhole) {
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(bytes_.data(), bytes_.size()));
    const int big = zip.FindMember("big.txt");
    ASSERT_GT(zip.GetUncompressedSize(big), 3000000u);
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(zip.Extract(big, out)) << zip.GetLastError();
    EXPECT_TRUE(out == ReadFile(FixturePath("tree/big.txt")));
}

TEST_F(ZipExtract, FillsExactlyTheMembersSizeOfALargerBuffer) {
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(bytes_.data(), bytes_.size()));
    const int index = zip.FindMember(xml_);
    const std::size_t size = zip.GetUncompressedSize(index);
    std::vector<std::uint8_t> buffer(size + 16, 0xEE);
    ASSERT_TRUE(zip.Extract(index, buffer.data(), buffer.size())) << zip.GetLastError();
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(size),
                           ExpectedContent(xml_).begin()));
    for (std::size_t i = size; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE) << i;
}

TEST_F(ZipExtract, RefusesABufferSmallerThanTheMember) {
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(bytes_.data(), bytes_.size()));
    std::uint8_t buffer[9];
    EXPECT_FALSE(zip.Extract(zip.FindMember("hello.txt"), buffer, sizeof buffer));
    EXPECT_NE(zip.GetLastError().find("smaller"), std::string::npos);
    EXPECT_FALSE(zip.Extract(zip.FindMember("hello.txt"), nullptr, 0));
}

TEST_F(ZipExtract, AnEmptyMemberNeedsNoBuffer) {
    for (const char* archive : {"stored.zip", "deflated.zip", "streamed.zip"}) {
        CZipArchive zip;
        ASSERT_TRUE(zip.OpenFile(FixturePath(archive)));
        const int empty = zip.FindMember("empty.txt");
        ASSERT_GE(empty, 0) << archive;
        EXPECT_TRUE(zip.Extract(empty, nullptr, 0)) << archive << ": " << zip.GetLastError();
        std::vector<std::uint8_t> out{7};
        EXPECT_TRUE(zip.Extract(empty, out)) << archive;
        EXPECT_TRUE(out.empty());
    }
}

TEST_F(ZipExtract, RefusesABadIndex) {
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(bytes_.data(), bytes_.size()));
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(zip.Extract(-1, out));
    EXPECT_FALSE(zip.Extract(zip.GetMemberCount(), out));
    EXPECT_NE(zip.GetLastError().find("no such member"), std::string::npos);
}

TEST_F(ZipExtract, RefusesAWrongCrc) {
    PatchBoth(xml_, kCentralCrc, kLocalCrc, Central32(xml_, kCentralCrc) ^ 0x00010000);
    ExpectRefused(xml_, "CRC-32");
}

TEST_F(ZipExtract, RefusesAChangedByteOfAStoredMember) {
    bytes_ = Fixture("stored.zip");
    bytes_[DataOf(bytes_, "Skin/skin.xml") + 100] ^= 0x04;
    ExpectRefused("Skin/skin.xml", "CRC-32");
}

TEST_F(ZipExtract, RefusesDamagedDeflateData) {
    // A reserved block type (binary 11) in the first block header.
    bytes_[DataOf(bytes_, xml_)] |= 0x06;
    ExpectRefused(xml_, "damaged");
}

TEST_F(ZipExtract, RefusesAnUnsupportedMethod) {
    Put16(bytes_, CentralEntryOf(bytes_, xml_) + kCentralMethod, 12);  // bzip2
    Put16(bytes_, LocalHeaderOf(bytes_, xml_) + kLocalMethod, 12);
    ExpectRefused(xml_, "compression method 12");
}

TEST_F(ZipExtract, RefusesEncryptedMembers) {
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenFile(FixturePath("encrypted.zip")));
    std::vector<std::uint8_t> out;
    for (int i = 0; i < zip.GetMemberCount(); ++i) {
        EXPECT_FALSE(zip.Extract(i, out));
        EXPECT_NE(zip.GetLastError().find("encrypted"), std::string::npos);
    }
}

TEST_F(ZipExtract, RefusesMoreDataThanTheDeclaredSize) {
    PatchBoth(xml_, kCentralUncompressedSize, kLocalUncompressedSize,
              Central32(xml_, kCentralUncompressedSize) - 1);
    ExpectRefused(xml_, "more than its declared size");
}

TEST_F(ZipExtract, RefusesLessDataThanTheDeclaredSize) {
    PatchBoth(xml_, kCentralUncompressedSize, kLocalUncompressedSize,
              Central32(xml_, kCentralUncompressedSize) + 1);
    ExpectRefused(xml_, "less than its declared size");
}

TEST_F(ZipExtract, RefusesADeclaredSizeNoDeflateStreamCouldReach) {
    // Refused before any memory is set aside for it.
    PatchBoth(xml_, kCentralUncompressedSize, kLocalUncompressedSize, 0xFFFFFFF0);
    ExpectRefused(xml_, "impossible");
}

TEST_F(ZipExtract, RefusesACompressedSizeShorterThanTheStream) {
    PatchBoth(xml_, kCentralCompressedSize, kLocalCompressedSize,
              Central32(xml_, kCentralCompressedSize) - 1);
    ExpectRefused(xml_, "ends early");
}

TEST_F(ZipExtract, RefusesACompressedSizeLongerThanTheStream) {
    PatchBoth(xml_, kCentralCompressedSize, kLocalCompressedSize,
              Central32(xml_, kCentralCompressedSize) + 1);
    ExpectRefused(xml_, "larger than the compressed data");
}

TEST_F(ZipExtract, RefusesStoredSizesThatDisagree) {
    bytes_ = Fixture("stored.zip");
    PatchBoth("hello.txt", kCentralCompressedSize, kLocalCompressedSize, 11);
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(bytes_.data(), bytes_.size()));
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(zip.Extract(0, out));
    EXPECT_NE(zip.GetLastError().find("sizes disagree"), std::string::npos);
}

TEST_F(ZipExtract, RefusesDataRunningIntoTheCentralDirectory) {
    const std::string last = "big.txt";
    PatchBoth(last, kCentralCompressedSize, kLocalCompressedSize,
              Central32(last, kCentralCompressedSize) + 200);
    ExpectRefused(last, "runs past the end");
}

TEST_F(ZipExtract, RefusesALocalHeaderOffsetOutsideTheArchive) {
    Put32(bytes_, CentralEntryOf(bytes_, xml_) + kCentralLocalOffset, 0x7FFFFFF0);
    ExpectRefused(xml_, "lies outside");
    bytes_ = Fixture("deflated.zip");
    // Inside the file, but within the central directory.
    const std::uint32_t directory = Get32(bytes_, EndRecordOf(bytes_) + kEndDirectoryOffset);
    Put32(bytes_, CentralEntryOf(bytes_, xml_) + kCentralLocalOffset, directory);
    ExpectRefused(xml_, "lies outside");
}

TEST_F(ZipExtract, RefusesALocalHeaderThatIsNotOne) {
    Put32(bytes_, CentralEntryOf(bytes_, xml_) + kCentralLocalOffset,
          static_cast<std::uint32_t>(LocalHeaderOf(bytes_, xml_) + 1));
    ExpectRefused(xml_, "local header is damaged");
}

TEST_F(ZipExtract, RefusesALocalHeaderOfAnotherMember) {
    Put32(bytes_, CentralEntryOf(bytes_, xml_) + kCentralLocalOffset,
          static_cast<std::uint32_t>(LocalHeaderOf(bytes_, logo_)));
    ExpectRefused(xml_, "disagrees");
}

TEST_F(ZipExtract, RefusesALocalHeaderThatDisagreesOnMethodOrCrc) {
    Put16(bytes_, LocalHeaderOf(bytes_, xml_) + kLocalMethod, 0);
    ExpectRefused(xml_, "disagrees");
    bytes_ = Fixture("deflated.zip");
    Put32(bytes_, LocalHeaderOf(bytes_, xml_) + kLocalCrc, 0);
    ExpectRefused(xml_, "disagrees");
}

TEST_F(ZipExtract, RefusesALocalExtraFieldReachingPastTheData) {
    Put16(bytes_, LocalHeaderOf(bytes_, "big.txt") + kLocalExtraLength, 0xFFFF);
    ExpectRefused("big.txt", "runs past the end");
}

TEST_F(ZipExtract, RefusesZip64Markers) {
    PatchBoth(xml_, kCentralCompressedSize, kLocalCompressedSize, 0xFFFFFFFF);
    ExpectRefused(xml_, "ZIP64");
}

TEST_F(ZipExtract, TrustsTheDirectoryWhenSizesFollowTheData) {
    // The streamed fixture's local headers carry zero sizes and CRCs.
    bytes_ = Fixture("streamed.zip");
    const std::size_t local = LocalHeaderOf(bytes_, "Skin/skin.xml");
    ASSERT_NE(Get16(bytes_, local + kLocalFlags) & 0x0008, 0);
    EXPECT_EQ(Get32(bytes_, local + kLocalCompressedSize), 0u);
    Put32(bytes_, CentralEntryOf(bytes_, "Skin/skin.xml") + kCentralCrc, 0);
    ExpectRefused("Skin/skin.xml", "CRC-32");
}

}  // namespace
}  // namespace Facet
