// The per-API records. Records never move: a plug-in may keep a pointer.
#include "host/CVeskApiInfo.h"

#include <map>
#include <memory>
#include <mutex>

#include "host/HostSideServices.h"

namespace {

// API types below this have a record in a fixed array, reached without a
// lock; all others live in a map under a mutex.
constexpr int32_t kDirectApiTypes = 64;

struct tApiInfoStore {
    CVeskApiInfo direct[kDirectApiTypes];
    std::mutex mutex;
    std::map<int32_t, std::unique_ptr<CVeskApiInfo>> others;
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
    if (type >= 0 && type < kDirectApiTypes) return &store.direct[type];
    std::lock_guard<std::mutex> lock(store.mutex);
    std::unique_ptr<CVeskApiInfo>& info = store.others[type];
    if (!info) info = std::make_unique<CVeskApiInfo>();
    return info.get();
}

// --- host side -------------------------------------------------------------

void nKoVeskHost::ResetApiInfo() {
    tApiInfoStore& store = apiInfoStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    for (CVeskApiInfo& info : store.direct) resetApiInfo(info);
    for (auto& entry : store.others) resetApiInfo(*entry.second);
}
