#include "format/CVisaGenericFormat.h"

// Interim bodies: the dump lines land with their own work.
namespace nKoVeskLog210 {

void CVisaGenericFormat::GetFormatLimits(bool, const IKoVeskLogger*, int, StringBase&, int&,
                                         int&) const {}

int CVisaGenericFormat::CalcNumberOfDataLines(const IKoVeskLogger*, int, bool) const {
    return 0;
}

void CVisaGenericFormat::FormatDataLine(int, int, const unsigned char*, char*, int, int,
                                        int& bytesUsed, int& elementsUsed,
                                        const IKoVeskCall*) const {
    bytesUsed = 0;
    elementsUsed = 0;
}

int CVisaGenericFormat::CalcBytesPerLine(const IKoVeskLogger*, int, bool) const { return 0; }

}  // namespace nKoVeskLog210
