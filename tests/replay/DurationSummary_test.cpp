// Durations in bounded memory: exact while few, within 1% beyond.
#include "replay/DurationSummary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace vesk::replay {
namespace {

// Nearest rank: the median of 1..4 is 2, the 95th percentile of 1..20 is
// 19; count, total, mean and maximum are exact.
TEST(DurationSummaryTest, FewDurationsAreExact) {
    DurationSummary four;
    for (double d : {0.004, 0.001, 0.003, 0.002}) four.Add(d);
    EXPECT_EQ(four.Percentile(50), 0.002);
    EXPECT_EQ(four.Percentile(100), 0.004);
    EXPECT_EQ(four.Percentile(1), 0.001);

    DurationSummary twenty;
    for (int i = 20; i >= 1; --i) twenty.Add(i / 1000.0);
    EXPECT_EQ(twenty.Count(), 20u);
    EXPECT_DOUBLE_EQ(twenty.Total(), 0.210);
    EXPECT_DOUBLE_EQ(twenty.Mean(), 0.0105);
    EXPECT_EQ(twenty.Max(), 0.020);
    EXPECT_EQ(twenty.Percentile(50), 0.010);
    EXPECT_EQ(twenty.Percentile(95), 0.019);
}

// Nothing added reports zeros; values that are no duration count as 0.
TEST(DurationSummaryTest, EmptyAndInvalid) {
    DurationSummary empty;
    EXPECT_EQ(empty.Percentile(50), 0);
    EXPECT_EQ(empty.Mean(), 0);
    DurationSummary odd;
    odd.Add(-1);
    odd.Add(std::numeric_limits<double>::quiet_NaN());
    odd.Add(0.5);
    EXPECT_EQ(odd.Count(), 3u);
    EXPECT_EQ(odd.Total(), 0.5);
    EXPECT_EQ(odd.Percentile(50), 0);
    EXPECT_EQ(odd.Percentile(100), 0.5);
}

// At the switch from kept values to buckets, and far beyond it, every
// percentile stays within the promised accuracy of the exact one, over
// durations from nanoseconds to hours, zeros and the maximum included.
TEST(DurationSummaryTest, ManyDurationsWithinOnePercent) {
    for (const size_t count : {DurationSummary::kExactCount, DurationSummary::kExactCount + 1,
                               size_t{100000}}) {
        DurationSummary summary;
        std::vector<double> all;
        uint64_t state = 12345;
        for (size_t i = 0; i < count; ++i) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            // 10^-10 to 10^4 seconds, evenly in the logarithm.
            const double d = std::pow(10.0, -10.0 + 14.0 * static_cast<double>(state >> 11) / 9007199254740992.0);
            summary.Add(d);
            all.push_back(d);
        }
        summary.Add(0);
        all.push_back(0);
        std::sort(all.begin(), all.end());
        EXPECT_EQ(summary.Max(), all.back());
        for (unsigned percent : {1u, 25u, 50u, 95u, 99u, 100u}) {
            const double exact = all[(percent * all.size() + 99) / 100 - 1];
            const double estimate = summary.Percentile(percent);
            EXPECT_LE(std::fabs(estimate - exact),
                      std::max(exact * DurationSummary::kRelativeAccuracy, 1e-9))
                << count << " durations, percentile " << percent;
        }
    }
}

}  // namespace
}  // namespace vesk::replay
