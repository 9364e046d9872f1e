// Opening archives from files and memory blocks, and refusing whatever is not
// a readable archive: truncation, stray bytes, lying directory fields, ZIP64
// and archives in several parts.
#include "facet/render/zip_archive.h"

#include <gtest/gtest.h>

#include <string>

#include "zip_test_support.h"

namespace Facet {
namespace {

using namespace ZipTest;

const char* const kStoredNames[] = {
    "hello.txt",     "empty.txt",        "win\\style.txt", "Skin/",
    "Skin/skin.xml", "Skin/图片.txt", "Skin/Images/",   "Skin/Images/Logo.PNG",
};

// Opens `bytes` from memory and expects a refusal whose reason mentions `why`.
void ExpectRefused(const Bytes& bytes, const std::string& why) {
    CZipArchive zip;
    EXPECT_FALSE(zip.OpenMemory(bytes.data(), bytes.size()));
    EXPECT_FALSE(zip.IsOpen());
    EXPECT_EQ(zip.GetMemberCount(), 0);
    EXPECT_NE(zip.GetLastError().find(why), std::string::npos) << "reason: " << zip.GetLastError();
}

class ZipOpen : public ::testing::Test {
protected:
    Bytes stored_ = Fixture("stored.zip");
    Bytes small_ = Fixture("small.zip");
};

TEST_F(ZipOpen, ListsTheMembersOfAnArchiveFileInDirectoryOrder) {
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenFile(FixturePath("stored.zip"))) << zip.GetLastError();
    EXPECT_TRUE(zip.IsOpen());
    EXPECT_TRUE(zip.GetLastError().empty());
    ASSERT_EQ(zip.GetMemberCount(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(zip.GetMemberName(i), kStoredNames[i]);
    EXPECT_EQ(zip.GetUncompressedSize(0), 10u);
    EXPECT_EQ(zip.GetUncompressedSize(3), 0u);
}

TEST_F(ZipOpen, OpensAWidePath) {
    const std::string narrow = FixturePath("deflated.zip");
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenFile(std::wstring(narrow.begin(), narrow.end()))) << zip.GetLastError();
    EXPECT_EQ(zip.GetMemberCount(), 9);
}

TEST_F(ZipOpen, ReadsTheFileOnceAndHoldsItNoLonger) {
    TempFile copy("held");
    ASSERT_TRUE(WriteFile(copy.path(), small_));
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenFile(copy.path()));
    // Windows refuses to remove a file that is still open.
    ASSERT_EQ(std::remove(copy.path().c_str()), 0);
    std::vector<std::uint8_t> hello;
    ASSERT_TRUE(zip.Extract(zip.FindMember("hello.txt"), hello)) << zip.GetLastError();
    EXPECT_EQ(std::string(hello.begin(), hello.end()), "Hello, zip");
}

TEST_F(ZipOpen, BorrowsAMemoryBlockWithoutCopyingIt) {
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(stored_.data(), stored_.size())) << zip.GetLastError();
    ASSERT_EQ(zip.GetMemberCount(), 8);
    std::vector<std::uint8_t> hello;
    ASSERT_TRUE(zip.Extract(0, hello));
    // The reader sees a change made to the caller's block after opening.
    stored_[DataOf(stored_, "hello.txt")] ^= 0x01;
    EXPECT_FALSE(zip.Extract(0, hello));
    EXPECT_EQ(std::string(hello.begin(), hello.end()), "Hello, zip");
}

TEST_F(ZipOpen, FindsTheEndRecordBehindACommentThatImitatesIt) {
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenFile(FixturePath("commented.zip"))) << zip.GetLastError();
    ASSERT_EQ(zip.GetMemberCount(), 2);
    EXPECT_EQ(zip.GetMemberName(1), "Skin/skin.xml");
}

TEST_F(ZipOpen, AcceptsAnArchiveWithNoMembers) {
    Bytes empty(kEndRecordSize, 0);
    Put32(empty, 0, 0x06054b50);
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(empty.data(), empty.size())) << zip.GetLastError();
    EXPECT_EQ(zip.GetMemberCount(), 0);
    EXPECT_EQ(zip.FindMember("hello.txt"), -1);
}

TEST_F(ZipOpen, AFailedOpenLeavesNoArchiveOpen) {
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(stored_.data(), stored_.size()));
    EXPECT_FALSE(zip.OpenFile(FixturePath("tree/hello.txt")));
    EXPECT_FALSE(zip.IsOpen());
    EXPECT_EQ(zip.GetMemberCount(), 0);
    EXPECT_EQ(zip.FindMember("hello.txt"), -1);
    EXPECT_FALSE(zip.GetLastError().empty());
    // And a later open works normally again.
    ASSERT_TRUE(zip.OpenMemory(small_.data(), small_.size()));
    EXPECT_EQ(zip.GetMemberCount(), 5);
    EXPECT_TRUE(zip.GetLastError().empty());
}

