#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "format/NumberText.h"

namespace nKoVeskLog210 {
namespace {

// The table-driven number writers against the printf conversions they
// replace, where the digit count or the sign changes.
TEST(NumberTextTest, WritersMatchPrintf) {
    const uint64_t values[] = {0,          9,           10,          0xF,
                               0x10,       99,          100,         0xFFFF,
                               0x10000,    999999999,   1000000000,  0x7FFFFFFF,
                               0x80000000, 0xFFFFFFFF,  0x100000000, 9999999999999999999ull,
                               INT64_MAX,  0x8000000000000000ull,    UINT64_MAX};
    char text[64], expected[64];
    const auto written = [&](const char* end) { return std::string(text, static_cast<size_t>(end - text)); };
    for (const uint64_t value : values) {
        const auto wide = static_cast<unsigned long long>(value);
        std::snprintf(expected, sizeof expected, "%llu", wide);
        EXPECT_EQ(written(writeDecimal(text, value)), expected);
        for (const int64_t sign : {static_cast<int64_t>(value), static_cast<int64_t>(0 - value)}) {
            std::snprintf(expected, sizeof expected, "%lld", static_cast<long long>(sign));
            EXPECT_EQ(written(writeSignedDecimal(text, sign)), expected);
        }
        for (const int width : {1, 2, 4, 8, 16}) {
            std::snprintf(expected, sizeof expected, "%0*llX", width, wide);
            EXPECT_EQ(written(writeUpperHex(text, value, width)), expected) << width;
        }
    }
}

}  // namespace
}  // namespace nKoVeskLog210
