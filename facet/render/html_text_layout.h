// CHtmlTextLayout: lays marked-up text out line by line in a rectangle and,
// unless only measuring, draws each line once its height is known. Fonts,
// colours and paragraph spacings live on stacks that end tags pop.
#pragma once

#include <windows.h>

#include <vector>

#include "facet/core/dui_string.h"
#include "facet/render/html_text_tokenizer.h"
#include "facet/render/image_info.h"

namespace Facet {

class CPaintManagerUI;

class CHtmlTextLayout {
public:
    // links and linkTexts hold linkCapacity entries (none when either is null).
    CHtmlTextLayout(HDC hdc, CPaintManagerUI* manager, const RECT& rc, DWORD textColor, UINT style,
                    RECT* links, CDuiString* linkTexts, int linkCapacity);
    ~CHtmlTextLayout();
    CHtmlTextLayout(const CHtmlTextLayout&) = delete;
    CHtmlTextLayout& operator=(const CHtmlTextLayout&) = delete;

    void Run(const wchar_t* text);
    // The width of the widest line and the height of all lines.
    SIZE GetExtent() const;
    int GetLinkCount() const { return m_linkCount; }

private:
    struct Fragment {
        int x = 0;
        int width = 0;
        // Text: the characters (and "..." after them when cut short).
        const wchar_t* text = nullptr;
        int length = 0;
        bool ellipsis = false;
        TFontInfo* font = nullptr;
        DWORD color = 0;
        bool selected = false;
        // Image: the frame of the bitmap to draw.
        const TImageInfo* image = nullptr;
        RECT source = {};
    };
    struct OpenLink {
        int index;  // -1 when the caller's arrays are full
        int startX;
        CDuiString text;
    };
    struct LinkPiece {
        int index;
        int left;
        int right;
    };

    void HandleTag(const THtmlToken& token);
    void HandleEndTag(wchar_t letter);
    void AddText(const wchar_t* text, int length);
    void AddFragment(const wchar_t* text, int length, int width, bool ellipsis);
    void AddImage(const wchar_t* param, int length);
    void OpenLinkTag(const CDuiString& content);
    void CloseLinkTag();
    void EndLine(bool continues = true);
    void StartLine();
    void DrawLine(int height, int offset);

    TFontInfo* CurrentFont() const { return m_fonts.back(); }
    DWORD CurrentColor() const { return m_colors.back(); }
    int CurrentParagraphSpace() const { return m_paragraphs.empty() ? 0 : m_paragraphs.back(); }
    // The current font with the given style, found or made in the manager.
    TFontInfo* FontVariant(bool bold, bool underline, bool italic);
    TFontInfo* FontFromTag(const CDuiString& param);
    TFontInfo* Measured(TFontInfo* font);
    int FontHeight(TFontInfo* font);
    void SelectFont(TFontInfo* font);
    int TextWidth(const wchar_t* text, int length);

    HDC m_hdc;
    CPaintManagerUI* m_manager;
    RECT m_rc;
    UINT m_style;
    bool m_draw;
    bool m_singleLine;
    RECT* m_links;
    CDuiString* m_linkTexts;
    int m_linkCapacity;
    int m_linkCount = 0;

    std::vector<TFontInfo*> m_fonts;
    std::vector<DWORD> m_colors;
    std::vector<int> m_paragraphs;
    std::vector<OpenLink> m_openLinks;
    bool m_selected = false;

    // The line being laid out.
    std::vector<Fragment> m_line;
    std::vector<LinkPiece> m_lineLinks;
    int m_x = 0;
    int m_lineTop = 0;
    int m_lineHeight = 0;
    int m_lineExtra = 0;
    bool m_lineHasContent = false;
    // Cut with an ellipsis: the rest of the line, up to the next break, is
    // dropped.
    bool m_lineClosed = false;

    int m_maxWidth = 0;
    // Set when nothing further can show: the line was cut with an ellipsis in
    // single-line text, or drawing has passed the rectangle's bottom.
    bool m_stopped = false;
    HGDIOBJ m_originalFont = nullptr;
};

}  // namespace Facet
