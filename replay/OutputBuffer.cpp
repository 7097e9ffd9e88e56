#include "replay/OutputBuffer.h"

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

bool OutputBuffer::Flush() {
    if (!m_text.empty()) {
        if (std::fwrite(m_text.data(), 1, m_text.size(), m_output) != m_text.size()) m_failed = true;
        m_written += m_text.size();
        m_text.clear();
    }
    if (std::fflush(m_output) != 0) m_failed = true;
    return !m_failed;
}

}  // namespace vesk::replay
