// CCheckBoxUI: names only; the behaviour is the option's.
#include "facet/controls/check_box_ui.h"

#include <cwchar>

namespace Facet {

const wchar_t* CCheckBoxUI::GetClass() const { return L"CheckBoxUI"; }

LPVOID CCheckBoxUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"CheckBox") == 0) return this;
    return COptionUI::GetInterface(pstrName);
}

void CCheckBoxUI::SetCheck(bool bCheck) { Selected(bCheck); }

bool CCheckBoxUI::GetCheck() const { return IsSelected(); }

}  // namespace Facet
