// Help requests. The host program has no help viewer: a request is recorded
// for the host to act on (or for tests to inspect).
#include "host/CHelpLauncher.h"

#include "host/HostSideServices.h"
#include "host/LastEventRecorder.h"

namespace {

// Never destroyed: rendering threads may still record while the process exits.
LastEventRecorder<nKoVeskHost::tHelpRequest>& helpRequests() {
    static auto* recorder = new LastEventRecorder<nKoVeskHost::tHelpRequest>;
    return *recorder;
}

}  // namespace

bool CHelpLauncher::Help(int32_t window, eHelpLauncherActions action, const char* topic,
                         const StringBase& helpFile) {
    helpRequests().Record(nKoVeskHost::tHelpRequest{window, action, StringBase(topic), helpFile});
    return true;
}

// --- host side -------------------------------------------------------------

bool nKoVeskHost::LastHelpRequest(tHelpRequest& request) { return helpRequests().Last(request); }

int32_t nKoVeskHost::HelpRequestCount() { return helpRequests().Count(); }

void nKoVeskHost::ResetHelpRequests() { helpRequests().Reset(); }
