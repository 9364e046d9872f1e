// CComboWnd: the drop-down window of a CComboUI. It borrows the combo's items
// into a scrolling vertical layout of its own paint manager, closes when it
// loses the focus or an item is chosen, and gives the items back however its
// window goes away.
#pragma once

#include <windows.h>

#include "facet/manager/paint_manager_ui.h"
#include "facet/window/window_wnd.h"

namespace Facet {

class CComboUI;
class CVerticalLayoutUI;

class CComboWnd final : public CWindowWnd, public IMessageFilterUI {
public:
    // Creates the popup below the combo (above it when the work area has no
    // room below). Null when the window could not be made; the object is
    // then deleted. Until creation succeeds Open owns the object: a window
    // that fails after its first message does not delete it on its way out.
    static CComboWnd* Open(CComboUI* pOwner);

    // Moves the layout so the combo's selected item is in view.
    void EnsureVisible(int iIndex);
    // The chosen item takes the list's focus, so that a reader hears it.
    void FocusChosenItem();
    // Hands the items back and lets go of the combo at once; the hidden
    // window closes itself later. Safe from inside the popup's own messages.
    void Abandon();

protected:
    const wchar_t* GetWndClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    // Tab and Shift+Tab, before the list's own manager moves the focus.
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

private:
    explicit CComboWnd(CComboUI* pOwner);
    ~CComboWnd() = default;

    // The popup's rectangle in screen coordinates.
    RECT PlaceBelowOrAbove() const;
    void BuildLayout();
    // Idempotent: the items go back to the combo's manager and parent.
    void GiveItemsBack();

    CPaintManagerUI m_pm;
    CComboUI* m_pOwner;
    CVerticalLayoutUI* m_pLayout = nullptr;
    int m_iOldSel;
    bool m_bItemsGivenBack = false;
    // Set once creation succeeded: from then on the final message deletes
    // the object.
    bool m_bOwnedByWindow = false;
};

}  // namespace Facet
