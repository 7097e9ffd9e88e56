#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "format/CVisaFormat.h"
#include "ko/zel/Exception.h"
#include "tests/format/format_test_support.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::addCaptured;
using kovesk_test::addScalar;
using kovesk_test::Bytes;
using kovesk_test::bytesOf;
using kovesk_test::Rendered;
using kovesk_test::renderChecked;

template <class T>
Bytes of(T value) {
    return bytesOf<T>({value});
}

Bytes textOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Rendered render(const IKoVeskLogger& logger, int index, eFormatSpecifier format,
                int* helpIndex = nullptr) {
    return renderChecked([&](char* out) {
        return CVisaFormat::GetSingletonVisaFormatter()->FormatCallArgScalar(
            &logger, index, out, format, helpIndex, nullptr);
    });
}

Rendered renderGeneric(const IKoVeskLogger& logger, int index, eFormatSpecifier format,
                       int* helpIndex = nullptr) {
    const CVisaGenericFormat generic;
    return renderChecked([&](char* out) {
        return generic.FormatCallArgScalar(&logger, index, out, format, helpIndex, nullptr);
    });
}

// One parameter captured with `capture`, and its texts in the short form and
// in the long forms (eFormatLine, eFormatFull, eFormatUnquoted, which the
// scalar renderings do not tell apart). An empty text means that nothing is
// written.
struct tScalarCase {
    const char* why;
    int type;
    Bytes capture;
    std::string shortText;
    std::string longText;
};

void expectRenderings(const std::vector<tScalarCase>& cases) {
    for (const tScalarCase& c : cases) {
        SCOPED_TRACE(std::string(c.why) + ", type " + std::to_string(c.type));
        CKOVeskMemoryLogger logger;
        const int index = addCaptured(logger, c.type, c.capture);
        EXPECT_EQ(render(logger, index, eFormatShort).text, c.shortText);
        for (const eFormatSpecifier format : {eFormatLine, eFormatFull, eFormatUnquoted}) {
            EXPECT_EQ(render(logger, index, format).text, c.longText) << "format " << format;
        }
    }
}

class ScalarFormatTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_ALL, "C");
        CVeskApiInfo::ResetAll();
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        CVeskApiInfo::ResetAll();
    }
};

// --- integers: the captured size picks the read and the width ---------------------

TEST_F(ScalarFormatTest, UnsignedIntegers) {
    expectRenderings({
        {"32-bit", 1, of<uint32_t>(300), "300", "300 (0x12C)"},
        {"1 byte widens", 1, of<uint8_t>(0xFF), "255", "255 (0xFF)"},
        {"2 bytes widen", 1, of<uint16_t>(0xFFFF), "65535", "65535 (0xFFFF)"},
        {"8 bytes show 64 bits", 1, of<uint64_t>(1ull << 32), "4294967296",
         "4294967296 (0x0000000100000000)"},
        {"an unknown size shows 0", 1, Bytes{1, 2, 3}, "0", "0 (0x0)"},
        {"no capture shows 0", 1, Bytes{}, "0", "0 (0x0)"},
    });
    for (const int type : {31, 47, 53, 54, 58, 71, 72}) {
        expectRenderings({{"same family", type, of<uint32_t>(7), "7", "7 (0x7)"}});
    }
}

TEST_F(ScalarFormatTest, SignedIntegers) {
    expectRenderings({
        {"32-bit is signed", 3, of<int32_t>(-1), "-1", "-1 (0xFFFFFFFF)"},
        {"1 byte widens without sign", 3, of<uint8_t>(0xFF), "255", "255 (0xFF)"},
        {"2 bytes widen without sign", 3, of<uint16_t>(0x8000), "32768", "32768 (0x8000)"},
        {"8 bytes show 64 bits", 3, of<int64_t>(-2), "-2", "-2 (0xFFFFFFFFFFFFFFFE)"},
        {"an unknown size shows 0", 3, Bytes(6, 0xFF), "0", "0 (0x0)"},
    });
    for (const int type : {59, 75, 76}) {
        expectRenderings({{"same family", type, of<int32_t>(-7), "-7", "-7 (0xFFFFFFF9)"}});
    }
}

