// Texts and attribute values as the parser decodes them in place: the five
// named entities and what stays literal, quotes, whitespace kept or collapsed,
// and values that shrink while others follow them in the same tag.
#include <gtest/gtest.h>

#include <string>

#include "markup_test_support.h"

namespace Facet {
namespace {

using namespace MarkupTest;

class MarkupText : public MarkupFixture {
protected:
    std::wstring ValueOf(const std::string& document) {
        if (!Parse(document)) return L"(refused: " + Message() + L")";
        return Str(Root().GetValue());
    }
    std::wstring AttributeOf(const std::string& document, const wchar_t* name) {
        if (!Parse(document)) return L"(refused: " + Message() + L")";
        return Str(Root().GetAttributeValue(name));
    }
};

TEST_F(MarkupText, NamedEntitiesAreDecodedInTexts) {
    EXPECT_EQ(ValueOf("<a>1 &lt; 2 &amp; 3</a>"), L"1 < 2 & 3");
    EXPECT_EQ(ValueOf("<a>&lt;&gt;&amp;&quot;&apos;</a>"), L"<>&\"'");
    EXPECT_EQ(ValueOf("<a>&amp;lt;</a>"), L"&lt;");  // decoded once only
}

TEST_F(MarkupText, NamedEntitiesAreDecodedInAttributeValues) {
    EXPECT_EQ(AttributeOf("<a v=\"&quot;q&quot; &lt;b&gt;\"/>", L"v"), L"\"q\" <b>");
    EXPECT_EQ(AttributeOf("<a v=\"&amp;&amp;\"/>", L"v"), L"&&");
}

TEST_F(MarkupText, NumericAndUnknownReferencesStayLiteral) {
    EXPECT_EQ(ValueOf("<a>&#65;</a>"), L"&#65;");
    EXPECT_EQ(ValueOf("<a>&#x41;&nbsp;</a>"), L"&#x41;&nbsp;");
    EXPECT_EQ(ValueOf("<a>&amp</a>"), L"&amp");
    EXPECT_EQ(ValueOf("<a>AT&T</a>"), L"AT&T");
    EXPECT_EQ(ValueOf("<a>&&lt;</a>"), L"&<");
    EXPECT_EQ(ValueOf("<a>tail&</a>"), L"tail&");
    EXPECT_EQ(AttributeOf("<a v=\"&\"/>", L"v"), L"&");
}

TEST_F(MarkupText, SingleQuotesInsideValuesAreOrdinaryCharacters) {
    EXPECT_EQ(AttributeOf("<a bkimage=\"res='173' restype='png' source='0, 0, 83, 83'\"/>", L"bkimage"),
              L"res='173' restype='png' source='0, 0, 83, 83'");
}

TEST_F(MarkupText, EmptyValuesAndTextsAreEmpty) {
    EXPECT_EQ(AttributeOf("<a text=\"\"/>", L"text"), L"");
    EXPECT_EQ(ValueOf("<a></a>"), L"");
}

// Decoding shrinks a value; the units it leaves behind must not end up in the
// value or hide the attributes after it.
TEST_F(MarkupText, AttributesAfterAShrunkenValueAreStillFound) {
    ASSERT_TRUE(Parse("<a first=\"&lt;&amp;&gt;\" second=\"2\" third=\"x&quot;y\" fourth=\"4\"/>"));
    EXPECT_EQ(Dump(Root()), L"a{first=<&>,second=2,third=x\"y,fourth=4}");
}

TEST_F(MarkupText, ATextThatShrankEndsWhereItsDecodingEnds) {
    ASSERT_TRUE(Parse("<a>x &amp; y<b/></a>"));
    EXPECT_EQ(Dump(Root()), L"a\"x & y\"[b]");
    ASSERT_TRUE(Parse("<a>&lt;&lt;&lt;</a>"));
    EXPECT_EQ(Str(Root().GetValue()), L"<<<");
}

TEST_F(MarkupText, TheTextEndsAtTheFirstChild) {
    ASSERT_TRUE(Parse("<a>before<b>inner</b></a>"));
    EXPECT_EQ(Dump(Root()), L"a\"before\"[b\"inner\"]");
}

TEST_F(MarkupText, WhitespaceIsKeptByDefault) {
    EXPECT_EQ(ValueOf("<a>  two  spaces\t\ttabs\r\n</a>"), L"  two  spaces\t\ttabs\r\n");
    EXPECT_EQ(AttributeOf("<a v=\" a  b \"/>", L"v"), L" a  b ");
}

// A run that starts with a space collapses to that space; tabs and line
// breaks not preceded by a space are kept.
TEST_F(MarkupText, WithoutPreservationARunStartingWithASpaceCollapses) {
    markup_.SetPreserveWhitespace(false);
    EXPECT_EQ(ValueOf("<a>a  \t\r\n b</a>"), L"a b");
    EXPECT_EQ(ValueOf("<a>a\t\t b</a>"), L"a\t\t b");
    EXPECT_EQ(AttributeOf("<a v=\"x   y\" w=\"1\"/>", L"v"), L"x y");
    EXPECT_EQ(AttributeOf("<a v=\"x   y\" w=\"1\"/>", L"w"), L"1");
    markup_.SetPreserveWhitespace(true);
    EXPECT_EQ(ValueOf("<a>a  b</a>"), L"a  b");
}

TEST_F(MarkupText, NonAsciiTextPassesThroughUnchanged) {
    EXPECT_EQ(ValueOf(u8"<a>格式化工具v1.0.0.4</a>"), L"格式化工具v1.0.0.4");
    EXPECT_EQ(AttributeOf(u8"<a name=\"宋体\"/>", L"name"), L"宋体");
    // A character outside the basic plane arrives as a surrogate pair.
    EXPECT_EQ(ValueOf(u8"<a>\U0001F600&amp;</a>"), L"\U0001F600&");
}

}  // namespace
}  // namespace Facet
