// CMarkupNode: tree steps through the owner's element table, and attribute
// look-ups over the (name, value) offsets mapped from the element's tag on
// first use. A node whose document was released answers like an invalid one.
#include "facet/markup/markup_node.h"

#include <cwchar>

#include "facet/markup/markup.h"

namespace Facet {

namespace {

constexpr wchar_t kEmpty[] = L"";

bool IsWhitespace(wchar_t ch) { return ch > 0 && ch <= L' '; }

}  // namespace

CMarkupNode::CMarkupNode() : m_iPos(0), m_nAttributes(0), m_aAttributes(), m_pOwner(nullptr) {}

CMarkupNode::CMarkupNode(const CMarkup* pOwner, int iPos)
    : m_iPos(iPos), m_nAttributes(0), m_aAttributes(), m_pOwner(pOwner) {}

bool CMarkupNode::IsValid() const { return m_pOwner != nullptr; }

CMarkupNode CMarkupNode::GetParent() const {
    const CMarkup::XMLELEMENT* element = m_pOwner ? m_pOwner->ElementAt(m_iPos) : nullptr;
    if (!element || element->iParent == 0) return CMarkupNode();
    return CMarkupNode(m_pOwner, static_cast<int>(element->iParent));
}

CMarkupNode CMarkupNode::GetSibling() const {
    const CMarkup::XMLELEMENT* element = m_pOwner ? m_pOwner->ElementAt(m_iPos) : nullptr;
    if (!element || element->iNext == 0) return CMarkupNode();
    return CMarkupNode(m_pOwner, static_cast<int>(element->iNext));
}

CMarkupNode CMarkupNode::GetChild() const {
    const CMarkup::XMLELEMENT* element = m_pOwner ? m_pOwner->ElementAt(m_iPos) : nullptr;
    if (!element || element->iChild == 0) return CMarkupNode();
    return CMarkupNode(m_pOwner, static_cast<int>(element->iChild));
}

CMarkupNode CMarkupNode::GetChild(const wchar_t* pstrName) const {
    if (!pstrName) return CMarkupNode();
    for (CMarkupNode child = GetChild(); child.IsValid(); child = child.GetSibling()) {
        if (std::wcscmp(child.GetName(), pstrName) == 0) return child;
    }
    return CMarkupNode();
}

bool CMarkupNode::HasSiblings() const {
    const CMarkup::XMLELEMENT* element = m_pOwner ? m_pOwner->ElementAt(m_iPos) : nullptr;
    return element && element->iNext != 0;
}

bool CMarkupNode::HasChildren() const {
    const CMarkup::XMLELEMENT* element = m_pOwner ? m_pOwner->ElementAt(m_iPos) : nullptr;
    return element && element->iChild != 0;
}

const wchar_t* CMarkupNode::GetName() const {
    const CMarkup::XMLELEMENT* element = m_pOwner ? m_pOwner->ElementAt(m_iPos) : nullptr;
    return element ? m_pOwner->m_pstrXML + element->iStart : nullptr;
}

const wchar_t* CMarkupNode::GetValue() const {
    const CMarkup::XMLELEMENT* element = m_pOwner ? m_pOwner->ElementAt(m_iPos) : nullptr;
    return element ? m_pOwner->m_pstrXML + element->iData : nullptr;
}

bool CMarkupNode::HasAttributes() const { return GetAttributeCount() > 0; }

bool CMarkupNode::HasAttribute(const wchar_t* pstrName) const { return FindAttribute(pstrName) >= 0; }

int CMarkupNode::GetAttributeCount() const {
    if (!m_pOwner) return 0;
    if (m_nAttributes == 0) _MapAttributes();
    return m_nAttributes;
}

const wchar_t* CMarkupNode::GetAttributeName(int iIndex) const {
    if (!m_pOwner) return nullptr;
    if (iIndex < 0 || iIndex >= GetAttributeCount()) return kEmpty;
    return m_pOwner->m_pstrXML + m_aAttributes[iIndex].iName;
}

const wchar_t* CMarkupNode::GetAttributeValue(int iIndex) const {
    if (!m_pOwner) return nullptr;
    if (iIndex < 0 || iIndex >= GetAttributeCount()) return kEmpty;
    return m_pOwner->m_pstrXML + m_aAttributes[iIndex].iValue;
}

const wchar_t* CMarkupNode::GetAttributeValue(const wchar_t* pstrName) const {
    if (!m_pOwner) return nullptr;
    const int iIndex = FindAttribute(pstrName);
    return iIndex < 0 ? kEmpty : m_pOwner->m_pstrXML + m_aAttributes[iIndex].iValue;
}

bool CMarkupNode::GetAttributeValue(int iIndex, wchar_t* pstrValue, std::size_t cchMax) const {
    if (!m_pOwner || !pstrValue || cchMax == 0 || iIndex < 0 || iIndex >= GetAttributeCount()) {
        return false;
    }
    // A value as long as the buffer is cut and still terminated: callers
    // read the buffer as a string.
    std::wcsncpy(pstrValue, m_pOwner->m_pstrXML + m_aAttributes[iIndex].iValue, cchMax - 1);
    pstrValue[cchMax - 1] = L'\0';
    return true;
}

bool CMarkupNode::GetAttributeValue(const wchar_t* pstrName, wchar_t* pstrValue, std::size_t cchMax) const {
    return GetAttributeValue(FindAttribute(pstrName), pstrValue, cchMax);
}

int CMarkupNode::FindAttribute(const wchar_t* pstrName) const {
    if (!m_pOwner || !pstrName) return -1;
    const int count = GetAttributeCount();
    for (int i = 0; i < count; ++i) {
        if (std::wcscmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, pstrName) == 0) return i;
    }
    return -1;
}

// The parser leaves the tag as: name NUL, then for each attribute whitespace,
// its name, NUL, whitespace (the former '='), '"', its value, NUL, and
// whitespace where decoding shrank the value; the element's data offset
// follows the tag. Every step stays before that offset, so a tag that does
// not have this shape (one ending in '>', where a name would run on into the
// element's text) ends the mapping instead of reading past the tag.
void CMarkupNode::_MapAttributes() const {
    m_nAttributes = 0;
    const CMarkup::XMLELEMENT* element = m_pOwner ? m_pOwner->ElementAt(m_iPos) : nullptr;
    if (!element) return;
    const wchar_t* base = m_pOwner->m_pstrXML;
    const ULONG end = element->iData;
    ULONG pos = element->iStart;  // past the name and its NUL
    while (pos < end && base[pos] != L'\0') ++pos;
    ++pos;

    while (pos < end && m_nAttributes < kMaxAttributes) {
        while (pos < end && IsWhitespace(base[pos])) ++pos;
        const ULONG iName = pos;
        while (pos < end && base[pos] != L'\0') ++pos;
        if (pos >= end) return;
        ++pos;
        while (pos < end && IsWhitespace(base[pos])) ++pos;
        if (pos >= end || base[pos] != L'"') return;
        const ULONG iValue = ++pos;
        while (pos < end && base[pos] != L'\0') ++pos;
        if (pos >= end) return;
        ++pos;
        m_aAttributes[m_nAttributes].iName = iName;
        m_aAttributes[m_nAttributes].iValue = iValue;
        ++m_nAttributes;
    }
}

}  // namespace Facet
