// Damaged images are refused with a null record and never crash the loader:
// empty and garbage files, every truncation of a PNG, impossible or huge
// declared dimensions, and deterministic byte mutations of every format.
#include <gtest/gtest.h>


#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"
#include "render_test_support.h"

namespace Facet {
namespace {

using test::Bytes;

class DamagedImages : public ::testing::Test {
protected:
    void SetUp() override {
        CPaintManagerUI::SetResourceZip(L"", false);
        CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    }
    void TearDown() override { CPaintManagerUI::SetResourcePath(L""); }

    // Loads the bytes as a file; true when a record came back. A record must
    // be a sane one: positive sides within the loader's limits.
    bool Loads(const Bytes& bytes) {
        folder_.Write(L"damaged.img", bytes);
        TImageInfo* image = CRenderEngine::LoadImageW(L"damaged.img");
        if (!image) return false;
        EXPECT_TRUE(image->hBitmap);
        EXPECT_GT(image->nX, 0);
        EXPECT_GT(image->nY, 0);
        EXPECT_LE(image->nX, 16384);
        EXPECT_LE(image->nY, 16384);
        CRenderEngine::FreeImage(image);
        return true;
    }

    static Bytes Fixture(const wchar_t* name) {
        const std::wstring path = std::wstring(L"" IMAGE_FIXTURE_DIR) + name;
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return Bytes();
        Bytes bytes(::GetFileSize(file, nullptr));
        DWORD read = 0;
        ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        ::CloseHandle(file);
        return bytes;
    }

    // A PNG whose header declares the given size, followed by a tiny IDAT.
    static Bytes PngDeclaring(std::uint32_t width, std::uint32_t height) {
        Bytes png = test::EncodePng(1, 1, {0xFF000000});
        // IHDR data starts after the 8-byte signature, length and type.
        for (int i = 0; i < 4; ++i) {
            png[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
            png[20 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
        }
        // stb checks the CRC of nothing, so the stale IHDR CRC is harmless.
        return png;
    }

    test::CScratchFolder folder_;
};

TEST_F(DamagedImages, EmptyFileIsRefused) { EXPECT_FALSE(Loads(Bytes())); }

TEST_F(DamagedImages, GarbageIsRefused) {
    EXPECT_FALSE(Loads(Bytes(1, 0x89)));
    EXPECT_FALSE(Loads(Bytes(4096, 0)));
    EXPECT_FALSE(Loads(Bytes(4096, 0xFF)));
    const char text[] = "<Window size=\"360,310\"></Window>";
    EXPECT_FALSE(Loads(Bytes(text, text + sizeof(text) - 1)));
}

TEST_F(DamagedImages, EveryTruncationOfAPngIsRefused) {
    std::vector<std::uint32_t> pixels(16 * 16);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u);
    const Bytes png = test::EncodePng(16, 16, pixels);
    ASSERT_TRUE(Loads(png));
    // Up to the end of the IDAT chunk's data; only the CRC and IEND may go.
    const size_t iendAndCrc = 12 + 4;
    for (size_t length = 0; length < png.size() - iendAndCrc; ++length) {
        EXPECT_FALSE(Loads(Bytes(png.begin(), png.begin() + length))) << "cut at " << length;
    }
}

TEST_F(DamagedImages, ZeroSizeIsRefused) {
    EXPECT_FALSE(Loads(PngDeclaring(0, 1)));
    EXPECT_FALSE(Loads(PngDeclaring(1, 0)));
}

TEST_F(DamagedImages, HugeDeclaredSizeIsRefusedBeforeDecoding) {
    EXPECT_FALSE(Loads(PngDeclaring(20000, 20000)));
    EXPECT_FALSE(Loads(PngDeclaring(0x7FFFFFFF, 1)));
    EXPECT_FALSE(Loads(PngDeclaring(0xFFFFFFFF, 0xFFFFFFFF)));
    // Within the side limit, beyond the pixel limit.
    EXPECT_FALSE(Loads(PngDeclaring(16000, 16000)));

    // A BMP header declaring 30000 x 30000 pixels over a few bytes.
    Bytes bmp = test::EncodeBmp24(1, 1, {0xFF000000});
    bmp[18] = 0x30;
    bmp[19] = 0x75;
    bmp[22] = 0x30;
    bmp[23] = 0x75;
    EXPECT_FALSE(Loads(bmp));

    // A TGA header declaring 65535 x 65535.
    Bytes tga = test::EncodeTga32(1, 1, {0xFF000000});
    tga[12] = tga[13] = tga[14] = tga[15] = 0xFF;
    EXPECT_FALSE(Loads(tga));
}

TEST_F(DamagedImages, UncompressedImagesCutShortAreReadNoFurtherThanTheirBytes) {
    // stb_image reads missing pixel bytes of BMP and TGA as zero rather than
    // failing: the result is the declared size, black where bytes are missing.
    Bytes bmp = test::EncodeBmp24(8, 8, std::vector<std::uint32_t>(64, 0xFF336699));
    bmp.resize(bmp.size() - 40);
    folder_.Write(L"cut.bmp", bmp);
    TImageInfo* image = CRenderEngine::LoadImageW(L"cut.bmp");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->nX, 8);
    EXPECT_EQ(image->nY, 8);
    EXPECT_EQ(test::BitmapPixel(image->hBitmap.Get(), 7, 7), 0xFF336699u);  // first row stored
    CRenderEngine::FreeImage(image);
}

// Each fixture with bytes overwritten at pseudo-random places: the loader
// either refuses it or makes a sane bitmap, and never crashes.
TEST_F(DamagedImages, MutatedImagesOfEveryFormatNeverCrash) {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (const wchar_t* name : {L"sample.png", L"sample.jpg", L"sample.gif", L"sample.bmp",
                                L"sample.tga", L"sample.psd", L"sample.hdr", L"sample.ppm",
                                L"sample.pgm"}) {
        const Bytes original = Fixture(name);
        ASSERT_FALSE(original.empty()) << "missing fixture";
        int refused = 0;
        for (int round = 0; round < 300; ++round) {
            Bytes mutated = original;
            const int edits = 1 + static_cast<int>(next() % 4);
            for (int e = 0; e < edits; ++e) {
                mutated[next() % mutated.size()] = static_cast<std::uint8_t>(next());
            }
            if (next() % 4 == 0) mutated.resize(next() % mutated.size());
            if (!Loads(mutated)) ++refused;
        }
        // Some damage is bound to be noticed.
        EXPECT_GT(refused, 0);
    }
}

}  // namespace
}  // namespace Facet
