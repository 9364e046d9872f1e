// A small tree of every control here, shown in one window: layouts, labels
// with and without effects, buttons in each state and a scrolled list. The
// test checks a few pixels of it on the display; with FACET_DEMO_PNG set it
// also writes what the display shows to that file, and with
// FACET_DEMO_HOLD_MS it keeps the window up that long for a screen grab.
#include <windows.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "facet/controls/button_ui.h"
#include "facet/controls/horizontal_layout_ui.h"
#include "facet/controls/label_ui.h"
#include "facet/controls/scroll_bar_ui.h"
#include "facet/controls/vertical_layout_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

constexpr DWORD kPanel = 0xFFF0F4F8;
constexpr DWORD kBand = 0xFFDCE6F0;

class DemoTreeTest : public UiWindowTest {
protected:
    CLabelUI* AddLabel(CContainerUI* parent, const wchar_t* text, const wchar_t* attributes) {
        auto* label = new CLabelUI;
        label->ApplyAttributeList(attributes);
        label->SetText(text);
        parent->Add(label);
        return label;
    }
    CButtonUI* AddButton(CContainerUI* parent, const wchar_t* text) {
        auto* button = new CButtonUI;
        button->ApplyAttributeList(
            L"width=\"64\" normalimage=\"file='normal' corner='2,2,2,2'\" "
            L"hotimage=\"hot\" pushedimage=\"pushed\" focusedimage=\"focused\" "
            L"disabledimage=\"disabled\" textcolor=\"#FF102030\" "
            L"disabledtextcolor=\"#FF909090\" pushedtextcolor=\"#FFFFFFFF\" padding=\"4,0,0,0\"");
        button->SetText(text);
        parent->Add(button);
        return button;
    }
    // Builds the demo tree and attaches it.
    void BuildTree() {
        AddSolidImage(*pm, L"normal", 0xFFB8C8D8);
        AddSolidImage(*pm, L"hot", 0xFFFFD070);
        AddSolidImage(*pm, L"pushed", 0xFF3070C0);
        AddSolidImage(*pm, L"focused", 0xFF90D090);
        AddSolidImage(*pm, L"disabled", 0xFFE0E0E0);
        const int titleFont = static_cast<int>(pm->GetCustomFontCount());
        pm->AddFont(L"DejaVu Sans", 26, true, false, false);
        const int boldFont = static_cast<int>(pm->GetCustomFontCount());
        pm->AddFont(L"DejaVu Sans", 13, true, false, false);

        root = new CVerticalLayoutUI;
        root->ApplyAttributeList(L"bkcolor=\"#FFF0F4F8\" inset=\"8,6,8,8\" childpadding=\"6\"");

        CLabelUI* title = AddLabel(root, L"", L"height=\"40\" enabledeffect=\"true\"");
        title->SetFont(titleFont);
        title->ApplyAttributeList(
            L"textcolor=\"#FF1040A0\" textcolor1=\"#FF60C0FF\" transtext=\"255\" transtext1=\"255\" "
            L"enabledshadow=\"true\" textshadowcolora=\"#FF000000\" transshadow=\"90\" "
            L"shadowoffset=\"2,-120\" enabledstroke=\"true\" strokecolor=\"#FFFFFFFF\" "
            L"rhaa=\"4\"");
        title->SetText(L"Facet controls");

        auto* labels = new CHorizontalLayoutUI;
        labels->ApplyAttributeList(L"height=\"24\" bkcolor=\"#FFDCE6F0\" childpadding=\"4\"");
        root->Add(labels);
        AddLabel(labels, L"left", L"textpadding=\"4,0,0,0\"");
        AddLabel(labels, L"centre", L"align=\"center\" bordersize=\"1\" bordercolor=\"#FF8090A0\"");
        AddLabel(labels, L"right", L"align=\"right\" textpadding=\"0,0,4,0\"");
        CLabelUI* html = AddLabel(labels, L"<b>bold</b> <c #FFC03030>red</c>", L"showhtml=\"true\"");
        html->SetFixedWidth(90);

        auto* buttons = new CHorizontalLayoutUI;
        buttons->ApplyAttributeList(L"height=\"32\"");
        root->Add(buttons);
        normal = AddButton(buttons, L"Normal");
        hot = AddButton(buttons, L"Hot");
        pushed = AddButton(buttons, L"Pushed");
        focused = AddButton(buttons, L"Focused");
        disabled = AddButton(buttons, L"Off");
        for (CButtonUI* b : {normal, hot, pushed, focused, disabled}) b->SetFont(boldFont);
        disabled->SetEnabled(false);

        auto* body = new CHorizontalLayoutUI;
        body->ApplyAttributeList(L"childpadding=\"8\"");
        root->Add(body);
        list = new CVerticalLayoutUI;
        list->ApplyAttributeList(
            L"width=\"160\" vscrollbar=\"true\" bkcolor=\"#FFFFFFFF\" bordersize=\"1\" "
            L"bordercolor=\"#FF8090A0\" inset=\"1,1,1,1\"");
        body->Add(list);
        for (int i = 1; i <= 20; ++i) {
            std::wstring text = L"List row " + std::to_wstring(i);
            CLabelUI* row = AddLabel(list, text.c_str(), L"height=\"20\" textpadding=\"6,0,0,0\"");
            if (i % 2 == 0) row->SetBkColor(kBand);
        }
        auto* panel = new CVerticalLayoutUI;
        panel->ApplyAttributeList(L"bkcolor=\"#FFFFFFFF\" inset=\"6,6,6,6\" childpadding=\"2\"");
        body->Add(panel);
        AddLabel(panel, L"A label with", L"height=\"18\"");
        AddLabel(panel, L"a long text that ends in an ellipsis", L"height=\"18\" endellipsis=\"true\"");
        AddLabel(panel, L"disabled text", L"height=\"18\" disabledtextcolor=\"#FFA0A0A0\" enabled=\"false\"");
        CLabelUI* glow = AddLabel(panel, L"", L"height=\"30\" enabledeffect=\"true\"");
        glow->SetFont(boldFont);
        glow->ApplyAttributeList(
            L"textcolor=\"#FFC02020\" textcolor1=\"#FFFFA000\" transtext=\"255\" transtext1=\"255\" "
            L"gradientlength=\"16\"");
        glow->SetText(L"GDI+ gradient");

        Attach(root);
    }
    static std::wstring Env(const wchar_t* name) {
        const wchar_t* value = _wgetenv(name);
        return value ? value : L"";
    }

