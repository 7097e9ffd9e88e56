#include "replay/TimeStamp.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace vesk::replay {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar
// (month 1 to 12); exact for every year, negative ones included.
constexpr int64_t daysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

struct tCivilDate {
    int64_t year;
    unsigned month;
    unsigned day;
};

// The inverse of daysFromCivil.
constexpr tCivilDate civilFromDays(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2), month, day};
}

// The instants RFC 3339 can write: years 0000 to 9999 in UTC.
constexpr int64_t kEarliestSeconds = daysFromCivil(0, 1, 1) * kSecondsPerDay;
constexpr int64_t kLatestSeconds = daysFromCivil(10000, 1, 1) * kSecondsPerDay - 1;

bool isLeapYear(int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

unsigned daysInMonth(int64_t year, unsigned month) {
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Reads `count` decimal digits at `text[at]` into `value`.
bool readDigits(std::string_view text, size_t at, size_t count, unsigned& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        const unsigned digit = static_cast<unsigned char>(text[i]) - '0';
        if (digit > 9) return false;
        value = value * 10 + digit;
    }
    return true;
}

bool isChar(std::string_view text, size_t at, char c) { return at < text.size() && text[at] == c; }

// Writes `value` as exactly `width` decimal digits, most significant first.
char* putDigits(char* out, uint64_t value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

constexpr char kShape[] = "expected a date and time such as \"2026-12-06T10:15:30.250123Z\"";

}  // namespace

bool ParseTimeStamp(std::string_view text, tTimeStamp& stamp, const char*& reason) {
    reason = kShape;
    unsigned year, month, day, hour, minute, second;
    if (!readDigits(text, 0, 4, year) || !isChar(text, 4, '-') || !readDigits(text, 5, 2, month) ||
        !isChar(text, 7, '-') || !readDigits(text, 8, 2, day) ||
        !(isChar(text, 10, 'T') || isChar(text, 10, 't')) || !readDigits(text, 11, 2, hour) ||
        !isChar(text, 13, ':') || !readDigits(text, 14, 2, minute) || !isChar(text, 16, ':') ||
        !readDigits(text, 17, 2, second)) {
        return false;
    }
    size_t at = 19;
    uint32_t nanoseconds = 0;
    unsigned digits = 0;
    if (isChar(text, at, '.')) {
        ++at;
        while (at < text.size() && static_cast<unsigned>(static_cast<unsigned char>(text[at]) - '0') <= 9) {
            if (++digits > 9) {
                reason = "more than 9 fractional digits of a second";
                return false;
            }
            nanoseconds = nanoseconds * 10 + static_cast<uint32_t>(text[at] - '0');
            ++at;
        }
        if (digits == 0) return false;
        for (unsigned i = digits; i < 9; ++i) nanoseconds *= 10;
    }
    int64_t offsetSeconds = 0;
    if (isChar(text, at, 'Z') || isChar(text, at, 'z')) {
        ++at;
    } else if (isChar(text, at, '+') || isChar(text, at, '-')) {
        const bool east = text[at] == '+';
        unsigned offsetHour, offsetMinute;
        if (!readDigits(text, at + 1, 2, offsetHour) || !isChar(text, at + 3, ':') ||
            !readDigits(text, at + 4, 2, offsetMinute)) {
            return false;
        }
        if (offsetHour > 23 || offsetMinute > 59) {
            reason = "the offset from UTC is out of range -23:59..+23:59";
            return false;
        }
        offsetSeconds = (east ? 1 : -1) * static_cast<int64_t>(offsetHour * 3600 + offsetMinute * 60);
        at += 6;
    } else {
        return false;
    }
    if (at != text.size()) return false;

    if (month < 1 || month > 12) {
        reason = "the month is out of range 01..12";
        return false;
    }
    if (day < 1 || day > daysInMonth(year, month)) {
        reason = "the day is out of range for its month";
        return false;
    }
    if (hour > 23 || minute > 59) {
        reason = "the time of day is out of range 00:00..23:59";
        return false;
    }
    if (second > 59) {
        reason = second == 60 ? "leap seconds are not supported" : "the second is out of range 00..59";
        return false;
    }
    const int64_t seconds = daysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 +
                            minute * 60 + second - offsetSeconds;
    if (seconds < kEarliestSeconds || seconds > kLatestSeconds) {
        reason = "the time in UTC lies outside the years 0000 to 9999";
        return false;
    }
    stamp.seconds = seconds;
    stamp.nanoseconds = nanoseconds;
    stamp.fractionDigits = static_cast<uint8_t>(digits);
    return true;
}

size_t FormatUtcTimeStamp(const tTimeStamp& stamp, char* out) {
    // Floor division: instants before 1970 have negative seconds.
    int64_t days = stamp.seconds / kSecondsPerDay;
    int64_t secondOfDay = stamp.seconds % kSecondsPerDay;
    if (secondOfDay < 0) {
        secondOfDay += kSecondsPerDay;
        --days;
    }
    const tCivilDate date = civilFromDays(days);
    char* p = out;
    p = putDigits(p, static_cast<uint64_t>(date.year), 4);
    *p++ = '-';
    p = putDigits(p, date.month, 2);
    *p++ = '-';
    p = putDigits(p, date.day, 2);
    *p++ = 'T';
    p = putDigits(p, static_cast<uint64_t>(secondOfDay / 3600), 2);
    *p++ = ':';
    p = putDigits(p, static_cast<uint64_t>(secondOfDay / 60 % 60), 2);
    *p++ = ':';
    p = putDigits(p, static_cast<uint64_t>(secondOfDay % 60), 2);
    const int digits = stamp.fractionDigits > 9 ? 9 : stamp.fractionDigits;
    if (digits > 0) {
        *p++ = '.';
        uint32_t fraction = stamp.nanoseconds;
        for (int i = digits; i < 9; ++i) fraction /= 10;
        p = putDigits(p, fraction, digits);
    }
    *p++ = 'Z';
    *p = '\0';
    return static_cast<size_t>(p - out);
}

size_t FormatMilliseconds(double seconds, char* out) {
    const std::to_chars_result result = std::to_chars(out, out + kMillisecondsTextSize - 1,
                                                      seconds * 1000.0, std::chars_format::fixed, 3);
    *result.ptr = '\0';
    return static_cast<size_t>(result.ptr - out);
}

size_t LocalTimeFormatter::Format(const tTimeStamp& stamp, char* out) {
    if (stamp.seconds < m_minuteStart || stamp.seconds >= m_minuteEnd) {
        const time_t instant = static_cast<time_t>(stamp.seconds);
        struct tm local;
        if (!localtime_r(&instant, &local)) {
            // Beyond what the C library converts: show the UTC time instead.
            char utc[kTimeStampTextSize];
            FormatUtcTimeStamp(stamp, utc);
            return static_cast<size_t>(std::snprintf(out, kTimeStampTextSize, "%s", utc));
        }
        // Zone changes fall on whole minutes, so the rest of this local
        // minute keeps its date, hour and minute.
        m_minuteStart = stamp.seconds - local.tm_sec;
        m_minuteEnd = m_minuteStart + 60;
        const int length = std::snprintf(m_minuteText, sizeof m_minuteText,
                                         "%04d-%02d-%02d %02d:%02d:", local.tm_year + 1900,
                                         local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
        m_minuteLength = length > 0 ? static_cast<size_t>(length) : 0;
    }
    // A local date of the years 0000 to 9999 and a day either side takes 18
    // characters at most; the rest adds 10 and the terminator.
    std::memcpy(out, m_minuteText, m_minuteLength);
    char* p = out + m_minuteLength;
    p = putDigits(p, static_cast<uint64_t>(stamp.seconds - m_minuteStart), 2);
    *p++ = '.';
    p = putDigits(p, stamp.nanoseconds / 1000, 6);
    *p = '\0';
    return static_cast<size_t>(p - out);
}

}  // namespace vesk::replay
