#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "format/CVisaGenericFormat.h"
#include "tests/format/logger_builder.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::addCaptured;
using kovesk_test::Bytes;
using kovesk_test::bytesOf;

constexpr int kByteCode = 10;
constexpr int kWordCode = 6;
constexpr int kLongCode = 2;
constexpr int kQuadCode = 96;
constexpr int kFloatCode = 18;
constexpr int kDoubleCode = 20;
constexpr int kBooleanCode = 22;

const char kPrefix[] = "00000000:  ";
constexpr size_t kGuardSize = 32;
constexpr unsigned char kGuard = 0x5A;

std::string blanks(size_t count) { return std::string(count, ' '); }

struct tLineResult {
    std::string text;
    int bytesUsed;
    int elementsUsed;
};

// Runs FormatDataLine the way the export does: on a 128-byte line that holds
// the offset prefix. The slice lies in an allocation of exactly its size
// (from `offset`, to test unaligned data), so AddressSanitizer reports any
// read past it; guard bytes after the 128-byte line catch any write past it.
tLineResult formatLine(int type, int elementSize, const Bytes& slice, int bytesPerLine,
                       const std::string& prefix = kPrefix, size_t offset = 0) {
    std::unique_ptr<unsigned char[]> data(new unsigned char[offset + slice.size() + 1]);
    unsigned char* start = data.get() + offset;
    if (!slice.empty()) std::memcpy(start, slice.data(), slice.size());

    std::unique_ptr<char[]> line(new char[kDumpLineSize + kGuardSize]);
    std::memset(line.get(), kGuard, kDumpLineSize + kGuardSize);
    std::memcpy(line.get(), prefix.c_str(), prefix.size() + 1);

    tLineResult result{"", -1, -1};
    CVisaGenericFormat formatter;
    formatter.FormatDataLine(type, elementSize, start, line.get(),
                             static_cast<int>(slice.size()), bytesPerLine, result.bytesUsed,
                             result.elementsUsed, nullptr);
    for (size_t i = kDumpLineSize; i < kDumpLineSize + kGuardSize; ++i)
        EXPECT_EQ(static_cast<unsigned char>(line[i]), kGuard) << "written past the line at " << i;
    const size_t length = strnlen(line.get(), kDumpLineSize);
    EXPECT_LT(length, kDumpLineSize) << "line not terminated";
    result.text.assign(line.get(), length);
    return result;
}

Bytes sequence(size_t count, unsigned first = 0) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<unsigned char>(first + i);
    return bytes;
}

class DumpLineTest : public ::testing::Test {
protected:
    void SetUp() override { std::setlocale(LC_ALL, "C"); }
};

// --- worked examples --------------------------------------------------------

// A short last slice keeps the column grid: blank columns, then the ASCII
// column of only the bytes shown.
TEST_F(DumpLineTest, HelloWorldLineIs72Characters) {
    const tLineResult r = formatLine(kByteCode, 1, bytesOf(std::string("Hello World\n")), 16);
    EXPECT_EQ(r.text, std::string(kPrefix) + "48 65 6C 6C 6F 20 57 6F 72 6C 64 0A " + blanks(12) +
                          " " + "Hello World.");
    EXPECT_EQ(r.text.size(), 72u);
    EXPECT_EQ(r.bytesUsed, 12);
    EXPECT_EQ(r.elementsUsed, 12);
}

// The column shows the value in native order; the ASCII column the bytes in
// memory order.
TEST_F(DumpLineTest, TwoLongsShowValuesAndMemoryOrderBytes) {
    const Bytes bytes = {0x01, 0x02, 0x03, 0x04, 0x41, 0x42, 0x43, 0x44};
    const tLineResult r = formatLine(kLongCode, 4, bytes, 16);
    EXPECT_EQ(r.text, std::string(kPrefix) + "04030201    44434241    " + blanks(24) + " ....ABCD");
    EXPECT_EQ(r.bytesUsed, 8);
    EXPECT_EQ(r.elementsUsed, 2);
}