TEST_F(ScalarFormatTest, SixteenAndEightBitIntegersAreCutToTheirWidth) {
    expectRenderings({
        {"unsigned 16", 5, of<uint16_t>(0xFFFF), "65535", "65535 (0xFFFF)"},
        {"low 16 bits of 32", 60, of<uint32_t>(0x12345), "9029", "9029 (0x2345)"},
        {"first 16 bits of 8 bytes", 73, of<uint64_t>(0x1111222233334444ull), "17476",
         "17476 (0x4444)"},
        {"signed 16", 7, of<uint16_t>(0xFFFF), "-1", "-1 (0xFFFF)"},
        {"signed 16 of 1 byte", 61, of<uint8_t>(0xFF), "255", "255 (0xFF)"},
        {"signed 16 of 32 bits", 77, of<uint32_t>(0x18000), "-32768", "-32768 (0x8000)"},
        {"decimal only", 64, of<uint16_t>(0xFFFE), "-2", "-2"},
        {"unsigned 8", 9, of<uint8_t>(200), "200", "200 (0xC8)"},
        {"low byte of 16", 43, of<uint16_t>(0x1FF), "255", "255 (0xFF)"},
        {"low byte of 32", 62, of<uint32_t>(0x101), "1", "1 (0x1)"},
        {"signed 8", 11, of<uint8_t>(0x80), "-128", "-128 (0x80)"},
        {"first byte of 8 bytes, signed", 63, of<uint64_t>(0xFF), "-1", "-1 (0xFF)"},
        {"unknown size", 5, Bytes{1, 2, 3}, "0", "0 (0x0)"},
    });
}

TEST_F(ScalarFormatTest, CharactersShowTheirGlyphWhenPrintable) {
    expectRenderings({
        {"printable", 13, of<uint8_t>(65), "65 ('A', 0x41)", "65 ('A', 0x41)"},
        {"line feed", 13, of<uint8_t>(10), "10 (0xA)", "10 (0xA)"},
        {"low byte of 32 bits", 74, of<uint32_t>(0x17A), "122 ('z', 0x7A)", "122 ('z', 0x7A)"},
        {"byte above 0x7F in C", 78, of<uint8_t>(0xE9), "233 (0xE9)", "233 (0xE9)"},
    });
}

// The 64-bit codes take the first 8 captured bytes; fewer show 0.
TEST_F(ScalarFormatTest, SixtyFourBitIntegers) {
    Bytes sixteen = of<uint64_t>(5);
    const Bytes rest = of<uint64_t>(9);
    sixteen.insert(sixteen.end(), rest.begin(), rest.end());
    expectRenderings({
        {"unsigned", 95, of<uint64_t>(UINT64_MAX), "18446744073709551615",
         "18446744073709551615 (0xFFFFFFFFFFFFFFFF)"},
        {"signed", 97, of<int64_t>(-1), "-1", "-1 (0xFFFFFFFFFFFFFFFF)"},
        {"first 8 of 16 bytes", 104, sixteen, "5", "5 (0x0000000000000005)"},
        {"4 bytes are too few", 105, of<uint32_t>(7), "0", "0 (0x0000000000000000)"},
        {"no capture", 95, Bytes{}, "0", "0 (0x0000000000000000)"},
    });
}

TEST_F(ScalarFormatTest, SixtyFourBitIntegerWithoutDataShowsZero) {
    CKOVeskMemoryLogger logger;
    const int index = logger.AddParam("count", 95);
    logger.SetParamSizeWithoutData(index, 8);
    EXPECT_EQ(render(logger, index, eFormatLine).text, "0 (0x0000000000000000)");
}

// --- reals ----------------------------------------------------------------------

TEST_F(ScalarFormatTest, RealsInTheShortAndLongForms) {
    expectRenderings({
        {"fixed and exponent", 17, of<double>(12.5), "12.5", "12.500000 (1.250000E+01)"},
        {"negative", 19, of<double>(-2.5), "-2.5", "-2.500000 (-2.500000E+00)"},
        {"single precision", 80, of<float>(1.5f), "1.5", "1.500000 (1.500000E+00)"},
        {"small values stay short", 81, of<double>(1e-9), "1E-09", "1E-09"},
        {"zero stays short", 17, of<double>(0.0), "0", "0"},
        {"large values stay short", 17, of<double>(12345678.0), "1.23457E+07", "1.23457E+07"},
        {"at the upper limit", 17, of<double>(9999999.9), "1E+07", "1E+07"},
        {"below the upper limit", 17, of<double>(9999999.8), "1E+07",
         "9999999.800000 (1.000000E+07)"},
        {"at the lower limit", 17, of<double>(0.000001), "1E-06", "1E-06"},
        {"above the lower limit", 17, of<double>(0.0000011), "1.1E-06",
         "0.000001 (1.100000E-06)"},
    });
}

TEST_F(ScalarFormatTest, SpecialRealsAreNamed) {
    const double inf = std::numeric_limits<double>::infinity();
    const float infF = std::numeric_limits<float>::infinity();
    expectRenderings({
        {"infinity", 17, of<double>(inf), "INF", "INF"},
        {"negative infinity", 17, of<double>(-inf), "NINF", "NINF"},
        {"not a number", 19, of<double>(std::nan("")), "NAN", "NAN"},
        {"single infinity", 17, of<float>(infF), "INF", "INF"},
        {"single negative infinity", 17, of<float>(-infF), "NINF", "NINF"},
        {"single not a number", 17, of<float>(std::nanf("")), "NAN", "NAN"},
        {"largest finite double", 17, of<double>(std::numeric_limits<double>::max()),
         "1.79769E+308", "1.79769E+308"},
    });
}

