// CTabLayoutUI: a container that shows one of its children, the current
// page, filling its inner rectangle, and keeps the others hidden. Selecting
// another page reports "tabselect" with the new index in wParam and the old
// one in lParam.
#pragma once

#include <windows.h>

#include "facet/controls/container_ui.h"

namespace Facet {

class CTabLayoutUI : public CContainerUI {
public:
    CTabLayoutUI();
    // A tree deleted without ever being attached (the builder refusing a
    // skin) takes back the focus SelectItem gave a page meanwhile.
    ~CTabLayoutUI() override;

    const wchar_t* GetClass() const override;
    // "TabLayout" gives the layout; other names go to the container.
    LPVOID GetInterface(const wchar_t* pstrName) override;

    // A visible child added while there is no current page becomes it; every
    // other child is hidden, so one page at most is ever shown.
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    // Removing the current page makes page 0 current. RemoveAt goes through
    // here, so its bookkeeping is this one.
    bool Remove(CControlUI* pControl) override;
    void RemoveAll() override;
    // The current page stays current, under its new index.
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;

    // The current page's index; -1 when there is none.
    int GetCurSel() const;
    // False for an index that is not a child's; true at once for the current
    // page.
    bool SelectItem(int iIndex);
    bool SelectItem(CControlUI* pControl);

    // Places the current page (and floating children); no scroll bars.
    void SetPos(RECT rc) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

private:
    int m_iCurSel = -1;
    // The manager that SelectItem last gave a page's focus to. While the
    // builder lends its manager the layout forgets it again, so without this
    // nobody could take that focus back if the tree is never attached.
    CPaintManagerUI* m_pFocusManager = nullptr;
};

}  // namespace Facet
