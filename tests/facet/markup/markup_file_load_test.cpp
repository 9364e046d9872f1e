// Loading a skin by name from the paint manager's skin location: a file under
// the resource path, or a member of the resource zip (opened for the load,
// cached, or held in memory). Each refusal, the 4 MiB limit on both ways, and
// files and archives that are never left open.
#include <gtest/gtest.h>

#include <string>

#include "facet/manager/paint_manager_ui.h"
#include "markup_test_support.h"

namespace Facet {
namespace {

using namespace MarkupTest;

constexpr std::size_t kLimit = 4 * 1024 * 1024;

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// A document of exactly `size` bytes: an element padded with blanks.
Bytes PaddedDocument(std::size_t size) {
    Bytes bytes(size, ' ');
    const std::string element = "<a/>";
    std::copy(element.begin(), element.end(), bytes.begin());
    return bytes;
}

// Every test starts from, and leaves behind, a process without skin settings.
class MarkupFileLoad : public MarkupFixture {
protected:
    void SetUp() override {
        ResetSettings();
        CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    }
    void TearDown() override { ResetSettings(); }
    static void ResetSettings() {
        CPaintManagerUI::SetResourceZip(L"", false);
        CPaintManagerUI::SetResourcePath(L"");
    }

    bool LoadFile(const wchar_t* name, int encoding = CMarkup::kEncodingUtf8) {
        return markup_.LoadFromFile(name, encoding);
    }
    std::wstring Refusal(const wchar_t* name) {
        if (LoadFile(name)) return L"(loaded)";
        EXPECT_EQ(Location(), L"") << "file refusals keep no location";
        EXPECT_FALSE(markup_.IsValid());
        return Message();
    }
    // Points the resource path at the folder of the build-time fixtures.
    static void UseFixtureFolder() {
        CPaintManagerUI::SetResourcePath(Widen(FixturePath("")).c_str());
    }
    static Bytes SkinsZip() { return ReadFileBytes(FixturePath("skins.zip")); }