TEST_F(ScalarFormatTest, RealsOfAnotherSizeWriteNothing) {
    expectRenderings({
        {"2 bytes", 17, of<uint16_t>(1), "", ""},
        {"no capture", 19, Bytes{}, "", ""},
    });
}

// --- booleans, versions, hexadecimal values and addresses ------------------------

TEST_F(ScalarFormatTest, BooleansCountTheLowSixteenBits) {
    expectRenderings({
        {"non-zero", 21, of<uint16_t>(1), "VI_TRUE", "VI_TRUE"},
        {"zero", 21, of<uint16_t>(0), "VI_FALSE", "VI_FALSE"},
        {"only the low 16 bits of 32", 21, of<uint32_t>(0x10000), "VI_FALSE", "VI_FALSE"},
        {"one byte", 21, of<uint8_t>(2), "VI_TRUE", "VI_TRUE"},
        {"first 16 bits of 8 bytes", 21, of<uint64_t>(0x10001), "VI_TRUE", "VI_TRUE"},
        {"unknown size is false", 21, Bytes{1, 1, 1}, "VI_FALSE", "VI_FALSE"},
    });
}

TEST_F(ScalarFormatTest, FormatBooleanWritesTheChosenText) {
    CKOVeskMemoryLogger logger;
    const int index = addScalar<uint16_t>(logger, 21, 3);
    const CVisaGenericFormat formatter;
    EXPECT_EQ(renderChecked([&](char* out) {
                  return formatter.FormatBoolean(&logger, index, 2, "yes", "no", out);
              }).text,
              "yes");
    EXPECT_EQ(renderChecked([&](char* out) {
                  return formatter.FormatBoolean(&logger, index, 5, "yes", "no", out);
              }).text,
              "no");
}

TEST_F(ScalarFormatTest, VersionsShowMajorMinorAndSubMinor) {
    expectRenderings({
        {"no sub-minor", 25, of<uint32_t>(0x00500800), "0x00500800", "0x00500800 (5.8)"},
        {"with sub-minor", 25, of<uint32_t>(0x00500801), "0x00500801", "0x00500801 (5.8.1)"},
        {"every field at its widest", 25, of<uint32_t>(0xFFFFFFFF), "0xFFFFFFFF",
         "0xFFFFFFFF (4095.4095.255)"},
        {"zero", 25, of<uint32_t>(0), "0", "0"},
    });
}

TEST_F(ScalarFormatTest, HexadecimalValues) {
    expectRenderings({
        {"zero keeps its digits", 39, of<uint32_t>(0), "0x00000000", "0x00000000"},
        {"32-bit", 49, of<uint32_t>(0xABC), "0x00000ABC", "0x00000ABC"},
        {"8 bytes are long in the long form", 51, of<uint64_t>(0x1000), "0x00001000",
         "0x0000000000001000"},
        {"above 32 bits in every form", 51, of<uint64_t>(0x100000000ull), "0x0000000100000000",
         "0x0000000100000000"},
        {"4 bytes", 51, of<uint32_t>(0x1000), "0x00001000", "0x00001000"},
        {"2 bytes", 51, of<uint16_t>(0xBEEF), "0x0000BEEF", "0x0000BEEF"},
    });
}

TEST_F(ScalarFormatTest, PointersAndArraysShowTheirAddress) {
    expectRenderings({
        {"null of 4 bytes", 2, of<uint32_t>(0), "NULL", "NULL"},
        {"4 bytes", 2, of<uint32_t>(0x1000), "0x00001000", "0x00001000"},
        {"8 bytes", 2, of<uint64_t>(0x1000), "0x0000000000001000", "0x0000000000001000"},
        {"null of 8 bytes", 111, of<uint64_t>(0), "NULL", "NULL"},
        {"2 bytes write nothing", 2, of<uint16_t>(0x1000), "", ""},
    });
    for (const int type : {4,  6,  8,  10, 12, 14, 15, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36,
                           38, 40, 41, 42, 44, 50, 52, 55, 56, 57, 65, 66, 67, 68, 69, 70, 82, 83,
                           84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 96, 98, 106, 107, 109}) {
        expectRenderings({{"address code", type, of<uint32_t>(0x20), "0x00000020", "0x00000020"}});
    }
}

TEST_F(ScalarFormatTest, AnAddressWithoutDataShowsNull) {
    CKOVeskMemoryLogger logger;
    const int index = logger.AddParam("buffer", 2);
    logger.SetParamSizeWithoutData(index, 4);
    EXPECT_EQ(render(logger, index, eFormatLine).text, "NULL");
}

