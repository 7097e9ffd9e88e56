// The support library's own UTF-8 decoder.
//
// Sequences of 1 to 4 bytes decode as usual (no overlong forms: C0, C1 and
// E0 80..9F, F0 80..8F are rejected); FC and FD start a six-byte sequence
// (after FC the second byte must be at least 84) carrying the lowest bit of
// the lead byte. F8 to FB are read exactly like FC: six bytes, second byte at
// least 84, only the lowest lead bit kept; they are not decoded as five-byte
// forms. FE and FF are invalid. Surrogates and values above 10FFFF that a form can express are
// accepted as they are. Every failure throws (see each function).
#pragma once

#include <cstdint>

#include "ko/zel/StringBase.h"

namespace ko::zel {

// Counts the sequences in [begin, end) without storing them. Throws
// InvalidSequence for an invalid sequence or one that runs past `end`.
// An empty or null range counts 0.
uint32_t CountUtf8Sequences(const unsigned char* begin, const unsigned char* end);

// Decodes [begin, end) into [out, outEnd) and returns the end of the output
// written (no terminator is written). Throws InvalidArgument when `out` is
// null or `outEnd` lies before `out`, InvalidSequence for invalid input, and
// BufferOverflow when input is left over once the output is full.
wchar_t* DecodeUtf8(const unsigned char* begin, const unsigned char* end, wchar_t* out,
                    wchar_t* outEnd);

// Decodes a whole UTF-8 range into a wide string of exactly its length.
WideStringBase Utf8ToWide(const unsigned char* begin, const unsigned char* end);
WideStringBase Utf8ToWide(const Utf8String& text);

}  // namespace ko::zel
