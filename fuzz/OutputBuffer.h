// An output buffer of exactly the room a rendering is promised, in an
// allocation of its own (so AddressSanitizer sees a write past it), filled
// with a marker byte so that "writes nothing" can be checked.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>

#include "fuzz/FuzzSupport.h"

namespace kovesk_fuzz {

class OutputBuffer {
public:
    static constexpr char kMarker = '\x5A';

    explicit OutputBuffer(size_t size) : m_bytes(new char[size]), m_size(size) { Reset(); }

    void Reset() { std::memset(m_bytes.get(), kMarker, m_size); }
    char* data() { return m_bytes.get(); }
    const char* data() const { return m_bytes.get(); }
    size_t size() const { return m_size; }

    bool Untouched() const {
        for (size_t i = 0; i < m_size; ++i) {
            if (m_bytes[i] != kMarker) return false;
        }
        return true;
    }

    // The argument renderings' contract for a result: 0 leaves the buffer as
    // it was; anything else is the length of the terminated text written.
    void CheckRendering(int result) const {
        if (result == 0) {
            FUZZ_CHECK(Untouched());
            return;
        }
        FUZZ_CHECK(result > 0);
        FUZZ_CHECK(static_cast<size_t>(result) < m_size);
        FUZZ_CHECK(strnlen(m_bytes.get(), m_size) == static_cast<size_t>(result));
    }

private:
    std::unique_ptr<char[]> m_bytes;
    size_t m_size;
};

}  // namespace kovesk_fuzz
