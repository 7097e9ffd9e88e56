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

// Scratch memory of the reader (the line buffer, the JSON parser's buffers,
// the decoded bytes) kept from one line to the next. A line that needed
// more gives it back as soon as it is parsed, so that a call holding
// hundreds of megabytes is rendered without its input's scratch beside it.
inline constexpr size_t kKeptScratchBytes = size_t{16} << 20;

}  // namespace vesk::replay
