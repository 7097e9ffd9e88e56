// Reads of one parameter that the record's renderings share. Both accept a
// null logger (a call that has not returned has none) and read as "no name"
// and type 0 then.
#pragma once

#include "host/IKoVeskLogger.h"

namespace nKoVeskLog210 {

// The parameter's name, or null when the logger gives none.
inline const char* paramName(const IKoVeskLogger* logger, int index) {
    const char* name = nullptr;  // stays null when the logger has no name
    if (logger) logger->GetParamName(index, &name);
    return name;
}

// The parameter's data type code (0 without a logger).
inline int paramType(const IKoVeskLogger* logger, int index) {
    int type = 0;
    if (logger) logger->GetParamType(index, &type);
    return type;
}

}  // namespace nKoVeskLog210
