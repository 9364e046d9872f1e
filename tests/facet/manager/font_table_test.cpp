// A paint manager's fonts: how each is made from the stock GUI font, the
// index list with its default-font fall-back, removal closing the gap, the
// parent-resource chain, and the default colours read from the chain's top.
#include <gtest/gtest.h>

#include <string>

#include "facet/manager/paint_manager_ui.h"

namespace Facet {
namespace {

LOGFONTW Describe(HFONT font) {
    LOGFONTW lf = {};
    ::GetObjectW(font, sizeof(lf), &lf);
    return lf;
}

LOGFONTW Stock() { return Describe(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))); }

bool IsFont(HFONT font) {
    LOGFONTW lf;
    return ::GetObjectW(font, sizeof(lf), &lf) == sizeof(lf);
}

class FontTable : public ::testing::Test {
protected:
    CPaintManagerUI pm_;
};

TEST_F(FontTable, FontIsTheStockFontWithTheAskedFaceAndPixelHeight) {
    HFONT font = pm_.AddFont(L"Courier New", 14, false, true, true);
    ASSERT_NE(font, nullptr);
    const LOGFONTW lf = Describe(font);
    EXPECT_STREQ(lf.lfFaceName, L"Courier New");
    EXPECT_EQ(lf.lfHeight, -14);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(lf.lfWeight, Stock().lfWeight);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_TRUE(lf.lfItalic);
}

TEST_F(FontTable, BoldAdds700ToTheStockWeight) {
    const LOGFONTW lf = Describe(pm_.AddFont(L"Tahoma", 12, true, false, false));
    EXPECT_EQ(lf.lfWeight, Stock().lfWeight + FW_BOLD);
    if (Stock().lfWeight == FW_NORMAL) {
        EXPECT_EQ(lf.lfWeight, 1100);
    }
}

TEST_F(FontTable, LongFaceNameIsCutAndTerminated) {
    const std::wstring name(40, L'x');
    const LOGFONTW lf = Describe(pm_.AddFont(name.c_str(), 12, false, false, false));
    EXPECT_EQ(std::wstring(lf.lfFaceName), std::wstring(LF_FACESIZE - 1, L'x'));
}

TEST_F(FontTable, IndexOutsideTheListGivesTheDefaultFont) {
    HFONT font = pm_.AddFont(L"Tahoma", 12, false, false, false);
    HFONT fallback = pm_.GetDefaultFontInfo()->hFont.Get();
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(pm_.GetFont(0), font);
    EXPECT_EQ(pm_.GetFont(-1), fallback);
    EXPECT_EQ(pm_.GetFont(1), fallback);
    EXPECT_EQ(pm_.GetFontInfo(5), pm_.GetDefaultFontInfo());
}

TEST_F(FontTable, InitialDefaultFontDescribesTheStockFont) {
    const TFontInfo* info = pm_.GetDefaultFontInfo();
    const LOGFONTW stock = Stock();
    EXPECT_STREQ(info->sFontName, stock.lfFaceName);
    EXPECT_EQ(info->iSize, -stock.lfHeight);
    EXPECT_EQ(info->bBold, stock.lfWeight >= FW_BOLD);
    EXPECT_EQ(Describe(info->hFont.Get()).lfCharSet, DEFAULT_CHARSET);
    EXPECT_GT(info->tm.tmHeight, 0);  // measured on demand, without a window
}

TEST_F(FontTable, SetDefaultFontReplacesAndDeletesThePreviousOne) {
    HFONT before = pm_.GetFont(-1);
    pm_.SetDefaultFont(L"Tahoma", 20, true, false, false);
    const TFontInfo* info = pm_.GetDefaultFontInfo();
    EXPECT_NE(info->hFont.Get(), before);
    EXPECT_FALSE(IsFont(before));
    EXPECT_STREQ(info->sFontName, L"Tahoma");
    EXPECT_EQ(info->iSize, 20);
    EXPECT_TRUE(info->bBold);
    EXPECT_EQ(Describe(pm_.GetFont(-1)).lfHeight, -20);
}

TEST_F(FontTable, AddFontAtInsertsAndRefusesIndexesOutsideTheList) {
    HFONT a = pm_.AddFont(L"A", 10, false, false, false);
    HFONT c = pm_.AddFont(L"C", 10, false, false, false);
    HFONT b = pm_.AddFontAt(1, L"B", 10, false, false, false);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(pm_.GetFont(0), a);
    EXPECT_EQ(pm_.GetFont(1), b);
    EXPECT_EQ(pm_.GetFont(2), c);
    EXPECT_NE(pm_.AddFontAt(3, L"D", 10, false, false, false), nullptr);
    EXPECT_EQ(pm_.AddFontAt(5, L"E", 10, false, false, false), nullptr);
    EXPECT_EQ(pm_.AddFontAt(-1, L"E", 10, false, false, false), nullptr);
    EXPECT_EQ(pm_.GetCustomFontCount(), 4u);
}

