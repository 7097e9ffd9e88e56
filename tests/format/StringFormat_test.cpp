#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <memory>
#include <string>

#include "format/CVisaGenericFormat.h"
#include "ko/zel/Exception.h"
#include "tests/format/format_test_support.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::renderChecked;

// A text of `size` bytes that shows where each byte came from.
std::string digits(size_t size) {
    std::string text;
    for (size_t i = 0; i < size; ++i) text += static_cast<char>('0' + i % 10);
    return text;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

class StringFormatTest : public ::testing::Test {
protected:
    void SetUp() override { std::setlocale(LC_ALL, "C"); }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }

    // The captured bytes are copied into an allocation of their own, so that
    // a read past them is caught by the address sanitizer.
    std::string narrow(const std::string& data, eFormatSpecifier format, bool partial = false) {
        const std::unique_ptr<char[]> copy = own(data);
        return renderChecked([&](char* out) {
                   return m_formatter.FormatMbcsString(copy.get(), static_cast<int>(data.size()),
                                                       format, partial, out);
               })
            .text;
    }
    std::string utf8(const std::string& data, eFormatSpecifier format, bool partial = false) {
        const std::unique_ptr<char[]> copy = own(data);
        return renderChecked([&](char* out) {
                   return m_formatter.FormatUtf8String(
                       reinterpret_cast<const unsigned char*>(copy.get()),
                       static_cast<int>(data.size()), format, partial, out);
               })
            .text;
    }

    static std::unique_ptr<char[]> own(const std::string& data) {
        std::unique_ptr<char[]> copy(new char[data.size() ? data.size() : 1]);
        if (!data.empty()) std::memcpy(copy.get(), data.data(), data.size());
        return copy;
    }

    CVisaGenericFormat m_formatter;
};

// --- limits: each selector's boundary, one byte on either side ---------------------

struct tLimitCase {
    const char* why;
    size_t size;
    eFormatSpecifier format;
    std::string expected;
};

TEST_F(StringFormatTest, EachSelectorCutsAtItsLimit) {
    const tLimitCase cases[] = {
        {"short form keeps 30 bytes", 30, eFormatShort, quoted(digits(30))},
        {"short form cuts 31 bytes to head and tail", 31, eFormatShort,
         quoted(digits(15) + "..." + digits(31).substr(16))},
        {"line keeps 256 bytes", 256, eFormatLine, quoted(digits(256))},
        {"line cuts 257 bytes", 257, eFormatLine, quoted(digits(256) + "...")},
        {"full keeps 1016 bytes", 1016, eFormatFull, quoted(digits(1016))},
        {"full cuts 1017 bytes", 1017, eFormatFull, quoted(digits(1016) + "...")},
        {"unquoted keeps 1016 bytes", 1016, eFormatUnquoted, digits(1016)},
        {"unquoted cuts 1017 bytes", 1017, eFormatUnquoted, digits(1016) + "..."},
        {"an unknown selector is full", 1017, static_cast<eFormatSpecifier>(9),
         quoted(digits(1016) + "...")},
        {"line is not cut at 31", 31, eFormatLine, quoted(digits(31))},
    };
    for (const tLimitCase& c : cases) {
        EXPECT_EQ(narrow(digits(c.size), c.format), c.expected) << c.why;
        EXPECT_EQ(utf8(digits(c.size), c.format), c.expected) << c.why << " (UTF-8)";
    }
}

// The longest narrow rendering: 1016 bytes, quotes and "..." in 1021 characters.
TEST_F(StringFormatTest, TheLongestRenderingFitsTheBuffer) {
    EXPECT_EQ(narrow(std::string(5000, 'x'), eFormatFull).size(), 1021u);
    EXPECT_EQ(utf8(std::string(5000, 'x'), eFormatFull).size(), 1021u);
}

// --- partial captures: the bytes are head and tail of a longer string --------------

