// The per-API records. Records never move: a plug-in may keep a pointer.
#include "host/CVeskApiInfo.h"

#include <mutex>

#include "host/HostSideServices.h"

namespace {

// The API families the host knows have the numbers 0 to 63, each a record
// of its own; every other number (a capture may hold any) shares one record
// of default information, so that no value of a capture makes memory grow.
constexpr int32_t kKnownApiTypes = 64;

struct tApiInfoStore {
    CVeskApiInfo known[kKnownApiTypes];
    CVeskApiInfo unknown;
    std::mutex mutex;  // serialises resets
};

// Never destroyed: rendering threads may still read while the process exits.
tApiInfoStore& apiInfoStore() {
    static tApiInfoStore* store = new tApiInfoStore;
    return *store;
}

void resetApiInfo(CVeskApiInfo& info) {
    info.helpFilePath = StringBase();
    info.hasValueNames = false;
    info.valueNameCallback = nullptr;
}

}  // namespace

CVeskApiInfo* CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType apiType) {
    tApiInfoStore& store = apiInfoStore();
    const int32_t type = apiType;
    return type >= 0 && type < kKnownApiTypes ? &store.known[type] : &store.unknown;
}

// --- host side -------------------------------------------------------------

void nKoVeskHost::ResetApiInfo() {
    tApiInfoStore& store = apiInfoStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    for (CVeskApiInfo& info : store.known) resetApiInfo(info);
    resetApiInfo(store.unknown);
}