TEST_F(ZipOpen, CloseForgetsTheMembers) {
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(stored_.data(), stored_.size()));
    zip.Close();
    EXPECT_FALSE(zip.IsOpen());
    EXPECT_EQ(zip.FindMember("hello.txt"), -1);
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(zip.Extract(0, out));
    zip.Close();  // closing twice is harmless
}

TEST_F(ZipOpen, RefusesFilesThatAreMissingEmptyOrNotArchives) {
    CZipArchive zip;
    EXPECT_FALSE(zip.OpenFile(FixturePath("no-such-archive.zip")));
    EXPECT_FALSE(zip.GetLastError().empty());
    TempFile empty("empty");
    ASSERT_TRUE(WriteFile(empty.path(), Bytes()));
    EXPECT_FALSE(zip.OpenFile(empty.path()));
    EXPECT_FALSE(zip.OpenFile(FixturePath("tree/big.txt")));
    EXPECT_FALSE(zip.OpenFile(FixturePath("tree")));  // a directory
    EXPECT_FALSE(zip.OpenMemory(nullptr, 100));
    EXPECT_FALSE(zip.OpenMemory(nullptr, 0));
}

TEST_F(ZipOpen, RefusesEveryTruncation) {
    for (std::size_t length = 0; length < small_.size(); ++length) {
        // An exact-size copy, so reading past the cut reads past the block.
        const Bytes cut(small_.begin(), small_.begin() + static_cast<std::ptrdiff_t>(length));
        CZipArchive zip;
        EXPECT_FALSE(zip.OpenMemory(cut.data(), cut.size())) << "cut at " << length;
    }
}

TEST_F(ZipOpen, RefusesBytesBeforeOrAfterTheArchive) {
    Bytes after = small_;
    after.push_back(0);
    ExpectRefused(after, "end of central directory");
    Bytes before(small_.size() + 16, 0);
    std::copy(small_.begin(), small_.end(), before.begin() + 16);
    ExpectRefused(before, "not where the end record says");
}

TEST_F(ZipOpen, RefusesZip64) {
    ExpectRefused(Fixture("zip64.zip"), "ZIP64");
    Bytes marked = small_;
    Put32(marked, EndRecordOf(marked) + kEndDirectoryOffset, 0xFFFFFFFF);
    ExpectRefused(marked, "ZIP64");
}

TEST_F(ZipOpen, RefusesArchivesInSeveralParts) {
    Bytes part = small_;
    Put16(part, EndRecordOf(part) + kEndThisDisk, 1);
    ExpectRefused(part, "several parts");
    Bytes counts = small_;
    Put16(counts, EndRecordOf(counts) + kEndEntriesHere, 4);
    ExpectRefused(counts, "several parts");
}

TEST_F(ZipOpen, RefusesADirectoryOffsetOrSizeThatLies) {
    const std::size_t end = EndRecordOf(small_);
    for (const std::uint32_t offset : {0x7FFFFFF0u, static_cast<std::uint32_t>(small_.size()), 0u}) {
        Bytes moved = small_;
        Put32(moved, end + kEndDirectoryOffset, offset);
        ExpectRefused(moved, "not where the end record says");
    }
    Bytes larger = small_;
    Put32(larger, end + kEndDirectorySize, Get32(small_, end + kEndDirectorySize) + 1);
    ExpectRefused(larger, "not where the end record says");
}

TEST_F(ZipOpen, RefusesAnEntryCountThatDisagreesWithTheDirectory) {
    const std::size_t end = EndRecordOf(small_);
    Bytes more = small_;
    Put16(more, end + kEndEntries, 6);
    Put16(more, end + kEndEntriesHere, 6);
    ExpectRefused(more, "cut short");
    Bytes fewer = small_;
    Put16(fewer, end + kEndEntries, 4);
    Put16(fewer, end + kEndEntriesHere, 4);
    ExpectRefused(fewer, "larger than its entries");
}

TEST_F(ZipOpen, RefusesADamagedDirectoryEntry) {
    Bytes signature = small_;
    signature[CentralEntryOf(small_, "Skin/")] = 'Q';
    ExpectRefused(signature, "damaged");
    // A name running past the end of the directory.
    Bytes name = small_;
    Put16(name, CentralEntryOf(small_, "Skin/Images/Logo.PNG") + kCentralNameLength, 0xFFFF);
    ExpectRefused(name, "cut short");
}

TEST_F(ZipOpen, ListsAnEncryptedArchive) {
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenFile(FixturePath("encrypted.zip")));
    EXPECT_EQ(zip.FindMember("Skin/skin.xml"), 1);
}

}  // namespace
}  // namespace Facet
