#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>

#include "format/CVisaGenericFormat.h"
#include "ko/zel/Exception.h"
#include "tests/format/FormatTestSupport.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::digits;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// Renders `data` with the narrow or the UTF-8 renderer from an allocation of
// its own, so that the address sanitizer catches a read past it.
std::string render(bool utf8, const std::string& data, eFormatSpecifier format, bool partial) {
    const std::unique_ptr<unsigned char[]> copy(new unsigned char[data.size() + 1]);
    std::memcpy(copy.get(), data.data(), data.size());
    const int size = static_cast<int>(data.size());
    return kovesk_test::renderChecked([&](char* out) {
               const CVisaGenericFormat formatter;
               return utf8 ? formatter.FormatUtf8String(copy.get(), size, format, partial, out)
                           : formatter.FormatMbcsString(reinterpret_cast<const char*>(copy.get()),
                                                        size, format, partial, out);
           });
}
std::string narrow(const std::string& data, eFormatSpecifier format, bool partial = false) {
    return render(false, data, format, partial);
}
std::string utf8(const std::string& data, eFormatSpecifier format, bool partial = false) {
    return render(true, data, format, partial);
}

// Each selector's limit, one byte on either side, in both renderers.
TEST(StringFormatTest, EachSelectorCutsAtItsLimit) {
    const std::tuple<size_t, eFormatSpecifier, std::string> cases[] = {
        {30, eFormatShort, quoted(digits(30))},
        {31, eFormatShort, quoted(digits(15) + "..." + digits(31).substr(16))},
        {256, eFormatLine, quoted(digits(256))},
        {257, eFormatLine, quoted(digits(256) + "...")},
        {1016, eFormatFull, quoted(digits(1016))},
        {1017, eFormatFull, quoted(digits(1016) + "...")},
        {1016, eFormatUnquoted, digits(1016)},
        {1017, eFormatUnquoted, digits(1016) + "..."},
        {1017, static_cast<eFormatSpecifier>(9), quoted(digits(1016) + "...")},
    };
    for (const auto& [size, format, expected] : cases) {
        EXPECT_EQ(narrow(digits(size), format), expected) << size;
        EXPECT_EQ(utf8(digits(size), format), expected) << size << " (UTF-8)";
    }
}

// A partial capture shows head and tail: an odd size loses its last byte in
// the narrow form only; the short cut and the limits come first.
TEST(StringFormatTest, PartialCapturesShowTwoHalves) {
    EXPECT_EQ(narrow("012345678", eFormatLine, true), "\"0123...4567\"");
    EXPECT_EQ(utf8("012345678", eFormatLine, true), "\"0123...45678\"");
    EXPECT_EQ(narrow("0", eFormatUnquoted, true), "...");
    EXPECT_EQ(utf8("0", eFormatLine, true), "\"...0\"");
    EXPECT_EQ(narrow(digits(40), eFormatShort, true), quoted(digits(15) + "..." + digits(40).substr(25)));
    EXPECT_EQ(narrow(digits(300), eFormatLine, true), quoted(digits(256) + "..."));
    EXPECT_EQ(narrow("", eFormatUnquoted), "");
}

// An embedded NUL ends its piece; control characters but the first show as
// full stops; bytes above 0x7F are not control characters in the C locale.
TEST(StringFormatTest, NulAndControlCharacters) {
    EXPECT_EQ(narrow(std::string("ab\0cd", 5), eFormatLine), "\"ab\"");
    EXPECT_EQ(narrow(std::string("a\0bcd\0ef", 8), eFormatLine, true), "\"a...d\"");
    EXPECT_EQ(narrow("a\nb\tc\x7F" "d\x1F", eFormatLine), "\"a.b.c.d.\"");
    EXPECT_EQ(narrow("\tab\n", eFormatUnquoted), "\tab.");
    EXPECT_EQ(narrow("\xE9", eFormatLine), "\"\xE9\"");
}

// In the C locale every non-ASCII character is one "?"; invalid UTF-8 throws
// and writes nothing.
TEST(StringFormatTest, Utf8InTheCLocale) {
    EXPECT_EQ(utf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", eFormatLine), "\"caf? ? ?\"");
    for (const char* invalid : {"\xC0\x80", "ab\xFF" "cd", "\xE2\x82", "a\xE2" "b\x82"}) {
        kovesk_test::SentinelBuffer out;
        const auto* bytes = reinterpret_cast<const unsigned char*>(invalid);
        EXPECT_THROW(CVisaGenericFormat().FormatUtf8String(bytes, static_cast<int>(std::strlen(invalid)), eFormatLine, false, out.data()),
                     ko::zel::exception::InvalidSequence);
        EXPECT_TRUE(out.untouchedFrom(0));
    }
}

// A cut inside a sequence drops the whole sequence: at a limit, across the
// middle of a partial capture, and at the short form's head and tail.
TEST(StringFormatTest, Utf8IsCutOnWholeSequences) {
    if (!std::setlocale(LC_ALL, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
    const std::string euro = "\xE2\x82\xAC";
    EXPECT_EQ(utf8(std::string(254, 'a') + euro + "b", eFormatLine), quoted(std::string(254, 'a') + "..."));
    EXPECT_EQ(utf8(std::string(253, 'a') + euro + "b", eFormatLine),
              quoted(std::string(253, 'a') + euro + "..."));
    EXPECT_EQ(utf8("abc\xC3\xA9" "def", eFormatLine, true), "\"abc...def\"");
    EXPECT_EQ(utf8("a\xC3\xA9" "bcd", eFormatLine, true), "\"a\xC3\xA9...bcd\"");
    EXPECT_EQ(utf8("\xA9\xA9" + digits(13) + std::string(10, 'm') + "\xAC" + euro + digits(11), eFormatShort),
              quoted(digits(13) + "..." + euro + digits(11)));
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace nKoVeskLog210
