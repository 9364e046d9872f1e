// The application's skin built from its resource, from XML text, from a file
// and from an archive member: the same control tree and window settings.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "facet/controls/container_ui.h"
#include "facet/controls/control_ui.h"
#include "facet/controls/label_ui.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/markup/dialog_builder.h"

namespace Facet {
namespace {

// Counts the tags the builder could not build itself.
class CallbackCounter : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* /*pstrClass*/) override {
        ++calls;
        return nullptr;
    }
    int calls = 0;
};

std::wstring Widen(const std::string& text) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

std::wstring FixtureDir() { return L"Z:" + Widen(BUILDER_FIXTURE_DIR); }

// One line per control: class, name, float, position, size, text, font and
// text colours, then its children indented.
void Describe(CControlUI* control, int depth, std::wostringstream& out) {
    out << std::wstring(static_cast<size_t>(depth) * 2, L' ') << control->GetClass() << L' '
        << control->GetName().GetData() << L" float=" << control->IsFloat() << L" xy=" << control->GetFixedXY().cx
        << L',' << control->GetFixedXY().cy << L" size=" << control->GetFixedWidth() << L'x'
        << control->GetFixedHeight();
    if (auto* label = static_cast<CLabelUI*>(control->GetInterface(L"Label"))) {
        out << L" font=" << label->GetFont() << L" text=" << label->GetText().GetData() << std::hex
            << L" color=" << label->GetTextColor() << L" disabled=" << label->GetDisabledTextColor() << std::dec;
    }
    out << L'\n';
    if (auto* container = static_cast<IContainerUI*>(control->GetInterface(L"IContainer"))) {
        for (int i = 0; i < container->GetCount(); ++i) Describe(container->GetItemAt(i), depth + 1, out);
    }
}

std::wstring Describe(CControlUI* root) {
    std::wostringstream out;
    Describe(root, 0, out);
    return out.str();
}

