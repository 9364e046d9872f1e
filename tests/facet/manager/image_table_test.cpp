// A paint manager's image table: adding by resource number or file name,
// first entry wins, bitmaps made elsewhere, removal, reloading in place, and
// the fall-back along the parent-resource chain.
#include <gtest/gtest.h>

#include "facet/manager/paint_manager_ui.h"
#include "render_test_support.h"

namespace Facet {
namespace {

using test::BitmapPixel;

class ImageTable : public ::testing::Test {
protected:
    void SetUp() override {
        CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
        CPaintManagerUI::SetResourceZip(L"", false);
        CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    }
    void TearDown() override { CPaintManagerUI::SetResourcePath(L""); }

    void WriteDot(const wchar_t* name, std::uint32_t argb, int width = 1) {
        folder_.Write(name, test::EncodePng(width, 1, std::vector<std::uint32_t>(width, argb)));
    }
    static HBITMAP MakeBitmap() { return ::CreateBitmap(2, 2, 1, 32, nullptr); }
    static bool IsBitmap(HBITMAP bitmap) {
        BITMAP info = {};
        return ::GetObjectW(bitmap, sizeof(info), &info) == sizeof(info);
    }

    test::CScratchFolder folder_;
    CPaintManagerUI pm_;
};

TEST_F(ImageTable, TypedNameIsTheResourceNumber) {
    const TImageInfo* image = pm_.AddImage(L"163", L"png", 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->nX, 4);
    EXPECT_STREQ(image->sResType, L"png");
    EXPECT_EQ(image->dwMask, 0u);
    EXPECT_EQ(pm_.GetImage(L"163"), image);
}

TEST_F(ImageTable, FirstEntryOfANameStays) {
    const TImageInfo* first = pm_.AddImage(L"163", L"png", 0);
    ASSERT_NE(first, nullptr);
    const HBITMAP bitmap = first->hBitmap.Get();
    EXPECT_EQ(pm_.AddImage(L"163", L"png", 0xFFFF0000), first);
    EXPECT_EQ(pm_.GetImage(L"163"), first);
    EXPECT_EQ(first->hBitmap.Get(), bitmap);
    EXPECT_EQ(first->dwMask, 0u);
}

TEST_F(ImageTable, TypedNameMustBeginWithADigit) {
    EXPECT_EQ(pm_.AddImage(L"logo", L"png", 0), nullptr);
    EXPECT_EQ(pm_.AddImage(L"", L"png", 0), nullptr);
    EXPECT_EQ(pm_.AddImage(L" 163", L"png", 0), nullptr);
    EXPECT_EQ(pm_.GetImage(L"logo"), nullptr);
}

TEST_F(ImageTable, LeadingNumberOfATypedNameIsTheIdAndTheWholeNameIsTheKey) {
    const TImageInfo* image = pm_.AddImage(L"164.png", L"PNG", 0);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->alphaChannel);
    EXPECT_EQ(pm_.GetImage(L"164.png"), image);
    EXPECT_EQ(pm_.GetImage(L"164"), nullptr);
    // 65699 cut to 16 bits is 163.
    const TImageInfo* wrapped = pm_.AddImage(L"65699", L"png", 0);
    ASSERT_NE(wrapped, nullptr);
    EXPECT_EQ(wrapped->nX, 4);
}

TEST_F(ImageTable, MaskIsAppliedAndRecorded) {
    const TImageInfo* image = pm_.AddImage(L"165", L"png", 0xFFFF00FF);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->dwMask, 0xFFFF00FFu);
    EXPECT_TRUE(image->alphaChannel);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 0), 0u);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 1, 0), 0xFFFFFFFFu);
}

TEST_F(ImageTable, FileImageHasNoType) {
    WriteDot(L"dot.png", 0xFF00FF00);
    const TImageInfo* image = pm_.AddImage(L"dot.png");
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->sResType.IsEmpty());
    EXPECT_EQ(pm_.GetImage(L"dot.png"), image);
    EXPECT_EQ(pm_.GetImage(L"DOT.PNG"), image);  // case folds, as in file names
}

