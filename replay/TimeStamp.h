// When a captured call started: an RFC 3339 date and time as the capture
// gives it ("2026-12-06T10:15:30.250123Z", or with an offset such as
// "+01:00"), held as an instant in UTC, and its two renderings: UTC RFC 3339
// for the XML capture and local date and time for the call list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string_view>

namespace vesk::replay {

struct tTimeStamp {
    int64_t seconds = 0;         // since 1970-01-01 00:00:00 UTC
    uint32_t nanoseconds = 0;    // 0 to 999,999,999
    uint8_t fractionDigits = 0;  // fractional digits the capture gave, 0 to 9
};

// Room for either rendering, terminator included.
inline constexpr size_t kTimeStampTextSize = 40;

// Parses "YYYY-MM-DDTHH:MM:SS[.F]Z" or "...±HH:MM" (T and Z in either case,
// 1 to 9 fractional digits, years 0000 to 9999). False, with `reason` set to
// a static text saying what is wrong, when `text` is not such a time. Leap
// seconds (second 60) are refused.
bool ParseTimeStamp(std::string_view text, tTimeStamp& stamp, const char*& reason);

// The instant in UTC as RFC 3339 with the fractional digits the capture
// gave: "2026-12-06T09:15:30.250123Z". Writes a terminated text into `out`
// (kTimeStampTextSize bytes) and returns its length.
size_t FormatUtcTimeStamp(const tTimeStamp& stamp, char* out);

// Room for a duration in milliseconds, terminator included.
inline constexpr size_t kMillisecondsTextSize = 48;

// A duration of `seconds` in milliseconds with three decimals ("0.152"), as
// the list, the statistics and the browser view show durations. Writes a
// terminated text into `out` (kMillisecondsTextSize bytes) and returns its
// length.
size_t FormatMilliseconds(double seconds, char* out);

// The instant as local date and time with microseconds, following TZ:
// "2026-12-06 10:15:30.250123". Remembers the local minute it last
// converted, so that a capture's calls, which mostly share their minute,
// cost one conversion a minute rather than one a call.
class LocalTimeFormatter {
public:
    // Writes a terminated text into `out` (kTimeStampTextSize bytes) and
    // returns its length.
    size_t Format(const tTimeStamp& stamp, char* out);

private:
    int64_t m_minuteStart = 1;   // epoch seconds of the cached local minute;
    int64_t m_minuteEnd = 0;     // empty range: nothing cached yet
    char m_minuteText[64] = {};  // "YYYY-MM-DD HH:MM:"
    size_t m_minuteLength = 0;
};

}  // namespace vesk::replay