// Codes without a scalar rendering write nothing and leave the buffer as it was.
TEST_F(ScalarFormatTest, CodesWithoutRenderingWriteNothing) {
    for (const int type : {0, 94, 99, 100, 102, 112, 1000, -1}) {
        expectRenderings({{"no rendering", type, of<uint32_t>(1), "", ""}});
    }
    CKOVeskMemoryLogger logger;
    EXPECT_EQ(render(logger, 5, eFormatLine).result, 0) << "no such parameter";
}

// --- status codes, event types and attributes with their names --------------------

TEST_F(ScalarFormatTest, StatusCodesWithTheirNames) {
    expectRenderings({
        {"success", 23, of<uint32_t>(0), "0", "0 (VI_SUCCESS)"},
        {"named error", 23, of<uint32_t>(0xBFFF0015), "0xBFFF0015",
         "0xBFFF0015 (VI_ERROR_TMO)"},
        {"named warning", 23, of<uint32_t>(0x3FFF0085), "0x3FFF0085",
         "0x3FFF0085 (VI_WARN_UNKNOWN_STATUS)"},
        {"unnamed", 23, of<uint32_t>(0xBFFF7777), "0xBFFF7777", "0xBFFF7777"},
    });
}

TEST_F(ScalarFormatTest, StatusCodesAreNamedWhateverTheApi) {
    CKOVeskMemoryLogger logger;
    logger.SetFunction("otherCall", 1, 7);
    const int index = addScalar<uint32_t>(logger, 23, 0xBFFF0015);
    EXPECT_EQ(render(logger, index, eFormatLine).text, "0xBFFF0015 (VI_ERROR_TMO)");
}

TEST_F(ScalarFormatTest, EventTypesAndAttributesWithTheirNames) {
    expectRenderings({
        {"event", 27, of<uint32_t>(0x3FFF200B), "SERVICE_REQ",
         "0x3FFF200B (VI_EVENT_SERVICE_REQ)"},
        {"event without the prefix", 27, of<uint32_t>(0x3FFF7FFF), "VI_ALL_ENABLED_EVENTS",
         "0x3FFF7FFF (VI_ALL_ENABLED_EVENTS)"},
        {"unnamed event", 27, of<uint32_t>(0x3FFF2FFF), "0x3FFF2FFF", "0x3FFF2FFF"},
        {"zero event", 27, of<uint32_t>(0), "0", "0"},
        {"attribute", 29, of<uint32_t>(0x3FFF001A), "TMO_VALUE",
         "0x3FFF001A (VI_ATTR_TMO_VALUE)"},
        {"the second attribute code", 101, of<uint32_t>(0xBFFF0002), "RSRC_NAME",
         "0xBFFF0002 (VI_ATTR_RSRC_NAME)"},
        {"everything up to _ATTR_ is dropped", 29, of<uint32_t>(0x3FFF0203), "PXI_SUB_MANF_ID",
         "0x3FFF0203 ((obsolete)VI_ATTR_PXI_SUB_MANF_ID)"},
        {"zero attribute", 101, of<uint32_t>(0), "0", "0"},
    });
}

TEST_F(ScalarFormatTest, OtherApisHaveNoTableNames) {
    CKOVeskMemoryLogger logger;
    logger.SetFunction("otherCall", 1, 7);
    const int attribute = addScalar<uint32_t>(logger, 29, 0x3FFF001A);
    const int event = addScalar<uint32_t>(logger, 27, 0x3FFF200B);
    EXPECT_EQ(render(logger, attribute, eFormatShort).text, "0x3FFF001A");
    EXPECT_EQ(render(logger, attribute, eFormatLine).text, "0x3FFF001A");
    EXPECT_EQ(render(logger, event, eFormatShort).text, "0x3FFF200B");
}

// The call record opens help on the parameter that holds an event type or
// attribute: the index is reported for every non-zero one, named or not.
TEST_F(ScalarFormatTest, EventTypesAndAttributesReportTheirIndex) {
    CKOVeskMemoryLogger logger;
    addScalar<uint32_t>(logger, 1, 5);
    const int event = addScalar<uint32_t>(logger, 27, 0x3FFF200B);
    const int attribute = addScalar<uint32_t>(logger, 101, 0x3FFF7777);
    const int zero = addScalar<uint32_t>(logger, 29, 0);
    for (const eFormatSpecifier format : {eFormatShort, eFormatLine}) {
        int help = -1;
        render(logger, event, format, &help);
        EXPECT_EQ(help, event);
        help = -1;
        render(logger, attribute, format, &help);
        EXPECT_EQ(help, attribute);
        help = -1;
        render(logger, zero, format, &help);
        EXPECT_EQ(help, -1);
        render(logger, 0, format, &help);
        EXPECT_EQ(help, -1);
    }
    EXPECT_EQ(render(logger, event, eFormatLine, nullptr).text,
              "0x3FFF200B (VI_EVENT_SERVICE_REQ)");
}