TEST_F(ImageTable, OneFileUnderManySpellingsIsDecodedOnce) {
    WriteDot(L"big.png", 0xFF0000FF, 4096);
    const TImageInfo* image = pm_.AddImage(L"big.png");
    ASSERT_NE(image, nullptr);
    const wchar_t* spellings[] = {L".\\big.png", L".\\.\\big.png", L"./big.png", L"./.\\BIG.png",
                                  L"Big.PNG"};
    for (const wchar_t* name : spellings) {
        EXPECT_EQ(pm_.GetImage(name), image) << name;
        EXPECT_EQ(pm_.GetImageEx(name, nullptr, 0), image) << name;
        EXPECT_EQ(pm_.AddImage(name), image) << name;
    }
    // A real step up or another file is another name.
    EXPECT_EQ(pm_.GetImage(L"..\\big.png"), nullptr);
    EXPECT_EQ(pm_.GetImage(L"ig.png"), nullptr);
    EXPECT_TRUE(pm_.RemoveImage(L".\\BIG.PNG"));
    EXPECT_EQ(pm_.GetImage(L"big.png"), nullptr);
}

TEST_F(ImageTable, FailedLoadAddsNothing) {
    EXPECT_EQ(pm_.AddImage(L"absent.png"), nullptr);
    EXPECT_EQ(pm_.AddImage(L"999", L"png", 0), nullptr);
    EXPECT_EQ(pm_.AddImage(nullptr), nullptr);
    EXPECT_EQ(pm_.GetImage(L"absent.png"), nullptr);
}

TEST_F(ImageTable, BitmapMadeElsewhereIsTaken) {
    const HBITMAP bitmap = MakeBitmap();
    const TImageInfo* image = pm_.AddImage(L"made", bitmap, 2, 2, true);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->hBitmap.Get(), bitmap);
    EXPECT_TRUE(image->alphaChannel);
    EXPECT_TRUE(image->sResType.IsEmpty());
    EXPECT_EQ(image->dwMask, 0u);
    EXPECT_TRUE(pm_.RemoveImage(L"made"));
    EXPECT_FALSE(IsBitmap(bitmap));  // the table deleted it
}

TEST_F(ImageTable, RefusedBitmapStaysWithTheCaller) {
    const HBITMAP bitmap = MakeBitmap();
    EXPECT_EQ(pm_.AddImage(L"made", static_cast<HBITMAP>(nullptr), 2, 2, false), nullptr);
    EXPECT_EQ(pm_.AddImage(L"made", bitmap, 0, 2, false), nullptr);
    EXPECT_EQ(pm_.AddImage(L"made", bitmap, 2, -1, false), nullptr);
    ASSERT_NE(pm_.AddImage(L"163", L"png", 0), nullptr);
    EXPECT_EQ(pm_.AddImage(L"163", bitmap, 2, 2, false), nullptr);
    EXPECT_TRUE(IsBitmap(bitmap));
    ::DeleteObject(bitmap);
}

TEST_F(ImageTable, RemoveImageFreesOnlyThatEntry) {
    ASSERT_NE(pm_.AddImage(L"163", L"png", 0), nullptr);
    ASSERT_NE(pm_.AddImage(L"164", L"png", 0), nullptr);
    const HBITMAP bitmap = pm_.GetImage(L"163")->hBitmap.Get();
    EXPECT_TRUE(pm_.RemoveImage(L"163"));
    EXPECT_FALSE(IsBitmap(bitmap));
    EXPECT_EQ(pm_.GetImage(L"163"), nullptr);
    EXPECT_NE(pm_.GetImage(L"164"), nullptr);
    EXPECT_FALSE(pm_.RemoveImage(L"163"));
    EXPECT_FALSE(pm_.RemoveImage(nullptr));
}

TEST_F(ImageTable, RemoveAllImagesFreesEveryBitmap) {
    std::vector<HBITMAP> bitmaps;
    for (int i = 0; i < 40; ++i) {
        const std::wstring name = L"made" + std::to_wstring(i);
        const HBITMAP bitmap = MakeBitmap();
        ASSERT_NE(pm_.AddImage(name.c_str(), bitmap, 2, 2, false), nullptr);
        bitmaps.push_back(bitmap);
        // Look-ups reorder chains; the removal walk must still see each once.
        pm_.GetImage(L"made0");
    }
    pm_.RemoveAllImages();
    for (HBITMAP bitmap : bitmaps) EXPECT_FALSE(IsBitmap(bitmap));
    EXPECT_EQ(pm_.GetImage(L"made0"), nullptr);
}

TEST_F(ImageTable, DestroyingTheManagerFreesItsImages) {
    HBITMAP bitmap = MakeBitmap();
    {
        CPaintManagerUI pm;
        ASSERT_NE(pm.AddImage(L"made", bitmap, 2, 2, false), nullptr);
    }
    EXPECT_FALSE(IsBitmap(bitmap));
}

