// CCheckBoxUI: the option under the check-box name, with check-box words for
// its selected state. Alone it toggles at each click.
#pragma once

#include <windows.h>

#include "facet/controls/option_ui.h"

namespace Facet {

class CCheckBoxUI : public COptionUI {
public:
    const wchar_t* GetClass() const override;
    // "CheckBox" gives the check box; other names go to the option.
    LPVOID GetInterface(const wchar_t* pstrName) override;

    // Selected(bCheck) and IsSelected().
    void SetCheck(bool bCheck);
    bool GetCheck() const;
};

}  // namespace Facet
