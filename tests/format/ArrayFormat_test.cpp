#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "format/CVisaGenericFormat.h"
#include "tests/format/format_test_support.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::addCaptured;
using kovesk_test::Bytes;
using kovesk_test::bytesOf;
using kovesk_test::Rendered;
using kovesk_test::renderChecked;
using kovesk_test::SentinelBuffer;

// Renders parameter `index` on a sentinel buffer that checks the buffer
// contract of every argument rendering.
Rendered render(const IKoVeskLogger& logger, int index, eFormatSpecifier format = eFormatLine) {
    return renderChecked([&](char* out) {
        return CVisaGenericFormat().FormatCallArgArray(&logger, index, out, format, nullptr);
    });
}

std::string renderCaptured(int type, const Bytes& bytes, int elementSize = 1) {
    CKOVeskMemoryLogger logger;
    const int index = addCaptured(logger, type, bytes);
    logger.SetParamElementSize(index, elementSize);
    return render(logger, index).text;
}

struct tPreviewCase {
    const char* why;
    int type;
    Bytes bytes;
    int elementSize;
    std::string expected;
};

void expectPreviews(const std::vector<tPreviewCase>& cases) {
    for (const tPreviewCase& c : cases)
        EXPECT_EQ(renderCaptured(c.type, c.bytes, c.elementSize), c.expected) << c.why;
}

Bytes repeated(size_t count, unsigned char value) { return Bytes(count, value); }

// --- integers -----------------------------------------------------------------

// One element, exactly two, or two and ",..." for more.
TEST(ArrayFormatTest, IntegerPreviewsShowUpToTwoElements) {
    Bytes hundred(100);
    for (size_t i = 0; i < hundred.size(); ++i) hundred[i] = static_cast<unsigned char>(i + 1);
    expectPreviews({
        {"one long", 2, bytesOf<uint32_t>({0x12}), 1, "{0x00000012}"},
        {"two longs", 2, bytesOf<uint32_t>({1, 2}), 1, "{0x00000001,0x00000002}"},
        {"three longs", 2, bytesOf<uint32_t>({1, 2, 3}), 1, "{0x00000001,0x00000002,...}"},
        {"one word", 6, bytesOf<uint16_t>({0xBEEF}), 1, "{0xBEEF}"},
        {"two words", 6, bytesOf<uint16_t>({0xBEEF, 1}), 1, "{0xBEEF,0x0001}"},
        {"three words", 6, bytesOf<uint16_t>({0xBEEF, 1, 2}), 1, "{0xBEEF,0x0001,...}"},
        {"one byte", 10, {0xAB}, 1, "{0xAB}"},
        {"two bytes", 10, {0x01, 0xFF}, 1, "{0x01,0xFF}"},
        {"100 bytes", 10, hundred, 1, "{0x01,0x02,...}"},
        {"one quad", 96, bytesOf<uint64_t>({0x1234}), 1, "{0x0000000000001234}"},
        {"two quads show one", 96, bytesOf<uint64_t>({0x1234, 5}), 1, "{0x0000000000001234,...}"},
        {"unsigned, all digits", 2, bytesOf<int32_t>({-1}), 1, "{0xFFFFFFFF}"},
    });
}

// Captures that hold fewer whole elements than a form needs show only the
// whole elements they hold, and never read past the captured bytes.
TEST(ArrayFormatTest, ShortCapturesShowOnlyWholeElements) {
    expectPreviews({
        {"no bytes", 2, {}, 1, "{}"},
        {"part of one long", 2, {1, 2, 3}, 1, "{}"},
        {"one and a half longs", 2, {1, 0, 0, 0, 2, 0}, 1, "{0x00000001,...}"},
        {"one and a half words", 6, {0x34, 0x12, 0x56}, 1, "{0x1234,...}"},
        {"no bytes of bytes", 10, {}, 1, "{}"},
        {"part of one quad", 96, {1, 2, 3, 4}, 1, "{}"},
        {"one and a half quads", 96, {1, 0, 0, 0, 0, 0, 0, 0, 9, 9, 9, 9}, 1,
         "{0x0000000000000001,...}"},
        {"one and a half singles", 18, {0, 0, 0xC0, 0x3F, 0, 0}, 1, "{1.5,...}"},
        {"part of one double", 20, {0, 0, 0, 0}, 1, "{}"},
    });
}

