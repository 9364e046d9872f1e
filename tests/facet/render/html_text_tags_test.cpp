// CRenderEngine::DrawHtmlText's tags and escapes, each shown by a pixel or a
// measured extent: fonts, colours, raw text, pen and line-height moves,
// paragraphs, selection, links and their rectangles, inline images.
#include "html_text_fixture.h"

namespace Facet {
namespace test {
namespace {

TEST_F(HtmlText, TextIsDrawnInTheGivenColour) {
    CCanvas canvas(200, 40);
    Draw(canvas, L"WWW", DT_SINGLELINE, 0xFFFF0000);
    EXPECT_TRUE(HasPixel(canvas, 0xFF0000));
    EXPECT_FALSE(HasPixel(canvas, 0x000000));
}

TEST_F(HtmlText, BoldIsWiderThanNormal) {
    EXPECT_GT(Measure(L"<b>MMMM</b>").cx, Measure(L"MMMM").cx);
    CCanvas bold(300, 40);
    CCanvas normal(300, 40);
    Draw(bold, L"<b>MMMM</b>");
    Draw(normal, L"MMMM");
    EXPECT_GT(bold.InkWidth(kWhite), normal.InkWidth(kWhite));
    // The bold face was made once and kept by the manager.
    EXPECT_NE(pm_.GetFont(L"Tahoma", 20, true, false, false), nullptr);
}

TEST_F(HtmlText, EndTagRestoresTheEnclosingFont) {
    const int boldM = Measure(L"<b>M</b>").cx;
    const int plainM = Measure(L"M").cx;
    EXPECT_EQ(Measure(L"<b>M</b>M").cx, boldM + plainM);
    // A bold inside bold pushes the same font, so one end tag keeps it bold.
    EXPECT_EQ(Measure(L"<b><b>M</b>M</b>M").cx, 2 * boldM + plainM);
    EXPECT_EQ(Measure(L"{b}M{/b}M").cx, boldM + plainM);
}

TEST_F(HtmlText, UnderlineReachesBelowTheLetters) {
    CCanvas underlined(200, 40);
    CCanvas plain(200, 40);
    Draw(underlined, L"<u>mmm</u>");
    Draw(plain, L"mmm");
    EXPECT_GT(underlined.InkRows(kWhite).second, plain.InkRows(kWhite).second);
}

TEST_F(HtmlText, ItalicChangesTheGlyphs) {
    CCanvas italic(200, 40);
    CCanvas plain(200, 40);
    Draw(italic, L"<i>IIII</i>");
    Draw(plain, L"IIII");
    EXPECT_FALSE(SamePixels(italic, plain));
    EXPECT_NE(pm_.GetFont(L"Tahoma", 20, false, false, true), nullptr);
}

TEST_F(HtmlText, ColourTagColoursItsTextOnly) {
    CCanvas canvas(300, 40);
    Draw(canvas, L"<c #FF00FF00>WW</c>WW", DT_SINGLELINE, 0xFFFF0000);
    EXPECT_TRUE(HasPixel(canvas, 0x00FF00));
    EXPECT_TRUE(HasPixel(canvas, 0xFF0000));
    CCanvas noHash(300, 40);
    Draw(noHash, L"<c FF0000FF>WW</c>");
    EXPECT_TRUE(HasPixel(noHash, 0x0000FF));
}

TEST_F(HtmlText, EscapesDrawTheirCharacterLiterally) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"<{>", L"{"}, {L"<}>", L"}"}, {L"{<}", L"<"}, {L"{>}", L">"}};
    for (const auto& [escaped, literal] : cases) {
        CCanvas a(80, 40);
        CCanvas b(80, 40);
        Draw(a, escaped);
        Draw(b, literal);
        EXPECT_GT(a.InkWidth(kWhite), 0) << testing::PrintToString(escaped);
        EXPECT_TRUE(SamePixels(a, b)) << testing::PrintToString(escaped);
    }
    // An escape is not the start of a tag: "<{>b>" is the text "{b>".
    EXPECT_EQ(Measure(L"<{>b>").cx, PlainWidth(L"{b>"));
}

TEST_F(HtmlText, TagLetterNotFollowedByABlankOrEndIsText) {
    EXPECT_EQ(Measure(L"<ab>").cx, PlainWidth(L"<ab>"));
    EXPECT_EQ(Measure(L"<B>x</B>").cx, PlainWidth(L"<B>x</B>"));
    EXPECT_EQ(Measure(L"< b>").cx, PlainWidth(L"< b>"));
    // Nothing ends this tag, so it is text.
    EXPECT_EQ(Measure(L"<b never closed").cx, PlainWidth(L"<b never closed"));
}

