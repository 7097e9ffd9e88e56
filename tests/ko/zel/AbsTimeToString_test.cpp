#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>

#include "ko/zel/osdep/AbsTimeToString.h"

namespace ex = ko::zel::exception;
using ko::zel::AbsTime;
using ko::zel::AbsTimeToPosixSeconds;
using ko::zel::eRounding;

namespace {

constexpr int64_t kEpochShift = 2082844800;  // 1904 to 1970
constexpr int64_t kY2kNoon = 946728000;      // 2000-01-01 12:00:00 UTC
constexpr uint64_t kHalf = uint64_t{1} << 63;
constexpr uint64_t kQuarter = uint64_t{1} << 62;
const uint64_t k09996 = static_cast<uint64_t>(0.9996 * 18446744073709551616.0);

AbsTime Posix(int64_t seconds, uint64_t fraction = 0) {
    return AbsTime{fraction, seconds + kEpochShift};
}

struct tRendering {
    AbsTime time;
    const wchar_t* date;
    const wchar_t* timeFormat;
    uint32_t digits;
    const char* expected;
    bool timeFirst = false;
    const wchar_t* suffix = nullptr;
    int32_t separator = 1;
    uint32_t zone = 0;
};

std::string Render(const tRendering& r) {
    WideStringBase result(L"stale");
    ko::zel::AbsTimeToString(result, r.time, r.date, r.timeFormat, r.digits, r.zone,
                             r.timeFirst, r.suffix, r.separator);
    return StringBase(result).c_str();
}

// Sets an environment variable (and re-reads TZ) for one scope.
struct ScopedEnvironment {
    ScopedEnvironment(const char* name, const char* value)
        : name(name), had(std::getenv(name) != nullptr), previous(had ? std::getenv(name) : "") {
        setenv(name, value, 1);
        tzset();
    }
    ~ScopedEnvironment() {
        had ? setenv(name, previous.c_str(), 1) : unsetenv(name);
        tzset();
    }
    const char* name;
    bool had;
    std::string previous;
};

}  // namespace

TEST(AbsTimeToStringTest, InUtc) {
    const tRendering cases[] = {
        // The fraction rounds half up, and one that rounds to a whole second
        // moves the seconds on; without digits ties go to the even second.
        {Posix(kY2kNoon, kQuarter), L"", L"%H:%M:%S", 3, "12:00:00.250"},
        {Posix(kY2kNoon, kHalf), L"", L"%H:%M:%S", 6, "12:00:00.500000"},
        {Posix(kY2kNoon, k09996), L"", L"%H:%M:%S", 3, "12:00:01.000"},
        {Posix(kY2kNoon, UINT64_MAX), L"", L"%H:%M:%S", 3, "12:00:00.000"},  // counts as 0
        {Posix(kY2kNoon, kHalf), L"", L"%H:%M:%S", 0, "12:00:00"},
        {Posix(kY2kNoon + 1, kHalf), L"", L"%H:%M:%S", 0, "12:00:02"},
        {Posix(kY2kNoon, kHalf + 1), L"", L"%H:%M:%S", 0, "12:00:01"},
        // The fraction follows every %S and %#S and keeps what comes after;
        // a format without seconds gets none.
        {Posix(kY2kNoon, kQuarter), L"", L"%H:%M", 3, "12:00"},
        {Posix(kY2kNoon, kQuarter), L"", L"%I:%M:%S %p", 3, "12:00:00.250 PM"},
        {Posix(kY2kNoon, kQuarter), L"", L"%#S|%S|S", 1, "00.3|00.3|S"},
        // One blank between two non-empty parts; the suffix only on a
        // non-empty time format; the separator as asked.
        {Posix(kY2kNoon), L"%Y-%m-%d", L"%H:%M:%S", 0, "12:00:00 2000-01-01", true},
        {Posix(kY2kNoon), L"%d", L"", 0, "01", false, L"UTC"},
        {Posix(kY2kNoon, kQuarter), L"", L"%S", 2, "00,25 UTC", false, L"UTC", 2},
        {Posix(kY2kNoon, kQuarter), L"", L"%S", 2, "00.25", false, nullptr, 0},  // C locale
        // The range ends: no time at all, and the epoch, before 1970.
        {ko::zel::kAbsTimeSmallest, L"%Y", L"%S", 3, ""},
        {AbsTime{0, 0}, L"%Y-%m-%d", L"%H:%M:%S", 0, "1904-01-01 00:00:00"},
    };
    for (const tRendering& c : cases) EXPECT_EQ(c.expected, Render(c));
}