// What the generic formatter does with the codes that need VISA names.
TEST_F(ScalarFormatTest, TheGenericFormatterShowsNamedCodesAsNumbers) {
    CKOVeskMemoryLogger logger;
    const int status = addScalar<int32_t>(logger, 23, static_cast<int32_t>(0xBFFF0015));
    const int success = addScalar<int32_t>(logger, 23, 0);
    const int event = addScalar<uint32_t>(logger, 27, 0x3FFF200B);
    const int zero = addScalar<uint32_t>(logger, 29, 0);
    const int attribute = addScalar<uint32_t>(logger, 101, 0x3FFF001A);
    const int hostNamed = addCaptured(logger, 103, bytesOf<uint32_t>({1, 0x22}));
    EXPECT_EQ(renderGeneric(logger, status, eFormatLine).text, "0xBFFF0015");
    EXPECT_EQ(renderGeneric(logger, success, eFormatShort).text, "0");
    EXPECT_EQ(renderGeneric(logger, success, eFormatFull).text, "0 (VI_SUCCESS)");
    int help = -1;
    EXPECT_EQ(renderGeneric(logger, event, eFormatLine, &help).text, "0x3FFF200B");
    EXPECT_EQ(help, event);
    help = -1;
    EXPECT_EQ(renderGeneric(logger, zero, eFormatLine, &help).text, "0");
    EXPECT_EQ(help, -1);
    EXPECT_EQ(renderGeneric(logger, attribute, eFormatLine).result, 0);
    EXPECT_EQ(renderGeneric(logger, hostNamed, eFormatLine).result, 0);
}

// --- names supplied by the host ------------------------------------------------------

std::wstring g_hostName;

bool hostNamesEverything(const IKoVeskLogger*, int, eKoVeskLocale, bool, uint32_t capacity,
                         wchar_t* buffer) {
    if (g_hostName.size() >= capacity) return false;
    std::wcscpy(buffer, g_hostName.c_str());
    return true;
}

class HostNamedScalarTest : public ScalarFormatTest {
protected:
    void SetUp() override {
        ScalarFormatTest::SetUp();
        CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa);
        info->hasValueNames = true;
        info->valueNameCallback = hostNamesEverything;
    }
};

// Code 103 shows the second 32-bit word of its data, named by the host only.
TEST_F(HostNamedScalarTest, HostNamedValuesShowTheSecondWord) {
    g_hostName = L"VI_ATTR_HOST_NAMED";
    expectRenderings({
        {"named by the host, shown whole", 103, bytesOf<uint32_t>({1, 0x22}),
         "VI_ATTR_HOST_NAMED", "0x00000022 (VI_ATTR_HOST_NAMED)"},
        {"fewer than 8 bytes", 103, of<uint32_t>(0x22), "0", "0"},
    });
    CVeskApiInfo::ResetAll();
    expectRenderings({
        {"no host name", 103, bytesOf<uint32_t>({1, 0}), "0x00000000", "0x00000000"},
    });
}

TEST_F(HostNamedScalarTest, AHostNamedValueWithoutDataShowsZero) {
    CKOVeskMemoryLogger logger;
    const int index = logger.AddParam("value", 103);
    logger.SetParamSizeWithoutData(index, 8);
    int help = -1;
    EXPECT_EQ(render(logger, index, eFormatLine, &help).text, "0");
    EXPECT_EQ(help, -1);
}

TEST_F(HostNamedScalarTest, TheHostsNamesAreShortenedLikeTheTables) {
    g_hostName = L"MY_ATTR_TIMEOUT";
    expectRenderings({
        {"attribute", 29, of<uint32_t>(0x3FFF001A), "TIMEOUT", "0x3FFF001A (MY_ATTR_TIMEOUT)"},
    });
    g_hostName = L"Timeout";
    expectRenderings({
        {"without _ATTR_", 29, of<uint32_t>(0x3FFF001A), "Timeout", "0x3FFF001A (Timeout)"},
        {"event without the prefix", 27, of<uint32_t>(0x3FFF200B), "Timeout",
         "0x3FFF200B (Timeout)"},
        {"status", 23, of<uint32_t>(0xBFFF0015), "0xBFFF0015", "0xBFFF0015 (Timeout)"},
    });
}

