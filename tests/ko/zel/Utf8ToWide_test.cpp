#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ZelTestSupport.h"
#include "ko/zel/Utf8ToWide.h"

namespace ex = ko::zel::exception;
using ko::zel::DecodeUtf8;
using ko::zel::Utf8ToWide;
using kovesk_test::textOf;

static WideStringBase decode(const std::string& bytes) {
    // A block of its own, so that AddressSanitizer sees a read past the end.
    const std::vector<unsigned char> copy(bytes.begin(), bytes.end());
    return Utf8ToWide(copy.data(), copy.data() + copy.size());
}

// Every form at its boundaries, also values a form can express that are not Unicode.
TEST(Utf8ToWideTest, AcceptedSequences) {
    struct {
        std::string bytes;
        std::wstring expected;
    } const cases[] = {
        {"a\x7F", L"a\x7F"},                          {"a\xC3\xA9" "b", L"a\xE9" L"b"},
        {"\xC2\x80", L"\x80"},                        {"\xDF\xBF", L"\x7FF"},
        {"\xE0\xA0\x80", L"\x800"},                   {"\xEF\xBF\xBF", L"\xFFFF"},
        {"\xF0\x90\x80\x80", L"\x10000"},             {"\xF7\xBF\xBF\xBF", L"\x1FFFFF"},
        {"\xFC\x84\x80\x80\x80\x80", L"\x4000000"},   {"\xFD\xBF\xBF\xBF\xBF\xBF", L"\x7FFFFFFF"},
        {"\xF4\x8F\xBF\xBF", L"\x10FFFF"},            {"\xED\xA0\x80", L"\xD800"},  // surrogate
        // F8 to FB read like FC: six bytes, only the lowest lead bit kept.
        {"\xFB\x84\x80\x80\x80\x81", L"\x44000001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, textOf(decode(c.bytes))) << "input of " << c.bytes.size() << " bytes";
    }
    // Nothing to decode is not an error.
    EXPECT_TRUE(Utf8ToWide(nullptr, nullptr).empty());
    const unsigned char byte = 'a';
    EXPECT_TRUE(Utf8ToWide(&byte, &byte).empty());
}

// Every kind of malformed input, each at the boundary where it starts.
TEST(Utf8ToWideTest, RejectedSequences) {
    const std::string cases[] = {
        "\x80", "a\xBF",                                            // lone continuation
        "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF",     // overlong two-, three-byte
        "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF",                     // overlong four-byte
        "\xFC\x83\xBF\xBF\xBF\xBF", "\xF8\x80\x80\x80\x80\x80",     // overlong six-byte, F8 as FC
        "\xC3" "A", "\xE2\x28\xA1", "\xF0\x90\x80" "a",             // no continuation
        "\xC3", "a\xE2\x82", "\xF0\x90\x80", "\xFC\x84\x80\x80\x80", // truncated at the end
        "\xFE", "\xFF", "ab\xFF",                                   // bytes that never occur
    };
    for (const std::string& bytes : cases) {
        EXPECT_THROW(decode(bytes), ex::InvalidSequence) << "input of " << bytes.size() << " bytes";
    }
}

// Into a caller's range: the range is checked first, input that does not fit is refused.
TEST(Utf8ToWideTest, DecodeIntoARange) {
    const unsigned char input[] = {'a', 0xC3, 0xA9, 'b'};
    wchar_t out[3] = {};
    EXPECT_EQ(out + 3, DecodeUtf8(input, input + 4, out, out + 3));
    EXPECT_EQ(wchar_t(0xE9), out[1]);
    EXPECT_THROW(DecodeUtf8(input, input + 4, nullptr, nullptr), ex::InvalidArgument);
    EXPECT_THROW(DecodeUtf8(input, input + 4, out + 1, out), ex::InvalidArgument);
    EXPECT_THROW(DecodeUtf8(input, input + 4, out, out + 2), ex::BufferOverflow);
}
