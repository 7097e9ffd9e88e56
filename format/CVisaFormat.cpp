// The VISA formatter: status codes, event types, attribute identifiers and
// host-named values shown with their names; the process-wide instance.
#include "format/CVisaFormat.h"

#include <cstring>

#include "format/BoundedText.h"
#include "format/NumberText.h"
#include "format/TextPieces.h"
#include "host/CKOVeskLocalization.h"

namespace nKoVeskLog210 {
namespace {

constexpr int kStatusTypeCode = 23;
constexpr int kAttributeTypeCode2 = 101;
constexpr int kHostNamedTypeCode = 103;

// Room of a looked-up name, terminator included.
constexpr uint32_t kNameBufferSize = kArgumentTextSize;

const char kEventPrefix[] = "VI_EVENT_";
const char kAttributeMarker[] = "_ATTR_";

// "0x%08X (name)": the name is cut so that the closing parenthesis fits.
int writeValueWithName(char* out, uint32_t value, const char* name) {
    BoundedText text(out, kArgumentTextSize - 1);
    const ShortText opening = ShortText().add("0x").hex(value, 8).add(" (");
    text.append(opening.data(), opening.size());
    writeFramed(text, false, {name, std::strlen(name)}, nullptr, {});
    BoundedText whole(out, kArgumentTextSize, text.length());
    whole.append(')');
    return whole.result();
}

// "0x%08X"
int writeValue(char* out, uint32_t value) {
    BoundedText text(out, kArgumentTextSize);
    const ShortText hex = ShortText().add("0x").hex(value, 8);
    text.append(hex.data(), hex.size());
    return text.result();
}

int writeText(char* out, const char* shown) {
    if (!*shown) return 0;
    BoundedText text(out, kArgumentTextSize);
    text.append(shown);
    return text.result();
}

// The short form of a name: events without "VI_EVENT_", attributes without
// everything up to and including the first "_ATTR_".
const char* shortName(int typeCode, const char* name) {
    if (typeCode == kEventTypeCode) {
        const size_t prefixLength = sizeof(kEventPrefix) - 1;
        return std::strncmp(name, kEventPrefix, prefixLength) == 0 ? name + prefixLength : name;
    }
    if (typeCode == kAttributeTypeCode || typeCode == kAttributeTypeCode2) {
        const char* marker = std::strstr(name, kAttributeMarker);
        return marker ? marker + sizeof(kAttributeMarker) - 1 : name;
    }
    return name;
}

}  // namespace

CVisaFormat::~CVisaFormat() = default;

int CVisaFormat::FormatCallArgScalar(const IKoVeskLogger* logger, int index, char* out,
                                     eFormatSpecifier format, int* helpIndex,
                                     const IKoVeskCall*) const {
    if (!logger || !out) return 0;
    int type = 0;
    logger->GetParamType(index, &type);
    const bool shortForm = format == eFormatShort;

    if (type == kStatusTypeCode) {
        uint32_t status = 0;
        logger->GetParamUInt32(index, &status);
        if (status == 0) return writeText(out, shortForm ? "0" : "0 (VI_SUCCESS)");
        if (shortForm) return writeValue(out, status);
        char name[kNameBufferSize];
        return lookupName(statusList, status, logger, index,
                          CKOVeskLocalization::GetLocaleLanguage(), false, name, sizeof name)
                   ? writeValueWithName(out, status, name)
                   : writeValue(out, status);
    }

    if (type != kEventTypeCode && type != kAttributeTypeCode && type != kAttributeTypeCode2 &&
        type != kHostNamedTypeCode) {
        return CVisaGenericFormat::FormatCallArgScalar(logger, index, out, format, helpIndex,
                                                       nullptr);
    }

    // Event types and attributes are named by their 32-bit value; a host-named
    // value is the second 32-bit word of its data and is named by the host
    // alone (no table, key 0).
    uint32_t value = 0;
    const tNumNameMapInfo* table = nullptr;
    uint32_t key = 0;
    if (type == kHostNamedTypeCode) {
        int size = 0;
        logger->GetParamSize(index, &size);
        const void* data = nullptr;
        if (size >= 8) logger->GetParamData(index, &data, 4, size);
        if (!data) return writeText(out, "0");
        std::memcpy(&value, static_cast<const char*>(data) + sizeof(uint32_t), sizeof value);
    } else {
        logger->GetParamUInt32(index, &value);
        if (value == 0) return writeText(out, "0");
        if (logger->GetApiType() == kVisaApiType) {
            table = type == kEventTypeCode ? eventList : attrList;
        }
        key = value;
    }
    if (helpIndex) *helpIndex = index;

    char name[kNameBufferSize];
    if (!lookupName(table, key, logger, index, CKOVeskLocalization::GetLocaleLanguage(),
                    shortForm, name, sizeof name)) {
        return writeValue(out, value);
    }
    return shortForm ? writeText(out, shortName(type, name))
                     : writeValueWithName(out, value, name);
}

namespace {

// The name of the 32-bit value at `index`: from `visaTable` for a VISA
// call, otherwise only from the host.
const char* NameOfValue(const CVisaFormat& formatter,
                        const CVisaGenericFormat::tNumNameMapInfo* visaTable,
                        const IKoVeskLogger* logger, int index, char* out, unsigned size) {
    if (!logger) return nullptr;
    uint32_t value = 0;
    logger->GetParamUInt32(index, &value);
    const auto* table = logger->GetApiType() == kVisaApiType ? visaTable : nullptr;
    return formatter.lookupName(table, value, logger, index,
                                CKOVeskLocalization::GetLocaleLanguage(), false, out, size);
}

}  // namespace

const char* CVisaFormat::GetEventName(const IKoVeskLogger* logger, int index, char* out,
                                      unsigned size) const {
    return NameOfValue(*this, eventList, logger, index, out, size);
}

const char* CVisaFormat::GetAttributeName(const IKoVeskLogger* logger, int index, char* out,
                                          unsigned size) const {
    return NameOfValue(*this, attrList, logger, index, out, size);
}

CVisaFormat* CVisaFormat::GetSingletonVisaFormatter() {
    // A function-local static: built once, under the language's thread-safe
    // initialisation, on the first call; destroyed at exit.
    static CVisaFormat formatter;
    return &formatter;
}

}  // namespace nKoVeskLog210