// The longest name the lookup gives (1023 characters) still leaves the
// value and both parentheses in the long form: the name is cut.
TEST_F(HostNamedScalarTest, TheLongestNameIsCutBehindItsValue) {
    g_hostName = std::wstring(1023, L'n');
    const std::string cut = "0x3FFF001A (" + std::string(1010, 'n') + ")";
    expectRenderings({
        {"long name", 29, of<uint32_t>(0x3FFF001A), std::string(1023, 'n'), cut},
    });
}

// --- handles and the hidden session parameter -------------------------------------

// A call whose handle at index 3 follows its hidden session parameter.
class SessionHandleTest : public ScalarFormatTest {
protected:
    int addCall(const std::string& session, Bytes handle = of<uint32_t>(0x10),
                const char* hiddenName = "dummysession", int hiddenType = 46) {
        addScalar<uint32_t>(m_logger, 1, 0);
        addScalar<uint32_t>(m_logger, 1, 0);
        m_hidden = addCaptured(m_logger, hiddenType, textOf(session), hiddenName);
        return addCaptured(m_logger, 35, handle, "vi");
    }
    std::string renderHandle(int index, eFormatSpecifier format) {
        return render(m_logger, index, format).text;
    }

    CKOVeskMemoryLogger m_logger;
    int m_hidden = -1;
};

TEST_F(SessionHandleTest, TheSessionTextPrecedesTheHandle) {
    const int handle = addCall("GPIB0::1::INSTR");
    EXPECT_EQ(handle, 3);
    EXPECT_EQ(renderHandle(handle, eFormatShort), "GPIB0::1::INSTR (0x00000010)");
    EXPECT_EQ(renderHandle(handle, eFormatLine), "GPIB0::1::INSTR (0x00000010)");
    EXPECT_EQ(renderHandle(handle, eFormatUnquoted), "GPIB0::1::INSTR (0x00000010)");
}

TEST_F(SessionHandleTest, EightByteHandlesAreLongInTheLongForm) {
    const int handle = addCall("GPIB0::1::INSTR", of<uint64_t>(0x10));
    EXPECT_EQ(renderHandle(handle, eFormatShort), "GPIB0::1::INSTR (0x00000010)");
    EXPECT_EQ(renderHandle(handle, eFormatLine), "GPIB0::1::INSTR (0x0000000000000010)");
}

TEST_F(SessionHandleTest, HandlesAbove32BitsAreLongInEveryForm) {
    const int handle = addCall("GPIB0::1::INSTR", of<uint64_t>(0x100000010ull));
    EXPECT_EQ(renderHandle(handle, eFormatShort), "GPIB0::1::INSTR (0x0000000100000010)");
}

TEST_F(SessionHandleTest, WithoutAHiddenParameterTheHandleStandsAlone) {
    CKOVeskMemoryLogger logger;
    const int first = addScalar<uint32_t>(logger, 35, 0x10);
    EXPECT_EQ(render(logger, first, eFormatLine).text, "0x00000010");
    const int other = addScalar<uint32_t>(logger, 37, 0x11);
    EXPECT_EQ(render(logger, other, eFormatLine).text, "0x00000011");
    const int wide = addScalar<uint64_t>(logger, 33, 0x12);
    EXPECT_EQ(render(logger, wide, eFormatShort).text, "0x00000012");
    EXPECT_EQ(render(logger, wide, eFormatLine).text, "0x0000000000000012");
}

// Only the parameter directly before the handle, and only with the prefix.
TEST_F(SessionHandleTest, TheHiddenParameterIsRecognisedByItsNamePrefix) {
    EXPECT_EQ(renderHandle(addCall("GPIB0::1::INSTR", of<uint32_t>(0x10), "dummyses"),
                           eFormatLine),
              "GPIB0::1::INSTR (0x00000010)");
    EXPECT_EQ(renderHandle(addCall("GPIB0::1::INSTR", of<uint32_t>(0x10), "dummy"), eFormatLine),
              "0x00000010");
    EXPECT_EQ(renderHandle(addCall("GPIB0::1::INSTR", of<uint32_t>(0x10), "session"),
                           eFormatLine),
              "0x00000010");
}

TEST_F(SessionHandleTest, AnEmptyHiddenParameterIsNotUsed) {
    EXPECT_EQ(renderHandle(addCall(""), eFormatLine), "0x00000010");
}

TEST_F(SessionHandleTest, AHiddenParameterWithoutDataLeavesTheBracketedHandle) {
    const int handle = addCall("x");
    m_logger.SetParamSizeWithoutData(m_hidden, 15);
    EXPECT_EQ(renderHandle(handle, eFormatLine), " (0x00000010)");
}

