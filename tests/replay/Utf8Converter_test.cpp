// Narrow text to UTF-8: for JSON every character of the set is kept,
// control characters included; for XML only those XML 1.0 allows; either
// way a byte that starts no character becomes one U+FFFD.
#include "replay/Utf8Converter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

namespace vesk::replay {
namespace {

const std::string R = "\xEF\xBF\xBD";  // U+FFFD

std::string times(int count, const std::string& text) {
    std::string all;
    while (count-- > 0) all += text;
    return all;
}

// Valid text passes as it is (through the ASCII shortcut or iconv); invalid,
// cut, overlong and surrogate sequences give one U+FFFD per byte; a set
// without bytes above 0x7F (the C locale's, and the fallback for an unknown
// set) replaces them; a single-byte set converts every byte, its C1
// controls too; a text longer than the converter's chunk converts whole.
TEST(Utf8ConverterTest, Conversions) {
    const struct {
        const char* charset;
        std::string input, expected;
    } cases[] = {
        {"UTF-8", "", ""},
        {"UTF-8", "plain ASCII", "plain ASCII"},
        {"UTF-8", std::string("\0\x01\x1F\x7F\t\n", 6), std::string("\0\x01\x1F\x7F\t\n", 6)},
        {"UTF-8", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"UTF-8", "\xEF\xBF\xBE\xEF\xBF\xBF", "\xEF\xBF\xBE\xEF\xBF\xBF"},  // noncharacters are characters
        {"UTF-8", "a\xFFz\x80", "a" + R + "z" + R},
        {"UTF-8", "\xE2\x82", R + R},          // cut at the end
        {"UTF-8", "\xE2\x82z", R + R + "z"},   // cut in the middle
        {"UTF-8", "\xC0\xAF", R + R},          // overlong
        {"UTF-8", "\xED\xA0\x80", R + R + R},  // surrogate
        {"UTF-8", "\xF4\x90\x80\x80", R + R + R + R},  // above U+10FFFF
        {"UTF-8", times(3000, "\xC3\xA9\xFF"), times(3000, "\xC3\xA9" + R)},
        {"ANSI_X3.4-1968", "abc\xC3\xA9\x01", "abc" + R + R + "\x01"},
        {"NO-SUCH-CHARSET", "ok\xE9\x02", "ok" + R + "\x02"},
        {"ISO-8859-1", "caf\xE9\xFF\x85", "caf\xC3\xA9\xC3\xBF\xC2\x85"},
        {"ISO-8859-1", times(600, "\xE9"), times(600, "\xC3\xA9")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.charset) + " " + testing::PrintToString(c.input.substr(0, 20)));
        CUtf8Converter converter(eUtf8Characters::Any, c.charset);
        EXPECT_EQ(converter.Convert(c.input), c.expected);
    }
}

// Every byte of an invalid, cut, overlong or surrogate sequence becomes one
// U+FFFD, as does every character XML 1.0 disallows (controls but \t \n \r;
// U+FFFE, U+FFFF). ASCII (the C locale's, and the fallback for an unknown
// set) has nothing above 0x7F; a single-byte set converts every byte; a text
// longer than the converter's buffers converts whole.
TEST(Utf8ConverterTest, ConversionsForXml) {
    const struct {
        const char* charset;
        std::string input, expected;
    } cases[] = {
        {"UTF-8", "", ""},
        {"UTF-8", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"UTF-8", "a\xFFz\x80", "a" + R + "z" + R},
        {"UTF-8", "\xE2\x82", R + R},          // cut at the end
        {"UTF-8", "\xE2\x82z", R + R + "z"},   // cut in the middle
        {"UTF-8", "\xC0\xAF", R + R},          // overlong
        {"UTF-8", "\xED\xA0\x80", R + R + R},  // surrogate
        {"UTF-8", std::string("a\0b", 3), "a" + R + "b"},
        {"UTF-8", "\x01\x08\x0B\x0C\x1F", R + R + R + R + R},
        {"UTF-8", "\t\n\r\x7F", "\t\n\r\x7F"},  // DEL is allowed by XML 1.0
        {"UTF-8", "\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD", times(3, R)},
        {"UTF-8", times(5000, "\xC3\xA9\xFF"), times(5000, "\xC3\xA9" + R)},
        {"ANSI_X3.4-1968", "abc\xC3\xA9\x01", "abc" + times(3, R)},
        {"NO-SUCH-CHARSET", "ok\xE9", "ok" + R},
        {"ISO-8859-1", "caf\xE9\xFF\x85", "caf\xC3\xA9\xC3\xBF\xC2\x85"},  // C1 controls allowed
        // Plain ASCII is copied only where the set spells it as ASCII does.
        {"UTF-8", "plain \t\r\n ~", "plain \t\r\n ~"},
        {"UTF-16LE", "ab", "\xE6\x89\xA1"},  // U+6261
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.charset) + " " + testing::PrintToString(c.input.substr(0, 20)));
        CUtf8Converter converter(eUtf8Characters::XmlOnly, c.charset);
        EXPECT_EQ(converter.Convert(c.input), c.expected);
    }
    const std::pair<uint32_t, bool> kChars[] = {
        {0x10FFFF, true}, {0x110000, false}, {0xD800, false}, {0xE000, true}};
    for (const auto& [c, ok] : kChars) EXPECT_EQ(CUtf8Converter::IsXmlChar(c), ok) << std::hex << c;
}

// The encoder at the edges of each sequence length; what is no scalar
// value becomes U+FFFD.
TEST(Utf8ConverterTest, AppendUtf8) {
    const struct {
        uint32_t codePoint;
        std::string expected;
    } cases[] = {
        {0x00, std::string(1, '\0')}, {0x7F, "\x7F"}, {0x80, "\xC2\x80"}, {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"}, {0xFFFF, "\xEF\xBF\xBF"}, {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"}, {0x110000, R}, {0xD800, R}, {0xDFFF, R},
    };
    for (const auto& c : cases) {
        std::string out;
        CUtf8Converter::AppendUtf8(c.codePoint, out);
        EXPECT_EQ(out, c.expected) << std::hex << c.codePoint;
    }
}

}  // namespace
}  // namespace vesk::replay
