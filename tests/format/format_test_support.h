// Shared helpers of the format tests: captures, a host naming values, and a
// sentinel-guarded buffer checking every rendering's contract.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <string>
#include <vector>

#include "format/FormatTypes.h"
#include "host/CKOVeskMemoryLogger.h"
#include "host/CVeskApiInfo.h"
#include "host/HostSideServices.h"

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

// A host that names every value `name` (cut unterminated by wcsncpy where it
// does not fit) while `answers`; records its calls since hostNames().
struct tHostNames {
    bool answers = false;
    std::wstring name;
    int calls = 0, index = -1;
    bool compact = false;
    uint32_t capacity = 0;
};
inline tHostNames g_host;

inline bool hostValueName(const IKoVeskLogger*, int index, eKoVeskLocale, bool compact,
                          uint32_t capacity, wchar_t* buffer) {
    g_host = {g_host.answers, g_host.name, g_host.calls + 1, index, compact, capacity};
    if (g_host.answers) std::wcsncpy(buffer, g_host.name.c_str(), capacity);
    return g_host.answers;
}

inline void hostNames(const std::wstring& name, int apiType = eKoVeskApiVisa) {
    CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(apiType));
    info->hasValueNames = true;
    info->valueNameCallback = hostValueName;
    g_host = {true, name};
}

constexpr char kSentinel = '\x5A';

// kArgumentTextSize bytes plus a guard zone, all filled with the sentinel.
struct SentinelBuffer {
    std::vector<char> bytes = std::vector<char>(nKoVeskLog210::kArgumentTextSize + 64, kSentinel);
    char* data() { return bytes.data(); }
    bool untouchedFrom(size_t from) const {
        for (size_t i = from; i < bytes.size(); ++i)
            if (bytes[i] != kSentinel) return false;
        return true;
    }
};

// Runs `render(out)` on a sentinel buffer and returns the text: the result
// is its length, which fits kArgumentTextSize, nothing past the terminator is
// written, and a result of 0 (an empty text) leaves every byte as it was.
template <class Render>
std::string renderChecked(Render&& render) {
    SentinelBuffer out;
    const int result = render(out.data());
    if (result == 0) {
        EXPECT_TRUE(out.untouchedFrom(0)) << "a rendering of nothing wrote to the buffer";
        return "";
    }
    EXPECT_GT(result, 0);
    EXPECT_LT(static_cast<uint32_t>(result), nKoVeskLog210::kArgumentTextSize);
    EXPECT_EQ(std::strlen(out.data()), static_cast<size_t>(result));
    EXPECT_TRUE(out.untouchedFrom(static_cast<size_t>(result) + 1)) << "written past the end";
    return std::string(out.data(), static_cast<size_t>(result));
}

}  // namespace kovesk_test
