#include "format/CVisaGenericFormat.h"

// Interim body: the array previews land with their own work.
namespace nKoVeskLog210 {

int CVisaGenericFormat::FormatCallArgArray(const IKoVeskLogger*, int, char*, eFormatSpecifier,
                                           const IKoVeskCall*) const {
    return 0;
}

}  // namespace nKoVeskLog210
