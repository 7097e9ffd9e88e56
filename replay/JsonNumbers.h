// Reads the numbers of a capture line from the JSON parser's values:
// integers, checked against the range of what they become, and reals of 32
// or 64 bits, whose special values are written as the strings "nan", "inf"
// and "-inf" (JSON has no literal for them).
//
// A reader that refuses a value says why in a tNumberFailure; the parser
// words the message and names the key.
#pragma once

#include <simdjson.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace vesk::replay {

// The values an integer accepts: min..max, both included.
struct tIntegerRange {
    int64_t min;
    uint64_t max;
};

// The range of an integer of `width` bytes (1, 2, 4 or 8).
constexpr tIntegerRange IntegerRangeOf(size_t width, bool isSigned) {
    const unsigned bits = static_cast<unsigned>(width * 8);
    if (isSigned) {
        if (bits == 64) {
            return {std::numeric_limits<int64_t>::min(),
                    uint64_t{std::numeric_limits<int64_t>::max()}};
        }
        return {-(int64_t{1} << (bits - 1)), (uint64_t{1} << (bits - 1)) - 1};
    }
    return {0, bits == 64 ? std::numeric_limits<uint64_t>::max() : (uint64_t{1} << bits) - 1};
}

// Identifiers, type codes and return indexes: any 32-bit signed value.
inline constexpr tIntegerRange kInt32Range = IntegerRangeOf(4, true);
// Sizes: the non-negative half of it.
inline constexpr tIntegerRange kSizeRange = {0, kInt32Range.max};

// An integer as JSON gave it: its 64-bit two's complement, whose low bytes
// are the bytes of the narrower integer it stands for.
struct tJsonInteger {
    bool negative = false;
    uint64_t bits = 0;
};

// Why a number was refused.
enum class eNumberFailure {
    Json,               // the value is not valid JSON: `json` says why
    WrongType,          // not a number (nor a string, for a real): `type` says what it is
    NotAnInteger,       // a number with a fraction or an exponent, for an integer: `text`
    IntegerOutOfRange,  // an integer outside `range`, or beyond what 64 bits hold: `text`
    RealOutOfRange,     // beyond the largest finite real of `width` bytes: `text`
    UnknownRealName,    // a string other than "nan", "inf" and "-inf", for a real: `text`
};

struct tNumberFailure {
    eNumberFailure kind = eNumberFailure::Json;
    simdjson::error_code json = simdjson::SUCCESS;
    simdjson::ondemand::json_type type = simdjson::ondemand::json_type::null;
    // NotAnInteger: the number's token as the parser gives it, with the
    // blanks that follow it; the out-of-range kinds: the number as written,
    // without them; UnknownRealName: the string's content.
    std::string_view text;
    tIntegerRange range = {0, 0};  // IntegerOutOfRange: the range asked for
    size_t width = 0;              // RealOutOfRange: the width asked for
};

// Reads an integer within `range` into `out`. False, with `failure` set,
// when the value is not an integer or is out of range.
bool ReadJsonInteger(simdjson::ondemand::value& value, tIntegerRange range, tJsonInteger& out,
                     tNumberFailure& failure);

// Reads a real that a real of `width` bytes (4 or 8) holds: a number whose
// magnitude is at most the largest finite value of that width (smaller
// ones may round to zero), or one of the special values' strings. False,
// with `failure` set, otherwise.
bool ReadJsonReal(simdjson::ondemand::value& value, size_t width, double& out,
                  tNumberFailure& failure);

}  // namespace vesk::replay
