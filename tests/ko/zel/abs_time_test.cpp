#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>

#include "ko/zel/osdep/AbsTimeToString.h"

namespace ex = ko::zel::exception;
using ko::zel::AbsTime;
using ko::zel::AbsTimeToPosixSeconds;
using ko::zel::AbsTimeToString;
using ko::zel::eRounding;

namespace {

constexpr int64_t kEpochShift = 2082844800;  // 1904 to 1970
constexpr int64_t kY2kNoon = 946728000;      // 2000-01-01 12:00:00 UTC
constexpr uint64_t kHalf = uint64_t{1} << 63;
constexpr uint64_t kQuarter = uint64_t{1} << 62;

AbsTime FromPosix(int64_t seconds, uint64_t fraction = 0) {
    return AbsTime{fraction, seconds + kEpochShift};
}

struct tRendering {
    const wchar_t* date = L"%Y-%m-%d";
    const wchar_t* time = L"%H:%M:%S";
    uint32_t digits = 0;
    uint32_t zone = 0;
    bool timeFirst = false;
    const wchar_t* suffix = nullptr;
    int32_t separator = 1;
};

std::string Render(const AbsTime& time, const tRendering& how = {}) {
    WideStringBase result(L"not yet rendered");
    AbsTimeToString(result, time, how.date, how.time, how.digits, how.zone, how.timeFirst,
                    how.suffix, how.separator);
    return StringBase(result).c_str();
}

// Sets an environment variable for one test, restores it after.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name) {
        const char* previous = std::getenv(name);
        m_hadValue = previous != nullptr;
        if (previous) m_previous = previous;
        setenv(name, value, 1);
        tzset();
    }
    ~ScopedEnvironment() {
        if (m_hadValue) {
            setenv(m_name, m_previous.c_str(), 1);
        } else {
            unsetenv(m_name);
        }
        tzset();
    }

private:
    const char* m_name;
    std::string m_previous;
    bool m_hadValue = false;
};

}  // namespace

// Rounding of the fraction and of whole seconds: a fraction that rounds to
// a full second must move the seconds on, and without digits ties go to the
// even second so that halves do not all drift upwards.
TEST(AbsTimeToStringTest, FractionAndSecondRounding) {
    struct {
        uint64_t fraction;
        uint32_t digits;
        const char* expected;
    } const cases[] = {
        {0, 3, "12:00:00.000"},
        {kQuarter, 3, "12:00:00.250"},
        {kHalf, 6, "12:00:00.500000"},
        {kHalf + kQuarter, 1, "12:00:00.8"},
        {static_cast<uint64_t>(0.9996 * 18446744073709551616.0), 3, "12:00:01.000"},
        {static_cast<uint64_t>(0.9994 * 18446744073709551616.0), 3, "12:00:00.999"},
        {UINT64_MAX, 3, "12:00:00.000"},  // indistinguishable from 1.0: no fraction
        {kHalf, 0, "12:00:00"},
        {kHalf + 1, 0, "12:00:01"},
        {kQuarter, 0, "12:00:00"},
    };
    for (const auto& c : cases) {
        tRendering how;
        how.date = L"";
        how.digits = c.digits;
        EXPECT_EQ(c.expected, Render(FromPosix(kY2kNoon, c.fraction), how));
    }
    tRendering whole;
    whole.date = L"";
    EXPECT_EQ("12:00:02", Render(FromPosix(kY2kNoon + 1, kHalf), whole));
}

// Where the fraction text goes: after every seconds conversion, keeping
// what follows, and nowhere when the time format shows no seconds.
TEST(AbsTimeToStringTest, FractionPlacement) {
    struct {
        const wchar_t* time;
        const char* expected;
    } const cases[] = {
        {L"%H:%M", "2000-01-01 12:00"},
        {L"%I:%M:%S %p", "2000-01-01 12:00:00.250 PM"},
        {L"%M:%#S", "2000-01-01 00:00.250"},
        {L"%S/%S", "2000-01-01 00.250/00.250"},
        {L"S %H", "2000-01-01 S 12"},
        {L"", "2000-01-01"},
    };
    for (const auto& c : cases) {
        tRendering how;
        how.time = c.time;
        how.digits = 3;
        EXPECT_EQ(c.expected, Render(FromPosix(kY2kNoon, kQuarter), how));
    }
}

// Joining and decorating: one blank only between two non-empty parts, the
// suffix only on a non-empty time format, the separator as asked.
TEST(AbsTimeToStringTest, JoiningSuffixAndSeparator) {
    const AbsTime noon = FromPosix(kY2kNoon, kQuarter);
    tRendering how;
    how.timeFirst = true;
    EXPECT_EQ("12:00:00 2000-01-01", Render(noon, how));
    how = {};
    how.date = L"";
    how.suffix = L"UTC";
    how.digits = 2;
    how.separator = 2;
    EXPECT_EQ("12:00:00,25 UTC", Render(noon, how));
    how.time = L"";
    how.date = L"%d";
    EXPECT_EQ("01", Render(noon, how));
    how = {};
    how.digits = 2;
    how.separator = 0;  // the C locale's decimal point
    EXPECT_EQ("2000-01-01 12:00:00.25", Render(noon, how));
}