    CVerticalLayoutUI* root = nullptr;
    CVerticalLayoutUI* list = nullptr;
    CButtonUI* normal = nullptr;
    CButtonUI* hot = nullptr;
    CButtonUI* pushed = nullptr;
    CButtonUI* focused = nullptr;
    CButtonUI* disabled = nullptr;
};

TEST_F(DemoTreeTest, TheDemoTreeShowsEveryControl) {
    BuildTree();

    // Faces from real input where a mouse can give them; the hot face by an
    // enter event, since the one mouse is busy holding the pushed button.
    const RECT& listRect = list->GetPos();
    Wheel((listRect.left + listRect.right) / 2, listRect.top + 20, -WHEEL_DELTA);
    Wheel((listRect.left + listRect.right) / 2, listRect.top + 20, -WHEEL_DELTA);
    pm->SetFocus(focused);
    const RECT& pushedRect = pushed->GetPos();
    MouseMove(pushedRect.left + 10, pushedRect.top + 10);
    LButtonDown(pushedRect.left + 10, pushedRect.top + 10);
    pm->SetFocus(focused);
    TEventUI enter;
    enter.type = EventMouseEnter;
    enter.sender = hot;
    hot->Event(enter);
    Repaint();

    ASSERT_TRUE(list->GetVerticalScrollBar()->IsVisible());
    EXPECT_GT(list->GetScrollPos().cy, 0);
    EXPECT_TRUE(pushed->GetButtonState() & CButtonUI::StatePushed);
    EXPECT_TRUE(hot->GetButtonState() & CButtonUI::StateHot);
    EXPECT_EQ(pm->GetFocus(), focused);

    auto screen = ScreenShot();
    auto faceAt = [&screen](CControlUI* c) {
        const RECT& rc = c->GetPos();
        return screen->Rgb(rc.left + 3, rc.top + 3);
    };
    EXPECT_EQ(faceAt(normal), 0xB8C8D8u);
    EXPECT_EQ(faceAt(hot), 0xFFD070u);
    EXPECT_EQ(faceAt(pushed), 0x3070C0u);
    EXPECT_EQ(faceAt(focused), 0x90D090u);
    EXPECT_EQ(faceAt(disabled), 0xE0E0E0u);
    EXPECT_EQ(screen->Rgb(2, 2), kPanel & 0xFFFFFF);

    const std::wstring png = Env(L"FACET_DEMO_PNG");
    if (!png.empty()) {
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) pixels.push_back(0xFF000000 | screen->Rgb(x, y));
        }
        EXPECT_TRUE(WriteBytes(png, EncodePng(kWidth, kHeight, pixels)));
    }
    const std::wstring hold = Env(L"FACET_DEMO_HOLD_MS");
    if (!hold.empty()) PumpFor(static_cast<DWORD>(std::wcstoul(hold.c_str(), nullptr, 10)));
    LButtonUp(pushedRect.left + 10, pushedRect.top + 10);
}

// Painting every control, effects and scroll bar included, leaves the DC
// with the objects and clipping it had: nothing selected is left behind.
TEST_F(DemoTreeTest, PaintingLeavesTheDeviceContextAsItFoundIt) {
    BuildTree();
    CCanvas canvas(kWidth, kHeight);
    HDC dc = canvas.Dc();
    const HGDIOBJ font = ::GetCurrentObject(dc, OBJ_FONT);
    const HGDIOBJ brush = ::GetCurrentObject(dc, OBJ_BRUSH);
    const HGDIOBJ pen = ::GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ bitmap = ::GetCurrentObject(dc, OBJ_BITMAP);
    const RECT all = {0, 0, kWidth, kHeight};
    for (int round = 0; round < 3; ++round) root->DoPaint(dc, all);
    // A partial paint exercises the clips of containers cut by the rectangle.
    root->DoPaint(dc, RECT{30, 100, 200, 250});
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_BITMAP), bitmap);
    HRGN clip = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(::GetClipRgn(dc, clip), 0) << "a clip region was left selected";
    ::DeleteObject(clip);
}

// Where the system counts GDI objects, repeated painting and a rebuilt tree
// add none.
TEST_F(DemoTreeTest, RepeatedPaintingCreatesNoLastingGdiObjects) {
    BuildTree();
    Repaint();
    const DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (before == 0) GTEST_SKIP() << "this system does not count GDI objects";
    for (int round = 0; round < 20; ++round) {
        Wheel(40, 200, round % 2 ? WHEEL_DELTA : -WHEEL_DELTA);
        MouseMove(40 + round * 10, 120);
        Repaint();
        Snapshot();
    }
    EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), before);
}

}  // namespace
}  // namespace test
}  // namespace Facet
