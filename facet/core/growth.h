// The growth rule shared by the framework's arrays: 11 slots at first, then
// twice as many each time, never past what an int count can address.
#pragma once

#include <climits>

namespace Facet {

// The next allocation after `allocated` slots, or 0 when doubling would
// overflow the signed count.
inline int NextAllocation(int allocated) {
    if (allocated <= 0) return 11;
    if (allocated > INT_MAX / 2) return 0;
    return allocated * 2;
}

}  // namespace Facet
