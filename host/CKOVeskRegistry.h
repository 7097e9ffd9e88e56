// The host's per-API settings, such as the "StatusPrefix" by which status
// descriptions are looked up.
//
// Reads may come from any thread and take no lock. The host program and
// tests make the settings through host/HostSideServices.h.
#pragma once

#include "host/IKoVeskLogger.h"
#include "ko/zel/Export.h"
#include "ko/zel/StringBase.h"

class KOVESK_API CKOVeskRegistry {
public:
    // Reads the per-API setting `key` (compared exactly, letter case
    // included) into `value`; false when it does not exist (then `value` is
    // untouched). `userScope` is accepted and unused.
    static bool GetApiValue(EKoVeskApiType apiType, const StringBase& key,
                            StringBase& value, bool userScope);
};
