// The paint manager's process-wide resource settings: the instance and
// resource modules, the resource path, the resource archive (a file kept open
// or a block in memory) and the plug-in factories.
#include "facet/manager/paint_manager_ui.h"

#include "facet/render/zip_archive.h"

namespace Facet {

namespace {
// The zip name that stands for an archive held in memory.
constexpr wchar_t kMemoryZipName[] = L"membuffer";
// GetModuleFileNameW and GetCurrentDirectoryW buffers, as the framework has
// always sized them.
constexpr DWORD kPathUnits = MAX_PATH;
}  // namespace

HINSTANCE CPaintManagerUI::m_hInstance = nullptr;
HINSTANCE CPaintManagerUI::m_hResourceInstance = nullptr;
CDuiString CPaintManagerUI::m_pStrResourcePath;
CDuiString CPaintManagerUI::m_pStrResourceZip;
std::unique_ptr<CZipArchive> CPaintManagerUI::m_hResourceZip;
bool CPaintManagerUI::m_bCachedResourceZip = false;
CDuiString CPaintManagerUI::m_pStrDefaultFontName;
CStdPtrArray CPaintManagerUI::m_aPlugins;

HINSTANCE CPaintManagerUI::GetInstance() { return m_hInstance; }

CDuiString CPaintManagerUI::GetInstancePath() {
    if (!m_hInstance) return CDuiString();
    wchar_t path[kPathUnits + 1] = {};
    const DWORD length = ::GetModuleFileNameW(m_hInstance, path, kPathUnits);
    if (length == 0) return CDuiString();
    // Keep the folder with its trailing separator.
    wchar_t* lastSlash = wcsrchr(path, L'\\');
    if (lastSlash) lastSlash[1] = L'\0';
    return CDuiString(path);
}

CDuiString CPaintManagerUI::GetCurrentPath() {
    wchar_t path[kPathUnits + 1] = {};
    const DWORD length = ::GetCurrentDirectoryW(kPathUnits, path);
    // A longer directory answers with the size it needs and writes nothing.
    if (length == 0 || length > kPathUnits) return CDuiString();
    return CDuiString(path);
}

HINSTANCE CPaintManagerUI::GetResourceDll() {
    return m_hResourceInstance ? m_hResourceInstance : m_hInstance;
}

const CDuiString& CPaintManagerUI::GetResourcePath() { return m_pStrResourcePath; }

const CDuiString& CPaintManagerUI::GetResourceZip() { return m_pStrResourceZip; }

bool CPaintManagerUI::IsCachedResourceZip() { return m_bCachedResourceZip; }

CZipArchive* CPaintManagerUI::GetResourceZipHandle() { return m_hResourceZip.get(); }

void CPaintManagerUI::SetInstance(HINSTANCE hInst) { m_hInstance = hInst; }

void CPaintManagerUI::SetCurrentPath(const wchar_t* pStrPath) {
    if (pStrPath) ::SetCurrentDirectoryW(pStrPath);
}

void CPaintManagerUI::SetResourceDll(HINSTANCE hInst) { m_hResourceInstance = hInst; }

void CPaintManagerUI::SetResourcePath(const wchar_t* pStrPath) {
    m_pStrResourcePath = pStrPath;
    if (m_pStrResourcePath.IsEmpty()) return;
    const wchar_t last = m_pStrResourcePath[m_pStrResourcePath.GetLength() - 1];
    if (last != L'\\' && last != L'/') m_pStrResourcePath += L'\\';
}

void CPaintManagerUI::CloseResourceZip() { m_hResourceZip.reset(); }

void CPaintManagerUI::SetResourceZip(const wchar_t* pStrZip, bool bCachedResourceZip) {
    if (m_pStrResourceZip == pStrZip && m_bCachedResourceZip == bCachedResourceZip) return;
    CloseResourceZip();
    m_pStrResourceZip = pStrZip;
    m_bCachedResourceZip = bCachedResourceZip;
    if (!m_bCachedResourceZip || m_pStrResourceZip.IsEmpty()) return;

    auto archive = std::make_unique<CZipArchive>();
    const CDuiString path = m_pStrResourcePath + m_pStrResourceZip;
    if (archive->OpenFile(std::wstring(path.GetData()))) m_hResourceZip = std::move(archive);
}

void CPaintManagerUI::SetResourceZip(const void* pVoid, unsigned int len) {
    if (m_pStrResourceZip == kMemoryZipName) return;
    CloseResourceZip();
    m_pStrResourceZip = kMemoryZipName;
    m_bCachedResourceZip = true;
    if (!pVoid || len == 0) return;

    auto archive = std::make_unique<CZipArchive>();
    if (archive->OpenMemory(pVoid, len)) m_hResourceZip = std::move(archive);
}

void CPaintManagerUI::Term() { CloseResourceZip(); }

bool CPaintManagerUI::LoadPlugin(const wchar_t* pstrModuleName) {
    if (!pstrModuleName || !*pstrModuleName) return false;
    HMODULE module = ::LoadLibraryW(pstrModuleName);
    if (!module) return false;
    auto factory = reinterpret_cast<LPCREATECONTROL>(
        reinterpret_cast<void*>(::GetProcAddress(module, "CreateControl")));
    if (!factory) {
        // Nothing of the module will ever be called: let it go again.
        ::FreeLibrary(module);
        return false;
    }
    if (m_aPlugins.Find(reinterpret_cast<void*>(factory)) >= 0) {
        // Already listed: drop the extra reference this load took.
        ::FreeLibrary(module);
        return true;
    }
    if (!m_aPlugins.Add(reinterpret_cast<void*>(factory))) {
        ::FreeLibrary(module);
        return false;
    }
    return true;
}

CStdPtrArray* CPaintManagerUI::GetPlugins() { return &m_aPlugins; }

}  // namespace Facet
