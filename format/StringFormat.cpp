// Rendering of captured narrow and UTF-8 strings: bounded by the display
// format, quoted unless the format asks for raw text, head and tail of
// partly captured strings, control characters shown as '.'.
#include <cctype>
#include <cstddef>

#include "format/BoundedText.h"
#include "format/CVisaGenericFormat.h"
#include "format/TextPieces.h"

namespace nKoVeskLog210 {
namespace {

// The short form shows strings of kShortCutSize bytes or more as their
// first and last kShortPieceSize bytes.
constexpr size_t kShortCutSize = 31;
constexpr size_t kShortPieceSize = 15;
// Bytes shown of a string in the call description, and in every other form.
constexpr size_t kLineStringLimit = 256;
constexpr size_t kFullStringLimit = 1016;

const char kEllipsis[] = "...";

size_t stringLimit(eFormatSpecifier format) {
    return format == eFormatLine ? kLineStringLimit : kFullStringLimit;
}

// The captured byte count that can be read: none without data.
size_t readableSize(const void* data, int size) {
    return (data && size > 0) ? static_cast<size_t>(size) : 0;
}

// The three shapes every string rendering takes, for a string of `size`
// readable bytes: [from, from + count) ranges of the head and the tail.
struct tStringShape {
    bool quoted;
    bool cut;  // "..." follows the head
    size_t headCount;
    size_t tailFrom;
    size_t tailCount;
};

// The head and tail of a partly captured string are its two halves; the
// narrow form shows size/2 bytes of each (an odd last byte is not shown),
// the UTF-8 form keeps the odd last byte in the tail.
enum class eOddLastByte { Dropped, Kept };

tStringShape chooseShape(size_t size, eFormatSpecifier format, bool partial,
                        eOddLastByte oddLastByte) {
    if (format == eFormatShort && size >= kShortCutSize) {
        return {true, true, kShortPieceSize, size - kShortPieceSize, kShortPieceSize};
    }
    const bool quoted = format != eFormatUnquoted;
    const size_t limit = stringLimit(format);
    if (size > limit) return {quoted, true, limit, 0, 0};
    if (partial) {
        const size_t half = size / 2;
        return {quoted, true, half, half, oddLastByte == eOddLastByte::Kept ? size - half : half};
    }
    return {quoted, false, size, 0, 0};
}

// Ends the rendering: control characters become '.', the count is returned.
int finish(BoundedText& text) {
    replaceControlCharacters(text.data(), text.length());
    return text.result();
}

}  // namespace

int CVisaGenericFormat::FormatMbcsString(const char* data, int size, eFormatSpecifier format,
                                         bool partial, char* out) const {
    if (!out) return 0;
    const size_t readable = readableSize(data, size);
    const tStringShape shape = chooseShape(readable, format, partial, eOddLastByte::Dropped);
    BoundedText text(out, kArgumentTextSize);
    writeFramed(text, shape.quoted, narrowPiece(data, shape.headCount),
                shape.cut ? kEllipsis : nullptr,
                shape.tailCount ? narrowPiece(data + shape.tailFrom, shape.tailCount)
                                : tTextPiece());
    return finish(text);
}

int CVisaGenericFormat::FormatUtf8String(const unsigned char* data, int size,
                                         eFormatSpecifier format, bool partial,
                                         char* out) const {
    if (!out) return 0;
    const size_t readable = readableSize(data, size);
    const tStringShape shape = chooseShape(readable, format, partial, eOddLastByte::Kept);
    // Both pieces are converted before anything is written, so that an
    // invalid sequence leaves `out` as it was.
    const StringBase head =
        shape.headCount ? convertUtf8Piece(data, data + shape.headCount) : StringBase();
    const StringBase tail =
        shape.tailCount
            ? convertUtf8Piece(data + shape.tailFrom, data + shape.tailFrom + shape.tailCount)
            : StringBase();
    BoundedText text(out, kArgumentTextSize);
    writeFramed(text, shape.quoted, stringPiece(head), shape.cut ? kEllipsis : nullptr,
                stringPiece(tail));
    return finish(text);
}

bool CVisaGenericFormat::isPrintableChar(char c) {
    return !std::iscntrl(static_cast<unsigned char>(c));
}

}  // namespace nKoVeskLog210