TEST_F(HtmlText, UnknownTagsAndUnbalancedEndTagsDrawNothing) {
    EXPECT_EQ(Measure(L"a<z>b<q x>c").cx, PlainWidth(L"abc"));
    EXPECT_EQ(Measure(L"</b></c></a></p></f></i></u></s>text").cx, PlainWidth(L"text"));
}

TEST_F(HtmlText, RawTextKeepsItsTags) {
    EXPECT_EQ(Measure(L"<r><b>x</b> <{></r>").cx, PlainWidth(L"<b>x</b> <{>"));
    EXPECT_EQ(Measure(L"<r>a</r><b>b</b>").cx, PlainWidth(L"a") + Measure(L"<b>b</b>").cx);
}

TEST_F(HtmlText, FontTagByIndexUsesTheManagersFont) {
    pm_.AddFont(L"Tahoma", 40, false, false, false);
    const SIZE size = Measure(L"<f 0>M</f>");
    const TFontInfo* big = pm_.GetFontInfo(0);
    EXPECT_EQ(size.cy, big->tm.tmHeight + big->tm.tmExternalLeading);
    EXPECT_GT(size.cx, Measure(L"M").cx);
    // An index outside the list is the default font.
    EXPECT_EQ(Measure(L"<f 7>M</f>").cx, Measure(L"M").cx);
}

TEST_F(HtmlText, FontTagByFaceSizeAndStyleWords) {
    const SIZE size = Measure(L"<f Tahoma 30 Bold ITALIC>M</f>");
    HFONT font = pm_.GetFont(L"Tahoma", 30, true, false, true);
    ASSERT_NE(font, nullptr);
    const TFontInfo* info = pm_.GetFontInfo(font);
    EXPECT_EQ(size.cy, info->tm.tmHeight + info->tm.tmExternalLeading);
    // Without a size the face is drawn 10 pixels high.
    Measure(L"<f Tahoma>M</f>");
    EXPECT_NE(pm_.GetFont(L"Tahoma", 10, false, false, false), nullptr);
}

TEST_F(HtmlText, PenMoveAndLineHeightTags) {
    EXPECT_EQ(Measure(L"a<x 20>b").cx, PlainWidth(L"ab") + 20);
    EXPECT_EQ(Measure(L"<y 60>a", 0).cy, 60);
    EXPECT_EQ(Measure(L"<y 60>a<n>b", 0).cy, 60 + LineHeight());
}

TEST_F(HtmlText, ParagraphAddsItsSpaceAndEndsLines) {
    const int line = LineHeight();
    EXPECT_EQ(Measure(L"a<p 10>b</p>c", 0).cy, line + (line + 10) + line);
    // At a line start <p> begins no extra line.
    EXPECT_EQ(Measure(L"<p>a</p>", 0).cy, line);
    EXPECT_EQ(Measure(L"<p 4>a<n>b</p>", 0).cy, 2 * (line + 4));
}

TEST_F(HtmlText, SelectedTextHasTheSelectedBackground) {
    CCanvas canvas(300, 40);
    Draw(canvas, L"ab<s>cd</s>ef");
    EXPECT_TRUE(HasPixel(canvas, 0xBAE4FF));
    int first = canvas.Width();
    int last = -1;
    for (int x = 0; x < canvas.Width(); ++x) {
        if (canvas.Rgb(x, 0) != 0xBAE4FF) continue;
        first = std::min(first, x);
        last = x;
    }
    EXPECT_EQ(first, PlainWidth(L"ab"));
    EXPECT_NEAR(last + 1, PlainWidth(L"abcd"), 1);
    // <s> toggles: a second one ends the selection as </s> does.
    CCanvas toggled(300, 40);
    Draw(toggled, L"ab<s>cd<s>ef");
    EXPECT_TRUE(SamePixels(canvas, toggled));
}

