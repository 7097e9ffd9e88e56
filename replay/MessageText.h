// Text that comes from outside (a capture, a request) as a message quotes
// it: every byte that is not printable ASCII as \xNN, so that a message can
// neither drive the terminal nor forge a line, cut after kShownBytes bytes
// with "...".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vesk::replay {

inline constexpr size_t kShownBytes = 64;

std::string ShownInMessage(std::string_view text);

}  // namespace vesk::replay
