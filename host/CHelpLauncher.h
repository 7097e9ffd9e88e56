// The host's help: opens a help file at a topic.
//
// May be called from any thread. The requests made can be watched through
// host/HostSideServices.h.
#pragma once

#include <cstdint>

#include "ko/zel/Export.h"
#include "ko/zel/StringBase.h"

enum eHelpLauncherActions : int32_t {
    eHelpLauncherShowTopic = 0,
};

class KOVESK_API CHelpLauncher {
public:
    // Opens `helpFile` at `topic` (a C string, null for none); returns true
    // when a request was made.
    static bool Help(int32_t window, eHelpLauncherActions action, const char* topic,
                     const StringBase& helpFile);
};
