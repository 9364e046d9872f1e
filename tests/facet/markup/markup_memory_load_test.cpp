// Loading from memory in each encoding: UTF-8 with and without its mark,
// UTF-16 in either byte order (and without a mark, refused), the ANSI code
// page; blocks that are not NUL-terminated, and callers' bytes left as they
// were.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "markup_test_support.h"

namespace Facet {
namespace {

using namespace MarkupTest;

const std::string kDocument = u8"<Window caption=\"格式化\"><Label text=\"注意 &amp; FAT32\"/></Window>";
const std::wstring kDumped = L"Window{caption=格式化}[Label{text=注意 & FAT32}]";

class MarkupMemoryLoad : public MarkupFixture {
protected:
    std::wstring Loaded(const Bytes& bytes, int encoding) {
        if (!LoadBytes(markup_, bytes, encoding)) return L"(refused: " + Message() + L")";
        return DumpDocument(markup_);
    }
};

// The blocks here end at an inaccessible page (see CExactBlock): a load that
// looked for a NUL after the last byte would fault.
TEST_F(MarkupMemoryLoad, Utf8NeedsNoTerminatorAndMayCarryAMark) {
    const Bytes plain = ToBytes(kDocument);
    EXPECT_EQ(Loaded(plain, CMarkup::kEncodingUtf8), kDumped);
    EXPECT_EQ(Loaded(WithUtf8Mark(plain), CMarkup::kEncodingUtf8), kDumped);
}

TEST_F(MarkupMemoryLoad, Utf8WithNothingOrOnlyTheMarkLoadsEmpty) {
    for (const Bytes& bytes : {Bytes{}, Bytes{0xEF, 0xBB, 0xBF}}) {
        EXPECT_EQ(Loaded(bytes, CMarkup::kEncodingUtf8), L"") << bytes.size();
        EXPECT_TRUE(markup_.IsValid());
        EXPECT_FALSE(Root().IsValid());
    }
    // Part of a mark is no mark: it reads as a replacement character.
    EXPECT_EQ(Loaded(Bytes{0xEF, 0xBB}, CMarkup::kEncodingUtf8), L"(refused: Expected start tag)");
    EXPECT_EQ(Location(), L"\xFFFD");
}

TEST_F(MarkupMemoryLoad, AnEmbeddedNulEndsTheDocument) {
    Bytes bytes = ToBytes("<a/><b/>");
    bytes[4] = 0;
    EXPECT_EQ(Loaded(bytes, CMarkup::kEncodingUtf8), L"a");
}

TEST_F(MarkupMemoryLoad, Utf16InEitherByteOrder) {
    EXPECT_EQ(Loaded(Utf8ToUtf16(ToBytes(kDocument), false), CMarkup::kEncodingUtf16), kDumped);
    EXPECT_EQ(Loaded(Utf8ToUtf16(ToBytes(kDocument), true), CMarkup::kEncodingUtf16), kDumped);
}

TEST_F(MarkupMemoryLoad, Utf16DropsAnOddTrailingByte) {
    Bytes bytes = Utf8ToUtf16(ToBytes("<a/>"), false);
    bytes.push_back('<');
    EXPECT_EQ(Loaded(bytes, CMarkup::kEncodingUtf16), L"a");
    bytes = Utf8ToUtf16(ToBytes("<a/>"), true);
    bytes.push_back(0x00);
    EXPECT_EQ(Loaded(bytes, CMarkup::kEncodingUtf16), L"a");
}

TEST_F(MarkupMemoryLoad, Utf16WithOnlyTheMarkLoadsEmpty) {
    EXPECT_EQ(Loaded(Bytes{0xFF, 0xFE}, CMarkup::kEncodingUtf16), L"");
    EXPECT_EQ(Loaded(Bytes{0xFE, 0xFF, 0x00}, CMarkup::kEncodingUtf16), L"");
}

TEST_F(MarkupMemoryLoad, Utf16WithoutAMarkIsRefused) {
    const Bytes unmarked[] = {
        Utf8ToUtf16(ToBytes(kDocument), false, false),
        Utf8ToUtf16(ToBytes(kDocument), true, false),
        Bytes{}, Bytes{0xFF}, Bytes{0xFE}, Bytes{0xFF, 0xFF}, Bytes{0xBB, 0xBF}};
    ASSERT_TRUE(Parse("<held/>"));
    for (const Bytes& bytes : unmarked) {
        EXPECT_EQ(Loaded(bytes, CMarkup::kEncodingUtf16), L"(refused: Expected byte-order mark)") << bytes.size();
        EXPECT_EQ(Location(), L"");
        EXPECT_FALSE(markup_.IsValid());
    }
}

TEST_F(MarkupMemoryLoad, BigEndianInputIsNotSwappedInTheCallersBlock) {
    const Bytes original = Utf8ToUtf16(ToBytes(kDocument), true);
    CExactBlock block(original);
    ASSERT_TRUE(markup_.LoadFromMem(block.Data(), block.Size(), CMarkup::kEncodingUtf16));
    EXPECT_EQ(block.Contents(), original);
    // So the same block loads again.
    ASSERT_TRUE(markup_.LoadFromMem(block.Data(), block.Size(), CMarkup::kEncodingUtf16));
    EXPECT_EQ(DumpDocument(markup_), kDumped);
}

TEST_F(MarkupMemoryLoad, AnsiFollowsTheSystemCodePage) {
    // No mark is looked for in ANSI text.
    EXPECT_FALSE(LoadBytes(markup_, Bytes{0xEF, 0xBB, 0xBF, '<', 'a', '/', '>'}, CMarkup::kEncodingAnsi));
    EXPECT_EQ(Message(), L"Expected start tag");

    const UINT codePage = ::GetACP();
    // The run under another locale says which code page it expects.
    if (const char* expected = std::getenv("EXPECT_ACP")) {
        ASSERT_EQ(codePage, std::strtoul(expected, nullptr, 10));
    }
    if (codePage == 936) {
        EXPECT_EQ(Loaded(ToBytes("<a v=\"\xCB\xCE\xCC\xE5\"/>"), CMarkup::kEncodingAnsi), L"a{v=宋体}");
    } else if (codePage == 1252) {
        EXPECT_EQ(Loaded(ToBytes("<a v=\"caf\xE9\"/>"), CMarkup::kEncodingAnsi), L"a{v=caf\u00E9}");
    } else {
        GTEST_SKIP() << "no sample text for code page " << codePage;
    }
}

TEST_F(MarkupMemoryLoad, AnUnknownEncodingIsRefused) {
    EXPECT_EQ(Loaded(ToBytes("<a/>"), 3), L"(refused: Unknown encoding)");
    EXPECT_EQ(Loaded(ToBytes("<a/>"), -1), L"(refused: Unknown encoding)");
}

TEST_F(MarkupMemoryLoad, ANullBlockReadsAsAnEmptyOne) {
    EXPECT_TRUE(markup_.LoadFromMem(nullptr, 100, CMarkup::kEncodingUtf8));
    EXPECT_FALSE(Root().IsValid());
    EXPECT_FALSE(markup_.LoadFromMem(nullptr, 100, CMarkup::kEncodingUtf16));
}

}  // namespace
}  // namespace Facet
