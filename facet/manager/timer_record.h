// One control timer of a paint manager: which control asked for it under
// which local id, and the native timer on the window that carries it.
#pragma once

#include <windows.h>

#include "facet/manager/paint_manager_ui.h"

namespace Facet {

struct CPaintManagerUI::TimerRecord {
    CControlUI* pSender = nullptr;
    UINT nLocalID = 0;
    HWND hWnd = nullptr;
    UINT uWinTimer = 0;
    // Stopped, but kept so that the same local id gets its native id back.
    bool bKilled = false;
};

}  // namespace Facet
