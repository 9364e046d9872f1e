// CRenderEngine::LoadImageW: where the bytes come from (resources, files under
// the resource path, archive members, plain files), the 32-bit premultiplied
// bitmap it makes, the mask, every format stb_image decodes, and the refusal
// of damaged images.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"
#include "render_test_support.h"

namespace Facet {
namespace {

using test::Bytes;
using test::BitmapPixel;

struct ImageDeleter {
    void operator()(TImageInfo* image) const { CRenderEngine::FreeImage(image); }
};
using ImagePtr = std::unique_ptr<TImageInfo, ImageDeleter>;

ImagePtr Load(STRINGorID image, const wchar_t* type = nullptr, DWORD mask = 0) {
    return ImagePtr(CRenderEngine::LoadImageW(image, type, mask));
}

class ImageLoading : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        CPaintManagerUI::SetResourceZip(L"", false);
        CPaintManagerUI::SetResourcePath(L"");
        CPaintManagerUI::SetResourceDll(nullptr);
        CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    }
    // A one-pixel opaque PNG of the colour.
    static Bytes Dot(std::uint32_t argb) { return test::EncodePng(1, 1, {argb}); }

    test::CScratchFolder folder_;
};

TEST_F(ImageLoading, SemiTransparentPixelIsPremultipliedAndSetsTheAlphaFlag) {
    folder_.Write(L"alpha.png", test::EncodePng(2, 1, {0x80FF0000, 0xFF00FF00}));
    CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    ImagePtr image = Load(L"alpha.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->nX, 2);
    EXPECT_EQ(image->nY, 1);
    EXPECT_TRUE(image->alphaChannel);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 0), 0x80800000u);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 1, 0), 0xFF00FF00u);
}

TEST_F(ImageLoading, PremultiplicationTruncates) {
    // 200 * 3 / 255 = 2.35, 100 * 3 / 255 = 1.18, 84 * 3 / 255 = 0.99.
    folder_.Write(L"faint.png", test::EncodePng(1, 1, {0x03C86454}));
    ImagePtr image = Load((folder_.Path() + L"faint.png").c_str());
    ASSERT_TRUE(image);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 0), 0x03020100u);
}

TEST_F(ImageLoading, OpaqueImageKeepsTheAlphaFlagOff) {
    folder_.Write(L"opaque.png", test::EncodePng(2, 1, {0xFF102030, 0xFFFFFFFF}));
    ImagePtr image = Load((folder_.Path() + L"opaque.png").c_str());
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->alphaChannel);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 0), 0xFF102030u);
}

TEST_F(ImageLoading, BitmapIsA32BitTopDownDibSection) {
    folder_.Write(L"tall.png", test::EncodePng(1, 3, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF}));
    ImagePtr image = Load((folder_.Path() + L"tall.png").c_str());
    ASSERT_TRUE(image);
    DIBSECTION dib = {};
    ASSERT_EQ(::GetObjectW(image->hBitmap.Get(), sizeof(dib), &dib), int(sizeof(dib)));
    EXPECT_EQ(dib.dsBmih.biBitCount, 32);
    EXPECT_EQ(dib.dsBmih.biCompression, DWORD(BI_RGB));
    EXPECT_EQ(dib.dsBmih.biWidth, 1);
    // Wine reports the height without its sign; the rows in memory show the
    // order: the first is the top of the picture.
    EXPECT_EQ(std::abs(dib.dsBmih.biHeight), 3);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 0), 0xFFFF0000u);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 2), 0xFF0000FFu);
}

TEST_F(ImageLoading, OpaqueMaskColourBecomesTransparent) {
    folder_.Write(L"m.png", test::EncodePng(3, 1, {0xFFFF00FF, 0xFFFFFFFF, 0xFFFF00FF}));
    ImagePtr image = Load((folder_.Path() + L"m.png").c_str(), nullptr, 0xFFFF00FF);
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->alphaChannel);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 0), 0u);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 2, 0), 0u);
}

TEST_F(ImageLoading, MaskComparesThePremultipliedPixel) {
    // Magenta at alpha 0x80 is stored as 0x80800080: the opaque mask spares
    // it, the premultiplied value removes it.
    folder_.Write(L"m.png", test::EncodePng(1, 1, {0x80FF00FF}));
    const std::wstring path = folder_.Path() + L"m.png";
    ImagePtr spared = Load(path.c_str(), nullptr, 0xFFFF00FF);
    ASSERT_TRUE(spared);
    EXPECT_EQ(BitmapPixel(spared->hBitmap.Get(), 0, 0), 0x80800080u);
    ImagePtr removed = Load(path.c_str(), nullptr, 0x80800080);
    ASSERT_TRUE(removed);
    EXPECT_EQ(BitmapPixel(removed->hBitmap.Get(), 0, 0), 0u);
}

