// The builder's rules on small documents: root attributes, fonts, defaults,
// unknown tags, includes, and documents or parents it cannot use (which
// leave the manager nothing of what they built).
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "facet/controls/container_ui.h"
#include "facet/controls/label_ui.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/markup/dialog_builder.h"

namespace Facet {
namespace {

class NullCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* pstrClass) override {
        asked += pstrClass;
        asked += L';';
        return nullptr;
    }
    std::wstring asked;
};

class BuilderMarkup : public ::testing::Test {
protected:
    void SetUp() override {
        m_hwnd = ::CreateWindowExW(0, L"STATIC", L"builder", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_NE(m_hwnd, nullptr);
        m_pm.Init(m_hwnd);
    }
    void TearDown() override { ::DestroyWindow(m_hwnd); }

    std::unique_ptr<CControlUI> Build(const wchar_t* xml, CControlUI* parent = nullptr) {
        CDialogBuilder builder;
        return std::unique_ptr<CControlUI>(builder.Create(xml, nullptr, &m_callback, &m_pm, parent));
    }
    static IContainerUI* Items(CControlUI* control) {
        return static_cast<IContainerUI*>(control->GetInterface(L"IContainer"));
    }

    HWND m_hwnd = nullptr;
    CPaintManagerUI m_pm;
    NullCallback m_callback;
};

TEST_F(BuilderMarkup, WindowAttributesReachTheManager) {
    auto root = Build(
        L"<Window size=\"200, 100\" sizebox=\"1,2,3,4\" mininfo=\"50,40\" maxinfo=\"900\" "
        L"showdirty=\"true\" alpha=\"128\" defaultfontcolor=\"#FF112233\" selectedcolor=\"#80FFFFFF\" "
        L"linkfontcolor=\"zz\" unknown=\"1\"><Control/></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(m_pm.GetInitSize().cx, 200);
    EXPECT_EQ(m_pm.GetInitSize().cy, 100);  // the blank after the comma is allowed
    const RECT box = m_pm.GetSizeBox();
    EXPECT_EQ(box.left + box.top * 10 + box.right * 100 + box.bottom * 1000, 4321);
    EXPECT_EQ(m_pm.GetMinInfo().cx, 50);
    EXPECT_EQ(m_pm.GetMinInfo().cy, 40);
    // A pair with one number stops at the end of the text and leaves cy 0.
    EXPECT_EQ(m_pm.GetMaxInfo().cx, 900);
    EXPECT_EQ(m_pm.GetMaxInfo().cy, 0);
    EXPECT_TRUE(m_pm.IsShowUpdateRect());
    EXPECT_EQ(m_pm.GetTransparent(), 128);
    EXPECT_EQ(m_pm.GetDefaultFontColor(), 0xFF112233u);
    EXPECT_EQ(m_pm.GetDefaultSelectedBkColor(), 0x80FFFFFFu);
    EXPECT_EQ(m_pm.GetDefaultLinkFontColor(), 0u);  // bad numbers read as 0
}

TEST_F(BuilderMarkup, WindowAttributesNeedAWindowNamedRootAndAPaintWindow) {
    Build(L"<Dialog size=\"20,20\"><Control/></Dialog>");
    EXPECT_EQ(m_pm.GetInitSize().cx, 0);

    CPaintManagerUI detached;
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(L"<Window size=\"20,20\"><Font name=\"A\"/><Control/></Window>",
                                                    nullptr, nullptr, &detached));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(detached.GetInitSize().cx, 0);
    EXPECT_EQ(detached.GetCustomFontCount(), 1u);  // shared resources still register
}

TEST_F(BuilderMarkup, FontsTakeIndexesInOrderOfRegistration) {
    Build(L"<Window><Font id=\"7\" name=\"A\"/><Font size=\"9\"/><Font name=\"B\" size=\"9\" bold=\"True\" "
          L"italic=\"true\" default=\"true\"/><Control><Font name=\"Nested\"/></Control></Window>");
    ASSERT_EQ(m_pm.GetCustomFontCount(), 2u);
    EXPECT_STREQ(m_pm.GetFontInfo(0)->sFontName.GetData(), L"A");
    EXPECT_EQ(m_pm.GetFontInfo(0)->iSize, 12);
    EXPECT_STREQ(m_pm.GetFontInfo(1)->sFontName.GetData(), L"B");
    EXPECT_FALSE(m_pm.GetFontInfo(1)->bBold);  // only the exact text "true" is on
    EXPECT_TRUE(m_pm.GetFontInfo(1)->bItalic);
    EXPECT_STREQ(m_pm.GetDefaultFontInfo()->sFontName.GetData(), L"B");
}

TEST_F(BuilderMarkup, DefaultsComeFirstAndElementAttributesWin) {
    auto root = Build(
        L"<Window><Default name=\"Label\" value=\"text=&quot;default&quot; width=&quot;40&quot;\"/>"
        L"<VerticalLayout><Label name=\"a\" text=\"own\"/><Label name=\"b\"/><Button name=\"c\"/>"
        L"</VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    IContainerUI* items = Items(root.get());
    ASSERT_EQ(items->GetCount(), 3);
    EXPECT_STREQ(items->GetItemAt(0)->GetText().GetData(), L"own");
    EXPECT_EQ(items->GetItemAt(0)->GetFixedWidth(), 40);
    EXPECT_STREQ(items->GetItemAt(1)->GetText().GetData(), L"default");
    EXPECT_STREQ(items->GetItemAt(2)->GetText().GetData(), L"");  // a Button has its own tag
    EXPECT_EQ(items->GetItemAt(0)->GetManager(), nullptr);      // connected only on attach
}

TEST_F(BuilderMarkup, UnknownTagsAreSkippedWithTheirSubtree) {
    auto root = Build(
        L"<Window><HorizontalLayout><Foo><Label name=\"hidden\"/></Foo><Edit/><TreeNode/>"
        L"<Label name=\"after\"/></HorizontalLayout></Window>");
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(Items(root.get())->GetCount(), 1);
    EXPECT_STREQ(Items(root.get())->GetItemAt(0)->GetName().GetData(), L"after");
    EXPECT_EQ(m_callback.asked, L"Foo;Edit;");
}

CControlUI* PluginFactory(const wchar_t* type) {
    if (std::wcscmp(type, L"Probe") != 0 && std::wcscmp(type, L"Label") != 0) return nullptr;
    auto* control = new CControlUI;
    control->SetUserData(L"plug-in");
    return control;
}

TEST_F(BuilderMarkup, PluginsComeAfterTheTableAndBeforeTheCallback) {
    CStdPtrArray* plugins = CPaintManagerUI::GetPlugins();
    plugins->Add(reinterpret_cast<void*>(&PluginFactory));
    auto root = Build(L"<Window><Container><Probe name=\"p\"/><Label name=\"l\"/><Other/></Container></Window>");
    plugins->Remove(plugins->Find(reinterpret_cast<void*>(&PluginFactory)));
    ASSERT_NE(root, nullptr);
    IContainerUI* items = Items(root.get());
    ASSERT_EQ(items->GetCount(), 2);
    EXPECT_STREQ(items->GetItemAt(0)->GetUserData().GetData(), L"plug-in");
    EXPECT_STREQ(items->GetItemAt(0)->GetName().GetData(), L"p");  // attributes still applied
    EXPECT_STREQ(items->GetItemAt(1)->GetClass(), L"LabelUI");
    EXPECT_EQ(m_callback.asked, L"Other;");
}

TEST_F(BuilderMarkup, WithoutAManagerOnlyControlsAreBuilt) {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(
        L"<Window size=\"30,30\"><Font name=\"A\"/><Label name=\"x\" text=\"t\"/></Window>"));
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->GetName().GetData(), L"x");
    EXPECT_STREQ(root->GetText().GetData(), L"t");
    EXPECT_EQ(m_pm.GetCustomFontCount(), 0u);
}

