// Reads a capture in JSON Lines, one call per line, and hands the calls out
// one at a time as the host's two loggers.
//
// Lines that are empty (or hold only blanks) are skipped and are not calls.
// Every other line is a call and gets the next call number, counting from
// 1, whether it parses or not, so that a call number always names the same
// line. Memory stays flat: the lines are streamed and one CapturedCall is
// refilled for every call.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "replay/CallParser.h"
#include "replay/CapturedCall.h"
#include "replay/LineSource.h"

namespace vesk::replay {

// True for a line of nothing but blanks, tabs and carriage returns (or
// nothing): such a line is no call.
bool IsBlankLine(std::string_view line);

class CaptureReader {
public:
    enum class eResult {
        Call,     // Call() holds the next call
        BadCall,  // the line is not a well-formed call: Error() says why
        Skipped,  // a call line passed over unread (Next with parse false)
        End,      // no more lines
        Stopped,  // reading had to stop at a line: Error() says why
    };

    // Reads from `input`, which stays owned by the caller; lines longer than
    // `maxLineBytes` stop the reading.
    explicit CaptureReader(std::FILE* input,
                           size_t maxLineBytes = LineSource::kDefaultMaxLineBytes);

    // Advances to the next call line. With `parse` false the line is
    // counted but not parsed.
    eResult Next(bool parse = true);

    CapturedCall& Call() { return m_call; }
    const std::string& Error() const { return m_error.empty() ? m_parser.Error() : m_error; }
    // Line number (1-based) and call number of the line last read.
    uint64_t LineNumber() const { return m_lines.LineNumber(); }
    uint64_t CallNumber() const { return m_callNumber; }
    // True when the input could not be read to its end (an I/O error).
    bool ReadFailed() const { return m_readFailed; }

private:
    // Why the lines ended: eEnd, or eStopped with the message set.
    eResult stop(LineSource::eNext reason);

    LineSource m_lines;
    CallParser m_parser;
    CapturedCall m_call;
    std::string m_error;  // a failure of the reader's own, else empty
    uint64_t m_callNumber = 0;
    bool m_readFailed = false;
};

}  // namespace vesk::replay
