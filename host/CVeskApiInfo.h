// What the host knows of each traced API family: its help file and whether,
// and how, it names parameter values itself.
//
// The host knows the API families 0 to 63, each with a record of its own;
// every other API type shares one record of default information (no help
// file, no value names). Records live as long as the process and are read
// without a lock. The host program and tests fill
// the records in place before calls are rendered; host/HostSideServices.h
// empties them all again.
#pragma once

#include <cstdint>

#include "host/CKOVeskLocalization.h"
#include "host/IKoVeskLogger.h"
#include "ko/zel/Export.h"
#include "ko/zel/StringBase.h"

// Names a parameter's value for the host: writes a NUL-terminated name of at
// most `capacity` wide characters (terminator included) into `buffer` and
// returns true, or returns false and leaves the name unwritten.
using VeskValueNameCallback = bool (*)(const IKoVeskLogger* logger, int index,
                                       eKoVeskLocale locale, bool compact,
                                       uint32_t capacity, wchar_t* buffer);

// One API family's record. Fields in this order.
class KOVESK_API CVeskApiInfo {
public:
    StringBase helpFilePath;                         // empty: no help file
    bool hasValueNames = false;                      // the host names values
    VeskValueNameCallback valueNameCallback = nullptr;

    // The record of `apiType` (any int); never null, and always the same
    // record for the same type (the shared one for types outside 0 to 63).
    static CVeskApiInfo* GetVeskApiInfo(EKoVeskApiType apiType);
};