TEST_F(HtmlText, LinksRecordTheirTextAndRectangle) {
    RECT rc = {5, 3, 400, 100};
    RECT links[4] = {};
    CDuiString texts[4];
    int count = 4;
    CCanvas canvas(400, 100);
    CRenderEngine::DrawHtmlText(canvas.Dc(), &pm_, rc, L"go <a http://x>here</a> now <a>there</a>",
                                kBlack, links, texts, count, DT_SINGLELINE);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(texts[0], L"http://x");
    EXPECT_STREQ(texts[1], L"");
    EXPECT_EQ(links[0].top, 3);
    EXPECT_EQ(links[0].bottom, 3 + LineHeight());
    const int hereWidth = Measure(L"<a>here</a>").cx;
    EXPECT_GT(hereWidth, 0);
    EXPECT_EQ(links[0].left, 5 + PlainWidth(L"go "));
    EXPECT_EQ(links[0].right, links[0].left + hereWidth);
    EXPECT_LT(links[0].right, links[1].left);
    // Links are drawn in the default link colour.
    EXPECT_TRUE(HasPixel(canvas, 0x0000FF));
}

TEST_F(HtmlText, LinksAreUnderlined) {
    CCanvas link(200, 40);
    CCanvas plain(200, 40);
    Draw(link, L"<a>mmm</a>");
    Draw(plain, L"mmm");
    EXPECT_GT(link.InkRows(kWhite).second, plain.InkRows(kWhite).second);
}

TEST_F(HtmlText, LinksBeyondTheCallersArraysAreNotRecorded) {
    RECT links[3] = {};
    CDuiString texts[3];
    int count = 2;
    RECT rc = {0, 0, 400, 40};
    CCanvas canvas(400, 40);
    CRenderEngine::DrawHtmlText(canvas.Dc(), &pm_, rc, L"<a 1>a</a><a 2>b</a><a 3>c</a>", kBlack,
                                links, texts, count, DT_SINGLELINE);
    EXPECT_EQ(count, 2);
    EXPECT_STREQ(texts[1], L"2");
    EXPECT_TRUE(texts[2].IsEmpty());
    EXPECT_EQ(links[2].right, 0);
}

TEST_F(HtmlText, LinkThatWrapsGetsARectanglePerLine) {
    RECT links[4] = {};
    CDuiString texts[4];
    int count = 4;
    RECT rc = {0, 0, PlainWidth(L"aaa bbb") + 2, 200};
    CCanvas canvas(200, 200);
    CRenderEngine::DrawHtmlText(canvas.Dc(), &pm_, rc, L"aaa <a go>bbb ccc</a>", kBlack, links,
                                texts, count, DT_WORDBREAK);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(texts[0], L"go");
    EXPECT_STREQ(texts[1], L"go");
    EXPECT_EQ(links[0].top, 0);
    EXPECT_EQ(links[0].left, PlainWidth(L"aaa "));
    EXPECT_EQ(links[1].top, links[0].bottom);
    EXPECT_EQ(links[1].left, 0);
    EXPECT_EQ(links[1].right, PlainWidth(L"ccc"));
}

TEST_F(HtmlText, InlineImageFrameIsDrawnUnscaledAtThePen) {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    CCanvas canvas(100, 40);
    // Resource 163: two 2 x 2 frames, red then blue; frame 1 is blue.
    Draw(canvas, L"<x 10><i res='163' restype='png' 2 1>");
    const int y = LineHeight() / 2;
    EXPECT_EQ(canvas.Rgb(10, y), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(11, y), 0x0000FFu);
    EXPECT_EQ(canvas.InkSpan(kWhite), std::make_pair(10, 12));
    EXPECT_EQ(canvas.InkRows(kWhite).second - canvas.InkRows(kWhite).first, 2);
    EXPECT_EQ(Measure(L"<i res='163' restype='png' 2 1>").cx, 2);
    // An index out of range is frame 0.
    CCanvas first(100, 40);
    Draw(first, L"<i res='163' restype='png' 2 5>");
    EXPECT_EQ(first.Rgb(0, y), 0xFF0000u);
}

TEST_F(HtmlText, TallImageMakesTheLineTaller) {
    CScratchFolder folder;
    folder.Write(L"tall.png", EncodePng(3, 50, std::vector<std::uint32_t>(150, 0xFF00FF00)));
    const std::wstring markup = L"a<i " + folder.Path() + L"tall.png>b";
    const SIZE size = Measure(markup.c_str(), 0);
    EXPECT_EQ(size.cy, 50);
    EXPECT_EQ(size.cx, PlainWidth(L"ab") + 3);
}

TEST_F(HtmlText, MissingImageDrawsNothing) {
    EXPECT_EQ(Measure(L"a<i absent.png>b").cx, PlainWidth(L"ab"));
}

}  // namespace
}  // namespace test
}  // namespace Facet
