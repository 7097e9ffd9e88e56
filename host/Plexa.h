// Handles of the host's graphical runtime: counted strings and arrays of them.
//
// A handle is a pointer to a master pointer; the runtime resizes the block
// behind the master pointer. A handle made alone (PlexaNewString, or a
// master pointer left null and filled by StringToPlexa) points to a block
// from malloc/realloc. The elements that StringToPlexa adds to an array are
// packed: their master pointers and blocks live in memory of the array, so
// a list of millions of texts costs no allocation a text. An element,
// packed or not, is filled only through StringToPlexa and released only
// through PlexaDisposeString (after which the array's slot is the caller's
// to reset) or with its array; the array keeps an element's handle while
// StringToPlexa refills it.
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
