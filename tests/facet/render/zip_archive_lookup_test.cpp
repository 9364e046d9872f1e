// Member look-up: ASCII case folding, '\' taken as '/', exact lengths, names
// marked as UTF-8 and the wide form used by the framework's callers.
#include "facet/render/zip_archive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "zip_test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace Facet {
namespace {

using namespace ZipTest;

constexpr std::uint16_t kUtf8NameFlag = 0x0800;
const char kChineseName[] = "Skin/图片.txt";

class ZipLookup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(zip_.OpenMemory(bytes_.data(), bytes_.size())); }

    Bytes bytes_ = Fixture("deflated.zip");
    CZipArchive zip_;
};

TEST_F(ZipLookup, FindsAMemberByItsExactName) {
    EXPECT_EQ(zip_.FindMember("hello.txt"), 0);
    EXPECT_EQ(zip_.FindMember("Skin/Images/Logo.PNG"), 7);
    EXPECT_EQ(zip_.FindMember("big.txt"), 8);
}

TEST_F(ZipLookup, IgnoresTheCaseOfAsciiLetters) {
    EXPECT_EQ(zip_.FindMember("skin/images/logo.png"), 7);
    EXPECT_EQ(zip_.FindMember("SKIN/IMAGES/LOGO.PNG"), 7);
    EXPECT_EQ(zip_.FindMember("HeLLo.TxT"), 0);
}

TEST_F(ZipLookup, TakesBackslashAsSlashOnEitherSide) {
    EXPECT_EQ(zip_.FindMember("Skin\\Images\\logo.png"), 7);
    EXPECT_EQ(zip_.FindMember("skin\\skin.xml"), 4);
    EXPECT_EQ(zip_.FindMember("WIN/Style.txt"), 2);  // stored as "win\style.txt"
    EXPECT_EQ(zip_.FindMember("win\\style.txt"), 2);
}

TEST_F(ZipLookup, MatchesWholeNamesOnly) {
    EXPECT_EQ(zip_.FindMember("Skin/skin.xm"), -1);
    EXPECT_EQ(zip_.FindMember("Skin/skin.xmlx"), -1);
    EXPECT_EQ(zip_.FindMember("skin.xml"), -1);
    EXPECT_EQ(zip_.FindMember("/hello.txt"), -1);
    EXPECT_EQ(zip_.FindMember(""), -1);
    EXPECT_EQ(zip_.FindMember("missing.png"), -1);
}

TEST_F(ZipLookup, FindsDirectoriesByTheirTrailingSlash) {
    EXPECT_EQ(zip_.FindMember("Skin/"), 3);
    EXPECT_EQ(zip_.FindMember("skin\\"), 3);
    EXPECT_EQ(zip_.FindMember("Skin"), -1);
}

TEST_F(ZipLookup, ComparesBytesOfNonAsciiNamesExactly) {
    const int index = zip_.FindMember(kChineseName);
    ASSERT_EQ(index, 5);
    // Bytes of a UTF-8 sequence are never letters to fold.
    std::string altered = kChineseName;
    for (std::size_t i = 0; i < altered.size(); ++i) {
        if (static_cast<unsigned char>(altered[i]) < 0x80) continue;
        std::string name = altered;
        name[i] = static_cast<char>(name[i] ^ 0x20);
        EXPECT_EQ(zip_.FindMember(name), -1) << "byte " << i;
    }
}

TEST_F(ZipLookup, TheFirstOfTwoEqualNamesWins) {
    // Rename "empty.txt" (member 1) to "HELLO.txt", which equals member 0's name.
    Bytes twins = Fixture("stored.zip");
    const std::size_t central = CentralEntryOf(twins, "empty.txt");
    std::copy_n("HELLO", 5, twins.begin() + static_cast<std::ptrdiff_t>(central + kCentralHeaderSize));
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(twins.data(), twins.size()));
    EXPECT_EQ(zip.FindMember("hello.txt"), 0);
    EXPECT_EQ(zip.GetMemberName(1), "HELLO.txt");
}

TEST_F(ZipLookup, TheWideFormFindsAsciiAndUtf8Names) {
    EXPECT_EQ(zip_.FindMember(std::wstring_view(L"SKIN\\Images\\Logo.png")), 7);
    EXPECT_EQ(zip_.FindMember(std::wstring_view(L"hello.txt")), 0);
    EXPECT_EQ(zip_.FindMember(std::wstring_view(L"hello.tx")), -1);
    // Info-ZIP marks a non-ASCII name as UTF-8 when run in a UTF-8 locale.
    const std::size_t central = CentralEntryOf(bytes_, kChineseName);
    ASSERT_NE(Get16(bytes_, central + kCentralFlags) & kUtf8NameFlag, 0);
    EXPECT_EQ(zip_.FindMember(std::wstring_view(L"skin/\u56FE\u7247.TXT")), 5);
    EXPECT_EQ(zip_.FindMember(std::wstring_view(L"skin/\u56FE\u7248.txt")), -1);
}

