// CDuiRect, CSize and CPoint. The rectangle's offset, inflate and union go
// through user32 so that they agree with what Win32 itself computes.
#include "facet/core/geometry.h"

#include <algorithm>

namespace Facet {

CDuiRect::CDuiRect() { left = top = right = bottom = 0; }

CDuiRect::CDuiRect(const RECT& src) {
    left = src.left;
    top = src.top;
    right = src.right;
    bottom = src.bottom;
}

CDuiRect::CDuiRect(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
}

void CDuiRect::Empty() { left = top = right = bottom = 0; }

bool CDuiRect::IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }

void CDuiRect::Join(const RECT& rc) {
    left = std::min(left, rc.left);
    top = std::min(top, rc.top);
    right = std::max(right, rc.right);
    bottom = std::max(bottom, rc.bottom);
}

void CDuiRect::ResetOffset() { ::OffsetRect(this, -left, -top); }

void CDuiRect::Normalize() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
}

void CDuiRect::Offset(int cx, int cy) { ::OffsetRect(this, cx, cy); }

void CDuiRect::Inflate(int cx, int cy) { ::InflateRect(this, cx, cy); }

void CDuiRect::Deflate(int cx, int cy) { ::InflateRect(this, -cx, -cy); }

void CDuiRect::Union(CDuiRect& rc) { ::UnionRect(this, this, &rc); }

CSize::CSize() { cx = cy = 0; }

CSize::CSize(const SIZE& src) {
    cx = src.cx;
    cy = src.cy;
}

CSize::CSize(const RECT rc) {
    cx = rc.right - rc.left;
    cy = rc.bottom - rc.top;
}

CSize::CSize(int cx_, int cy_) {
    cx = cx_;
    cy = cy_;
}

CPoint::CPoint() { x = y = 0; }

CPoint::CPoint(const POINT& src) {
    x = src.x;
    y = src.y;
}

CPoint::CPoint(int x_, int y_) {
    x = x_;
    y = y_;
}

CPoint::CPoint(LPARAM lParam) {
    x = static_cast<short>(LOWORD(lParam));
    y = static_cast<short>(HIWORD(lParam));
}

}  // namespace Facet
