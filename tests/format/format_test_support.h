// Shared helpers of the scalar, string and name tests: a sentinel-guarded
// output buffer that checks the renderers' buffer contract, and loggers with
// typed scalar parameters. Builds on logger_builder.h.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "format/FormatTypes.h"
#include "tests/format/logger_builder.h"

namespace kovesk_test {

// Bytes checked after the promised kArgumentTextSize characters.
constexpr size_t kSentinelRoom = 64;
constexpr char kSentinel = '\x5A';

// An output buffer of the promised size plus a guard zone, all filled with
// the sentinel byte before rendering.
class SentinelBuffer {
public:
    SentinelBuffer() : m_bytes(new char[kSize]) { std::memset(m_bytes.get(), kSentinel, kSize); }
    char* data() { return m_bytes.get(); }
    // True when no byte from `from` on was written.
    bool untouchedFrom(size_t from) const {
        for (size_t i = from; i < kSize; ++i) {
            if (m_bytes[i] != kSentinel) return false;
        }
        return true;
    }

private:
    static constexpr size_t kSize = nKoVeskLog210::kArgumentTextSize + kSentinelRoom;
    std::unique_ptr<char[]> m_bytes;
};

struct Rendered {
    int result;
    std::string text;
    bool operator==(const char* expected) const { return text == expected; }
};

inline std::ostream& operator<<(std::ostream& os, const Rendered& rendered) {
    return os << rendered.result << " \"" << rendered.text << "\"";
}

// Runs `render(out)` on a sentinel buffer and checks the contract of every
// argument rendering: the result is the length of the terminated text, which
// fits in kArgumentTextSize with its terminator, nothing past the terminator
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
    EXPECT_TRUE(out.untouchedFrom(static_cast<size_t>(result) + 1))
        << "written past the terminator";
    return {result, std::string(out.data(), static_cast<size_t>(result))};
}

// Appends a parameter whose capture is the bytes of `value` (native order).
template <class T>
int addScalar(CKOVeskMemoryLogger& logger, int type, T value, const char* name = "param") {
    return addCaptured(logger, type, bytesOf<T>({value}), name);
}

}  // namespace kovesk_test
