#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "format/CVisaGenericFormat.h"
#include "format/RealFieldText.h"

namespace nKoVeskLog210 {

namespace {

void setText(tRealFieldText& field, const char* text) {
    const size_t length = std::strlen(text);
    std::memcpy(field.text, text, length + 1);
    field.length = static_cast<uint32_t>(length);
}

// Prints `value`, or names it when it is not a finite number of its type
// (`largest` is the largest finite value of that type).
void printValue(tRealFieldText& field, const char* format, double value, double largest) {
    if (std::isnan(value)) {
        setText(field, "NAN");
    } else if (value > largest) {
        setText(field, "INF");
    } else if (value < -largest) {
        setText(field, "NINF");
    } else if (!format) {
        setText(field, "");
    } else {
        const int printed = std::snprintf(field.text, sizeof field.text, format, value);
        if (printed < 0) {
            field.text[0] = '\0';
            field.length = 0;
        } else {
            field.length = static_cast<uint32_t>(printed) < kRealTextSize
                               ? static_cast<uint32_t>(printed)
                               : kRealTextSize - 1;
        }
    }
}

// Blanks go on alternately, right first, so the odd one ends on the right.
void centre(tRealFieldText& field, int width) {
    const uint32_t missing =
        width > 0 && static_cast<uint32_t>(width) > field.length
            ? static_cast<uint32_t>(width) - field.length
            : 0;
    field.leftBlanks = missing / 2;
    field.rightBlanks = missing - field.leftBlanks;
}

tRealFieldText compose(const char* format, int width, double value, double largest) {
    tRealFieldText field;
    printValue(field, format, value, largest);
    centre(field, width);
    return field;
}

// Assigns the field to `out` in pieces; widths are small in every use, so
// the few appends cost less than sizing a buffer for any width.
StringBase& assignField(StringBase& out, const tRealFieldText& field) {
    static const char kBlanks[] = "                                ";
    constexpr uint32_t kBlankRun = sizeof kBlanks - 1;
    out.assign("");
    for (uint32_t left = field.leftBlanks; left > 0;) {
        const uint32_t run = left < kBlankRun ? left : kBlankRun;
        out.append(kBlanks, run);
        left -= run;
    }
    out.append(field.text, field.length);
    for (uint32_t right = field.rightBlanks; right > 0;) {
        const uint32_t run = right < kBlankRun ? right : kBlankRun;
        out.append(kBlanks, run);
        right -= run;
    }
    return out;
}

}  // namespace

tRealFieldText composeRealField(const char* format, int width, float value) {
    return compose(format, width, static_cast<double>(value), static_cast<double>(FLT_MAX));
}

tRealFieldText composeRealField(const char* format, int width, double value) {
    return compose(format, width, value, DBL_MAX);
}

StringBase& FormatRealField(StringBase& out, const char* format, int width, float value) {
    return assignField(out, composeRealField(format, width, value));
}

StringBase& FormatRealField(StringBase& out, const char* format, int width, double value) {
    return assignField(out, composeRealField(format, width, value));
}

}  // namespace nKoVeskLog210
