// The button: its states under the mouse and keyboard, when "click" is and is
// not sent, capture, the face and text colour shown in each state, and what
// disabling does.
#include <windows.h>

#include <gtest/gtest.h>

#include "facet/controls/button_ui.h"
#include "facet/controls/container_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

constexpr std::uint32_t kNormal = 0xFF4080C0;
constexpr std::uint32_t kHot = 0xFFC08040;
constexpr std::uint32_t kPushed = 0xFF40C040;
constexpr std::uint32_t kFocused = 0xFFC040C0;
constexpr std::uint32_t kDisabled = 0xFF808080;
constexpr std::uint32_t kFore = 0xFF000000;
constexpr std::uint32_t kHotFore = 0xFFFFFF00;

class ButtonTest : public UiWindowTest {
protected:
    // A 100 × 40 button at (50, 50) beside a second one at (200, 50).
    void SetUp() override {
        UiWindowTest::SetUp();
        root = new CContainerUI;
        root->SetBkColor(0xFFFFFFFF);
        button = Place(50, 50);
        other = Place(200, 50);
        Attach(root);
    }
    CButtonUI* Place(int x, int y) {
        auto* b = new CButtonUI;
        b->SetFloat(true);
        b->SetFixedXY(SIZE{x, y});
        b->SetFixedWidth(100);
        b->SetFixedHeight(40);
        root->Add(b);
        return b;
    }
    // The first layout focuses the first tab stop, this button; the face
    // checks start from an unfocused one.
    void Unfocus() { pm->SetFocus(other); }
    void GiveFaces() {
        Unfocus();
        AddSolidImage(*pm, L"normal", kNormal);
        AddSolidImage(*pm, L"hot", kHot);
        AddSolidImage(*pm, L"pushed", kPushed);
        AddSolidImage(*pm, L"focused", kFocused);
        AddSolidImage(*pm, L"disabled", kDisabled);
        AddSolidImage(*pm, L"fore", kFore);
        AddSolidImage(*pm, L"hotfore", kHotFore);
        button->SetAttribute(L"normalimage", L"normal");
        button->SetAttribute(L"hotimage", L"hot");
        button->SetAttribute(L"pushedimage", L"pushed");
        button->SetAttribute(L"focusedimage", L"focused");
        button->SetAttribute(L"disabledimage", L"disabled");
        // A 10 × 10 mark in the top-left corner over every face.
        button->SetAttribute(L"foreimage", L"file='fore' dest='0,0,10,10'");
    }
    // The face colour in the middle of the button and the fore mark's.
    std::uint32_t Face() { return Snapshot()->Rgb(100, 80); }
    std::uint32_t Mark() { return Snapshot()->Rgb(55, 55); }
    UINT State() { return button->GetButtonState(); }

    CContainerUI* root = nullptr;
    CButtonUI* button = nullptr;
    CButtonUI* other = nullptr;
};

constexpr std::uint32_t Rgb(std::uint32_t argb) { return argb & 0xFFFFFF; }

TEST_F(ButtonTest, APressAndReleaseOverTheButtonClicksOnce) {
    MouseMove(100, 70);
    EXPECT_TRUE(State() & CButtonUI::StateHot);
    LButtonDown(100, 70);
    EXPECT_EQ(State() & (CButtonUI::StatePushed | CButtonUI::StateCaptured),
              static_cast<UINT>(CButtonUI::StatePushed | CButtonUI::StateCaptured));
    EXPECT_EQ(::GetCapture(), hwnd);
    EXPECT_EQ(notes.Count(L"click"), 0);
    LButtonUp(100, 70);
    EXPECT_EQ(notes.Count(L"click", button), 1);
    EXPECT_EQ(State() & (CButtonUI::StatePushed | CButtonUI::StateCaptured), 0u);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(notes.Count(L"click", other), 0);
}

TEST_F(ButtonTest, ReleasingOutsideAfterDraggingOutSendsNoClick) {
    MouseMove(100, 70);
    LButtonDown(100, 70);
    MouseMove(300, 200);  // still goes to the pressed button
    EXPECT_FALSE(State() & CButtonUI::StatePushed);
    EXPECT_TRUE(State() & CButtonUI::StateCaptured);
    LButtonUp(300, 200);
    EXPECT_EQ(notes.Count(L"click"), 0);
    EXPECT_EQ(State() & CButtonUI::StateCaptured, 0u);
}

