// An absolute time: a signed 128-bit fixed-point count of seconds since
// 1904-01-01 00:00:00 UTC.
#pragma once

#include <cstdint>

namespace ko::zel {

struct AbsTime {
    uint64_t fraction;  // fraction of a second, in units of 2^-64 s
    int64_t seconds;    // whole seconds since the epoch; negative before it
};

// Seconds from 1904-01-01 to 1970-01-01, subtracted to obtain a POSIX time_t.
extern const int64_t kAbsTimeEpochOffset;
// No time at all: renders as the empty text.
extern const AbsTime kAbsTimeSmallest;
// The latest representable time.
extern const AbsTime kAbsTimeLargest;

inline bool operator==(const AbsTime& a, const AbsTime& b) {
    return a.fraction == b.fraction && a.seconds == b.seconds;
}

}  // namespace ko::zel
