// CVerticalLayoutUI: stacks its non-floating children from top to bottom,
// sharing the height left by fixed-size children among those without one.
// With a separator height it is also a splitter: the band along its bottom
// edge (top edge for a negative height) can be dragged to resize it. The
// work is CLinearLayoutUI's, along y.
#pragma once

#include "facet/controls/linear_layout_ui.h"

namespace Facet {

class CVerticalLayoutUI : public CLinearLayoutUI {
public:
    CVerticalLayoutUI();

    // 0 = no splitter; positive = band along the bottom edge, negative =
    // along the top edge.
    int GetSepHeight() const;
    void SetSepHeight(int iHeight);
};

}  // namespace Facet
