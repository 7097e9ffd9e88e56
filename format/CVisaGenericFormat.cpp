// The formatter's object and its name queries: the name of a value (from the
// host first, then from a table) and the host's localized status description.
// The renderings live in ScalarFormat.cpp, StringFormat.cpp, ArrayFormat.cpp
// and DumpFormat.cpp.
#include "format/CVisaGenericFormat.h"

#include <cstdio>
#include <cstring>
#include <exception>

#include "format/NameIndex.h"
#include "format/NumberText.h"
#include "host/CKOVeskLocalization.h"
#include "host/CKOVeskRegistry.h"
#include "host/CVeskApiInfo.h"

namespace nKoVeskLog210 {
namespace {

// Wide characters offered to the host's value-name callback.
constexpr uint32_t kHostNameCapacity = kArgumentTextSize;

// The host's name of the parameter's value, copied into `out` when it fits
// with its terminator; false when the host has no name that fits.
bool copyHostName(const IKoVeskLogger* logger, int index, eKoVeskLocale locale, bool shortForm,
                  char* out, uint32_t outSize) {
    const CVeskApiInfo* info =
        CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(logger->GetApiType()));
    if (!info->hasValueNames || index < 0 || !info->valueNameCallback) return false;

    wchar_t name[kHostNameCapacity];
    name[0] = L'\0';
    if (!info->valueNameCallback(logger, index, locale, shortForm, kHostNameCapacity, name)) {
        return false;
    }
    name[kHostNameCapacity - 1] = L'\0';  // an answer that filled the buffer is cut
    try {
        const StringBase narrow(static_cast<const wchar_t*>(name));
        if (narrow.length() >= outSize) return false;
        std::memcpy(out, narrow.c_str(), narrow.length() + 1);
        return true;
    } catch (const std::exception&) {
        // A name that cannot be converted is no name: the table answers.
        return false;
    }
}

}  // namespace

CVisaGenericFormat::~CVisaGenericFormat() = default;

const char* CVisaGenericFormat::lookupName(const tNumNameMapInfo* table, uint32_t value,
                                           const IKoVeskLogger* logger, int index,
                                           eKoVeskLocale locale, bool shortForm, char* out,
                                           uint32_t outSize) const {
    if (!out || outSize == 0) return nullptr;
    if (logger && copyHostName(logger, index, locale, shortForm, out, outSize)) return out;
    if (!table) return nullptr;
    const tNumNameMapInfo* row = findNameRow(table, value);
    if (!row) return nullptr;
    const size_t length = std::strlen(row->name);
    const size_t copied = length < outSize ? length : outSize - 1;
    std::memcpy(out, row->name, copied);
    out[copied] = '\0';
    return out;
}

bool CVisaGenericFormat::LookupStatusDescriptor(EKoVeskApiType apiType,
                                                const StringBase& statusText,
                                                StringBase& descriptor) const {
    static const StringBase kStatusPrefixKey("StatusPrefix");
    StringBase prefix;
    if (!CKOVeskRegistry::GetApiValue(apiType, kStatusPrefixKey, prefix, true)) return false;
    // A text that is not hexadecimal (the empty code of a status text
    // without "0x") names no status: no description rather than success's.
    unsigned code = 0;
    if (!readHexLikeScanf(statusText.c_str(), code)) return false;
    return CKOVeskLocalization::LookupStatusDescriptor(static_cast<int32_t>(code), prefix,
                                                       descriptor);
}

}  // namespace nKoVeskLog210
