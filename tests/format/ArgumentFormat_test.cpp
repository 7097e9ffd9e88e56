#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "format/CVisaFormat.h"
#include "format/NumberText.h"
#include "ko/zel/Exception.h"
#include "tests/format/format_test_support.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::addCaptured;
using kovesk_test::Bytes;
using kovesk_test::bytesOf;
using kovesk_test::of;

std::string render(const IKoVeskLogger& logger, int index, eFormatSpecifier format,
                int* helpIndex = nullptr, bool array = false) {
    const CVisaFormat* formatter = CVisaFormat::GetSingletonVisaFormatter();
    return kovesk_test::renderChecked([&](char* out) {
        return array ? formatter->FormatCallArgArray(&logger, index, out, format, nullptr)
                     : formatter->FormatCallArgScalar(&logger, index, out, format, helpIndex, nullptr);
    });
}

// Each code captured with `capture`: its short form, and the long forms, which
// scalars do not tell apart; "" means nothing written, the buffer untouched.
struct tScalarCase {
    std::vector<int> types;
    Bytes capture;
    std::string shortText, longText;
};

void expectRenderings(const std::vector<tScalarCase>& cases) {
    for (size_t row = 0; row < cases.size(); ++row) {
        for (const int type : cases[row].types) {
            SCOPED_TRACE(testing::Message() << "row " << row << ", type " << type);
            CKOVeskMemoryLogger logger;
            const int index = addCaptured(logger, type, cases[row].capture);
            EXPECT_EQ(render(logger, index, eFormatShort), cases[row].shortText);
            for (const eFormatSpecifier format : {eFormatLine, eFormatFull, eFormatUnquoted})
                EXPECT_EQ(render(logger, index, format), cases[row].longText) << format;
        }
    }
}

class ScalarFormatTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_ALL, "C");
        nKoVeskHost::ResetApiInfo();
    }
    void TearDown() override { nKoVeskHost::ResetApiInfo(); }
};

// Every code family at the captured sizes that pick its read: 1, 2, 4 and 8
// bytes and a size it does not know.
TEST_F(ScalarFormatTest, IntegerFamiliesAtEachCapturedSize) {
    expectRenderings({
        {{1}, of<uint64_t>(1ull << 32), "4294967296", "4294967296 (0x0000000100000000)"},
        {{1, 3, 5}, Bytes{1, 2, 3}, "0", "0 (0x0)"},
        {{1, 31, 47, 53, 54, 58, 71, 72}, of<uint32_t>(0x12C), "300", "300 (0x12C)"},
        {{1, 3}, of<uint8_t>(0xFF), "255", "255 (0xFF)"},
        {{3}, of<int64_t>(-2), "-2", "-2 (0xFFFFFFFFFFFFFFFE)"},
        {{3, 59, 75, 76}, of<int32_t>(-7), "-7", "-7 (0xFFFFFFF9)"},
        {{60}, of<uint32_t>(0x12345), "9029", "9029 (0x2345)"},
        {{73}, of<uint64_t>(0x1111222233334444ull), "17476", "17476 (0x4444)"},
        {{7}, of<uint16_t>(0xFFFF), "-1", "-1 (0xFFFF)"},
        {{77}, of<uint32_t>(0x18000), "-32768", "-32768 (0x8000)"},
        {{64}, of<uint16_t>(0xFFFE), "-2", "-2"},
        {{9}, of<uint8_t>(200), "200", "200 (0xC8)"},
        {{43}, of<uint16_t>(0x1FF), "255", "255 (0xFF)"},
        {{11}, of<uint8_t>(0x80), "-128", "-128 (0x80)"},
        {{63}, of<uint64_t>(0xFF), "-1", "-1 (0xFF)"},
        {{13}, of<uint8_t>(65), "65 ('A', 0x41)", "65 ('A', 0x41)"},
        {{13}, of<uint8_t>(10), "10 (0xA)", "10 (0xA)"},
        {{74}, of<uint32_t>(0x17A), "122 ('z', 0x7A)", "122 ('z', 0x7A)"},
        {{78}, of<uint8_t>(0xE9), "233 (0xE9)", "233 (0xE9)"},
        {{95}, of<uint64_t>(UINT64_MAX), "18446744073709551615", "18446744073709551615 (0xFFFFFFFFFFFFFFFF)"},
        {{97}, of<int64_t>(-1), "-1", "-1 (0xFFFFFFFFFFFFFFFF)"},
        {{104, 105}, of<uint32_t>(7), "0", "0 (0x0000000000000000)"},
    });
}

