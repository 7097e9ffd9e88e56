#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "format/CVisaFormat.h"
#include "ko/zel/Exception.h"
#include "tests/format/format_test_support.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::addCaptured;
using kovesk_test::Bytes;
using kovesk_test::bytesOf;
using kovesk_test::of;
using kovesk_test::Rendered;

Rendered render(const IKoVeskLogger& logger, int index, eFormatSpecifier format,
                int* helpIndex = nullptr) {
    return kovesk_test::renderChecked([&](char* out) {
        return CVisaFormat::GetSingletonVisaFormatter()->FormatCallArgScalar(
            &logger, index, out, format, helpIndex, nullptr);
    });
}

// Parameters of each code captured with `capture`: the short form, and the
// long forms (line, full, unquoted), which scalars do not tell apart. An
// empty text means nothing is written and the buffer is untouched.
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
            EXPECT_EQ(render(logger, index, eFormatShort).text, cases[row].shortText);
            for (const eFormatSpecifier format : {eFormatLine, eFormatFull, eFormatUnquoted})
                EXPECT_EQ(render(logger, index, format).text, cases[row].longText) << format;
        }
    }
}

class ScalarFormatTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_ALL, "C");
        CVeskApiInfo::ResetAll();
    }
    void TearDown() override { CVeskApiInfo::ResetAll(); }
};

// Every code family at the captured sizes that pick its read: 1, 2, 4 and 8
// bytes and a size it does not know.
TEST_F(ScalarFormatTest, IntegerFamiliesAtEachCapturedSize) {
    expectRenderings({
        {{1}, of<uint32_t>(300), "300", "300 (0x12C)"},
        {{1}, of<uint8_t>(0xFF), "255", "255 (0xFF)"},
        {{1}, of<uint16_t>(0xFFFF), "65535", "65535 (0xFFFF)"},
        {{1}, of<uint64_t>(1ull << 32), "4294967296", "4294967296 (0x0000000100000000)"},
        {{1, 3, 5}, Bytes{1, 2, 3}, "0", "0 (0x0)"},
        {{31, 47, 53, 54, 58, 71, 72}, of<uint32_t>(7), "7", "7 (0x7)"},
        {{3}, of<int32_t>(-1), "-1", "-1 (0xFFFFFFFF)"},
        {{3}, of<uint8_t>(0xFF), "255", "255 (0xFF)"},
        {{3}, of<int64_t>(-2), "-2", "-2 (0xFFFFFFFFFFFFFFFE)"},
        {{59, 75, 76}, of<int32_t>(-7), "-7", "-7 (0xFFFFFFF9)"},
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
        {{95}, of<uint64_t>(UINT64_MAX), "18446744073709551615",
         "18446744073709551615 (0xFFFFFFFFFFFFFFFF)"},
        {{97}, of<int64_t>(-1), "-1", "-1 (0xFFFFFFFFFFFFFFFF)"},
        {{104, 105}, of<uint32_t>(7), "0", "0 (0x0000000000000000)"},
    });
}

// "%.6G" in the short form; fixed and exponent in the long form between
// 1E-06 and 1E+07, exclusive; the special values named.
TEST_F(ScalarFormatTest, Reals) {
    const double inf = std::numeric_limits<double>::infinity();
    expectRenderings({
        {{17}, of<double>(12.5), "12.5", "12.500000 (1.250000E+01)"},
        {{19}, of<double>(-2.5), "-2.5", "-2.500000 (-2.500000E+00)"},
        {{80}, of<float>(1.5f), "1.5", "1.500000 (1.500000E+00)"},
        {{81}, of<double>(1e-9), "1E-09", "1E-09"},
        {{17}, of<double>(0.0), "0", "0"},
        {{17}, of<double>(12345678.0), "1.23457E+07", "1.23457E+07"},
        {{17}, of<double>(9999999.9), "1E+07", "1E+07"},
        {{17}, of<double>(9999999.8), "1E+07", "9999999.800000 (1.000000E+07)"},
        {{17}, of<double>(0.000001), "1E-06", "1E-06"},
        {{17}, of<double>(0.0000011), "1.1E-06", "0.000001 (1.100000E-06)"},
        {{17}, of<double>(inf), "INF", "INF"},
        {{17}, of<double>(-inf), "NINF", "NINF"},
        {{19}, of<double>(std::nan("")), "NAN", "NAN"},
        {{17}, of<float>(-std::numeric_limits<float>::infinity()), "NINF", "NINF"},
        {{17}, of<float>(std::nanf("")), "NAN", "NAN"},
        {{17}, of<uint16_t>(1), "", ""},
        {{19}, Bytes{}, "", ""},
    });
}

