// The combo box on a real window: where its drop-down opens, choosing by
// click, keys and wheel, Escape and Return, the notifications, changing the
// item list while the drop-down is open, handlers that destroy the combo or
// an item, a drop-down whose window fails, and how items look and measure.
// Removed controls are poisoned, so a popup or combo that still used one
// would fault.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "facet/controls/button_ui.h"
#include "facet/controls/combo_ui.h"
#include "facet/controls/combo_wnd.h"
#include "facet/controls/container_ui.h"
#include "facet/controls/list_label_element_ui.h"
#include "facet/controls/option_ui.h"
#include "facet/controls/scroll_bar_ui.h"
#include "facet/manager/paint_manager_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

// Controls whose memory is filled with 0xDD and never reused once deleted:
// a stale read of a pointer faults, and a stale write shows in Untouched().
std::vector<std::pair<const unsigned char*, size_t>> g_poisoned;
template <class Base>
class CPoisoned : public Base {
public:
    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* p, size_t size) {
        std::memset(p, 0xDD, size);
        g_poisoned.emplace_back(static_cast<const unsigned char*>(p), size);
    }
};
bool Untouched() {
    return std::all_of(g_poisoned.begin(), g_poisoned.end(), [](const auto& block) {
        return std::all_of(block.first, block.first + block.second, [](auto b) { return b == 0xDD; });
    });
}
using CPoisonedItem = CPoisoned<CListLabelElementUI>;
using CPoisonedCombo = CPoisoned<CComboUI>;

IListItemUI* AsItem(CControlUI* control) {
    return static_cast<IListItemUI*>(control->GetInterface(L"ListItem"));
}

// The drop-down's own window procedure, under a class of its name whose
// windows refuse WM_CREATE once the list has been built.
WNDPROC g_comboWndProc = nullptr;
LRESULT CALLBACK RefuseCreate(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ::CallWindowProcW(g_comboWndProc, hwnd, msg, wParam, lParam);
    return msg == WM_CREATE ? -1 : result;
}

constexpr int kItemHeight = 30;
constexpr RECT kComboRect = {20, 20, 220, 43};