TEST_F(ZipLookup, TheWideFormRefusesAnUnpairedSurrogate) {
    const std::wstring broken = std::wstring(L"Skin/") + static_cast<wchar_t>(0xD800) + L".txt";
    EXPECT_EQ(zip_.FindMember(std::wstring_view(broken)), -1);
}

TEST_F(ZipLookup, BadIndexesHaveNoNameAndNoSize) {
    EXPECT_EQ(zip_.GetMemberName(-1), "");
    EXPECT_EQ(zip_.GetMemberName(zip_.GetMemberCount()), "");
    EXPECT_EQ(zip_.GetUncompressedSize(-1), 0u);
    EXPECT_EQ(zip_.GetUncompressedSize(zip_.GetMemberCount()), 0u);
}

#ifdef _WIN32
// Names not marked as UTF-8 are in the ANSI code page. These tests replace
// the 15 bytes of the Chinese name with an unmarked name of as many bytes.
class ZipLegacyLookup : public ZipLookup {
protected:
    // False when `stored` cannot replace the name byte for byte.
    bool OpenWithLegacyName(const std::string& stored) {
        if (stored.size() != std::string(kChineseName).size()) return false;
        legacy_ = Fixture("deflated.zip");
        const std::size_t central = CentralEntryOf(legacy_, kChineseName);
        Put16(legacy_, central + kCentralFlags,
              static_cast<std::uint16_t>(Get16(legacy_, central + kCentralFlags) & ~kUtf8NameFlag));
        std::copy(stored.begin(), stored.end(),
                  legacy_.begin() + static_cast<std::ptrdiff_t>(central + kCentralHeaderSize));
        return legacyZip_.OpenMemory(legacy_.data(), legacy_.size());
    }

    static std::string ToAnsi(const std::wstring& wide) {
        char ansi[64] = {};
        BOOL lossy = FALSE;
        const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1,
                                                 ansi, sizeof ansi, nullptr, &lossy);
        return length > 0 && !lossy ? std::string(ansi) : std::string();
    }

    Bytes legacy_;
    CZipArchive legacyZip_;
};

TEST_F(ZipLegacyLookup, TheWideFormReadsUnmarkedNamesInTheAnsiCodePage) {
    // One of these is 15 bytes long in the usual code pages: 1252 and 936.
    const std::wstring latin = L"Skin/\u00E9t\u00E9\u00E9t\u00E9.txt";
    const std::wstring chinese = L"Skin/\u56FE\u7247\u96C6.txt";
    std::wstring name = latin;
    if (!OpenWithLegacyName(ToAnsi(latin))) {
        name = chinese;
        if (!OpenWithLegacyName(ToAnsi(chinese))) GTEST_SKIP() << "code page " << ::GetACP();
    }
    std::wstring shouted = name;
    for (wchar_t& c : shouted) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    EXPECT_EQ(legacyZip_.FindMember(std::wstring_view(shouted)), 5);
    if (name == latin) {
        EXPECT_EQ(legacyZip_.FindMember(std::wstring_view(L"Skin/\u00C9t\u00E9\u00E9t\u00E9.txt")), -1)
            << "only ASCII letters fold";
    }
}

// In code page 936 the second byte of a character may be an ASCII letter;
// folding it would take one character for another.
TEST_F(ZipLegacyLookup, DoubleByteCharactersDoNotFoldTheirSecondByte) {
    // Set by the run that is meant to have code page 936, so it cannot skip.
    if (const char* expected = std::getenv("EXPECT_ACP")) {
        ASSERT_EQ(::GetACP(), static_cast<UINT>(std::atoi(expected)));
    }
    if (::GetACP() != 936) GTEST_SKIP() << "needs code page 936, have " << ::GetACP();
    ASSERT_TRUE(OpenWithLegacyName("Skin/\x81\x41\x81\x41\x81\x41.txt"));
    std::wstring same;
    std::wstring other;
    const auto decode = [](const char* bytes, std::wstring& wide) {
        wchar_t units[32] = {};
        ::MultiByteToWideChar(936, 0, bytes, -1, units, 32);
        wide = units;
    };
    decode("Skin/\x81\x41\x81\x41\x81\x41.TXT", same);
    decode("Skin/\x81\x61\x81\x41\x81\x41.txt", other);
    ASSERT_NE(same, other);
    EXPECT_EQ(legacyZip_.FindMember(std::wstring_view(same)), 5);
    EXPECT_EQ(legacyZip_.FindMember(std::wstring_view(other)), -1);
}
#endif

}  // namespace
}  // namespace Facet
