// CVerticalLayoutUI: the linear layout along y.
#include "facet/controls/vertical_layout_ui.h"

namespace Facet {

namespace {

constexpr TLinearAxis kVerticalAxis = {true, L"VerticalLayoutUI", L"VerticalLayout", L"sepheight"};

}  // namespace

CVerticalLayoutUI::CVerticalLayoutUI() : CLinearLayoutUI(kVerticalAxis) {}

int CVerticalLayoutUI::GetSepHeight() const { return GetSeparator(); }
void CVerticalLayoutUI::SetSepHeight(int iHeight) { SetSeparator(iHeight); }

}  // namespace Facet
