#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "format/CVisaGenericFormat.h"
#include "tests/format/format_test_support.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::addCaptured;
using kovesk_test::Bytes;
using kovesk_test::bytesOf;

constexpr int kByteCode = 10, kWordCode = 6, kLongCode = 2, kQuadCode = 96;
constexpr int kFloatCode = 18, kDoubleCode = 20, kBooleanCode = 22;
const std::string kPrefix = "00000000:  ";
constexpr size_t kGuardSize = 32;

std::string blanks(size_t count) { return std::string(count, ' '); }

struct tLine {
    std::string text;
    int bytesUsed, elementsUsed;
};

// FormatDataLine as the export runs it: on a 128-byte line holding the
// offset prefix, followed by guard bytes that must stay as they were. The
// slice lies `offset` bytes into an allocation of its own size, so the
// address sanitizer reports any read past it.
tLine formatLine(int type, int elementSize, const Bytes& slice, int bytesPerLine,
                 size_t offset = 0, const std::string& prefix = kPrefix) {
    std::unique_ptr<unsigned char[]> data(new unsigned char[offset + slice.size()]);
    if (!slice.empty()) std::memcpy(data.get() + offset, slice.data(), slice.size());
    std::unique_ptr<char[]> line(new char[kDumpLineSize + kGuardSize]);
    std::memset(line.get(), kovesk_test::kSentinel, kDumpLineSize + kGuardSize);
    std::memcpy(line.get(), prefix.c_str(), prefix.size() + 1);
    tLine result{"", -1, -1};
    CVisaGenericFormat().FormatDataLine(type, elementSize, data.get() + offset, line.get(),
                                        static_cast<int>(slice.size()), bytesPerLine,
                                        result.bytesUsed, result.elementsUsed, nullptr);
    for (size_t i = kDumpLineSize; i < kDumpLineSize + kGuardSize; ++i)
        EXPECT_EQ(line[i], kovesk_test::kSentinel) << "written past the line at " << i;
    result.text.assign(line.get(), strnlen(line.get(), kDumpLineSize));
    EXPECT_LT(result.text.size(), kDumpLineSize) << "line not terminated";
    return result;
}

class DumpLineTest : public ::testing::Test {
protected:
    void SetUp() override { std::setlocale(LC_ALL, "C"); }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

// A short slice keeps the column grid, its ASCII column only the bytes shown
// (non-printable ones as '.'); values are native order, ASCII memory order.
// Reals are centred when special; a boolean is false only when its whole
// element is zero; elements may start at any address. Nothing to show
// leaves the line as it was and reports zero, which ends the dump.
TEST_F(DumpLineTest, WorkedLines) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        int code, elementSize;
        Bytes slice;
        int bytesPerLine;
        size_t offset;
        std::string columns;
        int bytesUsed, elementsUsed;
    } cases[] = {
        {kByteCode, 1, bytesOf(std::string("Hello World\n")), 16, 0,  // 72 characters
         "48 65 6C 6C 6F 20 57 6F 72 6C 64 0A " + blanks(12) + " Hello World.", 12, 12},
        {kLongCode, 4, {1, 2, 3, 4, 0x41, 0x42, 0x43, 0x44}, 16, 0,
         "04030201    44434241    " + blanks(24) + " ....ABCD", 8, 2},
        {kLongCode, 4, {0x41, 0x42, 0x43, 0x44, 0x45, 0x46}, 16, 0,
         "44434241    " + blanks(36) + " ABCD", 4, 1},
        {kQuadCode, 8, {0x41, 0x42}, 16, 0, blanks(48) + " ", 0, 0},
        {kByteCode, 1, {0x20, 0x41, 0x7E, 0x7F, 0x80, 0xFF, 0x00, 0x09}, 8, 0,
         "20 41 7E 7F 80 FF 00 09   A~.....", 8, 8},
        {kFloatCode, 4, bytesOf<float>({1.0f, inf, -inf, std::nanf("")}), 16, 0,
         "  1.000000E+00       INF           NINF            NAN      ", 16, 4},
        {kDoubleCode, 8, bytesOf<double>({-inf, 2.0}), 24, 0,
         "        NINF          2.00000000000E+00 ", 16, 2},
        {kFloatCode, 4, {0, 0, 0xC0, 0x3F, 0x00, 0x01}, 16, 0, "  1.500000E+00 ", 4, 1},
        {kBooleanCode, 1, {1, 0, 7}, 12, 0, "True   False  True   ", 3, 3},
        {kBooleanCode, 2, {0, 1, 0, 0, 9}, 24, 0, "True   False  ", 4, 2},
        {kWordCode, 2, {0x34, 0x12}, 16, 1, "1234  " + blanks(42) + " 4.", 2, 1},
        {kQuadCode, 8, bytesOf<uint64_t>({0x0102030405060708ull}), 16, 5,
         "0102030405060708        " + blanks(24) + " ........", 8, 1},
        {kDoubleCode, 8, bytesOf<double>({2.0}), 24, 3, "  2.00000000000E+00 ", 8, 1},
        {kByteCode, 1, {}, 16, 0, "", 0, 0},
        {1, 1, {1, 2}, 16, 0, "", 0, 0},
        {kBooleanCode, 4, {1, 2, 3, 4}, 24, 0, "", 0, 0},
    };
    for (const auto& c : cases) {
        const tLine line = formatLine(c.code, c.elementSize, c.slice, c.bytesPerLine, c.offset);
        EXPECT_EQ(line.text, kPrefix + c.columns) << "code " << c.code;
        EXPECT_EQ(line.bytesUsed, c.bytesUsed) << c.columns;
        EXPECT_EQ(line.elementsUsed, c.elementsUsed) << c.columns;
    }
}

