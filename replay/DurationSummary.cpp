#include "replay/DurationSummary.h"

#include <algorithm>
#include <cmath>

namespace vesk::replay {

namespace {

// Bucket i holds the durations in (gamma^(i-1), gamma^i]; any value of the
// bucket is within kRelativeAccuracy of 2 gamma^i / (gamma + 1).
const double kGamma = (1 + DurationSummary::kRelativeAccuracy) / (1 - DurationSummary::kRelativeAccuracy);
const double kLogGamma = std::log(kGamma);

// Durations below a nanosecond count as 0; above a billion seconds they
// share the last bucket (the exact maximum bounds what it reports).
constexpr double kSmallest = 1e-9;
constexpr double kLargest = 1e9;

int bucketIndex(double seconds) {
    const double clamped = seconds > kLargest ? kLargest : seconds;
    return static_cast<int>(std::ceil(std::log(clamped) / kLogGamma));
}

}  // namespace

void DurationSummary::Add(double seconds) {
    if (!(seconds > 0)) seconds = 0;  // negative and NaN too
    ++m_count;
    m_total += seconds;
    if (seconds > m_max) m_max = seconds;
    if (!m_bucketed) {
        if (m_exact.size() < kExactCount) {
            m_exact.push_back(seconds);
            return;
        }
        moveToBuckets();
    }
    addToBucket(seconds);
}

void DurationSummary::moveToBuckets() {
    m_bucketed = true;
    for (const double seconds : m_exact) addToBucket(seconds);
    m_exact.clear();
    m_exact.shrink_to_fit();
}

void DurationSummary::addToBucket(double seconds) {
    if (seconds < kSmallest) {
        ++m_zeroCount;
        return;
    }
    const int index = bucketIndex(seconds);
    if (m_buckets.empty()) {
        m_firstIndex = index;
        m_buckets.push_back(0);
    } else if (index < m_firstIndex) {
        m_buckets.insert(m_buckets.begin(), static_cast<size_t>(m_firstIndex - index), 0);
        m_firstIndex = index;
    } else if (static_cast<size_t>(index - m_firstIndex) >= m_buckets.size()) {
        m_buckets.resize(static_cast<size_t>(index - m_firstIndex) + 1, 0);
    }
    ++m_buckets[static_cast<size_t>(index - m_firstIndex)];
}

double DurationSummary::bucketValue(int index) const {
    return 2 * std::pow(kGamma, index) / (kGamma + 1);
}

double DurationSummary::Percentile(unsigned percent) const {
    if (m_count == 0) return 0;
    if (percent < 1) percent = 1;
    if (percent > 100) percent = 100;
    // Nearest rank, from 1: ceil(percent * count / 100) in integers.
    const uint64_t rank = (uint64_t{percent} * m_count + 99) / 100;
    if (!m_bucketed) {
        std::vector<double> sorted(m_exact);
        const auto nth = sorted.begin() + static_cast<ptrdiff_t>(rank - 1);
        std::nth_element(sorted.begin(), nth, sorted.end());
        return *nth;
    }
    uint64_t seen = m_zeroCount;
    if (rank <= seen) return 0;
    for (size_t i = 0; i < m_buckets.size(); ++i) {
        seen += m_buckets[i];
        if (rank <= seen) return std::min(bucketValue(m_firstIndex + static_cast<int>(i)), m_max);
    }
    return m_max;
}

}  // namespace vesk::replay
