#include "format/CVisaGenericFormat.h"

// Interim bodies: the real field lands with the dump lines.
namespace nKoVeskLog210 {

StringBase& FormatRealField(StringBase& out, const char*, int, float) {
    out.assign("");
    return out;
}

StringBase& FormatRealField(StringBase& out, const char*, int, double) {
    out.assign("");
    return out;
}

}  // namespace nKoVeskLog210
