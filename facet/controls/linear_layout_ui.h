// CLinearLayoutUI: what the vertical and horizontal layouts have in common,
// written once along an axis. It stacks the non-floating children along the
// main axis, sharing the room that fixed-size children leave among those
// without one, and acts as a splitter when it has a separator: the band along
// its trailing edge (leading edge for a negative size) can be dragged.
// CVerticalLayoutUI and CHorizontalLayoutUI only name the axis.
#pragma once

#include <windows.h>

#include "facet/controls/container_ui.h"

namespace Facet {

// What tells the two linear layouts apart.
struct TLinearAxis {
    bool vertical;
    const wchar_t* className;      // GetClass
    const wchar_t* interfaceName;  // the markup tag GetInterface answers
    const wchar_t* sepAttribute;   // the markup name of the separator size
};

class CLinearLayoutUI : public CContainerUI {
public:
    // The separator is being dragged.
    enum : UINT { StateCaptured = 0x40 };

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* pstrName) override;
    // The resize cursor over an enabled splitter.
    UINT GetControlFlags() const override;

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

protected:
    explicit CLinearLayoutUI(const TLinearAxis& axis);

    // 0 = no splitter; positive = band along the trailing edge (bottom or
    // right), negative = along the leading edge.
    int GetSeparator() const { return m_iSepSize; }
    void SetSeparator(int iSize) { m_iSepSize = iSize; }

private:
    // One drag step to the mouse point; false when the step is ignored.
    bool DragSeparatorTo(POINT pt);
    // The splitter's share of DoEvent; true when it took the event.
    bool DoSplitterEvent(TEventUI& event);

    const TLinearAxis& m_axis;
    int m_iSepSize = 0;
    UINT m_uButtonState = 0;
    POINT m_ptLastMouse = {0, 0};
    RECT m_rcNewPos = {0, 0, 0, 0};
    bool m_bImmMode = false;
};

}  // namespace Facet
