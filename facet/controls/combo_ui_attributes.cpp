// CComboUI: markup attributes, the closed box's images and padding, the
// drop box settings and the item appearance kept in the list info.
#include "facet/controls/combo_ui.h"

#include <cwchar>

#include "facet/controls/attribute_text.h"

namespace Facet {

namespace {
bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
}  // namespace

void CComboUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (!pstrName || !pstrValue) return;
    using AttributeText::ReadBool;
    using AttributeText::ReadColor;
    using AttributeText::ReadInt;
    using AttributeText::ReadRect;
    auto is = [pstrName](const wchar_t* name) { return std::wcscmp(pstrName, name) == 0; };
    if (is(L"textpadding")) {
        SetTextPadding(ReadRect(pstrValue));
    } else if (is(L"normalimage")) {
        SetNormalImage(pstrValue);
    } else if (is(L"hotimage")) {
        SetHotImage(pstrValue);
    } else if (is(L"pushedimage")) {
        SetPushedImage(pstrValue);
    } else if (is(L"focusedimage")) {
        SetFocusedImage(pstrValue);
    } else if (is(L"disabledimage")) {
        SetDisabledImage(pstrValue);
    } else if (is(L"dropbox")) {
        SetDropBoxAttributeList(pstrValue);
    } else if (is(L"dropboxsize")) {
        int v[2] = {0, 0};
        AttributeText::ReadInts(pstrValue, v, 2);
        SetDropBoxSize(SIZE{v[0], v[1]});
    } else if (is(L"itemfont")) {
        m_ListInfo.nFont = ReadInt(pstrValue);
    } else if (is(L"itemalign")) {
        UINT& style = m_ListInfo.uTextStyle;
        if (std::wcsstr(pstrValue, L"left")) style &= ~(DT_CENTER | DT_RIGHT);
        if (std::wcsstr(pstrValue, L"center")) style = (style & ~DT_RIGHT) | DT_CENTER;
        if (std::wcsstr(pstrValue, L"right")) style = (style & ~DT_CENTER) | DT_RIGHT;
    } else if (is(L"itemtextpadding")) {
        SetItemTextPadding(ReadRect(pstrValue));
    } else if (is(L"itemtextcolor")) {
        SetItemTextColor(ReadColor(pstrValue));
    } else if (is(L"itembkcolor")) {
        SetItemBkColor(ReadColor(pstrValue));
    } else if (is(L"itembkimage")) {
        SetItemBkImage(pstrValue);
    } else if (is(L"itemaltbk")) {
        SetAlternateBk(ReadBool(pstrValue));
    } else if (is(L"itemselectedtextcolor")) {
        SetSelectedItemTextColor(ReadColor(pstrValue));
    } else if (is(L"itemselectedbkcolor")) {
        SetSelectedItemBkColor(ReadColor(pstrValue));
    } else if (is(L"itemselectedimage")) {
        SetSelectedItemImage(pstrValue);
    } else if (is(L"itemhottextcolor")) {
        SetHotItemTextColor(ReadColor(pstrValue));
    } else if (is(L"itemhotbkcolor")) {
        SetHotItemBkColor(ReadColor(pstrValue));
    } else if (is(L"itemhotimage")) {
        SetHotItemImage(pstrValue);
    } else if (is(L"itemdisabledtextcolor")) {
        SetDisabledItemTextColor(ReadColor(pstrValue));
    } else if (is(L"itemdisabledbkcolor")) {
        SetDisabledItemBkColor(ReadColor(pstrValue));
    } else if (is(L"itemdisabledimage")) {
        SetDisabledItemImage(pstrValue);
    } else if (is(L"itemlinecolor")) {
        SetItemLineColor(ReadColor(pstrValue));
    } else if (is(L"itemshowhtml")) {
        SetItemShowHtml(ReadBool(pstrValue));
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

SIZE CComboUI::GetDropBoxSize() const { return m_szDropBox; }
void CComboUI::SetDropBoxSize(SIZE szDropBox) { m_szDropBox = szDropBox; }
CDuiString CComboUI::GetDropBoxAttributeList() { return m_sDropBoxAttributes; }
void CComboUI::SetDropBoxAttributeList(const wchar_t* pstrList) {
    m_sDropBoxAttributes = pstrList ? pstrList : L"";
}

RECT CComboUI::GetTextPadding() const { return m_rcTextPadding; }
void CComboUI::SetTextPadding(RECT rc) {
    m_rcTextPadding = rc;
    Invalidate();
}

const wchar_t* CComboUI::GetNormalImage() const { return m_sNormalImage; }
void CComboUI::SetNormalImage(const wchar_t* s) { AssignImage(m_sNormalImage, s); }
const wchar_t* CComboUI::GetHotImage() const { return m_sHotImage; }
void CComboUI::SetHotImage(const wchar_t* s) { AssignImage(m_sHotImage, s); }
const wchar_t* CComboUI::GetPushedImage() const { return m_sPushedImage; }
void CComboUI::SetPushedImage(const wchar_t* s) { AssignImage(m_sPushedImage, s); }
const wchar_t* CComboUI::GetFocusedImage() const { return m_sFocusedImage; }
void CComboUI::SetFocusedImage(const wchar_t* s) { AssignImage(m_sFocusedImage, s); }
const wchar_t* CComboUI::GetDisabledImage() const { return m_sDisabledImage; }
void CComboUI::SetDisabledImage(const wchar_t* s) { AssignImage(m_sDisabledImage, s); }

// The closed box shows the selected item in these settings, so they repaint.
int CComboUI::GetItemFont() const { return m_ListInfo.nFont; }
void CComboUI::SetItemFont(int index) {
    if (m_ListInfo.nFont == index) return;
    m_ListInfo.nFont = index;
    Invalidate();
}
UINT CComboUI::GetItemTextStyle() const { return m_ListInfo.uTextStyle; }
void CComboUI::SetItemTextStyle(UINT uStyle) {
    if (m_ListInfo.uTextStyle == uStyle) return;
    m_ListInfo.uTextStyle = uStyle;
    Invalidate();
}
RECT CComboUI::GetItemTextPadding() const { return m_ListInfo.rcTextPadding; }
void CComboUI::SetItemTextPadding(RECT rc) {
    if (SameRect(m_ListInfo.rcTextPadding, rc)) return;
    m_ListInfo.rcTextPadding = rc;
    Invalidate();
}
DWORD CComboUI::GetItemTextColor() const { return m_ListInfo.dwTextColor; }
void CComboUI::SetItemTextColor(DWORD dwTextColor) {
    if (m_ListInfo.dwTextColor == dwTextColor) return;
    m_ListInfo.dwTextColor = dwTextColor;
    Invalidate();
}
bool CComboUI::IsItemShowHtml() const { return m_ListInfo.bShowHtml; }
void CComboUI::SetItemShowHtml(bool bShowHtml) {
    if (m_ListInfo.bShowHtml == bShowHtml) return;
    m_ListInfo.bShowHtml = bShowHtml;
    Invalidate();
}

// The rest only matter inside the drop-down, which reads them as it paints.
DWORD CComboUI::GetItemBkColor() const { return m_ListInfo.dwBkColor; }
void CComboUI::SetItemBkColor(DWORD c) { m_ListInfo.dwBkColor = c; }
const wchar_t* CComboUI::GetItemBkImage() const { return m_ListInfo.sBkImage; }
void CComboUI::SetItemBkImage(const wchar_t* s) { m_ListInfo.sBkImage = s ? s : L""; }
bool CComboUI::IsAlternateBk() const { return m_ListInfo.bAlternateBk; }
void CComboUI::SetAlternateBk(bool b) { m_ListInfo.bAlternateBk = b; }
DWORD CComboUI::GetSelectedItemTextColor() const { return m_ListInfo.dwSelectedTextColor; }
void CComboUI::SetSelectedItemTextColor(DWORD c) { m_ListInfo.dwSelectedTextColor = c; }
DWORD CComboUI::GetSelectedItemBkColor() const { return m_ListInfo.dwSelectedBkColor; }
void CComboUI::SetSelectedItemBkColor(DWORD c) { m_ListInfo.dwSelectedBkColor = c; }
const wchar_t* CComboUI::GetSelectedItemImage() const { return m_ListInfo.sSelectedImage; }
void CComboUI::SetSelectedItemImage(const wchar_t* s) { m_ListInfo.sSelectedImage = s ? s : L""; }
DWORD CComboUI::GetHotItemTextColor() const { return m_ListInfo.dwHotTextColor; }
void CComboUI::SetHotItemTextColor(DWORD c) { m_ListInfo.dwHotTextColor = c; }
DWORD CComboUI::GetHotItemBkColor() const { return m_ListInfo.dwHotBkColor; }
void CComboUI::SetHotItemBkColor(DWORD c) { m_ListInfo.dwHotBkColor = c; }
const wchar_t* CComboUI::GetHotItemImage() const { return m_ListInfo.sHotImage; }
void CComboUI::SetHotItemImage(const wchar_t* s) { m_ListInfo.sHotImage = s ? s : L""; }
DWORD CComboUI::GetDisabledItemTextColor() const { return m_ListInfo.dwDisabledTextColor; }
void CComboUI::SetDisabledItemTextColor(DWORD c) { m_ListInfo.dwDisabledTextColor = c; }
DWORD CComboUI::GetDisabledItemBkColor() const { return m_ListInfo.dwDisabledBkColor; }
void CComboUI::SetDisabledItemBkColor(DWORD c) { m_ListInfo.dwDisabledBkColor = c; }
const wchar_t* CComboUI::GetDisabledItemImage() const { return m_ListInfo.sDisabledImage; }
void CComboUI::SetDisabledItemImage(const wchar_t* s) { m_ListInfo.sDisabledImage = s ? s : L""; }
DWORD CComboUI::GetItemLineColor() const { return m_ListInfo.dwLineColor; }
void CComboUI::SetItemLineColor(DWORD c) { m_ListInfo.dwLineColor = c; }

}  // namespace Facet
