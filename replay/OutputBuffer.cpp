#include "replay/OutputBuffer.h"

#include <cerrno>
#include <charconv>
#include <new>

namespace vesk::replay {

OutputBuffer::OutputBuffer(std::FILE* output) : m_output(output) {
    // Room for a full buffer plus one call's text, so that steady state
    // never reallocates.
    grow(2 * kFlushSize);
}

void OutputBuffer::grow(size_t length) {
    if (length <= m_capacity - m_size) return;
    size_t capacity = m_capacity ? m_capacity : 1;
    while (capacity - m_size < length) {
        if (capacity > static_cast<size_t>(-1) / 2) throw std::bad_alloc();
        capacity *= 2;
    }
    char* text = static_cast<char*>(std::realloc(m_text.get(), capacity));
    if (!text) throw std::bad_alloc();
    m_text.release();
    m_text.reset(text);
    m_capacity = capacity;
}

OutputBuffer::~OutputBuffer() { Flush(); }

void OutputBuffer::AppendDecimal(int64_t value) {
    char digits[24];
    const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
    Append(digits, static_cast<size_t>(result.ptr - digits));
}

void OutputBuffer::fail(int error) {
    if (m_failed) return;
    m_failed = true;
    m_failureErrno = error;
}

bool OutputBuffer::Flush() {
    if (m_size > 0) {
        if (!m_failed && std::fwrite(m_text.get(), 1, m_size, m_output) != m_size) fail(errno);
        m_written += m_size;
        m_size = 0;
    }
    if (!m_failed && std::fflush(m_output) != 0) fail(errno);
    return !m_failed;
}

}  // namespace vesk::replay
