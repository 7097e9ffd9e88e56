// Streams the lines of a capture from a file or standard input.
//
// Reads in large blocks into one buffer that is reused for the whole input,
// so memory stays flat however long the input is; only a single line longer
// than the buffer makes it grow, by doubling, and never past the longest
// line allowed. A grown buffer is mapped from the kernel and grown with
// mremap, which moves its pages instead of copying them (an allocator's
// realloc may copy: hundreds of megabytes for one long line).
// Every line handed out is followed by at least kLinePadding readable bytes
// (the JSON parser reads ahead). A byte-order mark at the very start of the
// input is skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "replay/CallParser.h"
#include "replay/CaptureLimits.h"

namespace vesk::replay {

class LineSource {
public:
    // Bytes read from the input at a time.
    static constexpr size_t kReadSize = size_t{1} << 20;
    // The longest line held unless the caller allows another length.
    static constexpr size_t kDefaultMaxLineBytes = size_t{1} << 30;

    enum class eNext {
        Line,         // `line` holds the next line
        End,          // the input has ended
        ReadError,    // the input could not be read further
        TooLong,      // the next line is longer than the longest allowed
        OutOfMemory,  // the next line could not be held
    };

    // Reads from `input`, which stays owned by the caller. Throws
    // std::bad_alloc when not even the first block can be allocated.
    explicit LineSource(std::FILE* input, size_t maxLineBytes = kDefaultMaxLineBytes);
    ~LineSource();
    LineSource(const LineSource&) = delete;
    LineSource& operator=(const LineSource&) = delete;

    // The next line without its line break (a "\r" before the "\n" is
    // dropped too). After anything but Line, every further call returns
    // the same: a line that cannot be held ends the input, since what
    // follows it cannot be found without reading it.
    eNext Next(std::string_view& line);

    // Gives back the memory that a long line made the buffer grow by, once
    // the caller is done with that line (the line handed out last is no
    // longer readable afterwards). Throws nothing: the buffer stays as it is
    // when a smaller one cannot be had.
    void ReleaseLongLine();

    // 1-based number of the line last returned, or of the line that could
    // not be held.
    uint64_t LineNumber() const { return m_lineNumber; }
    size_t MaxLineBytes() const { return m_maxLineBytes; }

private:
    // Moves the unread bytes to the front and reads more behind them,
    // growing the buffer for a long line. Sets m_stop when it cannot.
    void refill();
    // Ends the input with `result`; `atALine` when a line (the one that
    // could not be held) was begun.
    eNext finish(eNext result, bool atALine);
    // Makes the buffer `size` bytes, keeping its first m_end + kLinePadding;
    // false (the buffer as it was) when the memory cannot be had.
    bool resize(size_t size);
    void release();

    std::FILE* m_input;
    size_t m_maxLineBytes;
    char* m_buffer = nullptr;  // m_end bytes of data, then padding
    size_t m_size = 0;         // bytes allocated
    bool m_mapped = false;     // mapped (grown), else malloc'd
    size_t m_begin = 0;          // first unread byte
    size_t m_end = 0;            // end of the data read
    size_t m_scanned = 0;        // bytes after m_begin known to hold no '\n'
    uint64_t m_lineNumber = 0;
    bool m_atEof = false;
    bool m_atStart = true;       // nothing read yet: a byte-order mark may follow
    eNext m_stop = eNext::Line;  // why reading must stop, once it must
    bool m_finished = false;     // m_stop was returned: every Next returns it
};

}  // namespace vesk::replay
