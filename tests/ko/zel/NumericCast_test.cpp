// Lengths are narrowed and summed in 32 bits: one past the limit throws instead of wrapping.
#include <gtest/gtest.h>

#include <cstdint>

#include "ko/zel/NumericCast.h"
#include "ko/zel/SafeInteger.h"

using ko::zel::NumericCast;
using ko::zel::SafeSize;
using ko::zel::exception::OutOfRange;

TEST(NumericCastTest, NarrowingStopsAtTheLimits) {
    EXPECT_EQ(0xFFFFFFFFu, NumericCast<uint32_t>(uint64_t{0xFFFFFFFF}));
    EXPECT_THROW(NumericCast<uint32_t>(uint64_t{0x100000000}), OutOfRange);
    EXPECT_THROW(NumericCast<uint32_t>(int64_t{-1}), OutOfRange);
    EXPECT_EQ(-5, NumericCast<int32_t>(int64_t{-5}));
    EXPECT_THROW(NumericCast<int32_t>(int64_t{INT32_MIN} - 1), OutOfRange);
    EXPECT_THROW(NumericCast<int32_t>(uint32_t{0x80000000}), OutOfRange);
}

TEST(SafeIntegerTest, OverflowOfSumsAndProductsThrows) {
    EXPECT_EQ(0xFFFFFFFFu, static_cast<uint32_t>(SafeSize(0xFFFFFFFEu) + 1));
    EXPECT_THROW(SafeSize(0xFFFFFFFFu) + 1, OutOfRange);
    EXPECT_EQ(0xFFFFFFFCu, static_cast<uint32_t>(SafeSize(0x3FFFFFFFu) * 4u));
    EXPECT_THROW(SafeSize(0x40000000u) * 4u, OutOfRange);
    // An operand wider than 32 bits, or negative, is checked before it is added.
    EXPECT_THROW(SafeSize(0) + uint64_t{0x100000000}, OutOfRange);
    EXPECT_THROW(SafeSize(0) + -1, OutOfRange);
}
