// CPaintManagerUI's life: construction and destruction of one window's
// manager. The message handling, layout and painting join here later.
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI() = default;

}  // namespace Facet
