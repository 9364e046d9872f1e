// The label: its attributes (alignment words, colours, padding, effect
// settings), its natural size, the default colours it takes at the first
// paint, where its text lands, and the GDI+ effect path.
#include <windows.h>

#include <gtest/gtest.h>

#include "facet/controls/button_ui.h"
#include "facet/controls/container_ui.h"
#include "facet/controls/label_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFu;

TEST(LabelAttributes, AlignWordsSetTheirFlags) {
    CLabelUI label;
    EXPECT_EQ(label.GetTextStyle(), static_cast<UINT>(DT_VCENTER));
    label.SetAttribute(L"align", L"center");
    EXPECT_EQ(label.GetTextStyle(), static_cast<UINT>(DT_VCENTER | DT_CENTER));
    label.SetAttribute(L"align", L"right");
    EXPECT_EQ(label.GetTextStyle(), static_cast<UINT>(DT_RIGHT));
    label.SetAttribute(L"align", L"bottom");
    EXPECT_EQ(label.GetTextStyle(), static_cast<UINT>(DT_RIGHT | DT_BOTTOM | DT_SINGLELINE));
    label.SetAttribute(L"align", L"left");
    EXPECT_EQ(label.GetTextStyle(), static_cast<UINT>(DT_BOTTOM));
    label.SetAttribute(L"align", L"top");
    EXPECT_EQ(label.GetTextStyle(), static_cast<UINT>(DT_SINGLELINE));
    // "vcenter" holds "center": it always centres horizontally too.
    label.SetAttribute(L"align", L"vcenter");
    EXPECT_EQ(label.GetTextStyle(),
              static_cast<UINT>(DT_CENTER | DT_VCENTER | DT_SINGLELINE));
    // Words apply in a fixed order (left, center, right, top, vcenter,
    // bottom), not in the order written.
    label.SetAttribute(L"align", L"vcenter right");
    EXPECT_EQ(label.GetTextStyle(),
              static_cast<UINT>(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_SINGLELINE));
    label.SetAttribute(L"align", L"nowhere");
    EXPECT_EQ(label.GetTextStyle(),
              static_cast<UINT>(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_SINGLELINE));
    label.SetAttribute(L"endellipsis", L"true");
    EXPECT_TRUE(label.GetTextStyle() & DT_END_ELLIPSIS);
    label.SetAttribute(L"endellipsis", L"yes");
    EXPECT_FALSE(label.GetTextStyle() & DT_END_ELLIPSIS);
}

TEST(LabelAttributes, ValuesAreReadAsTheirKinds) {
    CLabelUI label;
    label.SetAttribute(L"textcolor", L"#FF112233");
    label.SetAttribute(L"disabledtextcolor", L"80AABBCC");  // the '#' is optional
    label.SetAttribute(L"textpadding", L"1, 2,3");             // missing values read 0
    label.SetAttribute(L"textshadowcolorb", L"#00000000");
    EXPECT_EQ(label.GetTextColor(), 0xFF112233u);
    EXPECT_EQ(label.GetDisabledTextColor(), 0x80AABBCCu);
    EXPECT_EQ(label.GetTextPadding(), (RECT{1, 2, 3, 0}));
    EXPECT_EQ(label.GetTextShadowColorB(), 0u);
    EXPECT_EQ(label.GetTransShadow(), 60);
    // Not the label's: the base's.
    label.SetAttribute(L"text", L"hello");
    EXPECT_EQ(label.GetText(), L"hello");
    EXPECT_EQ(label.GetInterface(L"Label"), &label);
    EXPECT_EQ(label.GetInterface(L"Button"), nullptr);
}

TEST(LabelAttributes, AnUnknownRenderingHintBecomesTheDefault) {
    CLabelUI label;
    label.SetAttribute(L"rhaa", L"4");
    EXPECT_EQ(label.GetTextRenderingHintAntiAlias(), 4);
    label.SetAttribute(L"rhaa", L"9");
    EXPECT_EQ(label.GetTextRenderingHintAntiAlias(), 0);
    label.SetTextRenderingHintAntiAlias(-1);
    EXPECT_EQ(label.GetTextRenderingHintAntiAlias(), 0);
}

