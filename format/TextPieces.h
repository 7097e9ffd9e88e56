// Pieces of captured text and the framing that every string rendering shares:
// an optional pair of quotes around a head, an optional "..." and a tail,
// bounded by the room of the output.
//
// Internal to the formatter; not part of the plug-in's interface.
#pragma once

#include <cstddef>
#include <cstring>

#include "format/BoundedText.h"
#include "ko/zel/StringBase.h"

namespace nKoVeskLog210 {

// strncmp(text, prefix, length of prefix) == 0 for a literal prefix, the
// characters compared inline: the hidden session parameter is looked for
// before every parameter of every call.
template <size_t N>
inline bool startsWith(const char* text, const char (&prefix)[N]) noexcept {
    for (size_t i = 0; i + 1 < N; ++i) {
        if (text[i] != prefix[i]) return false;
    }
    return true;
}

// A run of narrow characters that is not terminated in general.
struct tTextPiece {
    const char* text = nullptr;
    size_t length = 0;
};

// The first `count` bytes of `data`, stopped at the first NUL (as "%.*s"
// would print them). `data` may be null only when `count` is 0.
inline tTextPiece narrowPiece(const char* data, size_t count) noexcept {
    if (count == 0) return {};
    const void* nul = std::memchr(data, '\0', count);
    return {data, nul ? static_cast<size_t>(static_cast<const char*>(nul) - data) : count};
}

// A converted text up to its first NUL (as "%s" would print it).
inline tTextPiece stringPiece(const StringBase& text) noexcept {
    return {text.c_str(), std::strlen(text.c_str())};
}

// [begin, end) narrowed to whole UTF-8 sequences: continuation bytes at the
// start are skipped; an incomplete sequence at the end is dropped. A lead
// byte at the (new) start is not examined, so a range that starts with an
// incomplete sequence is left for the decoder to reject.
struct Utf8Range {
    const unsigned char* begin;
    const unsigned char* end;
};
Utf8Range trimToWholeSequences(const unsigned char* begin, const unsigned char* end) noexcept;

// Decodes a UTF-8 range (trimmed first) and converts it to the narrow
// character set of the process locale; characters the set lacks become '?'.
// Throws InvalidSequence for invalid UTF-8. An empty range gives an empty
// text without any conversion.
StringBase convertUtf8Piece(const unsigned char* begin, const unsigned char* end);

// Writes  [quote] head [middle tail] [quote]  into `text`. `middle` (may be
// null) is written only when given; the quotes and the middle always fit:
// when the pieces do not, the head is cut at its end and the tail at its
// start (on whole characters of the locale), sharing the room evenly.
// Writes nothing at all when the whole would be empty.
void writeFramed(BoundedText& text, bool quoted, tTextPiece head, const char* middle,
                 tTextPiece tail) noexcept;

// Replaces every control character (isPrintableChar false) from the second
// to the last of `text` by '.'; the first character is kept as it is.
void replaceControlCharacters(char* text, size_t length) noexcept;

}  // namespace nKoVeskLog210
