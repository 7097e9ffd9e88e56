// Checked narrowing of sizes.
//
// Every length that comes from a pointer difference or from strlen/wcslen is
// narrowed to 32 bits through NumericCast, so a text of 4 GiB or more is an
// OutOfRange failure instead of a silently wrapped length.
#pragma once

#include <limits>
#include <type_traits>

#include "ko/zel/Exception.h"

namespace ko::zel {

// Converts `value` to `To`; throws OutOfRange when `value` does not fit.
template <class To, class From>
To NumericCast(From value) {
    static_assert(std::is_integral_v<To> && std::is_integral_v<From>);
    if constexpr (std::is_signed_v<From>) {
        if (value < 0) {
            if constexpr (std::is_unsigned_v<To>) {
                KO_ZEL_THROW(exception::OutOfRange);
            } else if (value < static_cast<From>(std::numeric_limits<To>::min())) {
                KO_ZEL_THROW(exception::OutOfRange);
            }
            return static_cast<To>(value);
        }
    }
    using Unsigned = std::make_unsigned_t<From>;
    if (static_cast<Unsigned>(value) >
        static_cast<std::make_unsigned_t<To>>(std::numeric_limits<To>::max())) {
        KO_ZEL_THROW(exception::OutOfRange);
    }
    return static_cast<To>(value);
}

}  // namespace ko::zel
