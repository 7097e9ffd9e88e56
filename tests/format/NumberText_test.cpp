// The table-driven number writers must print exactly what the printf
// conversions they replace print; each case is checked against snprintf
// itself, at the boundaries where the digit count or the sign changes.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "format/NumberText.h"

namespace nKoVeskLog210 {
namespace {

std::string printed(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string printed(const char* format, ...) {
    char text[64];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

template <class Write>
std::string written(Write write) {
    char text[64];
    const char* end = write(text);
    return std::string(text, static_cast<size_t>(end - text));
}

// Decimal: one and two digits, each power of ten, and the extremes of every
// width the renderings use.
TEST(NumberTextTest, DecimalMatchesPrintfAtEveryDigitCountAndSign) {
    std::vector<uint64_t> unsignedValues = {0, std::numeric_limits<uint8_t>::max(),
                                            std::numeric_limits<uint16_t>::max(),
                                            std::numeric_limits<uint32_t>::max(),
                                            std::numeric_limits<uint64_t>::max()};
    for (uint64_t power = 1;; power *= 10) {
        unsignedValues.push_back(power - 1);
        unsignedValues.push_back(power);
        if (power > std::numeric_limits<uint64_t>::max() / 10) break;
    }
    for (const uint64_t value : unsignedValues) {
        SCOPED_TRACE(value);
        EXPECT_EQ(written([&](char* p) { return writeDecimal(p, value); }),
                  printed("%llu", static_cast<unsigned long long>(value)));
    }

    const int64_t signedValues[] = {0, -1, 1, -9, -10, 99, -100,
                                    std::numeric_limits<int8_t>::min(),
                                    std::numeric_limits<int16_t>::min(),
                                    std::numeric_limits<int32_t>::min(),
                                    std::numeric_limits<int32_t>::max(),
                                    std::numeric_limits<int64_t>::min(),
                                    std::numeric_limits<int64_t>::max()};
    for (const int64_t value : signedValues) {
        SCOPED_TRACE(value);
        EXPECT_EQ(written([&](char* p) { return writeSignedDecimal(p, value); }),
                  printed("%lld", static_cast<long long>(value)));
    }
}

// Hexadecimal: the minimum widths of "%X", "%02hhX", "%04hX", "%08X" and
// "%016llX", with values just inside and just past each width.
TEST(NumberTextTest, HexMatchesPrintfForEveryMinimumWidth) {
    const uint64_t values[] = {0,          0xF,         0x10,        0xFF,
                               0x100,      0xFFFF,      0x10000,     0xABCDEF,
                               0xFFFFFFFF, 0x100000000, 0x123456789ABCDEF0,
                               std::numeric_limits<uint64_t>::max()};
    const int widths[] = {1, 2, 4, 8, 16};
    for (const uint64_t value : values) {
        for (const int width : widths) {
            SCOPED_TRACE(testing::Message() << value << " width " << width);
            EXPECT_EQ(written([&](char* p) { return writeUpperHex(p, value, width); }),
                      printed("%0*llX", width, static_cast<unsigned long long>(value)));
        }
    }
}

// A composed text is what one printf call with the same pieces prints, and
// a copy keeps its own text.
TEST(NumberTextTest, ShortTextComposesLikeOneFormat) {
    ShortText composed;
    composed.signedDecimal(-1).add(" (0x").hex(0xFFFFFFFFu).add(')').add('!');
    EXPECT_EQ(std::string(composed.data(), composed.size()),
              printed("%d (0x%X)!", -1, 0xFFFFFFFFu));

    const ShortText copy = ShortText().add("0x").hex(0x1003, 8);
    EXPECT_EQ(std::string(copy.data(), copy.size()), printed("0x%08X", 0x1003u));
}

}  // namespace
}  // namespace nKoVeskLog210
