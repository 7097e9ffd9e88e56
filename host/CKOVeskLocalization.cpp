// The user's language and the status descriptions: the built-in ones of
// "VISA" and those the host added, which are found first.
#include "host/CKOVeskLocalization.h"

#include <atomic>
#include <map>
#include <string>

#include "host/HostSideServices.h"
#include "host/PublishedTable.h"
#include "host/StringBaseViews.h"
#include "host/VisaStatusDescriptions.h"

namespace {

const char kBuiltInStatusPrefix[] = "VISA";

std::atomic<int32_t> g_localeLanguage{eKoVeskLocaleEnglish};

// Descriptions added by the host: prefix -> code -> text.
using tStatusDescriptorTable =
    std::map<std::string, std::map<int32_t, std::string>, std::less<>>;

// Never destroyed: rendering threads may still read while the process exits.
PublishedTable<tStatusDescriptorTable>& statusDescriptors() {
    static auto* table = new PublishedTable<tStatusDescriptorTable>;
    return *table;
}

}  // namespace

eKoVeskLocale CKOVeskLocalization::GetLocaleLanguage() {
    return static_cast<eKoVeskLocale>(g_localeLanguage.load(std::memory_order_relaxed));
}

bool CKOVeskLocalization::LookupStatusDescriptor(int32_t code, const StringBase& prefix,
                                                 StringBase& result) {
    thread_local PublishedTable<tStatusDescriptorTable>::ReaderCache cache;
    const tStatusDescriptorTable& added = statusDescriptors().Read(cache);
    const auto byPrefix = added.find(viewOf(prefix));
    if (byPrefix != added.end()) {
        const auto byCode = byPrefix->second.find(code);
        if (byCode != byPrefix->second.end()) {
            assignTo(result, byCode->second);
            return true;
        }
    }
    if (viewOf(prefix) == kBuiltInStatusPrefix) {
        if (const char* text = FindVisaStatusDescription(code)) {
            result = text;
            return true;
        }
    }
    return false;
}

// --- host side -------------------------------------------------------------

void nKoVeskHost::SetLocaleLanguage(eKoVeskLocale locale) {
    g_localeLanguage.store(locale, std::memory_order_relaxed);
}

void nKoVeskHost::SetStatusDescriptor(const StringBase& prefix, int32_t code,
                                      const StringBase& description) {
    std::string key(viewOf(prefix));
    std::string text(viewOf(description));
    statusDescriptors().Update([&](tStatusDescriptorTable& table) {
        table[key][code] = text;
    });
}

void nKoVeskHost::ClearStatusDescriptors() {
    statusDescriptors().Update([](tStatusDescriptorTable& table) { table.clear(); });
}
