// Times of calls: what the reader accepts, and both renderings.
#include "replay/TimeStamp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace vesk::replay {
namespace {

std::string utc(std::string_view text) {
    tTimeStamp stamp;
    const char* reason = nullptr;
    if (!ParseTimeStamp(text, stamp, reason)) return std::string("error: ") + reason;
    char out[kTimeStampTextSize];
    const size_t length = FormatUtcTimeStamp(stamp, out);
    return std::string(out, length);
}

// Sets TZ for one test and restores the test run's zone afterwards.
class ScopedZone {
public:
    explicit ScopedZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) m_old = old, m_had = true;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedZone() {
        if (m_had) setenv("TZ", m_old.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    std::string m_old;
    bool m_had = false;
};

// Every accepted shape comes back in UTC with the digits it was given.
TEST(TimeStampTest, AcceptedTimesInUtc) {
    const struct {
        const char* given;
        const char* expected;
    } cases[] = {
        {"2026-12-06T10:15:30.250123Z", "2026-12-06T10:15:30.250123Z"},
        {"2026-12-06t10:15:30z", "2026-12-06T10:15:30Z"},
        {"2026-12-06T10:15:30.1Z", "2026-12-06T10:15:30.1Z"},
        {"2026-12-06T10:15:30.123456789Z", "2026-12-06T10:15:30.123456789Z"},
        {"2026-12-06T11:15:30.5+01:00", "2026-12-06T10:15:30.5Z"},
        {"2026-12-06T10:15:30-00:00", "2026-12-06T10:15:30Z"},
        // An offset moves the date, across a leap day and a year.
        {"2024-02-29T23:59:59.999999999-00:30", "2024-03-01T00:29:59.999999999Z"},
        {"2027-01-01T00:30:00+01:00", "2026-12-31T23:30:00Z"},
        {"1969-12-31T23:59:59.5Z", "1969-12-31T23:59:59.5Z"},
        {"2000-02-29T00:00:00Z", "2000-02-29T00:00:00Z"},
        // The ends of what RFC 3339 can write.
        {"0000-01-01T00:00:00Z", "0000-01-01T00:00:00Z"},
        {"9999-12-31T23:59:59.999999999Z", "9999-12-31T23:59:59.999999999Z"},
    };
    for (const auto& c : cases) EXPECT_EQ(utc(c.given), c.expected) << c.given;
}

// Each refusal says what is wrong.
TEST(TimeStampTest, RefusedTimes) {
    const std::string shape =
        "error: expected a date and time such as \"2026-12-06T10:15:30.250123Z\"";
    const struct {
        const char* given;
        std::string expected;
    } cases[] = {
        {"", shape},
        {"2026-12-06T10:15:30", shape},
        {"2026-12-06 10:15:30Z", shape},
        {"2026-1-06T10:15:30Z", shape},
        {"2026-12-06T10:15:30.Z", shape},
        {"2026-12-06T10:15:30Zjunk", shape},
        {"2026-12-06T10:15:30+01", shape},
        {"2026-12-06T10:15:30+0100", shape},
        {"+2026-12-06T10:15:30Z", shape},
        {"2026-12-06T10:15:30.1234567890Z", "error: more than 9 fractional digits of a second"},
        {"2026-00-06T10:15:30Z", "error: the month is out of range 01..12"},
        {"2026-13-06T10:15:30Z", "error: the month is out of range 01..12"},
        {"2026-02-29T10:15:30Z", "error: the day is out of range for its month"},
        {"1900-02-29T10:15:30Z", "error: the day is out of range for its month"},
        {"2026-04-31T10:15:30Z", "error: the day is out of range for its month"},
        {"2026-12-00T10:15:30Z", "error: the day is out of range for its month"},
        {"2026-12-06T24:00:00Z", "error: the time of day is out of range 00:00..23:59"},
        {"2026-12-06T10:60:00Z", "error: the time of day is out of range 00:00..23:59"},
        {"2026-12-31T23:59:60Z", "error: leap seconds are not supported"},
        {"2026-12-06T10:15:61Z", "error: the second is out of range 00..59"},
        {"2026-12-06T10:15:30+24:00", "error: the offset from UTC is out of range -23:59..+23:59"},
        {"2026-12-06T10:15:30-01:60", "error: the offset from UTC is out of range -23:59..+23:59"},
        {"0000-01-01T00:00:00+00:01", "error: the time in UTC lies outside the years 0000 to 9999"},
        {"9999-12-31T23:59:59-00:01", "error: the time in UTC lies outside the years 0000 to 9999"},
    };
    for (const auto& c : cases) EXPECT_EQ(utc(c.given), c.expected) << c.given;
}

// The list column follows TZ, across a local midnight and a change from
// summer time, and the remembered minute never leaks into another one.
TEST(TimeStampTest, LocalTimeFollowsTheZone) {
    const ScopedZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const struct {
        const char* given;
        const char* expected;
    } cases[] = {
        {"2026-12-06T22:59:59.999999999Z", "2026-12-06 23:59:59.999999"},
        {"2026-12-06T23:00:00Z", "2026-12-07 00:00:00.000000"},
        {"2026-12-06T22:59:00.000001Z", "2026-12-06 23:59:00.000001"},
        {"2026-10-25T00:59:59Z", "2026-10-25 02:59:59.000000"},
        {"2026-10-25T01:00:00Z", "2026-10-25 02:00:00.000000"},
        {"2026-10-25T00:59:30+00:00", "2026-10-25 02:59:30.000000"},
        {"1969-12-31T23:59:59.5Z", "1970-01-01 00:59:59.500000"},
    };
    LocalTimeFormatter formatter;
    for (const auto& c : cases) {
        tTimeStamp stamp;
        const char* reason = nullptr;
        ASSERT_TRUE(ParseTimeStamp(c.given, stamp, reason)) << c.given;
        char out[kTimeStampTextSize];
        const size_t length = formatter.Format(stamp, out);
        EXPECT_EQ(std::string(out, length), c.expected) << c.given;
    }
}

}  // namespace
}  // namespace vesk::replay
