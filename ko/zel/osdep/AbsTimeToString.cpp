#include "ko/zel/osdep/AbsTimeToString.h"

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstring>
#include <ctime>
#include <cwchar>

#include "ko/zel/Exception.h"
#include "ko/zel/osdep/IConv.h"

namespace ko::zel {
namespace {

constexpr uint32_t kMaxFractionDigits = 6;
// Powers of ten for 0 to kMaxFractionDigits digits.
constexpr double kFractionScale[kMaxFractionDigits + 1] = {1,      10,      100,    1000,
                                                           10000,  100000,  1000000};
// The fraction text ("." and up to six digits) never needs more than 19
// characters; its pattern holds the separator and "%0Nd".
constexpr size_t kFractionTextSize = 20;
constexpr size_t kFractionPatternSize = 32;
// strftime writes at most 511 characters and the terminator.
constexpr size_t kStrftimeBufferSize = 512;

static_assert(sizeof(time_t) == sizeof(int64_t), "time_t holds every 64-bit second count");

// The 128-bit sum a + b, the fraction words added with carry into the
// seconds. Throws OutOfRange when the sum leaves the 128-bit range.
AbsTime addAbsTime(const AbsTime& a, const AbsTime& b) {
    AbsTime sum;
    sum.fraction = a.fraction + b.fraction;
    const int64_t carry = sum.fraction < a.fraction ? 1 : 0;
    if (__builtin_add_overflow(a.seconds, b.seconds, &sum.seconds) ||
        __builtin_add_overflow(sum.seconds, carry, &sum.seconds)) {
        KO_ZEL_THROW(exception::OutOfRange);
    }
    return sum;
}

// Adds one second to the whole-second count, for a rounding that goes up.
int64_t nextSecond(int64_t seconds) {
    int64_t next;
    if (__builtin_add_overflow(seconds, int64_t{1}, &next)) KO_ZEL_THROW(exception::OutOfRange);
    return next;
}

// Whole seconds of a fixed-point time. The fraction counts upwards from the
// seconds word, also before the epoch, so dropping it rounds downward.
int64_t roundToSeconds(const AbsTime& time, eRounding rounding) {
    constexpr uint64_t kHalf = uint64_t{1} << 63;
    switch (rounding) {
        case eRounding::NearestEven:
            if (time.fraction > kHalf || (time.fraction == kHalf && (time.seconds & 1) != 0)) {
                return nextSecond(time.seconds);
            }
            return time.seconds;
        case eRounding::TowardPositive:
            return time.fraction != 0 ? nextSecond(time.seconds) : time.seconds;
        case eRounding::DropFraction:
        case eRounding::TowardNegative:
            break;
    }
    return time.seconds;
}

// The separator between seconds and their fraction, as wide text.
WideStringBase decimalSeparator(int32_t separator) {
    if (separator == eDecimalSeparatorPoint) return WideStringBase(L".");
    if (separator == eDecimalSeparatorComma) return WideStringBase(L",");
    const char* point = std::localeconv()->decimal_point;
    return NarrowToWide(point, NumericCast<uint32_t>(std::strlen(point)));
}

// The text shown after the seconds: separator and `digits` digits of the
// fraction, rounded to nearest. A fraction that rounds up to a whole second
// moves `time` on by one second and shows as zeros.
WideStringBase fractionText(AbsTime& time, uint32_t digits, int32_t separator) {
    double fraction = std::ldexp(static_cast<double>(time.fraction), -64);
    // 2^64 - 1 and its neighbours convert to 1.0; they count as no fraction.
    if (fraction >= 1.0 || 1.0 - fraction < DBL_EPSILON) fraction = 0.0;
    double scaled = fraction * kFractionScale[digits] + 0.5;
    if (scaled >= kFractionScale[digits]) {
        time = addAbsTime(time, AbsTime{0, 1});
        scaled = 0.0;
    }
    // The separator goes into the pattern, the pattern prints the digits.
    wchar_t pattern[kFractionPatternSize];
    wchar_t text[kFractionTextSize];
    if (std::swprintf(pattern, kFractionPatternSize, L"%ls%%0%dd",
                      decimalSeparator(separator).c_str(), static_cast<int>(digits)) < 0 ||
        std::swprintf(text, kFractionTextSize, pattern, static_cast<int>(scaled)) < 0) {
        KO_ZEL_THROW(exception::BufferOverflow);  // a locale separator of absurd length
    }
    return WideStringBase(text);
}

// True when the S at `index` is a seconds conversion, %S or %#S.
bool isSecondsConversion(const WideStringBase& format, uint32_t index) {
    if (index >= 1 && format[index - 1] == L'%') return true;
    return index >= 2 && format[index - 1] == L'#' && format[index - 2] == L'%';
}

// Inserts `fraction` directly after every seconds conversion of `format`.
// The search resumes right after the S just handled, at the start of the
// inserted text (which holds no S).
void insertAfterSeconds(WideStringBase& format, const WideStringBase& fraction) {
    for (uint32_t s = format.find(L'S'); s != WideStringBase::npos; s = format.find(L'S', s + 1)) {
        if (!isSecondsConversion(format, s)) continue;
        format = format.substr(0, s + 1) + fraction + format.substr(s + 1);
    }
}

// The date and time formats joined by one blank; no blank when either is empty.
WideStringBase joinFormats(const WideStringBase& date, const WideStringBase& time,
                           bool timeFirst) {
    const WideStringBase& first = timeFirst ? time : date;
    const WideStringBase& second = timeFirst ? date : time;
    if (first.empty()) return second;
    if (second.empty()) return first;
    return first + L" " + second;
}

// Breaks `time` down in UTC (zone 0) or local time. Throws OutOfRange when
// the C library cannot represent it.
std::tm breakDown(const AbsTime& time, eRounding rounding, uint32_t zone) {
    const time_t seconds = static_cast<time_t>(AbsTimeToPosixSeconds(time, rounding));
    std::tm broken{};
    if (zone == 0) {
        if (!gmtime_r(&seconds, &broken)) KO_ZEL_THROW(exception::OutOfRange);
        broken.tm_isdst = -1;
    } else if (!localtime_r(&seconds, &broken)) {
        KO_ZEL_THROW(exception::OutOfRange);
    }
    return broken;
}

// strftime of a wide format through the narrow character set. A result that
// does not fit in 511 characters gives the empty text, as strftime reports
// it no differently from an empty result.
WideStringBase formatBrokenDown(const WideStringBase& format, const std::tm& broken) {
    const NarrowString narrowFormat(format);
    char buffer[kStrftimeBufferSize];
    const size_t length = std::strftime(buffer, sizeof buffer, narrowFormat.c_str(), &broken);
    return NarrowToWide(buffer, static_cast<uint32_t>(length));
}

}  // namespace

const wchar_t* DefaultDateFormat() {
    std::setlocale(LC_TIME, "");
    return L"%x";
}

const wchar_t* DefaultTimeFormat() {
    std::setlocale(LC_TIME, "");
    return L"%X";
}

int64_t AbsTimeToPosixSeconds(const AbsTime& time, eRounding rounding) {
    return roundToSeconds(addAbsTime(time, AbsTime{0, -kAbsTimeEpochOffset}), rounding);
}

WideStringBase& AbsTimeToString(WideStringBase& result, const AbsTime& time,
                                const wchar_t* dateFormat, const wchar_t* timeFormat,
                                uint32_t digits, uint32_t zone, bool timeFirst,
                                const wchar_t* suffix, int32_t separator) {
    if (digits > kMaxFractionDigits) KO_ZEL_THROW(exception::InvalidArgument);
    if (time == kAbsTimeSmallest) {
        result.assign(L"");
        return result;
    }
    const WideStringBase date(dateFormat ? dateFormat : DefaultDateFormat());
    WideStringBase timePart(timeFormat ? timeFormat : DefaultTimeFormat());
    if (suffix && *suffix && !timePart.empty()) {
        timePart.append(L" ");
        timePart.append(suffix);
    }
    AbsTime shown = time;
    if (digits > 0 && !timePart.empty()) {
        insertAfterSeconds(timePart, fractionText(shown, digits, separator));
    }
    const WideStringBase format = joinFormats(date, timePart, timeFirst);
    // With digits the fraction text already shows what lies below the second.
    const eRounding rounding = digits == 0 ? eRounding::NearestEven : eRounding::DropFraction;
    result = formatBrokenDown(format, breakDown(shown, rounding, zone));
    return result;
}

}  // namespace ko::zel
