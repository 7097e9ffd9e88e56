#include "format/CVisaGenericFormat.h"

// Interim bodies: each operation lands with its own work.
namespace nKoVeskLog210 {

CVisaGenericFormat::~CVisaGenericFormat() = default;

int CVisaGenericFormat::FormatCallArgScalar(const IKoVeskLogger*, int, char*, eFormatSpecifier,
                                            int*, const IKoVeskCall*) const {
    return 0;
}

bool CVisaGenericFormat::LookupStatusDescriptor(EKoVeskApiType, const StringBase&,
                                                StringBase&) const {
    return false;
}

const char* CVisaGenericFormat::lookupName(const tNumNameMapInfo*, uint32_t,
                                           const IKoVeskLogger*, int, eKoVeskLocale, bool,
                                           char*, uint32_t) const {
    return nullptr;
}

int CVisaGenericFormat::FormatNamedDummyParameter(const IKoVeskLogger*, int, int,
                                                  eFormatSpecifier, char*) const {
    return 0;
}

int CVisaGenericFormat::FormatBoolean(const IKoVeskLogger*, int, int, const char*, const char*,
                                      char*) const {
    return 0;
}

int CVisaGenericFormat::FormatMbcsString(const char*, int, eFormatSpecifier, bool,
                                         char*) const {
    return 0;
}

int CVisaGenericFormat::FormatUtf8String(const unsigned char*, int, eFormatSpecifier, bool,
                                         char*) const {
    return 0;
}

bool CVisaGenericFormat::isPrintableChar(char) { return true; }

}  // namespace nKoVeskLog210
