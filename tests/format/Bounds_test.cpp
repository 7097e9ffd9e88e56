// The formatter's fixed working buffers under the longest renderings there
// are: every argument rendering into a caller's buffer of exactly
// kArgumentTextSize characters, every dump line into the 128-byte line
// buffer behind the widest offset prefix. Guard bytes after each buffer must
// stay as they were.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "format/CVisaFormat.h"
#include "tests/format/format_test_support.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::addCaptured;
using kovesk_test::Bytes;
using kovesk_test::renderChecked;

Bytes textOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes wordOf(uint32_t value) { return kovesk_test::bytesOf<uint32_t>({value}); }

std::string digits(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += static_cast<char>('0' + i % 10);
    return text;
}

// The host's answer to every value-name request of the VISA API.
std::wstring g_hostName;

bool answerHostName(const IKoVeskLogger*, int, eKoVeskLocale, bool, uint32_t capacity,
                    wchar_t* buffer) {
    if (g_hostName.size() >= capacity) return false;
    std::wmemcpy(buffer, g_hostName.c_str(), g_hostName.size() + 1);
    return true;
}

class ArgumentBoundsTest : public ::testing::Test {
protected:
    void SetUp() override {
        CVeskApiInfo::ResetAll();
        CVeskApiInfo* visa = CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa);
        visa->hasValueNames = true;
        visa->valueNameCallback = answerHostName;
        g_hostName.clear();
    }
    void TearDown() override {
        CVeskApiInfo::ResetAll();
        std::setlocale(LC_ALL, "C");
    }
};

// One longest rendering: the logger's last parameter rendered as a scalar or
// an array in `format`; its length and how it ends.
struct tLongestCase {
    const char* why;
    const char* locale;
    std::wstring hostName;
    std::function<int(CKOVeskMemoryLogger&)> build;  // returns the index to render
    bool array;
    eFormatSpecifier format;
    size_t length;
    std::string ending;
};

TEST_F(ArgumentBoundsTest, LongestRenderingsFitTheArgumentBuffer) {
    const std::string euro = "\xE2\x82\xAC";
    std::string euros;
    for (int i = 0; i < 400; ++i) euros += euro;
    const auto text = [](int type, std::string bytes, bool partial = false) {
        return [type, bytes, partial](CKOVeskMemoryLogger& logger) {
            const int index = addCaptured(logger, type, textOf(bytes));
            logger.SetParamTruncated(index, partial);
            return index;
        };
    };
    const auto named = [](int type, Bytes value) {
        return [type, value](CKOVeskMemoryLogger& logger) {
            return addCaptured(logger, type, value);
        };
    };
    const auto session = [](std::string resource, Bytes handle) {
        return [resource, handle](CKOVeskMemoryLogger& logger) {
            addCaptured(logger, 45, textOf(resource), "dummysesvi");
            return addCaptured(logger, 35, handle, "vi");
        };
    };
    const std::wstring name1023(1023, L'n');
    const std::string cutName = "0x3FFF001A (" + std::string(1010, 'n') + ")";

    const tLongestCase cases[] = {
        {"narrow text past the full limit: 1016 bytes, quotes and ...", "C", L"",
         text(45, digits(3000)), false, eFormatFull, 1021, digits(1016).substr(1010) + "...\""},
        {"partial capture of 1016 bytes: two halves and ...", "C", L"",
         text(45, digits(1016), true), false, eFormatFull, 1021, "\""},
        {"array text past the full limit", "C", L"", text(14, digits(3000)), true, eFormatFull,
         1021, "...\""},
        {"UTF-8 past the limit in a UTF-8 locale: whole characters only", "C.UTF-8", L"",
         text(110, euros), false, eFormatUnquoted, 1014 + 3, euro + "..."},
        {"a session text longer than the buffer keeps its 64-bit handle", "C", L"",
         session(digits(3000), kovesk_test::bytesOf<uint64_t>({1ull << 40})), false, eFormatFull,
         1023, " (0x0000010000000000)"},
        {"a session text longer than the buffer keeps its 32-bit handle", "C", L"",
         session(digits(3000), wordOf(0x10)), false, eFormatLine, 1023, " (0x00000010)"},
        {"1023-character host name behind the value: cut, parenthesis kept", "C", name1023,
         named(29, wordOf(0x3FFF001A)), false, eFormatLine, 1023, cutName.substr(1000)},
        {"1023-character host name alone in the short form", "C", name1023,
         named(103, {0, 0, 0, 0, 1, 0, 0, 0}), false, eFormatShort, 1023, "nnnn"},
        {"1023-character status name from the host", "C", name1023,
         named(23, wordOf(0xBFFF0015)), false, eFormatFull, 1023, "nnn)"},
        // 1023 wide characters that take two bytes each in UTF-8 do not fit
        // the name buffer: the table names the value instead.
        {"host name that grows past the buffer when converted", "C.UTF-8",
         std::wstring(1023, L'\u00E9'), named(29, wordOf(0x3FFF001A)), false, eFormatLine,
         std::strlen("0x3FFF001A (VI_ATTR_TMO_VALUE)"), "(VI_ATTR_TMO_VALUE)"},
    };
    for (const tLongestCase& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_NE(std::setlocale(LC_ALL, c.locale), nullptr);
        g_hostName = c.hostName;
        CKOVeskMemoryLogger logger;
        const int index = c.build(logger);
        const CVisaFormat* formatter = CVisaFormat::GetSingletonVisaFormatter();
        const kovesk_test::Rendered rendered = renderChecked([&](char* out) {
            return c.array ? formatter->FormatCallArgArray(&logger, index, out, c.format, nullptr)
                           : formatter->FormatCallArgScalar(&logger, index, out, c.format,
                                                            nullptr, nullptr);
        });
        EXPECT_EQ(rendered.text.size(), c.length);
        ASSERT_GE(rendered.text.size(), c.ending.size());
        EXPECT_EQ(rendered.text.substr(rendered.text.size() - c.ending.size()), c.ending);
    }
}

