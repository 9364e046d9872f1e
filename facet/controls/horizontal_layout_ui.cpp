// CHorizontalLayoutUI: the linear layout along x.
#include "facet/controls/horizontal_layout_ui.h"

namespace Facet {

namespace {

constexpr TLinearAxis kHorizontalAxis = {false, L"HorizontalLayoutUI", L"HorizontalLayout",
                                         L"sepwidth"};

}  // namespace

CHorizontalLayoutUI::CHorizontalLayoutUI() : CLinearLayoutUI(kHorizontalAxis) {}

int CHorizontalLayoutUI::GetSepWidth() const { return GetSeparator(); }
void CHorizontalLayoutUI::SetSepWidth(int iWidth) { SetSeparator(iWidth); }

}  // namespace Facet
