// Reads the call lines of a capture file from a byte offset onwards and
// says where each one starts: for the browser view's index of a capture and
// for its filtered views.
//
// Lines are those of a LineSource over the file descriptor, so they are
// counted as the capture reader counts them: empty lines (and lines of
// blanks) are no calls, a "\r" before the line break is dropped, and a
// byte-order mark at the very start of the file is skipped. Unlike the
// reader, the scanner goes on after a line longer than the longest allowed:
// it reports the line and skips its bytes without holding them, so one huge
// line costs no memory and the calls after it keep their numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "replay/LineSource.h"

namespace vesk::replay {

class CCaptureScanner {
public:
    // Bytes read from the file at a time.
    static constexpr size_t kReadSize = LineSource::kReadSize;

    enum class eNext {
        Line,       // the next call line
        TooLong,    // the next call line is longer than the longest allowed
        End,        // the file ends
        ReadError,  // the file could not be read further (Errno says why)
    };

    struct tLine {
        uint64_t offset = 0;      // of the line's first byte in the file
        uint64_t lineNumber = 0;  // physical line, counted from the start offset
        // Without the line break; followed by kLinePadding readable bytes.
        // Empty for a line that is too long.
        std::string_view text;
    };

    // Reads the file `fd` (not owned) from `startOffset`, where a line
    // begins; line numbers count on from `linesBefore`. Throws
    // std::bad_alloc when not even the first block can be allocated.
    CCaptureScanner(int fd, uint64_t startOffset, uint64_t linesBefore, size_t maxLineBytes)
        : m_lines(fd, startOffset, linesBefore, maxLineBytes, LineSource::eLongLine::Skip) {}

    // Throws std::bad_alloc when a line within the longest allowed cannot
    // be held.
    eNext Next(tLine& line);

    // The errno value of a read error.
    int Errno() const { return m_lines.Errno(); }

private:
    LineSource m_lines;
};

}  // namespace vesk::replay
