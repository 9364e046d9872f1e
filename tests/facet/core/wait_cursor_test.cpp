// CWaitCursor: the hour-glass while it lives, the previous cursor afterwards,
// also when scopes nest.
#include "facet/core/wait_cursor.h"

#include <gtest/gtest.h>

namespace Facet {
namespace {

TEST(WaitCursor, ShowsTheHourGlassAndRestoresThePreviousCursor) {
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
    ::SetCursor(arrow);
    {
        CWaitCursor outer;
        EXPECT_EQ(::GetCursor(), wait);
        {
            CWaitCursor inner;
            EXPECT_EQ(::GetCursor(), wait);
        }
        EXPECT_EQ(::GetCursor(), wait);
    }
    EXPECT_EQ(::GetCursor(), arrow);
}

}  // namespace
}  // namespace Facet