class ComboTest : public UiWindowTest {
protected:
    void SetUp() override {
        UiWindowTest::SetUp();
        root = new CContainerUI;
        // Removed controls die at once, as a handler that destroys them wants.
        root->SetDelayedDestroy(false);
        AddCombo();
        Attach(root);
    }
    void AddCombo() {
        combo = new CPoisonedCombo;
        combo->SetFloat(true);
        combo->SetFixedXY(SIZE{kComboRect.left, kComboRect.top});
        combo->SetFixedWidth(kComboRect.right - kComboRect.left);
        combo->SetFixedHeight(kComboRect.bottom - kComboRect.top);
        combo->SetAttribute(L"textpadding", L"5,1,1,1");
        combo->SetDelayedDestroy(false);
        root->Add(combo);
        for (const wchar_t* text : {L"E: (DATA) FAT32 14.6GB", L"F: FAT32 7.5GB", L"G: NTFS 1023MB"}) {
            AddItem(text);
        }
    }
    void AddItem(const wchar_t* text) {
        auto* item = new CPoisonedItem;
        item->SetText(text);
        item->SetFixedHeight(kItemHeight);
        combo->Add(item);
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

    CContainerUI* root = nullptr;
    CComboUI* combo = nullptr;
};

TEST_F(ComboTest, OpensBelowListingEveryItemAndAClickChoosesAndCloses) {
    // An option among the items is in the window's group before and after
    // the drop-down has borrowed it.
    auto* option = new COptionUI;
    option->SetGroup(L"drives");
    option->SetFixedHeight(kItemHeight);
    combo->Add(option);
    const auto inGroup = [&] {
        const CStdPtrArray* group = pm->GetOptionGroup(L"drives");
        return group && group->Find(option) >= 0;
    };
    EXPECT_TRUE(inGroup());
    Open();
    EXPECT_EQ(notes.Count(L"dropdown", combo), 1);
    const RECT below = ComboOnScreen();
    const RECT popup = PopupRect();
    // As wide as the combo, right under it, as high as its items and frame.
    EXPECT_EQ(popup.left, below.left);
    EXPECT_EQ(popup.right, below.right);
    EXPECT_EQ(popup.top, below.bottom);
    EXPECT_EQ(popup.bottom - popup.top, 4 * kItemHeight + 4);
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
    EXPECT_TRUE(inGroup());
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
    // Escape goes back to no selection when there was none at opening.
    Open();
    ::PostMessageW(Popup(), WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(Popup(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpUntil([&] { return Popup() == nullptr; }));
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_FALSE(AsItem(combo->GetItemAt(0))->IsSelected());
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
    // While the list is open its rows lie under this point in their own
    // window's coordinates; the wheel still reaches the combo.
    Open();
    Wheel(30, 30, -WHEEL_DELTA);
    EXPECT_EQ(combo->GetCurSel(), 1);
    // The list stays open while the choice moves in it, as in the system's
    // combo boxes; F4 closes it.
    Pump();
    EXPECT_NE(Popup(), nullptr);
    ::PostMessageW(Popup(), WM_KEYDOWN, VK_F4, 0);
    EXPECT_TRUE(PumpUntil([&] { return Popup() == nullptr; }));
    combo->SelectItem(0);

    // A key in the open list chooses and the list stays; Escape goes back to
    // what was chosen when it opened, and closes it.
    Open();
    HWND popup = Popup();
    ::PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    Pump();
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(Popup(), popup);
    ::PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    PumpUntil([&] { return Popup() == nullptr; });
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_EQ(notes.Count(L"itemselect", combo), 6);

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

// The keys of the system's combo box, closed and open: F4, Alt+Down and
// Alt+Up open and close the list; arrows move the choice and the list stays
// open; Page Up and Page Down move by the open list's page; Home and End go
// to the first and last selectable item; Return takes the choice and closes
// it, Escape closes it with the choice it had when it opened; Tab closes it
// with the choice it shows and moves the focus on. A forward search that
// finds nothing ahead (the last item disabled) keeps the choice.
TEST_F(ComboTest, TheKeysOfTheSystemsComboBox) {
    auto* next = new CButtonUI;
    next->SetFloat(true);
    next->SetFixedXY(SIZE{20, 60});
    next->SetFixedWidth(80);
    next->SetFixedHeight(24);
    root->Add(next);
    Pump();
    struct Row {
        bool openBefore;
        int chosenBefore;
        WPARAM key;
        bool alt;
        int disabled;  // the item disabled, -1 for none
        bool openAfter;
        int chosenAfter;
    };
    const Row rows[] = {
        {false, 0, VK_F4, false, -1, true, 0},      {true, 0, VK_F4, false, -1, false, 0},
        {false, 1, VK_DOWN, true, -1, true, 1},     {true, 1, VK_UP, true, -1, false, 1},
        {false, 1, VK_UP, true, -1, true, 1},       {true, 1, VK_DOWN, true, -1, false, 1},
        {true, 0, VK_DOWN, false, -1, true, 1},     {true, 2, VK_UP, false, -1, true, 1},
        {true, 0, VK_END, false, -1, true, 2},      {true, 2, VK_HOME, false, -1, true, 0},
        {true, 2, VK_DOWN, false, -1, true, 2},     {true, 1, VK_RETURN, false, -1, false, 1},
        {true, 1, VK_ESCAPE, false, -1, false, 1},  {false, 1, VK_END, false, 2, false, 1},
        {false, 1, VK_DOWN, false, 2, false, 1},    {false, 1, VK_NEXT, false, 2, false, 1},
        {true, 1, VK_DOWN, false, 2, true, 1},      {true, 1, VK_END, false, 2, true, 1},
        {true, 0, VK_END, false, 2, true, 1},       {true, 2, VK_HOME, false, 0, true, 1},
        {true, 0, VK_NEXT, false, -1, true, 2},     {true, 2, VK_PRIOR, false, -1, true, 0},
        {true, 2, VK_TAB, false, -1, false, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "key " << row.key << (row.alt ? " with Alt" : "") << " from "
                                        << row.chosenBefore << (row.openBefore ? " open" : " closed"));
        for (int i = 0; i < combo->GetCount(); ++i) combo->GetItemAt(i)->SetEnabled(true);
        combo->SelectItem(row.chosenBefore);
        if (row.disabled >= 0) combo->GetItemAt(row.disabled)->SetEnabled(false);
        combo->SetFocus();
        if (row.openBefore) {
            ::PostMessageW(hwnd, WM_KEYDOWN, VK_F4, 0);
            Pump();
            ASSERT_NE(Popup(), nullptr);
        }
        HWND target = row.openBefore ? Popup() : hwnd;
        ::PostMessageW(target, row.alt ? WM_SYSKEYDOWN : WM_KEYDOWN, row.key, row.alt ? (1 << 29) : 0);
        Pump();
        EXPECT_EQ(combo->GetCurSel(), row.chosenAfter);
        if (row.openAfter) {
            EXPECT_EQ(Popup(), target == hwnd ? Popup() : target);
            EXPECT_NE(Popup(), nullptr);
        } else {
            EXPECT_TRUE(PumpUntil([&] { return Popup() == nullptr; }));
        }
        EXPECT_EQ(pm->GetFocus(), row.key == VK_TAB ? static_cast<CControlUI*>(next) : combo);
        if (Popup()) {
            ::PostMessageW(Popup(), WM_KEYDOWN, VK_RETURN, 0);
            ASSERT_TRUE(PumpUntil([&] { return Popup() == nullptr; }));
        }
    }
    for (int i = 0; i < combo->GetCount(); ++i) combo->GetItemAt(i)->SetEnabled(true);
    // Escape after a move goes back to the choice the list opened with.
    combo->SelectItem(0);
    combo->SetFocus();
    ::PostMessageW(hwnd, WM_KEYDOWN, VK_F4, 0);
    Pump();
    ::PostMessageW(Popup(), WM_KEYDOWN, VK_END, 0);
    Pump();
    EXPECT_EQ(combo->GetCurSel(), 2);
    ::PostMessageW(Popup(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpUntil([&] { return Popup() == nullptr; }));
    EXPECT_EQ(combo->GetCurSel(), 0);
}

// An item inserted anywhere, at the selected index too, leaves the selection
// on the item that was selected, silently, with indices equal to positions.
TEST_F(ComboTest, AnInsertedItemLeavesTheSelectionOnTheSameItem) {
    for (int at : {0, 1, 2, 3}) {
        combo->SelectItem(1);
        CControlUI* selected = combo->GetItemAt(1);
        notes.Clear();
        auto* added = new CPoisonedItem;
        added->SetText(L"D: FAT32 2.0GB");
        ASSERT_TRUE(combo->AddAt(added, at));
        EXPECT_EQ(combo->GetItemAt(combo->GetCurSel()), selected) << at;
        EXPECT_EQ(combo->GetText(), CDuiString(L"F: FAT32 7.5GB")) << at;
        EXPECT_FALSE(AsItem(added)->IsSelected()) << at;
        EXPECT_EQ(notes.Count(L"itemselect"), 0) << at;
        for (int i = 0; i < combo->GetCount(); ++i) EXPECT_EQ(AsItem(combo->GetItemAt(i))->GetIndex(), i);
        combo->Remove(added);
    }
}

TEST_F(ComboTest, SelectionBookkeepingWhenItemsComeAndGo) {
    // A disabled selected item lets go when another is chosen, so hiding it
    // later leaves the real selection alone.
    combo->SelectItem(1);
    combo->GetItemAt(1)->SetEnabled(false);
    combo->SelectItem(2);
    notes.Clear();
    combo->GetItemAt(1)->SetVisible(false);
    EXPECT_EQ(combo->GetCurSel(), 2);
    combo->GetItemAt(1)->SetVisible(true);
    combo->GetItemAt(1)->SetEnabled(true);
    // An item added before the selection moves it, silently.
    auto* first = new CPoisonedItem;
    first->SetText(L"D: FAT32 2.0GB");
    combo->AddAt(first, 0);
    EXPECT_EQ(combo->GetCurSel(), 3);
    EXPECT_EQ(notes.Count(L"itemselect"), 0);
    // Removing one before it keeps the same item selected; indices stay
    // equal to positions.
    combo->RemoveAt(0);
    EXPECT_EQ(combo->GetCurSel(), 2);
    combo->RemoveAt(0);
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetText(), CDuiString(L"G: NTFS 1023MB"));
    for (int i = 0; i < combo->GetCount(); ++i) {
        EXPECT_EQ(AsItem(combo->GetItemAt(i))->GetIndex(), i);
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

TEST_F(ComboTest, HandlersThatDestroyTheComboOrTheItemAtOnceLeaveNothingTouched) {
    const std::function<void()> clickBox = [this] { Click(30, 30); };
    const std::function<void()> wheel = [this] { Wheel(30, 30, -WHEEL_DELTA); };
    const std::function<void()> choose = [this] {
        Open();
        ClickPopup(50, kItemHeight * 3 / 2);
    };
    const struct {
        const wchar_t* notification;
        bool item;  // the chosen (or first) item dies, else the whole combo
        const std::function<void()>& act;
    } cases[] = {{L"dropdown", false, clickBox}, {L"dropdown", true, clickBox},
                 {L"itemselect", false, choose}, {L"itemselect", true, choose},
                 {L"itemselect", false, wheel},  {L"itemselect", true, wheel}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        if (combo) root->Remove(combo);
        AddCombo();
        Repaint();
        bool done = false;
        notes.onNotify = [&](TNotifyUI& msg) {
            if (done || msg.type != c.notification) return;
            done = true;
            if (c.item) {
                combo->Remove(combo->GetItemAt(msg.type == L"dropdown" ? 0 : int(msg.wParam)));
            } else {
                root->Remove(combo);
                combo = nullptr;
            }
        };
        c.act();
        EXPECT_TRUE(done);
        EXPECT_TRUE(PumpUntil([] { return !::FindWindowW(L"ComboWnd", nullptr); }));
        Repaint();
        EXPECT_TRUE(Untouched());
    }
}

TEST_F(ComboTest, ADropDownWhoseWindowFailsLeavesNoPopupAndTheItemsHome) {
    Open();  // and closed again: the class now exists
    ::PostMessageW(Popup(), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(PumpUntil([] { return !::FindWindowW(L"ComboWnd", nullptr); }));
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    ASSERT_TRUE(::GetClassInfoW(module, L"ComboWnd", &wc));
    g_comboWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = RefuseCreate;
    ASSERT_TRUE(::UnregisterClassW(L"ComboWnd", module) && ::RegisterClassW(&wc));
    notes.Clear();
    EXPECT_FALSE(combo->Activate());
    ::UnregisterClassW(L"ComboWnd", module);
    EXPECT_EQ(combo->GetDropDown(), nullptr);
    EXPECT_EQ(::FindWindowW(L"ComboWnd", nullptr), nullptr);
    EXPECT_EQ(notes.Count(L"dropdown"), 0);
    EXPECT_EQ(combo->GetItemAt(0)->GetManager(), pm.get());
    Open();  // with the real class again
}

TEST_F(ComboTest, AClickOnTheListsScrollBarKeepsItOpen) {
    for (int i = 0; i < 5; ++i) AddItem(L"H: FAT32 1.0GB");
    Open();
    auto* list = static_cast<CContainerUI*>(combo->GetItemAt(0)->GetParent());
    const RECT bar = list->GetVerticalScrollBar()->GetPos();
    ClickPopup((bar.left + bar.right) / 2, bar.bottom - 20);  // the track below the thumb
    PumpFor(100);
    EXPECT_NE(Popup(), nullptr);
    EXPECT_GT(list->GetScrollPos().cy, 0);
}

TEST_F(ComboTest, ItemLookAlternateRowsLineAlignmentAndWidth) {
    combo->ApplyAttributeList(
        L"itembkcolor=\"#FF102030\" itemaltbk=\"true\" itemlinecolor=\"#FFFF0000\"");
    CCanvas canvas(40, 20);
    for (int i : {0, 1}) {
        auto* row = static_cast<CListElementUI*>(combo->GetItemAt(i));
        row->DrawItemBk(canvas.Dc(), RECT{0, 10 * i, 40, 10 * i + 10});
    }
    // Odd rows have no colour of their own; every row ends in the line.
    const std::vector<std::uint32_t> seen = {canvas.Rgb(5, 5), canvas.Rgb(5, 9), canvas.Rgb(5, 15),
                                             canvas.Rgb(5, 19)};
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{0x102030, 0xFF0000, 0xFFFFFF, 0xFF0000}));

    CControlUI* item = combo->GetItemAt(1);
    item->SetFixedHeight(0);
    const SIZE plain = item->EstimateSize(SIZE{200, 150});
    EXPECT_TRUE(plain.cx > 40 && plain.cx < 150) << plain.cx;
    const std::pair<const wchar_t*, UINT> aligns[] = {{L"center", DT_CENTER}, {L"right", DT_RIGHT},
                                                      {L"left", 0}, {L"center right", DT_RIGHT},
                                                      {L"left,center", DT_CENTER}};
    for (const auto& [align, horizontal] : aligns) {
        combo->SetAttribute(L"itemalign", align);
        EXPECT_EQ(combo->GetItemTextStyle(), DT_VCENTER | horizontal) << align;
        EXPECT_EQ(item->EstimateSize(SIZE{200, 150}).cx, plain.cx) << align;
    }
    combo->SetItemTextPadding(RECT{7, 2, 5, 3});
    const SIZE padded = item->EstimateSize(SIZE{200, 150});
    EXPECT_EQ(padded.cx - plain.cx, 12);
    EXPECT_EQ(padded.cy - plain.cy, 5);
}

}  // namespace
}  // namespace test
}  // namespace Facet