TEST_F(ImageLoading, MaskThatMatchesNothingLeavesAnOpaqueImageOpaque) {
    folder_.Write(L"m.png", Dot(0xFF123456));
    ImagePtr image = Load((folder_.Path() + L"m.png").c_str(), nullptr, 0xFFFF00FF);
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->alphaChannel);
}

// ---- Where the bytes come from ----

TEST_F(ImageLoading, NameIsLookedUpUnderTheResourcePathBeforeTheCurrentFolder) {
    test::CScratchFolder other;
    folder_.Write(L"dot.png", Dot(0xFFFF0000));
    other.Write(L"dot.png", Dot(0xFF0000FF));
    const CDuiString current = CPaintManagerUI::GetCurrentPath();
    CPaintManagerUI::SetCurrentPath(other.Path().c_str());

    CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    ImagePtr fromResourcePath = Load(L"dot.png");
    CPaintManagerUI::SetResourcePath(L"");
    ImagePtr fromCurrentFolder = Load(L"dot.png");
    CPaintManagerUI::SetCurrentPath(current);

    ASSERT_TRUE(fromResourcePath);
    ASSERT_TRUE(fromCurrentFolder);
    EXPECT_EQ(BitmapPixel(fromResourcePath->hBitmap.Get(), 0, 0), 0xFFFF0000u);
    EXPECT_EQ(BitmapPixel(fromCurrentFolder->hBitmap.Get(), 0, 0), 0xFF0000FFu);
}

TEST_F(ImageLoading, AbsolutePathIsReadWhenTheResourcePathHasNoSuchFile) {
    test::CScratchFolder other;
    const std::wstring path = other.Write(L"dot.png", Dot(0xFF00FF00));
    CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    ImagePtr image = Load(path.c_str());
    ASSERT_TRUE(image);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 0), 0xFF00FF00u);
}

TEST_F(ImageLoading, MissingFileGivesNull) {
    CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    EXPECT_FALSE(Load(L"absent.png"));
    EXPECT_FALSE(Load(L""));
    EXPECT_FALSE(Load(static_cast<const wchar_t*>(nullptr)));
}

TEST_F(ImageLoading, ArchiveMemberIsFoundWithoutCaseAndWithBackslashes) {
    const Bytes zip = test::MakeStoredZip(
        {{"readme.txt", Bytes{'h', 'i'}}, {"images/Red.png", Dot(0xFFFF0000)}});
    CPaintManagerUI::SetResourceZip(zip.data(), static_cast<unsigned>(zip.size()));
    ImagePtr image = Load(L"IMAGES\\red.PNG");
    ASSERT_TRUE(image);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 0), 0xFFFF0000u);
    // Not an image: found, but refused by the decoder.
    EXPECT_FALSE(Load(L"readme.txt"));
}

TEST_F(ImageLoading, UncachedArchiveIsOpenedForEachLoad) {
    folder_.Write(L"skin.zip", test::MakeStoredZip({{"blue.png", Dot(0xFF0000FF)}}));
    CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    CPaintManagerUI::SetResourceZip(L"skin.zip", false);
    ASSERT_EQ(CPaintManagerUI::GetResourceZipHandle(), nullptr);
    ImagePtr image = Load(L"blue.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 0), 0xFF0000FFu);
    // Nothing stays open: the archive file can be deleted at once.
    EXPECT_TRUE(::DeleteFileW((folder_.Path() + L"skin.zip").c_str()));
}

TEST_F(ImageLoading, MemberMissingFromTheArchiveFallsBackToThePlainFile) {
    test::CScratchFolder other;
    const std::wstring path = other.Write(L"dot.png", Dot(0xFF00FF00));
    const Bytes zip = test::MakeStoredZip({{"other.png", Dot(0xFFFF0000)}});
    CPaintManagerUI::SetResourceZip(zip.data(), static_cast<unsigned>(zip.size()));
    EXPECT_FALSE(Load(L"dot.png"));
    ImagePtr image = Load(path.c_str());
    ASSERT_TRUE(image);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 0), 0xFF00FF00u);
}

TEST_F(ImageLoading, ResourceIsFoundByNumberWithTheTypeInAnyCase) {
    ImagePtr upper = Load(163u, L"PNG");
    ImagePtr lower = Load(163u, L"png");
    ASSERT_TRUE(upper);
    ASSERT_TRUE(lower);
    EXPECT_EQ(upper->nX, 4);
    EXPECT_EQ(upper->nY, 2);
    EXPECT_FALSE(upper->alphaChannel);
    EXPECT_EQ(BitmapPixel(upper->hBitmap.Get(), 0, 0), 0xFFFF0000u);
    EXPECT_EQ(BitmapPixel(upper->hBitmap.Get(), 3, 1), 0xFF0000FFu);
}

TEST_F(ImageLoading, ResourcePixelIsPremultipliedToo) {
    ImagePtr image = Load(164u, L"png");
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->alphaChannel);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 0), 0x80800000u);
}

