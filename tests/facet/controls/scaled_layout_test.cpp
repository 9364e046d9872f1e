// The skin's numbers at other screen scales: one tree laid out at each DPI of
// a table, checked against the 100 % numbers times the scale (floating
// placement, insets, child padding, paddings, fonts), again after a second
// layout (a control's own placement must not feed back and drift), and the
// smooth resampling that fills the scales without art of their own.
#include <windows.h>

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "facet/controls/button_ui.h"
#include "facet/controls/horizontal_layout_ui.h"
#include "facet/controls/label_ui.h"
#include "facet/controls/vertical_layout_ui.h"
#include "facet/render/image_resample.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

class ScaledLayoutTest : public UiWindowTest {};

TEST_F(ScaledLayoutTest, EveryNumberOfTheSkinIsScaledOnceAtEachDpi) {
    for (int dpi : {96, 120, 144, 168, 192}) {
        SCOPED_TRACE(dpi);
        pm->SetDPI(dpi);
        const CDpiScale s(dpi);
        auto* root = new CVerticalLayoutUI;
        root->ApplyAttributeList(L"inset=\"4,6,0,0\" childpadding=\"3\"");
        auto* top = new CLabelUI;
        top->ApplyAttributeList(L"height=\"20\" padding=\"5,0,0,0\" textpadding=\"2,0,2,0\"");
        root->Add(top);
        auto* row = new CHorizontalLayoutUI;
        row->ApplyAttributeList(L"height=\"100\"");
        root->Add(row);
        auto* floating = new CButtonUI;
        floating->ApplyAttributeList(
            L"float=\"true\" pos=\"117,7,0,0\" width=\"26\" height=\"26\"");
        row->Add(floating);
        Attach(root);
        const int font = static_cast<int>(pm->GetCustomFontCount());
        pm->AddFont(L"DejaVu Sans", 12, false, false, false);

        for (int pass = 0; pass < 2; ++pass) {
            // The test window keeps its pixel size; only the tree scales.
            const RECT expectedTop = {s.Scale(4) + s.Scale(5), s.Scale(6), kWidth,
                                      s.Scale(6) + s.Scale(20)};
            EXPECT_EQ(top->GetPos(), expectedTop);
            const int rowTop = s.Scale(6) + s.Scale(20) + s.Scale(3);
            EXPECT_EQ(row->GetPos().top, rowTop);
            EXPECT_EQ(row->GetHeight(), s.Scale(100));
            EXPECT_EQ(floating->GetPos(), (RECT{s.Scale(4) + s.Scale(117), rowTop + s.Scale(7),
                                                s.Scale(4) + s.Scale(117) + s.Scale(26),
                                                rowTop + s.Scale(7) + s.Scale(26)}));
            // The control keeps its markup numbers.
            EXPECT_EQ(floating->GetFixedXY().cx, 117);
            EXPECT_EQ(floating->GetFixedWidth(), 26);
            root->NeedUpdate();
            Repaint();
        }
        EXPECT_EQ(pm->GetFontInfo(font)->iSize, 12);
        EXPECT_GE(pm->GetFontInfo(font)->tm.tmHeight, s.Scale(12));
        pm->RemoveFontAt(font);
    }
}

TEST(ImageResample, AveragesWhenShrinkingAndBlendsWhenGrowing) {
    // Two opaque red pixels, then two opaque blue ones (0xAARRGGBB).
    const std::vector<std::uint32_t> pixels = {0xFFFF0000, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF};
    struct Row {
        int width;
        std::uint32_t first, last;
    };
    const Row rows[] = {
        {4, 0xFFFF0000, 0xFF0000FF},  // same size: untouched
        {2, 0xFFFF0000, 0xFF0000FF},  // halves: each colour alone
        {1, 0xFF800080, 0xFF800080},  // one pixel: the mix
        {8, 0xFFFF0000, 0xFF0000FF},  // doubled: the ends keep their colour
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.width);
        TImageInfo image;
        image.hBitmap.Reset(MakeDib32(4, 1, pixels));
        image.nX = 4;
        image.nY = 1;
        ASSERT_TRUE(CImageResample::ResizeTo(image, row.width, 1));
        EXPECT_EQ(image.nX, row.width);
        DIBSECTION dib = {};
        ASSERT_EQ(::GetObjectW(image.hBitmap.Get(), sizeof(dib), &dib),
                  static_cast<int>(sizeof(dib)));
        const auto* out = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
        EXPECT_EQ(out[0], row.first) << std::hex << out[0];
        EXPECT_EQ(out[row.width - 1], row.last) << std::hex << out[row.width - 1];
        EXPECT_FALSE(image.alphaChannel);
    }
    TImageInfo empty;
    EXPECT_FALSE(CImageResample::ResizeTo(empty, 2, 2));
}

}  // namespace
}  // namespace test
}  // namespace Facet
