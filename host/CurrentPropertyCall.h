// The call whose property pages the host has open.
//
// The host's page files call the plug-in's page entry points by name and
// pass only their own data handles; the entry points ask here which record
// they are to show. The host program sets the call when it opens the pages
// (host/HostSideServices.h).
#pragma once

#include "host/KoVeskExport.h"

class IKoVeskCall;

extern "C" {
// The call whose property pages are open; null when none. Not owned: the
// host keeps the record alive while its pages are open. Any thread.
KOVESK_API IKoVeskCall* VeskClasses_ListCtrl_GetCurrentPropertyCall();
}
