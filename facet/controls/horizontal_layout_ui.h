// CHorizontalLayoutUI: stacks its non-floating children from left to right,
// sharing the width left by fixed-size children among those without one;
// children take the layout's whole inner height unless they fix their own.
// With a separator width it is also a splitter: the band along its right
// edge (left edge for a negative width) can be dragged to resize it. The
// work is CLinearLayoutUI's, along x.
#pragma once

#include "facet/controls/linear_layout_ui.h"

namespace Facet {

class CHorizontalLayoutUI : public CLinearLayoutUI {
public:
    CHorizontalLayoutUI();

    // 0 = no splitter; positive = band along the right edge, negative =
    // along the left edge.
    int GetSepWidth() const;
    void SetSepWidth(int iWidth);
};

}  // namespace Facet