class BuilderSkin : public ::testing::Test {
protected:
    void SetUp() override {
        m_hwnd = ::CreateWindowExW(0, L"STATIC", L"builder", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_NE(m_hwnd, nullptr);
        m_pm = std::make_unique<CPaintManagerUI>();
        m_pm->Init(m_hwnd);
    }
    void TearDown() override {
        CPaintManagerUI::SetResourceZip(L"");
        CPaintManagerUI::SetResourcePath(L"");
        m_pm.reset();
        if (m_hwnd) ::DestroyWindow(m_hwnd);
    }
    std::unique_ptr<CControlUI> Build(STRINGorID xml, const wchar_t* type = nullptr) {
        CDialogBuilder builder;
        return std::unique_ptr<CControlUI>(builder.Create(xml, type, &m_callback, m_pm.get()));
    }

    HWND m_hwnd = nullptr;
    std::unique_ptr<CPaintManagerUI> m_pm;
    CallbackCounter m_callback;
};

TEST_F(BuilderSkin, ResourceBuildsTheWholeTreeAndWindowSettings) {
    auto root = Build(154u, L"XML");
    ASSERT_NE(root, nullptr);

    ASSERT_EQ(m_pm->GetCustomFontCount(), 3u);
    const int sizes[] = {11, 12, 14};
    for (int i = 0; i < 3; ++i) {
        TFontInfo* font = m_pm->GetFontInfo(i);
        ASSERT_NE(font, nullptr);
        EXPECT_STREQ(font->sFontName.GetData(), L"宋体");
        EXPECT_EQ(font->iSize, sizes[i]);
        EXPECT_EQ(font->bBold, i == 0);
    }
    EXPECT_EQ(m_pm->GetInitSize().cx, 360);
    EXPECT_EQ(m_pm->GetInitSize().cy, 310);
    const RECT caption = m_pm->GetCaptionRect();
    EXPECT_EQ(caption.left, 0);
    EXPECT_EQ(caption.top, 0);
    EXPECT_EQ(caption.right, 0);
    EXPECT_EQ(caption.bottom, 30);
    EXPECT_EQ(m_pm->GetRoundCorner().cx, 5);
    EXPECT_EQ(m_pm->GetRoundCorner().cy, 5);
    EXPECT_FALSE(m_pm->IsShowUpdateRect());
    EXPECT_EQ(m_callback.calls, 0);  // every tag of the skin is built in

    const std::wstring expected =
        L"VerticalLayoutUI  float=0 xy=0,0 size=360x310\n"
        L"  HorizontalLayoutUI  float=0 xy=0,0 size=360x310\n"
        L"    ButtonUI formatbtn float=1 xy=117,197 size=112x58 font=2 text= color=ffffffff disabled=ffa7a6aa\n"
        L"    LabelUI DiskAtt float=1 xy=30,59 size=80x23 font=1 text= color=3c3c3c disabled=ffa7a6aa\n"
        L"    ComboUI Selectedbo float=1 xy=100,59 size=200x23\n"
        L"    ButtonUI disk float=1 xy=132,97 size=84x84 font=-1 text= color=ff000000 disabled=ffa7a6aa\n"
        L"    LabelUI prompt float=1 xy=4,266 size=353x16 font=1 text=注意事项:格式化时请不要随意拔插磁盘 "
        L"color=717171 disabled=ffa7a6aa\n"
        L"    LabelUI prompt1 float=1 xy=4,284 size=353x13 font=1 text=转化格式后，闪存盘的文件系统会变成FAT32 "
        L"color=717171 disabled=ffa7a6aa\n"
        L"    ButtonUI closebtn float=1 xy=332,0 size=26x26 font=-1 text= color=ff000000 disabled=ffa7a6aa\n"
        L"    ButtonUI minibtn float=1 xy=305,0 size=26x26 font=-1 text= color=ff000000 disabled=ffa7a6aa\n"
        L"    LabelUI title float=1 xy=5,1 size=250x26 font=-1 text=格式化工具v1.0.0.4 color=fffbf0 "
        L"disabled=ffa7a6aa\n";
    EXPECT_EQ(Describe(root.get()), expected);
}

TEST_F(BuilderSkin, TextFileAndArchiveBuildTheSameTreeAsTheResource) {
    const std::wstring fromResource = Describe(Build(154u, L"XML").get());

    std::ifstream in(std::string(BUILDER_FIXTURE_DIR) + "/skin.xml", std::ios::binary);
    ASSERT_TRUE(in) << "run under Wine with drive Z:";
    const std::wstring text = Widen(std::string(std::istreambuf_iterator<char>(in), {}));
    const size_t start = text.find(L"<Window");
    ASSERT_NE(start, std::wstring::npos);
    auto fromText = Build(text.c_str() + start);
    ASSERT_NE(fromText, nullptr);
    EXPECT_EQ(Describe(fromText.get()), fromResource);

    CPaintManagerUI::SetResourcePath(FixtureDir().c_str());
    auto fromFile = Build(L"skin.xml");
    ASSERT_NE(fromFile, nullptr);
    EXPECT_EQ(Describe(fromFile.get()), fromResource);

    CPaintManagerUI::SetResourceZip(L"skin.zip");
    auto fromZip = Build(L"skin.xml");
    ASSERT_NE(fromZip, nullptr);
    EXPECT_EQ(Describe(fromZip.get()), fromResource);
    EXPECT_EQ(m_pm->GetCustomFontCount(), 12u);  // three fonts per build
}

TEST_F(BuilderSkin, MissingSourcesBuildNothing) {
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create(999u, L"XML", nullptr, m_pm.get()), nullptr);
    EXPECT_EQ(builder.Create(154u, nullptr, nullptr, m_pm.get()), nullptr);
    EXPECT_EQ(builder.Create(STRINGorID(static_cast<const wchar_t*>(nullptr))), nullptr);
    EXPECT_EQ(builder.Create(L"no-such-skin.xml"), nullptr);
    wchar_t message[100] = L"";
    builder.GetLastErrorMessage(message, 100);
    EXPECT_NE(message[0], L'\0');
    EXPECT_EQ(builder.Create(L"<Window><Label name=\"x\"></Window>"), nullptr);
    EXPECT_EQ(m_pm->GetCustomFontCount(), 0u);
}

}  // namespace
}  // namespace Facet
