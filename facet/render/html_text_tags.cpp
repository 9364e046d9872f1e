// CHtmlTextLayout's tags: fonts (<b>, <i>, <u>, <f>), colours (<c>), links
// (<a>), inline images (<i name>), paragraphs (<p>), selection (<s>), pen and
// line-height moves (<x>, <y>) and line breaks (<n>), and their end tags.
#include <algorithm>
#include <cwchar>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/html_text_layout.h"
#include "facet/render/image_description.h"

namespace Facet {

namespace {

constexpr int kDefaultTagFontSize = 10;

bool ContainsNoCase(const CDuiString& text, const wchar_t* word) {
    CDuiString lower = text;
    lower.MakeLower();
    return lower.Find(word) >= 0;
}

// The next blank-separated word of `text` from `pos`, which moves past it.
CDuiString NextWord(const CDuiString& text, int& pos) {
    const int length = text.GetLength();
    while (pos < length && text[pos] <= L' ') ++pos;
    const int start = pos;
    while (pos < length && text[pos] > L' ') ++pos;
    return text.Mid(start, pos - start);
}

}  // namespace

TFontInfo* CHtmlTextLayout::FontVariant(bool bold, bool underline, bool italic) {
    TFontInfo* current = CurrentFont();
    if (current->bBold == bold && current->bUnderline == underline && current->bItalic == italic) {
        return current;
    }
    const wchar_t* face = current->sFontName;
    HFONT font = m_manager->GetFont(face, current->iSize, bold, underline, italic);
    if (!font) font = m_manager->AddFont(face, current->iSize, bold, underline, italic);
    return font ? Measured(m_manager->GetFontInfo(font)) : current;
}

TFontInfo* CHtmlTextLayout::FontFromTag(const CDuiString& param) {
    if (param.IsEmpty()) return CurrentFont();
    if (param[0] >= L'0' && param[0] <= L'9') {
        return Measured(m_manager->GetFontInfo(static_cast<int>(wcstol(param, nullptr, 10))));
    }
    int pos = 0;
    const CDuiString face = NextWord(param, pos);
    const CDuiString rest = param.Mid(pos);
    int size = kDefaultTagFontSize;
    int scan = 0;
    for (CDuiString word = NextWord(rest, scan); !word.IsEmpty(); word = NextWord(rest, scan)) {
        if (word[0] >= L'0' && word[0] <= L'9') {
            size = static_cast<int>(wcstol(word, nullptr, 10));
            break;
        }
    }
    const bool bold = ContainsNoCase(rest, L"bold");
    const bool underline = ContainsNoCase(rest, L"underline");
    const bool italic = ContainsNoCase(rest, L"italic");
    HFONT font = m_manager->GetFont(face, size, bold, underline, italic);
    if (!font) font = m_manager->AddFont(face, size, bold, underline, italic);
    return font ? Measured(m_manager->GetFontInfo(font)) : CurrentFont();
}

void CHtmlTextLayout::OpenLinkTag(const CDuiString& content) {
    // Hover colour when the mouse lies in the rectangle that the last drawing
    // recorded for a link with the same content.
    bool hover = false;
    const POINT mouse = m_manager->GetMousePos();
    for (int i = 0; i < m_linkCapacity && !hover; ++i) {
        hover = m_linkTexts[i] == content && ::PtInRect(&m_links[i], mouse);
    }
    const int index = m_linkCount < m_linkCapacity ? m_linkCount++ : -1;
    if (index >= 0) {
        m_linkTexts[index] = content;
        m_links[index] = RECT{m_x, m_lineTop, m_x, m_lineTop};
    }
    m_openLinks.push_back({index, m_x, content});
    m_colors.push_back(hover ? m_manager->GetDefaultLinkHoverFontColor()
                             : m_manager->GetDefaultLinkFontColor());
    const TFontInfo* current = CurrentFont();
    m_fonts.push_back(FontVariant(current->bBold, true, current->bItalic));
}

void CHtmlTextLayout::CloseLinkTag() {
    if (m_openLinks.empty()) return;
    const OpenLink& link = m_openLinks.back();
    if (link.index >= 0) m_lineLinks.push_back({link.index, link.startX, m_x});
    m_openLinks.pop_back();
    if (m_colors.size() > 1) m_colors.pop_back();
    if (m_fonts.size() > 1) m_fonts.pop_back();
}

void CHtmlTextLayout::AddImage(const wchar_t* param, int length) {
    // Either "name [count] [index]" or an image description followed by the
    // two numbers, as in "res='163' restype='png' 2 1".
    const CDuiString text(param, length);
    CDuiString name;
    CDuiString type;
    DWORD mask = 0;
    int numbersAt = 0;
    const int lastQuote = text.ReverseFind(L'\'');
    if (lastQuote >= 0) {
        const RECT none = {};
        const CDuiString description = text.Left(lastQuote + 1);
        TImageDrawState state = CImageDescription::Initial(description, none);
        CImageDescription::Parse(description, none, state, nullptr, nullptr);
        name = state.sName;
        type = state.sResType;
        mask = state.dwMask;
        numbersAt = lastQuote + 1;
    } else {
        name = NextWord(text, numbersAt);
    }
    const CDuiString count = NextWord(text, numbersAt);
    const CDuiString index = NextWord(text, numbersAt);

    const TImageInfo* image =
        m_manager->GetImageEx(name, type.IsEmpty() ? nullptr : type.GetData(), mask);
    if (!image || !image->hBitmap) return;
    const int frames = std::max(1, count.IsEmpty() ? 1 : static_cast<int>(wcstol(count, nullptr, 10)));
    int frame = index.IsEmpty() ? 0 : static_cast<int>(wcstol(index, nullptr, 10));
    if (frame < 0 || frame >= frames) frame = 0;
    const int width = image->nX / frames;
    if (width <= 0) return;

    if (!m_singleLine && m_lineHasContent && m_x + width > m_rc.right) EndLine();
    if (m_stopped || m_lineClosed) return;
    Fragment fragment;
    fragment.x = m_x;
    fragment.width = width;
    fragment.image = image;
    fragment.source = RECT{frame * width, 0, (frame + 1) * width, image->nY};
    m_line.push_back(fragment);
    m_x += width;
    m_lineHasContent = true;
    m_lineHeight = std::max(m_lineHeight, image->nY);
}

void CHtmlTextLayout::HandleTag(const THtmlToken& token) {
    const CDuiString param(token.text, token.length);
    const TFontInfo* current = CurrentFont();
    switch (token.letter) {
        case L'a':
            OpenLinkTag(param);
            break;
        case L'b':
            m_fonts.push_back(FontVariant(true, current->bUnderline, current->bItalic));
            break;
        case L'c': {
            const wchar_t* hex = param.GetData();
            if (*hex == L'#') ++hex;
            m_colors.push_back(wcstoul(hex, nullptr, 16));
            break;
        }
        case L'f':
            m_fonts.push_back(FontFromTag(param));
            break;
        case L'i':
            if (param.IsEmpty()) {
                m_fonts.push_back(FontVariant(current->bBold, current->bUnderline, true));
            } else {
                AddImage(token.text, token.length);
            }
            break;
        case L'n':
            if (!m_singleLine) EndLine();
            break;
        case L'p': {
            if (!m_singleLine && m_lineHasContent) EndLine();
            const int space = static_cast<int>(wcstol(param, nullptr, 10));
            m_paragraphs.push_back(space);
            m_lineExtra = std::max(m_lineExtra, space);
            break;
        }
        case L's':
            m_selected = !m_selected;
            break;
        case L'u':
            m_fonts.push_back(FontVariant(current->bBold, true, current->bItalic));
            break;
        case L'x':
            if (m_lineClosed) break;
            m_x += static_cast<int>(wcstol(param, nullptr, 10));
            m_lineHasContent = true;
            break;
        case L'y':
            m_lineHeight = static_cast<int>(wcstol(param, nullptr, 10));
            break;
        default:
            // <r> is the tokenizer's; other letters mean nothing.
            break;
    }
}

void CHtmlTextLayout::HandleEndTag(wchar_t letter) {
    switch (letter) {
        case L'a':
            CloseLinkTag();
            break;
        case L'b':
        case L'f':
        case L'i':
        case L'u':
            // The base font is never popped, whatever the markup says.
            if (m_fonts.size() > 1) m_fonts.pop_back();
            break;
        case L'c':
            if (m_colors.size() > 1) m_colors.pop_back();
            break;
        case L'p':
            if (!m_paragraphs.empty()) m_paragraphs.pop_back();
            if (!m_singleLine && m_lineHasContent) EndLine();
            break;
        case L's':
            m_selected = !m_selected;
            break;
        default:
            break;
    }
}

}  // namespace Facet
