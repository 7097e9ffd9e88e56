// The host's application settings that plug-ins read.
//
// Read from any thread without a lock; the host program and tests make them
// through host/HostSideServices.h.
#pragma once

#include "ko/zel/Export.h"

class KOVESK_API CAppSettings {
public:
    // True when exports are summaries (no buffer dumps); false in a fresh
    // process.
    static bool GetExportIsSummary();
};
