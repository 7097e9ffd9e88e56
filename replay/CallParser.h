// Turns one line of a capture (a JSON object, one call) into the two host
// loggers of the call.
//
// The parser is reused for every line: the JSON parser, its string buffer
// and the scratch space for decoded bytes keep their allocations, so a
// capture of millions of calls parses without allocating in steady state.
// A line that is not a well-formed call leaves a one-line message that names
// the offending key (for example `in[2].u8: 300 is out of range 0..255`).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "replay/CapturedCall.h"

namespace vesk::replay {

// Readable bytes that must follow a line given to CallParser::Parse. Their
// content does not matter; the JSON parser may look at them.
inline constexpr size_t kLinePadding = 64;

class CallParser {
public:
    CallParser();
    ~CallParser();
    CallParser(const CallParser&) = delete;
    CallParser& operator=(const CallParser&) = delete;

    // Parses `length` bytes at `line` into `call` (cleared first). At least
    // kLinePadding readable bytes must follow the line. Returns false, with
    // Error() set and `call` in an unspecified state, when the line is not
    // a well-formed call.
    bool Parse(const char* line, size_t length, CapturedCall& call);

    // As Parse, for a line held in a plain string: copies it into a padded
    // buffer of the parser's own first (tests and fuzzing).
    bool ParseCopy(std::string_view line, CapturedCall& call);

    // The message of the last failed Parse.
    const std::string& Error() const { return m_error; }

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
    std::string m_error;
    std::string m_paddedCopy;
};

}  // namespace vesk::replay
