// CDuiRect, CSize and CPoint: bounding-box joins, normalising inverted
// rectangles, and signed mouse coordinates out of an LPARAM.
#include "facet/core/geometry.h"

#include <gtest/gtest.h>

namespace Facet {
namespace {

::testing::AssertionResult Is(const RECT& r, int l, int t, int rt, int b) {
    if (r.left == l && r.top == t && r.right == rt && r.bottom == b) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

TEST(DuiRect, JoinTakesTheBoundingBoxEvenOfEmptyRectangles) {
    CDuiRect r(10, 10, 20, 20);
    r.Join(CDuiRect(0, 15, 5, 40));
    EXPECT_TRUE(Is(r, 0, 10, 20, 40));
    CDuiRect zero;
    zero.Join(CDuiRect(5, 5, 6, 6));
    EXPECT_TRUE(Is(zero, 0, 0, 6, 6));
}

TEST(DuiRect, UnionIgnoresAnEmptyRectangle) {
    CDuiRect r(10, 10, 20, 20);
    CDuiRect empty;
    r.Union(empty);
    EXPECT_TRUE(Is(r, 10, 10, 20, 20));
    CDuiRect other(15, 0, 30, 12);
    r.Union(other);
    EXPECT_TRUE(Is(r, 10, 0, 30, 20));
}

TEST(DuiRect, ResetOffsetKeepsTheSize) {
    CDuiRect r(-5, 7, 15, 27);
    r.ResetOffset();
    EXPECT_TRUE(Is(r, 0, 0, 20, 20));
}

TEST(DuiRect, NormalizeSwapsOnlyInvertedSides) {
    CDuiRect r(30, 5, 10, 50);
    r.Normalize();
    EXPECT_TRUE(Is(r, 10, 5, 30, 50));
    CDuiRect both(3, 9, 1, 2);
    both.Normalize();
    EXPECT_TRUE(Is(both, 1, 2, 3, 9));
}

TEST(SizeAndPoint, SizeOfARectangle) {
    const CSize s(CDuiRect(10, 20, 370, 330));
    EXPECT_EQ(s.cx, 360);
    EXPECT_EQ(s.cy, 310);
}

TEST(SizeAndPoint, LparamWordsAreSigned) {
    const CPoint left(static_cast<LPARAM>(0x0005FFFF));
    EXPECT_EQ(left.x, -1);
    EXPECT_EQ(left.y, 5);
    const CPoint above(MAKELPARAM(300, -20));
    EXPECT_EQ(above.x, 300);
    EXPECT_EQ(above.y, -20);
    const CPoint corner(static_cast<LPARAM>(0x80007FFF));
    EXPECT_EQ(corner.x, 32767);
    EXPECT_EQ(corner.y, -32768);
}

}  // namespace
}  // namespace Facet