TEST(LabelAttributes, ShadowOffsetDependsOnOffsetAndAngleOnly) {
    CLabelUI label;
    auto offset = [&label](const wchar_t* value) {
        label.SetAttribute(L"shadowoffset", value);
        const Gdiplus::RectF rc = label.GetShadowOffset();
        return std::make_pair(rc.X, rc.Y);
    };
    EXPECT_EQ(offset(L"2,45"), std::make_pair(-2.0f, -2.0f));
    EXPECT_EQ(offset(L"2,120"), std::make_pair(-2.0f, 2.0f));
    EXPECT_EQ(offset(L"2,-45"), std::make_pair(2.0f, -2.0f));
    EXPECT_EQ(offset(L"2,-90"), std::make_pair(2.0f, 0.0f));
    EXPECT_EQ(offset(L"2,-180"), std::make_pair(0.0f, 2.0f));
    // Out of range: nothing changes.
    EXPECT_EQ(offset(L"5,181"), std::make_pair(0.0f, 2.0f));
    EXPECT_EQ(offset(L"5,-181"), std::make_pair(0.0f, 2.0f));
    // Where the label sits when the offset is set plays no part.
    label.SetPos(RECT{100, 50, 200, 80});
    EXPECT_EQ(offset(L"3,45"), std::make_pair(-3.0f, -3.0f));
}

TEST(LabelAttributes, EffectTextIsKeptApartFromThePlainText) {
    CLabelUI label;
    label.SetText(L"plain");
    label.SetAttribute(L"enabledeffect", L"true");
    EXPECT_EQ(label.GetText(), L"");
    label.SetText(L"glow");
    EXPECT_EQ(label.GetText(), L"glow");
    label.SetEnabledEffect(false);
    EXPECT_EQ(label.GetText(), L"plain");
}

class LabelPaintTest : public UiWindowTest {
protected:
    void SetUp() override {
        UiWindowTest::SetUp();
        root = new CContainerUI;
        root->SetBkColor(0xFFFFFFFF);
        Attach(root);
    }
    // A floating label at (x, y) of w × h, in a bold font whose strokes
    // hold pixels of the exact text colour.
    template <class T = CLabelUI>
    T* Place(int x, int y, int w, int h, const wchar_t* text) {
        if (boldFont < 0) {
            boldFont = static_cast<int>(pm->GetCustomFontCount());
            pm->AddFont(L"DejaVu Sans", 20, true, false, false);
        }
        auto* label = new T;
        label->SetFont(boldFont);
        label->SetFloat(true);
        label->SetFixedXY(SIZE{x, y});
        label->SetFixedWidth(w);
        label->SetFixedHeight(h);
        label->SetText(text);
        root->Add(label);
        return label;
    }
    // The bounding box of pixels that differ from white within rc.
    static RECT Ink(const CCanvas& canvas, RECT rc) {
        RECT ink = {rc.right, rc.bottom, rc.left, rc.top};
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) {
                if (canvas.Rgb(x, y) == kWhite) continue;
                ink.left = std::min<LONG>(ink.left, x);
                ink.top = std::min<LONG>(ink.top, y);
                ink.right = std::max<LONG>(ink.right, x + 1);
                ink.bottom = std::max<LONG>(ink.bottom, y + 1);
            }
        }
        return ink;
    }
    // Whether some pixel in rc is close to the colour.
    static bool HasColor(const CCanvas& canvas, RECT rc, std::uint32_t rgb, int tolerance = 40) {
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) {
                if (RgbNear(canvas.Rgb(x, y), rgb, tolerance)) return true;
            }
        }
        return false;
    }
    CContainerUI* root = nullptr;
    int boldFont = -1;
};

