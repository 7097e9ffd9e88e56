// Decodes the hexadecimal text of a captured buffer (the "hex" key of a
// parameter) into its bytes.
//
// Digits come in pairs, the high digit first, in either case; blanks (space
// and tab) may stand between pairs, never inside one. A waveform of
// megabytes is mostly one unbroken run of digits: that is decoded 32 digits
// at a time with SSE2, and a pair at a time around blanks, at the end of the
// text and where the processor has no SSE2.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace vesk::replay {

// Why a text is not hexadecimal.
enum class eHexFailure {
    BadDigit,         // a character that is neither a digit nor a blank between pairs
    OddDigitCount,    // the last pair has only its high digit
    BlankInsidePair,  // a blank between the two digits of a pair
};

struct tHexFailure {
    eHexFailure kind = eHexFailure::BadDigit;
    // 0-based position in the text: of the bad character (BadDigit), or of
    // the high digit of the pair (BlankInsidePair, OddDigitCount).
    size_t position = 0;
    // The bad character (BadDigit).
    char character = 0;
};

// Decodes `text` into `bytes`, which ends up holding exactly the decoded
// bytes and keeps its capacity from call to call. False, with `failure`
// set and `bytes` unspecified, when the text is not hexadecimal; the
// failure is the first one in the text.
bool DecodeHex(std::string_view text, std::vector<unsigned char>& bytes, tHexFailure& failure);

}  // namespace vesk::replay
