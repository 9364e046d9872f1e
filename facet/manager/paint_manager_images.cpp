// The paint manager's image table: decoded images by the name markup gives
// them, loaded on first use, searched along the parent-resource chain, and
// reloaded in place when the skin changes.
#include <cwchar>
#include <new>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {

bool BeginsWithDigit(const wchar_t* name) { return name && *name >= L'0' && *name <= L'9'; }

// The resource id a typed image's name stands for: its leading decimal
// number, cut to 16 bits.
WORD ResourceId(const wchar_t* name) { return static_cast<WORD>(wcstol(name, nullptr, 10)); }

}  // namespace

const TImageInfo* CPaintManagerUI::GetImage(const wchar_t* bitmap) {
    if (!bitmap) return nullptr;
    for (CPaintManagerUI* pm = this; pm; pm = pm->m_pParentResourcePM) {
        if (auto* info = static_cast<TImageInfo*>(pm->m_mImageHash.Find(bitmap))) return info;
    }
    return nullptr;
}

const TImageInfo* CPaintManagerUI::GetImageEx(const wchar_t* bitmap, const wchar_t* type,
                                              DWORD mask) {
    if (!bitmap) return nullptr;
    if (auto* info = static_cast<TImageInfo*>(m_mImageHash.Find(bitmap))) return info;
    if (!AddImage(bitmap, type, mask)) return nullptr;
    return static_cast<TImageInfo*>(m_mImageHash.Find(bitmap));
}

const TImageInfo* CPaintManagerUI::AddImage(const wchar_t* bitmap, const wchar_t* type,
                                            DWORD mask) {
    if (!bitmap || !*bitmap) return nullptr;
    TImageInfo* info = nullptr;
    if (type) {
        if (!BeginsWithDigit(bitmap)) return nullptr;
        info = CRenderEngine::LoadImageW(STRINGorID(ResourceId(bitmap)), type, mask);
    } else {
        info = CRenderEngine::LoadImageW(bitmap, nullptr, mask);
    }
    if (!info) return nullptr;
    if (type) info->sResType = type;
    info->dwMask = mask;
    if (!m_mImageHash.Insert(bitmap, info)) {
        // The first image of a name stays; callers may hold it already.
        CRenderEngine::FreeImage(info);
        return static_cast<TImageInfo*>(m_mImageHash.Find(bitmap));
    }
    return info;
}

const TImageInfo* CPaintManagerUI::AddImage(const wchar_t* bitmap, HBITMAP hBitmap, int iWidth,
                                            int iHeight, bool bAlpha) {
    if (!bitmap || !hBitmap || iWidth <= 0 || iHeight <= 0) return nullptr;
    if (m_mImageHash.Find(bitmap)) return nullptr;
    auto* info = new (std::nothrow) TImageInfo;
    if (!info) return nullptr;
    info->hBitmap.Reset(hBitmap);
    info->nX = iWidth;
    info->nY = iHeight;
    info->alphaChannel = bAlpha;
    if (!m_mImageHash.Insert(bitmap, info)) {
        // Not taken after all: hand the bitmap back untouched.
        info->hBitmap.Release();
        delete info;
        return nullptr;
    }
    return info;
}

bool CPaintManagerUI::RemoveImage(const wchar_t* bitmap) {
    if (!bitmap) return false;
    auto* info = static_cast<TImageInfo*>(m_mImageHash.Find(bitmap));
    if (!info) return false;
    CRenderEngine::FreeImage(info);
    return m_mImageHash.Remove(bitmap);
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
            fresh = CRenderEngine::LoadImageW(key, nullptr, info->dwMask);
        } else if (BeginsWithDigit(key)) {
            fresh = CRenderEngine::LoadImageW(STRINGorID(ResourceId(key)), info->sResType,
                                              info->dwMask);
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
