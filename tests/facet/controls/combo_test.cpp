// The combo box on a real window: where its drop-down opens, choosing by
// click, keys and wheel, Escape and Return, the notifications, and changing
// the item list while the drop-down is open (removed items are poisoned, so a
// popup that still used one would fault).
#include <windows.h>

#include <cstring>

#include <gtest/gtest.h>

#include "facet/controls/combo_ui.h"
#include "facet/controls/combo_wnd.h"
#include "facet/controls/container_ui.h"
#include "facet/controls/list_label_element_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

// A list item whose memory is filled with 0xDD and never reused once deleted.
class CPoisonedItem : public CListLabelElementUI {
public:
    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* p, size_t size) { std::memset(p, 0xDD, size); }
};

constexpr int kItemHeight = 30;
constexpr RECT kComboRect = {20, 20, 220, 43};

class ComboTest : public UiWindowTest {
protected:
    void SetUp() override {
        UiWindowTest::SetUp();
        auto* root = new CContainerUI;
        combo = new CComboUI;
        combo->SetFloat(true);
        combo->SetFixedXY(SIZE{kComboRect.left, kComboRect.top});
        combo->SetFixedWidth(kComboRect.right - kComboRect.left);
        combo->SetFixedHeight(kComboRect.bottom - kComboRect.top);
        combo->SetAttribute(L"textpadding", L"5,1,1,1");
        root->Add(combo);
        for (const wchar_t* text : {L"E: (DATA) FAT32 14.6GB", L"F: FAT32 7.5GB", L"G: NTFS 1023MB"}) {
            auto* item = new CPoisonedItem;
            item->SetText(text);
            item->SetFixedHeight(kItemHeight);
            combo->Add(item);
        }
        Attach(root);
    }

