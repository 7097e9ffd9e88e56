// The longest argument renderings there are, into a caller's buffer of
// exactly kArgumentTextSize characters followed by sentinel bytes.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "format/CVisaFormat.h"
#include "tests/format/format_test_support.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::addCaptured;
using kovesk_test::bytesOf;
using kovesk_test::digits;

std::wstring g_hostName;

bool answerHostName(const IKoVeskLogger*, int, eKoVeskLocale, bool, uint32_t capacity,
                    wchar_t* buffer) {
    if (g_hostName.size() >= capacity) return false;
    std::wmemcpy(buffer, g_hostName.c_str(), g_hostName.size() + 1);
    return true;
}

std::string renderLast(const CKOVeskMemoryLogger& logger, eFormatSpecifier format, bool array = false) {
    const CVisaFormat* formatter = CVisaFormat::GetSingletonVisaFormatter();
    const int index = logger.GetParamCount() - 1;
    return kovesk_test::renderChecked([&](char* out) {
               return array ? formatter->FormatCallArgArray(&logger, index, out, format, nullptr)
                            : formatter->FormatCallArgScalar(&logger, index, out, format, nullptr, nullptr);
           }).text;
}

// 1016 bytes, quotes and "..." are 1021 characters, as a text or an array.
TEST(ArgumentBoundsTest, TheLongestStringRendering) {
    CKOVeskMemoryLogger logger;
    addCaptured(logger, 45, bytesOf(digits(3000)));
    EXPECT_EQ(renderLast(logger, eFormatFull), "\"" + digits(1016) + "...\"");
    addCaptured(logger, 14, bytesOf(digits(3000)));
    EXPECT_EQ(renderLast(logger, eFormatFull, true), "\"" + digits(1016) + "...\"");
}

// A 1023-character host name behind "0x%08X (" is cut, its ")" kept.
TEST(ArgumentBoundsTest, TheLongestHostNameBehindItsValue) {
    CVeskApiInfo* visa = CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa);
    visa->hasValueNames = true;
    visa->valueNameCallback = answerHostName;
    g_hostName = std::wstring(1023, L'n');
    CKOVeskMemoryLogger logger;
    addCaptured(logger, 29, kovesk_test::of<uint32_t>(0x3FFF001A));
    EXPECT_EQ(renderLast(logger, eFormatLine), "0x3FFF001A (" + std::string(1010, 'n') + ")");
    EXPECT_EQ(renderLast(logger, eFormatShort), std::string(1023, 'n'));
    CVeskApiInfo::ResetAll();
}

// A session text far beyond the buffer is cut so that its handle still fits.
TEST(ArgumentBoundsTest, AHugeSessionTextLeavesRoomForTheHandle) {
    const struct {
        std::string session;
        kovesk_test::Bytes handle;
        bool partial;
        eFormatSpecifier format;
        std::string expected;
    } cases[] = {
        {std::string(5000, 'A'), bytesOf<uint32_t>({0x10}), false, eFormatLine,
         std::string(1010, 'A') + " (0x00000010)"},
        {std::string(5000, 'A'), bytesOf<uint64_t>({1ull << 40}), false, eFormatFull,
         std::string(1002, 'A') + " (0x0000010000000000)"},
        {"A B" + std::string(4997, 'B'), bytesOf<uint32_t>({0x10}), false, eFormatFull,
         "\"A B" + std::string(1005, 'B') + "\" (0x00000010)"},
        {std::string(2500, 'H') + std::string(2500, 'T'), bytesOf<uint32_t>({0x10}), true,
         eFormatLine, std::string(504, 'H') + "..." + std::string(503, 'T') + " (0x00000010)"},
    };
    for (const auto& c : cases) {
        CKOVeskMemoryLogger logger;
        const int hidden = addCaptured(logger, 45, bytesOf(c.session), "dummysesvi");
        logger.SetParamTruncated(hidden, c.partial);
        addCaptured(logger, 35, c.handle, "vi");
        EXPECT_EQ(renderLast(logger, c.format), c.expected);
    }
}

}  // namespace
}  // namespace nKoVeskLog210
