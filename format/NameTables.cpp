#include "format/CVisaFormat.h"

// Interim: the tables land with the name-table work.
namespace nKoVeskLog210 {

const CVisaGenericFormat::tNumNameMapInfo CVisaFormat::attrList[kAttributeCount + 1] = {};
const CVisaGenericFormat::tNumNameMapInfo CVisaFormat::eventList[kEventCount + 1] = {};
const CVisaGenericFormat::tNumNameMapInfo CVisaFormat::statusList[kStatusCount + 1] = {};

}  // namespace nKoVeskLog210
