// A skinned test window whose skin source, resource type and hooks the tests
// choose, and a message pump that stops on a condition or a deadline.
#pragma once

#include <windows.h>

#include <functional>

#include "facet/window/window_impl_base.h"

namespace Facet {
namespace WindowTest {

class CTestWindow : public WindowImplBase {
public:
    CTestWindow(UILIB_RESOURCETYPE type, const wchar_t* skin, const wchar_t* zip = L"",
                const wchar_t* resourceId = L"")
        : m_type(type), m_skin(skin), m_zip(zip), m_resourceId(resourceId) {}

    HWND CreateAt(int x, int y);
    CPaintManagerUI& Manager() { return m_PaintManager; }
    static LPBYTE ResourceZipBuffer() { return m_lpResourceZIPBuffer; }

    int initCalls = 0;
    int finalCalls = 0;
    bool quitOnFinal = false;
    WPARAM closeParam = 0xFFFF;

protected:
    const wchar_t* GetWndClassName() const override { return L"FacetTestWindow"; }
    CDuiString GetSkinFolderName() override { return CDuiString(); }
    CDuiString GetSkinFileName() override { return CDuiString(m_skin); }
    UILIB_RESOURCETYPE GetResourceType() const override { return m_type; }
    CDuiString GetZIPFileName() const override { return CDuiString(m_zip); }
    const wchar_t* GetResourceID() const override { return m_resourceId; }
    void InitWindow() override { ++initCalls; }
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    UILIB_RESOURCETYPE m_type;
    const wchar_t* m_skin;
    const wchar_t* m_zip;
    const wchar_t* m_resourceId;
};

// Dispatches messages (through the paint manager's filters) until `done`
// answers true or `ms` pass; true when `done` did.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 3000);

}  // namespace WindowTest
}  // namespace Facet