// Booleans count the low 16 bits; versions split major.minor[.sub]; hex and
// addresses widen to 16 digits for 8 bytes in the long form (or above 32
// bits); codes without a scalar rendering write nothing.
TEST_F(ScalarFormatTest, BooleansVersionsHexAndAddresses) {
    expectRenderings({
        {{21}, of<uint16_t>(1), "VI_TRUE", "VI_TRUE"},
        {{21}, of<uint16_t>(0), "VI_FALSE", "VI_FALSE"},
        {{21}, of<uint32_t>(0x10000), "VI_FALSE", "VI_FALSE"},
        {{21}, of<uint8_t>(2), "VI_TRUE", "VI_TRUE"},
        {{21}, of<uint64_t>(0x10001), "VI_TRUE", "VI_TRUE"},
        {{21}, Bytes{1, 1, 1}, "VI_FALSE", "VI_FALSE"},
        {{25}, of<uint32_t>(0x00500800), "0x00500800", "0x00500800 (5.8)"},
        {{25}, of<uint32_t>(0x00500801), "0x00500801", "0x00500801 (5.8.1)"},
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
    CKOVeskMemoryLogger logger;
    EXPECT_EQ(render(logger, 5, eFormatLine).result, 0) << "no such parameter";
}

// A size the logger holds no bytes for.
TEST_F(ScalarFormatTest, SizesWithoutData) {
    const struct {
        int type, size;
        const char* expected;
    } cases[] = {{95, 8, "0 (0x0000000000000000)"}, {2, 4, "NULL"}, {103, 8, "0"}, {46, 12, "\"\""}};
    for (const auto& c : cases) {
        CKOVeskMemoryLogger logger;
        const int index = logger.AddParam("p", c.type);
        logger.SetParamSizeWithoutData(index, c.size);
        EXPECT_EQ(render(logger, index, eFormatLine).text, c.expected) << c.type;
    }
}

// Status codes, event types and attributes: short names in the short form,
// table names behind the value in the long form.
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
        {{101}, of<uint32_t>(0xBFFF0002), "RSRC_NAME", "0xBFFF0002 (VI_ATTR_RSRC_NAME)"},
        {{29}, of<uint32_t>(0x3FFF0203), "PXI_SUB_MANF_ID",
         "0x3FFF0203 ((obsolete)VI_ATTR_PXI_SUB_MANF_ID)"},
    });
}

// Help opens on a non-zero event type or attribute, named or not. Other
// APIs get no table names, except for status codes.
TEST_F(ScalarFormatTest, HelpIndexAndOtherApis) {
    CKOVeskMemoryLogger logger;
    const int event = addCaptured(logger, 27, of<uint32_t>(0x3FFF200B));
    const int attribute = addCaptured(logger, 101, of<uint32_t>(0x3FFF7777));
    const int zero = addCaptured(logger, 29, of<uint32_t>(0));
    for (const eFormatSpecifier format : {eFormatShort, eFormatLine}) {
        for (const int index : {event, attribute, zero}) {
            int help = -1;
            render(logger, index, format, &help);
            EXPECT_EQ(help, index == zero ? -1 : index);
        }
    }
    logger.SetFunction("otherCall", 1, 7);
    const int tmo = addCaptured(logger, 29, of<uint32_t>(0x3FFF001A));
    const int status = addCaptured(logger, 23, of<uint32_t>(0xBFFF0015));
    EXPECT_EQ(render(logger, tmo, eFormatShort).text, "0x3FFF001A");
    EXPECT_EQ(render(logger, tmo, eFormatLine).text, "0x3FFF001A");
    EXPECT_EQ(render(logger, event, eFormatShort).text, "0x3FFF200B");
    EXPECT_EQ(render(logger, status, eFormatLine).text, "0xBFFF0015 (VI_ERROR_TMO)");
}

