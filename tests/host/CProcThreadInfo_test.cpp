// The thread's nesting depth, by which the host indents nested calls.
#include "host/CProcThreadInfo.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace {

// A call that closes more levels than were open, or a step count at the
// ends of int, leaves the depth within 0 and INT_MAX, never wrapped.
TEST(ProcThreadInfo, DepthStaysBetweenZeroAndIntMax) {
    // Depth before, steps, depth after raising, depth after lowering instead.
    const std::tuple<int, int, int, int> cases[] = {
        {0, 2, 2, 0},       {3, 2, 5, 1},          {1, INT_MAX, INT_MAX, 0},
        {5, -2, 3, 7},      {0, INT_MIN, 0, INT_MAX}, {INT_MAX, 1, INT_MAX, INT_MAX - 1},
    };
    for (const auto& [before, steps, raised, lowered] : cases) {
        CProcThreadInfo up, down;
        up.IncrementIndent(before);
        down.IncrementIndent(before);
        up.IncrementIndent(steps);
        down.DecrementIndent(steps);
        EXPECT_EQ(up.GetIndent(), raised) << before << " + " << steps;
        EXPECT_EQ(down.GetIndent(), lowered) << before << " - " << steps;
    }
}

}  // namespace