// Full lines are exactly as wide as the separators of the two layouts.
TEST_F(DumpLineTest, FullByteLinesMatchTheSeparatorWidths) {
    EXPECT_EQ(formatLine(kByteCode, 1, sequence(16, 0x41), 16).text.size(), 76u);
    EXPECT_EQ(formatLine(kByteCode, 1, sequence(8, 0x41), 8).text,
              std::string(kPrefix) + "41 42 43 44 45 46 47 48  ABCDEFGH");
    EXPECT_EQ(formatLine(kByteCode, 1, sequence(8, 0x41), 8).text.size(), 44u);
}

TEST_F(DumpLineTest, SixBytesOfLongsShowOneElement) {
    const tLineResult r = formatLine(kLongCode, 4, {0x41, 0x42, 0x43, 0x44, 0x45, 0x46}, 16);
    EXPECT_EQ(r.text, std::string(kPrefix) + "44434241    " + blanks(36) + " ABCD");
    EXPECT_EQ(r.bytesUsed, 4);
    EXPECT_EQ(r.elementsUsed, 1);
}

// Fewer bytes than one element: an empty grid and zero counts, which end
// the caller's dump; none of the bytes is read as an element.
TEST_F(DumpLineTest, LessThanOneElementShowsNoElement) {
    const tLineResult r = formatLine(kQuadCode, 8, {0x41, 0x42}, 16);
    EXPECT_EQ(r.text, std::string(kPrefix) + blanks(48) + " ");
    EXPECT_EQ(r.bytesUsed, 0);
    EXPECT_EQ(r.elementsUsed, 0);
}

// In the C locale only 0x20 to 0x7E are printable: DEL and the upper half
// are dots, the blank stays a blank.
TEST_F(DumpLineTest, AsciiColumnShowsOnlyPrintableBytes) {
    const Bytes bytes = {0x20, 0x41, 0x7E, 0x7F, 0x80, 0xFF, 0x00, 0x09};
    const tLineResult r = formatLine(kByteCode, 1, bytes, 8);
    EXPECT_EQ(r.text, std::string(kPrefix) + "20 41 7E 7F 80 FF 00 09  " + " A~.....");
}

// --- the table-driven columns against printf ----------------------------------

// Reference: the column formats themselves, one printf per column.
std::string printfColumns(int width, const Bytes& slice, int bytesPerLine) {
    const int shown = std::min(static_cast<int>(slice.size()), bytesPerLine);
    const int elements = shown / width;
    std::string text = kPrefix;
    char column[64];
    for (int i = 0; i < bytesPerLine / width; ++i) {
        if (i >= elements) {
            text += blanks(3 * static_cast<size_t>(width));
            continue;
        }
        const unsigned char* element = slice.data() + i * width;
        if (width == 1) {
            std::snprintf(column, sizeof column, "%2.2X ", unsigned{element[0]});
        } else if (width == 2) {
            uint16_t value;
            std::memcpy(&value, element, sizeof value);
            std::snprintf(column, sizeof column, "%04hX  ", value);
        } else if (width == 4) {
            uint32_t value;
            std::memcpy(&value, element, sizeof value);
            std::snprintf(column, sizeof column, "%08X    ", value);
        } else {
            unsigned long long value;
            std::memcpy(&value, element, sizeof value);
            std::snprintf(column, sizeof column, "%016llX        ", value);
        }
        text += column;
    }
    text += ' ';
    for (int i = 0; i < elements * width; ++i)
        text += std::isprint(slice[static_cast<size_t>(i)]) ? static_cast<char>(slice[static_cast<size_t>(i)]) : '.';
    return text;
}