TEST_F(SessionHandleTest, ABlankOrParenthesisQuotesTheSessionText) {
    const int withBlank = addCall("ASRL1 INSTR");
    EXPECT_EQ(renderHandle(withBlank, eFormatShort), "\"ASRL1 INSTR\" (0x00000010)");
    EXPECT_EQ(renderHandle(withBlank, eFormatFull), "\"ASRL1 INSTR\" (0x00000010)");
    EXPECT_EQ(renderHandle(withBlank, eFormatUnquoted), "ASRL1 INSTR (0x00000010)");
    const int withParenthesis = addCall("alias(1)");
    EXPECT_EQ(renderHandle(withParenthesis, eFormatLine), "\"alias(1)\" (0x00000010)");
}

// The short form keeps 24 bytes of a session text of 28 bytes or more.
TEST_F(SessionHandleTest, TheShortFormCutsLongSessionTexts) {
    const std::string text27 = "TCPIP0::10.0.0.1::5025::SOC";
    const std::string text28 = text27 + "K";
    EXPECT_EQ(renderHandle(addCall(text27), eFormatShort), text27 + " (0x00000010)");
    EXPECT_EQ(renderHandle(addCall(text28), eFormatShort),
              text28.substr(0, 24) + "... (0x00000010)");
    EXPECT_EQ(renderHandle(addCall(text28), eFormatLine), text28 + " (0x00000010)");
    EXPECT_EQ(renderHandle(addCall(text28 + " x"), eFormatShort),
              "\"" + text28.substr(0, 24) + "...\" (0x00000010)");
}

TEST_F(SessionHandleTest, APartlyCapturedSessionTextShowsBothHalves) {
    const int handle = addCall("012345678");
    m_logger.SetParamTruncated(m_hidden, true);
    EXPECT_EQ(renderHandle(handle, eFormatLine), "0123...4567 (0x00000010)");
}

// UTF-8 session texts are cut on whole characters and converted.
TEST_F(SessionHandleTest, Utf8SessionTextsAreCutOnWholeCharacters) {
    const int partial = addCall("abc\xC3\xA9" "def", of<uint32_t>(0x10), "dummyses", 110);
    m_logger.SetParamTruncated(m_hidden, true);
    EXPECT_EQ(renderHandle(partial, eFormatLine), "abc...def (0x00000010)");

    const std::string longText = std::string(23, 'a') + "\xC3\xA9" + "bcdef";
    const int shortCut = addCall(longText, of<uint32_t>(0x10), "dummyses", 110);
    EXPECT_EQ(renderHandle(shortCut, eFormatShort), std::string(23, 'a') + "... (0x00000010)");
    EXPECT_EQ(renderHandle(shortCut, eFormatLine), std::string(23, 'a') + "?bcdef (0x00000010)");
}

TEST_F(SessionHandleTest, AnInvalidUtf8SessionTextThrows) {
    const int handle = addCall("\xC0\x80", of<uint32_t>(0x10), "dummyses", 110);
    EXPECT_THROW(render(m_logger, handle, eFormatLine), ko::zel::exception::InvalidSequence);
}

// A session text far beyond the buffer is cut so that the handle still fits.
TEST_F(SessionHandleTest, AHugeSessionTextLeavesRoomForTheHandle) {
    const int plain = addCall(std::string(5000, 'A'));
    EXPECT_EQ(renderHandle(plain, eFormatLine), std::string(1010, 'A') + " (0x00000010)");

    const int wide = addCall(std::string(5000, 'A'), of<uint64_t>(0x10));
    EXPECT_EQ(renderHandle(wide, eFormatLine), std::string(1002, 'A') + " (0x0000000000000010)");

    const int quoted = addCall("A B" + std::string(4997, 'B'));
    EXPECT_EQ(renderHandle(quoted, eFormatFull),
              "\"A B" + std::string(1005, 'B') + "\" (0x00000010)");

    const int partial = addCall(std::string(2500, 'H') + std::string(2500, 'T'));
    m_logger.SetParamTruncated(m_hidden, true);
    EXPECT_EQ(renderHandle(partial, eFormatLine),
              std::string(504, 'H') + "..." + std::string(503, 'T') + " (0x00000010)");
}

TEST_F(SessionHandleTest, FormatNamedDummyParameterFillsTheWholeBuffer) {
    addCall(std::string(5000, 'A'));
    const CVisaGenericFormat formatter;
    const Rendered rendered = renderChecked([&](char* out) {
        return formatter.FormatNamedDummyParameter(&m_logger, m_hidden, 5000, eFormatLine, out);
    });
    EXPECT_EQ(rendered.text, std::string(1023, 'A'));
    EXPECT_EQ(renderChecked([&](char* out) {
                  return formatter.FormatNamedDummyParameter(&m_logger, m_hidden, 0, eFormatLine,
                                                             out);
              }).result,
              0);
}

// --- texts and time stamps ------------------------------------------------------------

