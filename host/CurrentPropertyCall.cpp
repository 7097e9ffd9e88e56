#include "host/CurrentPropertyCall.h"

#include <atomic>

#include "host/HostSideServices.h"
#include "ko/zel/StringBase.h"

namespace {

std::atomic<IKoVeskCall*> g_currentPropertyCall{nullptr};

// The failure a page entry point reported on this thread and the host has
// not taken yet; empty when none.
thread_local StringBase t_pageFailure;

}  // namespace

extern "C" IKoVeskCall* VeskClasses_ListCtrl_GetCurrentPropertyCall() {
    try {
        return g_currentPropertyCall.load(std::memory_order_acquire);
    } catch (...) {
        return nullptr;
    }
}

extern "C" void VeskClasses_PropertyPage_ReportFailure(const char* entryPoint, const char* reason) {
    try {
        StringBase message(entryPoint ? entryPoint : "a page entry point");
        message += ": ";
        message += reason ? reason : "an unknown failure";
        t_pageFailure = message;
    } catch (...) {
        // Out of memory: the plainest report there is.
        t_pageFailure.erase();
    }
}

// --- host side -------------------------------------------------------------

bool nKoVeskHost::TakePropertyPageFailure(StringBase& message) {
    if (t_pageFailure.empty()) return false;
    message = t_pageFailure;
    t_pageFailure.erase();
    return true;
}

extern "C" void VeskClasses_ListCtrl_SetCurrentPropertyCall(IKoVeskCall* call) {
    try {
        g_currentPropertyCall.store(call, std::memory_order_release);
    } catch (...) {
    }
}