// The digit tables must print every value as the formats do, for every
// layout, both line widths and every slice length up to one past a line.
TEST_F(DumpLineTest, IntegerColumnsAreByteIdenticalToTheColumnFormats) {
    std::mt19937 random(12345);
    Bytes pool(4096);
    for (size_t i = 0; i < pool.size(); ++i)
        pool[i] = i < 256 ? static_cast<unsigned char>(i) : static_cast<unsigned char>(random());
    const struct {
        int code;
        int width;
    } layouts[] = {{kByteCode, 1}, {kWordCode, 2}, {kLongCode, 4}, {kQuadCode, 8}};
    for (const auto& layout : layouts) {
        for (int bytesPerLine : {16, 8}) {
            for (size_t start = 0; start + 17 <= pool.size(); start += 16) {
                const size_t length = 1 + start / 16 % 17;
                const Bytes slice(pool.begin() + static_cast<long>(start),
                                  pool.begin() + static_cast<long>(start + length));
                EXPECT_EQ(formatLine(layout.code, layout.width, slice, bytesPerLine).text,
                          printfColumns(layout.width, slice, bytesPerLine))
                    << "code " << layout.code << " start " << start << " length " << length;
            }
        }
    }
}

// Whole byte lines are classed sixteen bytes at a time where the locale
// prints exactly 0x20 to 0x7E; switching locales back and forth must give
// each locale's own ASCII column.
TEST_F(DumpLineTest, WholeByteLinesFollowTheLocaleInForce) {
    Bytes every(256);
    for (size_t i = 0; i < every.size(); ++i) every[i] = static_cast<unsigned char>(i);
    for (const char* locale : {"C", "C.UTF-8", "C"}) {
        if (!std::setlocale(LC_ALL, locale)) continue;
        for (int bytesPerLine : {16, 8}) {
            for (size_t start = 0; start < every.size(); start += static_cast<size_t>(bytesPerLine)) {
                const Bytes slice(every.begin() + static_cast<long>(start),
                                  every.begin() + static_cast<long>(start) + bytesPerLine);
                EXPECT_EQ(formatLine(kByteCode, 1, slice, bytesPerLine).text,
                          printfColumns(1, slice, bytesPerLine))
                    << locale << " start " << start;
            }
        }
    }
}

// Elements may start at any address.
TEST_F(DumpLineTest, UnalignedElementsAreReadWhole) {
    EXPECT_EQ(formatLine(kWordCode, 2, {0x34, 0x12}, 16, kPrefix, 1).text,
              std::string(kPrefix) + "1234  " + blanks(42) + " 4.");
    EXPECT_EQ(formatLine(kLongCode, 4, bytesOf<uint32_t>({0x89ABCDEFu}), 16, kPrefix, 3).text,
              std::string(kPrefix) + "89ABCDEF    " + blanks(36) + " ....");
    EXPECT_EQ(formatLine(kQuadCode, 8, bytesOf<uint64_t>({0x0102030405060708ull}), 16, kPrefix, 5)
                  .text,
              std::string(kPrefix) + "0102030405060708        " + blanks(24) + " ........");
    EXPECT_EQ(formatLine(kDoubleCode, 8, bytesOf<double>({2.0}), 24, kPrefix, 1).text,
              std::string(kPrefix) + "  2.00000000000E+00 ");
}

// --- reals and booleans -----------------------------------------------------

// Reals have no blank columns and no ASCII column; the special values are
// centred in the column width.
TEST_F(DumpLineTest, RealColumns) {
    const float inf = std::numeric_limits<float>::infinity();
    tLineResult r = formatLine(kFloatCode, 4,
                               bytesOf<float>({1.0f, inf, -inf, std::nanf("")}), 16);
    EXPECT_EQ(r.text, std::string(kPrefix) + "  1.000000E+00 " + "      INF      " +
                          "     NINF      " + "      NAN      ");
    EXPECT_EQ(r.text.size(), 71u);
    EXPECT_EQ(r.bytesUsed, 16);
    EXPECT_EQ(r.elementsUsed, 4);

    const double dinf = std::numeric_limits<double>::infinity();
    r = formatLine(kDoubleCode, 8, bytesOf<double>({-dinf, 2.0, std::nan("")}), 24);
    EXPECT_EQ(r.text, std::string(kPrefix) + "        NINF        " + "  2.00000000000E+00 " +
                          "        NAN         ");
    EXPECT_EQ(r.bytesUsed, 24);
    EXPECT_EQ(r.elementsUsed, 3);

    r = formatLine(kFloatCode, 4, {0, 0, 0xC0, 0x3F, 0x00, 0x01}, 16);
    EXPECT_EQ(r.text, std::string(kPrefix) + "  1.500000E+00 ");
    EXPECT_EQ(r.bytesUsed, 4);
    EXPECT_EQ(r.elementsUsed, 1);
}

