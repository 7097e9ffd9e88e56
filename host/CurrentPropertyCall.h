// The call whose property pages the host has open.
//
// The host's page files call the plug-in's page entry points by name and
// pass only their own data handles; the entry points ask here which record
// they are to show. The host program sets the call when it opens the pages
// (host/HostSideServices.h).
#pragma once

#include "ko/zel/Export.h"

class IKoVeskCall;

extern "C" {
// The call whose property pages are open; null when none. Not owned: the
// host keeps the record alive while its pages are open. Any thread.
KOVESK_API IKoVeskCall* VeskClasses_ListCtrl_GetCurrentPropertyCall();

// A page entry point could not fill its page: the record's operation failed
// with `reason` (null: unknown). The host shows the failure in place of the
// page instead of an empty one. The report belongs to the calling thread,
// where the page asked for its data; the texts are copied. Never throws.
KOVESK_API void VeskClasses_PropertyPage_ReportFailure(const char* entryPoint, const char* reason);
}
