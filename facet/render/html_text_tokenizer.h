// Splits marked-up text into text runs, tags (<b>, {c #FF0000FF}, ...), end
// tags, line feeds and escapes, for DrawHtmlText. A tag is '<' or '{', a
// lower-case letter, then ' ', '>' or '}'; anything else is text.
#pragma once

#include <cstddef>

namespace Facet {

struct THtmlToken {
    enum Kind { kEnd, kText, kTag, kEndTag, kLineFeed };
    Kind kind = kEnd;
    // The tag's letter (kTag, kEndTag).
    wchar_t letter = 0;
    // kText: the characters. kTag: the parameter, between the letter and the
    // tag's end, without leading blanks. Points into the source text.
    const wchar_t* text = nullptr;
    int length = 0;
};

class CHtmlTokenizer {
public:
    explicit CHtmlTokenizer(const wchar_t* text) : m_p(text) {}
    THtmlToken Next();

private:
    // The length of the tag or escape that starts at p, or 0 for plain text.
    int MarkupLength(const wchar_t* p, bool raw);
    // The position of the tag's end, or null when the text ends first.
    const wchar_t* TagEnd(const wchar_t* p);
    // The first '>' or '}' at or after p, or null when there is none.
    const wchar_t* NextCloser(const wchar_t* p);
    THtmlToken ReadMarkup();

    const wchar_t* m_p;
    // Inside <r>...</r> only its end tag is markup.
    bool m_raw = false;
    // The last closer search: from m_searchedFrom, the first closer found
    // (null: none up to the end). Tags are looked at from left to right, so
    // reusing it keeps a run of unclosed openers from rescanning the rest of
    // the text for each of them.
    const wchar_t* m_searchedFrom = nullptr;
    const wchar_t* m_closer = nullptr;
};

}  // namespace Facet
