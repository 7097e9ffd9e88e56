// Rendering of absolute time stamps through strftime.
#pragma once

#include <cstdint>

#include "ko/zel/AbsTime.h"
#include "ko/zel/StringBase.h"

namespace ko::zel {

// Sets LC_TIME from the environment (setlocale with "") and returns L"%x".
// Changes process-wide state: not to be raced with other locale work.
const wchar_t* DefaultDateFormat();
// Sets LC_TIME from the environment and returns L"%X".
const wchar_t* DefaultTimeFormat();

// How the fraction of a second is separated from the seconds.
enum eDecimalSeparator : int32_t {
    eDecimalSeparatorLocale = 0,  // any value other than 1 and 2
    eDecimalSeparatorPoint = 1,
    eDecimalSeparatorComma = 2,
};

// Renders `time` into `result` and returns it.
//  - dateFormat / timeFormat: strftime conversions (wide); null selects the
//    locale's date or time representation (DefaultDateFormat/-TimeFormat);
//  - digits: decimal digits of the second (0 to 6; more throws
//    InvalidArgument), inserted after every %S and %#S of the time format;
//  - zone: 0 renders in UTC, anything else in local time;
//  - timeFirst: the time part precedes the date part;
//  - suffix: appended to a non-empty time format after one blank;
//  - separator: 1 '.', 2 ',', anything else the locale's decimal point.
// The smallest AbsTime renders as the empty text. Whole seconds are rounded
// to nearest (ties to even) without digits and cut down with digits, where
// the fraction text shows the rest; a fraction that rounds up to 1 moves on
// to the next second. A time the C library cannot break down throws
// OutOfRange. A result longer than 511 characters renders as the empty text.
WideStringBase& AbsTimeToString(WideStringBase& result, const AbsTime& time,
                                const wchar_t* dateFormat, const wchar_t* timeFormat,
                                uint32_t digits, uint32_t zone, bool timeFirst,
                                const wchar_t* suffix, int32_t separator);

// Rounding modes of the conversion to whole seconds. The fraction word
// counts upwards from the seconds word, also before the epoch, so dropping
// it rounds downward: DropFraction and TowardNegative agree.
enum class eRounding { NearestEven, DropFraction, TowardPositive, TowardNegative };

// Whole POSIX seconds of `time` (epoch shifted by kAbsTimeEpochOffset with
// carry), rounded as asked. Throws OutOfRange when the shift or the rounding
// leaves the range of 64-bit seconds.
int64_t AbsTimeToPosixSeconds(const AbsTime& time, eRounding rounding);

}  // namespace ko::zel
