// The durations of many calls in bounded memory: how many, their total,
// mean and maximum, and their median and 95th percentile.
//
// Count, total and maximum are exact. Quantiles follow the nearest-rank
// method (the q-quantile of n durations is the ceil(q * n)-th smallest) and
// are exact while the summary holds at most kExactCount durations. Beyond
// that the durations are counted in logarithmic buckets, and a percentile is
// within 1% of the true value (or within a nanosecond of it, for durations
// under one), in at most a few kilobytes whatever the number of calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vesk::replay {

class DurationSummary {
public:
    // Durations kept one by one before the summary switches to buckets.
    static constexpr size_t kExactCount = 128;
    // Relative accuracy of a percentile once in buckets.
    static constexpr double kRelativeAccuracy = 0.01;

    // Adds one duration in seconds (negative and NaN values count as 0).
    void Add(double seconds);

    uint64_t Count() const { return m_count; }
    double Total() const { return m_total; }
    double Max() const { return m_max; }
    double Mean() const { return m_count ? m_total / static_cast<double>(m_count) : 0.0; }
    // The `percent`-th percentile (1 to 100) by the nearest-rank method; 0
    // when empty.
    double Percentile(unsigned percent) const;

private:
    void moveToBuckets();
    void addToBucket(double seconds);
    double bucketValue(int index) const;

    uint64_t m_count = 0;
    double m_total = 0;
    double m_max = 0;
    std::vector<double> m_exact;      // until kExactCount, then emptied
    bool m_bucketed = false;
    uint64_t m_zeroCount = 0;          // durations under the smallest bucket
    int m_firstIndex = 0;              // bucket index of m_buckets[0]
    std::vector<uint64_t> m_buckets;   // counts of the buckets seen, dense
};

}  // namespace vesk::replay
