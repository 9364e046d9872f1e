// Attribute access through a node: document order, exact-name look-up, the
// 64-attribute view, out-of-range indexes, and the copying forms that follow
// wcsncpy's rules.
#include <gtest/gtest.h>

#include <string>

#include "markup_test_support.h"

namespace Facet {
namespace {

using namespace MarkupTest;

class MarkupAttributes : public MarkupFixture {
protected:
    static std::string ManyAttributes(int count) {
        std::string text = "<a";
        for (int i = 0; i < count; ++i) text += " a" + std::to_string(i) + "=\"v" + std::to_string(i) + "\"";
        return text + "/>";
    }
};

TEST_F(MarkupAttributes, AreListedInDocumentOrder) {
    ASSERT_TRUE(Parse("<a z=\"1\" y = \"2\"\tx\n=\n\"3\"></a>"));
    const CMarkupNode a = Root();
    ASSERT_EQ(a.GetAttributeCount(), 3);
    EXPECT_TRUE(a.HasAttributes());
    EXPECT_EQ(Str(a.GetAttributeName(0)), L"z");
    EXPECT_EQ(Str(a.GetAttributeName(1)), L"y");
    EXPECT_EQ(Str(a.GetAttributeName(2)), L"x");
    EXPECT_EQ(Str(a.GetAttributeValue(2)), L"3");
}

TEST_F(MarkupAttributes, NamesMatchExactlyAndTheFirstOfTwinsWins) {
    ASSERT_TRUE(Parse("<a Name=\"upper\" name=\"lower\" name=\"twin\"/>"));
    EXPECT_EQ(Str(Root().GetAttributeValue(L"Name")), L"upper");
    EXPECT_EQ(Str(Root().GetAttributeValue(L"name")), L"lower");
    EXPECT_FALSE(Root().HasAttribute(L"NAME"));
    EXPECT_EQ(Str(Root().GetAttributeValue(L"NAME")), L"");
    EXPECT_FALSE(Root().HasAttribute(nullptr));
}

// An element whose tag ends in '>' with the document right after it: looking
// for a further attribute must stop at the tag, not read on past the text.
TEST_F(MarkupAttributes, MappingStopsAtTheEndOfTheTag) {
    ASSERT_TRUE(Parse("<a x=\"1\">"));
    EXPECT_EQ(Root().GetAttributeCount(), 1);
    ASSERT_TRUE(Parse("<a x=\"1\" >\"quoted text\"</a>"));
    EXPECT_EQ(Dump(Root()), L"a{x=1}\"\"quoted text\"\"");
}

TEST_F(MarkupAttributes, OutOfRangeIndexesGiveTheEmptyText) {
    ASSERT_TRUE(Parse("<a>text<b/></a>"));
    EXPECT_FALSE(Root().HasAttributes());
    EXPECT_EQ(Str(Root().GetAttributeName(0)), L"");
    ASSERT_TRUE(Parse("<a x=\"1\"/>"));
    for (int index : {-1, 1, 64, 1000}) {
        EXPECT_EQ(Str(Root().GetAttributeName(index)), L"") << index;
        EXPECT_EQ(Str(Root().GetAttributeValue(index)), L"") << index;
    }
}

TEST_F(MarkupAttributes, AtMostSixtyFourAreVisible) {
    ASSERT_TRUE(Parse(ManyAttributes(70)));
    EXPECT_EQ(Root().GetAttributeCount(), 64);
    EXPECT_EQ(Str(Root().GetAttributeValue(63)), L"v63");
    EXPECT_EQ(Str(Root().GetAttributeValue(L"a63")), L"v63");
    EXPECT_FALSE(Root().HasAttribute(L"a64"));
    EXPECT_EQ(Str(Root().GetAttributeValue(64)), L"");

    ASSERT_TRUE(Parse(ManyAttributes(64)));
    EXPECT_EQ(Root().GetAttributeCount(), 64);
}

TEST_F(MarkupAttributes, CopiesAreCutAndTerminatedAtTheBuffer) {
    ASSERT_TRUE(Parse("<a name=\"formatbtn\"/>"));
    wchar_t buffer[16];
    std::wmemset(buffer, L'#', 16);
    ASSERT_TRUE(Root().GetAttributeValue(L"name", buffer, 16));
    EXPECT_EQ(std::wstring(buffer), L"formatbtn");
    EXPECT_EQ(buffer[15], L'\0');  // the rest is padded with NULs

    // A value of cchMax units or more is cut and still terminated: callers
    // read the buffer as a string.
    std::wmemset(buffer, L'#', 16);
    ASSERT_TRUE(Root().GetAttributeValue(0, buffer, 6));
    EXPECT_EQ(std::wstring(buffer, 7), std::wstring(L"forma\0#", 7));
}

TEST_F(MarkupAttributes, CopiesOfMissingAttributesFailAndLeaveTheBuffer) {
    ASSERT_TRUE(Parse("<a name=\"x\"/>"));
    wchar_t buffer[8] = L"keep";
    EXPECT_FALSE(Root().GetAttributeValue(L"text", buffer, 8));
    EXPECT_FALSE(Root().GetAttributeValue(1, buffer, 8));
    EXPECT_FALSE(Root().GetAttributeValue(-1, buffer, 8));
    EXPECT_EQ(std::wstring(buffer), L"keep");
    EXPECT_FALSE(Root().GetAttributeValue(L"name", nullptr, 8));
}

}  // namespace
}  // namespace Facet
