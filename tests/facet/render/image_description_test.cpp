// Image description strings: each key, the rules that end parsing, the
// further images a second file starts, and DrawImageString's drawing of them
// from a paint manager's images.
#include <gtest/gtest.h>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/image_description.h"
#include "facet/render/render_engine.h"
#include "render_test_support.h"

namespace Facet {
namespace {

using test::CCanvas;

constexpr RECT kItem = {10, 20, 110, 120};

struct Parsed {
    TImageDrawState state;
    std::vector<CDuiString> drawnBefore;
};

Parsed Parse(const wchar_t* image, const wchar_t* modify = nullptr) {
    Parsed parsed;
    parsed.state = CImageDescription::Initial(image, kItem);
    auto record = [](void* context, const TImageDrawState& state) {
        static_cast<Parsed*>(context)->drawnBefore.push_back(state.sName);
    };
    CImageDescription::Parse(image, kItem, parsed.state, record, &parsed);
    CImageDescription::Parse(modify, kItem, parsed.state, record, &parsed);
    return parsed;
}

bool Equal(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ImageDescription, BareNameIsTheWholeText) {
    const Parsed p = Parse(L"images/logo.png");
    EXPECT_STREQ(p.state.sName, L"images/logo.png");
    EXPECT_TRUE(p.state.sResType.IsEmpty());
    EXPECT_TRUE(Equal(p.state.rcDest, kItem));
    EXPECT_EQ(p.state.uFade, 255);
    // A name with blanks is still one name.
    EXPECT_STREQ(Parse(L"my logo.png").state.sName, L"my logo.png");
}

TEST(ImageDescription, EveryKeyIsApplied) {
    const Parsed p = Parse(
        L"file='a.png' restype='png' dest='1,2,30,40' source='0, 0, 83, 83' corner='4,5,6,7' "
        L"mask='#FFFF00FF' fade='128' hole='true' xtiled='true' ytiled='true'");
    EXPECT_STREQ(p.state.sName, L"a.png");
    EXPECT_STREQ(p.state.sResType, L"png");
    EXPECT_TRUE(Equal(p.state.rcDest, RECT{11, 22, 40, 60}));
    EXPECT_TRUE(Equal(p.state.rcSource, RECT{0, 0, 83, 83}));
    EXPECT_TRUE(Equal(p.state.rcCorner, RECT{4, 5, 6, 7}));
    EXPECT_EQ(p.state.dwMask, 0xFFFF00FFu);
    EXPECT_EQ(p.state.uFade, 128);
    EXPECT_TRUE(p.state.bHole);
    EXPECT_TRUE(p.state.bTiledX);
    EXPECT_TRUE(p.state.bTiledY);
}

TEST(ImageDescription, DestinationIsClampedToTheItem) {
    const Parsed p = Parse(L"file='a.png' dest='10,10,200,200'");
    EXPECT_TRUE(Equal(p.state.rcDest, RECT{20, 30, 110, 120}));
}

TEST(ImageDescription, FlagsAreOnOnlyForTrue) {
    const Parsed p = Parse(L"hole='TRUE' xtiled='1' ytiled='yes'");
    EXPECT_FALSE(p.state.bHole);
    EXPECT_FALSE(p.state.bTiledX);
    EXPECT_FALSE(p.state.bTiledY);
}

TEST(ImageDescription, MaskWithoutHashAndFadeKeptAsAByte) {
    const Parsed p = Parse(L"mask='ff00ff' fade='300'");
    EXPECT_EQ(p.state.dwMask, 0x00FF00FFu);
    EXPECT_EQ(p.state.uFade, 300 & 0xFF);
}

TEST(ImageDescription, ResDoesNotStartAFurtherImageButASecondFileDoes) {
    const Parsed res = Parse(L"res='173' restype='png' source='83,0,166,83'");
    EXPECT_STREQ(res.state.sName, L"173");
    EXPECT_TRUE(res.drawnBefore.empty());

    const Parsed files = Parse(L"file='a.png' file='b.png' file='c.png'");
    ASSERT_EQ(files.drawnBefore.size(), 2u);
    EXPECT_STREQ(files.drawnBefore[0], L"a.png");
    EXPECT_STREQ(files.drawnBefore[1], L"b.png");
    EXPECT_STREQ(files.state.sName, L"c.png");
}

TEST(ImageDescription, ModifyingTextCountsImagesAfresh) {
    const Parsed p = Parse(L"file='a.png'", L"file='b.png' dest='0,0,5,5'");
    EXPECT_TRUE(p.drawnBefore.empty());
    EXPECT_STREQ(p.state.sName, L"b.png");
    EXPECT_TRUE(Equal(p.state.rcDest, RECT{10, 20, 15, 25}));
}

TEST(ImageDescription, MalformedItemEndsParsingKeepingWhatCameBefore) {
    EXPECT_TRUE(Equal(Parse(L"file='a.png'dest='0,0,5,5'").state.rcDest, kItem));
    EXPECT_STREQ(Parse(L"file='a.png' dest='0,0").state.sName, L"a.png");
    EXPECT_TRUE(Equal(Parse(L"file='a.png' dest='0,0").state.rcDest, kItem));
    EXPECT_STREQ(Parse(L"file=a.png").state.sName, L"file=a.png");
    EXPECT_TRUE(Equal(Parse(L"fade='9' dest = '1,1,2,2'").state.rcDest, RECT{11, 21, 12, 22}));
    EXPECT_EQ(Parse(L"file='a.png'  fade='9'").state.uFade, 9);  // blanks before a key
    EXPECT_EQ(Parse(L"file='a.png' ").state.uFade, 255);
}

TEST(ImageDescription, EmptyValuesAndUnknownKeysAreIgnored) {
    const Parsed p = Parse(L"file='' colour='red' fade='7'");
    EXPECT_STREQ(p.state.sName, L"file='' colour='red' fade='7'");
    EXPECT_EQ(p.state.uFade, 7);
}

TEST(ImageDescription, RectangleNumbersNeverReadPastTheText) {
    EXPECT_TRUE(Equal(CImageDescription::ParseRect(L"0, 0, 83, 83"), RECT{0, 0, 83, 83}));
    EXPECT_TRUE(Equal(CImageDescription::ParseRect(L"1,2"), RECT{1, 2, 0, 0}));
    EXPECT_TRUE(Equal(CImageDescription::ParseRect(L"7"), RECT{7, 0, 0, 0}));
    EXPECT_TRUE(Equal(CImageDescription::ParseRect(L""), RECT{0, 0, 0, 0}));
    EXPECT_TRUE(Equal(CImageDescription::ParseRect(L"-3,4,-5,6"), RECT{-3, 4, -5, 6}));
}

// ---- Drawing ----

class DrawImageString : public ::testing::Test {
protected:
    void SetUp() override {
        CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
        CPaintManagerUI::SetResourceZip(L"", false);
        CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
        folder_.Write(L"red.png", test::EncodePng(2, 2, std::vector<std::uint32_t>(4, 0xFFFF0000)));
        folder_.Write(L"half.png", test::EncodePng(2, 1, {0, 0xFF0000FF}));
        folder_.Write(L"magenta.png", test::EncodePng(2, 1, {0xFFFF00FF, 0xFF00FF00}));
    }
    void TearDown() override { CPaintManagerUI::SetResourcePath(L""); }
    bool Draw(const RECT& item, const wchar_t* image, const wchar_t* modify = nullptr) {
        return CRenderEngine::DrawImageString(canvas_.Dc(), &pm_, item, canvas_.Rect(), image, modify);
    }

