// The per-API settings: a table that rendering threads read without a lock
// (PublishedTable.h) and the host program writes.
#include "host/CKOVeskRegistry.h"

#include <map>
#include <string>

#include "host/HostSideServices.h"
#include "host/PublishedTable.h"
#include "host/StringBaseViews.h"

namespace {

// apiType -> key -> value.
using tApiValueTable =
    std::map<int32_t, std::map<std::string, std::string, std::less<>>>;

// Never destroyed: rendering threads may still read while the process exits.
PublishedTable<tApiValueTable>& apiValues() {
    static auto* table = new PublishedTable<tApiValueTable>;
    return *table;
}

}  // namespace

bool CKOVeskRegistry::GetApiValue(EKoVeskApiType apiType, const StringBase& key,
                                  StringBase& value, bool /*userScope*/) {
    thread_local PublishedTable<tApiValueTable>::ReaderCache cache;
    const tApiValueTable& table = apiValues().Read(cache);
    const auto byApi = table.find(apiType);
    if (byApi == table.end()) return false;
    const auto byKey = byApi->second.find(viewOf(key));
    if (byKey == byApi->second.end()) return false;
    assignTo(value, byKey->second);
    return true;
}

// --- host side -------------------------------------------------------------

void nKoVeskHost::SetApiValue(int32_t apiType, const StringBase& key, const StringBase& value) {
    std::string name(viewOf(key));
    std::string text(viewOf(value));
    apiValues().Update([&](tApiValueTable& table) { table[apiType][name] = text; });
}

void nKoVeskHost::ClearApiValues() {
    apiValues().Update([](tApiValueTable& table) { table.clear(); });
}
