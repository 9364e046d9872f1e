// CDuiString: where a text lives (inline or heap) as it grows and shrinks,
// texts that point into the string itself, and the exact results of the
// substring, search, replace and format operations.
#include "facet/core/dui_string.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <string>

namespace Facet {
namespace {

std::wstring Units(int n, wchar_t ch = L'x') { return std::wstring(static_cast<std::size_t>(n), ch); }

::testing::AssertionResult Holds(const CDuiString& s, const std::wstring& expected) {
    if (std::wstring(s.GetData()) == expected && s.GetLength() == static_cast<int>(expected.size()))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "holds \"" << ::testing::PrintToString(std::wstring(s.GetData()))
                                         << "\", expected \"" << ::testing::PrintToString(expected) << "\"";
}

// --- Where the text lives ---------------------------------------------------

TEST(DuiStringStorage, SixtyTwoUnitsStayInlineAndTheSixtyThirdMovesToTheHeap) {
    CDuiString s(Units(62).c_str());
    EXPECT_TRUE(s.IsInline());
    s += L'y';
    EXPECT_FALSE(s.IsInline());
    EXPECT_TRUE(Holds(s, Units(62) + L"y"));
    s = L"0123456789";
    EXPECT_TRUE(s.IsInline());
    EXPECT_TRUE(Holds(s, L"0123456789"));
}

TEST(DuiStringStorage, AssigningSixtyThreeUnitsGoesStraightToTheHeap) {
    CDuiString s;
    s.Assign(Units(63).c_str());
    EXPECT_FALSE(s.IsInline());
    EXPECT_EQ(s.GetLength(), 63);
}

TEST(DuiStringStorage, LongAppendsKeepEveryUnit) {
    CDuiString s;
    std::wstring expected;
    for (int i = 0; i < 300; ++i) {
        const wchar_t ch = static_cast<wchar_t>(L'a' + i % 26);
        s += ch;
        expected += ch;
    }
    EXPECT_TRUE(Holds(s, expected));
}

TEST(DuiStringStorage, AHeapTextCutShortReturnsInlineOnTheNextAppend) {
    CDuiString s(Units(70).c_str());
    s.SetAt(5, L'\0');
    s.Append(L"ab");
    EXPECT_TRUE(s.IsInline());
    EXPECT_TRUE(Holds(s, L"xxxxxab"));
}

// A heap text given a longer text than its block holds, by each road that
// writes a whole text (also after the text was cut short inside the block):
// the block grows, every unit arrives, and the C runtime's heap stays whole.
TEST(DuiStringStorage, ALongerTextThanTheHeapBlockGrowsIt) {
    struct Case {
        int before;
        int cutTo;
        int after;
    };
    for (const Case c : {Case{70, -1, 71}, Case{70, -1, 500}, Case{70, 5, 69}, Case{70, 5, 300}, Case{200, 64, 4000}}) {
        for (int road = 0; road < 3; ++road) {
            CDuiString s(Units(c.before).c_str());
            if (c.cutTo >= 0) s.SetAt(c.cutTo, L'\0');
            const std::wstring text = Units(c.after, L'q');
            if (road == 0) s.Assign(text.c_str());
            if (road == 1) s = text.c_str();
            if (road == 2) s = CDuiString(text.c_str());
            EXPECT_TRUE(Holds(s, text)) << c.before << "->" << c.after << " road " << road;
            EXPECT_EQ(_heapchk(), _HEAPOK) << c.before << "->" << c.after << " road " << road;
        }
    }
}

TEST(DuiStringStorage, CopiesAreDeep) {
    CDuiString longText(Units(80).c_str());
    CDuiString copy(longText);
    copy.SetAt(0, L'z');
    EXPECT_EQ(longText.GetAt(0), L'x');
    CDuiString shortText(L"abc");
    CDuiString other;
    other = shortText;
    other.SetAt(0, L'z');
    EXPECT_TRUE(Holds(shortText, L"abc"));
    EXPECT_NE(other.GetData(), shortText.GetData());
}

// --- Assign and Append -------------------------------------------------------

TEST(DuiStringAssign, LengthTakesAPrefixAndNegativeTakesTheWholeText) {
    CDuiString s(L"abcdef", 3);
    EXPECT_TRUE(Holds(s, L"abc"));
    s.Assign(L"abcdef", -5);
    EXPECT_TRUE(Holds(s, L"abcdef"));
}

TEST(DuiStringAssign, ALengthBeyondTheSourceTakesOnlyTheSource) {
    CDuiString s;
    s.Assign(L"abc", 500);
    EXPECT_TRUE(Holds(s, L"abc"));
    EXPECT_TRUE(s.IsInline());
}

TEST(DuiStringAssign, NullEmptiesAndNullAppendChangesNothing) {
    CDuiString s(L"abc");
    s += static_cast<const wchar_t*>(nullptr);
    s += static_cast<const char*>(nullptr);
    EXPECT_TRUE(Holds(s, L"abc"));
    EXPECT_TRUE(Holds(s + static_cast<const wchar_t*>(nullptr), L"abc"));
    s = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s = L"abc";
    s = static_cast<const char*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(DuiStringAssign, AnsiTextIsConverted) {
    CDuiString s;
    s = "FAT32";
    EXPECT_TRUE(Holds(s, L"FAT32"));
    s += " label";
    EXPECT_TRUE(Holds(s, L"FAT32 label"));
}

// A source that points into the string itself must survive the move between
// the inline buffer and the heap.
TEST(DuiStringAliasing, AssigningATailOfItsOwnHeapTextGoingInline) {
    CDuiString s((Units(60) + L"tail").c_str());
    s.Assign(s.GetData() + 60);
    EXPECT_TRUE(Holds(s, L"tail"));
    EXPECT_TRUE(s.IsInline());
}

TEST(DuiStringAliasing, AppendingItselfInlineAndOnTheHeap) {
    CDuiString s(Units(40).c_str());
    s += s;
    EXPECT_TRUE(Holds(s, Units(80)));
    s.Append(s.GetData());
    EXPECT_TRUE(Holds(s, Units(160)));
    s = s;
    EXPECT_TRUE(Holds(s, Units(160)));
}

// --- Substrings ----------------------------------------------------------------

TEST(DuiStringSubstrings, MidLeftAndRightClampTheirArguments) {
    const CDuiString s(L"abcdef");
    EXPECT_TRUE(Holds(s.Mid(3, -1), L"def"));
    EXPECT_TRUE(Holds(s.Mid(3), L"def"));
    EXPECT_TRUE(Holds(s.Mid(10, -1), L""));
    EXPECT_TRUE(Holds(s.Mid(4, 10), L"ef"));
    EXPECT_TRUE(Holds(s.Mid(6, 2), L""));
    EXPECT_TRUE(Holds(s.Mid(1, 0), L""));
    EXPECT_TRUE(Holds(s.Left(-1), L""));
    EXPECT_TRUE(Holds(s.Left(2), L"ab"));
    EXPECT_TRUE(Holds(s.Left(99), L"abcdef"));
    EXPECT_TRUE(Holds(CDuiString(L"abc").Right(10), L"abc"));
    EXPECT_TRUE(Holds(s.Right(2), L"ef"));
}

TEST(DuiStringSubstrings, PositionsBeforeTheTextReadNothing) {
    const CDuiString s(L"abcdef");
    EXPECT_TRUE(Holds(s.Mid(-1, 3), L""));
    EXPECT_TRUE(Holds(s.Mid(-5), L""));
    EXPECT_TRUE(Holds(s.Right(-1), L""));
    EXPECT_TRUE(Holds(s.Mid(2, 0x7FFFFFFF), L"cdef"));
}

// --- Search ----------------------------------------------------------------------

TEST(DuiStringFind, PositionAtTheEndIsSearchedForTextsButNotForCharacters) {
    const CDuiString s(L"abc");
    EXPECT_EQ(s.Find(L"c", 3), -1);
    EXPECT_EQ(s.Find(L"", 3), 3);
    EXPECT_EQ(s.Find(L'c', 3), -1);
    EXPECT_EQ(s.Find(L'c', 2), 2);
    EXPECT_EQ(s.Find(L"c", 4), -1);
    EXPECT_EQ(s.Find(L"a", -1), -1);
    EXPECT_EQ(s.Find(L'a', -1), -1);
}

TEST(DuiStringFind, FirstOccurrenceAtOrAfterThePosition) {
    const CDuiString s(L"abcabc");
    EXPECT_EQ(s.Find(L"bc"), 1);
    EXPECT_EQ(s.Find(L"bc", 2), 4);
    EXPECT_EQ(s.Find(L'a', 1), 3);
    EXPECT_EQ(s.Find(L"zz"), -1);
    EXPECT_EQ(s.ReverseFind(L'b'), 4);
    EXPECT_EQ(s.ReverseFind(L'z'), -1);
}

TEST(DuiStringFind, EmptyStringAndNullPattern) {
    const CDuiString empty;
    EXPECT_EQ(empty.Find(L'a'), -1);
    EXPECT_EQ(empty.Find(L""), 0);
    EXPECT_EQ(CDuiString(L"abc").Find(static_cast<const wchar_t*>(nullptr)), -1);
}

// --- Replace ------------------------------------------------------------------------

TEST(DuiStringReplace, InsertedTextIsNotSearchedAgain) {
    CDuiString s(L"aaa");
    EXPECT_EQ(s.Replace(L"a", L"aa"), 3);
    EXPECT_TRUE(Holds(s, L"aaaaaa"));
}

TEST(DuiStringReplace, AbsentPatternChangesNothing) {
    CDuiString s(L"abc");
    EXPECT_EQ(s.Replace(L"x", L"y"), 0);
    EXPECT_TRUE(Holds(s, L"abc"));
}

TEST(DuiStringReplace, EmptyPatternReplacesNothingInsteadOfLoopingForever) {
    CDuiString s(L"abc");
    EXPECT_EQ(s.Replace(L"", L"x"), 0);
    EXPECT_EQ(s.Replace(L"", L""), 0);
    EXPECT_EQ(s.Replace(nullptr, L"x"), 0);
    EXPECT_TRUE(Holds(s, L"abc"));
}

TEST(DuiStringReplace, RemovingAndGrowingAcrossTheInlineLimit) {
    CDuiString s(L"a-b-c");
    EXPECT_EQ(s.Replace(L"-", nullptr), 2);
    EXPECT_TRUE(Holds(s, L"abc"));
    EXPECT_EQ(s.Replace(L"b", Units(70).c_str()), 1);
    EXPECT_TRUE(Holds(s, L"a" + Units(70) + L"c"));
    EXPECT_FALSE(s.IsInline());
    EXPECT_EQ(s.Replace(Units(70).c_str(), L"b"), 1);
    EXPECT_TRUE(Holds(s, L"abc"));
    EXPECT_TRUE(s.IsInline());
}

TEST(DuiStringReplace, PatternTakenFromTheStringItself) {
    CDuiString s(L"abcab");
    EXPECT_EQ(s.Replace(s.GetData() + 3, L"x"), 2);
    EXPECT_TRUE(Holds(s, L"xcx"));
}

TEST(DuiStringReplace, ATooltipFullOfLineBreaksIsReplacedInOnePass) {
    // 300,000 units holding 75,000 "<n>": the builder turns them into line
    // feeds, and a copy per match took seconds.
    std::wstring text;
    for (int i = 0; i < 75000; ++i) text += L"a<n>";
    CDuiString s(text.c_str());
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(s.Replace(L"<n>", L"\n"), 75000);
    EXPECT_LT(::GetTickCount() - start, 500u);
    EXPECT_EQ(s.GetLength(), 150000);
    EXPECT_EQ(s.Find(L"<n>"), -1);
}

// --- Comparison and case --------------------------------------------------------

TEST(DuiStringCompare, CodeUnitOrderAndCaseInsensitiveVariant) {
    const CDuiString s(L"abc");
    EXPECT_TRUE(s == L"abc");
    EXPECT_TRUE(s != L"ABC");
    EXPECT_TRUE(s < L"abd");
    EXPECT_TRUE(s <= L"abc");
    EXPECT_TRUE(s > L"ABC");
    EXPECT_TRUE(s >= L"ab");
    EXPECT_EQ(s.CompareNoCase(L"ABC"), 0);
    EXPECT_GT(s.Compare(nullptr), 0);
    EXPECT_TRUE(CDuiString() == static_cast<const wchar_t*>(nullptr));
}

// --- Format and SmallFormat ------------------------------------------------------

TEST(DuiStringFormat, WideConventionsAndNoLengthLimit) {
    CDuiString s;
    EXPECT_EQ(s.Format(L"%c: (%s) %d", L'E', L"DATA", 42), 12);
    EXPECT_TRUE(Holds(s, L"E: (DATA) 42"));
    const std::wstring big = Units(2000, L'q');
    EXPECT_EQ(s.Format(L"<%s>", big.c_str()), 2002);
    EXPECT_TRUE(Holds(s, L"<" + big + L">"));
    EXPECT_EQ(s.Format(L"%0.1fGB", 15000 / 1024.0), 6);
    EXPECT_TRUE(Holds(s, L"14.6GB"));
}

TEST(DuiStringFormat, ArgumentsMayComeFromTheStringItself) {
    CDuiString s(L"abc");
    s.Format(L"%s%s", s.GetData(), s.GetData());
    EXPECT_TRUE(Holds(s, L"abcabc"));
}

TEST(DuiStringSmallFormat, ShortResultsAreExact) {
    CDuiString s;
    EXPECT_EQ(s.SmallFormat(L"%c: (%s) %s %dMB", L'E', L"DATA", L"FAT32", 1023), 22);
    EXPECT_TRUE(Holds(s, L"E: (DATA) FAT32 1023MB"));
    EXPECT_EQ(s.SmallFormat(L"%s", Units(63).c_str()), 63);
    EXPECT_TRUE(Holds(s, Units(63)));
}

TEST(DuiStringSmallFormat, ALongResultIsCutAtSixtyThreeUnits) {
    CDuiString s;
    const std::wstring label = Units(32, L'L');
    const int length = s.SmallFormat(L"%c: (%s) %s %s", L'E', label.c_str(), Units(200, L'F').c_str(), L"14.6GB");
    EXPECT_EQ(length, 63);
    EXPECT_TRUE(Holds(s, (L"E: (" + label + L") " + Units(200, L'F')).substr(0, 63)));
}

TEST(DuiStringSmallFormat, FormatMayBeTheStringItself) {
    CDuiString s(L"n=%d");
    s.SmallFormat(s, 5);
    EXPECT_TRUE(Holds(s, L"n=5"));
    s.SmallFormat(L"[%s]", s.GetData());
    EXPECT_TRUE(Holds(s, L"[n=5]"));
}

}  // namespace
}  // namespace Facet
