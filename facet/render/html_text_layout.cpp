// CHtmlTextLayout's lines: line breaking (at the right edge, after words with
// DT_WORDBREAK, at <n>, <p> and line feeds), ellipsis, link rectangles, and
// the drawing of a finished line. The tags are in html_text_tags.cpp.
#include "facet/render/html_text_layout.h"

#include <algorithm>
#include <cwctype>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {

constexpr wchar_t kEllipsis[] = L"...";

COLORREF ToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// A line may break after a blank, punctuation and the like, and between CJK
// characters, which carry no spaces; not inside words or numbers.
bool BreaksAfter(wchar_t c) { return c <= L' ' || !std::iswalnum(c) || c >= 0x2E80; }

}  // namespace

CHtmlTextLayout::CHtmlTextLayout(HDC hdc, CPaintManagerUI* manager, const RECT& rc, DWORD textColor,
                                 UINT style, RECT* links, CDuiString* linkTexts, int linkCapacity)
    : m_hdc(hdc),
      m_manager(manager),
      m_rc(rc),
      m_style(style),
      m_draw((style & DT_CALCRECT) == 0),
      m_singleLine((style & DT_SINGLELINE) != 0),
      m_links(links),
      m_linkTexts(linkTexts),
      m_linkCapacity(links && linkTexts ? std::max(linkCapacity, 0) : 0) {
    m_originalFont = ::GetCurrentObject(hdc, OBJ_FONT);
    m_fonts.push_back(Measured(manager->GetDefaultFontInfo()));
    m_colors.push_back(textColor);
    m_lineTop = rc.top;
    StartLine();
}

CHtmlTextLayout::~CHtmlTextLayout() {
    if (m_originalFont) ::SelectObject(m_hdc, m_originalFont);
}

TFontInfo* CHtmlTextLayout::Measured(TFontInfo* font) {
    if (font && font->tm.tmHeight == 0) {
        SelectFont(font);
        ::GetTextMetricsW(m_hdc, &font->tm);
    }
    return font;
}

int CHtmlTextLayout::FontHeight(TFontInfo* font) {
    Measured(font);
    return font->tm.tmHeight + font->tm.tmExternalLeading;
}

void CHtmlTextLayout::SelectFont(TFontInfo* font) { ::SelectObject(m_hdc, font->hFont.Get()); }

int CHtmlTextLayout::TextWidth(const wchar_t* text, int length) {
    SIZE size = {0, 0};
    if (length > 0) ::GetTextExtentPoint32W(m_hdc, text, length, &size);
    return size.cx;
}

SIZE CHtmlTextLayout::GetExtent() const { return SIZE{m_maxWidth, m_lineTop - m_rc.top}; }

void CHtmlTextLayout::Run(const wchar_t* text) {
    CHtmlTokenizer tokenizer(text);
    for (THtmlToken token = tokenizer.Next(); token.kind != THtmlToken::kEnd && !m_stopped;
         token = tokenizer.Next()) {
        switch (token.kind) {
            case THtmlToken::kText:
                AddText(token.text, token.length);
                break;
            case THtmlToken::kTag:
                HandleTag(token);
                break;
            case THtmlToken::kEndTag:
                HandleEndTag(token.letter);
                break;
            case THtmlToken::kLineFeed:
                if (!m_singleLine) EndLine();
                break;
            case THtmlToken::kEnd:
                break;
        }
    }
    if (!m_stopped && m_lineHasContent) EndLine(false);
}

// ---- Lines ----

void CHtmlTextLayout::StartLine() {
    m_x = m_rc.left;
    m_lineHeight = FontHeight(CurrentFont());
    m_lineExtra = CurrentParagraphSpace();
    m_lineHasContent = false;
    m_lineClosed = false;
    m_line.clear();
    m_lineLinks.clear();
}

void CHtmlTextLayout::EndLine(bool continues) {
    for (OpenLink& link : m_openLinks) {
        if (link.index >= 0) m_lineLinks.push_back({link.index, link.startX, m_x});
    }
    const int height = m_lineHeight + m_lineExtra;
    const int width = m_x - m_rc.left;
    m_maxWidth = std::max(m_maxWidth, width);

    // Multi-line text aligns each line as a whole; single-line text was
    // placed by moving the rectangle before layout.
    int offset = 0;
    if (!m_singleLine && (m_style & (DT_CENTER | DT_RIGHT))) {
        const int room = (m_rc.right - m_rc.left) - width;
        offset = (m_style & DT_CENTER) ? room / 2 : room;
    }
    if (m_draw) DrawLine(height, offset);
    for (const LinkPiece& piece : m_lineLinks) {
        m_links[piece.index] =
            RECT{piece.left + offset, m_lineTop, piece.right + offset, m_lineTop + height};
    }
    m_lineTop += height;
    if (m_draw && m_lineTop >= m_rc.bottom) m_stopped = true;
    if (!continues) return;

    StartLine();
    // A link that goes on in the next line gets an entry of its own there.
    for (OpenLink& link : m_openLinks) {
        link.startX = m_x;
        if (link.index < 0) continue;
        link.index = m_linkCount < m_linkCapacity ? m_linkCount++ : -1;
        if (link.index >= 0) {
            m_linkTexts[link.index] = link.text;
            m_links[link.index] = RECT{m_x, m_lineTop, m_x, m_lineTop};
        }
    }
}

