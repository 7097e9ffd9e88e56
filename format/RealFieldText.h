// The text of one real number as a centred field, composed without
// allocating: the dump lines and the array previews append it straight into
// their fixed buffers, and FormatRealField copies it into a StringBase.
#pragma once

#include <cstdint>

#include "format/BoundedText.h"

namespace nKoVeskLog210 {

// Room for the printed number, terminator included; longer printed texts
// are cut to kRealTextSize - 1 characters.
inline constexpr uint32_t kRealTextSize = 32;

// The printed number (or "NAN", "INF", "NINF") and the blanks that centre it
// in its field, the odd blank on the right.
struct tRealFieldText {
    char text[kRealTextSize];
    uint32_t length;
    uint32_t leftBlanks;
    uint32_t rightBlanks;
};

// `format` is a printf format for one double (null prints nothing for a
// finite value); `width` the minimum field width (nothing is padded when the text already fills it). The float form
// tests the special values against the limits of float.
tRealFieldText composeRealField(const char* format, int width, float value);
tRealFieldText composeRealField(const char* format, int width, double value);

// Appends the field: blanks, text, blanks.
inline void appendRealField(BoundedText& out, const tRealFieldText& field) {
    out.appendBlanks(field.leftBlanks);
    out.append(field.text, field.length);
    out.appendBlanks(field.rightBlanks);
}

}  // namespace nKoVeskLog210
