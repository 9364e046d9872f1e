// The application's own skin (resources/skin.xml): the tree the dialog
// builder will walk, read from the UTF-8 file and from the same document in
// the other encodings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup_test_support.h"

namespace Facet {
namespace {

using namespace MarkupTest;

class MarkupSkin : public MarkupFixture {
protected:
    void SetUp() override {
        skin_ = ReadFileBytes(SkinPath());
        ASSERT_FALSE(skin_.empty()) << "cannot read " << SkinPath();
        ASSERT_TRUE(LoadBytes(markup_, skin_)) << std::string(Message().begin(), Message().end());
    }
    // The controls inside VerticalLayout > HorizontalLayout.
    std::vector<CMarkupNode> Controls() const {
        std::vector<CMarkupNode> controls;
        const CMarkupNode row = Root().GetChild(L"VerticalLayout").GetChild(L"HorizontalLayout");
        for (CMarkupNode node = row.GetChild(); node.IsValid(); node = node.GetSibling()) controls.push_back(node);
        return controls;
    }
    static std::wstring Get(const CMarkupNode& node, const wchar_t* name) {
        return node.HasAttribute(name) ? node.GetAttributeValue(name) : L"-";
    }

    Bytes skin_;
};

TEST_F(MarkupSkin, IsOneWindowWithThreeFontsAndOneVerticalLayout) {
    EXPECT_EQ(std::string(skin_.begin(), skin_.begin() + 38), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    EXPECT_FALSE(Root().HasSiblings());
    std::vector<std::wstring> window;
    for (int i = 0; i < Root().GetAttributeCount(); ++i)
        window.push_back(std::wstring(Root().GetAttributeName(i)) + L"=" + Root().GetAttributeValue(i));
    EXPECT_EQ(window, (std::vector<std::wstring>{L"size=360,310", L"caption=0,0,0,30", L"roundcorner=5,5",
                                                 L"showdirty=false", L"bktrans=true"}));

    std::vector<std::wstring> children;
    for (CMarkupNode node = Root().GetChild(); node.IsValid(); node = node.GetSibling())
        children.push_back(node.HasChildren() ? node.GetName() : Dump(node));
    EXPECT_EQ(children, (std::vector<std::wstring>{
                            L"Font{id=0,name=宋体,size=11,bold=true,underline=false,italic=false}",
                            L"Font{id=1,name=宋体,size=12,bold=false,underline=false,italic=false}",
                            L"Font{id=2,name=宋体,size=14,bold=false,underline=false,italic=false}",
                            L"VerticalLayout"}));
}

TEST_F(MarkupSkin, NineFloatingControlsInTheirOrder) {
    std::vector<std::wstring> rows;
    for (const CMarkupNode& c : Controls()) {
        EXPECT_EQ(Get(c, L"float"), L"true");
        EXPECT_EQ(Get(c, L"disabledtextcolor"), L"#FFA7A6AA");
        EXPECT_FALSE(c.HasChildren());
        rows.push_back(std::wstring(c.GetName()) + L" " + Get(c, L"name") + L"|" + Get(c, L"pos") + L"|" +
                       Get(c, L"width") + L"x" + Get(c, L"height") + L"|" + Get(c, L"font") + L"|" +
                       Get(c, L"text") + L"|" + Get(c, L"textcolor") + L"|" + Get(c, L"align"));
    }
    EXPECT_EQ(rows, (std::vector<std::wstring>{
                        L"Button formatbtn|117,197,0,0|112x58|2||#FFFFFFFF|center",
                        L"Label DiskAtt|30,59,0,0|80x23|1||#003C3C3C|center",
                        L"Combo Selectedbo|100, 59,0,0|200x23|1||#003C3C3C|center",
                        L"Button disk|132,97,0,0|84x84|-|-|#FF000000|center",
                        L"Label prompt|4,266,0,0|353x16|1|注意事项:格式化时请不要随意拔插磁盘|#00717171|center",
                        L"Label prompt1|4,284,0,0|353x13|1|转化格式后，闪存盘的文件系统会变成FAT32|#00717171|center",
                        L"Button closebtn|332,0,0,0|26x26|-|-|#FF000000|center",
                        L"Button minibtn|305,0,0,0|26x26|-|-|#FF000000|center",
                        L"Label title|5,1,0,0|250x26|-|格式化工具v1.0.0.4|#00FFFBF0|-",
                    }));
}

TEST_F(MarkupSkin, ImagesAreSingleQuotedDescriptionsInsideTheValues) {
    const CMarkupNode column = Root().GetChild(L"VerticalLayout");
    for (const CMarkupNode& layout : {column, column.GetChild()}) {
        EXPECT_EQ(Get(layout, L"width") + L"x" + Get(layout, L"height"), L"360x310");
        EXPECT_EQ(Get(layout, L"bkimage"), L"res='163' restype='png'");
    }
    std::vector<std::wstring> images;
    for (const CMarkupNode& c : Controls()) {
        images.push_back(Get(c, L"normalimage") + L"|" + Get(c, L"hotimage") + L"|" + Get(c, L"pushedimage") + L"|" +
                         Get(c, L"bkimage"));
    }
    ASSERT_EQ(images.size(), 9u);
    EXPECT_EQ(images[0], L"-|-|-|-");  // the format button's faces are set at run time
    EXPECT_EQ(images[2], L"res='182' restype='png'|res='183' restype='png'|res='183' restype='png'|-");
    EXPECT_EQ(Get(Controls()[2], L"textpadding"), L"5,1,1,1");
    EXPECT_EQ(images[3], L"-|-|-|res='173' restype='png' source='0, 0, 83, 83'");
    EXPECT_EQ(images[6], L"res='167' restype='png'|res='167' restype='png'|res='165' restype='png'|-");
    EXPECT_EQ(images[7], L"res='166' restype='png'|res='166' restype='png'|res='164' restype='png'|-");
}

TEST_F(MarkupSkin, ReadsTheSameInEveryEncoding) {
    const std::wstring expected = DumpDocument(markup_);
    CMarkup other;
    ASSERT_TRUE(LoadBytes(other, Utf8ToUtf16(skin_, false), CMarkup::kEncodingUtf16));
    EXPECT_EQ(DumpDocument(other), expected);
    ASSERT_TRUE(LoadBytes(other, Utf8ToUtf16(skin_, true), CMarkup::kEncodingUtf16));
    EXPECT_EQ(DumpDocument(other), expected);
    ASSERT_TRUE(LoadBytes(other, WithUtf8Mark(skin_)));
    EXPECT_EQ(DumpDocument(other), expected);
}

}  // namespace
}  // namespace Facet
