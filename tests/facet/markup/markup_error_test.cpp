// Refusals: each parse error's message and the document text kept from the
// place it was found, the limits of both stored texts, what a failed load
// leaves behind, and how long its message lasts.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "markup_test_support.h"

namespace Facet {
namespace {

using namespace MarkupTest;

struct Refusal {
    const char* document;
    const wchar_t* message;
    const wchar_t* location;
};

std::ostream& operator<<(std::ostream& out, const Refusal& refusal) { return out << refusal.document; }

class MarkupRefusal : public MarkupFixture, public ::testing::WithParamInterface<Refusal> {};

TEST_P(MarkupRefusal, GivesItsMessageAndLocationAndKeepsNoDocument) {
    const Refusal& refusal = GetParam();
    EXPECT_FALSE(Parse(refusal.document));
    EXPECT_EQ(Message(), refusal.message);
    EXPECT_EQ(Location(), refusal.location);
    EXPECT_FALSE(markup_.IsValid());
    EXPECT_FALSE(Root().IsValid());
}

INSTANTIATE_TEST_SUITE_P(
    EachError, MarkupRefusal,
    ::testing::Values(
        Refusal{"hello<a/>", L"Expected start tag", L"hello<a/>"},
        Refusal{"<a/>tail", L"Expected start tag", L"tail"},
        Refusal{"<a><b/>text</a>", L"Expected start tag", L"text</a>"},
        Refusal{"<a><b><c/>", L"Expected start tag", L""},
        Refusal{"<abc", L"Error parsing element name", L""},
        Refusal{"<a><b", L"Error parsing element name", L""},
        Refusal{"<a/ >", L"Expected start-tag closing", L"/ >"},
        Refusal{"<a x=\"1\"", L"Expected start-tag closing", L""},
        Refusal{"<a x=\"1\"?>", L"Error while parsing attributes", L"?>"},
        Refusal{"<a><b><c>text", L"Expected end-tag start", L""},
        Refusal{"<a><b></c></a>", L"Unmatched closing tag", L"c></a>"},
        Refusal{"<a></ab>", L"Unmatched closing tag", L"b>"},
        Refusal{"<a></a x>", L"Unmatched closing tag", L"x>"},
        Refusal{"<a><b></a></b>", L"Unmatched closing tag", L"a></b>"},
        Refusal{"<a x>", L"Error while parsing attributes", L">"},
        Refusal{"<a x y=\"1\"/>", L"Error while parsing attributes", L"y=\"1\"/>"},
        Refusal{"<a x='1'/>", L"Expected attribute value", L"'1'/>"},
        Refusal{"<a x=1/>", L"Expected attribute value", L"1/>"},
        Refusal{"<a x=\"1", L"Error while parsing attribute string", L""},
        Refusal{"<a x=\"a &amp; b", L"Error while parsing attribute string", L""}));

TEST_F(MarkupRefusal, TheLocationKeepsFortyNineUnits) {
    const std::string tail(200, 'z');
    EXPECT_FALSE(Parse("<a><b/>" + tail + "</a>"));
    EXPECT_EQ(Location(), std::wstring(49, L'z'));
}

TEST_F(MarkupRefusal, CopiesOfTheStoredTextsFollowWcsncpy) {
    EXPECT_FALSE(Parse("<a x='1'/>"));
    wchar_t buffer[12];
    std::wmemset(buffer, L'#', 12);
    markup_.GetLastErrorMessage(buffer, 8);
    EXPECT_EQ(std::wstring(buffer, 9), L"Expected#");  // cut, not terminated
    std::wmemset(buffer, L'#', 12);
    markup_.GetLastErrorLocation(buffer, 12);
    EXPECT_EQ(std::wstring(buffer), L"'1'/>");
    markup_.GetLastErrorMessage(nullptr, 8);  // nowhere to copy: nothing happens
    markup_.GetLastErrorMessage(buffer, 0);
}

TEST_F(MarkupRefusal, AFailedLoadDropsTheDocumentHeldBefore) {
    ASSERT_TRUE(Parse("<good/>"));
    EXPECT_FALSE(Parse("<bad"));
    EXPECT_FALSE(markup_.IsValid());
    EXPECT_FALSE(Root().IsValid());
}

TEST_F(MarkupRefusal, TheMessageLastsUntilTheNextParse) {
    EXPECT_FALSE(Parse("<a x>"));
    markup_.Release();
    EXPECT_EQ(Message(), L"Error while parsing attributes");
    ASSERT_TRUE(Parse("<a/>"));
    EXPECT_EQ(Message(), L"");
    EXPECT_EQ(Location(), L"");
}

TEST_F(MarkupRefusal, ANullTextIsRefused) {
    ASSERT_TRUE(Parse("<a/>"));
    EXPECT_FALSE(markup_.Load(nullptr));
    EXPECT_FALSE(markup_.IsValid());
}

}  // namespace
}  // namespace Facet