// "%.6G" in the short form; fixed and exponent in the long form between
// 1E-06 and 1E+07, exclusive; the special values named.
TEST_F(ScalarFormatTest, Reals) {
    expectRenderings({
        {{17}, of<double>(12.5), "12.5", "12.500000 (1.250000E+01)"},
        {{19}, of<double>(-2.5), "-2.5", "-2.500000 (-2.500000E+00)"},
        {{80}, of<float>(1.5f), "1.5", "1.500000 (1.500000E+00)"},
        {{17, 19, 81}, of<double>(1e-9), "1E-09", "1E-09"},
        {{17}, of<double>(9999999.9), "1E+07", "1E+07"},
        {{17}, of<double>(9999999.8), "1E+07", "9999999.800000 (1.000000E+07)"},
        {{17}, of<double>(0.000001), "1E-06", "1E-06"},
        {{17}, of<double>(0.0000011), "1.1E-06", "0.000001 (1.100000E-06)"},
        {{17}, of<double>(-INFINITY), "NINF", "NINF"},
        {{17, 19}, of<double>(NAN), "NAN", "NAN"},
        {{17}, of<float>(INFINITY), "INF", "INF"},
        {{17, 80}, of<float>(NAN), "NAN", "NAN"},
        {{17}, of<uint16_t>(1), "", ""},
        {{19}, Bytes{}, "", ""},
    });
}

// Booleans count the low 16 bits; versions split major.minor[.sub]; hex and
// addresses of 8 bytes widen to 16 digits; other codes write nothing.
TEST_F(ScalarFormatTest, BooleansVersionsHexAndAddresses) {
    expectRenderings({
        {{21}, of<uint16_t>(1), "VI_TRUE", "VI_TRUE"},
        {{21}, of<uint16_t>(0), "VI_FALSE", "VI_FALSE"},
        {{21}, of<uint32_t>(0x10000), "VI_FALSE", "VI_FALSE"},
        {{21}, of<uint8_t>(2), "VI_TRUE", "VI_TRUE"},
        {{21}, of<uint64_t>(0x10001), "VI_TRUE", "VI_TRUE"},
        {{21}, Bytes{1, 1, 1}, "VI_FALSE", "VI_FALSE"},
        {{25}, of<uint32_t>(0x00500800), "0x00500800", "0x00500800 (5.8)"},
        {{25}, of<uint32_t>(0xFFFFFFFF), "0xFFFFFFFF", "0xFFFFFFFF (4095.4095.255)"},
        {{25}, of<uint32_t>(0), "0", "0"},
        {{39}, of<uint32_t>(0), "0x00000000", "0x00000000"},
        {{51}, of<uint64_t>(0x1000), "0x00001000", "0x0000000000001000"},
        {{51}, of<uint64_t>(0x100000000ull), "0x0000000100000000", "0x0000000100000000"},
        {{51}, of<uint16_t>(0xBEEF), "0x0000BEEF", "0x0000BEEF"},
        {{2}, of<uint32_t>(0), "NULL", "NULL"},
        {{2}, of<uint32_t>(0x1000), "0x00001000", "0x00001000"},
        {{2}, of<uint64_t>(0x1000), "0x0000000000001000", "0x0000000000001000"},
        {{111}, of<uint64_t>(0), "NULL", "NULL"},
        {{2}, of<uint16_t>(0x1000), "", ""},
        {{4,  6,  8,  10, 12, 14, 15, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36, 38, 40, 41, 42,
          44, 49, 50, 52, 55, 56, 57, 65, 66, 67, 68, 69, 70, 82, 83, 84, 85, 86, 87, 88, 89, 90,
          91, 92, 93, 96, 98, 106, 107, 109},
         of<uint32_t>(0x20), "0x00000020", "0x00000020"},
        {{0, 94, 99, 100, 102, 112, 1000, -1}, of<uint32_t>(1), "", ""},
    });
    EXPECT_EQ(render(CKOVeskMemoryLogger(), 5, eFormatLine), "") << "no such parameter";
}

