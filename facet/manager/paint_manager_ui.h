// CPaintManagerUI: one per native window that shows windowless controls. This
// header holds the process-wide resource settings (where skins and images come
// from), the plug-in list, and each manager's image and font tables with the
// parent-resource chain they fall back along.
#pragma once

#include <windows.h>

#include <memory>

#include "facet/core/dui_string.h"
#include "facet/core/std_ptr_array.h"
#include "facet/core/std_string_ptr_map.h"

namespace Facet {

class CControlUI;
class CZipArchive;

// The export "CreateControl" of a plug-in module: a new control for a markup
// tag name it knows, or null.
typedef CControlUI* (*LPCREATECONTROL)(const wchar_t* pstrType);

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // Resource settings, process-wide. Written during start-up and the first
    // window's creation, on the UI thread.
    static HINSTANCE GetInstance();
    // The folder of the application module's file, ending in '\'; empty when
    // no instance is set.
    static CDuiString GetInstancePath();
    static CDuiString GetCurrentPath();
    // The module holding skins and images: the resource module when one is
    // set, else the instance.
    static HINSTANCE GetResourceDll();
    static const CDuiString& GetResourcePath();
    // The archive name relative to the resource path, "membuffer" for an
    // archive held in memory, or empty when skins are plain files.
    static const CDuiString& GetResourceZip();
    static bool IsCachedResourceZip();
    // The archive kept open for all loads; null when none is cached or the
    // cached archive did not open.
    static CZipArchive* GetResourceZipHandle();
    static void SetInstance(HINSTANCE hInst);
    static void SetCurrentPath(const wchar_t* pStrPath);
    static void SetResourceDll(HINSTANCE hInst);
    // Stores the path, with '\' appended unless it is empty or already ends
    // in '\' or '/'.
    static void SetResourcePath(const wchar_t* pStrPath);
    static void SetResourceZip(const wchar_t* pStrZip, bool bCachedResourceZip = false);
    // The block must outlive every load from it; the window base keeps it for
    // the life of the process.
    static void SetResourceZip(const void* pVoid, unsigned int len);
    // Closes the cached archive.
    static void Term();

    // Plug-in control factories (LPCREATECONTROL), in load order.
    static bool LoadPlugin(const wchar_t* pstrModuleName);
    static CStdPtrArray* GetPlugins();

private:
    static void CloseResourceZip();

    static HINSTANCE m_hInstance;
    static HINSTANCE m_hResourceInstance;
    static CDuiString m_pStrResourcePath;
    static CDuiString m_pStrResourceZip;
    static std::unique_ptr<CZipArchive> m_hResourceZip;
    static bool m_bCachedResourceZip;
    static CDuiString m_pStrDefaultFontName;
    static CStdPtrArray m_aPlugins;
};

}  // namespace Facet
