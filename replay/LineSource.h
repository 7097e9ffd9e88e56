// Streams the lines of a capture from a stream (a file or standard input)
// or from a file descriptor at a byte offset.
//
// Reads in large blocks into one buffer that is reused for the whole input,
// so memory stays flat however long the input is; only a single line longer
// than the buffer makes it grow, by doubling, and never past the longest
// line allowed. A grown buffer is mapped from the kernel and grown with
// mremap, which moves its pages instead of copying them (an allocator's
// realloc may copy: hundreds of megabytes for one long line).
// Every line handed out is followed by at least kLinePadding readable bytes
// (the JSON parser reads ahead). A byte-order mark at the very start of the
// input is skipped. A line longer than the longest allowed either ends the
// input (a stream cannot be read past it without reading it) or, where the
// caller asks, is reported and skipped without holding its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

    // What a line longer than the longest allowed does.
    enum class eLongLine {
        Stop,  // TooLong ends the input
        Skip,  // TooLong for that line, then the lines after it
    };

    // Reads from `input`, which stays owned by the caller; a long line
    // stops the reading. Throws std::bad_alloc when not even the first
    // block can be allocated.
    explicit LineSource(std::FILE* input, size_t maxLineBytes = kDefaultMaxLineBytes);
    // Reads the file `fd` (not owned) with pread from `offset`, where a
    // line begins; line numbers count on from `linesBefore`.
    LineSource(int fd, uint64_t offset, uint64_t linesBefore, size_t maxLineBytes,
               eLongLine longLines);
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
    // The byte offset in the input of that line's first byte.
    uint64_t LineOffset() const { return m_lineOffset; }
    size_t MaxLineBytes() const { return m_maxLineBytes; }
    // The errno value of a read error (ReadError).
    int Errno() const { return m_errno; }

private:
    // Moves the unread bytes to the front and reads more behind them,
    // growing the buffer for a long line. Sets m_stop when it cannot.
    void refill();
    // Ends the input with `result`; `atALine` when a line (the one that
    // could not be held) was begun.
    eNext finish(eNext result, bool atALine);
    // Reads into the free room behind the data; the bytes read.
    size_t read(size_t room);
    // The line at m_begin is longer than allowed: ends the input, or skips
    // its `consumed` bytes held (`whole`: the line and its break; else the
    // rest is dropped as it is read).
    eNext tooLong(size_t consumed, bool whole);
    // Makes the buffer `size` bytes, keeping its first m_end + kLinePadding;
    // false (the buffer as it was) when the memory cannot be had.
    bool resize(size_t size);
    void release();

    std::FILE* m_input = nullptr;  // the stream, or null: read m_fd
    int m_fd = -1;
    uint64_t m_bufferOffset = 0;   // input offset of the buffer's first byte
    uint64_t m_lineOffset = 0;
    size_t m_maxLineBytes;
    eLongLine m_longLines = eLongLine::Stop;
    bool m_skipping = false;     // inside a long line being skipped
    int m_errno = 0;
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
