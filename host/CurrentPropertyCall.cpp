#include "host/CurrentPropertyCall.h"

#include <atomic>

#include "host/HostSideServices.h"

namespace {

std::atomic<IKoVeskCall*> g_currentPropertyCall{nullptr};

}  // namespace

extern "C" IKoVeskCall* VeskClasses_ListCtrl_GetCurrentPropertyCall() {
    try {
        return g_currentPropertyCall.load(std::memory_order_acquire);
    } catch (...) {
        return nullptr;
    }
}

// --- host side -------------------------------------------------------------

extern "C" void VeskClasses_ListCtrl_SetCurrentPropertyCall(IKoVeskCall* call) {
    try {
        g_currentPropertyCall.store(call, std::memory_order_release);
    } catch (...) {
    }
}
