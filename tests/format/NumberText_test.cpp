#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "format/NumberText.h"

namespace nKoVeskLog210 {
namespace {

// The table-driven number writers against the printf conversions they
// replace (std::to_string for decimals), where digit count or sign changes.
TEST(NumberTextTest, WritersMatchPrintf) {
    const uint64_t values[] = {0, 9, 10, 0xF, 0x10, 99, 100, 0xFFFF, 0x10000, 999999999, 1000000000,
                               0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x100000000, 9999999999999999999ull,
                               INT64_MAX, 0x8000000000000000ull, UINT64_MAX};
    char text[64], expected[64];
    const auto written = [&](const char* end) { return std::string(text, static_cast<size_t>(end - text)); };
    for (const uint64_t value : values) {
        EXPECT_EQ(written(writeDecimal(text, value)), std::to_string(value));
        for (const int64_t sign : {static_cast<int64_t>(value), static_cast<int64_t>(0 - value)})
            EXPECT_EQ(written(writeSignedDecimal(text, sign)), std::to_string(sign));
        for (const int width : {1, 2, 4, 8, 16}) {
            std::snprintf(expected, sizeof expected, "%0*llX", width, static_cast<unsigned long long>(value));
            EXPECT_EQ(written(writeUpperHex(text, value, width)), expected) << width;
        }
    }
}

// Status codes are read as sscanf's "%X" reads them: the same success and
// the same value for codes, blanks, signs, a bare or doubled prefix, text
// that is no number, and values past 32 and 64 bits.
TEST(NumberTextTest, HexReadsAsScanf) {
    const char* const texts[] = {"",         " ",        "0",          "0x",       "0X1f",
                                 "BFFF0015", " bfff0015", "+3FFF0005", "-1",       "x1",
                                 "zz",       "0x0x5",    "123456789A", "FFFFFFFF", "100000000",
                                 "12345678901234567890ABCDEF", "\t7G", "-"};
    for (const char* text : texts) {
        unsigned expected = 0xDEADBEEF, value = 0xDEADBEEF;
        const bool scanned = std::sscanf(text, "%X", &expected) == 1;
        EXPECT_EQ(readHexLikeScanf(text, value), scanned) << text;
        if (scanned) {
            EXPECT_EQ(value, expected) << text;
        }
    }
}

}  // namespace
}  // namespace nKoVeskLog210
