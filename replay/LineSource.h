// Streams the lines of a capture from a file or standard input.
//
// Reads in large blocks into one buffer that is reused for the whole input,
// so memory stays flat however long the input is; only a single line longer
// than the buffer makes it grow, by doubling with realloc (which moves a
// large block without copying it). Every line handed out is followed by at
// least kLinePadding readable bytes (the JSON parser reads ahead).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "replay/CallParser.h"

namespace vesk::replay {

class LineSource {
public:
    // Bytes read from the input at a time.
    static constexpr size_t kReadSize = size_t{1} << 20;

    // Reads from `input`, which stays owned by the caller.
    explicit LineSource(std::FILE* input);

    // The next line without its line break (a "\r" before the "\n" is
    // dropped too); false at the end of the input or on a read error.
    bool Next(std::string_view& line);

    // 1-based number of the line last returned by Next.
    uint64_t LineNumber() const { return m_lineNumber; }

    // True when reading stopped because of an input error.
    bool ReadFailed() const { return m_readFailed; }

private:
    // Moves the unread bytes to the front and reads more behind them;
    // false when nothing more could be read.
    bool refill();

    struct FreeBuffer {
        void operator()(char* buffer) const { std::free(buffer); }
    };

    std::FILE* m_input;
    std::unique_ptr<char, FreeBuffer> m_buffer;  // m_end bytes of data, then padding
    size_t m_size = 0;                           // bytes allocated
    size_t m_begin = 0;          // first unread byte
    size_t m_end = 0;            // end of the data read
    size_t m_scanned = 0;        // bytes after m_begin known to hold no '\n'
    uint64_t m_lineNumber = 0;
    bool m_atEof = false;
    bool m_readFailed = false;
};

}  // namespace vesk::replay
