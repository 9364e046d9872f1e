// CVerticalLayoutUI: stacks its non-floating children from top to bottom,
// sharing the height left by fixed-size children among those without one.
// With a separator height it is also a splitter: the band along its bottom
// edge (top edge for a negative height) can be dragged to resize it.
#pragma once

#include <windows.h>

#include "facet/controls/container_ui.h"

namespace Facet {

class CVerticalLayoutUI : public CContainerUI {
public:
    // The separator is being dragged.
    enum : UINT { StateCaptured = 0x40 };

    CVerticalLayoutUI();

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* pstrName) override;
    // The resize cursor over an enabled splitter.
    UINT GetControlFlags() const override;

    // 0 = no splitter; positive = band along the bottom edge, negative =
    // along the top edge.
    int GetSepHeight() const;
    void SetSepHeight(int iHeight);
    // Immediate mode re-lays out at every drag step; otherwise a translucent
    // band shows the new edge until the button is released.
    bool IsSepImmMode() const;
    void SetSepImmMode(bool bImmediately);
    // The separator band of the rectangle being dragged to (bUseNew) or of
    // the current one.
    RECT GetThumbRect(bool bUseNew = false) const;

    void SetPos(RECT rc) override;
    void DoPostPaint(HDC hDC, const RECT& rcPaint) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void DoEvent(TEventUI& event) override;

private:
    // One drag step to the mouse point; false when the step is ignored.
    bool DragSeparatorTo(POINT pt);

    int m_iSepHeight = 0;
    UINT m_uButtonState = 0;
    POINT m_ptLastMouse = {0, 0};
    RECT m_rcNewPos = {0, 0, 0, 0};
    bool m_bImmMode = false;
};

}  // namespace Facet