TEST_F(StringFormatTest, APartialCaptureShowsItsTwoHalves) {
    EXPECT_EQ(narrow("abcdefgh", eFormatLine, true), "\"abcd...efgh\"");
    EXPECT_EQ(narrow("abcdefgh", eFormatUnquoted, true), "abcd...efgh");
    // An odd size: the narrow form drops the last byte, the UTF-8 form keeps it.
    EXPECT_EQ(narrow("012345678", eFormatLine, true), "\"0123...4567\"");
    EXPECT_EQ(utf8("012345678", eFormatLine, true), "\"0123...45678\"");
    EXPECT_EQ(narrow("0", eFormatLine, true), "\"...\"");
    EXPECT_EQ(utf8("0", eFormatLine, true), "\"...0\"");
    // The short form's 15 + 15 cut comes first and ignores the flag.
    EXPECT_EQ(narrow(digits(40), eFormatShort, true),
              quoted(digits(15) + "..." + digits(40).substr(25)));
    // Beyond the limit the limit wins.
    EXPECT_EQ(narrow(digits(300), eFormatLine, true), quoted(digits(256) + "..."));
}

// --- empty and missing data ------------------------------------------------------

TEST_F(StringFormatTest, AnEmptyStringIsTwoQuotesOrNothing) {
    const CVisaGenericFormat& f = m_formatter;
    EXPECT_EQ(renderChecked([&](char* out) {
                  return f.FormatMbcsString(nullptr, 0, eFormatLine, false, out);
              }).text,
              "\"\"");
    EXPECT_EQ(renderChecked([&](char* out) {
                  return f.FormatMbcsString(nullptr, 0, eFormatLine, true, out);
              }).text,
              "\"...\"");
    EXPECT_EQ(renderChecked([&](char* out) {
                  return f.FormatUtf8String(nullptr, 0, eFormatUnquoted, true, out);
              }).text,
              "...");
    // The unquoted empty text writes nothing at all.
    EXPECT_EQ(renderChecked([&](char* out) {
                  return f.FormatMbcsString(nullptr, 0, eFormatUnquoted, false, out);
              }).result,
              0);
    EXPECT_EQ(renderChecked([&](char* out) {
                  return f.FormatUtf8String(nullptr, 0, eFormatUnquoted, false, out);
              }).result,
              0);
    // Without data a captured size cannot be read: it shows as empty.
    EXPECT_EQ(renderChecked([&](char* out) {
                  return f.FormatMbcsString(nullptr, 12, eFormatFull, false, out);
              }).text,
              "\"\"");
    EXPECT_EQ(renderChecked([&](char* out) {
                  return f.FormatMbcsString("abc", -3, eFormatLine, false, out);
              }).text,
              "\"\"");
}

// --- embedded NUL bytes end each piece ----------------------------------------------

TEST_F(StringFormatTest, AnEmbeddedNulEndsItsPiece) {
    const std::string withNul("ab\0cd", 5);
    EXPECT_EQ(narrow(withNul, eFormatLine), "\"ab\"");
    EXPECT_EQ(narrow(withNul, eFormatUnquoted), "ab");
    const std::string bothHalves("a\0bcd\0ef", 8);
    EXPECT_EQ(narrow(bothHalves, eFormatLine, true), "\"a...d\"");
    const std::string shortForm = std::string("x\0", 2) + digits(29) + std::string("\0y", 2);
    EXPECT_EQ(narrow(shortForm, eFormatShort), "\"x..." + shortForm.substr(18, 13) + "\"");
    EXPECT_EQ(utf8(withNul, eFormatLine), "\"ab\"");
}

// --- control characters ------------------------------------------------------------

TEST_F(StringFormatTest, ControlCharactersShowAsFullStops) {
    EXPECT_EQ(narrow("a\nb\tc\x7F" "d\x1F", eFormatLine), "\"a.b.c.d.\"");
    EXPECT_EQ(utf8("a\r\nb", eFormatFull), "\"a..b\"");
    // The first character is never replaced, even when unquoted.
    EXPECT_EQ(narrow("\tab\n", eFormatUnquoted), "\tab.");
    EXPECT_EQ(utf8("\x01z", eFormatUnquoted), "\x01z");
    // Bytes above 0x7F are not control characters in the C locale.
    EXPECT_EQ(narrow("\xE9", eFormatLine), "\"\xE9\"");
}