// The locale's decimal point is used as it is; needs a locale with a comma.
TEST(AbsTimeToStringTest, LocaleDecimalComma) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        GTEST_SKIP() << "no locale with a decimal comma (de_DE.UTF-8) is installed";
    }
    tRendering how;
    how.digits = 1;
    how.separator = 0;
    const std::string rendered = Render(FromPosix(kY2kNoon, kHalf), how);
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ("2000-01-01 12:00:00,5", rendered);
}

// The values at the ends of the range: no time, the epoch itself (before
// 1970), and a time no broken-down form can hold.
TEST(AbsTimeToStringTest, RangeEnds) {
    EXPECT_EQ("", Render(ko::zel::kAbsTimeSmallest));
    tRendering how;
    how.digits = 6;
    EXPECT_EQ("1904-01-01 00:00:00.000000", Render(AbsTime{0, 0}, how));
    EXPECT_THROW(Render(ko::zel::kAbsTimeLargest), ex::OutOfRange);
    how.digits = 7;
    EXPECT_THROW(Render(AbsTime{0, 0}, how), ex::InvalidArgument);
    EXPECT_THROW(Render(ko::zel::kAbsTimeSmallest, how), ex::InvalidArgument);
}

// The defaults the plug-in relies on: the locale's date (and time)
// representation, here with LC_TIME taken from the environment as "C".
TEST(AbsTimeToStringTest, DefaultFormatsFollowTheEnvironment) {
    ScopedEnvironment lcAll("LC_ALL", "C");
    tRendering how;
    how.date = nullptr;
    how.digits = 3;
    EXPECT_EQ("01/01/04 00:00:00.000", Render(AbsTime{0, 0}, how));
    how.time = nullptr;  // %X has no %S: no fraction
    EXPECT_EQ("01/01/04 00:00:00", Render(AbsTime{0, 0}, how));
}

// Local time follows TZ; POSIX rule strings need no zone database.
TEST(AbsTimeToStringTest, LocalTimeWithAFixedZone) {
    tRendering how;
    how.zone = 1;
    how.time = L"%H:%M:%S %Z";
    {
        ScopedEnvironment tz("TZ", "XST-5:30");
        EXPECT_EQ("2000-01-01 17:30:00 XST", Render(FromPosix(kY2kNoon), how));
    }
    {
        ScopedEnvironment tz("TZ", "EST5EDT,M3.2.0,M11.1.0");
        EXPECT_EQ("2000-01-01 07:00:00 EST", Render(FromPosix(kY2kNoon), how));
        EXPECT_EQ("2000-07-01 08:00:00 EDT", Render(FromPosix(962452800), how));
    }
}

// Whole POSIX seconds in every rounding mode, around ties and before 1970,
// where the fraction still counts upwards from the seconds word.
TEST(AbsTimeToPosixSecondsTest, RoundingModes) {
    struct {
        int64_t seconds;
        uint64_t fraction;
        int64_t nearestEven, drop, up, down;
    } const cases[] = {
        {2, kHalf, 2, 2, 3, 2},      {3, kHalf, 4, 3, 4, 3},
        {2, kQuarter, 2, 2, 3, 2},   {2, kHalf + 1, 3, 2, 3, 2},
        {-1, kHalf, 0, -1, 0, -1},   {-2, kHalf, -2, -2, -1, -2},
        {5, 0, 5, 5, 5, 5},
    };
    for (const auto& c : cases) {
        const AbsTime time = FromPosix(c.seconds, c.fraction);
        EXPECT_EQ(c.nearestEven, AbsTimeToPosixSeconds(time, eRounding::NearestEven));
        EXPECT_EQ(c.drop, AbsTimeToPosixSeconds(time, eRounding::DropFraction));
        EXPECT_EQ(c.up, AbsTimeToPosixSeconds(time, eRounding::TowardPositive));
        EXPECT_EQ(c.down, AbsTimeToPosixSeconds(time, eRounding::TowardNegative));
    }
    EXPECT_EQ(-kEpochShift, AbsTimeToPosixSeconds(AbsTime{0, 0}, eRounding::NearestEven));
    EXPECT_THROW(AbsTimeToPosixSeconds(AbsTime{0, INT64_MIN + 1}, eRounding::DropFraction),
                 ex::OutOfRange);
    EXPECT_EQ(INT64_MAX - kEpochShift + 1,
              AbsTimeToPosixSeconds(ko::zel::kAbsTimeLargest, eRounding::TowardPositive));
}