    CScratchFolder folder_;
};

TEST_F(MarkupFileLoad, ReadsTheFileUnderTheResourcePath) {
    folder_.Write(L"skin.xml", ReadFileBytes(SkinPath()));
    ASSERT_TRUE(LoadFile(L"skin.xml")) << Message();
    EXPECT_EQ(Str(Root().GetName()), L"Window");
}

TEST_F(MarkupFileLoad, TheNameIsAppendedToThePathAsItIs) {
    UseFixtureFolder();
    EXPECT_TRUE(LoadFile(L"tree\\ui\\main.xml"));
    EXPECT_TRUE(LoadFile(L"tree/ui/main.xml"));
}

TEST_F(MarkupFileLoad, TheEncodingIsPassedOn) {
    folder_.Write(L"wide.xml", Utf8ToUtf16(ToBytes(u8"<a v=\"宋体\"/>"), true));
    ASSERT_TRUE(LoadFile(L"wide.xml", CMarkup::kEncodingUtf16));
    EXPECT_EQ(Dump(Root()), L"a{v=宋体}");
    EXPECT_FALSE(LoadFile(L"wide.xml", CMarkup::kEncodingUtf8));
}

TEST_F(MarkupFileLoad, RefusesMissingEmptyAndOversizedFiles) {
    folder_.Write(L"empty.xml", Bytes{});
    folder_.Write(L"over.xml", PaddedDocument(kLimit + 1));
    EXPECT_EQ(Refusal(L"missing.xml"), L"Error opening file");
    EXPECT_EQ(Refusal(L""), L"Error opening file");  // the folder itself
    EXPECT_EQ(Refusal(nullptr), L"Error opening file");
    EXPECT_EQ(Refusal(L"empty.xml"), L"File is empty");
    EXPECT_EQ(Refusal(L"over.xml"), L"File too large");
}

TEST_F(MarkupFileLoad, FourMebibytesExactlyAreAccepted) {
    folder_.Write(L"limit.xml", PaddedDocument(kLimit));
    ASSERT_TRUE(LoadFile(L"limit.xml")) << Message();
    EXPECT_EQ(Dump(Root()), L"a");
}

TEST_F(MarkupFileLoad, AFiveMebibyteSkinIsRefused) {
    UseFixtureFolder();
    EXPECT_EQ(Refusal(L"tree\\big.xml"), L"File too large");
}

TEST_F(MarkupFileLoad, ParseErrorsKeepTheirLocation) {
    folder_.Write(L"bad.xml", ToBytes("<a x='1'/>"));
    EXPECT_FALSE(LoadFile(L"bad.xml"));
    EXPECT_EQ(Message(), L"Expected attribute value");
    EXPECT_EQ(Location(), L"'1'/>");
}

// Another program (or the next load) may replace the skin file at once: the
// load must not keep it open, whatever its outcome. A file held open without
// delete sharing cannot be deleted, which the first check confirms.
TEST_F(MarkupFileLoad, TheFileIsClosedOnEveryPath) {
    const std::wstring path = folder_.Write(L"held.xml", ToBytes("<a/>"));
    HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(::DeleteFileW(path.c_str())) << "deleting an open file should fail";
    ::CloseHandle(held);

    const std::pair<Bytes, bool> cases[] = {{ToBytes("<a/>"), true},
                                            {ToBytes("<a x>"), false},
                                            {Bytes{}, false},
                                            {PaddedDocument(kLimit + 1), false}};
    for (const auto& [bytes, loads] : cases) {
        const std::wstring written = folder_.Write(L"closed.xml", bytes);
        EXPECT_EQ(LoadFile(L"closed.xml"), loads) << bytes.size();
        EXPECT_TRUE(::DeleteFileW(written.c_str())) << "still open after a load of " << bytes.size() << " bytes";
    }
}

class MarkupZipLoad : public MarkupFileLoad {};

TEST_F(MarkupZipLoad, ReadsAMemberOfTheArchiveOpenedForTheLoad) {
    UseFixtureFolder();
    CPaintManagerUI::SetResourceZip(L"skins.zip", false);
    ASSERT_TRUE(LoadFile(L"skin.xml")) << Message();
    EXPECT_EQ(Str(Root().GetName()), L"Window");
    // Names are matched without regard to case, and '\' stands for '/'.
    EXPECT_TRUE(LoadFile(L"SKIN.XML"));
    ASSERT_TRUE(LoadFile(L"ui\\main.xml"));
    EXPECT_EQ(Dump(Root()), L"Window[Label{name=inner}]");
}

TEST_F(MarkupZipLoad, RefusesMissingEmptyOversizedAndDamagedMembers) {
    Bytes damaged = SkinsZip();
    ASSERT_FALSE(damaged.empty());
    // The first member is skin.xml; flip a byte of its compressed data, just
    // after the 30-byte local header and its name and extra field.
    const std::size_t data = 30 + (damaged[26] | damaged[27] << 8) + (damaged[28] | damaged[29] << 8);
    damaged[data + 40] ^= 0x55;
    folder_.Write(L"damaged.zip", damaged);

    UseFixtureFolder();
    CPaintManagerUI::SetResourceZip(L"skins.zip", false);
    EXPECT_EQ(Refusal(L"missing.xml"), L"Could not find ziped file");
    EXPECT_EQ(Refusal(L"ui"), L"Could not find ziped file");
    EXPECT_EQ(Refusal(L"empty.xml"), L"File is empty");
    EXPECT_EQ(Refusal(L"big.xml"), L"File too large");
    CPaintManagerUI::SetResourceZip(L"none.zip", false);
    EXPECT_EQ(Refusal(L"skin.xml"), L"Error opening zip file");
    CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    CPaintManagerUI::SetResourceZip(L"damaged.zip", false);
    EXPECT_EQ(Refusal(L"skin.xml"), L"Could not unzip file");
}

TEST_F(MarkupZipLoad, AnArchiveNotCachedIsOpenedAfreshForEachLoad) {
    folder_.Write(L"skins.zip", SkinsZip());
    CPaintManagerUI::SetResourceZip(L"skins.zip", false);
    ASSERT_TRUE(LoadFile(L"skin.xml"));
    // Replaced by something else: the next load sees it.
    folder_.Write(L"skins.zip", ToBytes("no longer an archive"));
    EXPECT_EQ(Refusal(L"skin.xml"), L"Error opening zip file");
}

TEST_F(MarkupZipLoad, TheCachedArchiveServesLoadsAfterItsFileIsGone) {
    const std::wstring path = folder_.Write(L"cached.zip", SkinsZip());
    CPaintManagerUI::SetResourceZip(L"cached.zip", true);
    ASSERT_NE(CPaintManagerUI::GetResourceZipHandle(), nullptr);
    ASSERT_TRUE(::DeleteFileW(path.c_str()));
    ASSERT_TRUE(LoadFile(L"skin.xml")) << Message();
    EXPECT_EQ(Str(Root().GetName()), L"Window");
    EXPECT_EQ(Refusal(L"missing.xml"), L"Could not find ziped file");
}

TEST_F(MarkupZipLoad, ACachedArchiveThatDidNotOpenIsLookedForAgain) {
    CPaintManagerUI::SetResourceZip(L"later.zip", true);
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), nullptr);
    EXPECT_EQ(Refusal(L"skin.xml"), L"Error opening zip file");
    folder_.Write(L"later.zip", SkinsZip());
    EXPECT_TRUE(LoadFile(L"skin.xml")) << Message();
}

TEST_F(MarkupZipLoad, ReadsAMemberOfAnArchiveHeldInMemory) {
    const Bytes archive = SkinsZip();
    CPaintManagerUI::SetResourceZip(archive.data(), static_cast<unsigned>(archive.size()));
    ASSERT_TRUE(LoadFile(L"ui/main.xml")) << Message();
    EXPECT_EQ(Dump(Root()), L"Window[Label{name=inner}]");
    EXPECT_EQ(Refusal(L"big.xml"), L"File too large");
    CPaintManagerUI::SetResourceZip(L"", false);  // before `archive` goes
}

}  // namespace
}  // namespace Facet
