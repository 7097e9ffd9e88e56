#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "ZelTestSupport.h"
#include "ko/zel/osdep/AbsTimeToString.h"

namespace ex = ko::zel::exception;
using ko::zel::AbsTime;
using kovesk_test::ScopedLocale;

constexpr int64_t kEpochShift = 2082844800;  // 1904 to 1970
constexpr int64_t kY2kNoon = 946728000;      // 2000-01-01 12:00:00 UTC
constexpr uint64_t kHalf = uint64_t{1} << 63;
constexpr uint64_t kQuarter = uint64_t{1} << 62;

static AbsTime fromPosix(int64_t seconds, uint64_t fraction = 0) {
    return AbsTime{fraction, seconds + kEpochShift};
}

struct tRendering {
    AbsTime time;
    const wchar_t *date, *timeFormat;
    uint32_t digits;
    const char* expected;
    bool timeFirst = false;
    const wchar_t* suffix = nullptr;
    int32_t separator = 1;
    uint32_t zone = 0;
};

static std::string render(const tRendering& r) {
    WideStringBase result(L"stale");
    ko::zel::AbsTimeToString(result, r.time, r.date, r.timeFormat, r.digits, r.zone,
                             r.timeFirst, r.suffix, r.separator);
    return StringBase(result).c_str();
}

// Sets an environment variable (and re-reads TZ) for one scope.
struct ScopedEnvironment {
    ScopedEnvironment(const char* variable, const char* value) : name(variable) {
        if (const char* old = std::getenv(variable)) previous = old;
        set(value);
    }
    ~ScopedEnvironment() { set(previous ? previous->c_str() : nullptr); }
    void set(const char* value) {
        value ? setenv(name, value, 1) : unsetenv(name);
        tzset();
    }
    const char* name;
    std::optional<std::string> previous;
};

TEST(AbsTimeToStringTest, InUtcAndItsRefusals) {
    const tRendering cases[] = {
        // Fractions round half up, into the seconds too; with 0 digits ties go to even.
        {fromPosix(kY2kNoon, kHalf), L"", L"%H:%M:%S", 6, "12:00:00.500000"},
        {fromPosix(kY2kNoon, UINT64_MAX / 10000 * 9996), L"", L"%H:%M:%S", 3, "12:00:01.000"},
        {fromPosix(kY2kNoon, UINT64_MAX), L"", L"%H:%M:%S", 3, "12:00:00.000"},  // counts as 0
        {fromPosix(kY2kNoon, kHalf), L"", L"%H:%M:%S", 0, "12:00:00"},
        {fromPosix(kY2kNoon + 1, kHalf), L"", L"%H:%M:%S", 0, "12:00:02"},
        // The fraction follows every %S and %#S, and only those.
        {fromPosix(kY2kNoon, kQuarter), L"", L"%H:%M", 3, "12:00"},
        {fromPosix(kY2kNoon, kQuarter), L"", L"%#S|%S|S", 1, "00.3|00.3|S"},
        // One blank between non-empty parts; the suffix only on a time; the separator.
        {fromPosix(kY2kNoon), L"%Y-%m-%d", L"%H:%M:%S", 0, "12:00:00 2000-01-01", true},
        {fromPosix(kY2kNoon), L"%d", L"", 0, "01", false, L"UTC"},
        {fromPosix(kY2kNoon, kQuarter), L"", L"%S", 2, "00,25 UTC", false, L"UTC", 2},
        {fromPosix(kY2kNoon, kQuarter), L"", L"%S", 2, "00.25", false, nullptr, 0},  // C locale
        // Before 1970 the fraction still counts upwards from the seconds word.
        {fromPosix(-1, kQuarter), L"", L"%H:%M:%S", 2, "23:59:59.25"},
        {fromPosix(-1, kHalf), L"%Y", L"%H:%M:%S", 0, "1970 00:00:00"},
        // The range ends: no time at all, and the epoch.
        {ko::zel::kAbsTimeSmallest, L"%Y", L"%S", 3, ""},
        {AbsTime{0, 0}, L"%Y-%m-%d", L"%H:%M:%S", 0, "1904-01-01 00:00:00"},
    };
    for (const tRendering& c : cases) {
        EXPECT_EQ(c.expected, render(c));
    }
    // Seven digits are refused before anything else; a time no calendar holds is out of range.
    EXPECT_THROW(render({AbsTime{0, 0}, L"", L"%S", 7, ""}), ex::InvalidArgument);
    EXPECT_THROW(render({ko::zel::kAbsTimeSmallest, L"", L"%S", 7, ""}), ex::InvalidArgument);
    EXPECT_THROW(render({ko::zel::kAbsTimeLargest, L"", L"%S", 0, ""}), ex::OutOfRange);
}

// The plug-in's call: the environment's date format (here C); %X has no %S to extend.
TEST(AbsTimeToStringTest, DefaultFormatsFollowTheEnvironment) {
    ScopedEnvironment lcAll("LC_ALL", "C");
    EXPECT_EQ("01/01/04 00:00:00.000", render({AbsTime{0, 0}, nullptr, L"%H:%M:%S", 3, ""}));
    EXPECT_EQ("01/01/04 00:00:00", render({AbsTime{0, 0}, nullptr, nullptr, 3, ""}));
}

// Local time follows TZ; POSIX rule strings need no zone database.
TEST(AbsTimeToStringTest, LocalTimeWithAFixedZone) {
    tRendering r{fromPosix(kY2kNoon), L"%m-%d", L"%H:%M %Z", 0, "", false, nullptr, 1, 1};
    ScopedEnvironment tz("TZ", "XST-5:30");
    EXPECT_EQ("01-01 17:30 XST", render(r));
    tz.set("EST5EDT,M3.2.0,M11.1.0");
    r.time = fromPosix(962452800);  // 2000-07-01 12:00:00 UTC, in summer time
    EXPECT_EQ("07-01 08:00 EDT", render(r));
}

// The locale's own decimal point; needs a locale with a comma.
TEST(AbsTimeToStringTest, LocaleDecimalComma) {
    ScopedLocale locale(LC_NUMERIC, "de_DE.UTF-8");
    if (!locale.active) {
        GTEST_SKIP() << "no locale with a decimal comma (de_DE.UTF-8) is installed";
    }
    EXPECT_EQ("00,5", render({fromPosix(kY2kNoon, kHalf), L"", L"%S", 1, "", false, nullptr, 0}));
}