// Short names in the short form, table names behind the value in the long;
// help opens on a non-zero event or attribute; other APIs name statuses only.
// The host names first, shortened at "_ATTR_"; code 103 (its second word) only.
TEST_F(ScalarFormatTest, NamedCodes) {
    expectRenderings({
        {{23}, of<uint32_t>(0), "0", "0 (VI_SUCCESS)"},
        {{23}, of<uint32_t>(0xBFFF0015), "0xBFFF0015", "0xBFFF0015 (VI_ERROR_TMO)"},
        {{23}, of<uint32_t>(0xBFFF7777), "0xBFFF7777", "0xBFFF7777"},
        {{27}, of<uint32_t>(0x3FFF200B), "SERVICE_REQ", "0x3FFF200B (VI_EVENT_SERVICE_REQ)"},
        {{27}, of<uint32_t>(0x3FFF7FFF), "VI_ALL_ENABLED_EVENTS", "0x3FFF7FFF (VI_ALL_ENABLED_EVENTS)"},
        {{27}, of<uint32_t>(0x3FFF2FFF), "0x3FFF2FFF", "0x3FFF2FFF"},
        {{27, 101}, of<uint32_t>(0), "0", "0"},
        {{29}, of<uint32_t>(0x3FFF001A), "TMO_VALUE", "0x3FFF001A (VI_ATTR_TMO_VALUE)"},
        {{29}, of<uint32_t>(0x3FFF0203), "PXI_SUB_MANF_ID", "0x3FFF0203 ((obsolete)VI_ATTR_PXI_SUB_MANF_ID)"},
    });
    CKOVeskMemoryLogger logger;
    for (const auto& [type, value] : {std::pair{27, 0x3FFF200Bu}, {101, 0x3FFF7777u}, {29, 0u}}) {
        int help = -1;
        render(logger, addCaptured(logger, type, of<uint32_t>(value)), eFormatShort, &help);
        EXPECT_EQ(help, value ? logger.GetParamCount() - 1 : -1) << type;
    }
    logger.SetFunction("otherCall", 1, 7);
    EXPECT_EQ(render(logger, 0, eFormatLine), "0x3FFF200B");
    const int status = addCaptured(logger, 23, of<uint32_t>(0xBFFF0015));
    EXPECT_EQ(render(logger, status, eFormatLine), "0xBFFF0015 (VI_ERROR_TMO)");
    kovesk_test::hostNames(L"MY_ATTR_TIMEOUT");
    expectRenderings({
        {{103}, bytesOf<uint32_t>({1, 0x22}), "MY_ATTR_TIMEOUT", "0x00000022 (MY_ATTR_TIMEOUT)"},
        {{103}, of<uint32_t>(0x22), "0", "0"},
        {{29}, of<uint32_t>(0x3FFF001A), "TIMEOUT", "0x3FFF001A (MY_ATTR_TIMEOUT)"},
        {{23}, of<uint32_t>(0xBFFF0015), "0xBFFF0015", "0xBFFF0015 (MY_ATTR_TIMEOUT)"},
    });
    nKoVeskHost::ResetApiInfo();
    expectRenderings({{{103}, bytesOf<uint32_t>({1, 0}), "0x00000000", "0x00000000"}});
}

// The generic formatter has no event or attribute tables: the codes show as
// numbers, and an event still offers its help.
TEST_F(ScalarFormatTest, TheGenericFormatterShowsNamedCodesAsNumbers) {
    CKOVeskMemoryLogger logger;
    const int event = addCaptured(logger, 27, of<uint32_t>(0x3FFF200B));
    const int attribute = addCaptured(logger, 29, of<uint32_t>(0x3FFF001A));
    const CVisaGenericFormat generic;
    const auto renderGeneric = [&](int index, int* help) {
        return kovesk_test::renderChecked([&](char* out) {
            return generic.FormatCallArgScalar(&logger, index, out, eFormatLine, help, nullptr);
        });
    };
    int help = -1;
    EXPECT_EQ(renderGeneric(event, &help), "0x3FFF200B");
    EXPECT_EQ(help, event);
    EXPECT_EQ(renderGeneric(attribute, nullptr), "0x3FFF001A");
}

