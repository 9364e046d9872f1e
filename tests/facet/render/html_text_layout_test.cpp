// CRenderEngine::DrawHtmlText's layout: measuring, line breaks, word and
// character wrapping, ellipsis, alignment, clipping, the DC given back, and
// arbitrary markup that must neither crash nor hang.
#include <string>

#include "html_text_fixture.h"

namespace Facet {
namespace test {
namespace {

TEST_F(HtmlText, PlainTextMeasuresAsGdiDoes) {
    const SIZE size = Measure(L"Hello world");
    EXPECT_EQ(size.cx, PlainWidth(L"Hello world"));
    EXPECT_EQ(size.cy, LineHeight());
}

TEST_F(HtmlText, LineBreaksAddLines) {
    const int line = LineHeight();
    EXPECT_EQ(Measure(L"a<n>b", 0).cy, 2 * line);
    EXPECT_EQ(Measure(L"a\nb\r\nc", 0).cy, 3 * line);
    EXPECT_EQ(Measure(L"a<n><n>b", 0).cy, 3 * line);
    // A break at the very end adds no empty line.
    EXPECT_EQ(Measure(L"a<n>", 0).cy, line);
    // One line only, whatever the text says.
    EXPECT_EQ(Measure(L"a<n>b\nc", DT_SINGLELINE).cy, line);
    EXPECT_EQ(Measure(L"a<n>b", DT_SINGLELINE).cx, PlainWidth(L"ab"));
}

TEST_F(HtmlText, WordBreakWrapsAfterTheLastBlankThatFits) {
    const int width = PlainWidth(L"aaa bb");
    const SIZE size = Measure(L"aaa bbb ccc", DT_WORDBREAK, width);
    EXPECT_EQ(size.cy, 3 * LineHeight());
    EXPECT_LE(size.cx, width);
    // A word moves whole to the next line even when it began a new run.
    EXPECT_EQ(Measure(L"aaa <b>bbbb</b>", DT_WORDBREAK, PlainWidth(L"aaa bbb")).cy,
              2 * LineHeight());
}

TEST_F(HtmlText, WithoutWordBreakLinesBreakAtTheEdge) {
    const int width = PlainWidth(L"abcd");
    const SIZE size = Measure(L"abcdefgh", 0, width);
    EXPECT_EQ(size.cy, 2 * LineHeight());
    EXPECT_EQ(size.cx, width);
}

TEST_F(HtmlText, OverlongWordIsBrokenWhereItMust) {
    const SIZE size = Measure(L"abcdefghijkl", DT_WORDBREAK, PlainWidth(L"abcd"));
    EXPECT_EQ(size.cy, 3 * LineHeight());
}

TEST_F(HtmlText, RectangleNarrowerThanACharacterStillTakesOnePerLine) {
    const SIZE size = Measure(L"abc", DT_WORDBREAK, 1);
    EXPECT_EQ(size.cy, 3 * LineHeight());
}

TEST_F(HtmlText, SingleLineDoesNotWrap) {
    const SIZE size = Measure(L"aaa bbb ccc", DT_SINGLELINE | DT_WORDBREAK, PlainWidth(L"aaa"));
    EXPECT_EQ(size.cy, LineHeight());
    EXPECT_EQ(size.cx, PlainWidth(L"aaa bbb ccc"));
}

TEST_F(HtmlText, EllipsisKeepsTwoCharactersLessThanFitAndEndsTheLine) {
    const int width = PlainWidth(L"abcde") + 1;
    const SIZE size = Measure(L"abcdefghij", DT_SINGLELINE | DT_END_ELLIPSIS, width);
    // "abcde" fits, so "abc" and "..." are kept.
    EXPECT_EQ(size.cx, PlainWidth(L"abc") + PlainWidth(L"..."));
    CCanvas canvas(width, 40);
    Draw(canvas, L"abcdefghij", DT_SINGLELINE | DT_END_ELLIPSIS);
    CCanvas expected(width, 40);
    Draw(expected, L"abc...", DT_SINGLELINE);
    EXPECT_TRUE(SamePixels(canvas, expected));
    // Nothing follows on a single line.
    EXPECT_EQ(Measure(L"abcdefghij<b>kl</b>", DT_SINGLELINE | DT_END_ELLIPSIS, width).cx, size.cx);
}

TEST_F(HtmlText, EllipsisInMultiLineTextDropsTheRestOfThatLineOnly) {
    const int width = PlainWidth(L"abcde") + 1;
    EXPECT_EQ(Measure(L"abcdefghij<n>xy", DT_END_ELLIPSIS, width).cy, 2 * LineHeight());
    EXPECT_EQ(Measure(L"abcdefghij<b>klm</b> nop\nxy", DT_END_ELLIPSIS, width).cy,
              2 * LineHeight());
    EXPECT_EQ(Measure(L"abcdefghij<n>xy", DT_END_ELLIPSIS, width).cx,
              PlainWidth(L"abc") + PlainWidth(L"..."));
}

TEST_F(HtmlText, SingleLineIsCentredOrRightAligned) {
    CCanvas centred(200, 40);
    Draw(centred, L"MM", DT_SINGLELINE | DT_CENTER);
    const int width = PlainWidth(L"MM");
    EXPECT_NEAR(centred.InkSpan(kWhite).first, (200 - width) / 2, 3);
    CCanvas right(200, 40);
    Draw(right, L"MM", DT_SINGLELINE | DT_RIGHT);
    EXPECT_GE(right.InkSpan(kWhite).first, 200 - width);
    EXPECT_LE(right.InkSpan(kWhite).second, 200);
}

TEST_F(HtmlText, VerticalCentreAndBottom) {
    CCanvas top(60, 100);
    CCanvas middle(60, 100);
    CCanvas bottom(60, 100);
    Draw(top, L"M", DT_SINGLELINE);
    Draw(middle, L"M", DT_SINGLELINE | DT_VCENTER);
    Draw(bottom, L"M", DT_SINGLELINE | DT_BOTTOM);
    const int shift = (100 - LineHeight()) / 2;
    EXPECT_EQ(middle.InkRows(kWhite).first, top.InkRows(kWhite).first + shift);
    EXPECT_EQ(bottom.InkRows(kWhite).first, top.InkRows(kWhite).first + 100 - LineHeight());
}

TEST_F(HtmlText, MultiLineCentringCentresEachLine) {
    CCanvas canvas(200, 100);
    Draw(canvas, L"MMMM<n>M", DT_CENTER);
    const int line = LineHeight();
    EXPECT_NEAR(InkSpanInRows(canvas, 0, line).first, (200 - PlainWidth(L"MMMM")) / 2, 3);
    EXPECT_NEAR(InkSpanInRows(canvas, line, 2 * line).first, (200 - PlainWidth(L"M")) / 2, 3);
}

TEST_F(HtmlText, MultiLineRunsOfALineAlignAsOne) {
    CCanvas canvas(200, 40);
    Draw(canvas, L"MM<b>MM</b>", DT_RIGHT);
    const int width = Measure(L"MM<b>MM</b>").cx;
    const auto span = canvas.InkSpan(kWhite);
    EXPECT_GE(span.first, 200 - width);
    EXPECT_LE(span.second, 200);
}

TEST_F(HtmlText, DrawingStaysInsideTheRectangle) {
    CCanvas canvas(200, 100);
    RECT rc = {20, 20, 60, 40};
    int links = 0;
    CRenderEngine::DrawHtmlText(canvas.Dc(), &pm_, rc, L"<f Tahoma 40>WWWWWWWW<n>WWWW", kBlack,
                                nullptr, nullptr, links, 0);
    const auto columns = canvas.InkSpan(kWhite);
    const auto rows = canvas.InkRows(kWhite);
    EXPECT_GE(columns.first, 20);
    EXPECT_LE(columns.second, 60);
    EXPECT_GE(rows.first, 20);
    EXPECT_LE(rows.second, 40);
    // The clipping of the DC is given back.
    CRenderEngine::DrawColor(canvas.Dc(), RECT{150, 80, 160, 90}, 0xFF000000);
    EXPECT_EQ(canvas.Rgb(155, 85), 0u);
}

TEST_F(HtmlText, NothingForNullTextManagerOrEmptyRectangle) {
    CCanvas canvas(100, 40);
    RECT rc = canvas.Rect();
    RECT links[1] = {};
    CDuiString texts[1];
    int count = 1;
    CRenderEngine::DrawHtmlText(canvas.Dc(), &pm_, rc, nullptr, kBlack, links, texts, count, 0);
    EXPECT_EQ(count, 0);
    count = 1;
    CRenderEngine::DrawHtmlText(canvas.Dc(), nullptr, rc, L"<a>x</a>", kBlack, links, texts, count, 0);
    EXPECT_EQ(count, 0);
    RECT empty = {10, 10, 10, 30};
    count = 1;
    CRenderEngine::DrawHtmlText(canvas.Dc(), &pm_, empty, L"<a>x</a>", kBlack, links, texts, count, 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(canvas.InkWidth(kWhite), 0);
}

TEST_F(HtmlText, DcStateIsGivenBack) {
    CCanvas canvas(100, 40);
    const HGDIOBJ font = ::GetCurrentObject(canvas.Dc(), OBJ_FONT);
    ::SetTextColor(canvas.Dc(), RGB(1, 2, 3));
    ::SetBkMode(canvas.Dc(), OPAQUE);
    Draw(canvas, L"<b>a</b><c #FFFF0000>b</c><s>c</s>");
    EXPECT_EQ(::GetCurrentObject(canvas.Dc(), OBJ_FONT), font);
    EXPECT_EQ(::GetTextColor(canvas.Dc()), RGB(1, 2, 3));
    EXPECT_EQ(::GetBkMode(canvas.Dc()), OPAQUE);
}

// Pseudo-random markup built from the characters that matter: drawing and
// measuring must neither crash nor hang, and the link count stays within
// the caller's arrays.
TEST_F(HtmlText, ArbitraryMarkupNeverCrashes) {
    const wchar_t alphabet[] = L"<>{}/ abcfinprsuxy#0123456789'\n\r=.MW";
    const int letters = static_cast<int>(wcslen(alphabet));
    std::uint32_t seed = 2024;
    CCanvas canvas(120, 60);
    for (int round = 0; round < 400; ++round) {
        std::wstring text;
        const int length = static_cast<int>(seed % 60);
        for (int i = 0; i < length; ++i) {
            seed = seed * 1664525u + 1013904223u;
            text += alphabet[(seed >> 16) % letters];
        }
        RECT links[2] = {};
        CDuiString texts[2];
        for (UINT style : {0u, UINT(DT_WORDBREAK), UINT(DT_SINGLELINE | DT_END_ELLIPSIS),
                           UINT(DT_CENTER | DT_VCENTER), UINT(DT_WORDBREAK | DT_END_ELLIPSIS)}) {
            RECT rc = {0, 0, 120, 60};
            int count = 2;
            CRenderEngine::DrawHtmlText(canvas.Dc(), &pm_, rc, text.c_str(), kBlack, links, texts,
                                        count, style);
            ASSERT_GE(count, 0);
            ASSERT_LE(count, 2);
            const SIZE size = Measure(text.c_str(), style, 120);
            ASSERT_GE(size.cx, 0);
            ASSERT_LT(size.cy, 20000);
        }
    }
}

TEST_F(HtmlText, UnclosedOpenersAndLongWrappedRunsTakeLinearTime) {
    // 700,000 units of "{a " never closed: each opener once rescanned the rest
    // of the text; the run then wraps into thousands of lines.
    std::wstring text;
    while (text.size() < 700000) text += L"{a ";
    CCanvas canvas(200, 60);
    const DWORD start = ::GetTickCount();
    Draw(canvas, text.c_str(), DT_WORDBREAK);
    EXPECT_LT(::GetTickCount() - start, 800u);
    // Drawn as text: the first line holds ink.
    EXPECT_GT(InkSpanInRows(canvas, 0, LineHeight()).second, 100);
}

}  // namespace
}  // namespace test
}  // namespace Facet
