// CMarkupNode: a light, freely copied handle on one element of a loaded
// CMarkup document. The dialog builder walks the element tree through it:
// names, text values, attributes, parent, first child and next sibling. Every
// text it hands out points into the document's buffer and lasts as long as
// that document stays loaded.
#pragma once

#include <windows.h>

#include <cstddef>

namespace Facet {

class CMarkup;

class CMarkupNode {
    friend class CMarkup;

public:
    // At most this many attributes of one element are visible through a node;
    // further ones are parsed but not reachable.
    static constexpr int kMaxAttributes = 64;

    // An invalid node: no owner.
    CMarkupNode();

    bool IsValid() const;

    // Invalid nodes when there is no such element.
    CMarkupNode GetParent() const;
    CMarkupNode GetSibling() const;
    CMarkupNode GetChild() const;
    // The first child whose name equals `pstrName` (case-sensitive).
    CMarkupNode GetChild(const wchar_t* pstrName) const;

    bool HasSiblings() const;
    bool HasChildren() const;

    // Null on an invalid node. The value is the element's text up to its
    // first child element or its end tag, entities replaced.
    const wchar_t* GetName() const;
    const wchar_t* GetValue() const;

    // Attribute queries map the element's attributes on first use. Index and
    // name queries answer null on an invalid node and the empty text for an
    // index out of range or a missing name; the copying forms answer false in
    // both cases and then leave the buffer untouched. Copies use wcsncpy, so
    // a value of `cchMax` units or more is not terminated.
    bool HasAttributes() const;
    bool HasAttribute(const wchar_t* pstrName) const;
    int GetAttributeCount() const;
    const wchar_t* GetAttributeName(int iIndex) const;
    const wchar_t* GetAttributeValue(int iIndex) const;
    const wchar_t* GetAttributeValue(const wchar_t* pstrName) const;
    bool GetAttributeValue(int iIndex, wchar_t* pstrValue, std::size_t cchMax) const;
    bool GetAttributeValue(const wchar_t* pstrName, wchar_t* pstrValue, std::size_t cchMax) const;

private:
    struct XMLATTRIBUTE {
        ULONG iName;
        ULONG iValue;
    };

    CMarkupNode(const CMarkup* pOwner, int iPos);

    void _MapAttributes() const;
    // The index of the first mapped attribute named `pstrName`, or -1.
    int FindAttribute(const wchar_t* pstrName) const;

    int m_iPos;
    // Filled lazily by const queries; 0 also means "not mapped yet".
    mutable int m_nAttributes;
    mutable XMLATTRIBUTE m_aAttributes[kMaxAttributes];
    const CMarkup* m_pOwner;
};

}  // namespace Facet