// A boolean is false only when its whole element is zero: a 16-bit element
// with only its high byte set is true.
TEST_F(DumpLineTest, BooleanColumns) {
    tLineResult r = formatLine(kBooleanCode, 1, {1, 0, 7}, 12);
    EXPECT_EQ(r.text, std::string(kPrefix) + "True   False  True   ");
    EXPECT_EQ(r.bytesUsed, 3);
    EXPECT_EQ(r.elementsUsed, 3);

    const Bytes words = bytesOf<uint16_t>(
        {0x0100, 0, 1, 0, 0xFFFF, 0, 0x0100, 0, 1, 0, 0xFFFF, 0, 1});
    r = formatLine(kBooleanCode, 2, words, 24);
    std::string expected = kPrefix;
    for (int i = 0; i < 6; ++i) expected += "True   False  ";
    EXPECT_EQ(r.text, expected);
    EXPECT_EQ(r.text.size(), 95u);
    EXPECT_EQ(r.bytesUsed, 24);
    EXPECT_EQ(r.elementsUsed, 12);

    r = formatLine(kBooleanCode, 2, {0, 0, 0, 1, 9}, 24);
    EXPECT_EQ(r.text, std::string(kPrefix) + "False  True   ");
    EXPECT_EQ(r.bytesUsed, 4);
    EXPECT_EQ(r.elementsUsed, 2);
}

// --- what every layout code shows -------------------------------------------

// Every code of the layout table, by the bytes and elements a 24-byte line
// of it shows; a typo in the code lists shows up here.
TEST_F(DumpLineTest, EveryLayoutCodeHasItsElementWidth) {
    const struct {
        int width;  // 0: no layout
        std::vector<int> codes;
    } groups[] = {
        {1, {10, 12, 14, 41, 42, 44, 45, 69, 70, 85, 89, 90}},
        {2, {6, 8, 67, 68, 84, 88}},
        {4, {2, 4, 34, 36, 38, 40, 65, 66, 82, 83, 86, 87}},
        {8, {96, 98, 106, 107}},
        {0, {-1, 0, 1, 3, 15, 16, 46, 48, 79, 93, 97, 105, 108, 110, 111, 112, 1 << 30}},
    };
    const Bytes slice = sequence(16, 0x30);
    for (const auto& group : groups) {
        for (int code : group.codes) {
            const tLineResult r = formatLine(code, 1, slice, 16);
            EXPECT_EQ(r.bytesUsed, group.width ? 16 : 0) << "code " << code;
            EXPECT_EQ(r.elementsUsed, group.width ? 16 / group.width : 0) << "code " << code;
            if (!group.width) {
                EXPECT_EQ(r.text, kPrefix) << "code " << code;
            }
        }
    }
    for (int code : {18, 91}) EXPECT_EQ(formatLine(code, 4, slice, 16).elementsUsed, 4);
    for (int code : {20, 92}) EXPECT_EQ(formatLine(code, 8, sequence(24), 24).elementsUsed, 3);
}

// --- nothing to show ---------------------------------------------------------

