// Narrow text to XML-safe UTF-8: whatever the bytes, the result is UTF-8
// that XML 1.0 accepts, with U+FFFD for what cannot be shown.
#include "replay/XmlText.h"

#include <gtest/gtest.h>

#include <string>

namespace vesk::replay {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

struct tCase {
    std::string input;
    std::string expected;
};

void expectConversions(XmlTextConverter& converter, const std::vector<tCase>& cases) {
    for (const tCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.input));
        EXPECT_EQ(converter.Convert(c.input), c.expected);
    }
}

// --- UTF-8 narrow character set ------------------------------------------------------
// Valid characters pass; every byte of an invalid or cut sequence becomes
// one replacement character.

TEST(XmlTextTest, Utf8CharacterSet) {
    XmlTextConverter converter("UTF-8");
    expectConversions(converter, {
        {"", ""},
        {"plain <text> & more", "plain <text> & more"},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"a\xFFz", "a" + kReplacement + "z"},
        {"\x80", kReplacement},
        {"\xE2\x82", kReplacement + kReplacement},        // cut at the end
        {"\xE2\x82z", kReplacement + kReplacement + "z"},  // cut in the middle
        {"\xC0\xAF", kReplacement + kReplacement},         // overlong
        {"\xED\xA0\x80", kReplacement + kReplacement + kReplacement},  // surrogate
    });
}

// --- characters XML 1.0 does not allow ---------------------------------------------------
// Tab, line feed and carriage return stay; other controls, U+FFFE and
// U+FFFF become U+FFFD.

TEST(XmlTextTest, CharactersXmlDoesNotAllow) {
    XmlTextConverter converter("UTF-8");
    expectConversions(converter, {
        {std::string("a\0b", 3), "a" + kReplacement + "b"},
        {"\x01\x08\x0B\x0C\x1F", kReplacement + kReplacement + kReplacement + kReplacement +
                                     kReplacement},
        {"\t\n\r", "\t\n\r"},
        {"\x7F", "\x7F"},  // DEL is allowed by XML 1.0
        {"\xEF\xBF\xBE\xEF\xBF\xBF", kReplacement + kReplacement},
        {"\xEF\xBF\xBD", kReplacement},
    });
    EXPECT_FALSE(XmlTextConverter::IsXmlChar(0x110000));
    EXPECT_TRUE(XmlTextConverter::IsXmlChar(0x10FFFF));
    EXPECT_FALSE(XmlTextConverter::IsXmlChar(0xD800));
    EXPECT_TRUE(XmlTextConverter::IsXmlChar(0xE000));
}

// --- other narrow character sets -------------------------------------------------------------
// The C locale's set is ASCII: every byte above 0x7F is unconvertible.
// A single-byte set converts every byte.

TEST(XmlTextTest, AsciiCharacterSet) {
    XmlTextConverter converter("ANSI_X3.4-1968");
    expectConversions(converter, {
        {"abc", "abc"},
        {"\xC3\xA9", kReplacement + kReplacement},
        {"\x01", kReplacement},
    });
}

TEST(XmlTextTest, Latin1CharacterSet) {
    XmlTextConverter converter("ISO-8859-1");
    expectConversions(converter, {
        {"caf\xE9", "caf\xC3\xA9"},
        {"\xFF", "\xC3\xBF"},
        {"\x85", "\xC2\x85"},  // C1 controls are XML 1.0 characters
    });
}

TEST(XmlTextTest, UnknownCharacterSetIsReadAsAscii) {
    XmlTextConverter converter("NO-SUCH-CHARSET");
    expectConversions(converter, {{"ok\xE9", "ok" + kReplacement}});
}

TEST(XmlTextTest, LongTextsConvertWhole) {
    XmlTextConverter converter("UTF-8");
    std::string input, expected;
    for (int i = 0; i < 5000; ++i) {
        input += "\xC3\xA9\xFF";
        expected += "\xC3\xA9" + kReplacement;
    }
    EXPECT_EQ(converter.Convert(input), expected);
}

}  // namespace
}  // namespace vesk::replay
