// CHtmlTokenizer. Escapes come out as one-character text runs pointing at
// the character they stand for, which sits in the middle of the escape.
#include "facet/render/html_text_tokenizer.h"

namespace Facet {

namespace {

bool IsOpener(wchar_t c) { return c == L'<' || c == L'{'; }
bool IsCloser(wchar_t c) { return c == L'>' || c == L'}'; }
bool IsTagLetter(wchar_t c) { return c >= L'a' && c <= L'z'; }

bool IsEscape(const wchar_t* p) {
    if (p[0] == L'<') return (p[1] == L'{' || p[1] == L'}') && p[2] == L'>';
    if (p[0] == L'{') return (p[1] == L'<' || p[1] == L'>') && p[2] == L'}';
    return false;
}

bool IsEndTag(const wchar_t* p) {
    return IsOpener(p[0]) && p[1] == L'/' && IsTagLetter(p[2]) && IsCloser(p[3]);
}

}  // namespace

const wchar_t* CHtmlTokenizer::NextCloser(const wchar_t* p) {
    const bool known = m_searchedFrom && p >= m_searchedFrom && (!m_closer || p <= m_closer);
    if (!known) {
        m_searchedFrom = p;
        m_closer = nullptr;
        for (const wchar_t* q = p; *q; ++q) {
            if (IsCloser(*q)) {
                m_closer = q;
                break;
            }
        }
    }
    return m_closer;
}

const wchar_t* CHtmlTokenizer::TagEnd(const wchar_t* p) {
    if (!IsOpener(p[0]) || !IsTagLetter(p[1])) return nullptr;
    if (p[2] != L' ' && !IsCloser(p[2])) return nullptr;
    return NextCloser(p + 2);
}

int CHtmlTokenizer::MarkupLength(const wchar_t* p, bool raw) {
    if (!IsOpener(*p)) return 0;
    if (raw) return IsEndTag(p) && p[2] == L'r' ? 4 : 0;
    if (IsEscape(p)) return 3;
    if (IsEndTag(p)) return 4;
    if (const wchar_t* end = TagEnd(p)) return static_cast<int>(end - p) + 1;
    return 0;
}

THtmlToken CHtmlTokenizer::ReadMarkup() {
    THtmlToken token;
    const wchar_t* p = m_p;
    const int length = MarkupLength(p, m_raw);
    m_p += length;
    if (!m_raw && IsEscape(p)) {
        token.kind = THtmlToken::kText;
        token.text = p + 1;
        token.length = 1;
    } else if (p[1] == L'/') {
        token.kind = THtmlToken::kEndTag;
        token.letter = p[2];
        if (token.letter == L'r') m_raw = false;
    } else {
        token.kind = THtmlToken::kTag;
        token.letter = p[1];
        const wchar_t* param = p + 2;
        const wchar_t* end = p + length - 1;
        while (param < end && *param > 0 && *param <= L' ') ++param;
        token.text = param;
        token.length = static_cast<int>(end - param);
        if (token.letter == L'r') m_raw = true;
    }
    return token;
}

THtmlToken CHtmlTokenizer::Next() {
    THtmlToken token;
    if (!m_p) return token;
    // Windows line ends count once; a lone carriage return is dropped.
    while (*m_p == L'\r') ++m_p;
    if (!*m_p) return token;
    if (*m_p == L'\n') {
        ++m_p;
        token.kind = THtmlToken::kLineFeed;
        return token;
    }
    if (MarkupLength(m_p, m_raw) > 0) return ReadMarkup();

    token.kind = THtmlToken::kText;
    token.text = m_p;
    do {
        ++m_p;
    } while (*m_p && *m_p != L'\n' && *m_p != L'\r' && MarkupLength(m_p, m_raw) == 0);
    token.length = static_cast<int>(m_p - token.text);
    return token;
}

}  // namespace Facet
