// CDuiRect, CSize and CPoint: the Win32 RECT, SIZE and POINT with the
// constructors and arithmetic that layout and hit-testing use.
#pragma once

#include <windows.h>

namespace Facet {

class CDuiRect : public RECT {
public:
    CDuiRect();
    CDuiRect(const RECT& src);
    CDuiRect(int l, int t, int r, int b);

    int GetWidth() const { return right - left; }
    int GetHeight() const { return bottom - top; }
    void Empty();
    bool IsNull() const;
    // Grows to the bounding box of both, whether or not either is empty.
    void Join(const RECT& rc);
    void ResetOffset();
    void Normalize();
    void Offset(int cx, int cy);
    void Inflate(int cx, int cy);
    void Deflate(int cx, int cy);
    // UnionRect: an empty rectangle on either side does not count.
    void Union(CDuiRect& rc);
};

class CSize : public SIZE {
public:
    CSize();
    CSize(const SIZE& src);
    CSize(const RECT rc);
    CSize(int cx, int cy);
};

class CPoint : public POINT {
public:
    CPoint();
    CPoint(const POINT& src);
    CPoint(int x, int y);
    // A mouse message's position: each word is a signed 16-bit number, so a
    // point left of or above the window comes out negative.
    explicit CPoint(LPARAM lParam);
};

}  // namespace Facet
