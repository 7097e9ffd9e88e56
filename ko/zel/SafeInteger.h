// Checked arithmetic on 32-bit sizes.
//
// Sums and products of lengths (two lengths of a concatenation, a length plus
// one for the terminator, an element count times the element width) go through
// SafeInteger, which throws OutOfRange instead of wrapping around.
#pragma once

#include <cstdint>
#include <type_traits>

#include "ko/zel/Exception.h"
#include "ko/zel/NumericCast.h"

namespace ko::zel {

template <class T>
class SafeInteger {
    static_assert(std::is_unsigned_v<T>, "sizes are unsigned");

public:
    constexpr SafeInteger(T value) noexcept : m_value(value) {}  // NOLINT: implicit by design
    constexpr T value() const noexcept { return m_value; }
    constexpr operator T() const noexcept { return m_value; }  // NOLINT

    SafeInteger operator+(SafeInteger other) const {
        T result;
        if (__builtin_add_overflow(m_value, other.m_value, &result)) {
            KO_ZEL_THROW(exception::OutOfRange);
        }
        return result;
    }

    // Integral operands of any type are checked to fit T first.
    template <class U, std::enable_if_t<std::is_integral_v<U>, int> = 0>
    SafeInteger operator+(U other) const {
        return *this + SafeInteger(NumericCast<T>(other));
    }
    template <class U, std::enable_if_t<std::is_integral_v<U>, int> = 0>
    SafeInteger operator*(U other) const {
        return *this * SafeInteger(NumericCast<T>(other));
    }

    SafeInteger operator*(SafeInteger other) const {
        T result;
        if (__builtin_mul_overflow(m_value, other.m_value, &result)) {
            KO_ZEL_THROW(exception::OutOfRange);
        }
        return result;
    }

private:
    T m_value;
};

using SafeSize = SafeInteger<uint32_t>;

}  // namespace ko::zel
