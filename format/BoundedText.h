// A writer into a fixed character buffer that never writes past its end.
//
// Everything appended is cut at the capacity (terminator included); the text
// is terminated after every append. Nothing is written until the first
// append, so a rendering that appends nothing leaves the buffer untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace nKoVeskLog210 {

class BoundedText {
public:
    // `capacity` counts the terminator and must be at least 1.
    BoundedText(char* buffer, size_t capacity) noexcept
        : m_buffer(buffer), m_capacity(capacity) {}
    // Continues a terminated text of `length` characters already in `buffer`.
    BoundedText(char* buffer, size_t capacity, size_t length) noexcept
        : m_buffer(buffer), m_capacity(capacity), m_length(length < capacity ? length : capacity - 1) {}

    // Inline: every piece of every rendering goes through here.
    void append(const char* text, size_t count) noexcept {
        const size_t fits = count < room() ? count : room();
        if (fits < count) m_truncated = true;
        std::memcpy(m_buffer + m_length, text, fits);
        m_length += fits;
        m_buffer[m_length] = '\0';
    }
    void append(const char* text) noexcept { append(text, std::strlen(text)); }
    void append(char c) noexcept { append(&c, 1); }
    void appendf(const char* format, ...) noexcept __attribute__((format(printf, 2, 3)));
    // Appends `count` blanks.
    void appendBlanks(size_t count) noexcept;

    size_t length() const noexcept { return m_length; }
    size_t room() const noexcept { return m_capacity - 1 - m_length; }
    // True when something was cut to fit.
    bool truncated() const noexcept { return m_truncated; }
    char* data() const noexcept { return m_buffer; }
    int32_t result() const noexcept { return static_cast<int32_t>(m_length); }

private:
    char* m_buffer;
    size_t m_capacity;
    size_t m_length = 0;
    bool m_truncated = false;
};

}  // namespace nKoVeskLog210
