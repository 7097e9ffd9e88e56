// StringBase texts as keys and values of the host's standard-library tables
// (internal to the host library).
#pragma once

#include <string_view>

#include "ko/zel/NumericCast.h"
#include "ko/zel/StringBase.h"

inline std::string_view viewOf(const StringBase& text) { return {text.c_str(), text.length()}; }

inline void assignTo(StringBase& target, std::string_view text) {
    target.assign(text.data(), ko::zel::NumericCast<uint32_t>(text.size()));
}
