#include "replay/LineSource.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace vesk::replay {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkSize = sizeof kByteOrderMark - 1;

constexpr size_t kInitialSize = LineSource::kReadSize + kLinePadding;

}  // namespace

LineSource::LineSource(std::FILE* input, size_t maxLineBytes)
    : m_input(input), m_maxLineBytes(maxLineBytes) {
    m_buffer = static_cast<char*>(std::malloc(kInitialSize));
    if (!m_buffer) throw std::bad_alloc();
    m_size = kInitialSize;
}

LineSource::LineSource(int fd, uint64_t offset, uint64_t linesBefore, size_t maxLineBytes,
                       eLongLine longLines)
    : LineSource(nullptr, maxLineBytes) {
    m_fd = fd;
    m_bufferOffset = offset;
    m_lineNumber = linesBefore;
    m_longLines = longLines;
    m_atStart = offset == 0;
}

LineSource::~LineSource() { release(); }

void LineSource::release() {
    if (m_mapped) {
        munmap(m_buffer, m_size);
    } else {
        std::free(m_buffer);
    }
    m_buffer = nullptr;
}

bool LineSource::resize(size_t size) {
    const size_t kept = std::min(m_end + kLinePadding, size);
    if (size == kInitialSize) {
        char* block = static_cast<char*>(std::malloc(size));
        if (!block) return false;
        std::memcpy(block, m_buffer, kept);
        release();
        m_buffer = block;
        m_mapped = false;
    } else if (m_mapped) {
        void* moved = mremap(m_buffer, m_size, size, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED) return false;
        m_buffer = static_cast<char*>(moved);
    } else {
        void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) return false;
        std::memcpy(mapped, m_buffer, kept);
        release();
        m_buffer = static_cast<char*>(mapped);
        m_mapped = true;
    }
    m_size = size;
    return true;
}

void LineSource::refill() {
    if (m_atEof) {
        m_stop = eNext::End;
        return;
    }
    // Keep the partial line, at the front of the buffer.
    const size_t kept = m_end - m_begin;
    if (m_begin > 0 && kept > 0) std::memmove(m_buffer, m_buffer + m_begin, kept);
    m_bufferOffset += m_begin;
    m_begin = 0;
    m_end = kept;
    // A line longer than the buffer: grow it (the only growth there is), as
    // far as the longest line allowed and one more block to see its end.
    if (m_size - kLinePadding - m_end < kReadSize / 2) {
        const size_t limit = m_maxLineBytes + kReadSize + kLinePadding;
        const size_t grown = std::min(2 * m_size, limit);
        if (grown <= m_size) {
            m_stop = eNext::TooLong;
            return;
        }
        if (!resize(grown)) {
            m_stop = eNext::OutOfMemory;
            return;
        }
    }
    const size_t got = read(m_size - kLinePadding - m_end);
    m_end += got;
    if (m_atStart && m_end > 0) {
        m_atStart = false;
        if (m_end >= kByteOrderMarkSize &&
            std::memcmp(m_buffer, kByteOrderMark, kByteOrderMarkSize) == 0) {
            m_begin = kByteOrderMarkSize;
        }
    }
    // The padding behind the data need not be zero, but keep it defined.
    std::memset(m_buffer + m_end, 0, kLinePadding);
    if (got == 0 && m_stop == eNext::Line) m_stop = eNext::End;
}

size_t LineSource::read(size_t room) {
    char* const into = m_buffer + m_end;
    if (m_input) {
        const size_t got = std::fread(into, 1, room, m_input);
        if (got < room) {
            m_atEof = true;
            if (std::ferror(m_input)) {
                m_errno = errno;
                m_stop = eNext::ReadError;
            }
        }
        return got;
    }
    ssize_t got;
    do {
        got = ::pread(m_fd, into, room, static_cast<off_t>(m_bufferOffset + m_end));
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        m_atEof = true;
        if (got < 0) {
            m_errno = errno;
            m_stop = eNext::ReadError;
        }
        return 0;
    }
    return static_cast<size_t>(got);
}

void LineSource::ReleaseLongLine() {
    const size_t unread = m_end - m_begin;
    if (m_size <= kKeptScratchBytes || unread > kReadSize) return;
    // The unread rest, with the padding behind it, to the front; then the
    // buffer back to its first size (where that fails, it stays as large).
    std::memmove(m_buffer, m_buffer + m_begin, unread + kLinePadding);
    m_begin = 0;
    m_end = unread;
    resize(kInitialSize);
}

LineSource::eNext LineSource::finish(eNext result, bool atALine) {
    if (atALine) ++m_lineNumber;
    m_finished = true;
    m_stop = result;
    return result;
}

LineSource::eNext LineSource::tooLong(size_t consumed, bool whole) {
    m_lineOffset = m_bufferOffset + m_begin;
    if (m_longLines == eLongLine::Stop) return finish(eNext::TooLong, true);
    ++m_lineNumber;
    m_begin += consumed;
    m_scanned = 0;
    // Without its end in the buffer, the rest is dropped as it is read.
    m_skipping = !whole;
    return eNext::TooLong;
}

LineSource::eNext LineSource::Next(std::string_view& line) {
    if (m_finished) return m_stop;
    for (;;) {
        const char* begin = m_buffer + m_begin;
        const size_t available = m_end - m_begin;
        const void* newline = std::memchr(begin + m_scanned, '\n', available - m_scanned);
        if (m_skipping) {
            const size_t dropped =
                newline ? static_cast<size_t>(static_cast<const char*>(newline) - begin) + 1 : available;
            m_begin += dropped;
            m_scanned = 0;
            m_skipping = !newline;
            if (m_skipping) {
                if (m_stop != eNext::Line) return finish(m_stop, false);
                refill();
            }
            continue;
        }
        // The last line of the input may end without a line break; one cut
        // short by a read error is not handed out.
        const bool lastLine = !newline && m_atEof && available > 0 && m_stop != eNext::ReadError;
        if (newline || lastLine) {
            size_t length = newline ? static_cast<size_t>(static_cast<const char*>(newline) - begin)
                                    : available;
            const size_t consumed = newline ? length + 1 : length;
            if (length > 0 && begin[length - 1] == '\r') --length;
            if (length > m_maxLineBytes) return tooLong(consumed, true);
            m_lineOffset = m_bufferOffset + m_begin;
            m_begin += consumed;
            m_scanned = 0;
            ++m_lineNumber;
            line = std::string_view(begin, length);
            return eNext::Line;
        }
        m_scanned = available;
        if (m_stop != eNext::Line) return finish(m_stop, available > 0 && m_stop != eNext::End);
        // One byte more than the longest line may be the "\r" before its break.
        if (available > m_maxLineBytes + 1) return tooLong(available, false);
        refill();
    }
}

}  // namespace vesk::replay
