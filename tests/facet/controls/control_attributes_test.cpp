// The control base's markup attributes and attribute lists, with the skin's
// own forms, hand-written variations and malformed values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "facet/controls/control_ui.h"

namespace Facet {
namespace {

class ControlAttributes : public ::testing::Test {
protected:
    CControlUI control;
};

bool SameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

TEST_F(ControlAttributes, SkinPositionThenSizeGivesPlaceAndSizeInEitherOrder) {
    control.ApplyAttributeList(L"pos=\"117,197,0,0\" width=\"112\" height=\"58\"");
    EXPECT_EQ(control.GetFixedXY().cx, 117);
    EXPECT_EQ(control.GetFixedXY().cy, 197);
    EXPECT_EQ(control.GetFixedWidth(), 112);
    EXPECT_EQ(control.GetFixedHeight(), 58);

    CControlUI other;
    other.ApplyAttributeList(L"width=\"112\" height=\"58\" pos=\"117,197,0,0\"");
    EXPECT_EQ(other.GetFixedXY().cx, 117);
    EXPECT_EQ(other.GetFixedWidth(), 112);
    EXPECT_EQ(other.GetFixedHeight(), 58);
}

TEST_F(ControlAttributes, PositionStepsOverOneSeparatorAndTheBlanksAfterIt) {
    control.SetAttribute(L"pos", L"100, 59,0,0");
    EXPECT_EQ(control.GetFixedXY().cx, 100);
    EXPECT_EQ(control.GetFixedXY().cy, 59);
    control.SetAttribute(L"pos", L"1,2,31,42");
    EXPECT_EQ(control.GetFixedWidth(), 30);
    EXPECT_EQ(control.GetFixedHeight(), 40);
}

TEST_F(ControlAttributes, NegativeLeftAnchorsToTheRightEdge) {
    control.SetAttribute(L"pos", L"-100,-40,-20,-10");
    EXPECT_EQ(control.GetFixedXY().cx, -20);
    EXPECT_EQ(control.GetFixedXY().cy, -10);
    EXPECT_EQ(control.GetFixedWidth(), 80);
    EXPECT_EQ(control.GetFixedHeight(), 30);
}

TEST_F(ControlAttributes, ShortOrGarbledPositionsKeepWhatTheyCanRead) {
    control.SetAttribute(L"pos", L"5");
    EXPECT_EQ(control.GetFixedXY().cx, 5);
    EXPECT_EQ(control.GetFixedXY().cy, 0);
    control.SetAttribute(L"pos", L"x,y,z,w");
    EXPECT_EQ(control.GetFixedXY().cx, 0);
    control.SetAttribute(L"pos", L"");
    EXPECT_EQ(control.GetFixedWidth(), 0);
}

TEST_F(ControlAttributes, SizeLimitsIgnoreNegativeValues) {
    control.SetAttribute(L"minwidth", L"-1");
    EXPECT_EQ(control.GetMinWidth(), 0);
    control.SetAttribute(L"minwidth", L"12");
    control.SetAttribute(L"maxwidth", L"300");
    control.SetAttribute(L"minheight", L"7");
    control.SetAttribute(L"maxheight", L"90");
    EXPECT_EQ(control.GetMinWidth(), 12);
    EXPECT_EQ(control.GetMaxWidth(), 300);
    EXPECT_EQ(control.GetMinHeight(), 7);
    EXPECT_EQ(control.GetMaxHeight(), 90);
    control.SetAttribute(L"width", L"0");
    EXPECT_EQ(control.GetFixedWidth(), 0);
    control.SetAttribute(L"height", L"-3");
    EXPECT_EQ(control.GetFixedHeight(), 0);
}

TEST_F(ControlAttributes, ColoursAreHexWithAnOptionalHash) {
    control.SetAttribute(L"bkcolor", L"#FF102030");
    EXPECT_EQ(control.GetBkColor(), 0xFF102030u);
    control.SetAttribute(L"bkcolor1", L" \t\r\n#FF000001");
    EXPECT_EQ(control.GetBkColor(), 0xFF000001u);
    control.SetAttribute(L"bkcolor2", L"  FFABCDEF");
    EXPECT_EQ(control.GetBkColor2(), 0xFFABCDEFu);
    control.SetAttribute(L"bkcolor3", L"#80FFFFFF");
    EXPECT_EQ(control.GetBkColor3(), 0x80FFFFFFu);
    control.SetAttribute(L"bordercolor", L"#FF00FF00");
    control.SetAttribute(L"focusbordercolor", L"FF0000FF");
    EXPECT_EQ(control.GetBorderColor(), 0xFF00FF00u);
    EXPECT_EQ(control.GetFocusBorderColor(), 0xFF0000FFu);
    control.SetAttribute(L"bordercolor", L"nonsense");
    EXPECT_EQ(control.GetBorderColor(), 0u);
}

TEST_F(ControlAttributes, OneBorderSizeClearsTheSidesFourSetOnlyTheSides) {
    control.SetAttribute(L"bordersize", L"1,2,3,4");
    EXPECT_EQ(control.GetBorderSize(), 0);
    EXPECT_EQ(control.GetLeftBorderSize(), 1);
    EXPECT_EQ(control.GetBottomBorderSize(), 4);
    control.SetAttribute(L"bordersize", L"5");
    EXPECT_EQ(control.GetBorderSize(), 5);
    EXPECT_EQ(control.GetLeftBorderSize(), 0);
    EXPECT_EQ(control.GetTopBorderSize(), 0);
    control.SetAttribute(L"bordersize", L"0,6,0,0");
    EXPECT_EQ(control.GetBorderSize(), 5);
    EXPECT_EQ(control.GetTopBorderSize(), 6);
    control.SetAttribute(L"rightbordersize", L"9");
    EXPECT_EQ(control.GetRightBorderSize(), 9);
    control.SetAttribute(L"borderstyle", L"2");
    EXPECT_EQ(control.GetBorderStyle(), PS_DOT);
    control.SetAttribute(L"borderround", L"6, 8");
    EXPECT_EQ(control.GetBorderRound().cx, 6);
    EXPECT_EQ(control.GetBorderRound().cy, 8);
}

TEST_F(ControlAttributes, BooleansAreOnOnlyForTrue) {
    control.SetAttribute(L"enabled", L"false");
    EXPECT_FALSE(control.IsEnabled());
    control.SetAttribute(L"enabled", L"TRUE");
    EXPECT_FALSE(control.IsEnabled());
    control.SetAttribute(L"enabled", L"true");
    EXPECT_TRUE(control.IsEnabled());
    control.SetAttribute(L"visible", L"1");
    EXPECT_FALSE(control.IsVisible());
    control.SetAttribute(L"float", L"true");
    control.SetAttribute(L"menu", L"true");
    control.SetAttribute(L"mouse", L"no");
    control.SetAttribute(L"keyboard", L"false");
    control.SetAttribute(L"colorhsl", L"true");
    EXPECT_TRUE(control.IsFloat());
    EXPECT_TRUE(control.IsContextMenuUsed());
    EXPECT_FALSE(control.IsMouseEnabled());
    EXPECT_FALSE(control.IsKeyboardEnabled());
    EXPECT_TRUE(control.IsColorHSL());
}

TEST_F(ControlAttributes, TextsAndShortcut) {
    control.ApplyAttributeList(
        L"name=\"okbtn\" text=\"OK\" tooltip=\"one<n>two<n>\" userdata=\"42\" shortcut=\"okay\"");
    EXPECT_EQ(control.GetName(), L"okbtn");
    EXPECT_EQ(control.GetText(), L"OK");
    EXPECT_EQ(control.GetToolTip(), L"one\r\ntwo\r\n");
    EXPECT_EQ(control.GetUserData(), L"42");
    EXPECT_EQ(control.GetShortcut(), L'o');
    control.SetAttribute(L"shortcut", L"");
    EXPECT_EQ(control.GetShortcut(), 0);
}

TEST_F(ControlAttributes, RelativePositionAndPadding) {
    control.SetAttribute(L"relativepos", L"50,0,100,25");
    const TRelativePosUI relative = control.GetRelativePos();
    EXPECT_TRUE(relative.bRelative);
    EXPECT_EQ(relative.nMoveXPercent, 50);
    EXPECT_EQ(relative.nMoveYPercent, 0);
    EXPECT_EQ(relative.nZoomXPercent, 100);
    EXPECT_EQ(relative.nZoomYPercent, 25);
    control.SetAttribute(L"padding", L"1,2,3,4");
    EXPECT_TRUE(SameRect(control.GetPadding(), RECT{1, 2, 3, 4}));
}

TEST_F(ControlAttributes, NamesAreCaseSensitiveAndUnknownOnesIgnored) {
    control.SetAttribute(L"Text", L"no");
    control.SetAttribute(L"nonsense", L"1");
    control.SetAttribute(nullptr, L"1");
    control.SetAttribute(L"text", nullptr);
    EXPECT_EQ(control.GetText(), L"");
}

TEST_F(ControlAttributes, AListStopsAtTheFirstMalformedPair) {
    EXPECT_EQ(control.ApplyAttributeList(L"text=\"a\"  name=\"b\""), &control);
    EXPECT_EQ(control.GetText(), L"a");
    EXPECT_EQ(control.GetName(), L"");

    CControlUI unquoted;
    unquoted.ApplyAttributeList(L"text=\"a\" name=b userdata=\"c\"");
    EXPECT_EQ(unquoted.GetText(), L"a");
    EXPECT_EQ(unquoted.GetName(), L"");
    EXPECT_EQ(unquoted.GetUserData(), L"");

    CControlUI unclosed;
    unclosed.ApplyAttributeList(L"text=\"a");
    EXPECT_EQ(unclosed.GetText(), L"");

    CControlUI glued;
    glued.ApplyAttributeList(L"text=\"a\"name=\"b\"");
    EXPECT_EQ(glued.GetText(), L"a");
    EXPECT_EQ(glued.GetName(), L"");

    CControlUI trailing;
    trailing.ApplyAttributeList(L"text=\"a\" ");
    EXPECT_EQ(trailing.GetText(), L"a");

    CControlUI none;
    none.ApplyAttributeList(L"");
    none.ApplyAttributeList(nullptr);
    none.ApplyAttributeList(L"text");
    none.ApplyAttributeList(L"=\"x\"");
    EXPECT_EQ(none.GetText(), L"");
}

// Counts the pairs a list hands over, whatever their names.
class CAttributeRecorder : public CControlUI {
public:
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override {
        names.push_back(pstrName);
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
    std::vector<std::wstring> names;
};

TEST_F(ControlAttributes, AListHandsOverExactlyTheWellFormedPairsBeforeTheFirstFault) {
    CAttributeRecorder recorder;
    recorder.ApplyAttributeList(L"a=\"1\" b=\"2\"  c=\"3\"");
    EXPECT_EQ(recorder.names, (std::vector<std::wstring>{L"a", L"b"}));
    recorder.names.clear();
    recorder.ApplyAttributeList(L"x=\"\" y=\"\"");
    EXPECT_EQ(recorder.names, (std::vector<std::wstring>{L"x", L"y"}));
}

TEST_F(ControlAttributes, ValuesMayHoldBlanksAndEqualsSigns) {
    control.ApplyAttributeList(L"bkimage=\"file='a.png' corner='1,2,3,4'\" text=\"x = y\"");
    EXPECT_STREQ(control.GetBkImage(), L"file='a.png' corner='1,2,3,4'");
    EXPECT_EQ(control.GetText(), L"x = y");
}

TEST_F(ControlAttributes, VirtualWindowWithoutAManagerOnlyStoresTheName) {
    control.SetAttribute(L"virtualwnd", L"page");
    EXPECT_EQ(control.GetVirtualWnd(), L"page");
}

}  // namespace
}  // namespace Facet
