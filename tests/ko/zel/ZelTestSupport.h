// Helpers shared by the support library's tests.
#pragma once

#include <clocale>
#include <string>

#include "ko/zel/StringBase.h"

namespace kovesk_test {

// The text of a wide string, for comparisons and messages.
inline std::wstring textOf(const WideStringBase& wide) { return {wide.c_str(), wide.length()}; }

// Switches one locale category for a scope; `active` says whether the machine has it.
struct ScopedLocale {
    ScopedLocale(int localeCategory, const char* name)
        : category(localeCategory), previous(std::setlocale(localeCategory, nullptr)),
          active(std::setlocale(localeCategory, name) != nullptr) {}
    ~ScopedLocale() { std::setlocale(category, previous.c_str()); }
    int category;
    std::string previous;
    bool active;
};

}  // namespace kovesk_test