// A handle shows the text of a "dummyses..." parameter just before it: quoted
// for blanks or brackets, cut to 24 bytes in the short form from 28 on,
// partial as both halves, UTF-8 on whole characters.
TEST_F(ScalarFormatTest, TheSessionTextPrecedesTheHandle) {
    const std::string text28 = "TCPIP0::10.0.0.1::5025::SOCK", handle = "0x00000010";
    // Session text, hidden parameter's name and code, partial, selector, text.
    const std::tuple<std::string, const char*, int, bool, eFormatSpecifier, std::string> cases[] = {
        {"GPIB0::1::INSTR", "dummysession", 46, false, eFormatShort, "GPIB0::1::INSTR (" + handle + ")"},
        {"GPIB0::1::INSTR", "dummy", 46, false, eFormatLine, handle},
        {"", "dummyses", 46, false, eFormatLine, handle},
        {"ASRL1 INSTR", "dummyses", 46, false, eFormatUnquoted, "ASRL1 INSTR (" + handle + ")"},
        {"alias(1)", "dummyses", 46, false, eFormatLine, "\"alias(1)\" (" + handle + ")"},
        {text28.substr(0, 27), "dummyses", 46, false, eFormatShort, text28.substr(0, 27) + " (" + handle + ")"},
        {text28, "dummyses", 46, false, eFormatShort, text28.substr(0, 24) + "... (" + handle + ")"},
        {text28 + " x", "dummyses", 46, false, eFormatShort, "\"" + text28.substr(0, 24) + "...\" (" + handle + ")"},
        {"012345678", "dummyses", 46, true, eFormatLine, "0123...4567 (" + handle + ")"},
        {"abc\xC3\xA9" "def", "dummyses", 110, true, eFormatLine, "abc...def (" + handle + ")"},
        {std::string(23, 'a') + "\xC3\xA9" + "bcdef", "dummyses", 110, false, eFormatLine,
         std::string(23, 'a') + "?bcdef (" + handle + ")"},
    };
    for (const auto& [session, name, hiddenType, partial, format, shown] : cases) {
        CKOVeskMemoryLogger logger;
        EXPECT_EQ(render(logger, addCaptured(logger, 35, of<uint32_t>(0x10)), eFormatLine), handle);
        logger.SetParamTruncated(addCaptured(logger, hiddenType, bytesOf(session), name), partial);
        EXPECT_EQ(render(logger, addCaptured(logger, 35, of<uint32_t>(0x10), "vi"), format), shown);
    }
}

// 2020-01-02 03:04:05.25 UTC as a fraction and the seconds since 1904; four
// 32-bit words, each needing 4 bytes left in the capture.
TEST_F(ScalarFormatTest, TimeStamps) {
    setenv("TZ", "XST-1", 1);
    tzset();
    const Bytes capture = bytesOf<uint64_t>({0x4000000000000000ull, 3660779045ull});
    expectRenderings({
        {{108}, capture, "01/02/20 04:04:05", "01/02/20 04:04:05.250"},
        {{108}, bytesOf<uint64_t>({0, 0x8000000000000000ull}), "", ""},
    });
    CKOVeskMemoryLogger logger;
    const int shortCapture = addCaptured(logger, 108, Bytes(capture.begin(), capture.begin() + 15));
    EXPECT_THROW(render(logger, shortCapture, eFormatLine), ko::zel::exception::DeserializationError);
    unsetenv("TZ");
    tzset();
}

using ArrayFormatTest = ScalarFormatTest;

std::string renderArray(int type, const Bytes& bytes, int elementSize = 1) {
    CKOVeskMemoryLogger logger;
    logger.SetParamElementSize(addCaptured(logger, type, bytes), elementSize);
    return render(logger, 0, eFormatLine, nullptr, true);
}

// Two integers (one of 64 bits) or twelve booleans, then ",..."; NULL centred
// in its address's width; short captures show only their whole elements.
TEST_F(ArrayFormatTest, Previews) {
    const std::string twelve = "T,T,T,T,T,T,T,T,T,T,T,T";
    const std::tuple<int, Bytes, int, std::string> cases[] = {
        {2, bytesOf<uint32_t>({0x12}), 1, "{0x00000012}"},
        {2, bytesOf<uint32_t>({1, 2, 3}), 1, "{0x00000001,0x00000002,...}"},
        {2, {1, 0, 0, 0, 2, 0}, 1, "{0x00000001,...}"},
        {96, bytesOf<uint64_t>({0x1234, 5}), 1, "{0x0000000000001234,...}"},
        {96, {1, 2, 3, 4}, 1, "{}"},
        {18, bytesOf<float>({1.5f, 2.0f}), 1, "{1.5,2}"},
        {91, bytesOf<float>({1.5f, 2.0f, 3.0f}), 1, "{1.5,2,...}"},
        {18, bytesOf<float>({std::nanf("")}), 1, "{NAN}"},
        {92, bytesOf<double>({-INFINITY, INFINITY}), 1, "{NINF,INF}"},
        {20, {0, 0, 0, 0}, 1, "{}"},
        {22, {1, 0, 7}, 1, "{T,F,T}"},
        {22, Bytes(12, 1), 1, "{" + twelve + "}"},
        {22, Bytes(25, 1), 2, "{" + twelve + "}"},
        {22, Bytes(26, 1), 2, "{" + twelve + ",...}"},
        {22, bytesOf<uint16_t>({0x0100, 0}), 2, "{T,F}"},
        {22, Bytes(8, 1), 4, ""},
        {15, bytesOf<uint32_t>({0}), 1, "   NULL   "},
        {93, bytesOf<uint64_t>({0}), 1, "       NULL       "},
        {15, {1, 2}, 1, ""},
    };
    for (const auto& [type, bytes, elementSize, expected] : cases) {
        EXPECT_EQ(renderArray(type, bytes, elementSize), expected) << type;
    }
}