TEST_F(LabelPaintTest, NaturalHeightIsTheFontsHeightPlusFour) {
    auto* label = new CLabelUI;
    auto* button = new CButtonUI;
    root->Add(label);
    root->Add(button);
    const int text = pm->GetDefaultFontInfo()->tm.tmHeight;
    EXPECT_EQ(label->EstimateSize(SIZE{100, 100}).cy, text + 4);
    EXPECT_EQ(button->EstimateSize(SIZE{100, 100}).cy, text + 8);
    label->SetFixedWidth(70);
    EXPECT_EQ(label->EstimateSize(SIZE{100, 100}).cx, 70);
    label->SetFont(-1);
    EXPECT_EQ(label->EstimateSize(SIZE{100, 100}).cy, text + 4);
    label->SetFont(42);  // no such font: the default
    EXPECT_EQ(label->EstimateSize(SIZE{100, 100}).cy, text + 4);
    const int big = static_cast<int>(pm->GetCustomFontCount());
    pm->AddFont(L"DejaVu Sans", 40, false, false, false);
    label->SetFont(big);
    EXPECT_EQ(label->EstimateSize(SIZE{100, 100}).cy, pm->GetFontInfo(big)->tm.tmHeight + 4);
    label->SetFixedHeight(9);
    EXPECT_EQ(label->EstimateSize(SIZE{100, 100}).cy, 9);
    CLabelUI loose;  // no manager to measure with
    EXPECT_EQ(loose.EstimateSize(SIZE{100, 100}).cy, 0);
}

TEST_F(LabelPaintTest, WithoutColoursTheManagersDefaultsAreTakenAtTheFirstPaint) {
    auto* label = Place(10, 10, 100, 30, L"Default");
    EXPECT_EQ(label->GetTextColor(), 0u);
    pm->SetDefaultFontColor(0xFF123456);
    pm->SetDefaultDisabledColor(0xFF654321);
    Repaint();
    Snapshot();
    EXPECT_EQ(label->GetTextColor(), 0xFF123456u);
    EXPECT_EQ(label->GetDisabledTextColor(), 0xFF654321u);
    pm->SetDefaultFontColor(0xFF000000);
    Repaint();
    EXPECT_EQ(label->GetTextColor(), 0xFF123456u);
}

TEST_F(LabelPaintTest, CentredTextIsOneCentredLine) {
    auto* label = Place(40, 40, 200, 60, L"Middle");
    label->SetAttribute(L"align", L"center");
    label->SetTextColor(0xFFFF0000);
    auto canvas = Snapshot();
    const RECT ink = Ink(*canvas, label->GetPos());
    ASSERT_LT(ink.left, ink.right);
    // Centred within a couple of pixels both ways.
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 140.0, 3.0);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 70.0, 4.0);
    EXPECT_TRUE(HasColor(*canvas, ink, 0xFF0000));
}

TEST_F(LabelPaintTest, PaddingAndAlignmentMoveTheText) {
    auto* left = Place(10, 10, 200, 30, L"Left");
    left->SetTextPadding(RECT{30, 0, 0, 0});
    auto* right = Place(10, 50, 200, 30, L"Right");
    right->SetAttribute(L"align", L"right");
    right->SetTextPadding(RECT{0, 0, 20, 0});
    auto canvas = Snapshot();
    const RECT leftInk = Ink(*canvas, left->GetPos());
    const RECT rightInk = Ink(*canvas, right->GetPos());
    EXPECT_GE(leftInk.left, 40);
    EXPECT_LE(leftInk.left, 43);
    EXPECT_LE(rightInk.right, 190);
    EXPECT_GE(rightInk.right, 186);
}

TEST_F(LabelPaintTest, ADisabledLabelUsesItsDisabledColour) {
    auto* label = Place(10, 10, 150, 30, L"Greyed");
    label->SetTextColor(0xFFFF0000);
    label->SetDisabledTextColor(0xFF0000FF);
    label->SetEnabled(false);
    auto canvas = Snapshot();
    const RECT ink = Ink(*canvas, label->GetPos());
    EXPECT_TRUE(HasColor(*canvas, ink, 0x0000FF));
    EXPECT_FALSE(HasColor(*canvas, ink, 0xFF0000));
}