TEST_F(ButtonTest, DraggingBackInBeforeReleasingClicks) {
    MouseMove(100, 70);
    LButtonDown(100, 70);
    MouseMove(10, 10);
    MouseMove(60, 60);
    EXPECT_TRUE(State() & CButtonUI::StatePushed);
    LButtonUp(60, 60);
    EXPECT_EQ(notes.Count(L"click", button), 1);
}

TEST_F(ButtonTest, APressElsewhereThenAReleaseOverTheButtonDoesNotClick) {
    LButtonDown(10, 10);
    MouseMove(100, 70);
    LButtonUp(100, 70);
    EXPECT_EQ(notes.Count(L"click"), 0);
}

TEST_F(ButtonTest, ADoubleClickClicksOnEachRelease) {
    MouseMove(100, 70);
    DoubleClick(100, 70);
    EXPECT_EQ(notes.Count(L"click", button), 2);
}

TEST_F(ButtonTest, SpaceAndReturnClickTheFocusedButton) {
    // The first layout gave the focus to the first tab stop.
    ASSERT_EQ(pm->GetFocus(), button);
    Key(VK_SPACE);
    EXPECT_EQ(notes.Count(L"click", button), 1);
    Key(VK_RETURN);
    EXPECT_EQ(notes.Count(L"click", button), 2);
    Key('A');
    EXPECT_EQ(notes.Count(L"click"), 2);
    Key(VK_TAB);
    EXPECT_EQ(pm->GetFocus(), other);
    Key(VK_RETURN);
    EXPECT_EQ(notes.Count(L"click", other), 1);
}

TEST_F(ButtonTest, WithoutKeyboardTheButtonIsNoTabStopAndIgnoresKeys) {
    button->SetKeyboardEnabled(false);
    EXPECT_EQ(button->GetControlFlags(), static_cast<UINT>(ControlFlagSetCursor));
    Key(VK_TAB);
    EXPECT_EQ(pm->GetFocus(), other);
    pm->SetFocus(button);
    Key(VK_SPACE);
    EXPECT_EQ(notes.Count(L"click"), 0);
}

TEST_F(ButtonTest, ADisabledButtonHasNoStatesAndNeverClicks) {
    MouseMove(100, 70);
    LButtonDown(100, 70);
    button->SetEnabled(false);
    EXPECT_EQ(State(), 0u);
    LButtonUp(100, 70);
    MouseMove(300, 200);
    MouseMove(100, 70);
    Click(100, 70);
    pm->SetFocus(button);  // refused: it is disabled
    Key(VK_RETURN);
    EXPECT_EQ(notes.Count(L"click"), 0);
    EXPECT_FALSE(State() & (CButtonUI::StateHot | CButtonUI::StatePushed));
    EXPECT_FALSE(button->Activate());
    EXPECT_EQ(button->GetControlFlags(), static_cast<UINT>(ControlFlagTabStop));
}

TEST_F(ButtonTest, ActivateClicksOnlyAVisibleEnabledButton) {
    EXPECT_TRUE(button->Activate());
    EXPECT_EQ(notes.Count(L"click", button), 1);
    button->SetVisible(false);
    EXPECT_FALSE(button->Activate());
    EXPECT_EQ(notes.Count(L"click"), 1);
}

TEST_F(ButtonTest, ARightClickSendsMenuOnlyWhenTheMenuIsUsed) {
    RightClick(100, 70);
    EXPECT_EQ(notes.Count(L"menu"), 0);
    button->SetContextMenuUsed(true);
    RightClick(100, 70);
    ASSERT_EQ(notes.Count(L"menu", button), 1);
    EXPECT_EQ(notes.seen.back().lParam, reinterpret_cast<LPARAM>(button));
}

TEST_F(ButtonTest, TheHandCursorShowsOverAnEnabledButton) {
    POINT pt = {100, 70};
    ::ClientToScreen(hwnd, &pt);
    ::SetCursorPos(pt.x, pt.y);
    ::SetCursor(nullptr);
    ::SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_HAND));
}