TEST_F(ImageTable, GetImageExLoadsIntoThisManagerOnly) {
    WriteDot(L"dot.png", 0xFF00FF00);
    CPaintManagerUI parent;
    ASSERT_TRUE(pm_.UseParentResource(&parent));
    const TImageInfo* image = pm_.GetImageEx(L"dot.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pm_.GetImageEx(L"dot.png"), image);
    EXPECT_EQ(parent.GetImage(L"dot.png"), nullptr);
    EXPECT_EQ(pm_.GetImageEx(L"163", L"png", 0)->nX, 4);
    EXPECT_EQ(pm_.GetImageEx(L"absent.png"), nullptr);
}

TEST_F(ImageTable, GetImageFallsBackAlongTheParentChain) {
    CPaintManagerUI grandparent;
    CPaintManagerUI parent;
    ASSERT_TRUE(parent.UseParentResource(&grandparent));
    ASSERT_TRUE(pm_.UseParentResource(&parent));
    const TImageInfo* image = grandparent.AddImage(L"163", L"png", 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pm_.GetImage(L"163"), image);
    // The manager's own entry comes first.
    const TImageInfo* own = pm_.AddImage(L"163", L"png", 0);
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, image);
    EXPECT_EQ(pm_.GetImage(L"163"), own);
    // Removal and GetImageEx look at the manager's own table only.
    EXPECT_TRUE(pm_.RemoveImage(L"163"));
    EXPECT_FALSE(pm_.RemoveImage(L"163"));
    EXPECT_EQ(pm_.GetImage(L"163"), image);
}

TEST_F(ImageTable, ReloadTakesTheNewBitmapInPlace) {
    WriteDot(L"dot.png", 0xFFFF0000);
    const TImageInfo* image = pm_.AddImage(L"dot.png", nullptr, 0xFF0000FF);
    ASSERT_NE(image, nullptr);
    const TImageInfo* resource = pm_.AddImage(L"165", L"png", 0xFFFF00FF);
    ASSERT_NE(resource, nullptr);
    const HBITMAP old = image->hBitmap.Get();

    // The file now holds three pixels, one of them the mask colour.
    folder_.Write(L"dot.png", test::EncodePng(3, 1, {0xFF00FF00, 0xFF0000FF, 0xFF00FF00}));
    pm_.ReloadAllImages();
    EXPECT_EQ(pm_.GetImage(L"dot.png"), image);
    EXPECT_FALSE(IsBitmap(old));
    EXPECT_EQ(image->nX, 3);
    EXPECT_TRUE(image->alphaChannel);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 1, 0), 0u);
    EXPECT_EQ(image->dwMask, 0xFF0000FFu);
    // The resource image reloads with its type and mask.
    EXPECT_EQ(resource->nX, 3);
    EXPECT_STREQ(resource->sResType, L"png");
    EXPECT_EQ(BitmapPixel(resource->hBitmap.Get(), 0, 0), 0u);
}

TEST_F(ImageTable, ImageThatNoLongerLoadsKeepsItsBitmap) {
    WriteDot(L"dot.png", 0xFFFF0000, 2);
    const TImageInfo* image = pm_.AddImage(L"dot.png");
    ASSERT_NE(image, nullptr);
    const HBITMAP bitmap = image->hBitmap.Get();
    ASSERT_TRUE(::DeleteFileW((folder_.Path() + L"dot.png").c_str()));
    pm_.ReloadAllImages();
    EXPECT_EQ(image->hBitmap.Get(), bitmap);
    EXPECT_EQ(image->nX, 2);
    EXPECT_TRUE(IsBitmap(bitmap));
}

TEST_F(ImageTable, ReloadSkinReachesEveryLiveManager) {
    HWND window = ::CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    {
        CPaintManagerUI live;
        live.Init(window);
        EXPECT_NE(live.GetPaintDC(), nullptr);
        WriteDot(L"dot.png", 0xFFFF0000);
        const TImageInfo* image = live.AddImage(L"dot.png");
        ASSERT_NE(image, nullptr);
        WriteDot(L"dot.png", 0xFF0000FF, 5);
        CPaintManagerUI::ReloadSkin();
        EXPECT_EQ(image->nX, 5);
    }
    // The destroyed manager left the list: reloading again touches nothing.
    CPaintManagerUI::ReloadSkin();
    ::DestroyWindow(window);
}

}  // namespace
}  // namespace Facet
