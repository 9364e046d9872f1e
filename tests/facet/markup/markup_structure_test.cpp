// The element tree a document parses into: links between elements, empty and
// cut-off documents, comments and declarations, nesting far deeper than any
// skin, a table that grows past its first reservations, and nodes that
// outlive their document.
#include <gtest/gtest.h>

#include <string>

#include "markup_test_support.h"

namespace Facet {
namespace {

using namespace MarkupTest;

class MarkupStructure : public MarkupFixture {};

TEST_F(MarkupStructure, LinksParentsChildrenAndSiblingsInDocumentOrder) {
    ASSERT_TRUE(Parse("<r><a/><b><c/><d/></b><e/></r>"));
    const CMarkupNode r = Root();
    EXPECT_EQ(Str(r.GetName()), L"r");
    EXPECT_FALSE(r.GetParent().IsValid());
    EXPECT_FALSE(r.HasSiblings());
    EXPECT_TRUE(r.HasChildren());

    const CMarkupNode a = r.GetChild();
    const CMarkupNode b = a.GetSibling();
    const CMarkupNode e = b.GetSibling();
    EXPECT_EQ(Str(a.GetName()), L"a");
    EXPECT_EQ(Str(b.GetName()), L"b");
    EXPECT_EQ(Str(e.GetName()), L"e");
    EXPECT_FALSE(e.GetSibling().IsValid());
    EXPECT_FALSE(a.HasChildren());
    EXPECT_FALSE(a.GetChild().IsValid());

    const CMarkupNode d = b.GetChild().GetSibling();
    EXPECT_EQ(Str(d.GetName()), L"d");
    EXPECT_EQ(Str(d.GetParent().GetName()), L"b");
    EXPECT_EQ(Str(d.GetParent().GetParent().GetName()), L"r");
}

TEST_F(MarkupStructure, ChildByNameIsTheFirstExactMatch) {
    ASSERT_TRUE(Parse("<r><Font n=\"1\"/><font n=\"2\"/><Font n=\"3\"/></r>"));
    EXPECT_EQ(Str(Root().GetChild(L"Font").GetAttributeValue(L"n")), L"1");
    EXPECT_EQ(Str(Root().GetChild(L"font").GetAttributeValue(L"n")), L"2");
    EXPECT_FALSE(Root().GetChild(L"FONT").IsValid());
    EXPECT_FALSE(Root().GetChild(L"Fon").IsValid());
    EXPECT_FALSE(Root().GetChild(nullptr).IsValid());
}

TEST_F(MarkupStructure, TopLevelElementsAfterTheRootAreItsSiblings) {
    ASSERT_TRUE(Parse("<a/> <b x=\"1\"/>\n<c>t</c>"));
    EXPECT_EQ(DumpDocument(markup_), L"a|b{x=1}|c\"t\"");
}

TEST_F(MarkupStructure, BothEmptyElementFormsHaveAnEmptyValue) {
    ASSERT_TRUE(Parse("<a x=\"1\" />"));
    EXPECT_EQ(Str(Root().GetName()), L"a");
    EXPECT_EQ(Str(Root().GetValue()), L"");
    EXPECT_EQ(Root().GetAttributeCount(), 1);

    ASSERT_TRUE(Parse("<a/>"));
    EXPECT_EQ(Str(Root().GetName()), L"a");
    EXPECT_EQ(Str(Root().GetValue()), L"");
    EXPECT_EQ(Root().GetAttributeCount(), 0);
}

TEST_F(MarkupStructure, NamesMayHoldLettersDigitsUnderscoresAndColons) {
    ASSERT_TRUE(Parse("<ns:Item_2 a=\"1\"></ns:Item_2>"));
    EXPECT_EQ(Dump(Root()), L"ns:Item_2{a=1}");
}

TEST_F(MarkupStructure, DocumentsWithoutElementsLoadWithoutARoot) {
    for (const char* text : {"", "   \r\n\t", "<?xml version=\"1.0\"?>", "<!-- only a comment -->"}) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(Parse(text));
        EXPECT_TRUE(markup_.IsValid());
        EXPECT_FALSE(Root().IsValid());
    }
}

TEST_F(MarkupStructure, CommentsAndDeclarationsAreSkippedWhereElementsMayStand) {
    ASSERT_TRUE(Parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- top -->"
                      "<a><!-- <b/> is commented out --><?pi x?><c/><!----></a><!-- after -->"));
    EXPECT_EQ(DumpDocument(markup_), L"a[c]");
}

TEST_F(MarkupStructure, AnUnterminatedCommentRunsToTheEnd) {
    ASSERT_TRUE(Parse("<a><b/><!-- <c/></a>"));
    EXPECT_EQ(DumpDocument(markup_), L"a[b]");
}

TEST_F(MarkupStructure, TheConstructorLoadsTheTextItIsGiven) {
    EXPECT_EQ(DumpDocument(CMarkup(L"<a><b/></a>")), L"a[b]");
    EXPECT_FALSE(CMarkup().IsValid());
}