TEST_F(ImageLoading, ResourceIsFoundByName) {
    ImagePtr image = Load(L"LOGO", L"PNG");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->nX, 4);
}

TEST_F(ImageLoading, ResourcesComeFromTheResourceModule) {
    CPaintManagerUI::SetResourceDll(::GetModuleHandleW(L"kernel32.dll"));
    EXPECT_FALSE(Load(163u, L"png"));
    CPaintManagerUI::SetResourceDll(nullptr);
    EXPECT_TRUE(Load(163u, L"png"));
}

TEST_F(ImageLoading, MissingResourceGivesNull) {
    EXPECT_FALSE(Load(999u, L"png"));
    EXPECT_FALSE(Load(163u, L"gif"));
}

TEST_F(ImageLoading, ResourceNumberWithoutATypeNamesNothing) {
    CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    EXPECT_FALSE(Load(163u));
    const Bytes zip = test::MakeStoredZip({{"163", Dot(0xFFFF0000)}});
    CPaintManagerUI::SetResourceZip(zip.data(), static_cast<unsigned>(zip.size()));
    EXPECT_FALSE(Load(163u));
}

// ---- Every format stb_image decodes ----

class ImageFormats : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(ImageFormats, LeftHalfRedRightHalfBlue) {
    const std::wstring path = std::wstring(L"" IMAGE_FIXTURE_DIR) + GetParam();
    ImagePtr image = Load(path.c_str());
    ASSERT_TRUE(image) << "could not load " << testing::PrintToString(path);
    EXPECT_EQ(image->nX, 4);
    EXPECT_EQ(image->nY, 2);
    EXPECT_FALSE(image->alphaChannel);
    const std::uint32_t left = BitmapPixel(image->hBitmap.Get(), 0, 1);
    const std::uint32_t right = BitmapPixel(image->hBitmap.Get(), 3, 0);
    // JPEG is lossy; the others are exact.
    const int tolerance = std::wstring(GetParam()).find(L".jpg") != std::wstring::npos ? 24 : 0;
    EXPECT_TRUE(test::RgbNear(left, 0xFF0000, tolerance)) << std::hex << left;
    EXPECT_TRUE(test::RgbNear(right, 0x0000FF, tolerance)) << std::hex << right;
}

INSTANTIATE_TEST_SUITE_P(AllFormats, ImageFormats,
                         ::testing::Values(L"sample.png", L"sample.jpg", L"sample.gif",
                                           L"sample.bmp", L"sample.tga", L"sample.psd",
                                           L"sample.hdr", L"sample.ppm"));

TEST_F(ImageLoading, GreyImageDecodesToEqualChannels) {
    ImagePtr image = Load((std::wstring(L"" IMAGE_FIXTURE_DIR) + L"sample.pgm").c_str());
    ASSERT_TRUE(image);
    const std::uint32_t left = BitmapPixel(image->hBitmap.Get(), 0, 0);
    const std::uint32_t right = BitmapPixel(image->hBitmap.Get(), 3, 0);
    EXPECT_EQ(test::R(left), test::G(left));
    EXPECT_EQ(test::G(left), test::B(left));
    EXPECT_NE(left, right);
}

TEST_F(ImageLoading, GifTransparentColourBecomesTransparent) {
    ImagePtr image = Load((std::wstring(L"" IMAGE_FIXTURE_DIR) + L"gif_transparent.gif").c_str());
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->alphaChannel);
    EXPECT_EQ(BitmapPixel(image->hBitmap.Get(), 0, 0), 0xFF00FF00u);
    EXPECT_EQ(test::A(BitmapPixel(image->hBitmap.Get(), 1, 0)), 0);
}

TEST_F(ImageLoading, HandWrittenBmpAndTgaDecodeExactly) {
    const std::vector<std::uint32_t> pixels = {0xFF010203, 0xFFFDFEFF, 0xFF808080, 0xFF000000};
    folder_.Write(L"a.bmp", test::EncodeBmp24(2, 2, pixels));
    folder_.Write(L"a.tga", test::EncodeTga32(2, 2, {0x40FF0000, 0xFFFDFEFF, 0xFF808080, 0}));
    CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    ImagePtr bmp = Load(L"a.bmp");
    ImagePtr tga = Load(L"a.tga");
    ASSERT_TRUE(bmp);
    ASSERT_TRUE(tga);
    EXPECT_EQ(BitmapPixel(bmp->hBitmap.Get(), 0, 0), 0xFF010203u);
    EXPECT_EQ(BitmapPixel(bmp->hBitmap.Get(), 1, 1), 0xFF000000u);
    EXPECT_TRUE(tga->alphaChannel);
    EXPECT_EQ(BitmapPixel(tga->hBitmap.Get(), 0, 0), 0x40400000u);
    EXPECT_EQ(BitmapPixel(tga->hBitmap.Get(), 1, 1), 0u);
}

}  // namespace
}  // namespace Facet