// --- dump lines --------------------------------------------------------------------

constexpr size_t kLineGuard = 32;
constexpr char kGuard = '\x5A';

// The prefix of an element offset above 32 bits: 11 hexadecimal digits.
const char kWidePrefix[] = "123456789AB:  ";

// The widest line of each layout, behind the widest prefix, in a 128-byte
// line buffer followed by guard bytes.
TEST(DumpLineBoundsTest, WidestLinesFitTheLineBuffer) {
    struct tCase {
        const char* why;
        int type;
        int elementSize;
        size_t columnsLength;  // what the columns add to the prefix
    };
    const tCase cases[] = {
        {"16-bit booleans: 12 columns of 7", 22, 2, 12 * 7},
        {"byte booleans: 12 columns of 7", 22, 1, 12 * 7},
        {"bytes: 16 columns, a blank, 16 ASCII", 10, 1, 16 * 3 + 1 + 16},
        {"64-bit integers: 2 columns, a blank, 16 ASCII", 96, 8, 2 * 24 + 1 + 16},
        {"doubles: 3 columns of 20", 20, 8, 3 * 20},
        {"floats: 4 columns of 15", 18, 4, 4 * 15},
    };
    const CVisaGenericFormat formatter;
    const std::vector<unsigned char> data(64, 0x41);
    for (const tCase& c : cases) {
        SCOPED_TRACE(c.why);
        std::unique_ptr<char[]> line(new char[kDumpLineSize + kLineGuard]);
        std::memset(line.get(), kGuard, kDumpLineSize + kLineGuard);
        std::strcpy(line.get(), kWidePrefix);
        CKOVeskMemoryLogger logger;
        const int index = addCaptured(logger, c.type, Bytes(data.begin(), data.end()));
        logger.SetParamElementSize(index, c.elementSize);
        const int bytesPerLine = formatter.CalcBytesPerLine(&logger, index, false);

        int used = 0;
        int elements = 0;
        formatter.FormatDataLine(c.type, c.elementSize, data.data(), line.get(),
                                 static_cast<int>(data.size()), bytesPerLine, used, elements,
                                 nullptr);
        EXPECT_EQ(used, bytesPerLine);
        EXPECT_EQ(std::strlen(line.get()), std::strlen(kWidePrefix) + c.columnsLength);
        for (size_t i = kDumpLineSize; i < kDumpLineSize + kLineGuard; ++i) {
            ASSERT_EQ(line[i], kGuard) << "written past the line buffer at " << i;
        }
    }
}

}  // namespace
}  // namespace nKoVeskLog210
