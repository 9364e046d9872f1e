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

    Bytes skin_;
};

TEST_F(MarkupSkin, IsUtf8WithADeclarationAndNoMark) {
    const std::string head(skin_.begin(), skin_.begin() + 38);
    EXPECT_EQ(head, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
}

TEST_F(MarkupSkin, HasOneWindowWithThreeFontsAndOneVerticalLayout) {
    EXPECT_FALSE(Root().HasSiblings());
    EXPECT_EQ(Dump(Root().GetChild()), L"Font{id=0,name=宋体,size=11,bold=true,underline=false,italic=false}");
    std::vector<std::wstring> children;
    for (CMarkupNode node = Root().GetChild(); node.IsValid(); node = node.GetSibling()) children.push_back(node.GetName());
    EXPECT_EQ(children, (std::vector<std::wstring>{L"Font", L"Font", L"Font", L"VerticalLayout"}));
}

TEST_F(MarkupSkin, TheWindowCarriesItsAttributesInOrder) {
    const CMarkupNode window = Root();
    EXPECT_EQ(Str(window.GetName()), L"Window");
    std::vector<std::wstring> attributes;
    for (int i = 0; i < window.GetAttributeCount(); ++i)
        attributes.push_back(std::wstring(window.GetAttributeName(i)) + L"=" + window.GetAttributeValue(i));
    EXPECT_EQ(attributes, (std::vector<std::wstring>{L"size=360,310", L"caption=0,0,0,30", L"roundcorner=5,5",
                                                     L"showdirty=false", L"bktrans=true"}));
}

TEST_F(MarkupSkin, FontsAreSongTiAtElevenTwelveAndFourteen) {
    std::vector<std::wstring> fonts;
    for (CMarkupNode font = Root().GetChild(L"Font"); font.IsValid(); font = font.GetSibling()) {
        if (std::wstring(font.GetName()) != L"Font") break;
        EXPECT_EQ(Str(font.GetAttributeValue(L"name")), L"宋体");
        EXPECT_EQ(Str(font.GetAttributeValue(L"underline")), L"false");
        EXPECT_EQ(Str(font.GetAttributeValue(L"italic")), L"false");
        fonts.push_back(std::wstring(font.GetAttributeValue(L"size")) + L"/" + font.GetAttributeValue(L"bold"));
    }
    EXPECT_EQ(fonts, (std::vector<std::wstring>{L"11/true", L"12/false", L"14/false"}));
}

TEST_F(MarkupSkin, BothLayoutsCoverTheWindowWithTheBackground) {
    const CMarkupNode column = Root().GetChild(L"VerticalLayout");
    const CMarkupNode row = column.GetChild();
    EXPECT_EQ(Str(row.GetName()), L"HorizontalLayout");
    EXPECT_FALSE(row.HasSiblings());
    for (const CMarkupNode& layout : {column, row}) {
        EXPECT_EQ(Str(layout.GetAttributeValue(L"width")), L"360");
        EXPECT_EQ(Str(layout.GetAttributeValue(L"height")), L"310");
        EXPECT_EQ(Str(layout.GetAttributeValue(L"bkimage")), L"res='163' restype='png'");
    }
}

TEST_F(MarkupSkin, NineFloatingControlsInTheirOrder) {
    std::vector<std::wstring> controls;
    for (const CMarkupNode& control : Controls()) {
        controls.push_back(std::wstring(control.GetName()) + L" " + control.GetAttributeValue(L"name"));
        EXPECT_EQ(Str(control.GetAttributeValue(L"float")), L"true");
        EXPECT_EQ(Str(control.GetAttributeValue(L"disabledtextcolor")), L"#FFA7A6AA");
        EXPECT_FALSE(control.HasChildren());
    }
    EXPECT_EQ(controls, (std::vector<std::wstring>{L"Button formatbtn", L"Label DiskAtt", L"Combo Selectedbo",
                                                   L"Button disk", L"Label prompt", L"Label prompt1",
                                                   L"Button closebtn", L"Button minibtn", L"Label title"}));
}

TEST_F(MarkupSkin, ControlsCarryTheirPositionsSizesFontsAndTexts) {
    const std::vector<CMarkupNode> controls = Controls();
    ASSERT_EQ(controls.size(), 9u);
    std::vector<std::wstring> rows;
    for (const CMarkupNode& c : controls) {
        const wchar_t* font = c.HasAttribute(L"font") ? c.GetAttributeValue(L"font") : L"-";
        const wchar_t* text = c.HasAttribute(L"text") ? c.GetAttributeValue(L"text") : L"-";
        const wchar_t* align = c.HasAttribute(L"align") ? c.GetAttributeValue(L"align") : L"-";
        rows.push_back(std::wstring(c.GetAttributeValue(L"pos")) + L"|" + c.GetAttributeValue(L"width") + L"x" +
                       c.GetAttributeValue(L"height") + L"|" + font + L"|" + text + L"|" +
                       c.GetAttributeValue(L"textcolor") + L"|" + align);
    }
    EXPECT_EQ(rows, (std::vector<std::wstring>{
                        L"117,197,0,0|112x58|2||#FFFFFFFF|center",
                        L"30,59,0,0|80x23|1||#003C3C3C|center",
                        L"100, 59,0,0|200x23|1||#003C3C3C|center",
                        L"132,97,0,0|84x84|-|-|#FF000000|center",
                        L"4,266,0,0|353x16|1|注意事项:格式化时请不要随意拔插磁盘|#00717171|center",
                        L"4,284,0,0|353x13|1|转化格式后，闪存盘的文件系统会变成FAT32|#00717171|center",
                        L"332,0,0,0|26x26|-|-|#FF000000|center",
                        L"305,0,0,0|26x26|-|-|#FF000000|center",
                        L"5,1,0,0|250x26|-|格式化工具v1.0.0.4|#00FFFBF0|-",
                    }));
}

TEST_F(MarkupSkin, ImagesAreSingleQuotedDescriptionsInsideTheValues) {
    const std::vector<CMarkupNode> c = Controls();
    ASSERT_EQ(c.size(), 9u);
    EXPECT_EQ(Str(c[2].GetAttributeValue(L"normalimage")), L"res='182' restype='png'");
    EXPECT_EQ(Str(c[2].GetAttributeValue(L"hotimage")), L"res='183' restype='png'");
    EXPECT_EQ(Str(c[2].GetAttributeValue(L"pushedimage")), L"res='183' restype='png'");
    EXPECT_EQ(Str(c[2].GetAttributeValue(L"textpadding")), L"5,1,1,1");
    EXPECT_EQ(Str(c[3].GetAttributeValue(L"bkimage")), L"res='173' restype='png' source='0, 0, 83, 83'");
    EXPECT_EQ(Str(c[6].GetAttributeValue(L"normalimage")), L"res='167' restype='png'");
    EXPECT_EQ(Str(c[6].GetAttributeValue(L"hotimage")), L"res='167' restype='png'");
    EXPECT_EQ(Str(c[6].GetAttributeValue(L"pushedimage")), L"res='165' restype='png'");
    EXPECT_EQ(Str(c[7].GetAttributeValue(L"normalimage")), L"res='166' restype='png'");
    EXPECT_EQ(Str(c[7].GetAttributeValue(L"hotimage")), L"res='166' restype='png'");
    EXPECT_EQ(Str(c[7].GetAttributeValue(L"pushedimage")), L"res='164' restype='png'");
    // The format button's images are set at run time.
    EXPECT_FALSE(c[0].HasAttribute(L"normalimage"));
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
