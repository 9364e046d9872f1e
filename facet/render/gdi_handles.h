// Typed owners for the GDI objects the framework makes, and scope guards that
// undo a SelectObject or a DC setting. Each owner's destructor makes the call
// that matches the one that acquired the handle (DeleteObject for objects,
// DeleteDC for CreateCompatibleDC, ReleaseDC for GetDC).
#pragma once

#include <windows.h>

#include <utility>

namespace Facet {

// An HBITMAP, HFONT, HBRUSH, HPEN or HRGN released with DeleteObject.
template <typename Handle>
class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(Handle handle) : m_handle(handle) {}
    ~CGdiObject() { Reset(); }
    CGdiObject(CGdiObject&& other) noexcept : m_handle(other.Release()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    // Gives up ownership without deleting.
    Handle Release() { return std::exchange(m_handle, nullptr); }
    void Reset(Handle handle = nullptr) {
        if (m_handle && m_handle != handle) ::DeleteObject(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

using CBitmapHandle = CGdiObject<HBITMAP>;
using CFontHandle = CGdiObject<HFONT>;
using CBrushHandle = CGdiObject<HBRUSH>;
using CPenHandle = CGdiObject<HPEN>;
using CRegionHandle = CGdiObject<HRGN>;

// A memory DC from CreateCompatibleDC, deleted with DeleteDC.
class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatibleWith) : m_hdc(::CreateCompatibleDC(compatibleWith)) {}
    ~CMemoryDC() {
        if (m_hdc) ::DeleteDC(m_hdc);
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    HDC Get() const { return m_hdc; }
    explicit operator bool() const { return m_hdc != nullptr; }

private:
    HDC m_hdc;
};

// A window DC from GetDC, given back with ReleaseDC.
class CWindowDC {
public:
    CWindowDC() = default;
    explicit CWindowDC(HWND hwnd) : m_hwnd(hwnd), m_hdc(::GetDC(hwnd)) {}
    ~CWindowDC() { Reset(); }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;

    HDC Get() const { return m_hdc; }
    void Reset() {
        if (m_hdc) ::ReleaseDC(m_hwnd, m_hdc);
        m_hdc = nullptr;
        m_hwnd = nullptr;
    }
    void Acquire(HWND hwnd) {
        Reset();
        m_hwnd = hwnd;
        m_hdc = ::GetDC(hwnd);
    }

private:
    HWND m_hwnd = nullptr;
    HDC m_hdc = nullptr;
};

// Selects an object into a DC and selects the previous one back on scope exit.
// A null object selects nothing.
class CSelectObject {
public:
    CSelectObject(HDC hdc, HGDIOBJ object)
        : m_hdc(hdc), m_previous(hdc && object ? ::SelectObject(hdc, object) : nullptr) {}
    ~CSelectObject() {
        if (m_previous && m_previous != HGDI_ERROR) ::SelectObject(m_hdc, m_previous);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_previous;
};

// Saves the whole DC state (text colour, background mode, stretch mode,
// clip region, selected objects) and restores it on scope exit.
class CSavedDC {
public:
    explicit CSavedDC(HDC hdc) : m_hdc(hdc), m_saved(::SaveDC(hdc)) {}
    ~CSavedDC() {
        if (m_saved) ::RestoreDC(m_hdc, m_saved);
    }
    CSavedDC(const CSavedDC&) = delete;
    CSavedDC& operator=(const CSavedDC&) = delete;

private:
    HDC m_hdc;
    int m_saved;
};

// A 32-bit top-down DIB section (row 0 on top, as the framework's images
// are stored); `bits` receives its pixels. Null on failure.
inline HBITMAP CreateTopDownDib32(HDC compatibleWith, int width, int height, void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(compatibleWith, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bits) *bits = pixels;
    return bitmap;
}

}  // namespace Facet
