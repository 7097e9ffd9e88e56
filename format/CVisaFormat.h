// The VISA formatter: the generic formatter plus the VISA names of status
// codes, event types and attributes, and the process-wide instance.
#pragma once

#include <cstdint>

#include "format/CVisaGenericFormat.h"
#include "ko/zel/Export.h"

namespace nKoVeskLog210 {

class KOVESK_API CVisaFormat : public CVisaGenericFormat {
public:
    // Rows before the terminator row of each table.
    static constexpr uint32_t kAttributeCount = 197;
    static constexpr uint32_t kEventCount = 28;
    static constexpr uint32_t kStatusCount = 98;

    static const tNumNameMapInfo attrList[kAttributeCount + 1];
    static const tNumNameMapInfo eventList[kEventCount + 1];
    static const tNumNameMapInfo statusList[kStatusCount + 1];

    CVisaFormat() = default;
    ~CVisaFormat() override;

    // Renders status codes (23), event types (27), attributes (29, 101) and
    // host-named values (103) with their names; hands every other code to
    // CVisaGenericFormat::FormatCallArgScalar.
    int FormatCallArgScalar(const IKoVeskLogger* logger, int index, char* out,
                            eFormatSpecifier format, int* helpIndex,
                            const IKoVeskCall* call) const override;

    // Name of the event type / attribute the parameter holds, written into
    // `out` (`size` bytes); null when none is known. The tables are used for
    // API type 3 only; the host's value-name callback for every API type.
    const char* GetEventName(const IKoVeskLogger* logger, int index, char* out,
                             unsigned size) const;
    const char* GetAttributeName(const IKoVeskLogger* logger, int index, char* out,
                                 unsigned size) const;

    // The one formatter of the process: built on first use (thread-safe),
    // destroyed at exit. Never null; callers never delete it.
    static CVisaFormat* GetSingletonVisaFormatter();
};

}  // namespace nKoVeskLog210
