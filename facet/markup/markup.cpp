// CMarkup's life cycle, its loads from text, memory and the skin location, and
// its error texts. The parse itself is in markup_parser.cpp, reading the skin
// file or zip member in markup_file_source.cpp.
#include "facet/markup/markup.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "facet/markup/markup_file_source.h"

namespace Facet {

namespace {

// Offsets in the element table are 32-bit, so the text must stay below that.
constexpr std::size_t kMaxTextUnits = 0xFFFFFFFEu;

wchar_t* AllocateUnits(std::size_t units) {
    return static_cast<wchar_t*>(std::malloc(units * sizeof(wchar_t)));
}

// Bytes in `codePage` converted into a new NUL-terminated block, or null when
// no memory is left. Zero bytes give the empty text.
wchar_t* ConvertToWide(UINT codePage, const BYTE* bytes, int count) {
    const char* source = reinterpret_cast<const char*>(bytes);
    const int units = count > 0 ? ::MultiByteToWideChar(codePage, 0, source, count, nullptr, 0) : 0;
    wchar_t* text = AllocateUnits(static_cast<std::size_t>(units > 0 ? units : 0) + 1);
    if (!text) return nullptr;
    const int written = units > 0 ? ::MultiByteToWideChar(codePage, 0, source, count, text, units) : 0;
    text[written > 0 ? written : 0] = L'\0';
    return text;
}

// The UTF-16 units after the byte-order mark in a new NUL-terminated block,
// swapped to this machine's order when the mark says big-endian. The units
// are assembled byte by byte, which needs no alignment of the caller's block
// and leaves it as it was.
wchar_t* CopyUtf16(const BYTE* bytes, std::size_t size) {
    const bool bigEndian = bytes[0] == 0xFE;
    const std::size_t units = size / 2 - 1;  // an odd trailing byte is dropped
    wchar_t* text = AllocateUnits(units + 1);
    if (!text) return nullptr;
    for (std::size_t i = 0; i < units; ++i) {
        const BYTE first = bytes[2 + 2 * i];
        const BYTE second = bytes[3 + 2 * i];
        text[i] = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    text[units] = L'\0';
    return text;
}

bool HasUtf16ByteOrderMark(const BYTE* bytes, std::size_t size) {
    return size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF));
}

}  // namespace

CMarkup::CMarkup(const wchar_t* pstrXML)
    : m_pstrXML(nullptr),
      m_pElements(nullptr),
      m_nElements(0),
      m_nReservedElements(0),
      m_bPreserveWhitespace(true) {
    m_szErrorMsg[0] = L'\0';
    m_szErrorXML[0] = L'\0';
    if (pstrXML) Load(pstrXML);
}

CMarkup::~CMarkup() { Release(); }

bool CMarkup::IsValid() const { return m_pElements != nullptr; }

void CMarkup::SetPreserveWhitespace(bool bPreserve) { m_bPreserveWhitespace = bPreserve; }

void CMarkup::Release() {
    std::free(m_pstrXML);
    std::free(m_pElements);
    m_pstrXML = nullptr;
    m_pElements = nullptr;
    m_nElements = 0;
    m_nReservedElements = 0;
}

bool CMarkup::Load(const wchar_t* pstrXML) {
    Release();
    if (!pstrXML) return _Failed(L"");
    const std::size_t cchLen = std::wcslen(pstrXML);
    if (cchLen > kMaxTextUnits) return _Failed(L"File too large");
    wchar_t* pstrText = AllocateUnits(cchLen + 1);
    if (!pstrText) return _Failed(L"Out of memory");
    std::memcpy(pstrText, pstrXML, (cchLen + 1) * sizeof(wchar_t));
    return LoadOwnedText(pstrText);
}

bool CMarkup::LoadFromMem(BYTE* pByte, DWORD dwSize, int encoding) {
    Release();
    if (!pByte) dwSize = 0;
    wchar_t* pstrText = nullptr;
    switch (encoding) {
        case kEncodingUtf8: {
            if (dwSize >= 3 && pByte[0] == 0xEF && pByte[1] == 0xBB && pByte[2] == 0xBF) {
                pByte += 3;
                dwSize -= 3;
            }
            if (dwSize > INT_MAX) return _Failed(L"File too large");
            pstrText = ConvertToWide(CP_UTF8, pByte, static_cast<int>(dwSize));
            break;
        }
        case kEncodingAnsi:
            if (dwSize > INT_MAX) return _Failed(L"File too large");
            pstrText = ConvertToWide(CP_ACP, pByte, static_cast<int>(dwSize));
            break;
        case kEncodingUtf16:
            // Without a mark the byte order is a guess, and a wrong guess
            // reads as garbage; refusing is clearer.
            if (!HasUtf16ByteOrderMark(pByte, dwSize)) return _Failed(L"Expected byte-order mark");
            pstrText = CopyUtf16(pByte, dwSize);
            break;
        default:
            return _Failed(L"Unknown encoding");
    }
    if (!pstrText) return _Failed(L"Out of memory");
    return LoadOwnedText(pstrText);
}

bool CMarkup::LoadFromFile(const wchar_t* pstrFilename, int encoding) {
    Release();
    CMarkupFileSource::Block block;
    const wchar_t* pstrError = CMarkupFileSource::Read(CMarkupFileSource::CurrentLocation(), pstrFilename, &block);
    if (pstrError) return _Failed(pstrError);
    return LoadFromMem(block.data, block.size, encoding);
}

// Takes ownership of the NUL-terminated text and parses it.
bool CMarkup::LoadOwnedText(wchar_t* pstrText) {
    m_pstrXML = pstrText;
    if (_Parse()) return true;
    Release();
    return false;
}

CMarkupNode CMarkup::GetRoot() const {
    if (m_nElements <= 1) return CMarkupNode();
    return CMarkupNode(this, 1);
}

const CMarkup::XMLELEMENT* CMarkup::ElementAt(int iPos) const {
    if (!m_pstrXML || !m_pElements || iPos <= 0 || static_cast<ULONG>(iPos) >= m_nElements) return nullptr;
    return &m_pElements[iPos];
}

void CMarkup::GetLastErrorMessage(wchar_t* pstrMessage, std::size_t cchMax) const {
    if (pstrMessage && cchMax > 0) std::wcsncpy(pstrMessage, m_szErrorMsg, cchMax);
}

void CMarkup::GetLastErrorLocation(wchar_t* pstrSource, std::size_t cchMax) const {
    if (pstrSource && cchMax > 0) std::wcsncpy(pstrSource, m_szErrorXML, cchMax);
}

// Keeps the message and the document text from `pstrLocation` on (empty when
// null), each cut to fit; always false, so failures can return it.
bool CMarkup::_Failed(const wchar_t* pstrError, const wchar_t* pstrLocation) {
    std::wcsncpy(m_szErrorMsg, pstrError, kErrorMessageUnits - 1);
    m_szErrorMsg[kErrorMessageUnits - 1] = L'\0';
    std::wcsncpy(m_szErrorXML, pstrLocation ? pstrLocation : L"", kErrorLocationUnits - 1);
    m_szErrorXML[kErrorLocationUnits - 1] = L'\0';
    return false;
}

}  // namespace Facet
