#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ko/zel/Utf8ToWide.h"

namespace ex = ko::zel::exception;
using ko::zel::DecodeUtf8;
using ko::zel::Utf8ToWide;

namespace {

WideStringBase Decode(const std::string& bytes) {
    // A block of its own, so that AddressSanitizer sees a read past the end.
    const std::vector<unsigned char> copy(bytes.begin(), bytes.end());
    return Utf8ToWide(copy.data(), copy.data() + copy.size());
}

std::wstring Text(const WideStringBase& wide) { return std::wstring(wide.c_str(), wide.length()); }

}  // namespace

// Every form the decoder accepts, at its boundaries, including values that
// are not Unicode scalars but that a form can express.
TEST(Utf8ToWideTest, AcceptedSequences) {
    struct {
        std::string bytes;
        std::wstring expected;
    } const cases[] = {
        {"a\x7F", L"a\x7F"},
        {"\xC3\xA9", L"\xE9"},
        {"\xC2\x80", L"\x80"},
        {"\xDF\xBF", L"\x7FF"},
        {"\xE0\xA0\x80", L"\x800"},
        {"\xEF\xBF\xBF", L"\xFFFF"},
        {"\xED\xA0\x80", std::wstring(1, wchar_t(0xD800))},  // a surrogate, kept
        {"\xF0\x90\x80\x80", L"\x10000"},
        {"\xF4\x8F\xBF\xBF", L"\x10FFFF"},
        {"\xF7\xBF\xBF\xBF", std::wstring(1, wchar_t(0x1FFFFF))},
        {"\xFC\x84\x80\x80\x80\x80", std::wstring(1, wchar_t(0x4000000))},
        {"\xFD\xBF\xBF\xBF\xBF\xBF", std::wstring(1, wchar_t(0x7FFFFFFF))},
        // F8 to FB read like FC: six bytes, only the lowest lead bit kept.
        {"\xF8\x84\x80\x80\x80\x80", std::wstring(1, wchar_t(0x4000000))},
        {"\xFB\x84\x80\x80\x80\x81", std::wstring(1, wchar_t(0x44000001))},
        {"a\xC3\xA9" "b", L"a\xE9" L"b"},
    };
    for (const auto& c : cases) {
        const WideStringBase wide = Decode(c.bytes);
        EXPECT_EQ(c.expected, Text(wide)) << "input of " << c.bytes.size() << " bytes";
        EXPECT_EQ(wide.length(), wide.capacity());  // exactly sized
    }
}

// Every kind of malformed input: stray continuation bytes, overlong forms,
// a missing continuation, truncation at the end, and the two bytes that
// never occur.
TEST(Utf8ToWideTest, RejectedSequences) {
    const std::string cases[] = {
        "\x80", "a\xBF",                        // lone continuation
        "\xC0\x80", "\xC1\xBF",                 // overlong two-byte
        "\xE0\x80\x80", "\xE0\x9F\xBF",         // overlong three-byte
        "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF", // overlong four-byte
        "\xFC\x83\xBF\xBF\xBF\xBF",             // overlong six-byte
        "\xF8\x80\x80\x80\x80\x80",             // read like FC, so overlong too
        "\xC3" "A", "\xE2\x28\xA1", "\xF0\x90\x80" "a",  // non-continuation
        "\xC3", "a\xE2\x82", "\xF0\x90\x80",    // truncated at the end
        "\xFC\x84\x80\x80\x80",                 // six-byte form, five present
        "\xFE", "\xFF", "ab\xFF",
    };
    for (const std::string& bytes : cases) {
        EXPECT_THROW(Decode(bytes), ex::InvalidSequence) << "input of " << bytes.size() << " bytes";
    }
}

// Nothing to decode is not an error.
TEST(Utf8ToWideTest, EmptyAndNullRanges) {
    EXPECT_TRUE(Utf8ToWide(nullptr, nullptr).empty());
    const unsigned char byte = 'a';
    EXPECT_TRUE(Utf8ToWide(&byte, &byte).empty());
    const ko::zel::Utf8String text(reinterpret_cast<const unsigned char*>("\xC3\xA9"),
                          reinterpret_cast<const unsigned char*>("\xC3\xA9") + 2);
    EXPECT_EQ(L"\xE9", Text(Utf8ToWide(text)));
}

// The decoder into a caller's range checks the range first and refuses to
// drop input that does not fit.
TEST(Utf8ToWideTest, DecodeIntoARange) {
    const unsigned char input[] = {'a', 0xC3, 0xA9, 'b'};
    wchar_t out[3] = {};
    EXPECT_EQ(out + 3, DecodeUtf8(input, input + 4, out, out + 3));
    EXPECT_EQ(wchar_t(0xE9), out[1]);
    EXPECT_THROW(DecodeUtf8(input, input + 4, nullptr, nullptr), ex::InvalidArgument);
    EXPECT_THROW(DecodeUtf8(input, input + 4, out + 1, out), ex::InvalidArgument);
    EXPECT_THROW(DecodeUtf8(input, input + 4, out, out + 2), ex::BufferOverflow);
}
