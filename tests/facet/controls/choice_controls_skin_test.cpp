// A skin with every tag of the option, check box, progress bar, slider and
// tab layout, built by the dialog builder into a real window: the tree it
// makes, what the window shows, and option buttons that switch the tab
// layout's pages as an application would. With FACET_CHOICE_PNG set, the
// test also writes what the display shows to that file.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "facet/controls/check_box_ui.h"
#include "facet/controls/slider_ui.h"
#include "facet/controls/tab_layout_ui.h"
#include "facet/markup/dialog_builder.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

constexpr wchar_t kSkin[] =
    L"<Window><VerticalLayout bkcolor=\"#FFF4F6F8\" inset=\"10,10,10,10\" childpadding=\"8\">"
    L"<HorizontalLayout height=\"30\" childpadding=\"6\">"
    L"<Option name=\"tab0\" width=\"100\" text=\"Page 1\" group=\"tabs\" selected=\"true\"/>"
    L"<Option name=\"tab1\" width=\"100\" text=\"Page 2\" group=\"tabs\"/>"
    L"<Option name=\"tab2\" width=\"100\" text=\"Page 3\" group=\"tabs\"/>"
    L"</HorizontalLayout>"
    L"<TabLayout name=\"pages\" height=\"60\">"
    L"<VerticalLayout bkcolor=\"#FFE05050\">"
    L"<Label text=\"first page\" align=\"center\"/></VerticalLayout>"
    L"<VerticalLayout bkcolor=\"#FF50C050\">"
    L"<Label text=\"second page\" align=\"center\"/></VerticalLayout>"
    L"<VerticalLayout bkcolor=\"#FF5050E0\">"
    L"<Label text=\"third page\" align=\"center\"/></VerticalLayout>"
    L"</TabLayout>"
    L"<Progress name=\"bar\" height=\"16\" value=\"40\" bkcolor=\"#FFD0D4D8\" foreimage=\"fill\"/>"
    L"<HorizontalLayout height=\"60\" childpadding=\"10\">"
    L"<Progress name=\"vbar\" width=\"16\" height=\"60\" hor=\"false\" value=\"75\" "
    L"bkcolor=\"#FFD0D4D8\" foreimage=\"fill\"/>"
    L"<Slider name=\"slider\" height=\"20\" value=\"30\" thumbsize=\"10,20\" thumbimage=\"thumb\" "
    L"thumbhotimage=\"hover\" bkcolor=\"#FFD0D4D8\" foreimage=\"fill\"/>"
    L"</HorizontalLayout>"
    L"<CheckBox name=\"check\" height=\"24\" text=\"Check me\" align=\"left\" selected=\"true\" "
    L"textpadding=\"22,3,0,0\" normalimage=\"file='box' dest='0,4,16,20'\" "
    L"selectedimage=\"file='ticked' dest='0,4,16,20'\"/>"
    L"</VerticalLayout></Window>";

// The skin's defaults give every option the same faces.
constexpr wchar_t kOptionFaces[] =
    L"normalimage=\"idle\" hotimage=\"hover\" selectedimage=\"chosen\" textcolor=\"#FF203040\" "
    L"selectedtextcolor=\"#FFFFFFFF\"";

constexpr std::uint32_t kIdle = 0xC8D0D8, kChosen = 0x3070C0, kHover = 0xF0C040;
constexpr std::uint32_t kFill = 0x40A040, kTrack = 0xD0D4D8, kThumb = 0x404040;
constexpr std::uint32_t kBox = 0xFFFFFF, kTicked = 0x202020;
constexpr std::uint32_t kPageColors[] = {0xE05050, 0x50C050, 0x5050E0};

// Class names and markup names of the tree, depth first.
std::wstring Describe(CControlUI* control) {
    std::wstring text = control->GetClass();
    if (!control->GetName().IsEmpty()) text += L" " + std::wstring(control->GetName());
    auto* items = static_cast<IContainerUI*>(control->GetInterface(L"IContainer"));
    if (!items) return text;
    text += L"(";
    for (int i = 0; i < items->GetCount(); ++i) {
        text += (i ? L", " : L"") + Describe(items->GetItemAt(i));
    }
    return text + L")";
}