TEST_F(LabelPaintTest, HtmlTextIsDrawnWithItsTags) {
    auto* label = Place(10, 10, 200, 30, L"<c #FF00FF00>green</c>");
    label->SetShowHtml(true);
    auto canvas = Snapshot();
    const RECT ink = Ink(*canvas, label->GetPos());
    ASSERT_LT(ink.left, ink.right);
    EXPECT_TRUE(HasColor(*canvas, ink, 0x00FF00));
    // The tag itself is not shown as text: the ink is about five letters wide.
    EXPECT_LT(ink.right - ink.left, 60);
}

TEST_F(LabelPaintTest, EffectsDrawTheEffectTextWithShadowAndOutline) {
    auto* label = Place(20, 20, 220, 60, L"");
    label->SetAttribute(L"enabledeffect", L"true");
    label->SetText(L"Effect");
    label->SetTextColor(0xFF0000FF);
    label->SetAttribute(L"transtext", L"255");
    label->SetAttribute(L"transtext1", L"255");
    auto canvas = Snapshot();
    const RECT plain = Ink(*canvas, label->GetPos());
    ASSERT_LT(plain.left, plain.right) << "the GDI+ path drew nothing";
    EXPECT_TRUE(HasColor(*canvas, plain, 0x0000FF));
    EXPECT_FALSE(HasColor(*canvas, plain, 0xFF0000));

    label->SetAttribute(L"enabledstroke", L"true");
    label->SetAttribute(L"strokecolor", L"#FFFF0000");
    label->SetAttribute(L"enabledshadow", L"true");
    label->SetAttribute(L"textshadowcolora", L"#FF00C000");
    label->SetAttribute(L"transshadow", L"255");
    label->SetAttribute(L"transshadow1", L"255");
    label->SetAttribute(L"shadowoffset", L"4,-120");  // right and down
    label->Invalidate();
    canvas = Snapshot();
    const RECT styled = Ink(*canvas, label->GetPos());
    EXPECT_TRUE(HasColor(*canvas, styled, 0xFF0000, 60));  // outline
    EXPECT_TRUE(HasColor(*canvas, styled, 0x00C000, 60));  // shadow
    // The shadow lies 4 pixels right of and below the text.
    EXPECT_GE(styled.right, plain.right + 3);
    EXPECT_GE(styled.bottom, plain.bottom + 3);
}

// GDI+ refuses a family that is not installed when asked by name (under Wine
// "Tahoma"); the effect path goes through GDI's font, which GDI substitutes,
// so the text still shows.
TEST_F(LabelPaintTest, EffectsUseTheFontGdiSubstitutesForAMissingFace) {
    const int tahoma = static_cast<int>(pm->GetCustomFontCount());
    pm->AddFont(L"Tahoma", 20, true, false, false);
    auto* label = Place(20, 20, 200, 40, L"");
    label->SetFont(tahoma);
    label->SetEnabledEffect(true);
    label->SetText(L"Substituted");
    label->SetTextColor(0xFF0000FF);
    label->SetTransText(255);
    label->SetTransText1(255);
    auto canvas = Snapshot();
    const RECT ink = Ink(*canvas, label->GetPos());
    ASSERT_LT(ink.left, ink.right);
    EXPECT_GT(ink.right - ink.left, 60);
}

TEST_F(LabelPaintTest, EffectsWithoutTextOrRoomDrawNothing) {
    auto* empty = Place(20, 20, 100, 30, L"");
    empty->SetEnabledEffect(true);
    auto* flat = Place(20, 80, 100, 0, L"");
    flat->SetEnabledEffect(true);
    flat->SetText(L"flat");
    auto canvas = Snapshot();
    const RECT ink = Ink(*canvas, RECT{0, 0, kWidth, kHeight});
    EXPECT_GE(ink.left, ink.right);
}

}  // namespace
}  // namespace test
}  // namespace Facet