void CHtmlTextLayout::DrawLine(int height, int offset) {
    const int contentHeight = height - m_lineExtra;
    const COLORREF selectedBk = ToColorRef(m_manager->GetDefaultSelectedBkColor());
    for (const Fragment& fragment : m_line) {
        const int x = fragment.x + offset;
        if (fragment.image) {
            const int frameHeight = fragment.source.bottom - fragment.source.top;
            const int y = m_lineTop + std::max(0, (contentHeight - frameHeight) / 2);
            const RECT dest = {x, y, x + fragment.width, y + frameHeight};
            CRenderEngine::DrawImage(m_hdc, fragment.image->hBitmap.Get(), dest, m_rc,
                                     fragment.source, RECT{0, 0, 0, 0},
                                     fragment.image->alphaChannel, 255);
            continue;
        }
        if (fragment.selected) {
            const RECT back = {x, m_lineTop, x + fragment.width, m_lineTop + height};
            const COLORREF previous = ::SetBkColor(m_hdc, selectedBk);
            ::ExtTextOutW(m_hdc, 0, 0, ETO_OPAQUE, &back, nullptr, 0, nullptr);
            ::SetBkColor(m_hdc, previous);
        }
        // Runs of every size share the line's bottom.
        const int y = m_lineTop + contentHeight - FontHeight(fragment.font);
        SelectFont(fragment.font);
        ::SetTextColor(m_hdc, ToColorRef(fragment.color));
        if (fragment.length > 0) ::TextOutW(m_hdc, x, y, fragment.text, fragment.length);
        if (fragment.ellipsis) {
            ::TextOutW(m_hdc, x + TextWidth(fragment.text, fragment.length), y, kEllipsis, 3);
        }
    }
}

// ---- Text ----

void CHtmlTextLayout::AddFragment(const wchar_t* text, int length, int width, bool ellipsis) {
    if (length <= 0 && !ellipsis) return;
    Fragment fragment;
    fragment.x = m_x;
    fragment.width = width;
    fragment.text = text;
    fragment.length = length;
    fragment.ellipsis = ellipsis;
    fragment.font = CurrentFont();
    fragment.color = CurrentColor();
    fragment.selected = m_selected;
    m_line.push_back(fragment);
    m_x += width;
    m_lineHasContent = true;
    m_lineHeight = std::max(m_lineHeight, FontHeight(fragment.font));
}

void CHtmlTextLayout::AddText(const wchar_t* text, int length) {
    if (m_lineClosed) return;
    const bool ellipsis = (m_style & DT_END_ELLIPSIS) != 0;
    const bool wordBreak = (m_style & DT_WORDBREAK) != 0;
    std::vector<int> extents;
    while (length > 0 && !m_stopped) {
        TFontInfo* font = CurrentFont();
        SelectFont(font);
        const int available = m_rc.right - m_x;
        // Measuring character by character is needed only near the edge.
        const bool surelyFits = static_cast<long long>(length) * font->tm.tmMaxCharWidth <= available;
        if (surelyFits || (m_singleLine && !ellipsis)) {
            AddFragment(text, length, TextWidth(text, length), false);
            return;
        }
        // Measure only a prefix that can hold the line (every character but
        // a rare zero-width one takes a pixel), widened while all of it fits:
        // measuring the whole rest for each wrapped line was quadratic.
        int measured = std::min(length, std::max(available, 0) + 2);
        int fit = 0;
        SIZE size = {0, 0};
        for (;;) {
            extents.assign(static_cast<size_t>(measured), 0);
            ::GetTextExtentExPointW(m_hdc, text, measured, std::max(available, 0), &fit,
                                    extents.data(), &size);
            fit = std::clamp(fit, 0, measured);
            if (fit < measured || measured == length) break;
            measured = static_cast<int>(std::min<long long>(length, 2LL * measured));
        }
        if (fit == length) {
            AddFragment(text, length, size.cx, false);
            return;
        }
        if (ellipsis) {
            // Keep what fits but two characters, then "...". The rest of the
            // line is dropped: on a single line that is all the rest.
            const int keep = std::max(fit - 2, 0);
            const int width = (keep > 0 ? extents[keep - 1] : 0) + TextWidth(kEllipsis, 3);
            AddFragment(text, keep, width, true);
            if (m_singleLine) {
                EndLine(false);
                m_stopped = true;
            } else {
                m_lineClosed = true;
            }
            return;
        }
        if (m_singleLine) {
            AddFragment(text, length, TextWidth(text, length), false);
            return;
        }
        int cut = 0;
        if (wordBreak) {
            if (std::iswspace(text[fit])) {
                cut = fit;
            } else {
                for (int i = fit - 1; i >= 0; --i) {
                    if (BreaksAfter(text[i])) {
                        cut = i + 1;
                        break;
                    }
                }
            }
        } else {
            cut = fit;
        }
        if (cut == 0) {
            // Nothing of this run fits after what the line holds: try the
            // whole run on a fresh line, which takes at least one character.
            if (m_lineHasContent) {
                EndLine();
                continue;
            }
            cut = std::max(fit, 1);
        }
        AddFragment(text, cut, cut > 0 ? (cut <= fit ? extents[cut - 1] : TextWidth(text, cut)) : 0,
                    false);
        EndLine();
        text += cut;
        length -= cut;
        // A wrapped line does not begin with the blanks it wrapped at.
        while (length > 0 && *text == L' ') {
            ++text;
            --length;
        }
    }
}

}  // namespace Facet