TEST_F(BuilderMarkup, TheFirstTopLevelControlIsTheResultAndGoesIntoAGivenParent) {
    CContainerUI parent;
    Build(L"<Window><Label name=\"one\"/><Label name=\"two\"/></Window>", &parent).release();
    ASSERT_EQ(parent.GetCount(), 2);
    EXPECT_STREQ(parent.GetItemAt(1)->GetName().GetData(), L"two");
}

TEST_F(BuilderMarkup, AParentThatHoldsNothingEndsTheLevel) {
    CLabelUI notAContainer;
    EXPECT_EQ(Build(L"<Window><Label/><Label/></Window>", &notAContainer), nullptr);
    // The refused control is freed, not leaked: nothing owns it.
}

TEST_F(BuilderMarkup, TextIncludesRepeatIntoTheCurrentParent) {
    auto root = Build(
        L"<Window><VerticalLayout><Include source=\"&lt;Window&gt;&lt;Font name=&quot;I&quot;/&gt;"
        L"&lt;Label name=&quot;inc&quot;/&gt;&lt;/Window&gt;\" count=\"3\"/><Include count=\"2\"/>"
        L"<Include source=\"&lt;Window&gt;&lt;Label/&gt;&lt;/Window&gt;\" count=\"0\"/><Include/>"
        L"</VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(Items(root.get())->GetCount(), 3);
    EXPECT_STREQ(Items(root.get())->GetItemAt(2)->GetName().GetData(), L"inc");
    EXPECT_EQ(m_pm.GetCustomFontCount(), 3u);
}

TEST_F(BuilderMarkup, IncludeValuesLongerThanTheirBufferAreCutNotOverrun) {
    // Each value is cut at the builder's buffer of 500 units: the 600-unit
    // document no longer parses, and the count "000...03" loses its 3.
    const std::wstring document =
        L"&lt;Window&gt;&lt;Label name=&quot;" + std::wstring(560, L'x') + L"&quot;/&gt;&lt;/Window&gt;";
    const std::wstring small = L"&lt;Window&gt;&lt;Label name=&quot;inc&quot;/&gt;&lt;/Window&gt;";
    const std::wstring skin = L"<Window><VerticalLayout><Include source=\"" + document + L"\"/>" +
                              L"<Include source=\"" + small + L"\" count=\"" + std::wstring(599, L'0') +
                              L"3\"/><Label name=\"after\"/></VerticalLayout></Window>";
    auto root = Build(skin.c_str());
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(Items(root.get())->GetCount(), 1);
    EXPECT_STREQ(Items(root.get())->GetItemAt(0)->GetName().GetData(), L"after");
}

TEST_F(BuilderMarkup, ResourceIncludesReadResourcesOfTheSameType) {
    CPaintManagerUI::SetResourceDll(::GetModuleHandleW(nullptr));
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(156u, L"XML", nullptr, &m_pm));
    ASSERT_NE(root, nullptr);
    IContainerUI* items = Items(root.get());
    ASSERT_EQ(items->GetCount(), 5);
    EXPECT_STREQ(items->GetItemAt(0)->GetName().GetData(), L"included");
    EXPECT_STREQ(items->GetItemAt(3)->GetName().GetData(), L"included2");
    EXPECT_STREQ(items->GetItemAt(4)->GetName().GetData(), L"own");
    EXPECT_EQ(m_pm.GetCustomFontCount(), 2u);  // the included document's font, twice
}

