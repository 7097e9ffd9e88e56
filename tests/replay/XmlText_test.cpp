// Narrow text to XML-safe UTF-8: whatever the bytes, the result is UTF-8
// that XML 1.0 accepts, with U+FFFD for what cannot be shown.
#include "replay/XmlText.h"

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

// Every byte of an invalid, cut, overlong or surrogate sequence becomes one
// U+FFFD, as does every character XML 1.0 disallows (controls but \t \n \r;
// U+FFFE, U+FFFF). ASCII (the C locale's, and the fallback for an unknown
// set) has nothing above 0x7F; a single-byte set converts every byte; a text
// longer than the converter's buffers converts whole.
TEST(XmlTextTest, Conversions) {
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
        XmlTextConverter converter(c.charset);
        EXPECT_EQ(converter.Convert(c.input), c.expected);
    }
    const std::pair<uint32_t, bool> kChars[] = {
        {0x10FFFF, true}, {0x110000, false}, {0xD800, false}, {0xE000, true}};
    for (const auto& [c, ok] : kChars) EXPECT_EQ(XmlTextConverter::IsXmlChar(c), ok) << std::hex << c;
}

}  // namespace
}  // namespace vesk::replay
