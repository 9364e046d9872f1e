// The option beyond what the skin test shows: group membership as the manager
// comes and goes, the selected faces and text colour, and what disabling
// keeps.
#include <windows.h>

#include <gtest/gtest.h>

#include "facet/controls/container_ui.h"
#include "facet/controls/option_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

constexpr std::uint32_t kFace = 0xA0B0C0, kSelectedFill = 0x30A030, kSelectedHot = 0xE0A020;
constexpr std::uint32_t kFore = 0x000000;

class OptionTest : public UiWindowTest {
protected:
    // Options 100 × 30 in a column at x 20, the first at y 20.
    void SetUp() override {
        UiWindowTest::SetUp();
        AddSolidImage(*pm, L"face", 0xFF000000 | kFace);
        AddSolidImage(*pm, L"hot", 0xFF000000 | kSelectedHot);
        AddSolidImage(*pm, L"fore", 0xFF000000 | kFore);
        root = new CContainerUI;
        root->SetBkColor(0xFFFFFFFF);
        for (int i = 0; i < 3; ++i) options[i] = Place(20 + 40 * i, L"g");
        Attach(root);
        notes.Clear();
    }
    COptionUI* Place(int y, const wchar_t* group) {
        auto* option = new COptionUI;
        option->ApplyAttributeList(L"float=\"true\" pos=\"20,0,120,30\" normalimage=\"face\"");
        option->SetFixedXY(SIZE{20, y});
        option->SetGroup(group);
        root->Add(option);
        return option;
    }
    std::uint32_t At(COptionUI* option, int x, int y) {
        return Snapshot()->Rgb(option->GetPos().left + x, option->GetPos().top + y);
    }
    // Whether a pixel of exactly this colour lies inside the option.
    bool Shows(COptionUI* option, std::uint32_t rgb) {
        auto canvas = Snapshot();
        const RECT& rc = option->GetPos();
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) n += canvas->Rgb(x, y) == rgb ? 1 : 0;
        }
        return n > 0;
    }

    CContainerUI* root = nullptr;
    COptionUI* options[3] = {};
};

TEST_F(OptionTest, GroupMembershipFollowsTheManagerAndTheGroupName) {
    COptionUI loose;  // no manager: nobody to tell or deselect, no default colour
    loose.SetGroup(L"g");
    loose.Selected(true);
    EXPECT_EQ(loose.GetSelectedTextColor(), 0u);

    options[0]->Selected(true);
    auto* late = new COptionUI;
    late->SetFloat(true);  // of no size, out of the mouse's way
    late->SetGroup(L"g");
    late->Selected(true);
    EXPECT_TRUE(options[0]->IsSelected());
    root->Add(late);                // joins with its manager
    options[0]->SetGroup(nullptr);  // leaves
    notes.Clear();
    options[1]->Selected(true);
    EXPECT_FALSE(late->IsSelected());
    EXPECT_TRUE(options[0]->IsSelected());
    EXPECT_EQ(notes.Count(L"selectchanged"), 1);
    // Alone now, it toggles at a click.
    Click(options[0]->GetPos().left + 5, options[0]->GetPos().top + 5);
    EXPECT_FALSE(options[0]->IsSelected());
    EXPECT_EQ(notes.Count(L"selectchanged", options[0]), 1);
}

TEST_F(OptionTest, SelectedFacesColourAndForeImage) {
    COptionUI* option = options[0];
    option->ApplyAttributeList(
        L"foreimage=\"file='fore' dest='0,0,6,6'\" selectedbkcolor=\"#FF30A030\"");
    EXPECT_EQ(At(option, 20, 20), kFace);
    EXPECT_EQ(At(option, 2, 2), kFore);
    option->Selected(true);
    // The colour stands alone: no fore image over it.
    EXPECT_EQ(At(option, 20, 20), kSelectedFill);
    EXPECT_EQ(At(option, 2, 2), kSelectedFill);
    option->SetSelectedHotImage(L"hot");
    MouseMove(option->GetPos().left + 50, option->GetPos().top + 15);
    EXPECT_EQ(At(option, 20, 20), kSelectedHot);
    EXPECT_EQ(At(option, 2, 2), kFore);
}

TEST_F(OptionTest, TheSelectedTextColourIsUsedOnlyWhileSelected) {
    pm->AddFont(L"DejaVu Sans", 24, true, false, false);  // wide strokes of one colour
    COptionUI* option = options[0];
    option->ApplyAttributeList(L"text=\"WWWW\" selectedtextcolor=\"#FFFF0000\" font=\"0\"");
    option->Selected(true);
    EXPECT_TRUE(Shows(option, 0xFF0000));
    // The defaults were stored first; the selected colour was never stored.
    EXPECT_EQ(option->GetTextColor(), pm->GetDefaultFontColor());
    option->Selected(false);
    EXPECT_FALSE(Shows(option, 0xFF0000));
    EXPECT_TRUE(Shows(option, pm->GetDefaultFontColor() & 0xFFFFFF));
}

TEST_F(OptionTest, DisablingKeepsOnlyTheSelectedState) {
    COptionUI* option = options[0];
    option->Selected(true);
    const RECT& rc = option->GetPos();
    MouseMove(rc.left + 5, rc.top + 5);
    LButtonDown(rc.left + 5, rc.top + 5);
    EXPECT_NE(option->GetButtonState() & (CButtonUI::StateHot | CButtonUI::StatePushed), 0u);
    option->SetEnabled(false);
    EXPECT_EQ(option->GetButtonState(), static_cast<UINT>(COptionUI::StateSelected));
    LButtonUp(rc.left + 5, rc.top + 5);
    EXPECT_EQ(notes.Count(L"click"), 0);
    EXPECT_TRUE(option->IsSelected());
}

}  // namespace
}  // namespace test
}  // namespace Facet
