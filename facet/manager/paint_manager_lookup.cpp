// CPaintManagerUI's look-ups: by name through the name map, by point, and by
// name or class over a subtree. Each is one FindControl traversal whose
// callback decides what "found" means.
#include "facet/controls/control_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

const wchar_t kAnyClass[] = L"*";

CControlUI* CALLBACK FindByPoint(CControlUI* pThis, LPVOID pData) {
    const RECT& rc = pThis->GetPos();
    return ::PtInRect(&rc, *static_cast<const POINT*>(pData)) ? pThis : nullptr;
}

CControlUI* CALLBACK FindByName(CControlUI* pThis, LPVOID pData) {
    const CDuiString name = pThis->GetName();
    if (name.IsEmpty()) return nullptr;
    return name.CompareNoCase(static_cast<const wchar_t*>(pData)) == 0 ? pThis : nullptr;
}

struct ClassSearch {
    const wchar_t* className;
    CStdPtrArray* found;
};

bool ClassMatches(CControlUI* pThis, const wchar_t* className) {
    return wcscmp(className, kAnyClass) == 0 || wcscmp(pThis->GetClass(), className) == 0;
}

// Fills the next empty slot; stops the traversal when the last one is filled.
CControlUI* CALLBACK FindNthByClass(CControlUI* pThis, LPVOID pData) {
    auto* search = static_cast<ClassSearch*>(pData);
    if (!ClassMatches(pThis, search->className)) return nullptr;
    CStdPtrArray& found = *search->found;
    for (int i = 0; i < found.GetSize(); ++i) {
        if (found[i] != nullptr) continue;
        found.SetAt(i, pThis);
        return i == found.GetSize() - 1 ? pThis : nullptr;
    }
    return nullptr;
}

CControlUI* CALLBACK CollectByClass(CControlUI* pThis, LPVOID pData) {
    auto* search = static_cast<ClassSearch*>(pData);
    if (ClassMatches(pThis, search->className)) search->found->Add(pThis);
    return nullptr;
}

}  // namespace

CControlUI* CPaintManagerUI::FindControl(POINT pt) { return FindSubControlByPoint(nullptr, pt); }

CControlUI* CPaintManagerUI::FindControl(const wchar_t* pstrName) {
    if (!pstrName) return nullptr;
    return static_cast<CControlUI*>(m_mNameHash.Find(pstrName));
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* pParent, POINT pt) {
    if (!pParent) pParent = m_pRoot;
    if (!pParent) return nullptr;
    return pParent->FindControl(FindByPoint, &pt, FindVisible | FindHitTest | FindTopFirst);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* pParent, const wchar_t* pstrName) {
    if (!pParent) pParent = m_pRoot;
    if (!pParent || !pstrName) return nullptr;
    return pParent->FindControl(FindByName, const_cast<wchar_t*>(pstrName), 0);
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* pParent, const wchar_t* pstrClass,
                                                   int iIndex) {
    if (!pParent) pParent = m_pRoot;
    if (!pParent || !pstrClass || iIndex < 0) return nullptr;
    if (!m_aFoundControls.Resize(iIndex + 1)) return nullptr;
    ClassSearch search = {pstrClass, &m_aFoundControls};
    return pParent->FindControl(FindNthByClass, &search, 0);
}

CStdPtrArray* CPaintManagerUI::FindSubControlsByClass(CControlUI* pParent, const wchar_t* pstrClass) {
    m_aFoundControls.Empty();
    if (!pParent) pParent = m_pRoot;
    if (!pParent || !pstrClass) return &m_aFoundControls;
    ClassSearch search = {pstrClass, &m_aFoundControls};
    pParent->FindControl(CollectByClass, &search, 0);
    return &m_aFoundControls;
}

CStdPtrArray* CPaintManagerUI::GetSubControlsByClass() { return &m_aFoundControls; }

}  // namespace Facet
