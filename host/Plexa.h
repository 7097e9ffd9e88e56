// Handles of the host's graphical runtime: counted strings and arrays of them.
//
// A handle is a pointer to a master pointer; the runtime resizes the block
// behind the master pointer. Blocks come from malloc/realloc and are
// released with PlexaDisposeString / PlexaDisposeStringArray.
#pragma once

#include <cstdint>

#include "ko/zel/Export.h"

struct HStr {
    int32_t cnt;   // number of bytes in str
    char str[1];   // cnt bytes, not terminated
};

struct HStrArray {
    int32_t cnt;      // number of elements
    HStr** elt[1];    // cnt string handles
};

// A new empty string handle (cnt 0) / string-array handle (cnt 0).
KOVESK_API HStr** PlexaNewString();
KOVESK_API HStrArray** PlexaNewStringArray();
// Releases a handle and, for arrays, every element; null is ignored.
KOVESK_API void PlexaDisposeString(HStr** handle);
KOVESK_API void PlexaDisposeStringArray(HStrArray** handle);
