// CDpiScale: the factor between the skin's numbers, written for a 96-DPI
// screen, and the pixels of a window at some other DPI. Skins and controls keep
// their 100 % numbers; whoever turns one into pixels asks this.
#pragma once

#include <windows.h>

namespace Facet {

class CDpiScale {
public:
    static constexpr int kBaseDpi = 96;

    CDpiScale() = default;
    // A DPI of 0 or below means the base DPI.
    explicit CDpiScale(int dpi);

    int GetDpi() const { return m_dpi; }
    bool IsIdentity() const { return m_dpi == kBaseDpi; }
    bool operator==(const CDpiScale& other) const { return m_dpi == other.m_dpi; }
    bool operator!=(const CDpiScale& other) const { return m_dpi != other.m_dpi; }

    // Skin units to pixels, rounded half away from zero (as MulDiv rounds),
    // so that artwork drawn at the same scale lines up with the controls.
    int Scale(int value) const;
    SIZE Scale(SIZE value) const;
    // Each of the four numbers: insets, paddings, borders, source cells.
    RECT Scale(const RECT& value) const;
    // Pixels back to skin units; Unscale(Scale(v)) is v at any DPI of 96 or
    // more.
    int Unscale(int pixels) const;

    // The DPI a window is drawn at: GetDpiForWindow where the system has it
    // (Windows 10 1607 on; looked up at run time), else the DPI of the
    // screen's device context, which is the system DPI of an aware process.
    static int ForWindow(HWND hWnd);
    // The DPI the system's stock fonts were made for.
    static int ForSystem();

private:
    int m_dpi = kBaseDpi;
};

}  // namespace Facet
