#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "format/CVisaGenericFormat.h"
#include "format/DataTypeCodes.h"
#include "tests/format/FormatTestSupport.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::Bytes;
using kovesk_test::bytesOf;

const std::string kPrefix = "00000000:  ";
constexpr size_t kGuardSize = 32;

std::string blanks(size_t count) { return std::string(count, ' '); }

struct tLine {
    std::string text;
    int bytesUsed, elementsUsed;
};

// FormatDataLine on a 128-byte line holding the prefix, followed by guard
// bytes; the slice lies `offset` bytes into an allocation of its own size,
// so the address sanitizer reports any read past it.
tLine formatLine(int type, int elementSize, const Bytes& slice, int bytesPerLine,
                 size_t offset = 0, const std::string& prefix = kPrefix) {
    std::unique_ptr<unsigned char[]> data(new unsigned char[offset + slice.size()]);
    if (!slice.empty()) std::memcpy(data.get() + offset, slice.data(), slice.size());
    std::vector<char> line(kDumpLineSize + kGuardSize, kovesk_test::kSentinel);
    std::memcpy(line.data(), prefix.c_str(), prefix.size() + 1);
    tLine result{"", -1, -1};
    CVisaGenericFormat().FormatDataLine(type, elementSize, data.get() + offset, line.data(),
                                        static_cast<int>(slice.size()), bytesPerLine,
                                        result.bytesUsed, result.elementsUsed, nullptr);
    for (size_t i = kDumpLineSize; i < kDumpLineSize + kGuardSize; ++i)
        EXPECT_EQ(line[i], kovesk_test::kSentinel) << "written past the line at " << i;
    result.text.assign(line.data(), strnlen(line.data(), kDumpLineSize));
    EXPECT_LT(result.text.size(), kDumpLineSize) << "line not terminated";
    return result;
}

// Full lines (16 and 8 bytes) and short slices keeping the grid; values in
// native order, ASCII in memory order; a boolean false only when all zero;
// elements at any address. Nothing to show leaves the line and ends the dump.
TEST(DumpLineTest, WorkedLines) {
    const struct {
        int code, elementSize;
        Bytes slice;
        int bytesPerLine;
        size_t offset;
        std::string columns;
        int bytesUsed, elementsUsed;
    } cases[] = {
        {kCodeUInt8Array, 1, bytesOf(std::string("Hello World\n")), 16, 0,  // 72 characters
         "48 65 6C 6C 6F 20 57 6F 72 6C 64 0A " + blanks(12) + " Hello World.", 12, 12},
        {kCodeUInt32Array, 4, {1, 2, 3, 4, 0x41, 0x42, 0x43, 0x44}, 16, 0,
         "04030201    44434241    " + blanks(24) + " ....ABCD", 8, 2},
        {kCodeUInt32Array, 4, {0x41, 0x42, 0x43, 0x44, 0x45, 0x46}, 16, 0, "44434241    " + blanks(36) + " ABCD", 4, 1},
        {kCodeUInt64Array, 8, {0x41, 0x42}, 16, 0, blanks(48) + " ", 0, 0},
        {kCodeReal32Array, 4, bytesOf<float>({1.0f, INFINITY, -INFINITY, NAN}), 16, 0,
         "  1.000000E+00       INF           NINF            NAN      ", 16, 4},
        {kCodeReal64Array, 8, bytesOf<double>({-INFINITY, 2.0}), 24, 0, "        NINF          2.00000000000E+00 ", 16, 2},
        {kCodeUInt8Array, 1, {0x00, 0x1F, 0x20, 0x7E, 0x7F, 0x80, 0x9A, 0xBC, 0xDE, 0xF0, 0xFF, 0x61, 0x5A, 0x30, 0x0A, 0x41},
         16, 0, "00 1F 20 7E 7F 80 9A BC DE F0 FF 61 5A 30 0A 41  .. ~.......aZ0.A", 16, 16},
        {kCodeUInt8Array, 1, {0x20, 0x41, 0x7E, 0x7F, 0x80, 0xFF, 0x00, 0x09}, 8, 0,
         "20 41 7E 7F 80 FF 00 09   A~.....", 8, 8},
        {kCodeBooleanArray, 1, {1, 0, 7}, 12, 0, "True   False  True   ", 3, 3},
        {kCodeBooleanArray, 2, {0, 1, 0, 0, 9}, 24, 0, "True   False  ", 4, 2},
        {kCodeUInt16Array, 2, {0x34, 0x12}, 16, 1, "1234  " + blanks(42) + " 4.", 2, 1},
        {kCodeUInt64Array, 8, bytesOf<uint64_t>({0x0102030405060708ull}), 16, 5,
         "0102030405060708        " + blanks(24) + " ........", 8, 1},
        {kCodeUInt8Array, 1, {}, 16, 0, "", 0, 0},
        {kCodeUInt32, 1, {1, 2}, 16, 0, "", 0, 0},
        {kCodeBooleanArray, 4, {1, 2, 3, 4}, 24, 0, "", 0, 0},
    };
    for (const auto& c : cases) {
        const tLine line = formatLine(c.code, c.elementSize, c.slice, c.bytesPerLine, c.offset);
        EXPECT_EQ(line.text, kPrefix + c.columns) << "code " << c.code;
        EXPECT_EQ(line.bytesUsed, c.bytesUsed) << c.columns;
        EXPECT_EQ(line.elementsUsed, c.elementsUsed) << c.columns;
    }
}

