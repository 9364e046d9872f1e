// The tab layout in a window: which page is current and shown as pages are
// added, inserted, selected, moved and removed (exactly one shown
// throughout), what a selection reports, and where the current page is
// placed.
#include <windows.h>

#include <gtest/gtest.h>

#include "facet/controls/tab_layout_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

class TabLayoutTest : public UiWindowTest {
protected:
    void SetUp() override {
        UiWindowTest::SetUp();
        tabs = new CTabLayoutUI;
        for (int i = 0; i < 3; ++i) tabs->Add(Page(i));
        Attach(tabs);
        notes.Clear();
    }
    static CControlUI* Page(int n) {
        auto* page = new CControlUI;
        page->SetName(std::to_wstring(n).c_str());
        page->SetBkColor(0xFF000000 | (0x203040 * (n + 1)));
        return page;
    }
    // The names of the pages in order, the shown one in brackets.
    std::wstring Pages() {
        std::wstring text;
        for (int i = 0; i < tabs->GetCount(); ++i) {
            const std::wstring name = tabs->GetItemAt(i)->GetName().GetData();
            text += tabs->GetItemAt(i)->IsVisible() ? L"[" + name + L"]" : name;
        }
        return text;
    }
    CTabLayoutUI* tabs = nullptr;
};

TEST_F(TabLayoutTest, TheFirstVisiblePageAddedIsCurrentAndTheOnlyOneShown) {
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_EQ(Pages(), L"[0]12");
    // Inserted before the current page: hidden, and the index follows it.
    tabs->AddAt(Page(3), 0);
    EXPECT_EQ(Pages(), L"3[0]12");
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(Snapshot()->Rgb(5, 5), 0x203040u);
}

TEST_F(TabLayoutTest, SelectingAPageShowsFocusesAndReportsIt) {
    EXPECT_FALSE(tabs->SelectItem(5));
    EXPECT_FALSE(tabs->SelectItem(-1));
    EXPECT_TRUE(tabs->SelectItem(2));
    EXPECT_EQ(Pages(), L"01[2]");
    EXPECT_EQ(pm->GetFocus(), tabs->GetItemAt(2));
    ASSERT_EQ(notes.Count(L"tabselect", tabs), 1);
    EXPECT_EQ(notes.seen.back().wParam, 2u);
    EXPECT_EQ(notes.seen.back().lParam, 0);
    EXPECT_EQ(Snapshot()->Rgb(5, 5), 0x6090C0u);
    EXPECT_TRUE(tabs->SelectItem(2));
    EXPECT_TRUE(tabs->SelectItem(tabs->GetItemAt(2)));
    EXPECT_EQ(notes.Count(L"tabselect"), 1);
    tabs->SetAttribute(L"selectedid", L"1");
    EXPECT_EQ(Pages(), L"0[1]2");
}

TEST_F(TabLayoutTest, RemovingOrMovingPagesKeepsTheCurrentIndexRight) {
    struct Case {
        int select, remove;
        bool throughRemoveAt;  // which goes through Remove: bookkeeping once
        const wchar_t* pages;
        int current;
        int moveTo = -1;  // moved there instead of removed
    } cases[] = {
        {1, 1, false, L"[0]2", 0},  // the current page: page 0 takes over
        {1, 1, true, L"[0]2", 0},
        {2, 0, true, L"1[2]", 1},  // before it: the same page, one index lower
        {0, 2, false, L"[0]1", 0},
        {2, 2, false, L"[2]01", 0, 0},  // the current page moved to the front
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pages);
        tabs->RemoveAll();
        EXPECT_EQ(tabs->GetCurSel(), -1);
        for (int i = 0; i < 3; ++i) tabs->Add(Page(i));
        tabs->SelectItem(c.select);
        CControlUI* page = tabs->GetItemAt(c.remove);
        if (c.moveTo >= 0) {
            EXPECT_TRUE(tabs->SetItemIndex(page, c.moveTo));
        } else {
            EXPECT_TRUE(c.throughRemoveAt ? tabs->RemoveAt(c.remove) : tabs->Remove(page));
        }
        EXPECT_EQ(Pages(), c.pages);
        EXPECT_EQ(tabs->GetCurSel(), c.current);
        // The shown page is the one laid out.
        tabs->SetInset(RECT{0, 0, 10, 0});
        Flush();
        EXPECT_EQ(tabs->GetItemAt(c.current)->GetPos(), (RECT{0, 0, kWidth - 10, kHeight}));
        tabs->SetInset(RECT{0, 0, 0, 0});
    }
}

TEST_F(TabLayoutTest, TheCurrentPageFillsTheInnerRectangleLessItsPadding) {
    CControlUI* page = tabs->GetItemAt(0);
    tabs->SetInset(RECT{10, 20, 50, 30});
    page->SetPadding(RECT{5, 6, 0, 0});
    Flush();
    EXPECT_EQ(page->GetPos(), (RECT{15, 26, kWidth - 50, kHeight - 30}));
    page->SetFixedWidth(100);
    page->SetMaxHeight(50);
    Flush();
    EXPECT_EQ(page->GetPos(), (RECT{15, 26, 115, 76}));
}

}  // namespace
}  // namespace test
}  // namespace Facet
