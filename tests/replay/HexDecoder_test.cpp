// The hex decoder of captured buffers: 32 digits at a time where it can, a
// pair at a time around blanks and at the end, the same bytes either way.
#include "replay/HexDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::replay {
namespace {

using Bytes = std::vector<unsigned char>;

// The text of `bytes`: each as two digits in `format` ("%02x", "%02X"),
// followed by `separator`.
std::string hexOf(const Bytes& bytes, const char* format = "%02X", const char* separator = "") {
    std::string text;
    for (const unsigned char byte : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, format, byte);
        text += pair;
        text += separator;
    }
    return text;
}

// `count` bytes that differ from their neighbours and from block to block.
Bytes sampleBytes(size_t count) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<unsigned char>(i * 37 + 11);
    return bytes;
}

// Decodes a copy of `text` in an allocation of exactly its size, so that
// AddressSanitizer sees a read past its end.
bool decode(const std::string& text, Bytes& bytes, tHexFailure& failure) {
    const std::unique_ptr<char[]> copy(new char[text.size()]);
    std::copy(text.begin(), text.end(), copy.get());
    return DecodeHex(std::string_view(copy.get(), text.size()), bytes, failure);
}

// The failure as "KIND@POSITION" (with the character for a bad digit);
// "ok" when the text decodes.
std::string failureOf(const std::string& text) {
    Bytes bytes;
    tHexFailure failure;
    if (decode(text, bytes, failure)) return "ok";
    const std::string at = "@" + std::to_string(failure.position);
    switch (failure.kind) {
        case eHexFailure::BadDigit: return std::string("bad '") + failure.character + "'" + at;
        case eHexFailure::OddDigitCount: return "odd" + at;
        case eHexFailure::BlankInsidePair: return "blank" + at;
    }
    return "?";
}

// --- every digit value, in both cases, on both paths ------------------------------
// Without blanks the digits go through the 32-digit blocks; a blank after
// every pair sends each pair down the pair-at-a-time path.
TEST(HexDecoderTest, EveryByteInBothCasesOnBothPaths) {
    Bytes all(256);
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<unsigned char>(i);
    Bytes decoded;
    tHexFailure failure;
    for (const char* format : {"%02x", "%02X"}) {
        for (const char* separator : {"", " ", "\t"}) {
            const std::string text = hexOf(all, format, separator);
            ASSERT_TRUE(decode(text, decoded, failure)) << format << " '" << separator << "'";
            EXPECT_EQ(decoded, all) << format << " '" << separator << "'";
        }
    }
}

// --- lengths around the block size -----------------------------------------------------
// Whole blocks, a block and a pair, a pair short of a block: every byte
// lands in its place, and `bytes` shrinks to them after a longer text.
// An odd count fails at its last, lone digit, wherever that falls.
TEST(HexDecoderTest, LengthsAroundTheBlockSize) {
    Bytes decoded(1000, 0xEE);  // a longer earlier result
    tHexFailure failure;
    for (const size_t digits : {0u, 2u, 30u, 32u, 34u, 62u, 64u, 66u, 96u}) {
        const Bytes expected = sampleBytes(digits / 2);
        ASSERT_TRUE(decode(hexOf(expected), decoded, failure)) << digits << " digits";
        EXPECT_EQ(decoded, expected) << digits << " digits";
    }
    for (const size_t digits : {1u, 31u, 33u, 63u, 65u}) {
        const std::string text = hexOf(sampleBytes(digits / 2 + 1)).substr(0, digits);
        EXPECT_EQ(failureOf(text), "odd@" + std::to_string(digits - 1)) << digits << " digits";
    }
}

// --- bad digits at the edges of a block ----------------------------------------------
// Two blocks of digits with one character replaced: at the first and last
// position of either block, as a high and as a low digit. The characters
// are the neighbours of the digit ranges and bytes above 0x7F, which a
// wrong range test in the block decoder would let through.
TEST(HexDecoderTest, BadDigitAtTheEdgesOfABlock) {
    const std::string digits = hexOf(sampleBytes(32));
    const char bad[] = {'/', ':', '@', 'G', '`', 'g', '\x80', '\xFF', '\0'};
    for (const size_t position : {0u, 1u, 30u, 31u, 32u, 33u, 62u, 63u}) {
        for (const char c : bad) {
            std::string text = digits;
            text[position] = c;
            EXPECT_EQ(failureOf(text), std::string("bad '") + c + "'@" + std::to_string(position))
                << "character " << int(static_cast<unsigned char>(c)) << " at " << position;
        }
    }
    // The first failure in the text is the one told.
    EXPECT_EQ(failureOf("00 zz " + digits + "x"), "bad 'z'@3");
}

// --- blanks --------------------------------------------------------------------------------
// Between pairs anywhere, also where they move the next block off its
// alignment; never inside a pair, at a block edge or at the end.
TEST(HexDecoderTest, BlanksBetweenPairsNotInsideOne) {
    const Bytes block = sampleBytes(16);
    const std::string digits = hexOf(block);
    const Bytes twoBlocks = [&] {
        Bytes bytes = block;
        bytes.insert(bytes.end(), block.begin(), block.end());
        return bytes;
    }();
    const struct {
        std::string text;
        Bytes expected;
    } decodes[] = {
        {" \t  ", {}},
        {digits + " " + digits, twoBlocks},
        {"\t" + digits + digits + " ", twoBlocks},
        {digits.substr(0, 30) + "  " + digits.substr(30) + digits, twoBlocks},
        {digits.substr(0, 2) + "\t" + digits.substr(2) + digits, twoBlocks},
    };
    Bytes decoded;
    tHexFailure failure;
    for (const auto& d : decodes) {
        ASSERT_TRUE(decode(d.text, decoded, failure)) << '"' << d.text << '"';
        EXPECT_EQ(decoded, d.expected) << '"' << d.text << '"';
    }
    EXPECT_EQ(failureOf("A B"), "blank@0");
    EXPECT_EQ(failureOf("AB\tC\t"), "blank@3");
    EXPECT_EQ(failureOf(digits.substr(0, 31) + " " + digits.substr(31)), "blank@30");
    EXPECT_EQ(failureOf(digits + digits.substr(0, 31) + " 0"), "blank@62");
}

}  // namespace
}  // namespace vesk::replay
