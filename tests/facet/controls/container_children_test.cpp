// A container's children: adding and ordering them, who owns and destroys a
// removed child and when, how hiding reaches the descendants, the selection
// helper, and the look-ups by descendant name.
#include <windows.h>

#include <gtest/gtest.h>

#include "facet/controls/button_ui.h"
#include "facet/controls/container_ui.h"
#include "facet/controls/scroll_bar_ui.h"
#include "facet/controls/vertical_layout_ui.h"
#include "ui_window_fixture.h"

namespace Facet {
namespace test {
namespace {

class ContainerChildrenTest : public UiWindowTest {
protected:
    void SetUp() override {
        UiWindowTest::SetUp();
        root = Attach(new CVerticalLayoutUI);
    }
    CVerticalLayoutUI* root = nullptr;
};

int g_initCount = 0;
bool CountInit(void*) {
    ++g_initCount;
    return true;
}

TEST_F(ContainerChildrenTest, AddInitialisesTheChildAndEntersItsName) {
    auto* child = new CControlUI;
    child->SetName(L"child");
    child->InitHandlers += CountInit;
    g_initCount = 0;
    ASSERT_TRUE(root->Add(child));
    EXPECT_EQ(g_initCount, 1);
    EXPECT_EQ(child->GetManager(), pm.get());
    EXPECT_EQ(child->GetParent(), root);
    EXPECT_EQ(pm->FindControl(L"child"), child);
    EXPECT_EQ(root->GetCount(), 1);
}

TEST_F(ContainerChildrenTest, AddingOutsideAManagerDefersInitUntilTheTreeIsAttached) {
    auto* detached = new CVerticalLayoutUI;
    auto* child = new CControlUI;
    child->InitHandlers += CountInit;
    g_initCount = 0;
    ASSERT_TRUE(detached->Add(child));
    EXPECT_EQ(g_initCount, 0);
    EXPECT_EQ(child->GetManager(), nullptr);
    root->Add(detached);
    EXPECT_EQ(g_initCount, 1);
    EXPECT_EQ(child->GetParent(), detached);
    EXPECT_EQ(child->GetManager(), pm.get());
}

TEST_F(ContainerChildrenTest, RefusesNullSelfDuplicatesAndBadIndexes) {
    EXPECT_FALSE(root->Add(nullptr));
    EXPECT_FALSE(root->AddAt(nullptr, 0));
    EXPECT_FALSE(root->Add(root));
    auto* child = new CControlUI;
    ASSERT_TRUE(root->Add(child));
    // Owning the same child twice would destroy it twice.
    EXPECT_FALSE(root->Add(child));
    EXPECT_EQ(root->GetCount(), 1);

    // A refused control stays entirely the caller's: not initialised.
    auto* stray = new CControlUI;
    EXPECT_FALSE(root->AddAt(stray, 2));
    EXPECT_FALSE(root->AddAt(stray, -1));
    EXPECT_EQ(stray->GetManager(), nullptr);
    EXPECT_EQ(stray->GetParent(), nullptr);
    delete stray;

    EXPECT_FALSE(root->Remove(nullptr));
    EXPECT_FALSE(root->RemoveAt(1));
    EXPECT_FALSE(root->RemoveAt(-1));
    EXPECT_EQ(root->GetItemAt(1), nullptr);
    EXPECT_EQ(root->GetItemAt(-1), nullptr);
    EXPECT_EQ(root->GetItemIndex(nullptr), -1);
    EXPECT_EQ(root->GetCount(), 1);
}

TEST_F(ContainerChildrenTest, AddAtAndSetItemIndexReorderChildren) {
    auto* a = new CControlUI;
    auto* b = new CControlUI;
    auto* c = new CControlUI;
    root->Add(a);
    root->Add(c);
    ASSERT_TRUE(root->AddAt(b, 1));
    EXPECT_EQ(root->GetItemIndex(a), 0);
    EXPECT_EQ(root->GetItemIndex(b), 1);
    EXPECT_EQ(root->GetItemIndex(c), 2);

    ASSERT_TRUE(root->SetItemIndex(c, 0));
    EXPECT_EQ(root->GetItemAt(0), c);
    EXPECT_EQ(root->GetItemAt(1), a);
    EXPECT_EQ(root->GetItemAt(2), b);

    // A bad target index leaves the list as it was instead of dropping c.
    EXPECT_FALSE(root->SetItemIndex(c, 3));
    EXPECT_FALSE(root->SetItemIndex(c, -1));
    CControlUI stranger;
    EXPECT_FALSE(root->SetItemIndex(&stranger, 0));
    EXPECT_EQ(root->GetCount(), 3);
    EXPECT_EQ(root->GetItemAt(0), c);
}

TEST_F(ContainerChildrenTest, RemovedChildDiesAtTheNextMessageByDefault) {
    bool destroyed = false;
    auto* child = new CRecordingControl(&destroyed);
    child->SetName(L"late");
    root->Add(child);
    ASSERT_TRUE(root->Remove(child));
    EXPECT_EQ(root->GetCount(), 0);
    EXPECT_FALSE(destroyed);
    // Out of the window's reach at once, though.
    EXPECT_EQ(pm->FindControl(L"late"), nullptr);
    Pump();
    EXPECT_TRUE(destroyed);
}

TEST_F(ContainerChildrenTest, WithoutDelayedDestroyARemovedChildDiesAtOnce) {
    bool destroyed = false;
    root->SetDelayedDestroy(false);
    root->Add(new CRecordingControl(&destroyed));
    ASSERT_TRUE(root->RemoveAt(0));
    EXPECT_TRUE(destroyed);
}

TEST_F(ContainerChildrenTest, WithoutAutoDestroyARemovedChildLivesOnWithoutItsParent) {
    bool destroyed = false;
    auto* inner = new CVerticalLayoutUI;
    root->Add(inner);
    inner->SetAutoDestroy(false);
    auto* child = new CRecordingControl(&destroyed);
    inner->Add(child);
    ASSERT_TRUE(inner->Remove(child));
    Pump();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(child->GetParent(), nullptr);
    // The old container may go first; the child must not reach back into it.
    root->SetDelayedDestroy(false);
    root->Remove(inner);
    child->Invalidate();
    child->NeedParentUpdate();
    // It can join another container.
    ASSERT_TRUE(root->Add(child));
    EXPECT_EQ(child->GetParent(), root);
    root->RemoveAll();
    EXPECT_TRUE(destroyed);
}

TEST_F(ContainerChildrenTest, RemoveAllAndTheDestructorDestroyEveryChild) {
    bool first = false;
    bool second = false;
    auto* inner = new CVerticalLayoutUI;
    root->Add(inner);
    inner->Add(new CRecordingControl(&first));
    inner->Add(new CRecordingControl(&second));
    inner->RemoveAll();
    EXPECT_EQ(inner->GetCount(), 0);
    Pump();
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);