TEST_F(StringFormatTest, IsPrintableCharRejectsOnlyControlCharacters) {
    for (int c = 0; c < 256; ++c) {
        const bool control = c < 0x20 || c == 0x7F;
        EXPECT_EQ(CVisaGenericFormat::isPrintableChar(static_cast<char>(c)), !control) << c;
    }
}

// --- UTF-8: pieces are cut on whole sequences --------------------------------------

class Utf8LocaleTest : public StringFormatTest {
protected:
    void SetUp() override {
        if (!std::setlocale(LC_ALL, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
    }
};

TEST_F(Utf8LocaleTest, CharactersPassThroughAUtf8Locale) {
    EXPECT_EQ(utf8("caf\xC3\xA9", eFormatLine), "\"caf\xC3\xA9\"");
}

// Cut in the middle of a three-byte sequence, the whole sequence goes.
TEST_F(Utf8LocaleTest, TheLimitDropsAWholeSequence) {
    const std::string euro = "\xE2\x82\xAC";
    EXPECT_EQ(utf8(std::string(254, 'a') + euro + "b", eFormatLine),
              quoted(std::string(254, 'a') + "..."));
    EXPECT_EQ(utf8(std::string(255, 'a') + euro, eFormatLine),
              quoted(std::string(255, 'a') + "..."));
    EXPECT_EQ(utf8(std::string(253, 'a') + euro + "b", eFormatLine),
              quoted(std::string(253, 'a') + euro + "..."));
}

// A character across the middle of a partial capture is lost from both halves.
TEST_F(Utf8LocaleTest, APartialCaptureCutsBothHalvesOnWholeSequences) {
    EXPECT_EQ(utf8("abc\xC3\xA9" "def", eFormatLine, true), "\"abc...def\"");
    EXPECT_EQ(utf8("a\xC3\xA9" "bcd", eFormatLine, true), "\"a\xC3\xA9...bcd\"");
}

// The short form's head skips continuation bytes; its tail starts on a whole
// character.
TEST_F(Utf8LocaleTest, TheShortFormStartsOnWholeSequences) {
    const std::string head = "\xA9\xA9" + digits(13);
    const std::string middle(10, 'm');
    const std::string tail = "\xAC" "\xE2\x82\xAC" + digits(11);
    EXPECT_EQ(utf8(head + middle + tail, eFormatShort),
              quoted(digits(13) + "..." + "\xE2\x82\xAC" + digits(11)));
    const std::string cutTail = digits(25) + "\xE2\x82\xAC" + digits(14);
    EXPECT_EQ(utf8(cutTail, eFormatShort), quoted(digits(15) + "..." + digits(14)));
}

TEST_F(StringFormatTest, NonAsciiCharactersAreQuestionMarksInTheCLocale) {
    EXPECT_EQ(utf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", eFormatLine), "\"caf? ? ?\"");
}

// Invalid UTF-8 is not shown: the renderer throws and writes nothing.
TEST_F(StringFormatTest, InvalidUtf8Throws) {
    const char* const invalid[] = {
        "\xC0\x80",          // overlong
        "ab\xFF" "cd",       // never a lead byte
        "\xE2\x82",          // incomplete from the range's first byte
        "a\xE2" "b\x82",     // a lead byte without its continuation
    };
    for (const char* text : invalid) {
        kovesk_test::SentinelBuffer out;
        EXPECT_THROW(m_formatter.FormatUtf8String(reinterpret_cast<const unsigned char*>(text),
                                                  static_cast<int>(std::strlen(text)),
                                                  eFormatLine, false, out.data()),
                     ko::zel::exception::InvalidSequence)
            << text;
        EXPECT_TRUE(out.untouchedFrom(0));
    }
}

}  // namespace
}  // namespace nKoVeskLog210