// Every code of each group, on the same 8 captured bytes "ABCDEFGH".
TEST(ArrayFormatTest, EveryIntegerAndAddressCodeHasItsWidth) {
    const struct {
        std::vector<int> codes;
        const char* expected;
    } groups[] = {
        {{2, 4, 34, 36, 38, 40, 65, 66, 82, 83, 86, 87}, "{0x44434241,0x48474645}"},
        {{6, 8, 67, 68, 84, 88}, "{0x4241,0x4443,...}"},
        {{10, 12, 44, 69, 70}, "{0x41,0x42,...}"},
        {{96, 98, 106, 107}, "{0x4847464544434241}"},
        {{15, 16, 93}, "0x4847464544434241"},
        {{-1, 0, 1, 3, 21, 23, 108, 109, 112, std::numeric_limits<int>::max(),
          std::numeric_limits<int>::min()},
         ""},
    };
    for (const auto& group : groups)
        for (int code : group.codes)
            EXPECT_EQ(renderCaptured(code, bytesOf(std::string("ABCDEFGH"))), group.expected)
                << "code " << code;
}

// --- reals ----------------------------------------------------------------------

// "%.6G" with the special values named; both real codes of each width.
TEST(ArrayFormatTest, RealPreviews) {
    const float finf = std::numeric_limits<float>::infinity();
    const double inf = std::numeric_limits<double>::infinity();
    expectPreviews({
        {"two singles", 18, bytesOf<float>({1.5f, 2.0f}), 1, "{1.5,2}"},
        {"three singles", 91, bytesOf<float>({1.5f, 2.0f, 3.0f}), 1, "{1.5,2,...}"},
        {"single NaN", 18, bytesOf<float>({std::nanf("")}), 1, "{NAN}"},
        {"single infinities", 18, bytesOf<float>({finf, -finf}), 1, "{INF,NINF}"},
        {"single precision digits", 18, bytesOf<float>({0.1f, 1e-7f}), 1, "{0.1,1E-07}"},
        {"one double", 20, bytesOf<double>({1.5}), 1, "{1.5}"},
        {"double specials", 92, bytesOf<double>({-inf, std::nan("")}), 1, "{NINF,NAN}"},
        {"three doubles", 20, bytesOf<double>({123456789.0, -2.5, 1.0}), 1,
         "{1.23457E+08,-2.5,...}"},
    });
}

// --- booleans ---------------------------------------------------------------------

// Twelve letters at most; the closing tells whether all were shown.
TEST(ArrayFormatTest, BooleanPreviews) {
    const std::string twelve = "T,T,T,T,T,T,T,T,T,T,T,T";
    expectPreviews({
        {"three byte elements", 22, {1, 0, 7}, 1, "{T,F,T}"},
        {"exactly twelve", 22, repeated(12, 1), 1, "{" + twelve + "}"},
        {"thirteen", 22, repeated(13, 1), 1, "{" + twelve + ",...}"},
        {"empty", 22, {}, 1, "{}"},
        {"25 bytes of words are 12 elements", 22, repeated(25, 1), 2, "{" + twelve + "}"},
        {"26 bytes of words are 13 elements", 22, repeated(26, 1), 2, "{" + twelve + ",...}"},
        {"a word is true by either byte", 22, bytesOf<uint16_t>({0x0100, 0, 1}), 2, "{T,F,T}"},
        {"one byte of words is no element", 22, {1}, 2, "{}"},
        {"elements of 4 bytes", 22, repeated(8, 1), 4, ""},
        {"elements of no width", 22, repeated(8, 1), 0, ""},
    });
}

