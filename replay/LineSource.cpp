#include "replay/LineSource.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vesk::replay {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkSize = sizeof kByteOrderMark - 1;

char* allocateBuffer(size_t size) {
    char* buffer = static_cast<char*>(std::malloc(size));
    if (!buffer) throw std::bad_alloc();
    return buffer;
}

}  // namespace

LineSource::LineSource(std::FILE* input, size_t maxLineBytes)
    : m_input(input),
      m_maxLineBytes(maxLineBytes),
      m_buffer(allocateBuffer(kReadSize + kLinePadding)),
      m_size(kReadSize + kLinePadding) {}

void LineSource::refill() {
    if (m_atEof) {
        m_stop = eNext::End;
        return;
    }
    // Keep the partial line, at the front of the buffer.
    const size_t kept = m_end - m_begin;
    if (m_begin > 0 && kept > 0) std::memmove(m_buffer.get(), m_buffer.get() + m_begin, kept);
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
        char* block = static_cast<char*>(std::realloc(m_buffer.get(), grown));
        if (!block) {
            m_stop = eNext::OutOfMemory;
            return;
        }
        m_buffer.release();
        m_buffer.reset(block);
        m_size = grown;
    }
    const size_t room = m_size - kLinePadding - m_end;
    const size_t got = std::fread(m_buffer.get() + m_end, 1, room, m_input);
    m_end += got;
    if (got < room) {
        m_atEof = true;
        if (std::ferror(m_input)) m_stop = eNext::ReadError;
    }
    if (m_atStart && m_end > 0) {
        m_atStart = false;
        if (m_end >= kByteOrderMarkSize &&
            std::memcmp(m_buffer.get(), kByteOrderMark, kByteOrderMarkSize) == 0) {
            m_begin = kByteOrderMarkSize;
        }
    }
    // The padding behind the data need not be zero, but keep it defined.
    std::memset(m_buffer.get() + m_end, 0, kLinePadding);
    if (got == 0 && m_stop == eNext::Line) m_stop = eNext::End;
}

void LineSource::ReleaseLongLine() {
    const size_t initial = kReadSize + kLinePadding;
    const size_t unread = m_end - m_begin;
    if (m_size <= kKeptScratchBytes || unread > kReadSize) return;
    char* smaller = static_cast<char*>(std::malloc(initial));
    if (!smaller) return;
    std::memcpy(smaller, m_buffer.get() + m_begin, unread + kLinePadding);
    m_buffer.reset(smaller);
    m_size = initial;
    m_begin = 0;
    m_end = unread;
}

LineSource::eNext LineSource::finish(eNext result, bool atALine) {
    if (atALine) ++m_lineNumber;
    m_finished = true;
    m_stop = result;
    return result;
}

LineSource::eNext LineSource::Next(std::string_view& line) {
    if (m_finished) return m_stop;
    for (;;) {
        const char* begin = m_buffer.get() + m_begin;
        const size_t available = m_end - m_begin;
        const void* newline = std::memchr(begin + m_scanned, '\n', available - m_scanned);
        // The last line of the input may end without a line break; one cut
        // short by a read error is not handed out.
        const bool lastLine = !newline && m_atEof && available > 0 && m_stop != eNext::ReadError;
        if (newline || lastLine) {
            size_t length = newline ? static_cast<size_t>(static_cast<const char*>(newline) - begin)
                                    : available;
            m_begin += newline ? length + 1 : length;
            m_scanned = 0;
            if (length > 0 && begin[length - 1] == '\r') --length;
            if (length > m_maxLineBytes) return finish(eNext::TooLong, true);
            ++m_lineNumber;
            line = std::string_view(begin, length);
            return eNext::Line;
        }
        m_scanned = available;
        if (m_stop != eNext::Line) return finish(m_stop, available > 0 && m_stop != eNext::End);
        // One byte more than the longest line may be the "\r" before its break.
        if (available > m_maxLineBytes + 1) return finish(eNext::TooLong, true);
        refill();
    }
}

}  // namespace vesk::replay