// A document that ends inside the root or one of its direct children counts
// as complete; the cut elements still get proper names and texts.
TEST_F(MarkupStructure, ADocumentCutOffInsideTheRootLoads) {
    ASSERT_TRUE(Parse("<Window><Font name=\"x\" />"));
    EXPECT_EQ(Dump(Root()), L"Window[Font{name=x}]");

    ASSERT_TRUE(Parse("<Window>"));
    EXPECT_EQ(Dump(Root()), L"Window");
    ASSERT_TRUE(Parse("<Window>abc"));
    EXPECT_EQ(Dump(Root()), L"Window\"abc\"");
    ASSERT_TRUE(Parse("<Window><Label>x &amp; y"));
    EXPECT_EQ(Dump(Root()), L"Window[Label\"x & y\"]");
    ASSERT_TRUE(Parse("<a x=\"1\">"));
    EXPECT_EQ(Dump(Root()), L"a{x=1}");
}

TEST_F(MarkupStructure, ADocumentCutOffDeeperIsRefused) {
    EXPECT_FALSE(Parse("<a><b><c/>"));
    EXPECT_EQ(Message(), L"Expected start tag");
    EXPECT_FALSE(Parse("<a><b><c>text"));
    EXPECT_EQ(Message(), L"Expected end-tag start");
}

// Far deeper than any skin: a parser that recursed once per level would run
// out of stack long before the end.
TEST_F(MarkupStructure, DeepNestingNeitherRecursesNorLosesLinks) {
    constexpr int kDepth = 200000;
    std::string text;
    for (int i = 0; i < kDepth; ++i) text += "<n>";
    text += "<leaf/>";
    for (int i = 0; i < kDepth; ++i) text += "</n>";
    text += "<tail/>";
    ASSERT_TRUE(Parse(text)) << std::string(Message().begin(), Message().end());

    CMarkupNode node = Root();
    int depth = 0;
    while (node.HasChildren()) {
        node = node.GetChild();
        ++depth;
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_EQ(Str(node.GetName()), L"leaf");
    int up = 0;
    while (node.GetParent().IsValid()) {
        node = node.GetParent();
        ++up;
    }
    EXPECT_EQ(up, kDepth);
    EXPECT_EQ(Str(Root().GetSibling().GetName()), L"tail");
}

TEST_F(MarkupStructure, ThousandsOfElementsOutgrowTheFirstReservations) {
    constexpr int kItems = 5000;  // past 500, 1,250, 2,375 and 4,062 records
    std::string text = "<list>";
    for (int i = 0; i < kItems; ++i) text += "<i v=\"" + std::to_string(i) + "\"/>";
    text += "</list>";
    ASSERT_TRUE(Parse(text));
    int count = 0;
    for (CMarkupNode item = Root().GetChild(); item.IsValid(); item = item.GetSibling()) {
        ASSERT_EQ(Str(item.GetAttributeValue(L"v")), std::to_wstring(count));
        ASSERT_EQ(Str(item.GetParent().GetName()), L"list");
        ++count;
    }
    EXPECT_EQ(count, kItems);
}

TEST_F(MarkupStructure, TextIsAllowedBeforeChildrenButNotAfterThem) {
    ASSERT_TRUE(Parse("<a>lead<b/> <c/></a>"));
    EXPECT_EQ(Dump(Root()), L"a\"lead\"[b,c]");
    EXPECT_FALSE(Parse("<a><b/>text</a>"));
    EXPECT_EQ(Message(), L"Expected start tag");
}

TEST_F(MarkupStructure, AnInvalidNodeAnswersNullFalseAndZero) {
    const CMarkupNode node;
    wchar_t buffer[8] = L"keep";
    EXPECT_FALSE(node.GetParent().IsValid() || node.GetSibling().IsValid() || node.GetChild().IsValid() ||
                 node.GetChild(L"a").IsValid() || node.HasSiblings() || node.HasChildren());
    EXPECT_EQ(node.GetName(), nullptr);
    EXPECT_EQ(node.GetValue(), nullptr);
    EXPECT_FALSE(node.HasAttributes() || node.HasAttribute(L"a"));
    EXPECT_EQ(node.GetAttributeName(0), nullptr);
    EXPECT_EQ(node.GetAttributeValue(0), nullptr);
    EXPECT_EQ(node.GetAttributeValue(L"a"), nullptr);
    EXPECT_FALSE(node.GetAttributeValue(0, buffer, 8) || node.GetAttributeValue(L"a", buffer, 8));
    EXPECT_EQ(std::wstring(buffer), L"keep");
}

// Using a node after its document went is the caller's mistake; the node then
// answers as an invalid one would instead of reading freed memory.
TEST_F(MarkupStructure, NodesOfAReleasedDocumentAnswerNothing) {
    ASSERT_TRUE(Parse("<a x=\"1\"><b/></a>"));
    const CMarkupNode root = Root();
    markup_.Release();
    EXPECT_FALSE(markup_.IsValid());
    EXPECT_FALSE(markup_.GetRoot().IsValid());
    EXPECT_EQ(root.GetName(), nullptr);
    EXPECT_EQ(root.GetValue(), nullptr);
    EXPECT_FALSE(root.GetChild().IsValid());
    EXPECT_EQ(root.GetAttributeCount(), 0);
    EXPECT_EQ(Str(root.GetAttributeValue(L"x")), L"");
}

}  // namespace
}  // namespace Facet
