// The text in a dump line buffer: kDumpLineSize characters that are all
// readable (the contract of FormatDataLine's line), holding a terminated
// text. Every dump line's length is taken twice, once by the formatter to
// append behind the caller's prefix and once by the record to copy the
// line out. Internal to the plug-in.
#pragma once

#include <cstddef>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "format/FormatTypes.h"

namespace nKoVeskLog210 {

// strnlen(line, kDumpLineSize), sixteen characters at a time: the buffer
// is read in whole blocks, which is why all of it must be readable.
inline size_t dumpLineLength(const char* line) {
#if defined(__SSE2__)
    static_assert(kDumpLineSize % 16 == 0);
    for (size_t offset = 0; offset < kDumpLineSize; offset += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + offset));
        const int terminators = _mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_setzero_si128()));
        if (terminators != 0) return offset + static_cast<size_t>(__builtin_ctz(terminators));
    }
    return kDumpLineSize;
#else
    return strnlen(line, kDumpLineSize);
#endif
}

}  // namespace nKoVeskLog210