    // Destroying a container takes its children at once, even though it
    // would delay the destruction of removed ones.
    auto* doomed = new CVerticalLayoutUI;
    doomed->Add(new CRecordingControl(&first));
    doomed->EnableScrollBar(true, true);
    delete doomed;
    EXPECT_TRUE(first);
}

// A button that tells when it is destroyed.
class CTrackedButton : public CButtonUI {
public:
    explicit CTrackedButton(bool* destroyed) : m_destroyed(destroyed) { *m_destroyed = false; }
    ~CTrackedButton() override { *m_destroyed = true; }

private:
    bool* m_destroyed;
};

TEST_F(ContainerChildrenTest, AButtonRemovedFromItsOwnClickHandlerSurvivesTheHandler) {
    bool destroyed = false;
    auto* row = new CVerticalLayoutUI;
    root->Add(row);
    auto* button = new CTrackedButton(&destroyed);
    button->SetFixedHeight(40);
    row->Add(button);
    Repaint();
    bool destroyedInHandler = true;
    notes.onNotify = [&](TNotifyUI& msg) {
        if (msg.type != L"click") return;
        row->Remove(msg.sender);
        destroyedInHandler = destroyed;
    };
    MouseMove(20, 20);
    LButtonDown(20, 20);
    ::PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, hwnd, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE));
    ::DispatchMessageW(&msg);
    EXPECT_FALSE(destroyedInHandler);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(row->GetCount(), 0);
    Pump();
    EXPECT_TRUE(destroyed);
    // The window keeps working where the button was.
    MouseMove(21, 21);
    Click(20, 20);
    Repaint();
    EXPECT_EQ(notes.Count(L"click"), 1);
}

TEST_F(ContainerChildrenTest, HidingAContainerHidesEveryDescendantAndDropsTheFocus) {
    auto* outer = new CVerticalLayoutUI;
    auto* inner = new CVerticalLayoutUI;
    auto* button = new CButtonUI;
    root->Add(outer);
    outer->Add(inner);
    inner->Add(button);
    Repaint();
    pm->SetFocus(button);
    ASSERT_EQ(pm->GetFocus(), button);

    outer->SetVisible(false);
    EXPECT_FALSE(inner->IsVisible());
    EXPECT_FALSE(button->IsVisible());
    EXPECT_EQ(pm->GetFocus(), nullptr);

    // A child added while hidden starts hidden too.
    auto* late = new CControlUI;
    inner->Add(late);
    EXPECT_FALSE(late->IsVisible());

    outer->SetVisible(true);
    EXPECT_TRUE(button->IsVisible());
    EXPECT_TRUE(late->IsVisible());
}

