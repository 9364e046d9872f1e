// CContainerUI's markup attributes and its shortcuts to descendants found
// by name through the manager.
#include <cwchar>

#include "facet/controls/attribute_text.h"
#include "facet/controls/container_ui.h"
#include "facet/controls/scroll_bar_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

void CContainerUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (!pstrName || !pstrValue) return;
    using namespace AttributeText;
    if (std::wcscmp(pstrName, L"inset") == 0) {
        SetInset(ReadRect(pstrValue));
    } else if (std::wcscmp(pstrName, L"mousechild") == 0) {
        SetMouseChildEnabled(ReadBool(pstrValue));
    } else if (std::wcscmp(pstrName, L"vscrollbar") == 0) {
        EnableScrollBar(ReadBool(pstrValue), m_pHorizontalScrollBar != nullptr);
    } else if (std::wcscmp(pstrName, L"vscrollbarstyle") == 0) {
        EnableScrollBar(true, m_pHorizontalScrollBar != nullptr);
        if (m_pVerticalScrollBar) m_pVerticalScrollBar->ApplyAttributeList(pstrValue);
    } else if (std::wcscmp(pstrName, L"hscrollbar") == 0) {
        EnableScrollBar(m_pVerticalScrollBar != nullptr, ReadBool(pstrValue));
    } else if (std::wcscmp(pstrName, L"hscrollbarstyle") == 0) {
        EnableScrollBar(m_pVerticalScrollBar != nullptr, true);
        if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->ApplyAttributeList(pstrValue);
    } else if (std::wcscmp(pstrName, L"childpadding") == 0) {
        SetChildPadding(ReadInt(pstrValue));
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

CControlUI* CContainerUI::FindSubControl(const wchar_t* pstrSubControlName) {
    if (!m_pManager || !pstrSubControlName) return nullptr;
    return m_pManager->FindSubControlByName(this, pstrSubControlName);
}

bool CContainerUI::SetSubControlText(const wchar_t* pstrSubControlName, const wchar_t* pstrText) {
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    if (!pControl) return false;
    pControl->SetText(pstrText);
    return true;
}

bool CContainerUI::SetSubControlFixedHeight(const wchar_t* pstrSubControlName, int cy) {
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    if (!pControl) return false;
    pControl->SetFixedHeight(cy);
    return true;
}

bool CContainerUI::SetSubControlFixedWdith(const wchar_t* pstrSubControlName, int cx) {
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    if (!pControl) return false;
    pControl->SetFixedWidth(cx);
    return true;
}

bool CContainerUI::SetSubControlUserData(const wchar_t* pstrSubControlName,
                                         const wchar_t* pstrText) {
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    if (!pControl) return false;
    pControl->SetUserData(pstrText);
    return true;
}

CDuiString CContainerUI::GetSubControlText(const wchar_t* pstrSubControlName) {
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    return pControl ? pControl->GetText() : CDuiString();
}

int CContainerUI::GetSubControlFixedHeight(const wchar_t* pstrSubControlName) {
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    return pControl ? pControl->GetFixedHeight() : -1;
}

int CContainerUI::GetSubControlFixedWdith(const wchar_t* pstrSubControlName) {
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    return pControl ? pControl->GetFixedWidth() : -1;
}

CDuiString CContainerUI::GetSubControlUserData(const wchar_t* pstrSubControlName) {
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    return pControl ? CDuiString(pControl->GetUserData()) : CDuiString();
}

}  // namespace Facet