TEST_F(FontTable, FontsBeyondASaneCountAreRefused) {
    // A skin of tens of thousands of Font elements ran the process out of
    // GDI handles; the table stops at a thousand.
    for (int i = 0; i < 1000; ++i) ASSERT_NE(pm_.AddFont(L"F", 8 + i % 40, false, false, false), nullptr) << i;
    EXPECT_EQ(pm_.AddFont(L"G", 10, false, false, false), nullptr);
    EXPECT_EQ(pm_.AddFontAt(0, L"G", 10, false, false, false), nullptr);
    EXPECT_EQ(pm_.GetCustomFontCount(), 1000u);
    EXPECT_EQ(pm_.GetFont(1000), pm_.GetDefaultFontInfo()->hFont.Get());
    ASSERT_TRUE(pm_.RemoveFontAt(0));
    EXPECT_NE(pm_.AddFont(L"G", 10, false, false, false), nullptr) << "room again after a removal";
}

TEST_F(FontTable, RemovingFontZeroShiftsTheLaterFontsDown) {
    HFONT zero = pm_.AddFont(L"A", 10, false, false, false);
    HFONT one = pm_.AddFont(L"B", 11, false, false, false);
    HFONT two = pm_.AddFont(L"C", 12, false, false, false);
    EXPECT_TRUE(pm_.RemoveFontAt(0));
    EXPECT_FALSE(IsFont(zero));
    EXPECT_EQ(pm_.GetFont(0), one);
    EXPECT_EQ(pm_.GetFont(1), two);
    EXPECT_EQ(pm_.GetFontIndex(two), 1);
    EXPECT_EQ(pm_.GetCustomFontCount(), 2u);
}

TEST_F(FontTable, RemoveRefusesWhatIsNotThere) {
    HFONT font = pm_.AddFont(L"A", 10, false, false, false);
    EXPECT_FALSE(pm_.RemoveFontAt(1));
    EXPECT_FALSE(pm_.RemoveFontAt(-1));
    EXPECT_FALSE(pm_.RemoveFont(nullptr));
    EXPECT_FALSE(pm_.RemoveFont(pm_.GetFont(-1)));  // the default is no custom font
    EXPECT_TRUE(pm_.RemoveFont(font));
    EXPECT_FALSE(pm_.RemoveFont(font));
}

TEST_F(FontTable, RemoveAllFontsDeletesEveryFont) {
    HFONT a = pm_.AddFont(L"A", 10, false, false, false);
    HFONT b = pm_.AddFont(L"B", 10, false, false, false);
    pm_.RemoveAllFonts();
    EXPECT_EQ(pm_.GetCustomFontCount(), 0u);
    EXPECT_FALSE(IsFont(a));
    EXPECT_FALSE(IsFont(b));
}

TEST_F(FontTable, FontsAreFoundByAllFiveAttributesWithTheFaceCaseSensitive) {
    HFONT font = pm_.AddFont(L"Tahoma", 12, true, false, false);
    EXPECT_EQ(pm_.GetFont(L"Tahoma", 12, true, false, false), font);
    EXPECT_EQ(pm_.GetFont(L"tahoma", 12, true, false, false), nullptr);
    EXPECT_EQ(pm_.GetFont(L"Tahoma", 13, true, false, false), nullptr);
    EXPECT_EQ(pm_.GetFont(L"Tahoma", 12, false, false, false), nullptr);
    EXPECT_EQ(pm_.GetFont(L"Tahoma", 12, true, true, false), nullptr);
    EXPECT_EQ(pm_.GetFont(L"Tahoma", 12, true, false, true), nullptr);
    EXPECT_TRUE(pm_.FindFont(L"Tahoma", 12, true, false, false));
    EXPECT_TRUE(pm_.FindFont(font));
    EXPECT_EQ(pm_.GetFontIndex(L"Tahoma", 12, true, false, false), 0);
    EXPECT_EQ(pm_.GetFontIndex(L"Tahoma", 12, false, false, false), -1);
}

TEST_F(FontTable, FontInfoIsMeasuredOnDemand) {
    HFONT font = pm_.AddFont(L"Tahoma", 30, false, false, false);
    const TFontInfo* info = pm_.GetFontInfo(0);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->hFont.Get(), font);
    EXPECT_GT(info->tm.tmHeight, 20);
    EXPECT_EQ(pm_.GetFontInfo(font), info);
    EXPECT_EQ(pm_.GetFontInfo(static_cast<HFONT>(nullptr)), pm_.GetDefaultFontInfo());
}

