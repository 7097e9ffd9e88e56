// Reads the call lines of a capture file from a byte offset onwards, in
// large blocks, and says where each one starts: for the browser view's
// index of a capture and for its filtered views.
//
// Lines are counted as the capture reader counts them: empty lines (and
// lines of blanks) are no calls, a "\r" before the line break is dropped,
// and a byte-order mark at the very start of the file is skipped. Unlike
// the reader, the scanner goes on after a line longer than the longest
// allowed: it reports the line and skips its bytes without holding them, so
// one huge line costs no memory and the calls after it keep their numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace vesk::replay {

class CCaptureScanner {
public:
    // Bytes read from the file at a time.
    static constexpr size_t kReadSize = size_t{1} << 20;

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
    CCaptureScanner(int fd, uint64_t startOffset, uint64_t linesBefore, size_t maxLineBytes);

    eNext Next(tLine& line);

    // The errno value of a read error.
    int Errno() const { return m_errno; }
    // Where the bytes not yet handed out start in the file.
    uint64_t Position() const { return m_bufferOffset + m_begin; }

private:
    // Moves the unread bytes to the front and reads more behind them,
    // growing the buffer for a long line; false at the end of the file
    // or on a read error.
    bool refill();

    struct FreeBuffer {
        void operator()(char* buffer) const { std::free(buffer); }
    };

    int m_fd;
    size_t m_maxLineBytes;
    std::unique_ptr<char, FreeBuffer> m_buffer;  // m_end bytes of data, then padding
    size_t m_size = 0;              // bytes allocated
    uint64_t m_bufferOffset;        // file offset of the buffer's first byte
    size_t m_begin = 0;             // first unread byte
    size_t m_end = 0;               // end of the data read
    size_t m_scanned = 0;           // bytes after m_begin known to hold no '\n'
    uint64_t m_lineNumber;
    bool m_atEnd = false;           // nothing more to read
    bool m_atStart;                 // reading from offset 0: a byte-order mark may come
    bool m_skipping = false;        // inside a line too long to hold
    int m_errno = 0;
};

}  // namespace vesk::replay
