// CMarkup: the skin markup parser. It copies a document into one UTF-16
// buffer and cuts that buffer in place into names, values and texts, recording
// an element table that CMarkupNode walks. Small and non-validating, it stops
// at the first error and keeps a message and the text at the error place.
#pragma once

#include <windows.h>

#include <cstddef>

#include "facet/markup/markup_node.h"

namespace Facet {

class CMarkup {
    friend class CMarkupNode;

public:
    // The encodings LoadFromMem and LoadFromFile take.
    static constexpr int kEncodingUtf8 = 0;
    static constexpr int kEncodingUtf16 = 1;  // little- or big-endian, byte-order mark required
    static constexpr int kEncodingAnsi = 2;   // the system's ANSI code page

    // Sizes of the stored error texts, terminating NUL included.
    static constexpr std::size_t kErrorMessageUnits = 100;
    static constexpr std::size_t kErrorLocationUnits = 50;

    // Empty; loads `pstrXML` when it is not null.
    explicit CMarkup(const wchar_t* pstrXML = nullptr);
    ~CMarkup();
    CMarkup(const CMarkup&) = delete;
    CMarkup& operator=(const CMarkup&) = delete;

    // Every load first releases the document held. A failed load leaves none,
    // and the error message and location say why; a null text is refused
    // with an empty message.
    bool Load(const wchar_t* pstrXML);
    // Converts `dwSize` bytes (not necessarily NUL-terminated) by `encoding`
    // and parses them. The caller's bytes are only read. UTF-16 without a
    // byte-order mark is refused with "Expected byte-order mark", an unknown
    // encoding with "Unknown encoding". A null block reads as an empty one.
    bool LoadFromMem(BYTE* pByte, DWORD dwSize, int encoding = kEncodingUtf8);
    // Reads `pstrFilename` from the paint manager's resource path, or as a
    // member of its resource zip when one is set, and parses it like
    // LoadFromMem. Files and members above 4 MiB are refused.
    bool LoadFromFile(const wchar_t* pstrFilename, int encoding = kEncodingUtf8);
    void Release();
    bool IsValid() const;

    // Whether a run of whitespace that starts with a space stays as it is in
    // texts and values (true after construction) or collapses to one space.
    // Applies to the next load.
    void SetPreserveWhitespace(bool bPreserve = true);

    // Copy the stored text with wcsncpy(buf, text, cchMax): the copy is not
    // terminated when the text has cchMax units or more.
    void GetLastErrorMessage(wchar_t* pstrMessage, std::size_t cchMax) const;
    void GetLastErrorLocation(wchar_t* pstrSource, std::size_t cchMax) const;

    // Element 1, or an invalid node when the document holds no element.
    CMarkupNode GetRoot() const;

private:
    // All offsets count UTF-16 units from the buffer start; indexes count
    // elements, and 0 in child, next or parent means "none".
    struct XMLELEMENT {
        ULONG iStart;   // the element name
        ULONG iChild;   // first child
        ULONG iNext;    // next sibling
        ULONG iParent;  // 0 for a top-level element
        ULONG iData;    // the element's text
    };

    // The record of element `iPos`, or null when there is no such element.
    const XMLELEMENT* ElementAt(int iPos) const;

    bool LoadOwnedText(wchar_t* pstrText);
    bool _Parse();
    bool _ParseElements(wchar_t*& pstrText);
    bool _ParseAttributes(wchar_t*& pstrText);
    void _ParseData(wchar_t*& pstrText, wchar_t*& pstrDest, wchar_t cEnd) const;
    bool _CloseElement(ULONG iElement, wchar_t*& pstrText);
    bool _ReserveElement(ULONG* piPos);
    bool _Failed(const wchar_t* pstrError, const wchar_t* pstrLocation = nullptr);

    wchar_t* m_pstrXML;
    XMLELEMENT* m_pElements;
    ULONG m_nElements;
    ULONG m_nReservedElements;
    wchar_t m_szErrorMsg[kErrorMessageUnits];
    wchar_t m_szErrorXML[kErrorLocationUnits];
    bool m_bPreserveWhitespace;
};

}  // namespace Facet