TEST_F(BuilderMarkup, AFileThatIncludesItselfStops) {
    wchar_t dir[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, dir), 0u);
    const std::wstring path = std::wstring(dir) + L"builder_loop.xml";
    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    std::fputs("<Window><Include source=\"builder_loop.xml\"/><Label name=\"l\"/></Window>", file);
    std::fclose(file);
    CPaintManagerUI::SetResourcePath(dir);
    CContainerUI holder;
    CDialogBuilder builder;
    builder.Create(L"builder_loop.xml", nullptr, nullptr, &m_pm, &holder);
    CPaintManagerUI::SetResourcePath(L"");
    ::DeleteFileW(path.c_str());
    EXPECT_GT(holder.GetCount(), 1);
    EXPECT_LT(holder.GetCount(), 100);
}

// Skins built to exhaust the builder: each is refused or cut short quickly
// instead of overflowing the stack or building for hours.
TEST_F(BuilderMarkup, HostileNestingAndIncludesAreRefusedOrCapped) {
    // Beside the chain, controls that register with the manager lent to
    // them while their attributes are applied.
    auto nested = [](int levels) {
        std::wstring xml = L"<Window>";
        for (int i = 0; i < levels; ++i) {
            xml += L"<VerticalLayout>";
            if (i == 0) {
                xml += L"<Option group=\"g\"/>"
                       L"<TabLayout selectedid=\"1\"><Control/><Control/></TabLayout>";
            }
        }
        for (int i = 0; i < levels; ++i) xml += L"</VerticalLayout>";
        return xml + L"</Window>";
    };
    // 257 levels build; one more is refused as a whole, the road that makes
    // a window show its skin failure. Refused or built, a tree deleted
    // without ever being attached leaves the manager nothing of it.
    const std::pair<int, bool> cases[] = {{257, true}, {258, false}, {1750, false}, {3, true}};
    for (const auto& [levels, builds] : cases) {
        EXPECT_EQ(Build(nested(levels).c_str()) != nullptr, builds) << levels;
        EXPECT_EQ(m_pm.GetOptionGroup(L"g"), nullptr) << levels;
        EXPECT_EQ(m_pm.GetFocus(), nullptr) << levels;
        // Under a parent, a refused skin takes back what it put there and the
        // parent keeps its own children; Wine's heap check sees any double free.
        auto parent = std::make_unique<CContainerUI>();
        auto* own = new CLabelUI;
        own->SetName(L"own");
        parent->Add(own);
        // What is built belongs to the parent, which frees it.
        CControlUI* built = Build(nested(levels).c_str(), parent.get()).release();
        EXPECT_EQ(built != nullptr, builds) << levels;
        EXPECT_EQ(parent->GetCount(), builds ? 2 : 1) << levels;
        EXPECT_EQ(parent->GetItemAt(0), own) << levels;
    }

    // A huge count repeats at most 100 times.
    CContainerUI holder;
    Build(L"<Window><Include source=\"&lt;Window&gt;&lt;Label/&gt;&lt;/Window&gt;\" "
          L"count=\"1000000\"/></Window>", &holder).release();
    EXPECT_EQ(holder.GetCount(), 100);
    // A file including itself twice stops at 500 documents, not 2^32.
    wchar_t dir[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, dir), 0u);
    const std::wstring path = std::wstring(dir) + L"builder_twice.xml";
    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    std::fputs("<Window><Include source=\"builder_twice.xml\" count=\"2\"/><Label/></Window>", file);
    std::fclose(file);
    CPaintManagerUI::SetResourcePath(dir);
    CContainerUI twice;
    CDialogBuilder builder;
    builder.Create(L"builder_twice.xml", nullptr, nullptr, &m_pm, &twice);
    CPaintManagerUI::SetResourcePath(L"");
    ::DeleteFileW(path.c_str());
    EXPECT_EQ(twice.GetCount(), 501);
}

}  // namespace
}  // namespace Facet
