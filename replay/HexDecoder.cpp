#include "replay/HexDecoder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstdint>

namespace vesk::replay {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The value of each hexadecimal digit, -1 for every other character: one
// table look-up per digit.
struct tHexDigitValues {
    int8_t value[256];
};

constexpr tHexDigitValues makeHexDigitValues() {
    tHexDigitValues values{};
    for (int c = 0; c < 256; ++c) {
        values.value[c] = c >= '0' && c <= '9'   ? static_cast<int8_t>(c - '0')
                          : c >= 'a' && c <= 'f' ? static_cast<int8_t>(c - 'a' + 10)
                          : c >= 'A' && c <= 'F' ? static_cast<int8_t>(c - 'A' + 10)
                                                 : int8_t{-1};
    }
    return values;
}

constexpr tHexDigitValues kHexDigitValues = makeHexDigitValues();

int hexDigitValue(char c) { return kHexDigitValues.value[static_cast<unsigned char>(c)]; }

// Bytes decoded at once by decodeHexBlock, from twice as many digits.
constexpr size_t kHexBlockBytes = 16;
constexpr size_t kHexBlockDigits = 2 * kHexBlockBytes;

// Decodes the kHexBlockDigits characters at `text` into kHexBlockBytes bytes
// at `out` when `available` holds them and all are hexadecimal digits;
// false, with nothing written, otherwise (always, without SSE2).
bool decodeHexBlock(const char* text, size_t available, unsigned char* out) {
#if defined(__SSE2__)
    if (available < kHexBlockDigits) return false;
    // Each character to its 4-bit value; `valid` marks the digits.
    const auto nibbles = [](__m128i chars, __m128i& valid) {
        const __m128i decimal = _mm_sub_epi8(chars, _mm_set1_epi8('0'));
        const __m128i isDecimal = _mm_cmpeq_epi8(_mm_min_epu8(decimal, _mm_set1_epi8(9)), decimal);
        const __m128i letter = _mm_sub_epi8(_mm_or_si128(chars, _mm_set1_epi8(0x20)),
                                            _mm_set1_epi8('a'));
        const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
        valid = _mm_or_si128(isDecimal, isLetter);
        return _mm_or_si128(_mm_and_si128(isDecimal, decimal),
                            _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
    };
    __m128i validFirst, validSecond;
    const __m128i first = nibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text)), validFirst);
    const __m128i second =
        nibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + 16)), validSecond);
    if (_mm_movemask_epi8(_mm_and_si128(validFirst, validSecond)) != 0xFFFF) return false;
    // Each 16-bit lane holds a pair: the high digit in its low byte.
    const auto pairs = [](__m128i values) {
        const __m128i high = _mm_and_si128(values, _mm_set1_epi16(0x00FF));
        const __m128i low = _mm_srli_epi16(values, 8);
        return _mm_or_si128(_mm_slli_epi16(high, 4), low);
    };
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(pairs(first), pairs(second)));
    return true;
#else
    (void)text;
    (void)available;
    (void)out;
    return false;
#endif
}

// Why the pair at `position` of `text`, which is not a blank, could not be
// decoded.
tHexFailure explainBadPair(std::string_view text, size_t position) {
    if (hexDigitValue(text[position]) < 0) {
        return {eHexFailure::BadDigit, position, text[position]};
    }
    if (position + 1 == text.size()) return {eHexFailure::OddDigitCount, position, 0};
    const char low = text[position + 1];
    if (isBlank(low)) return {eHexFailure::BlankInsidePair, position, 0};
    return {eHexFailure::BadDigit, position + 1, low};
}

// Decodes the pairs of `text` into `out` until a character that is neither
// part of a pair nor a blank between pairs; returns its position (the
// text's size when there is none), with `count` the bytes written.
size_t decodePairs(std::string_view text, unsigned char* out, size_t& count) {
    const char* const data = text.data();
    const size_t size = text.size();
    size_t written = 0;
    size_t i = 0;
    while (i < size) {
        // The common case: a run of digits without blanks, a block at a time.
        if (decodeHexBlock(data + i, size - i, out + written)) {
            written += kHexBlockBytes;
            i += kHexBlockDigits;
            continue;
        }
        // Else a whole pair, or a blank between pairs.
        if (i + 1 < size) {
            const int high = hexDigitValue(data[i]);
            const int low = hexDigitValue(data[i + 1]);
            if ((high | low) >= 0) {
                out[written++] = static_cast<unsigned char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        if (!isBlank(data[i])) break;
        ++i;
    }
    count = written;
    return i;
}

}  // namespace

bool DecodeHex(std::string_view text, std::vector<unsigned char>& bytes, tHexFailure& failure) {
    // Room for the most bytes the text can hold, written in place; cut to
    // what was decoded at the end.
    bytes.resize(text.size() / 2);
    size_t count = 0;
    const size_t stop = decodePairs(text, bytes.data(), count);
    if (stop < text.size()) {
        failure = explainBadPair(text, stop);
        return false;
    }
    bytes.resize(count);
    return true;
}

}  // namespace vesk::replay
