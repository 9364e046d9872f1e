// The progress bar's filled part for each orientation, fill mode and range,
// and the slider under real mouse, wheel and key messages: where a release
// puts the value, what a drag reports, and what a disabled slider ignores.
#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

#include "facet/controls/container_ui.h"
#include "facet/controls/slider_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

constexpr std::uint32_t kLeftHalf = 0xD02020, kRightHalf = 0x2020D0, kTrack = 0xFFFFFF;

class ProgressSliderTest : public UiWindowTest {
protected:
    void SetUp() override {
        UiWindowTest::SetUp();
        // 200 × 200: red in its left half, blue in its right half, so a
        // stretched part shows both and a cut one only red.
        std::vector<std::uint32_t> pixels;
        for (int i = 0; i < 200 * 200; ++i) {
            pixels.push_back(0xFF000000 | (i % 200 < 100 ? kLeftHalf : kRightHalf));
        }
        pm->AddImage(L"halves", MakeDib32(200, 200, pixels), 200, 200, false);
        root = new CContainerUI;
        root->SetBkColor(0xFF000000 | kTrack);
        Attach(root);
    }
    template <class T>
    T* Place(T* control, const wchar_t* attributes) {
        control->ApplyAttributeList(attributes);
        root->Add(control);
        Repaint();
        return control;
    }
    // 110 × 10 at (0, 100), thumb 10 × 10, range 0 to 100.
    CSliderUI* Slider(const wchar_t* attributes = L"") {
        auto* slider = new CSliderUI;
        slider->ApplyAttributeList(L"float=\"true\" pos=\"0,100,110,110\"");
        Place(slider, attributes);
        notes.Clear();
        return slider;
    }
    CContainerUI* root = nullptr;
};

TEST_F(ProgressSliderTest, TheFilledPartFollowsValueOrientationAndFillMode) {
    struct Case {
        const wchar_t* attributes;
        RECT filled;          // in the bar
        bool showsRightHalf;  // of the image: stretched, not cut
        int max, value;       // after the paint
    } cases[] = {
        {L"value=\"25\"", {0, 0, 50, 12}, true, 100, 25},
        {L"value=\"25\" isstretchfore=\"false\"", {0, 0, 50, 12}, false, 100, 25},
        {L"pos=\"0,0,12,200\" value=\"25\" hor=\"false\"", {0, 150, 12, 200}, true, 100, 25},
        {L"min=\"10\" max=\"10\" value=\"10\"", {0, 0, 0, 0}, false, 11, 10},
        {L"value=\"500\"", {0, 0, 200, 12}, true, 100, 100},
        {L"max=\"1000000000\" value=\"500000000\"", {0, 0, 100, 12}, true, 1000000000, 500000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        auto* bar = new CProgressUI;
        bar->ApplyAttributeList(L"float=\"true\" foreimage=\"halves\" pos=\"0,0,200,12\"");
        Place(bar, c.attributes);
        auto canvas = Snapshot();
        RECT ink = {1000, 1000, 0, 0};
        bool right = false;
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 200; ++x) {
                const std::uint32_t rgb = canvas->Rgb(x, y);
                if (rgb == kTrack) continue;
                ink = RECT{std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                           std::max<LONG>(ink.right, x + 1), std::max<LONG>(ink.bottom, y + 1)};
                right = right || rgb == kRightHalf;
            }
        }
        if (ink.right == 0) ink = RECT{0, 0, 0, 0};
        EXPECT_EQ(ink, c.filled);
        EXPECT_EQ(right, c.showsRightHalf);
        EXPECT_EQ(bar->GetMaxValue(), c.max);
        EXPECT_EQ(bar->GetValue(), c.value);
        root->Remove(bar);
    }
}

TEST_F(ProgressSliderTest, AReleaseOnTheTrackSetsTheValueThere) {
    struct Case {
        const wchar_t* attributes;
        POINT release;  // in the slider
        int value;
    } cases[] = {
        {L"", {60, 5}, 55},
        {L"", {4, 5}, 0},
        {L"", {106, 5}, 100},
        {L"max=\"1000000000\"", {60, 5}, 550000000},
        {L"pos=\"0,100,10,210\" hor=\"false\"", {5, 50}, 55},
        {L"pos=\"0,100,10,210\" hor=\"false\"", {5, 3}, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        CSliderUI* slider = Slider(c.attributes);
        const int x = slider->GetPos().left + c.release.x, y = slider->GetPos().top + c.release.y;
        Click(x, y);
        EXPECT_EQ(slider->GetValue(), c.value);
        EXPECT_EQ(notes.Count(L"valuechanged", slider), 1);
        root->Remove(slider);
    }
    // An empty range that no paint has corrected yet divides by nothing.
    CSliderUI* slider = Slider();
    slider->SetMaxValue(0);
    Click(60, 105);
    EXPECT_EQ(slider->GetValue(), 0);
}

TEST_F(ProgressSliderTest, DraggingTheThumbIsSilentUntilTheRelease) {
    CSliderUI* slider = Slider(L"value=\"50\"");
    ASSERT_EQ(slider->GetThumbRect(), (RECT{50, 100, 60, 110}));
    LButtonDown(55, 105);
    for (int x : {65, 75, 85}) {
        MouseMove(x, 105);
        EXPECT_EQ(slider->GetValue(), x - 5);
    }
    EXPECT_EQ(notes.Count(L"valuechanged"), 0);
    LButtonUp(85, 105);
    EXPECT_EQ(notes.Count(L"valuechanged"), 1);
    EXPECT_EQ(slider->GetValue(), 80);
    // One number: the height reads 0, nothing past the text's end.
    slider->SetAttribute(L"thumbsize", L"12");
    const RECT thumb = slider->GetThumbRect();
    EXPECT_EQ(thumb.right - thumb.left, 12);
    EXPECT_EQ(thumb.bottom - thumb.top, 0);
}

TEST_F(ProgressSliderTest, WheelAndArrowKeysStepAndReportEachStep) {
    CSliderUI* slider = Slider(L"value=\"98\" step=\"2\"");
    Click(slider->GetThumbRect().left + 5, 105);  // takes the focus
    ASSERT_EQ(pm->GetFocus(), slider);
    std::vector<int> reported;
    notes.onNotify = [&](TNotifyUI& msg) {
        if (msg.type == L"valuechanged") reported.push_back(slider->GetValue());
    };
    Wheel(20, 105, -WHEEL_DELTA);
    Key(VK_RIGHT);
    Key(VK_UP);
    // Past the maximum until the next paint brings it back.
    Wheel(20, 105, WHEEL_DELTA);
    Flush();
    Key(VK_LEFT);
    EXPECT_EQ(reported, (std::vector<int>{96, 98, 100, 102, 98}));
    EXPECT_EQ(slider->GetValue(), 98);
}

TEST_F(ProgressSliderTest, ADisabledSliderIgnoresEveryInput) {
    CSliderUI* slider = Slider(L"value=\"50\"");
    pm->SetFocus(slider);
    LButtonDown(55, 105);
    MouseMove(80, 105);
    slider->SetEnabled(false);  // in the middle of a drag
    MouseMove(90, 105);
    LButtonUp(90, 105);
    Click(20, 105);
    Wheel(20, 105, WHEEL_DELTA);
    Key(VK_RIGHT);
    EXPECT_EQ(slider->GetValue(), 75);
    EXPECT_EQ(notes.Count(L"valuechanged"), 0);
}

}  // namespace
}  // namespace test
}  // namespace Facet