// Nothing to show leaves the line exactly as it was and reports zero, so
// the caller ends its dump.
TEST_F(DumpLineTest, NothingToShowLeavesTheLineUntouched) {
    CVisaGenericFormat formatter;
    const unsigned char data[16] = {1, 2, 3};
    const struct {
        const char* why;
        int code;
        int elementSize;
        const unsigned char* data;
        int remaining;
        int bytesPerLine;
    } cases[] = {
        {"null data", kByteCode, 1, nullptr, 16, 16},
        {"no bytes remaining", kByteCode, 1, data, 0, 16},
        {"negative bytes remaining", kLongCode, 4, data, -4, 16},
        {"no bytes per line", kByteCode, 1, data, 16, 0},
        {"code without layout", 1, 1, data, 16, 16},
        {"boolean of no width", kBooleanCode, 0, data, 16, 12},
        {"boolean of 4 bytes", kBooleanCode, 4, data, 16, 24},
    };
    for (const auto& c : cases) {
        char line[kDumpLineSize];
        std::memset(line, kGuard, sizeof line);
        std::memcpy(line, kPrefix, sizeof kPrefix);
        char before[kDumpLineSize];
        std::memcpy(before, line, sizeof line);
        int bytesUsed = -1;
        int elementsUsed = -1;
        formatter.FormatDataLine(c.code, c.elementSize, c.data, line, c.remaining,
                                 c.bytesPerLine, bytesUsed, elementsUsed, nullptr);
        EXPECT_EQ(std::memcmp(line, before, sizeof line), 0) << c.why;
        EXPECT_EQ(bytesUsed, 0) << c.why;
        EXPECT_EQ(elementsUsed, 0) << c.why;
    }
}

// --- the 128-byte line --------------------------------------------------------

// A caller passing more bytes per line than the layout's widest line gets
// the widest line, not an overrun.
TEST_F(DumpLineTest, OversizedBytesPerLineIsHeldToTheWidestLine) {
    const Bytes data = sequence(200, 0x41);
    tLineResult r = formatLine(kByteCode, 1, data, 1000);
    EXPECT_EQ(r.text, formatLine(kByteCode, 1, sequence(16, 0x41), 16).text);
    EXPECT_EQ(r.bytesUsed, 16);
    r = formatLine(kBooleanCode, 2, data, 1000);
    EXPECT_EQ(r.bytesUsed, 24);
    EXPECT_EQ(r.text.size(), 95u);
    r = formatLine(kBooleanCode, 1, data, 1000);
    EXPECT_EQ(r.bytesUsed, 12);
    r = formatLine(kDoubleCode, 8, data, 1000);
    EXPECT_EQ(r.bytesUsed, 24);
    r = formatLine(kFloatCode, 4, data, 1000);
    EXPECT_EQ(r.bytesUsed, 16);
}

// A prefix longer than the export's leaves less room: the line is cut at
// the buffer's end and stays terminated.
TEST_F(DumpLineTest, LongPrefixIsCutAtTheLineBuffer) {
    const std::string prefix(120, 'x');
    tLineResult r = formatLine(kBooleanCode, 2, sequence(24, 1), 24, prefix);
    EXPECT_EQ(r.text, prefix + "True   ");
    r = formatLine(kByteCode, 1, sequence(16, 0x41), 16, std::string(kDumpLineSize - 1, 'y'));
    EXPECT_EQ(r.text, std::string(kDumpLineSize - 1, 'y'));
}

// --- figures of a buffer --------------------------------------------------------

struct tBufferCase {
    const char* why;
    int code;
    int elementSize;
    int size;
    bool partial;
    bool compact;
    int expected;
};

CKOVeskMemoryLogger& loggerFor(CKOVeskMemoryLogger& logger, const tBufferCase& c) {
    const int index = addCaptured(logger, c.code, Bytes(static_cast<size_t>(c.size)));
    logger.SetParamElementSize(index, c.elementSize);
    logger.SetParamTruncated(index, c.partial);
    return logger;
}

