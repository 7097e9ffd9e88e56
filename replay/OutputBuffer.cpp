#include "replay/OutputBuffer.h"

#include <cerrno>
#include <charconv>

namespace vesk::replay {

OutputBuffer::OutputBuffer(std::FILE* output) : m_output(output) {
    // Room for a full buffer plus one call's text, so that steady state
    // never reallocates.
    m_text.reserve(2 * kFlushSize);
}

OutputBuffer::~OutputBuffer() { Flush(); }

void OutputBuffer::AppendDecimal(int64_t value) {
    char digits[24];
    const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
    m_text.append(digits, static_cast<size_t>(result.ptr - digits));
}

void OutputBuffer::fail(int error) {
    if (m_failed) return;
    m_failed = true;
    m_failureErrno = error;
}

bool OutputBuffer::Flush() {
    if (!m_text.empty()) {
        if (!m_failed && std::fwrite(m_text.data(), 1, m_text.size(), m_output) != m_text.size()) {
            fail(errno);
        }
        m_written += m_text.size();
        m_text.clear();
    }
    if (!m_failed && std::fflush(m_output) != 0) fail(errno);
    return !m_failed;
}

}  // namespace vesk::replay
