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
#include "facet/render/gdi_handles.h"
#include "facet/render/image_info.h"

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

    // Attaches the manager to its window: takes the window's DC (fonts are
    // measured in it from now on) and joins the list of live managers.
    void Init(HWND hWnd);
    HWND GetPaintWindow() const;
    HDC GetPaintDC() const;
    POINT GetMousePos() const;

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
    // ReloadAllImages on every live manager.
    static void ReloadSkin();

    // Colour adjustment shared by all windows: hue 0..360, saturation and
    // lightness 0..200 (180, 100, 100 change nothing). The flag is unused.
    static void SetHSL(bool bUseHSL, short H, short S, short L);
    static void GetHSL(short* H, short* S, short* L);

    // Default colours, 0xAARRGGBB. Each getter answers the value of the last
    // manager of the parent-resource chain.
    DWORD GetDefaultDisabledColor() const;
    void SetDefaultDisabledColor(DWORD dwColor);
    DWORD GetDefaultFontColor() const;
    void SetDefaultFontColor(DWORD dwColor);
    DWORD GetDefaultLinkFontColor() const;
    void SetDefaultLinkFontColor(DWORD dwColor);
    DWORD GetDefaultLinkHoverFontColor() const;
    void SetDefaultLinkHoverFontColor(DWORD dwColor);
    DWORD GetDefaultSelectedBkColor() const;
    void SetDefaultSelectedBkColor(DWORD dwColor);

    // Fonts. A custom font's index is its position in this manager's list.
    // size is the character height in pixels.
    TFontInfo* GetDefaultFontInfo();
    void SetDefaultFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                        bool bItalic);
    DWORD GetCustomFontCount() const;
    HFONT AddFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    // Null when index lies outside 0..GetCustomFontCount().
    HFONT AddFontAt(int index, const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                    bool bItalic);
    // The default font when index lies outside the list.
    HFONT GetFont(int index);
    // The first equal font of this manager, then of each parent; null if none.
    HFONT GetFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    bool FindFont(HFONT hFont);
    bool FindFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    // Position in this manager's own list, -1 when absent.
    int GetFontIndex(HFONT hFont);
    int GetFontIndex(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    bool RemoveFont(HFONT hFont);
    bool RemoveFontAt(int index);
    void RemoveAllFonts();
    // Measured on demand; the default font's record when index is out of range.
    TFontInfo* GetFontInfo(int index);
    // Searched along the parent chain; the default font's record if not found.
    TFontInfo* GetFontInfo(HFONT hFont);

    // Images, by the name they were added under.
    const TImageInfo* GetImage(const wchar_t* bitmap);
    // This manager's own table, loading the image on first use.
    const TImageInfo* GetImageEx(const wchar_t* bitmap, const wchar_t* type = nullptr,
                                 DWORD mask = 0);
    // With a type, the name must begin with a decimal number: the resource
    // id. An image already in the table stays; its record is returned.
    const TImageInfo* AddImage(const wchar_t* bitmap, const wchar_t* type = nullptr, DWORD mask = 0);
    // Takes ownership of hBitmap on success. Null when the bitmap is null, a
    // side is not positive or the name is taken: the caller keeps the bitmap.
    const TImageInfo* AddImage(const wchar_t* bitmap, HBITMAP hBitmap, int iWidth, int iHeight,
                               bool bAlpha);
    bool RemoveImage(const wchar_t* bitmap);
    void RemoveAllImages();
    void ReloadAllImages();

    // Image, font and default-attribute look-ups fall back along this chain.
    // False when this manager already occurs in pm's chain; null removes it.
    bool UseParentResource(CPaintManagerUI* pm);
    CPaintManagerUI* GetParentResource() const;

private:
    static void CloseResourceZip();
    static HFONT CreateFontFromStock(const wchar_t* pStrFontName, int nSize, bool bBold,
                                     bool bUnderline, bool bItalic);
    void InitDefaultFont();
    // Fills the record's text metrics in the paint DC, or in a memory DC while
    // the manager has no window.
    void MeasureFont(TFontInfo* pFontInfo) const;
    TFontInfo* FindFontInfo(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                            bool bItalic);
    TFontInfo* FindFontInfo(HFONT hFont);
    TFontInfo* GetCustomFont(int index) const;
    const CPaintManagerUI* GetTopResource() const;
    // Repaints the window after a change that affects everything drawn.
    void InvalidateWindow() const;

    HWND m_hWndPaint = nullptr;
    CWindowDC m_hDcPaint;
    POINT m_ptLastMousePos = {-1, -1};
    CPaintManagerUI* m_pParentResourcePM = nullptr;

    DWORD m_dwDefaultDisabledColor = 0xFFA7A6AA;
    DWORD m_dwDefaultFontColor = 0xFF000000;
    DWORD m_dwDefaultLinkFontColor = 0xFF0000FF;
    DWORD m_dwDefaultLinkHoverFontColor = 0xFFD3215F;
    DWORD m_dwDefaultSelectedBkColor = 0xFFBAE4FF;

    TFontInfo m_DefaultFontInfo;
    CStdPtrArray m_aCustomFonts;   // TFontInfo*, owned
    CStdStringPtrMap m_mImageHash;  // name -> TImageInfo*, owned

    static CStdPtrArray m_aPreMessages;  // every live manager, in Init order
    static short m_H;
    static short m_S;
    static short m_L;

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