// The generic formatter has no event or attribute tables.
TEST_F(ScalarFormatTest, TheGenericFormatterShowsNamedCodesAsNumbers) {
    CKOVeskMemoryLogger logger;
    const int event = addCaptured(logger, 27, of<uint32_t>(0x3FFF200B));
    const int attribute = addCaptured(logger, 101, of<uint32_t>(0x3FFF001A));
    const CVisaGenericFormat generic;
    const auto renderGeneric = [&](int index, int* help) {
        return kovesk_test::renderChecked([&](char* out) {
            return generic.FormatCallArgScalar(&logger, index, out, eFormatLine, help, nullptr);
        });
    };
    int help = -1;
    EXPECT_EQ(renderGeneric(event, &help).text, "0x3FFF200B");
    EXPECT_EQ(help, event);
    EXPECT_EQ(renderGeneric(attribute, nullptr).result, 0);
}

std::wstring g_hostName;

bool hostNamesEverything(const IKoVeskLogger*, int, eKoVeskLocale, bool, uint32_t capacity,
                         wchar_t* buffer) {
    if (g_hostName.size() >= capacity) return false;
    std::wcscpy(buffer, g_hostName.c_str());
    return true;
}

// Code 103 shows the second 32-bit word, named by the host only; the host's
// names are shortened at "_ATTR_" like the tables'.
TEST_F(ScalarFormatTest, HostNamedValues) {
    CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa);
    info->hasValueNames = true;
    info->valueNameCallback = hostNamesEverything;
    g_hostName = L"MY_ATTR_TIMEOUT";
    expectRenderings({
        {{103}, bytesOf<uint32_t>({1, 0x22}), "MY_ATTR_TIMEOUT", "0x00000022 (MY_ATTR_TIMEOUT)"},
        {{103}, of<uint32_t>(0x22), "0", "0"},
        {{29}, of<uint32_t>(0x3FFF001A), "TIMEOUT", "0x3FFF001A (MY_ATTR_TIMEOUT)"},
        {{23}, of<uint32_t>(0xBFFF0015), "0xBFFF0015", "0xBFFF0015 (MY_ATTR_TIMEOUT)"},
    });
    CVeskApiInfo::ResetAll();
    expectRenderings({{{103}, bytesOf<uint32_t>({1, 0}), "0x00000000", "0x00000000"}});
}

// A handle shows the session text of the "dummyses..." parameter directly
// before it.
class SessionHandleTest : public ScalarFormatTest {
protected:
    int addCall(const std::string& session, Bytes handle = of<uint32_t>(0x10),
                const char* hiddenName = "dummyses", int hiddenType = 46) {
        addCaptured(m_logger, 1, of<uint32_t>(0));
        m_hidden = addCaptured(m_logger, hiddenType, bytesOf(session), hiddenName);
        return addCaptured(m_logger, 35, handle, "vi");
    }
    std::string handle(int index, eFormatSpecifier format) {
        return render(m_logger, index, format).text;
    }

    CKOVeskMemoryLogger m_logger;
    int m_hidden = -1;
};