class ChoiceControlsSkinTest : public UiWindowTest {
protected:
    void SetUp() override {
        UiWindowTest::SetUp();
        const std::pair<const wchar_t*, std::uint32_t> images[] = {
            {L"idle", kIdle},   {L"chosen", kChosen}, {L"hover", kHover},  {L"fill", kFill},
            {L"thumb", kThumb}, {L"box", kBox},       {L"ticked", kTicked}};
        for (const auto& image : images) AddSolidImage(*pm, image.first, 0xFF000000 | image.second);
        pm->AddDefaultAttributeList(L"Option", kOptionFaces);
        CDialogBuilder builder;
        root = builder.Create(kSkin, nullptr, nullptr, pm.get());
        ASSERT_NE(root, nullptr);
        Attach(root);
        pages = static_cast<CTabLayoutUI*>(pm->FindControl(L"pages"));
        // An application's handler: each option shows its page.
        notes.onNotify = [this](TNotifyUI& msg) {
            const std::wstring name = msg.sender->GetName().GetData();
            if (msg.type == L"selectchanged" && name.rfind(L"tab", 0) == 0) {
                pages->SelectItem(name[3] - L'0');
            }
        };
        notes.Clear();
    }
    CControlUI* Find(const wchar_t* name) { return pm->FindControl(name); }
    void ClickOn(const wchar_t* name) {
        const RECT& rc = Find(name)->GetPos();
        Click((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        MouseMove(2, 2);  // off every option, so none shows its hot face
    }
    // What the display shows at (x, y) in the named control.
    std::uint32_t At(const CCanvas& screen, const wchar_t* name, int x, int y) {
        return screen.Rgb(Find(name)->GetPos().left + x, Find(name)->GetPos().top + y);
    }

    CControlUI* root = nullptr;
    CTabLayoutUI* pages = nullptr;
};

TEST_F(ChoiceControlsSkinTest, EveryTagBuildsItsControlAndTheWindowShowsIt) {
    EXPECT_EQ(Describe(root),
              L"VerticalLayoutUI(HorizontalLayoutUI(OptionUI tab0, OptionUI tab1, OptionUI tab2), "
              L"TabLayoutUI pages(VerticalLayoutUI(LabelUI), VerticalLayoutUI(LabelUI), "
              L"VerticalLayoutUI(LabelUI)), ProgressUI bar, "
              L"HorizontalLayoutUI(ProgressUI vbar, SliderUI slider), CheckBoxUI check)");
    EXPECT_EQ(pages->GetCurSel(), 0);

    auto screen = ScreenShot();
    EXPECT_EQ(At(*screen, L"tab0", 3, 3), kChosen);
    EXPECT_EQ(At(*screen, L"tab1", 3, 3), kIdle);
    EXPECT_EQ(At(*screen, L"pages", 3, 3), kPageColors[0]);
    // 40 of 100 fills 40 % of the bar from the left; 75 fills the vertical
    // bar's lower three quarters.
    const int filled = Find(L"bar")->GetWidth() * 40 / 100;
    EXPECT_EQ(At(*screen, L"bar", filled - 2, 8), kFill);
    EXPECT_EQ(At(*screen, L"bar", filled + 2, 8), kTrack);
    EXPECT_EQ(At(*screen, L"vbar", 8, 60 / 4 + 2), kFill);
    EXPECT_EQ(At(*screen, L"vbar", 8, 60 / 4 - 2), kTrack);
    const RECT thumb = static_cast<CSliderUI*>(Find(L"slider"))->GetThumbRect();
    EXPECT_EQ(screen->Rgb(thumb.left + 5, thumb.bottom - 2), kThumb);
    EXPECT_EQ(At(*screen, L"check", 8, 12), kTicked);

    if (const wchar_t* png = _wgetenv(L"FACET_CHOICE_PNG")) {
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) pixels.push_back(0xFF000000 | screen->Rgb(x, y));
        }
        EXPECT_TRUE(WriteBytes(png, EncodePng(kWidth, kHeight, pixels)));
    }
}

TEST_F(ChoiceControlsSkinTest, OptionClicksSwitchPagesWithOneNotificationPerChange) {
    struct Step {
        const wchar_t* option;
        int page;     // shown afterwards
        int changes;  // "selectchanged" and "tabselect" sent by the click
    } steps[] = {
        {L"tab1", 1, 1},
        {L"tab1", 1, 0},  // a selected group member stays selected
        {L"tab2", 2, 1},
        {L"tab0", 0, 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::wstring(step.option) + L" to page " + std::to_wstring(step.page));
        notes.Clear();
        const int old = pages->GetCurSel();
        ClickOn(step.option);
        EXPECT_EQ(notes.Count(L"click"), 1);
        EXPECT_EQ(notes.Count(L"selectchanged"), step.changes);
        EXPECT_EQ(notes.Count(L"selectchanged", Find(step.option)), step.changes);
        EXPECT_EQ(notes.Count(L"tabselect", pages), step.changes);
        for (const SeenNotify& seen : notes.seen) {
            if (seen.type != L"tabselect") continue;
            EXPECT_EQ(seen.wParam, static_cast<WPARAM>(step.page));
            EXPECT_EQ(seen.lParam, static_cast<LPARAM>(old));
        }
        for (int i = 0; i < 3; ++i) {
            const std::wstring name = L"tab" + std::to_wstring(i);
            EXPECT_EQ(static_cast<COptionUI*>(Find(name.c_str()))->IsSelected(), i == step.page);
            EXPECT_EQ(pages->GetItemAt(i)->IsVisible(), i == step.page) << i;
        }
        auto screen = ScreenShot();
        EXPECT_EQ(At(*screen, L"pages", 3, 40), kPageColors[step.page]);
        EXPECT_EQ(At(*screen, step.option, 3, 3), kChosen);
    }
}

TEST_F(ChoiceControlsSkinTest, TheCheckBoxTogglesAtEachClick) {
    auto* check = static_cast<CCheckBoxUI*>(Find(L"check"));
    for (bool expected : {false, true}) {
        notes.Clear();
        ClickOn(L"check");
        EXPECT_EQ(check->GetCheck(), expected);
        std::wstring order;  // of the check box's own notifications
        for (const SeenNotify& seen : notes.seen) {
            if (seen.sender == check && seen.type != L"setfocus") order += seen.type + L";";
        }
        EXPECT_EQ(order, L"click;selectchanged;");
        EXPECT_EQ(At(*ScreenShot(), L"check", 8, 12), expected ? kTicked : kBox);
    }
}

}  // namespace
}  // namespace test
}  // namespace Facet