TEST(DumpFiguresTest, BytesPerLine) {
    const tBufferCase cases[] = {
        {"bytes, wide", kByteCode, 1, 1, false, false, 16},
        {"bytes, compact", kByteCode, 1, 1, false, true, 8},
        {"single reals as integers", kFloatCode, 4, 1, false, false, 16},
        {"double reals, wide: 3 per line", kDoubleCode, 8, 1, false, false, 24},
        {"double reals, compact: 1 per line", 92, 8, 1, false, true, 8},
        {"byte booleans, wide", kBooleanCode, 1, 1, false, false, 12},
        {"byte booleans, compact", kBooleanCode, 1, 1, false, true, 6},
        {"word booleans, wide", kBooleanCode, 2, 1, false, false, 24},
        {"word booleans, compact", kBooleanCode, 2, 1, false, true, 12},
        {"other boolean widths as words", kBooleanCode, 4, 1, false, false, 24},
        {"codes without layout", 1, 1, 1, false, false, 16},
    };
    CVisaGenericFormat formatter;
    for (const tBufferCase& c : cases) {
        CKOVeskMemoryLogger logger;
        EXPECT_EQ(formatter.CalcBytesPerLine(&loggerFor(logger, c), 0, c.compact), c.expected)
            << c.why;
    }
}

// The line count rounds up, and a partial capture adds the separator line.
TEST(DumpFiguresTest, NumberOfDataLines) {
    const tBufferCase cases[] = {
        {"nothing captured", kByteCode, 1, 0, false, false, 0},
        {"nothing captured, partial", kByteCode, 1, 0, true, false, 0},
        {"one full line", kByteCode, 1, 16, false, false, 1},
        {"one byte more", kByteCode, 1, 17, false, false, 2},
        {"one full line, partial", kByteCode, 1, 16, true, false, 2},
        {"one byte more, partial", kByteCode, 1, 17, true, false, 3},
        {"compact", kByteCode, 1, 17, false, true, 3},
        {"double reals", kDoubleCode, 8, 48, false, false, 2},
        {"word booleans", kBooleanCode, 2, 25, false, false, 2},
        {"largest size", kByteCode, 1, std::numeric_limits<int>::max(), false, false,
         std::numeric_limits<int>::max() / 16 + 1},
    };
    CVisaGenericFormat formatter;
    for (const tBufferCase& c : cases) {
        CKOVeskMemoryLogger logger;
        int index = 0;
        if (c.size == std::numeric_limits<int>::max()) {
            index = logger.AddParam("big", c.code);
            logger.SetParamSizeWithoutData(index, c.size);
        } else {
            loggerFor(logger, c);
        }
        EXPECT_EQ(formatter.CalcNumberOfDataLines(&logger, index, c.compact), c.expected) << c.why;
    }
}

// Exactly 64 captured bytes keep their first 32 bytes as the head; any other
// size keeps 32768.
TEST(DumpFiguresTest, FormatLimits) {
    const tBufferCase cases[] = {
        {"64 bytes, wide", kByteCode, 1, 64, false, false, 2},
        {"64 bytes, compact", kByteCode, 1, 64, false, true, 4},
        {"63 bytes, wide", kByteCode, 1, 63, false, false, 2048},
        {"65 bytes, compact", kByteCode, 1, 65, false, true, 4096},
        {"double reals of 64 bytes", kDoubleCode, 8, 64, false, false, 2},
    };
    CVisaGenericFormat formatter;
    for (const tBufferCase& c : cases) {
        CKOVeskMemoryLogger logger;
        StringBase separator("old");
        int bytesPerLine = -1;
        int headLines = -1;
        formatter.GetFormatLimits(c.compact, &loggerFor(logger, c), 0, separator, bytesPerLine,
                                  headLines);
        EXPECT_EQ(headLines, c.expected) << c.why;
        EXPECT_EQ(std::string(separator.c_str()), std::string(c.compact ? 44 : 76, '-')) << c.why;
        EXPECT_EQ(bytesPerLine, formatter.CalcBytesPerLine(&logger, 0, c.compact)) << c.why;
    }
}

}  // namespace
}  // namespace nKoVeskLog210