TEST_F(ButtonTest, EachStateShowsItsFaceUnderTheForeImage) {
    GiveFaces();
    EXPECT_EQ(Face(), Rgb(kNormal));
    EXPECT_EQ(Mark(), Rgb(kFore));
    MouseMove(100, 80);
    EXPECT_EQ(Face(), Rgb(kHot));
    EXPECT_EQ(Mark(), Rgb(kFore));
    LButtonDown(100, 80);
    EXPECT_EQ(Face(), Rgb(kPushed));
    LButtonUp(100, 80);
    // Pressed gives the focus; hot wins over focused.
    EXPECT_EQ(pm->GetFocus(), button);
    EXPECT_EQ(Face(), Rgb(kHot));
    MouseMove(300, 200);
    EXPECT_EQ(Face(), Rgb(kFocused));
    pm->SetFocus(other);
    EXPECT_EQ(Face(), Rgb(kNormal));
    button->SetEnabled(false);
    EXPECT_EQ(Face(), Rgb(kDisabled));
    EXPECT_EQ(Mark(), Rgb(kFore));
}

TEST_F(ButtonTest, StatesWithoutTheirOwnImageShowTheNormalFace) {
    Unfocus();
    AddSolidImage(*pm, L"normal", kNormal);
    button->SetNormalImage(L"normal");
    LButtonDown(100, 80);  // pushed and hot, neither has an image
    EXPECT_EQ(Face(), Rgb(kNormal));
    LButtonUp(100, 80);
    button->SetEnabled(false);
    EXPECT_EQ(Face(), Rgb(kNormal));
}

TEST_F(ButtonTest, AHotBackgroundColourReplacesEveryImageWhileHot) {
    GiveFaces();
    button->SetHotImage(L"");
    button->SetAttribute(L"hotbkcolor", L"#FF00FFFF");
    MouseMove(100, 80);
    EXPECT_EQ(Face(), 0x00FFFFu);
    EXPECT_EQ(Mark(), 0x00FFFFu);  // no fore image either
    MouseMove(300, 200);
    EXPECT_EQ(Face(), Rgb(kNormal));
}

TEST_F(ButtonTest, TheHotForeImageReplacesTheForeImageWhileHot) {
    GiveFaces();
    button->SetAttribute(L"hotforeimage", L"file='hotfore' dest='0,0,10,10'");
    EXPECT_EQ(Mark(), Rgb(kFore));
    MouseMove(100, 80);
    EXPECT_EQ(Mark(), Rgb(kHotFore));
    EXPECT_STREQ(button->GetHotForeImage(), L"file='hotfore' dest='0,0,10,10'");
}

TEST_F(ButtonTest, StateTextColoursFollowTheStates) {
    Unfocus();
    // Strokes thick enough to hold pixels of the exact colour.
    button->SetFont(static_cast<int>(pm->GetCustomFontCount()));
    pm->AddFont(L"DejaVu Sans", 24, true, false, false);
    button->SetText(L"WWWW");
    button->SetAttribute(L"textcolor", L"#FF000000");
    button->SetAttribute(L"hottextcolor", L"#FFFF0000");
    button->SetAttribute(L"pushedtextcolor", L"#FF0000FF");
    button->SetAttribute(L"focusedtextcolor", L"#FF00FF00");
    auto hasInk = [this](std::uint32_t rgb) {
        auto canvas = Snapshot();
        for (int y = 50; y < 90; ++y) {
            for (int x = 50; x < 150; ++x) {
                if (RgbNear(canvas->Rgb(x, y), rgb, 40)) return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(hasInk(0x000000));
    MouseMove(100, 70);
    EXPECT_TRUE(hasInk(0xFF0000));
    LButtonDown(100, 70);
    EXPECT_TRUE(hasInk(0x0000FF));
    EXPECT_FALSE(hasInk(0xFF0000));
    LButtonUp(100, 70);
    MouseMove(300, 200);
    EXPECT_TRUE(hasInk(0x00FF00));
}

TEST_F(ButtonTest, AButtonCentresOneLineAndTakesTheLabelsAttributes) {
    EXPECT_EQ(button->GetTextStyle(), static_cast<UINT>(DT_CENTER | DT_VCENTER | DT_SINGLELINE));
    EXPECT_EQ(button->GetInterface(L"Label"), button);
    button->SetAttribute(L"align", L"left");
    EXPECT_EQ(button->GetTextStyle(), 0u);
}

}  // namespace
}  // namespace test
}  // namespace Facet
