// CMainWnd's identity and window hooks: class name, skin source, the caption
// double click it swallows, and its end, which ends the process's loop.
#include "app/main_wnd.h"

namespace app {

namespace {
constexpr int kSkinResource = 154;
bool g_objectAlive = false;
}  // namespace

CMainWnd::CMainWnd(drives::DriveQuery& query) : m_drives(query) { g_objectAlive = true; }

CMainWnd::~CMainWnd() {
    g_objectAlive = false;
    ::PostQuitMessage(0);
}

bool CMainWnd::ObjectAlive() { return g_objectAlive; }

const wchar_t* CMainWnd::GetWndClassName() const { return L"VarqoCFAT32"; }

Facet::CDuiString CMainWnd::GetSkinFolderName() { return Facet::CDuiString(); }

Facet::CDuiString CMainWnd::GetSkinFileName() {
    Facet::CDuiString name;
    name.SmallFormat(L"%d", kSkinResource);
    return name;
}

Facet::UILIB_RESOURCETYPE CMainWnd::GetResourceType() const { return Facet::UILIB_RESOURCE; }

LRESULT CMainWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    // The window has one size: a double click on the caption strip must not
    // maximise or restore it.
    if (uMsg == WM_NCLBUTTONDBLCLK) return 0;
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void CMainWnd::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

}  // namespace app
