#include "replay/LineSource.h"

#include <cstring>
#include <new>

namespace vesk::replay {

namespace {

char* allocateBuffer(size_t size) {
    char* buffer = static_cast<char*>(std::malloc(size));
    if (!buffer) throw std::bad_alloc();
    return buffer;
}

}  // namespace

LineSource::LineSource(std::FILE* input)
    : m_input(input), m_buffer(allocateBuffer(kReadSize + kLinePadding)), m_size(kReadSize + kLinePadding) {}

bool LineSource::refill() {
    if (m_atEof) return false;
    // Keep the partial line, at the front of the buffer.
    const size_t kept = m_end - m_begin;
    if (m_begin > 0 && kept > 0) std::memmove(m_buffer.get(), m_buffer.get() + m_begin, kept);
    m_begin = 0;
    m_end = kept;
    // A line longer than the buffer: grow it (the only growth there is).
    if (m_size - kLinePadding - m_end < kReadSize / 2) {
        char* grown = static_cast<char*>(std::realloc(m_buffer.get(), 2 * m_size));
        if (!grown) throw std::bad_alloc();
        m_buffer.release();
        m_buffer.reset(grown);
        m_size *= 2;
    }
    const size_t room = m_size - kLinePadding - m_end;
    const size_t got = std::fread(m_buffer.get() + m_end, 1, room, m_input);
    m_end += got;
    if (got < room) {
        m_atEof = true;
        m_readFailed = std::ferror(m_input) != 0;
    }
    // The padding behind the data need not be zero, but keep it defined.
    std::memset(m_buffer.get() + m_end, 0, kLinePadding);
    return got > 0;
}

bool LineSource::Next(std::string_view& line) {
    for (;;) {
        const char* begin = m_buffer.get() + m_begin;
        const size_t available = m_end - m_begin;
        const void* newline =
            std::memchr(begin + m_scanned, '\n', available - m_scanned);
        if (newline || (m_atEof && available > 0)) {
            size_t length = newline ? static_cast<size_t>(static_cast<const char*>(newline) - begin)
                                    : available;
            m_begin += newline ? length + 1 : length;
            m_scanned = 0;
            if (length > 0 && begin[length - 1] == '\r') --length;
            line = std::string_view(begin, length);
            ++m_lineNumber;
            return true;
        }
        m_scanned = available;
        if (!refill() && m_end == m_begin) return false;
    }
}

}  // namespace vesk::replay
