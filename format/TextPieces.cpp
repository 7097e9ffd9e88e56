#include "format/TextPieces.h"

#include <climits>
#include <cstdlib>
#include <cwchar>

#include "format/CVisaGenericFormat.h"
#include "format/CharClass.h"
#include "ko/zel/Utf8ToWide.h"

namespace nKoVeskLog210 {
namespace {

bool isContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }
bool isLeadByte(unsigned char byte) { return (byte & 0xC0) == 0xC0; }

size_t sequenceLength(unsigned char lead) {
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return 4;
}

// Bytes of the locale character that starts at `text` (1 for a byte that
// starts no valid character, so that a walk always advances).
size_t characterLength(const char* text, size_t available, std::mbstate_t& state) {
    const size_t n = std::mbrlen(text, available, &state);
    if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
        state = std::mbstate_t();
        return 1;
    }
    return n == 0 ? 1 : n;
}

// Length of the longest prefix of whole characters within `budget` bytes.
size_t wholeCharacterPrefix(const char* text, size_t length, size_t budget) {
    if (budget >= length) return length;
    if (MB_CUR_MAX == 1) return budget;
    std::mbstate_t state = std::mbstate_t();
    size_t position = 0;
    while (position < budget) {
        const size_t n = characterLength(text + position, length - position, state);
        if (position + n > budget) break;
        position += n;
    }
    return position;
}

// Start of the longest suffix of whole characters within `budget` bytes.
size_t wholeCharacterSuffixStart(const char* text, size_t length, size_t budget) {
    if (budget >= length) return 0;
    const size_t first = length - budget;
    if (MB_CUR_MAX == 1) return first;
    std::mbstate_t state = std::mbstate_t();
    size_t position = 0;
    while (position < first) {
        position += characterLength(text + position, length - position, state);
    }
    return position < length ? position : length;
}

}  // namespace

Utf8Range trimToWholeSequences(const unsigned char* begin, const unsigned char* end) noexcept {
    while (begin < end && isContinuationByte(*begin)) ++begin;
    if (begin < end && end[-1] >= 0x80) {
        for (const unsigned char* p = end - 1; p > begin; --p) {
            if (!isLeadByte(*p)) continue;
            if (sequenceLength(*p) != static_cast<size_t>(end - p)) end = p;
            break;
        }
    }
    return {begin, end};
}

StringBase convertUtf8Piece(const unsigned char* begin, const unsigned char* end) {
    const Utf8Range range = trimToWholeSequences(begin, end);
    if (range.begin == range.end) return StringBase();
    return StringBase(ko::zel::Utf8ToWide(range.begin, range.end));
}

void writeFramed(BoundedText& text, bool quoted, tTextPiece head, const char* middle,
                 tTextPiece tail) noexcept {
    const size_t middleLength = middle ? std::strlen(middle) : 0;
    const size_t frame = (quoted ? 2 : 0) + middleLength;
    if (frame + head.length + tail.length == 0) return;

    const size_t room = text.room();
    const size_t forPieces = room > frame ? room - frame : 0;
    if (head.length + tail.length > forPieces) {
        // Each piece gets half the room; what one does not need goes to the other.
        const size_t tailShare = tail.length < forPieces / 2 ? tail.length : forPieces / 2;
        const size_t headBudget =
            head.length < forPieces - tailShare ? head.length : forPieces - tailShare;
        const size_t tailBudget =
            tail.length < forPieces - headBudget ? tail.length : forPieces - headBudget;
        head.length = wholeCharacterPrefix(head.text, head.length, headBudget);
        const size_t tailStart = wholeCharacterSuffixStart(tail.text, tail.length, tailBudget);
        tail.text += tailStart;
        tail.length -= tailStart;
    }

    if (quoted) text.append('"');
    if (head.length) text.append(head.text, head.length);
    if (middleLength) text.append(middle, middleLength);
    if (tail.length) text.append(tail.text, tail.length);
    if (quoted) text.append('"');
}

void replaceControlCharacters(char* text, size_t length) noexcept {
    // CVisaGenericFormat::isPrintableChar, with the table looked up once.
    const CCharClassTable classes;
    for (size_t i = 1; i < length; ++i) {
        if (classes.isControl(static_cast<unsigned char>(text[i]))) text[i] = '.';
    }
}

}  // namespace nKoVeskLog210
