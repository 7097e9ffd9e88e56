// Scalar arguments (FormatCallArgScalar): the boundaries of each kind of
// data type code, tested on a named code of that kind, and every code of the
// table rendered as the named code of its kind is.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "format/CVisaFormat.h"
#include "format/DataTypeCodes.h"
#include "ko/zel/Exception.h"
#include "tests/format/FormatTestSupport.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::addCaptured;
using kovesk_test::Bytes;
using kovesk_test::bytesOf;
using kovesk_test::of;
using kovesk_test::renderScalar;

constexpr eFormatSpecifier kEveryForm[] = {eFormatShort, eFormatLine, eFormatFull, eFormatUnquoted};

// Codes captured with `capture`: their short form, and the long forms, which
// scalars do not tell apart; "" means nothing written, the buffer untouched.
struct tScalarCase {
    std::vector<int> codes;
    Bytes capture;
    std::string shortText, longText;
};

void expectRenderings(const std::vector<tScalarCase>& cases) {
    for (size_t row = 0; row < cases.size(); ++row) {
        for (const int code : cases[row].codes) {
            SCOPED_TRACE(testing::Message() << "row " << row << ", code " << code);
            CKOVeskMemoryLogger logger;
            const int index = addCaptured(logger, code, cases[row].capture);
            for (const eFormatSpecifier format : kEveryForm)
                EXPECT_EQ(renderScalar(logger, index, format),
                          format == eFormatShort ? cases[row].shortText : cases[row].longText) << format;
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

// Each integer kind at the captured sizes that pick its read: 1, 2, 4 and 8
// bytes and a size it does not know.
TEST_F(ScalarFormatTest, IntegerKindsAtEachCapturedSize) {
    expectRenderings({
        {{kCodeUInt32}, of<uint64_t>(1ull << 32), "4294967296", "4294967296 (0x0000000100000000)"},
        {{kCodeUInt32, kCodeInt32, kCodeUInt16}, Bytes{1, 2, 3}, "0", "0 (0x0)"},
        {{kCodeUInt32}, of<uint32_t>(0x12C), "300", "300 (0x12C)"},
        {{kCodeUInt32, kCodeInt32}, of<uint8_t>(0xFF), "255", "255 (0xFF)"},
        {{kCodeInt32}, of<int64_t>(-2), "-2", "-2 (0xFFFFFFFFFFFFFFFE)"},
        {{kCodeInt32}, of<int32_t>(-7), "-7", "-7 (0xFFFFFFF9)"},
        {{kCodeUInt16}, of<uint32_t>(0x12345), "9029", "9029 (0x2345)"},
        {{kCodeUInt16}, of<uint64_t>(0x1111222233334444ull), "17476", "17476 (0x4444)"},
        {{kCodeInt16}, of<uint16_t>(0xFFFF), "-1", "-1 (0xFFFF)"},
        {{kCodeInt16}, of<uint32_t>(0x18000), "-32768", "-32768 (0x8000)"},
        {{kCodeInt16Decimal}, of<uint16_t>(0xFFFE), "-2", "-2"},
        {{kCodeUInt8}, of<uint8_t>(200), "200", "200 (0xC8)"},
        {{kCodeUInt8}, of<uint16_t>(0x1FF), "255", "255 (0xFF)"},
        {{kCodeInt8}, of<uint8_t>(0x80), "-128", "-128 (0x80)"},
        {{kCodeInt8}, of<uint64_t>(0xFF), "-1", "-1 (0xFF)"},
        {{kCodeChar}, of<uint8_t>(65), "65 ('A', 0x41)", "65 ('A', 0x41)"},
        {{kCodeChar}, of<uint8_t>(10), "10 (0xA)", "10 (0xA)"},
        {{kCodeChar}, of<uint32_t>(0x17A), "122 ('z', 0x7A)", "122 ('z', 0x7A)"},
        {{kCodeChar}, of<uint8_t>(0xE9), "233 (0xE9)", "233 (0xE9)"},
        {{kCodeUInt64}, of<uint64_t>(UINT64_MAX), "18446744073709551615", "18446744073709551615 (0xFFFFFFFFFFFFFFFF)"},
        {{kCodeInt64}, of<int64_t>(-1), "-1", "-1 (0xFFFFFFFFFFFFFFFF)"},
        {{kCodeUInt64, kCodeInt64}, of<uint32_t>(7), "0", "0 (0x0000000000000000)"},
    });
}

// "%.6G" in the short form; fixed and exponent in the long form between
// 1E-06 and 1E+07, exclusive; the special values named.
TEST_F(ScalarFormatTest, Reals) {
    expectRenderings({
        {{kCodeReal}, of<double>(12.5), "12.5", "12.500000 (1.250000E+01)"},
        {{kCodeReal}, of<double>(-2.5), "-2.5", "-2.500000 (-2.500000E+00)"},
        {{kCodeReal}, of<float>(1.5f), "1.5", "1.500000 (1.500000E+00)"},
        {{kCodeReal}, of<double>(1e-9), "1E-09", "1E-09"},
        {{kCodeReal}, of<double>(9999999.9), "1E+07", "1E+07"},
        {{kCodeReal}, of<double>(9999999.8), "1E+07", "9999999.800000 (1.000000E+07)"},
        {{kCodeReal}, of<double>(0.000001), "1E-06", "1E-06"},
        {{kCodeReal}, of<double>(0.0000011), "1.1E-06", "0.000001 (1.100000E-06)"},
        {{kCodeReal}, of<double>(-INFINITY), "NINF", "NINF"},
        {{kCodeReal}, of<double>(NAN), "NAN", "NAN"},
        {{kCodeReal}, of<float>(INFINITY), "INF", "INF"},
        {{kCodeReal}, of<float>(NAN), "NAN", "NAN"},
        {{kCodeReal}, of<uint16_t>(1), "", ""},
        {{kCodeReal}, Bytes{}, "", ""},
    });
}

// Booleans count the low 16 bits; versions split major.minor[.sub]; hex and
// addresses of 8 bytes widen to 16 digits.
TEST_F(ScalarFormatTest, BooleansVersionsHexAndAddresses) {
    expectRenderings({
        {{kCodeBoolean}, of<uint16_t>(1), "VI_TRUE", "VI_TRUE"},
        {{kCodeBoolean}, of<uint16_t>(0), "VI_FALSE", "VI_FALSE"},
        {{kCodeBoolean}, of<uint32_t>(0x10000), "VI_FALSE", "VI_FALSE"},
        {{kCodeBoolean}, of<uint8_t>(2), "VI_TRUE", "VI_TRUE"},
        {{kCodeBoolean}, of<uint64_t>(0x10001), "VI_TRUE", "VI_TRUE"},
        {{kCodeBoolean}, Bytes{1, 1, 1}, "VI_FALSE", "VI_FALSE"},
        {{kCodeVersion}, of<uint32_t>(0x00500800), "0x00500800", "0x00500800 (5.8)"},
        {{kCodeVersion}, of<uint32_t>(0xFFFFFFFF), "0xFFFFFFFF", "0xFFFFFFFF (4095.4095.255)"},
        {{kCodeVersion}, of<uint32_t>(0), "0", "0"},
        {{kCodeHex32}, of<uint32_t>(0), "0x00000000", "0x00000000"},
        {{kCodeAddressSizedValue}, of<uint64_t>(0x1000), "0x00001000", "0x0000000000001000"},
        {{kCodeAddressSizedValue}, of<uint64_t>(0x100000000ull), "0x0000000100000000", "0x0000000100000000"},
        {{kCodeAddressSizedValue}, of<uint16_t>(0xBEEF), "0x0000BEEF", "0x0000BEEF"},
        {{kCodeAddress}, of<uint32_t>(0), "NULL", "NULL"},
        {{kCodeAddress}, of<uint32_t>(0x1000), "0x00001000", "0x00001000"},
        {{kCodeAddress}, of<uint64_t>(0x1000), "0x0000000000001000", "0x0000000000001000"},
        {{kCodeAddress}, of<uint64_t>(0), "NULL", "NULL"},
        {{kCodeAddress}, of<uint16_t>(0x1000), "", ""},
    });
    EXPECT_EQ(renderScalar(CKOVeskMemoryLogger(), 5, eFormatLine), "") << "no such parameter";
}

// Short names in the short form, table names behind the value in the long;
// help opens on a non-zero event or attribute; other APIs name statuses only.
// The host names first, shortened at "_ATTR_"; a host-named value (its second
// word) only by the host.
TEST_F(ScalarFormatTest, NamedCodes) {
    expectRenderings({
        {{kCodeStatus}, of<uint32_t>(0), "0", "0 (VI_SUCCESS)"},
        {{kCodeStatus}, of<uint32_t>(0xBFFF0015), "0xBFFF0015", "0xBFFF0015 (VI_ERROR_TMO)"},
        {{kCodeStatus}, of<uint32_t>(0xBFFF7777), "0xBFFF7777", "0xBFFF7777"},
        {{kCodeEventType}, of<uint32_t>(0x3FFF200B), "SERVICE_REQ", "0x3FFF200B (VI_EVENT_SERVICE_REQ)"},
        {{kCodeEventType}, of<uint32_t>(0x3FFF7FFF), "VI_ALL_ENABLED_EVENTS", "0x3FFF7FFF (VI_ALL_ENABLED_EVENTS)"},
        {{kCodeEventType}, of<uint32_t>(0x3FFF2FFF), "0x3FFF2FFF", "0x3FFF2FFF"},
        {{kCodeEventType, kCodeVisaOnlyAttribute}, of<uint32_t>(0), "0", "0"},
        {{kCodeAttribute}, of<uint32_t>(0x3FFF001A), "TMO_VALUE", "0x3FFF001A (VI_ATTR_TMO_VALUE)"},
        {{kCodeAttribute}, of<uint32_t>(0x3FFF0203), "PXI_SUB_MANF_ID", "0x3FFF0203 ((obsolete)VI_ATTR_PXI_SUB_MANF_ID)"},
    });
    CKOVeskMemoryLogger logger;
    for (const auto& [code, value] :
         {std::pair{kCodeEventType, 0x3FFF200Bu}, {kCodeVisaOnlyAttribute, 0x3FFF7777u}, {kCodeAttribute, 0u}}) {
        int help = -1;
        renderScalar(logger, addCaptured(logger, code, of<uint32_t>(value)), eFormatShort, &help);
        EXPECT_EQ(help, value ? logger.GetParamCount() - 1 : -1) << code;
    }
    logger.SetFunction("otherCall", 1, 7);
    EXPECT_EQ(renderScalar(logger, 0, eFormatLine), "0x3FFF200B");
    const int status = addCaptured(logger, kCodeStatus, of<uint32_t>(0xBFFF0015));
    EXPECT_EQ(renderScalar(logger, status, eFormatLine), "0xBFFF0015 (VI_ERROR_TMO)");
    kovesk_test::hostNames(L"MY_ATTR_TIMEOUT");
    expectRenderings({
        {{kCodeHostNamedValue}, bytesOf<uint32_t>({1, 0x22}), "MY_ATTR_TIMEOUT", "0x00000022 (MY_ATTR_TIMEOUT)"},
        {{kCodeHostNamedValue}, of<uint32_t>(0x22), "0", "0"},
        {{kCodeAttribute}, of<uint32_t>(0x3FFF001A), "TIMEOUT", "0x3FFF001A (MY_ATTR_TIMEOUT)"},
        {{kCodeStatus}, of<uint32_t>(0xBFFF0015), "0xBFFF0015", "0xBFFF0015 (MY_ATTR_TIMEOUT)"},
    });
    nKoVeskHost::ResetApiInfo();
    expectRenderings({{{kCodeHostNamedValue}, bytesOf<uint32_t>({1, 0}), "0x00000000", "0x00000000"}});
}

// The generic formatter has no names: events and attributes show as
// numbers, an event still offers its help, and the codes only names can show
// write nothing.
TEST_F(ScalarFormatTest, TheGenericFormatterShowsNamedCodesAsNumbers) {
    CKOVeskMemoryLogger logger;
    const int event = addCaptured(logger, kCodeEventType, of<uint32_t>(0x3FFF200B));
    const int attribute = addCaptured(logger, kCodeAttribute, of<uint32_t>(0x3FFF001A));
    const int visaOnly = addCaptured(logger, kCodeVisaOnlyAttribute, of<uint32_t>(0x3FFF001A));
    const int hostNamed = addCaptured(logger, kCodeHostNamedValue, bytesOf<uint32_t>({1, 0x22}));
    const CVisaGenericFormat generic;
    int help = -1;
    EXPECT_EQ(renderScalar(logger, event, eFormatLine, &help, &generic), "0x3FFF200B");
    EXPECT_EQ(help, event);
    EXPECT_EQ(renderScalar(logger, attribute, eFormatLine, nullptr, &generic), "0x3FFF001A");
    EXPECT_EQ(renderScalar(logger, visaOnly, eFormatLine, nullptr, &generic), "");
    EXPECT_EQ(renderScalar(logger, hostNamed, eFormatLine, nullptr, &generic), "");
}

// A handle shows the text of a hidden session parameter just before it:
// quoted for blanks or brackets, cut to 24 bytes in the short form from 28
// on, partial as both halves, UTF-8 on whole characters.
TEST_F(ScalarFormatTest, TheSessionTextPrecedesTheHandle) {
    const std::string text28 = "TCPIP0::10.0.0.1::5025::SOCK", handle = "0x00000010";
    const struct {
        std::string session;
        const char* hiddenName;
        int hiddenCode;
        bool partial;
        eFormatSpecifier format;
        std::string shown;
    } cases[] = {
        {"GPIB0::1::INSTR", "dummysession", kCodeText, false, eFormatShort, "GPIB0::1::INSTR (" + handle + ")"},
        {"GPIB0::1::INSTR", "dummy", kCodeText, false, eFormatLine, handle},
        {"", "dummyses", kCodeText, false, eFormatLine, handle},
        {"ASRL1 INSTR", "dummyses", kCodeText, false, eFormatUnquoted, "ASRL1 INSTR (" + handle + ")"},
        {"alias(1)", "dummyses", kCodeText, false, eFormatLine, "\"alias(1)\" (" + handle + ")"},
        {text28.substr(0, 27), "dummyses", kCodeText, false, eFormatShort, text28.substr(0, 27) + " (" + handle + ")"},
        {text28, "dummyses", kCodeText, false, eFormatShort, text28.substr(0, 24) + "... (" + handle + ")"},
        {text28 + " x", "dummyses", kCodeText, false, eFormatShort, "\"" + text28.substr(0, 24) + "...\" (" + handle + ")"},
        {"012345678", "dummyses", kCodeText, true, eFormatLine, "0123...4567 (" + handle + ")"},
        {"abc\xC3\xA9" "def", "dummyses", kCodeUtf8Text, true, eFormatLine, "abc...def (" + handle + ")"},
        {std::string(23, 'a') + "\xC3\xA9" + "bcdef", "dummyses", kCodeUtf8Text, false, eFormatLine,
         std::string(23, 'a') + "?bcdef (" + handle + ")"},
    };
    for (const auto& c : cases) {
        CKOVeskMemoryLogger logger;
        EXPECT_EQ(renderScalar(logger, addCaptured(logger, kCodeSession, of<uint32_t>(0x10)), eFormatLine), handle);
        logger.SetParamTruncated(addCaptured(logger, c.hiddenCode, bytesOf(c.session), c.hiddenName), c.partial);
        EXPECT_EQ(renderScalar(logger, addCaptured(logger, kCodeSession, of<uint32_t>(0x10), "vi"), c.format),
                  c.shown);
    }
}

// 2020-01-02 03:04:05.25 UTC as a fraction and the seconds since 1904; four
// 32-bit words, each needing 4 bytes left in the capture.
TEST_F(ScalarFormatTest, TimeStamps) {
    setenv("TZ", "XST-1", 1);
    tzset();
    const Bytes capture = bytesOf<uint64_t>({0x4000000000000000ull, 3660779045ull});
    expectRenderings({
        {{kCodeTimeStamp}, capture, "01/02/20 04:04:05", "01/02/20 04:04:05.250"},
        {{kCodeTimeStamp}, bytesOf<uint64_t>({0, 0x8000000000000000ull}), "", ""},
    });
    CKOVeskMemoryLogger logger;
    const int shortCapture = addCaptured(logger, kCodeTimeStamp, Bytes(capture.begin(), capture.begin() + 15));
    EXPECT_THROW(renderScalar(logger, shortCapture, eFormatLine), ko::zel::exception::DeserializationError);
    unsetenv("TZ");
    tzset();
}

// The longest renderings fit kArgumentTextSize: 1016 bytes of text; a host
// name of 1023 characters, cut before its ")"; a session text, cut for its handle.
TEST_F(ScalarFormatTest, LongestRenderingsFitTheBuffer) {
    CKOVeskMemoryLogger logger;
    for (const int code : {kCodeText, kCodeUtf8Text}) {
        const int index = addCaptured(logger, code, bytesOf(kovesk_test::digits(3000)));
        EXPECT_EQ(renderScalar(logger, index, eFormatFull), "\"" + kovesk_test::digits(1016) + "...\"") << code;
    }
    kovesk_test::hostNames(std::wstring(1023, L'n'));
    const int attribute = addCaptured(logger, kCodeAttribute, of<uint32_t>(0x3FFF001A));
    EXPECT_EQ(renderScalar(logger, attribute, eFormatLine), "0x3FFF001A (" + std::string(1010, 'n') + ")");
    EXPECT_EQ(renderScalar(logger, attribute, eFormatShort), std::string(1023, 'n'));
    const struct {
        std::string session;
        Bytes handle;
        bool partial;
        eFormatSpecifier format;
        std::string shown;
    } cases[] = {
        {std::string(5000, 'A'), of<uint32_t>(0x10), false, eFormatLine, std::string(1010, 'A') + " (0x00000010)"},
        {std::string(5000, 'A'), of<uint64_t>(1ull << 40), false, eFormatFull,
         std::string(1002, 'A') + " (0x0000010000000000)"},
        {"A B" + std::string(4997, 'B'), of<uint32_t>(0x10), false, eFormatFull,
         "\"A B" + std::string(1005, 'B') + "\" (0x00000010)"},
        {std::string(2500, 'H') + std::string(2500, 'T'), of<uint32_t>(0x10), true, eFormatLine,
         std::string(504, 'H') + "..." + std::string(503, 'T') + " (0x00000010)"},
    };
    for (const auto& c : cases) {
        logger.SetParamTruncated(addCaptured(logger, kCodeText, bytesOf(c.session), "dummysesvi"), c.partial);
        EXPECT_EQ(renderScalar(logger, addCaptured(logger, kCodeSession, c.handle, "vi"), c.format), c.shown);
    }
}

// The named code of each scalar kind, on which the cases above test the kind.
const std::map<eScalarKind, int> kNamedCodeOfKind = {
    {eScalarKind::Unsigned, kCodeUInt32},        {eScalarKind::Signed, kCodeInt32},
    {eScalarKind::Unsigned16, kCodeUInt16},      {eScalarKind::Signed16, kCodeInt16},
    {eScalarKind::Signed16Decimal, kCodeInt16Decimal}, {eScalarKind::Unsigned8, kCodeUInt8},
    {eScalarKind::Signed8, kCodeInt8},           {eScalarKind::Character, kCodeChar},
    {eScalarKind::Unsigned64, kCodeUInt64},      {eScalarKind::Signed64, kCodeInt64},
    {eScalarKind::Real, kCodeReal},              {eScalarKind::Boolean, kCodeBoolean},
    {eScalarKind::Status, kCodeStatus},          {eScalarKind::Version, kCodeVersion},
    {eScalarKind::EventType, kCodeEventType},    {eScalarKind::Attribute, kCodeAttribute},
    {eScalarKind::VisaOnlyAttribute, kCodeVisaOnlyAttribute}, {eScalarKind::HostNamedValue, kCodeHostNamedValue},
    {eScalarKind::Handle, kCodeSession},         {eScalarKind::Hex32, kCodeHex32},
    {eScalarKind::HexAddress, kCodeAddressSizedValue}, {eScalarKind::NarrowText, kCodeText},
    {eScalarKind::Utf8Text, kCodeUtf8Text},      {eScalarKind::TimeStamp, kCodeTimeStamp},
    {eScalarKind::Address, kCodeAddress},
};

// Every code of the table, and codes beyond it, renders in every form and
// in both formatters as the named code of its kind does, with the same help
// offer (behind its hidden session parameter, for the handles); codes of no
// kind write nothing. The captures reach each read: 1, 2, 4, 8 and 16 bytes
// (a time stamp), a size no read knows, and a text.
TEST_F(ScalarFormatTest, EveryCodeRendersLikeTheNamedCodeOfItsKind) {
    const Bytes captures[] = {of<uint8_t>(0xC1), of<uint16_t>(0x8041), of<uint32_t>(0x3FFF001A),
                              of<uint64_t>(0x8000000000000041ull), bytesOf<uint64_t>({1ull << 62, 3660779045ull}),
                              Bytes{1, 2, 3}, bytesOf(std::string("A B(C"))};
    const CVisaGenericFormat generic;
    const CVisaGenericFormat* const formatters[] = {nullptr, &generic};  // null: the VISA formatter
    const auto render = [](int code, const Bytes& capture, eFormatSpecifier format,
                           const CVisaGenericFormat* formatter) {
        CKOVeskMemoryLogger logger;
        addCaptured(logger, kCodeText, bytesOf(std::string("GPIB0::1::INSTR")), "dummysesvi");
        const int index = addCaptured(logger, code, capture);
        int help = -1;
        const std::string text =
            kovesk_test::outcome([&] { return renderScalar(logger, index, format, &help, formatter); });
        return text + ", help " + std::to_string(help);
    };
    for (const int code : kovesk_test::everyCodeAndBeyond()) {
        const eScalarKind kind = scalarKindOf(code);
        const auto named = kNamedCodeOfKind.find(kind);
        ASSERT_TRUE(kind == eScalarKind::None || named != kNamedCodeOfKind.end()) << "no named code for " << code;
        for (const Bytes& capture : captures)
            for (const eFormatSpecifier format : kEveryForm)
                for (const CVisaGenericFormat* formatter : formatters)
                    EXPECT_EQ(render(code, capture, format, formatter),
                              kind == eScalarKind::None ? ", help -1" : render(named->second, capture, format, formatter))
                        << "code " << code << ", " << capture.size() << " bytes, form " << format;
    }
}

}  // namespace
}  // namespace nKoVeskLog210