// Every code of each group, on the same 8 bytes "ABCDEFGH".
TEST_F(ArrayFormatTest, EveryCodeHasItsWidth) {
    const std::pair<std::vector<int>, const char*> groups[] = {
        {{2, 4, 34, 36, 38, 40, 65, 66, 82, 83, 86, 87}, "{0x44434241,0x48474645}"},
        {{6, 8, 67, 68, 84, 88}, "{0x4241,0x4443,...}"},
        {{10, 12, 44, 69, 70}, "{0x41,0x42,...}"},
        {{96, 98, 106, 107}, "{0x4847464544434241}"},
        {{15, 16, 93}, "0x4847464544434241"},
        {{14, 41, 42, 45, 46, 48, 79, 85, 89, 90, 110, 111}, "\"ABCDEFGH\""},
        {{-1, 0, 1, 3, 21, 23, 108, 109, 112}, ""},
    };
    for (const auto& [codes, expected] : groups)
        for (const int code : codes) EXPECT_EQ(renderArray(code, bytesOf(std::string("ABCDEFGH"))), expected) << code;
}

// A size the logger holds no bytes for, or no logger.
TEST_F(ArrayFormatTest, NothingToRenderWritesNothing) {
    for (const int code : {2, 10, 96, 18, 22, 15, 14, 110}) {
        CKOVeskMemoryLogger logger;
        logger.SetParamSizeWithoutData(logger.AddParam("p", code), 8);
        EXPECT_EQ(render(logger, 0, eFormatLine, nullptr, true), "") << code;
    }
    EXPECT_EQ(kovesk_test::renderChecked([](char* out) {
                  return CVisaFormat().FormatCallArgArray(nullptr, 0, out, eFormatLine, nullptr);
              }), "");
}

// The longest renderings fit kArgumentTextSize: 1016 bytes of text; a host
// name of 1023 characters, cut before its ")"; a session text, cut for its handle.
TEST_F(ScalarFormatTest, LongestRenderingsFitTheBuffer) {
    CKOVeskMemoryLogger logger;
    for (const int type : {45, 46, 48, 79, 110}) {
        const int index = addCaptured(logger, type, bytesOf(kovesk_test::digits(3000)));
        EXPECT_EQ(render(logger, index, eFormatFull), "\"" + kovesk_test::digits(1016) + "...\"") << type;
    }
    addCaptured(logger, 14, bytesOf(kovesk_test::digits(3000)));
    EXPECT_EQ(render(logger, 5, eFormatFull, nullptr, true), "\"" + kovesk_test::digits(1016) + "...\"");
    kovesk_test::hostNames(std::wstring(1023, L'n'));
    addCaptured(logger, 29, of<uint32_t>(0x3FFF001A));
    EXPECT_EQ(render(logger, 6, eFormatLine), "0x3FFF001A (" + std::string(1010, 'n') + ")");
    EXPECT_EQ(render(logger, 6, eFormatShort), std::string(1023, 'n'));
    const std::tuple<std::string, Bytes, bool, eFormatSpecifier, std::string> cases[] = {
        {std::string(5000, 'A'), of<uint32_t>(0x10), false, eFormatLine, std::string(1010, 'A') + " (0x00000010)"},
        {std::string(5000, 'A'), of<uint64_t>(1ull << 40), false, eFormatFull,
         std::string(1002, 'A') + " (0x0000010000000000)"},
        {"A B" + std::string(4997, 'B'), of<uint32_t>(0x10), false, eFormatFull,
         "\"A B" + std::string(1005, 'B') + "\" (0x00000010)"},
        {std::string(2500, 'H') + std::string(2500, 'T'), of<uint32_t>(0x10), true, eFormatLine,
         std::string(504, 'H') + "..." + std::string(503, 'T') + " (0x00000010)"},
    };
    for (const auto& [session, handle, partial, format, expected] : cases) {
        logger.SetParamTruncated(addCaptured(logger, 45, bytesOf(session), "dummysesvi"), partial);
        EXPECT_EQ(render(logger, addCaptured(logger, 35, handle, "vi"), format), expected);
    }
}

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

}  // namespace
}  // namespace nKoVeskLog210
