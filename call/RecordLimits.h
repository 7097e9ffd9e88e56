// Sizes of the call record's fixed working buffers.
#pragma once

#include <cstdint>

#include "format/FormatTypes.h"

namespace nKoVeskLog210 {

// One rendered value, name or status text (the formatter's contract).
inline constexpr uint32_t kValueBufferSize = kArgumentTextSize;
// The one-line call description, terminator included.
inline constexpr uint32_t kDescriptionBufferSize = 1024;
// Lines an export of use 4 gives a dump, heading included.
inline constexpr int kLimitedExportDumpLines = 22;

}  // namespace nKoVeskLog210
