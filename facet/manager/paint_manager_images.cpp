// The paint manager's image table: decoded images by the name markup gives
// them, loaded on first use at the window's scale, searched along the
// parent-resource chain, and reloaded in place when the skin or scale changes.
#include <cwchar>
#include <cwctype>
#include <new>
#include <string>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"
#include "facet/render/scaled_image_loader.h"

namespace Facet {

namespace {

bool BeginsWithDigit(const wchar_t* name) { return name && *name >= L'0' && *name <= L'9'; }

// The resource id a typed image's name stands for: its leading decimal
// number, cut to 16 bits.
WORD ResourceId(const wchar_t* name) { return static_cast<WORD>(wcstol(name, nullptr, 10)); }

// The table's key for an image name: one file written as "big.png",
// ".\\Big.PNG" or "./big.png" is one entry, decoded once. Separators become
// '\\', "." steps go, and case is folded as Windows folds file names.
CDuiString ImageKey(const wchar_t* name) {
    std::wstring key;
    for (const wchar_t* p = name; *p; ++p) {
        const bool atStep = key.empty() || key.back() == L'\\';
        const bool dotStep = *p == L'.' && (p[1] == L'\\' || p[1] == L'/');
        if (atStep && dotStep) {
            ++p;  // the separator after the dot goes with it
            continue;
        }
        const wchar_t c = *p == L'/' ? L'\\' : *p;
        key.push_back(static_cast<wchar_t>(std::towlower(c)));
    }
    return CDuiString(key.c_str());
}

}  // namespace

const TImageInfo* CPaintManagerUI::GetImage(const wchar_t* bitmap) {
    if (!bitmap) return nullptr;
    const CDuiString key = ImageKey(bitmap);
    for (CPaintManagerUI* pm = this; pm; pm = pm->m_pParentResourcePM) {
        if (auto* info = static_cast<TImageInfo*>(pm->m_mImageHash.Find(key))) return info;
    }
    return nullptr;
}

const TImageInfo* CPaintManagerUI::GetImageEx(const wchar_t* bitmap, const wchar_t* type,
                                              DWORD mask) {
    if (!bitmap) return nullptr;
    const CDuiString key = ImageKey(bitmap);
    if (auto* info = static_cast<TImageInfo*>(m_mImageHash.Find(key))) return info;
    if (!AddImage(bitmap, type, mask)) return nullptr;
    return static_cast<TImageInfo*>(m_mImageHash.Find(key));
}

const TImageInfo* CPaintManagerUI::AddImage(const wchar_t* bitmap, const wchar_t* type,
                                            DWORD mask) {
    if (!bitmap || !*bitmap) return nullptr;
    const CDuiString key = ImageKey(bitmap);
    // Known under another spelling: the file is not decoded again.
    if (auto* known = static_cast<TImageInfo*>(m_mImageHash.Find(key))) return known;
    TImageInfo* info = nullptr;
    if (type) {
        if (!BeginsWithDigit(bitmap)) return nullptr;
        info = CScaledImageLoader::Load(STRINGorID(ResourceId(bitmap)), type, mask, m_dpiScale);
    } else {
        info = CScaledImageLoader::Load(bitmap, nullptr, mask, m_dpiScale);
    }
    if (!info) return nullptr;
    if (type) info->sResType = type;
    info->dwMask = mask;
    if (!m_mImageHash.Insert(key, info)) {
        // The first image of a name stays; callers may hold it already.
        CRenderEngine::FreeImage(info);
        return static_cast<TImageInfo*>(m_mImageHash.Find(key));
    }
    return info;
}

const TImageInfo* CPaintManagerUI::AddImage(const wchar_t* bitmap, HBITMAP hBitmap, int iWidth,
                                            int iHeight, bool bAlpha) {
    if (!bitmap || !hBitmap || iWidth <= 0 || iHeight <= 0) return nullptr;
    const CDuiString key = ImageKey(bitmap);
    if (m_mImageHash.Find(key)) return nullptr;
    auto* info = new (std::nothrow) TImageInfo;
    if (!info) return nullptr;
    info->hBitmap.Reset(hBitmap);
    info->nX = iWidth;
    info->nY = iHeight;
    info->alphaChannel = bAlpha;
    if (!m_mImageHash.Insert(key, info)) {
        // Not taken after all: hand the bitmap back untouched.
        info->hBitmap.Release();
        delete info;
        return nullptr;
    }
    return info;
}

bool CPaintManagerUI::RemoveImage(const wchar_t* bitmap) {
    if (!bitmap) return false;
    const CDuiString key = ImageKey(bitmap);
    auto* info = static_cast<TImageInfo*>(m_mImageHash.Find(key));
    if (!info) return false;
    CRenderEngine::FreeImage(info);
    return m_mImageHash.Remove(key);
}

void CPaintManagerUI::RemoveAllImages() {
    // A plain look-up: the walk only reads the table, it has no reason to
    // reorder its chains.
    for (int i = 0; const wchar_t* key = m_mImageHash.GetAt(i); ++i) {
        CRenderEngine::FreeImage(static_cast<TImageInfo*>(m_mImageHash.Find(key, false)));
    }
    m_mImageHash.RemoveAll();
}

void CPaintManagerUI::ReloadAllImages() {
    bool reloaded = false;
    for (int i = 0; const wchar_t* key = m_mImageHash.GetAt(i); ++i) {
        auto* info = static_cast<TImageInfo*>(m_mImageHash.Find(key, false));
        if (!info) continue;
        TImageInfo* fresh = nullptr;
        if (info->sResType.IsEmpty()) {
            fresh = CScaledImageLoader::Load(key, nullptr, info->dwMask, m_dpiScale);
        } else if (BeginsWithDigit(key)) {
            fresh = CScaledImageLoader::Load(STRINGorID(ResourceId(key)), info->sResType,
                                             info->dwMask, m_dpiScale);
        }
        if (!fresh) continue;
        info->hBitmap = std::move(fresh->hBitmap);
        info->nX = fresh->nX;
        info->nY = fresh->nY;
        info->alphaChannel = fresh->alphaChannel;
        CRenderEngine::FreeImage(fresh);
        reloaded = true;
    }
    // Everything drawn may show a reloaded image.
    if (reloaded) InvalidateWindow();
}

}  // namespace Facet
