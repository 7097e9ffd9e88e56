// Numbers as text, byte for byte what the printf conversions of the
// renderings print: "%u", "%llu", "%d", "%lld" and upper-case hexadecimal
// with a zero-padded minimum width ("%X", "%08X", "%016llX").
//
// Arguments, previews and dump lines are rendered for every call of a
// capture, so their numbers are written through digit tables rather than by
// parsing a format each time. Internal to the plug-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace nKoVeskLog210 {

// Digit pairs: decimal "00" to "99" and upper-case hexadecimal "00" to "FF".
struct tDigitPairs {
    char decimal[100][2];
    char hex[256][2];
};

constexpr tDigitPairs makeDigitPairs() {
    tDigitPairs pairs{};
    const char digits[] = "0123456789ABCDEF";
    for (int value = 0; value < 100; ++value) {
        pairs.decimal[value][0] = digits[value / 10];
        pairs.decimal[value][1] = digits[value % 10];
    }
    for (int value = 0; value < 256; ++value) {
        pairs.hex[value][0] = digits[value >> 4];
        pairs.hex[value][1] = digits[value & 0xF];
    }
    return pairs;
}

inline constexpr tDigitPairs kDigitPairs = makeDigitPairs();
inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

// "%llu": writes the digits at `p`, returns the position after them.
inline char* writeDecimal(char* p, uint64_t value) {
    char digits[20];
    char* first = digits + sizeof digits;
    while (value >= 100) {
        first -= 2;
        std::memcpy(first, kDigitPairs.decimal[value % 100], 2);
        value /= 100;
    }
    if (value >= 10) {
        first -= 2;
        std::memcpy(first, kDigitPairs.decimal[value], 2);
    } else {
        *--first = static_cast<char>('0' + value);
    }
    const size_t count = static_cast<size_t>(digits + sizeof digits - first);
    std::memcpy(p, first, count);
    return p + count;
}

// "%lld" (and "%d", "%hd", "%hhd" of a value of their width).
inline char* writeSignedDecimal(char* p, int64_t value) {
    if (value >= 0) return writeDecimal(p, static_cast<uint64_t>(value));
    *p++ = '-';
    return writeDecimal(p, 0 - static_cast<uint64_t>(value));
}

// "%0<minDigits>llX" for minDigits 1 to 16 ("%X" is minDigits 1).
inline char* writeUpperHex(char* p, uint64_t value, int minDigits) {
    int digits = 1;
    while (digits < 16 && (value >> (4 * digits)) != 0) ++digits;
    if (digits < minDigits) digits = minDigits;
    for (int i = digits - 1; i >= 0; --i) {
        p[i] = kUpperHexDigits[value & 0xF];
        value >>= 4;
    }
    return p + digits;
}

// A short text composed in place from literals, characters and numbers.
// Nothing is checked: for texts whose length is known to stay below
// kShortTextSize (a number or two and their punctuation).
class CShortText {
public:
    static constexpr size_t kShortTextSize = 96;

    template <size_t N>
    CShortText& add(const char (&literal)[N]) {
        std::memcpy(m_text + m_length, literal, N - 1);
        m_length += N - 1;
        return *this;
    }
    CShortText& add(char c) {
        m_text[m_length++] = c;
        return *this;
    }
    CShortText& decimal(uint64_t value) { return advanceTo(writeDecimal(end(), value)); }
    CShortText& signedDecimal(int64_t value) {
        return advanceTo(writeSignedDecimal(end(), value));
    }
    CShortText& hex(uint64_t value, int minDigits = 1) {
        return advanceTo(writeUpperHex(end(), value, minDigits));
    }

    const char* data() const { return m_text; }
    size_t size() const { return m_length; }

private:
    char* end() { return m_text + m_length; }
    CShortText& advanceTo(char* position) {
        m_length = static_cast<size_t>(position - m_text);
        return *this;
    }

    char m_text[kShortTextSize];
    size_t m_length = 0;
};

// Reads `text` as sscanf's "%X" reads it into an unsigned int: blanks,
// a sign, an optional "0x", hexadecimal digits, the value cut to 32 bits
// (both go through strtoul). False where "%X" converts nothing. Runs for
// every status a page or an XML element describes: sscanf parses its
// format each time.
inline bool readHexLikeScanf(const char* text, unsigned& value) {
    char* end = nullptr;
    const unsigned long parsed = std::strtoul(text, &end, 16);
    if (end == text) return false;
    value = static_cast<unsigned>(parsed);
    return true;
}

}  // namespace nKoVeskLog210
