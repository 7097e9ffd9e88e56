// Fuzz target: FormatMbcsString and FormatUtf8String with every selector and
// flag, and the framing they share cut to small rooms.
//
// Input: a control byte (bit 0: UTF-8 renderer; bit 1: partial capture;
// bit 2: C.UTF-8; bits 3-4: the size passed: exact, 0 with a null pointer,
// negative, 0 with data), a selector byte, a byte for a small room, then the
// captured bytes.
#include <climits>

#include "format/BoundedText.h"
#include "format/CVisaGenericFormat.h"
#include "format/TextPieces.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzLocale.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/OutputBuffer.h"

namespace kovesk_fuzz {
namespace {

using namespace nKoVeskLog210;

// The four selectors and values outside them, which behave as eFormatFull.
const int kSelectors[] = {eFormatShort, eFormatLine, eFormatFull, eFormatUnquoted, 4, -1, 255};

// Longest narrow rendering: 1016 bytes, two quotes and "...".
constexpr int kLongestNarrowRendering = 1021;

void CheckRendering(const OutputBuffer& out, int result, eFormatSpecifier format,
                    bool converted) {
    out.CheckRendering(result);
    if (result == 0) return;
    if (format != eFormatUnquoted) {
        FUZZ_CHECK(out.data()[0] == '"');
        FUZZ_CHECK(out.data()[result - 1] == '"');
    }
    // Converted UTF-8 may grow in a multibyte locale; the buffer bounds it.
    if (!converted) FUZZ_CHECK(result <= kLongestNarrowRendering);
}

// writeFramed into a room of `capacity` characters (terminator included):
// never past it, always terminated, quotes and middle kept when they fit.
void CheckFraming(const uint8_t* data, size_t size, size_t capacity, bool quoted) {
    const std::unique_ptr<char[]> buffer(new char[capacity]);
    BoundedText text(buffer.get(), capacity);
    const size_t half = size / 2;
    const auto* bytes = reinterpret_cast<const char*>(data);
    writeFramed(text, quoted, narrowPiece(bytes, half), "...",
                narrowPiece(bytes + half, size - half));
    FUZZ_CHECK(text.length() < capacity);
    if (text.length() > 0) FUZZ_CHECK(strnlen(buffer.get(), capacity) == text.length());
    if (capacity > (quoted ? 2u : 0u) + 3u && quoted) {
        FUZZ_CHECK(buffer[0] == '"' && buffer[text.length() - 1] == '"');
    }
}

}  // namespace

void RunOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t control = input.byte();
    const auto format = static_cast<eFormatSpecifier>(input.choose(kSelectors));
    const size_t smallRoom = 1 + input.byte() % 48;
    const ByteRun captured = input.rest();
    const bool utf8 = (control & 1) != 0;
    const bool partial = (control & 2) != 0;
    UseLocale((control & 4) != 0);

    const uint8_t* bytes = captured.data;
    int passedSize = static_cast<int>(captured.size);
    switch ((control >> 3) & 3) {
    case 1: bytes = nullptr; passedSize = 0; break;
    case 2: passedSize = captured.size ? -passedSize : INT_MIN; break;
    case 3: passedSize = 0; break;
    default: break;
    }

    const CVisaGenericFormat formatter;
    OutputBuffer out(kArgumentTextSize);
    if (utf8) {
        int result = 0;
        if (Tolerating([&] {
                result = formatter.FormatUtf8String(bytes, passedSize, format, partial, out.data());
            })) {
            CheckRendering(out, result, format, true);
        } else {
            // Both pieces are converted before anything is written.
            FUZZ_CHECK(out.Untouched());
        }
    } else {
        const int result = formatter.FormatMbcsString(reinterpret_cast<const char*>(bytes),
                                                      passedSize, format, partial, out.data());
        CheckRendering(out, result, format, false);
    }

    const Utf8Range trimmed = trimToWholeSequences(captured.data, captured.data + captured.size);
    FUZZ_CHECK(trimmed.begin >= captured.data && trimmed.begin <= trimmed.end &&
               trimmed.end <= captured.data + captured.size);
    CheckFraming(captured.data, captured.size, smallRoom, format != eFormatUnquoted);
}

}  // namespace kovesk_fuzz
