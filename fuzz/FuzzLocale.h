// The process locale a fuzz case renders in: the C locale (one byte per
// character) or C.UTF-8 (multibyte), so that conversions and cuts on whole
// characters run in both.
#pragma once

#include <clocale>
#include <cstring>

namespace kovesk_fuzz {

inline void UseLocale(bool utf8) {
    const char* wanted = utf8 ? "C.UTF-8" : "C";
    const char* current = std::setlocale(LC_ALL, nullptr);
    if (current && std::strcmp(current, wanted) == 0) return;
    std::setlocale(LC_ALL, wanted);
}

}  // namespace kovesk_fuzz