    HWND Popup() const { return combo->GetDropDown() ? combo->GetDropDown()->GetHWND() : nullptr; }
    RECT PopupRect() const {
        RECT rc = {};
        ::GetWindowRect(Popup(), &rc);
        return rc;
    }
    RECT ComboOnScreen() const {
        RECT rc = kComboRect;
        ::MapWindowPoints(hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    void Open() {
        Click(30, 30);
        ASSERT_NE(Popup(), nullptr);
        // The popup lays its items out at its first paint.
        ::UpdateWindow(Popup());
        Pump();
    }
    // A click inside the open popup, in its client coordinates.
    void ClickPopup(int x, int y) {
        HWND popup = Popup();
        ::PostMessageW(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::PostMessageW(popup, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Pump();
    }

    CComboUI* combo = nullptr;
};

TEST_F(ComboTest, OpensBelowListingEveryItemAndAClickChoosesAndCloses) {
    Open();
    EXPECT_EQ(notes.Count(L"dropdown", combo), 1);
    const RECT below = ComboOnScreen();
    const RECT popup = PopupRect();
    // As wide as the combo, right under it, as high as its items and frame.
    EXPECT_EQ(popup.left, below.left);
    EXPECT_EQ(popup.right, below.right);
    EXPECT_EQ(popup.top, below.bottom);
    EXPECT_EQ(popup.bottom - popup.top, 3 * kItemHeight + 4);
    EXPECT_EQ(combo->GetItemAt(1)->GetManager()->GetPaintWindow(), Popup());

    ClickPopup(50, 1 + kItemHeight + kItemHeight / 2);
    PumpUntil([&] { return Popup() == nullptr; });
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetText(), CDuiString(L"F: FAT32 7.5GB"));
    ASSERT_EQ(notes.Count(L"itemselect", combo), 1);
    EXPECT_EQ(notes.seen.back().wParam, 1u);
    EXPECT_EQ(static_cast<int>(notes.seen.back().lParam), -1);
    // The items are back with the window's manager, with no room of their own.
    EXPECT_EQ(combo->GetItemAt(1)->GetManager(), pm.get());
    EXPECT_EQ(combo->GetItemAt(1)->GetPos(), (RECT{0, 0, 0, 0}));
}

TEST_F(ComboTest, OpensAboveWhenTheWorkAreaEndsBelow) {
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::SetWindowPos(hwnd, nullptr, 0, work.bottom - 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump();
    Open();
    const RECT combo = ComboOnScreen();
    const RECT popup = PopupRect();
    EXPECT_EQ(popup.bottom, combo.top);
    EXPECT_EQ(popup.bottom - popup.top, 3 * kItemHeight + 4);
    EXPECT_EQ(popup.left, combo.left);
}

TEST_F(ComboTest, KeysWheelEscapeAndReturn) {
    combo->SelectItem(0);
    notes.Clear();

    // The wheel over the closed box moves by one item without opening it.
    Wheel(30, 30, -WHEEL_DELTA);
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(Popup(), nullptr);
    Wheel(30, 30, WHEEL_DELTA);
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(notes.Count(L"itemselect", combo), 2);
    // A disabled combo keeps its selection.
    combo->SetEnabled(false);
    Wheel(30, 30, -WHEEL_DELTA);
    EXPECT_EQ(combo->GetCurSel(), 0);
    combo->SetEnabled(true);

    // A key in the open list chooses (and the choice closes the list);
    // Escape, before the list is gone, goes back to what was chosen when it
    // opened.
    Open();
    HWND popup = Popup();
    ::PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    PumpUntil([&] { return Popup() == nullptr; });
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_EQ(notes.Count(L"itemselect", combo), 4);

    // Return closes and keeps the choice.
    Open();
    popup = Popup();
    ::PostMessageW(popup, WM_KEYDOWN, VK_END, 0);
    ::PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    PumpUntil([&] { return Popup() == nullptr; });
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_EQ(combo->GetCurSel(), 2);
}

TEST_F(ComboTest, SelectionBookkeepingWhenItemsComeAndGo) {
    combo->SelectItem(2);
    notes.Clear();
    // An item added before the selection moves it, silently.
    auto* first = new CPoisonedItem;
    first->SetText(L"D: FAT32 2.0GB");
    combo->AddAt(first, 0);
    EXPECT_EQ(combo->GetCurSel(), 3);
    // Removing one before it keeps the same item selected; indices stay
    // equal to positions.
    combo->RemoveAt(0);
    EXPECT_EQ(combo->GetCurSel(), 2);
    combo->RemoveAt(0);
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetText(), CDuiString(L"G: NTFS 1023MB"));
    for (int i = 0; i < combo->GetCount(); ++i) {
        auto* item = static_cast<IListItemUI*>(combo->GetItemAt(i)->GetInterface(L"ListItem"));
        EXPECT_EQ(item->GetIndex(), i);
    }
    EXPECT_EQ(notes.Count(L"itemselect"), 0);
    // Removing the selected item chooses its neighbour, with one notice.
    combo->RemoveAt(1);
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(notes.Count(L"itemselect"), 1);
    Pump();
}

TEST_F(ComboTest, ItemsRemovedWhileTheListIsOpenAreNeverTouchedAgain) {
    combo->SelectItem(2);
    struct Case {
        const char* what;
        void (*change)(CComboUI*);
    };
    const Case cases[] = {
        {"the selected item", [](CComboUI* c) { c->RemoveAt(c->GetCurSel()); }},
        {"an item before it", [](CComboUI* c) { c->RemoveAt(0); }},
        {"every item", [](CComboUI* c) { c->RemoveAll(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (combo->GetCount() == 0) break;
        Open();
        HWND popup = Popup();
        // Hover an item so the popup's manager holds on to it.
        ::PostMessageW(popup, WM_MOUSEMOVE, 0, MAKELPARAM(40, 10));
        Pump();
        c.change(combo);
        // The list let go at once; its window goes with the next messages.
        EXPECT_EQ(combo->GetDropDown(), nullptr);
        ::PostMessageW(popup, WM_MOUSEMOVE, 0, MAKELPARAM(40, 40));
        ::PostMessageW(popup, WM_LBUTTONUP, 0, MAKELPARAM(40, 40));
        ::InvalidateRect(popup, nullptr, FALSE);
        Pump();
        Repaint();
        PumpUntil([&] { return !::IsWindow(popup); });
        EXPECT_FALSE(::IsWindow(popup));
    }
    EXPECT_EQ(combo->GetCount(), 0);
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetText(), CDuiString());
}

}  // namespace
}  // namespace test
}  // namespace Facet
