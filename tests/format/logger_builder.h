// Builds the host's memory loggers for formatter tests: parameters with the
// bytes the host would have captured for them.
#pragma once

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "host/CKOVeskMemoryLogger.h"

namespace kovesk_test {

using Bytes = std::vector<unsigned char>;

// The values as they lie in memory (native byte order), as a capture holds
// them.
template <class T>
Bytes bytesOf(std::initializer_list<T> values) {
    Bytes bytes(values.size() * sizeof(T));
    if (!bytes.empty()) std::memcpy(bytes.data(), values.begin(), bytes.size());
    return bytes;
}

inline Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Appends a parameter of `type` that captured `bytes`; returns its position.
inline int addCaptured(CKOVeskMemoryLogger& logger, int type, const Bytes& bytes,
                       const char* name = "param") {
    const int index = logger.AddParam(name, type);
    logger.SetParamBytes(index, bytes.data(), bytes.size());
    return index;
}

}  // namespace kovesk_test
