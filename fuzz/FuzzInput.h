// Reads the values a fuzz target needs from the fuzzer's bytes, front to
// back. Reading past the end gives zeros and empty runs, so every input,
// however short, describes a complete case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace kovesk_fuzz {

// A run of bytes inside the input (not a copy).
struct ByteRun {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    size_t remaining() const { return m_size - m_position; }

    uint8_t byte() { return m_position < m_size ? m_data[m_position++] : 0; }
    bool flag() { return (byte() & 1) != 0; }
    uint16_t u16() { return static_cast<uint16_t>(byte() | byte() << 8); }
    uint32_t u32() { return static_cast<uint32_t>(u16()) | static_cast<uint32_t>(u16()) << 16; }
    int32_t i32() { return static_cast<int32_t>(u32()); }

    // One of the `count` entries of `choices`, by the next byte.
    template <class T, size_t N>
    T choose(const T (&choices)[N]) {
        return choices[byte() % N];
    }

    // `count` bytes, or as many as remain.
    ByteRun take(size_t count) {
        if (count > remaining()) count = remaining();
        const ByteRun run{m_data + m_position, count};
        m_position += count;
        return run;
    }

    // A run whose length comes first (16 bits, held to `maxLength`).
    ByteRun run(size_t maxLength) {
        size_t length = u16();
        if (length > maxLength) length = length % (maxLength + 1);
        return take(length);
    }

    // Everything not read yet.
    ByteRun rest() { return take(remaining()); }

    // A run as text; embedded NULs stay in the string.
    std::string text(size_t maxLength) {
        const ByteRun bytes = run(maxLength);
        return std::string(reinterpret_cast<const char*>(bytes.data), bytes.size);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

}  // namespace kovesk_fuzz