// The widest line (12 booleans of 7) behind the widest offset prefix, and
// an oversized bytes-per-line, stay within the 128-byte line.
TEST(DumpLineTest, TheWidestLineFitsTheLineBuffer) {
    const std::string widePrefix = "123456789AB:  ";
    std::string twelve;
    for (int i = 0; i < 12; ++i) twelve += "True   ";
    tLine line = formatLine(kCodeBooleanArray, 2, Bytes(200, 1), 1000, 0, widePrefix);
    EXPECT_EQ(line.text, widePrefix + twelve);
    EXPECT_EQ(line.bytesUsed, 24);
    EXPECT_EQ(formatLine(kCodeUInt8Array, 1, Bytes(200, 0x41), 1000).bytesUsed, 16);
    line = formatLine(kCodeBooleanArray, 2, Bytes(24, 1), 24, 0, std::string(120, 'x'));
    EXPECT_EQ(line.text, std::string(120, 'x') + "True   ");
}

// Lines round up and a partial capture adds the separator line; exactly 64
// bytes keep their first 32 as the head, any other size 32768. Reals of 64
// bits and booleans have lines of their own width; other codes that of bytes.
TEST(DumpFiguresTest, LineCountsHeadLinesAndBytesPerLine) {
    const CVisaGenericFormat formatter;
    const struct {
        int size;
        bool partial, compact;
        int lines, headLines;
    } cases[] = {{0, true, false, 0, 2048}, {16, false, false, 1, 2048}, {16, true, false, 2, 2048},
                 {17, false, false, 2, 2048}, {17, true, false, 3, 2048}, {17, false, true, 3, 4096},
                 {64, false, false, 4, 2},    {64, false, true, 8, 4},     {65, false, true, 9, 4096}};
    for (const auto& c : cases) {
        CKOVeskMemoryLogger logger;
        kovesk_test::addCaptured(logger, kCodeUInt8Array, Bytes(static_cast<size_t>(c.size)));
        logger.SetParamElementSize(0, 1);
        logger.SetParamTruncated(0, c.partial);
        EXPECT_EQ(formatter.CalcNumberOfDataLines(&logger, 0, c.compact), c.lines) << c.size;
        StringBase separator;
        int bytesPerLine = -1, head = -1;
        formatter.GetFormatLimits(c.compact, &logger, 0, separator, bytesPerLine, head);
        EXPECT_EQ(head, c.headLines) << c.size;
        EXPECT_EQ(bytesPerLine, c.compact ? 8 : 16);
        EXPECT_EQ(std::string(separator.c_str()), std::string(c.compact ? 44 : 76, '-'));
    }
    const struct {
        int code, elementSize;
        int wideBytesPerLine, compactBytesPerLine;
    } layouts[] = {{kCodeUInt8Array, 1, 16, 8},   {kCodeReal32Array, 4, 16, 8},  {kCodeUInt32, 1, 16, 8},
                   {kCodeReal64Array, 8, 24, 8},  {kCodeBooleanArray, 1, 12, 6}, {kCodeBooleanArray, 2, 24, 12}};
    for (const auto& l : layouts) {
        CKOVeskMemoryLogger logger;
        kovesk_test::addCaptured(logger, l.code, Bytes(48));
        logger.SetParamElementSize(0, l.elementSize);
        EXPECT_EQ(formatter.CalcBytesPerLine(&logger, 0, false), l.wideBytesPerLine) << l.code;
        EXPECT_EQ(formatter.CalcBytesPerLine(&logger, 0, true), l.compactBytesPerLine) << l.code;
    }
}

