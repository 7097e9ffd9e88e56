// Shared helpers of the format tests: loggers holding captured bytes, and a
// sentinel-guarded buffer that checks the buffer contract of every rendering.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "format/FormatTypes.h"
#include "host/CKOVeskMemoryLogger.h"

namespace kovesk_test {

using Bytes = std::vector<unsigned char>;

// The values as they lie in memory (native order), as a capture holds them.
template <class T>
Bytes bytesOf(std::initializer_list<T> values) {
    Bytes bytes(values.size() * sizeof(T));
    if (!bytes.empty()) std::memcpy(bytes.data(), values.begin(), bytes.size());
    return bytes;
}
template <class T>
Bytes of(T value) { return bytesOf<T>({value}); }
inline Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline std::string digits(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += static_cast<char>('0' + i % 10);
    return text;
}

// Appends a parameter of `type` that captured `bytes`; returns its position.
inline int addCaptured(CKOVeskMemoryLogger& logger, int type, const Bytes& bytes,
                       const char* name = "param") {
    const int index = logger.AddParam(name, type);
    logger.SetParamBytes(index, bytes.data(), bytes.size());
    return index;
}

constexpr char kSentinel = '\x5A';

// kArgumentTextSize bytes plus a guard zone, all filled with the sentinel.
class SentinelBuffer {
public:
    SentinelBuffer() : m_bytes(nKoVeskLog210::kArgumentTextSize + 64, kSentinel) {}
    char* data() { return m_bytes.data(); }
    bool untouchedFrom(size_t from) const {
        for (size_t i = from; i < m_bytes.size(); ++i)
            if (m_bytes[i] != kSentinel) return false;
        return true;
    }

private:
    std::vector<char> m_bytes;
};

struct Rendered {
    int result;
    std::string text;
};

// Runs `render(out)` on a sentinel buffer: the result is the length of the
// terminated text, which fits kArgumentTextSize, nothing past the terminator
// is written, and a result of 0 leaves every byte as it was.
template <class Render>
Rendered renderChecked(Render&& render) {
    SentinelBuffer out;
    const int result = render(out.data());
    if (result == 0) {
        EXPECT_TRUE(out.untouchedFrom(0)) << "a rendering of nothing wrote to the buffer";
        return {0, ""};
    }
    EXPECT_GT(result, 0);
    EXPECT_LT(static_cast<uint32_t>(result), nKoVeskLog210::kArgumentTextSize);
    EXPECT_EQ(std::strlen(out.data()), static_cast<size_t>(result));
    EXPECT_TRUE(out.untouchedFrom(static_cast<size_t>(result) + 1)) << "written past the end";
    return {result, std::string(out.data(), static_cast<size_t>(result))};
}

}  // namespace kovesk_test