TEST_F(SessionHandleTest, TheSessionTextPrecedesTheHandle) {
    const int first = addCaptured(m_logger, 35, of<uint32_t>(0x10));
    EXPECT_EQ(handle(first, eFormatLine), "0x00000010") << "index 0 has nothing before it";
    const int plain = addCall("GPIB0::1::INSTR");
    EXPECT_EQ(handle(plain, eFormatShort), "GPIB0::1::INSTR (0x00000010)");
    EXPECT_EQ(handle(plain, eFormatUnquoted), "GPIB0::1::INSTR (0x00000010)");
    const int wide = addCall("GPIB0::1::INSTR", of<uint64_t>(0x10), "dummysession");
    EXPECT_EQ(handle(wide, eFormatShort), "GPIB0::1::INSTR (0x00000010)");
    EXPECT_EQ(handle(wide, eFormatLine), "GPIB0::1::INSTR (0x0000000000000010)");
    EXPECT_EQ(handle(addCall("GPIB0::1::INSTR", of<uint32_t>(0x10), "dummy"), eFormatLine),
              "0x00000010");
    EXPECT_EQ(handle(addCall(""), eFormatLine), "0x00000010");
    const int blank = addCall("ASRL1 INSTR");
    EXPECT_EQ(handle(blank, eFormatShort), "\"ASRL1 INSTR\" (0x00000010)");
    EXPECT_EQ(handle(blank, eFormatUnquoted), "ASRL1 INSTR (0x00000010)");
    EXPECT_EQ(handle(addCall("alias(1)"), eFormatLine), "\"alias(1)\" (0x00000010)");
}

// The short form keeps 24 bytes of a session text of 28 bytes or more.
TEST_F(SessionHandleTest, TheShortFormCutsAt28Bytes) {
    const std::string text27 = "TCPIP0::10.0.0.1::5025::SOC";
    const std::string text28 = text27 + "K";
    EXPECT_EQ(handle(addCall(text27), eFormatShort), text27 + " (0x00000010)");
    EXPECT_EQ(handle(addCall(text28), eFormatShort), text28.substr(0, 24) + "... (0x00000010)");
    EXPECT_EQ(handle(addCall(text28), eFormatLine), text28 + " (0x00000010)");
    EXPECT_EQ(handle(addCall(text28 + " x"), eFormatShort),
              "\"" + text28.substr(0, 24) + "...\" (0x00000010)");
}

// Partial captures show both halves; UTF-8 texts are cut on whole
// characters, and invalid UTF-8 throws.
TEST_F(SessionHandleTest, PartialAndUtf8SessionTexts) {
    const int partial = addCall("012345678");
    m_logger.SetParamTruncated(m_hidden, true);
    EXPECT_EQ(handle(partial, eFormatLine), "0123...4567 (0x00000010)");
    const int utf8Partial = addCall("abc\xC3\xA9" "def", of<uint32_t>(0x10), "dummyses", 110);
    m_logger.SetParamTruncated(m_hidden, true);
    EXPECT_EQ(handle(utf8Partial, eFormatLine), "abc...def (0x00000010)");
    const std::string longText = std::string(23, 'a') + "\xC3\xA9" + "bcdef";
    const int cut = addCall(longText, of<uint32_t>(0x10), "dummyses", 110);
    EXPECT_EQ(handle(cut, eFormatShort), std::string(23, 'a') + "... (0x00000010)");
    EXPECT_EQ(handle(cut, eFormatLine), std::string(23, 'a') + "?bcdef (0x00000010)");
    const int invalid = addCall("\xC0\x80", of<uint32_t>(0x10), "dummyses", 110);
    EXPECT_THROW(render(m_logger, invalid, eFormatLine), ko::zel::exception::InvalidSequence);
}

// Text codes reach the string renderers with the selector unchanged.
TEST_F(ScalarFormatTest, TextCodesUseTheStringRenderers) {
    for (const int type : {45, 46, 48, 79, 110}) {
        CKOVeskMemoryLogger logger;
        const int index = addCaptured(logger, type, bytesOf(std::string(300, 'x')));
        EXPECT_EQ(render(logger, index, eFormatLine).text, "\"" + std::string(256, 'x') + "...\"");
        EXPECT_EQ(render(logger, index, eFormatUnquoted).text, std::string(300, 'x'));
    }
}

// 2020-01-02 03:04:05.25 UTC as a fraction and the seconds since 1904; four
// 32-bit words, each needing 4 bytes left in the capture.
TEST_F(ScalarFormatTest, TimeStamps) {
    const char* zone = std::getenv("TZ");
    const std::string previous = zone ? zone : "";
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
    zone ? setenv("TZ", previous.c_str(), 1) : unsetenv("TZ");
    tzset();
}

}  // namespace
}  // namespace nKoVeskLog210