TEST_F(ContainerChildrenTest, FindSelectableSkipsWhatIsNotAVisibleEnabledListItem) {
    CVerticalLayoutUI list;
    EXPECT_EQ(list.FindSelectable(0, true), -1);
    auto* plain = new CRecordingControl(nullptr, nullptr);
    auto* item1 = new CRecordingControl(nullptr, L"ListItem");
    auto* hidden = new CRecordingControl(nullptr, L"ListItem");
    hidden->SetVisible(false);
    auto* disabled = new CRecordingControl(nullptr, L"ListItem");
    disabled->SetEnabled(false);
    auto* item4 = new CRecordingControl(nullptr, L"ListItem");
    list.Add(plain);
    list.Add(item1);
    list.Add(hidden);
    list.Add(disabled);
    list.Add(item4);

    EXPECT_EQ(list.FindSelectable(0, true), 1);
    EXPECT_EQ(list.FindSelectable(2, true), 4);
    EXPECT_EQ(list.FindSelectable(3, false), 1);
    EXPECT_EQ(list.FindSelectable(99, false), 4);   // clamped to the last
    EXPECT_EQ(list.FindSelectable(-5, true), 1);    // clamped to the first
    // Backward from the start finds nothing, so it searches forward.
    EXPECT_EQ(list.FindSelectable(0, false), 1);
    item4->SetEnabled(false);
    EXPECT_EQ(list.FindSelectable(2, true), -1);
}

TEST_F(ContainerChildrenTest, SubControlsAreReachedByNameIgnoringCase) {
    auto* group = new CVerticalLayoutUI;
    root->Add(group);
    auto* label = new CControlUI;
    label->SetName(L"Status");
    group->Add(label);
    EXPECT_TRUE(group->SetSubControlText(L"status", L"Ready"));
    EXPECT_EQ(group->GetSubControlText(L"STATUS"), L"Ready");
    EXPECT_TRUE(group->SetSubControlFixedHeight(L"status", 24));
    EXPECT_EQ(group->GetSubControlFixedHeight(L"status"), 24);
    EXPECT_TRUE(group->SetSubControlFixedWdith(L"status", 70));
    EXPECT_EQ(group->GetSubControlFixedWdith(L"status"), 70);
    EXPECT_TRUE(group->SetSubControlUserData(L"status", L"u"));
    EXPECT_EQ(group->GetSubControlUserData(L"status"), L"u");

    EXPECT_FALSE(group->SetSubControlText(L"missing", L"x"));
    EXPECT_FALSE(group->SetSubControlFixedHeight(L"missing", 1));
    EXPECT_TRUE(group->GetSubControlText(L"missing").IsEmpty());
    EXPECT_EQ(group->GetSubControlFixedHeight(L"missing"), -1);
    EXPECT_EQ(group->FindSubControl(nullptr), nullptr);
    // Without a manager nothing can be found.
    CVerticalLayoutUI loose;
    EXPECT_FALSE(loose.SetSubControlText(L"status", L"x"));
}

TEST_F(ContainerChildrenTest, ScrollBarAttributesKeepTheOtherBar) {
    auto* box = new CContainerUI;
    root->Add(box);
    box->SetAttribute(L"vscrollbar", L"true");
    box->SetAttribute(L"hscrollbarstyle", L"range=\"40\" linesize=\"3\"");
    ASSERT_NE(box->GetHorizontalScrollBar(), nullptr);
    EXPECT_TRUE(box->GetHorizontalScrollBar()->IsHorizontal());
    EXPECT_EQ(box->GetHorizontalScrollBar()->GetScrollRange(), 40);
    EXPECT_NE(box->GetVerticalScrollBar(), nullptr);
    box->SetAttribute(L"vscrollbar", L"no");
    EXPECT_EQ(box->GetVerticalScrollBar(), nullptr);
    EXPECT_NE(box->GetHorizontalScrollBar(), nullptr);
    // Names are case-sensitive.
    box->SetAttribute(L"Inset", L"9,9,9,9");
    EXPECT_EQ(box->GetInset(), (RECT{0, 0, 0, 0}));
}

}  // namespace
}  // namespace test
}  // namespace Facet