TEST_F(FontTable, WithAWindowNewFontsAreMeasuredInItsDc) {
    HWND window = ::CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    {
        CPaintManagerUI pm;
        pm.Init(window);
        EXPECT_EQ(pm.GetPaintWindow(), window);
        ASSERT_NE(pm.GetPaintDC(), nullptr);
        pm.AddFont(L"Tahoma", 30, false, false, false);
        EXPECT_GT(pm.GetFontInfo(0)->tm.tmHeight, 20);
        // The DC is left with the font it had.
        EXPECT_NE(::GetCurrentObject(pm.GetPaintDC(), OBJ_FONT), pm.GetFont(0));
    }
    ::DestroyWindow(window);
}

class SharedResources : public ::testing::Test {
protected:
    CPaintManagerUI parent_;
    CPaintManagerUI child_;
};

TEST_F(SharedResources, CyclesAreRefused) {
    EXPECT_FALSE(child_.UseParentResource(&child_));
    ASSERT_TRUE(child_.UseParentResource(&parent_));
    EXPECT_FALSE(parent_.UseParentResource(&child_));
    CPaintManagerUI grandchild;
    ASSERT_TRUE(grandchild.UseParentResource(&child_));
    EXPECT_FALSE(parent_.UseParentResource(&grandchild));
    EXPECT_EQ(parent_.GetParentResource(), nullptr);
    EXPECT_TRUE(child_.UseParentResource(nullptr));
    EXPECT_EQ(child_.GetParentResource(), nullptr);
    EXPECT_TRUE(parent_.UseParentResource(&child_));
}

TEST_F(SharedResources, FontSearchesWalkTheChainButIndexesDoNot) {
    ASSERT_TRUE(child_.UseParentResource(&parent_));
    HFONT inherited = parent_.AddFont(L"Tahoma", 12, false, false, false);
    EXPECT_EQ(child_.GetFont(L"Tahoma", 12, false, false, false), inherited);
    EXPECT_TRUE(child_.FindFont(inherited));
    EXPECT_EQ(child_.GetFontInfo(inherited)->hFont.Get(), inherited);
    EXPECT_EQ(child_.GetFontIndex(inherited), -1);
    EXPECT_FALSE(child_.RemoveFont(inherited));
    // The child's own font of the same description is found first.
    HFONT own = child_.AddFont(L"Tahoma", 12, false, false, false);
    EXPECT_EQ(child_.GetFont(L"Tahoma", 12, false, false, false), own);
}

TEST_F(SharedResources, DefaultFontComesFromTheTopOfTheChain) {
    parent_.SetDefaultFont(L"Tahoma", 21, false, false, false);
    ASSERT_TRUE(child_.UseParentResource(&parent_));
    EXPECT_EQ(child_.GetDefaultFontInfo(), parent_.GetDefaultFontInfo());
    EXPECT_EQ(child_.GetFont(0), parent_.GetDefaultFontInfo()->hFont.Get());
}

TEST_F(SharedResources, DefaultColoursComeFromTheTopOfTheChain) {
    EXPECT_EQ(child_.GetDefaultLinkFontColor(), 0xFF0000FFu);
    EXPECT_EQ(child_.GetDefaultSelectedBkColor(), 0xFFBAE4FFu);
    parent_.SetDefaultLinkFontColor(0xFF112233);
    child_.SetDefaultLinkFontColor(0xFF445566);
    EXPECT_EQ(child_.GetDefaultLinkFontColor(), 0xFF445566u);
    ASSERT_TRUE(child_.UseParentResource(&parent_));
    EXPECT_EQ(child_.GetDefaultLinkFontColor(), 0xFF112233u);
    EXPECT_EQ(child_.GetDefaultDisabledColor(), 0xFFA7A6AAu);
    EXPECT_EQ(child_.GetDefaultFontColor(), 0xFF000000u);
    EXPECT_EQ(child_.GetDefaultLinkHoverFontColor(), 0xFFD3215Fu);
}

TEST(ColourAdjustment, IsClampedAndShared) {
    CPaintManagerUI::SetHSL(true, 400, -5, 250);
    short h = 0, s = 0, l = 0;
    CPaintManagerUI::GetHSL(&h, &s, &l);
    EXPECT_EQ(h, 360);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(l, 200);
    CPaintManagerUI::SetHSL(false, 180, 100, 100);
    CPaintManagerUI::GetHSL(&h, &s, &l);
    EXPECT_EQ(h, 180);
    EXPECT_EQ(s, 100);
    EXPECT_EQ(l, 100);
}

}  // namespace
}  // namespace Facet
