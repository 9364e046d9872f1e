// CMarkup's parser: one pass over the document buffer that records the element
// table and writes NULs, decoded entities and padding spaces in place. It
// walks the tree with a loop rather than recursion, climbing back through the
// parent indexes it records, so no depth of nesting can exhaust the stack.
#include "facet/markup/markup.h"

#include <cstdlib>
#include <cwchar>
#include <cwctype>

namespace Facet {

namespace {

// Every unit from 0x01 to 0x20 counts; NUL ends the text and is never skipped.
bool IsWhitespace(wchar_t ch) { return ch > 0 && ch <= L' '; }

bool IsIdentifierUnit(wchar_t ch) { return std::iswalnum(ch) || ch == L'_' || ch == L':'; }

void SkipWhitespace(wchar_t*& p) {
    while (IsWhitespace(*p)) ++p;
}

void SkipIdentifier(wchar_t*& p) {
    while (IsIdentifierUnit(*p)) ++p;
}

// Whether the text at `p` begins with `prefix`; stops at the first difference,
// so never reads past the NUL that ends the text.
bool StartsWith(const wchar_t* p, const wchar_t* prefix) {
    for (; *prefix; ++p, ++prefix) {
        if (*p != *prefix) return false;
    }
    return true;
}

// Moves past the first `marker` at or after `p`, or to the end of the text
// when there is none.
void SkipPast(wchar_t*& p, const wchar_t* marker) {
    const wchar_t* found = std::wcsstr(p, marker);
    p = found ? const_cast<wchar_t*>(found) + std::wcslen(marker) : p + std::wcslen(p);
}

struct Entity {
    const wchar_t* name;  // without the '&'
    wchar_t ch;
};

constexpr Entity kEntities[] = {
    {L"amp;", L'&'}, {L"lt;", L'<'}, {L"gt;", L'>'}, {L"quot;", L'"'}, {L"apos;", L'\''},
};

// Decodes the entity after an '&' that `src` has just passed; an unknown one
// stays a literal '&' and the units after it are left for the caller.
wchar_t DecodeEntity(wchar_t*& src) {
    for (const Entity& entity : kEntities) {
        if (StartsWith(src, entity.name)) {
            src += std::wcslen(entity.name);
            return entity.ch;
        }
    }
    return L'&';
}

}  // namespace

bool CMarkup::_Parse() {
    m_szErrorMsg[0] = L'\0';
    m_szErrorXML[0] = L'\0';
    // Element 0 is a placeholder, so that index 0 can mean "none".
    ULONG iPlaceholder = 0;
    if (!_ReserveElement(&iPlaceholder)) return _Failed(L"Out of memory");
    wchar_t* pstrText = m_pstrXML;
    return _ParseElements(pstrText);
}

// The element list of `parent`, with its children's lists nested in the same
// loop. Entering a child list sets `parent` to the element; finishing a list
// closes `parent` (its end tag) and resumes the list it belongs to, where it
// is the previous sibling.
bool CMarkup::_ParseElements(wchar_t*& pstrText) {
    ULONG iParent = 0;
    ULONG iPrevious = 0;
    for (;;) {
        SkipWhitespace(pstrText);
        // The document may end inside the root or one of its direct children.
        const bool listEnded = (*pstrText == L'\0' && iParent <= 1) ||
                               (pstrText[0] == L'<' && pstrText[1] == L'/');
        if (!listEnded && *pstrText != L'<') return _Failed(L"Expected start tag", pstrText);
        if (listEnded) {
            if (iParent == 0) return true;
            if (!_CloseElement(iParent, pstrText)) return false;
            iPrevious = iParent;
            iParent = m_pElements[iParent].iParent;
            continue;
        }

        *pstrText++ = L'\0';
        SkipWhitespace(pstrText);
        if (*pstrText == L'!') {  // a comment
            SkipPast(pstrText, L"->");
            continue;
        }
        if (*pstrText == L'?') {  // a processing instruction such as <?xml ...?>
            SkipPast(pstrText, L"?>");
            continue;
        }
        SkipWhitespace(pstrText);

        ULONG iPos = 0;
        if (!_ReserveElement(&iPos)) return _Failed(L"Out of memory");
        XMLELEMENT& element = m_pElements[iPos];
        element.iStart = static_cast<ULONG>(pstrText - m_pstrXML);
        element.iParent = iParent;
        element.iChild = 0;
        element.iNext = 0;
        element.iData = 0;
        if (iPrevious != 0) {
            m_pElements[iPrevious].iNext = iPos;
        } else if (iParent != 0) {
            m_pElements[iParent].iChild = iPos;
        }
        iPrevious = iPos;

        SkipIdentifier(pstrText);
        wchar_t* pstrNameEnd = pstrText;
        if (*pstrText == L'\0') return _Failed(L"Error parsing element name", pstrText);
        if (!_ParseAttributes(pstrText)) return false;

        SkipWhitespace(pstrText);
        if (pstrText[0] == L'/' && pstrText[1] == L'>') {  // empty-element tag
            element.iData = static_cast<ULONG>(pstrText - m_pstrXML);
            *pstrText = L'\0';
            pstrText += 2;
            *pstrNameEnd = L'\0';
            continue;
        }
        if (*pstrText != L'>') return _Failed(L"Expected start-tag closing", pstrText);
        element.iData = static_cast<ULONG>(++pstrText - m_pstrXML);
        wchar_t* pstrDest = pstrText;
        _ParseData(pstrText, pstrDest, L'<');
        if (*pstrText == L'\0' && iParent <= 1) {
            // The text ends inside this element: the list it belongs to is
            // complete. Its name still needs its NUL, which the end tag would
            // otherwise have brought.
            *pstrNameEnd = L'\0';
            if (iParent == 0) return true;
            if (!_CloseElement(iParent, pstrText)) return false;
            iPrevious = iParent;
            iParent = m_pElements[iParent].iParent;
            continue;
        }
        if (*pstrText != L'<') return _Failed(L"Expected end-tag start", pstrText);
        if (pstrText[1] != L'/') {  // children follow: their list comes first
            iParent = iPos;
            iPrevious = 0;
            continue;
        }
        if (!_CloseElement(iPos, pstrText)) return false;
    }
}

// At the element's end tag: checks it and ends the element's name. At the end
// of the text (a document cut off inside the root) only the name is ended.
bool CMarkup::_CloseElement(ULONG iElement, wchar_t*& pstrText) {
    wchar_t* pstrName = m_pstrXML + m_pElements[iElement].iStart;
    // Nothing after the name has been written over with an identifier unit,
    // so scanning it again finds where it ended.
    wchar_t* pstrNameEnd = pstrName;
    SkipIdentifier(pstrNameEnd);
    const std::size_t cchName = static_cast<std::size_t>(pstrNameEnd - pstrName);

    if (pstrText[0] == L'<' && pstrText[1] == L'/') {
        // The element's text already ends here, or earlier where _ParseData
        // put the NUL after decoded entities.
        *pstrText = L'\0';
        pstrText += 2;
        SkipWhitespace(pstrText);
        if (std::wcsncmp(pstrText, pstrName, cchName) != 0) return _Failed(L"Unmatched closing tag", pstrText);
        pstrText += cchName;
        SkipWhitespace(pstrText);
        if (*pstrText != L'>') return _Failed(L"Unmatched closing tag", pstrText);
        ++pstrText;
    }
    *pstrNameEnd = L'\0';
    return true;
}

bool CMarkup::_ParseAttributes(wchar_t*& pstrText) {
    if (*pstrText == L'>' || *pstrText == L'/') return true;
    *pstrText++ = L'\0';  // ends the element name
    for (;;) {
        SkipWhitespace(pstrText);
        if (*pstrText == L'\0' || *pstrText == L'/' || *pstrText == L'>') return true;
        SkipIdentifier(pstrText);
        wchar_t* pstrNameEnd = pstrText;
        SkipWhitespace(pstrText);
        if (*pstrText != L'=') return _Failed(L"Error while parsing attributes", pstrText);
        // A space, so that the attribute mapper steps over it as whitespace;
        // the NUL below lands on the same unit when no blank came before '='.
        *pstrText++ = L' ';
        *pstrNameEnd = L'\0';
        SkipWhitespace(pstrText);
        if (*pstrText != L'"') return _Failed(L"Expected attribute value", pstrText);
        ++pstrText;
        wchar_t* pstrDest = pstrText;
        _ParseData(pstrText, pstrDest, L'"');
        if (*pstrText == L'\0') return _Failed(L"Error while parsing attribute string", pstrText);
        *pstrDest = L'\0';
        if (pstrDest != pstrText) *pstrText = L' ';
        ++pstrText;
    }
}

// Copies character data in place up to NUL or `cEnd`, decoding the five named
// entities. When decoding shrank the text, the decoded text is ended with a
// NUL and the units up to `cEnd` become spaces, so the attribute mapper can
// step over them as whitespace.
void CMarkup::_ParseData(wchar_t*& pstrText, wchar_t*& pstrDest, wchar_t cEnd) const {
    while (*pstrText != L'\0' && *pstrText != cEnd) {
        if (*pstrText == L'&') {
            while (*pstrText == L'&') {
                ++pstrText;
                *pstrDest++ = DecodeEntity(pstrText);
            }
            continue;
        }
        if (*pstrText == L' ') {
            *pstrDest++ = *pstrText++;
            if (!m_bPreserveWhitespace) SkipWhitespace(pstrText);
            continue;
        }
        // One unit at a time: the units of a character (a surrogate pair, a
        // base with combining marks) are copied unchanged either way.
        *pstrDest++ = *pstrText++;
    }
    if (pstrDest < pstrText) {
        *pstrDest = L'\0';
        for (wchar_t* p = pstrDest + 1; p < pstrText; ++p) *p = L' ';
    }
}

// Appends a zeroed record and tells its index; false when the table cannot
// grow any further.
bool CMarkup::_ReserveElement(ULONG* piPos) {
    if (m_nElements == m_nReservedElements) {
        // 0 -> 500 -> 1,250 -> 2,375 ...
        const unsigned long long reserve =
            static_cast<unsigned long long>(m_nReservedElements) + m_nReservedElements / 2 + 500;
        if (reserve > 0xFFFFFFFFull || reserve > static_cast<std::size_t>(-1) / sizeof(XMLELEMENT)) return false;
        void* grown = std::realloc(m_pElements, static_cast<std::size_t>(reserve) * sizeof(XMLELEMENT));
        if (!grown) return false;
        m_pElements = static_cast<XMLELEMENT*>(grown);
        m_nReservedElements = static_cast<ULONG>(reserve);
    }
    m_pElements[m_nElements] = XMLELEMENT{};
    *piPos = m_nElements++;
    return true;
}

}  // namespace Facet
