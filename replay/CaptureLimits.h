// What the capture reader accepts of one call, whatever a file holds.
//
// No VISA call has more than a few dozen parameters or names longer than an
// identifier needs. The bounds keep the work of one call small: the
// property pages pair every output parameter with every input parameter of
// a matching name, so a call's rows grow with the square of its parameters.
// With these bounds the largest call the reader accepts renders in every
// mode in well under a second and 64 MiB.
#pragma once

#include <cstddef>

namespace vesk::replay {

// Parameters in the input list, and in the output list, of one call.
inline constexpr size_t kMaxParameters = 64;

// Bytes of a function name or a parameter name.
inline constexpr size_t kMaxNameBytes = 256;

}  // namespace vesk::replay