// The digit tables and the ASCII column against printf and isprint, for
// every integer layout and every byte value, in the locale in force.
TEST_F(DumpLineTest, IntegerColumnsMatchPrintf) {
    const struct {
        int code, width;
        const char* column;
    } layouts[] = {{kByteCode, 1, "%02llX "}, {kWordCode, 2, "%04llX  "},
                   {kLongCode, 4, "%08llX    "}, {kQuadCode, 8, "%016llX        "}};
    Bytes every(256);
    for (size_t i = 0; i < every.size(); ++i) every[i] = static_cast<unsigned char>(i * 167);
    for (const char* locale : {"C", "C.UTF-8", "C"}) {
        if (!std::setlocale(LC_ALL, locale)) continue;
        for (const auto& layout : layouts) {
            for (size_t start = 0; start < every.size(); start += 16) {
                const Bytes slice(every.begin() + start, every.begin() + start + 16);
                std::string expected = kPrefix;
                for (size_t i = 0; i < 16; i += layout.width) {
                    unsigned long long value = 0;
                    std::memcpy(&value, &slice[i], layout.width);
                    char column[32];
                    std::snprintf(column, sizeof column, layout.column, value);
                    expected += column;
                }
                expected += ' ';
                for (const unsigned char c : slice) expected += std::isprint(c) ? c : '.';
                EXPECT_EQ(formatLine(layout.code, layout.width, slice, 16).text, expected)
                    << locale << " code " << layout.code << " start " << start;
            }
        }
    }
}

// The widest line (12 booleans of 7) behind the widest offset prefix, and
// an oversized bytes-per-line, stay within the 128-byte line.
TEST_F(DumpLineTest, TheWidestLineFitsTheLineBuffer) {
    const std::string widePrefix = "123456789AB:  ";
    tLine line = formatLine(kBooleanCode, 2, Bytes(200, 1), 1000, 0, widePrefix);
    EXPECT_EQ(line.text, widePrefix + [] { std::string s; for (int i = 0; i < 12; ++i) s += "True   "; return s; }());
    EXPECT_EQ(line.bytesUsed, 24);
    EXPECT_EQ(formatLine(kByteCode, 1, Bytes(200, 0x41), 1000).bytesUsed, 16);
    line = formatLine(kBooleanCode, 2, Bytes(24, 1), 24, 0, std::string(120, 'x'));
    EXPECT_EQ(line.text, std::string(120, 'x') + "True   ");
}

// Lines round up and a partial capture adds the separator line; exactly 64
// bytes keep their first 32 as the head, any other size 32768.
TEST(DumpFiguresTest, LineCountsAndHeadLines) {
    const CVisaGenericFormat formatter;
    const struct {
        int size;
        bool partial, compact;
        int lines, headLines;
    } cases[] = {{0, false, false, 0, 2048},  {0, true, false, 0, 2048},
                 {16, false, false, 1, 2048}, {16, true, false, 2, 2048},
                 {17, false, false, 2, 2048}, {17, true, false, 3, 2048},
                 {17, false, true, 3, 4096},  {64, false, false, 4, 2},
                 {64, false, true, 8, 4},     {65, false, true, 9, 4096}};
    for (const auto& c : cases) {
        CKOVeskMemoryLogger logger;
        addCaptured(logger, kByteCode, Bytes(static_cast<size_t>(c.size)));
        logger.SetParamElementSize(0, 1);
        logger.SetParamTruncated(0, c.partial);
        EXPECT_EQ(formatter.CalcNumberOfDataLines(&logger, 0, c.compact), c.lines) << c.size;
        StringBase separator;
        int bytesPerLine = -1, headLines = -1;
        formatter.GetFormatLimits(c.compact, &logger, 0, separator, bytesPerLine, headLines);
        EXPECT_EQ(headLines, c.headLines) << c.size;
        EXPECT_EQ(bytesPerLine, c.compact ? 8 : 16);
        EXPECT_EQ(std::string(separator.c_str()), std::string(c.compact ? 44 : 76, '-'));
    }
}

}  // namespace
}  // namespace nKoVeskLog210