    test::CScratchFolder folder_;
    CPaintManagerUI pm_;
    CCanvas canvas_{120, 120};
};

TEST_F(DrawImageString, ResourceFrameIsStretchedOverTheItem) {
    // Resource 163 holds a red then a blue 2 x 2 frame.
    EXPECT_TRUE(Draw(RECT{0, 0, 84, 84}, L"res='163' restype='png' source='2, 0, 4, 2'"));
    EXPECT_EQ(canvas_.Rgb(0, 0), 0x0000FFu);
    EXPECT_EQ(canvas_.Rgb(83, 83), 0x0000FFu);
    EXPECT_EQ(canvas_.Rgb(84, 84), 0xFFFFFFu);
    EXPECT_TRUE(Draw(RECT{0, 0, 84, 84}, L"res='163' restype='png' source='0,0,2,2'"));
    EXPECT_EQ(canvas_.Rgb(40, 40), 0xFF0000u);
    EXPECT_NE(pm_.GetImage(L"163"), nullptr);
}

TEST_F(DrawImageString, BareFileNameIsDrawnFromTheResourcePath) {
    EXPECT_TRUE(Draw(RECT{0, 0, 10, 10}, L"red.png"));
    EXPECT_EQ(canvas_.Rgb(5, 5), 0xFF0000u);
    EXPECT_NE(pm_.GetImage(L"red.png"), nullptr);
}

TEST_F(DrawImageString, DestBeyondTheItemStopsAtItsEdges) {
    EXPECT_TRUE(Draw(RECT{0, 0, 100, 100}, L"file='red.png' dest='10,10,200,200'"));
    EXPECT_EQ(canvas_.InkSpan(0xFFFFFF), std::make_pair(10, 100));
    EXPECT_EQ(canvas_.InkRows(0xFFFFFF), std::make_pair(10, 100));
}

TEST_F(DrawImageString, SourceLargerThanTheImageIsLimitedToIt) {
    // Limited to the 2 x 2 image, the source is the exact size of the dest.
    EXPECT_TRUE(Draw(RECT{0, 0, 2, 2}, L"file='red.png' source='0,0,50,50'"));
    EXPECT_EQ(canvas_.Rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(canvas_.Rgb(1, 1), 0xFF0000u);
}

TEST_F(DrawImageString, SecondFileIsDrawnOverTheFirstInTheSamePlace) {
    EXPECT_TRUE(Draw(RECT{0, 0, 20, 10}, L"file='red.png' file='half.png'"));
    EXPECT_EQ(canvas_.Rgb(2, 5), 0xFF0000u);   // red shows through half's clear pixel
    EXPECT_EQ(canvas_.Rgb(15, 5), 0x0000FFu);
}

TEST_F(DrawImageString, ModifyingTextChangesThePlacement) {
    EXPECT_TRUE(Draw(RECT{0, 0, 100, 100}, L"file='red.png'", L"dest='0,0,4,4'"));
    EXPECT_EQ(canvas_.InkSpan(0xFFFFFF), std::make_pair(0, 4));
}

TEST_F(DrawImageString, MaskAppliesOnTheFirstLoadOnly) {
    EXPECT_TRUE(Draw(RECT{0, 0, 2, 1}, L"file='magenta.png' mask='#FFFF00FF'"));
    EXPECT_EQ(canvas_.Rgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(canvas_.Rgb(1, 0), 0x00FF00u);
    // The image is cached with its mask; another mask changes nothing now.
    canvas_.Fill(0xFFFFFFFF);
    EXPECT_TRUE(Draw(RECT{0, 0, 2, 1}, L"file='magenta.png' mask='#FF00FF00'"));
    EXPECT_EQ(canvas_.Rgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(canvas_.Rgb(1, 0), 0x00FF00u);
}

TEST_F(DrawImageString, FadeBlendsTheImage) {
    EXPECT_TRUE(Draw(RECT{0, 0, 4, 4}, L"file='red.png' fade='128'"));
    EXPECT_TRUE(test::RgbNear(canvas_.Rgb(1, 1), 0xFF7F7F, 2)) << std::hex << canvas_.Rgb(1, 1);
}

TEST_F(DrawImageString, NothingOutsideThePaintRectangle) {
    EXPECT_TRUE(CRenderEngine::DrawImageString(canvas_.Dc(), &pm_, RECT{0, 0, 100, 100},
                                               RECT{200, 200, 300, 300}, L"red.png", nullptr));
    EXPECT_EQ(canvas_.InkWidth(0xFFFFFF), 0);
}

TEST_F(DrawImageString, MissingImageDrawsNothingButSucceeds) {
    EXPECT_TRUE(Draw(RECT{0, 0, 10, 10}, L"absent.png"));
    EXPECT_TRUE(Draw(RECT{0, 0, 10, 10}, L"res='999' restype='png'"));
    EXPECT_TRUE(Draw(RECT{0, 0, 10, 10}, L""));
    EXPECT_EQ(canvas_.InkWidth(0xFFFFFF), 0);
}

TEST_F(DrawImageString, RefusedWithoutAManagerOrDc) {
    EXPECT_FALSE(CRenderEngine::DrawImageString(canvas_.Dc(), nullptr, RECT{0, 0, 10, 10},
                                                canvas_.Rect(), L"red.png", nullptr));
    EXPECT_FALSE(CRenderEngine::DrawImageString(nullptr, &pm_, RECT{0, 0, 10, 10}, canvas_.Rect(),
                                                L"red.png", nullptr));
}

}  // namespace
}  // namespace Facet
