#include "format/BoundedText.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace nKoVeskLog210 {

void BoundedText::appendBlanks(size_t count) noexcept {
    const size_t fits = count < room() ? count : room();
    if (fits < count) m_truncated = true;
    std::memset(m_buffer + m_length, ' ', fits);
    m_length += fits;
    m_buffer[m_length] = '\0';
}

void BoundedText::appendf(const char* format, ...) noexcept {
    va_list arguments;
    va_start(arguments, format);
    const size_t available = m_capacity - m_length;
    const int wanted = std::vsnprintf(m_buffer + m_length, available, format, arguments);
    va_end(arguments);
    if (wanted < 0) {
        m_buffer[m_length] = '\0';
        return;
    }
    if (static_cast<size_t>(wanted) >= available) {
        m_truncated = true;
        m_length = m_capacity - 1;
    } else {
        m_length += static_cast<size_t>(wanted);
    }
}

}  // namespace nKoVeskLog210