// --- addresses --------------------------------------------------------------------

// NULL is centred in the width of the number it replaces.
TEST(ArrayFormatTest, AddressPreviews) {
    expectPreviews({
        {"32-bit null", 15, bytesOf<uint32_t>({0}), 1, "   NULL   "},
        {"32-bit address", 16, bytesOf<uint32_t>({0x1234}), 1, "0x00001234"},
        {"64-bit null", 93, bytesOf<uint64_t>({0}), 1, "       NULL       "},
        {"64-bit address", 15, bytesOf<uint64_t>({0x1000}), 1, "0x0000000000001000"},
        {"2 bytes", 15, {1, 2}, 1, ""},
        {"no bytes", 15, {}, 1, ""},
    });
}

// --- texts --------------------------------------------------------------------------

// The text renderers get the captured bytes, the selector and the
// partial-capture flag unchanged.
TEST(ArrayFormatTest, TextsAreRenderedByTheStringRenderers) {
    std::setlocale(LC_ALL, "C");
    const std::string text = "0123456789abcdefghijklmnopqrstuvwxyz\nABCD";
    CVisaGenericFormat formatter;
    for (int code : {14, 41, 42, 45, 46, 48, 79, 85, 89, 90, 110, 111}) {
        for (eFormatSpecifier format : {eFormatShort, eFormatLine, eFormatFull, eFormatUnquoted}) {
            for (bool partial : {false, true}) {
                CKOVeskMemoryLogger logger;
                const int index = addCaptured(logger, code, bytesOf(text));
                logger.SetParamTruncated(index, partial);
                char expected[kArgumentTextSize];
                const int length =
                    code >= 110
                        ? formatter.FormatUtf8String(
                              reinterpret_cast<const unsigned char*>(text.data()),
                              static_cast<int>(text.size()), format, partial, expected)
                        : formatter.FormatMbcsString(text.data(), static_cast<int>(text.size()),
                                                     format, partial, expected);
                const Rendered r = render(logger, index, format);
                EXPECT_EQ(r.result, length) << "code " << code;
                if (length > 0) {
                    EXPECT_EQ(r.text, std::string(expected, static_cast<size_t>(length)))
                        << "code " << code;
                }
            }
        }
    }
    EXPECT_EQ(renderCaptured(14, bytesOf(std::string("abc"))), "\"abc\"");
    EXPECT_EQ(renderCaptured(110, bytesOf(std::string("abc"))), "\"abc\"");
}

// --- nothing to show ------------------------------------------------------------------

// A size the logger has no bytes for is not rendered, whatever the form;
// asking for fewer bytes than captured would hide that.
TEST(ArrayFormatTest, SizeWithoutDataWritesNothing) {
    for (int code : {2, 6, 10, 96, 18, 20, 22, 15, 93, 14, 110}) {
        CKOVeskMemoryLogger logger;
        const int index = logger.AddParam("p", code);
        logger.SetParamSizeWithoutData(index, 8);
        EXPECT_EQ(render(logger, index).result, 0) << "code " << code;
    }
}

TEST(ArrayFormatTest, MissingLoggerOrParameterOrNegativeSizeWritesNothing) {
    CVisaGenericFormat formatter;
    SentinelBuffer out;
    EXPECT_EQ(formatter.FormatCallArgArray(nullptr, 0, out.data(), eFormatLine, nullptr), 0);
    EXPECT_TRUE(out.untouchedFrom(0));

    CKOVeskMemoryLogger logger;
    addCaptured(logger, 2, bytesOf<uint32_t>({1}));
    EXPECT_EQ(render(logger, 1).result, 0);
    EXPECT_EQ(render(logger, -1).result, 0);

    const int negative = logger.AddParam("p", 2);
    logger.SetParamSizeWithoutData(negative, -4);
    EXPECT_EQ(render(logger, negative).result, 0);
}

}  // namespace
}  // namespace nKoVeskLog210