// Failures: a digit count the fraction text cannot take (checked before
// anything else), and a time that no broken-down form can hold.
TEST(AbsTimeToStringTest, Failures) {
    EXPECT_THROW(Render({AbsTime{0, 0}, L"", L"%S", 7, ""}), ex::InvalidArgument);
    EXPECT_THROW(Render({ko::zel::kAbsTimeSmallest, L"", L"%S", 7, ""}), ex::InvalidArgument);
    EXPECT_THROW(Render({ko::zel::kAbsTimeLargest, L"", L"%S", 0, ""}), ex::OutOfRange);
}

// The plug-in's call: the locale's date (LC_TIME from the environment, here
// C), hours to seconds with three digits; %X alone has no %S to extend.
TEST(AbsTimeToStringTest, DefaultFormatsFollowTheEnvironment) {
    ScopedEnvironment lcAll("LC_ALL", "C");
    EXPECT_EQ("01/01/04 00:00:00.000", Render({AbsTime{0, 0}, nullptr, L"%H:%M:%S", 3, ""}));
    EXPECT_EQ("01/01/04 00:00:00", Render({AbsTime{0, 0}, nullptr, nullptr, 3, ""}));
}

// Local time follows TZ; POSIX rule strings need no zone database.
TEST(AbsTimeToStringTest, LocalTimeWithAFixedZone) {
    tRendering r{Posix(kY2kNoon), L"%m-%d", L"%H:%M %Z", 0, ""};
    r.zone = 1;
    ScopedEnvironment tz("TZ", "XST-5:30");
    EXPECT_EQ("01-01 17:30 XST", Render(r));
    setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    tzset();
    EXPECT_EQ("01-01 07:00 EST", Render(r));
    r.time = Posix(962452800);  // 2000-07-01 12:00:00 UTC
    EXPECT_EQ("07-01 08:00 EDT", Render(r));
}

// The locale's own decimal point; needs a locale with a comma.
TEST(AbsTimeToStringTest, LocaleDecimalComma) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        GTEST_SKIP() << "no locale with a decimal comma (de_DE.UTF-8) is installed";
    }
    const std::string rendered = Render({Posix(kY2kNoon, kHalf), L"", L"%S", 1, "", false,
                                         nullptr, 0});
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ("00,5", rendered);
}

// Whole POSIX seconds in every mode, around ties and before 1970, where the
// fraction still counts upwards from the seconds word.
TEST(AbsTimeToPosixSecondsTest, RoundingModes) {
    struct {
        int64_t seconds;
        uint64_t fraction;
        int64_t nearestEven, drop, up, down;
    } const cases[] = {
        {2, kHalf, 2, 2, 3, 2},   {3, kHalf, 4, 3, 4, 3},    {2, kHalf + 1, 3, 2, 3, 2},
        {-1, kHalf, 0, -1, 0, -1}, {-2, kHalf, -2, -2, -1, -2}, {5, 0, 5, 5, 5, 5},
    };
    for (const auto& c : cases) {
        const AbsTime time = Posix(c.seconds, c.fraction);
        EXPECT_EQ(c.nearestEven, AbsTimeToPosixSeconds(time, eRounding::NearestEven));
        EXPECT_EQ(c.drop, AbsTimeToPosixSeconds(time, eRounding::DropFraction));
        EXPECT_EQ(c.up, AbsTimeToPosixSeconds(time, eRounding::TowardPositive));
        EXPECT_EQ(c.down, AbsTimeToPosixSeconds(time, eRounding::TowardNegative));
    }
    // The epoch shift leaves 64 bits only for the earliest values.
    EXPECT_THROW(AbsTimeToPosixSeconds(AbsTime{0, INT64_MIN + 1}, eRounding::DropFraction),
                 ex::OutOfRange);
    EXPECT_EQ(INT64_MAX - kEpochShift + 1,
              AbsTimeToPosixSeconds(ko::zel::kAbsTimeLargest, eRounding::TowardPositive));
}