TEST_F(ScalarFormatTest, TextsGoToTheStringRenderersWithTheSelectorUnchanged) {
    const std::string longText(300, 'x');
    for (const int type : {45, 46, 48, 79, 110}) {
        SCOPED_TRACE(type);
        CKOVeskMemoryLogger logger;
        const int index = addCaptured(logger, type, textOf(longText));
        EXPECT_EQ(render(logger, index, eFormatShort).text,
                  "\"" + longText.substr(0, 15) + "..." + longText.substr(0, 15) + "\"");
        EXPECT_EQ(render(logger, index, eFormatLine).text, "\"" + longText.substr(0, 256) + "...\"");
        EXPECT_EQ(render(logger, index, eFormatFull).text, "\"" + longText + "\"");
        EXPECT_EQ(render(logger, index, eFormatUnquoted).text, longText);
        const int partial = addCaptured(logger, type, textOf("0123"));
        logger.SetParamTruncated(partial, true);
        EXPECT_EQ(render(logger, partial, eFormatLine).text, "\"01...23\"");
    }
    CKOVeskMemoryLogger logger;
    const int utf8 = addCaptured(logger, 110, textOf("\xC3\xA9"));
    EXPECT_EQ(render(logger, utf8, eFormatLine).text, "\"?\"") << "UTF-8 in the C locale";
}

TEST_F(ScalarFormatTest, TextWithoutDataShowsAsEmpty) {
    CKOVeskMemoryLogger logger;
    const int index = logger.AddParam("text", 46);
    logger.SetParamSizeWithoutData(index, 12);
    EXPECT_EQ(render(logger, index, eFormatLine).text, "\"\"");
    EXPECT_EQ(render(logger, index, eFormatUnquoted).result, 0);
}

// Sets an environment variable for one scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name) {
        const char* previous = std::getenv(name);
        m_had = previous != nullptr;
        if (m_had) m_previous = previous;
        setenv(name, value, 1);
        tzset();
    }
    ~ScopedEnvironment() {
        m_had ? setenv(m_name, m_previous.c_str(), 1) : unsetenv(m_name);
        tzset();
    }

private:
    const char* m_name;
    bool m_had = false;
    std::string m_previous;
};

// 2020-01-02 03:04:05.25 UTC: a quarter second of fraction, then the seconds
// since 1904.
Bytes timeCapture(uint64_t fraction = 0x4000000000000000ull, uint64_t seconds = 3660779045ull) {
    return bytesOf<uint64_t>({fraction, seconds});
}

TEST_F(ScalarFormatTest, TimeStampsShowLocalDateAndTime) {
    const ScopedEnvironment zone("TZ", "UTC");
    const ScopedEnvironment locale("LC_ALL", "C");
    expectRenderings({
        {"quarter second", 108, timeCapture(), "01/02/20 03:04:05", "01/02/20 03:04:05.250"},
    });
    const ScopedEnvironment shifted("TZ", "XST-1");
    expectRenderings({
        {"local time", 108, timeCapture(), "01/02/20 04:04:05", "01/02/20 04:04:05.250"},
    });
}

TEST_F(ScalarFormatTest, TheSmallestTimeStampWritesNothing) {
    expectRenderings({{"no time", 108, timeCapture(0, 0x8000000000000000ull), "", ""}});
}

// Each of the four 32-bit words needs 4 bytes left in the capture.
TEST_F(ScalarFormatTest, AShortTimeCaptureThrows) {
    for (const size_t size : {0, 3, 4, 12, 15}) {
        CKOVeskMemoryLogger logger;
        Bytes capture = timeCapture();
        capture.resize(size);
        const int index = addCaptured(logger, 108, capture);
        try {
            render(logger, index, eFormatLine);
            ADD_FAILURE() << size << " bytes rendered";
        } catch (const ko::zel::exception::DeserializationError& error) {
            EXPECT_EQ(error.line(), 0);
            EXPECT_EQ(error.file(), nullptr);
        }
    }
    CKOVeskMemoryLogger logger;
    const int index = logger.AddParam("time", 108);
    logger.SetParamSizeWithoutData(index, 16);
    EXPECT_THROW(render(logger, index, eFormatLine), ko::zel::exception::DeserializationError);
}

// --- the process-wide formatter -------------------------------------------------------

TEST(FormatterSingletonTest, EveryCallerGetsTheSameFormatter) {
    CVisaFormat* seen[2] = {nullptr, nullptr};
    std::thread first([&] { seen[0] = CVisaFormat::GetSingletonVisaFormatter(); });
    std::thread second([&] { seen[1] = CVisaFormat::GetSingletonVisaFormatter(); });
    first.join();
    second.join();
    EXPECT_NE(seen[0], nullptr);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0], CVisaFormat::GetSingletonVisaFormatter());
}

}  // namespace
}  // namespace nKoVeskLog210