// The named code of each layout and element width, on which the cases
// above test the layout.
const std::map<std::pair<eDumpLayout, int>, int> kNamedCodeOfLayout = {
    {{eDumpLayout::Integers, 1}, kCodeUInt8Array},  {{eDumpLayout::Integers, 2}, kCodeUInt16Array},
    {{eDumpLayout::Integers, 4}, kCodeUInt32Array}, {{eDumpLayout::Integers, 8}, kCodeUInt64Array},
    {{eDumpLayout::Reals, 4}, kCodeReal32Array},    {{eDumpLayout::Reals, 8}, kCodeReal64Array},
    {{eDumpLayout::Booleans, 0}, kCodeBooleanArray},
};

// Every code of the table, and codes beyond it, dumps as the named code of
// its layout and width does: the same lines and line counts, for elements of
// one and two bytes; codes without a layout write nothing and take the
// lines of bytes.
TEST(DumpLineTest, EveryCodeDumpsLikeTheNamedCodeOfItsLayout) {
    const Bytes slice = bytesOf<double>({1.5, -2.0, 3.25});
    const CVisaGenericFormat formatter;
    const auto dump = [&](int code, int elementSize) {
        CKOVeskMemoryLogger logger;
        kovesk_test::addCaptured(logger, code, Bytes(100));
        logger.SetParamElementSize(0, elementSize);
        std::string figures;
        for (const bool compact : {false, true}) {
            const int bytesPerLine = formatter.CalcBytesPerLine(&logger, 0, compact);
            const tLine line = formatLine(code, elementSize, slice, bytesPerLine);
            figures += std::to_string(bytesPerLine) + "/" + std::to_string(formatter.CalcNumberOfDataLines(&logger, 0, compact)) +
                       " [" + line.text + "] " + std::to_string(line.bytesUsed) + "/" + std::to_string(line.elementsUsed) + "; ";
        }
        return figures;
    };
    for (const int code : kovesk_test::everyCodeAndBeyond()) {
        const tDataTypeRow row = dataTypeRow(code);
        const auto named = kNamedCodeOfLayout.find({row.dump, row.elementWidth});
        ASSERT_TRUE(row.dump == eDumpLayout::None || named != kNamedCodeOfLayout.end()) << "none for " << code;
        for (const int elementSize : {1, 2}) {
            const std::string expected = row.dump == eDumpLayout::None
                                             ? "16/7 [" + kPrefix + "] 0/0; 8/13 [" + kPrefix + "] 0/0; "
                                             : dump(named->second, elementSize);
            EXPECT_EQ(dump(code, elementSize), expected) << "code " << code << ", elements of " << elementSize;
        }
    }
}

// Special values centred, the odd blank on the right, never cut: the dump's
// columns line up only if this split is exact. Doubles and floats alike.
TEST(RealFieldTest, SpecialValuesAreCentredWithTheOddBlankOnTheRight) {
    const std::tuple<double, int, std::string> cases[] = {{NAN, 15, "      NAN      "}, {-NAN, 15, "      NAN      "},
        {INFINITY, 15, "      INF      "}, {-INFINITY, 15, "     NINF      "}, {NAN, 4, "NAN "}, {-INFINITY, 1, "NINF"},
        {1.5, 15, "  1.500000E+00 "}};
    for (const auto& [value, width, expected] : cases) {
        StringBase out("previous text");
        FormatRealField(out, "%14.6E ", width, value);
        EXPECT_EQ(std::string(out.c_str()), expected) << value << " in " << width;
        FormatRealField(out, "%14.6E ", width, static_cast<float>(value));
        EXPECT_EQ(std::string(out.c_str()), expected) << value << " in " << width;
    }
}

}  // namespace
}  // namespace nKoVeskLog210
