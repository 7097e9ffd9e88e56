#include "format/CVisaFormat.h"

namespace nKoVeskLog210 {

CVisaFormat::~CVisaFormat() = default;

// Interim: the VISA renderings land with the scalar-argument work.
int CVisaFormat::FormatCallArgScalar(const IKoVeskLogger* logger, int index, char* out,
                                     eFormatSpecifier format, int* helpIndex,
                                     const IKoVeskCall*) const {
    return CVisaGenericFormat::FormatCallArgScalar(logger, index, out, format, helpIndex,
                                                   nullptr);
}

const char* CVisaFormat::GetEventName(const IKoVeskLogger*, int, char*, unsigned) const {
    return nullptr;
}

const char* CVisaFormat::GetAttributeName(const IKoVeskLogger*, int, char*, unsigned) const {
    return nullptr;
}

CVisaFormat* CVisaFormat::GetSingletonVisaFormatter() {
    // A function-local static: built once, under the language's thread-safe
    // initialisation, on the first call; destroyed at exit.
    static CVisaFormat formatter;
    return &formatter;
}

}  // namespace nKoVeskLog210
