// Fuzz target: FormatCallArgScalar and FormatCallArgArray of both formatter
// classes, the hidden session text, the name lookup and the dump lines, over
// a logger built from the input.
//
// Input: a control byte (bit 0: C.UTF-8; bits 1-7: a name room for the
// lookups), a selector byte, the logger and the host's value names
// (FuzzHost.h), then a status text for the descriptor lookup.
#include <climits>
#include <cstdio>
#include <string>

#include "format/CVisaFormat.h"
#include "fuzz/FuzzHost.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzLocale.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/OutputBuffer.h"

namespace kovesk_fuzz {
namespace {

using namespace nKoVeskLog210;

const int kSelectors[] = {eFormatShort, eFormatLine, eFormatFull, eFormatUnquoted, 4, -1, 255};

// An offset that needs more than 8 hexadecimal digits: the widest prefix a
// dump line can carry.
constexpr unsigned long long kWideOffset = 0x123456789ABull;

void RenderArguments(const CVisaGenericFormat& formatter, const IKoVeskLogger& logger, int index,
                     eFormatSpecifier format, OutputBuffer& out) {
    int helpIndex = -1;
    int result = 0;
    out.Reset();
    if (Tolerating([&] {
            result = formatter.FormatCallArgScalar(&logger, index, out.data(), format, &helpIndex,
                                                   nullptr);
        })) {
        out.CheckRendering(result);
        FUZZ_CHECK(helpIndex == -1 || helpIndex == index);
    }
    out.Reset();
    if (Tolerating([&] {
            result = formatter.FormatCallArgArray(&logger, index, out.data(), format, nullptr);
        })) {
        out.CheckRendering(result);
    }
    int size = 0;
    logger.GetParamSize(index, &size);
    out.Reset();
    if (Tolerating([&] {
            result = formatter.FormatNamedDummyParameter(&logger, index, size, format, out.data());
        })) {
        out.CheckRendering(result);
    }
}

// Every line of the parameter's dump, each in a line buffer of exactly
// kDumpLineSize bytes that already holds the widest offset prefix.
void RenderDump(const CVisaGenericFormat& formatter, const IKoVeskLogger& logger, int index,
                bool compact) {
    const int lines = formatter.CalcNumberOfDataLines(&logger, index, compact);
    FUZZ_CHECK(lines >= 0);
    StringBase separator;
    int bytesPerLine = 0;
    int headLines = 0;
    formatter.GetFormatLimits(compact, &logger, index, separator, bytesPerLine, headLines);
    FUZZ_CHECK(bytesPerLine > 0 && headLines > 0);

    int type = 0;
    int size = 0;
    int elementSize = 0;
    const char* data = nullptr;
    logger.GetParamType(index, &type);
    logger.GetParamSize(index, &size);
    logger.GetParamElementSize(index, &elementSize);
    if (size > 0) logger.GetParamBuffer(index, &data, size);
    if (!data) return;

    OutputBuffer line(kDumpLineSize);
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    for (int position = 0; position < size;) {
        line.Reset();
        const int prefix = std::snprintf(line.data(), line.size(), "%08llX:  ", kWideOffset);
        int used = 0;
        int elements = 0;
        formatter.FormatDataLine(type, elementSize, bytes + position, line.data(),
                                 size - position, bytesPerLine, used, elements, nullptr);
        const size_t length = strnlen(line.data(), line.size());
        FUZZ_CHECK(length < line.size() && length >= static_cast<size_t>(prefix));
        FUZZ_CHECK(used >= 0 && used <= size - position && elements >= 0 && elements <= used);
        if (used == 0) break;
        position += used;
    }
}

void LookUpNames(const CVisaFormat& formatter, const IKoVeskLogger& logger, int index,
                 uint32_t room) {
    OutputBuffer name(room);
    uint32_t value = 0;
    logger.GetParamUInt32(index, &value);
    for (const CVisaGenericFormat::tNumNameMapInfo* table :
         {CVisaFormat::attrList, CVisaFormat::eventList, CVisaFormat::statusList,
          static_cast<const CVisaGenericFormat::tNumNameMapInfo*>(nullptr)}) {
        name.Reset();
        const char* found = formatter.lookupName(table, value, &logger, index,
                                                 eKoVeskLocaleEnglish, false, name.data(), room);
        if (found) {
            FUZZ_CHECK(found == name.data() && strnlen(name.data(), room) < room);
        } else {
            FUZZ_CHECK(name.Untouched());
        }
    }
    name.Reset();
    if (!formatter.GetEventName(&logger, index, name.data(), room)) FUZZ_CHECK(name.Untouched());
    name.Reset();
    if (!formatter.GetAttributeName(&logger, index, name.data(), room)) FUZZ_CHECK(name.Untouched());
}

}  // namespace

void RunOneInput(const uint8_t* data, size_t size) {
    SetUpHostOnce();
    FuzzInput input(data, size);
    const uint8_t control = input.byte();
    UseLocale((control & 1) != 0);
    const uint32_t nameRoom = 1 + (control >> 1);
    const auto format = static_cast<eFormatSpecifier>(input.choose(kSelectors));
    CKOVeskMemoryLogger logger;
    ReadLogger(input, logger);
    ReadHostNames(input, logger.GetApiType());
    const std::string statusText = input.text(16);

    const CVisaGenericFormat generic;
    const CVisaFormat& visa = *CVisaFormat::GetSingletonVisaFormatter();
    OutputBuffer out(kArgumentTextSize);
    // Every parameter, and the positions just outside them.
    for (int index = -1; index <= logger.GetParamCount(); ++index) {
        for (const CVisaGenericFormat* formatter : {&generic, static_cast<const CVisaGenericFormat*>(&visa)}) {
            RenderArguments(*formatter, logger, index, format, out);
            RenderArguments(*formatter, logger, index, eFormatShort, out);
        }
        RenderDump(visa, logger, index, false);
        RenderDump(visa, logger, index, true);
        Tolerating([&] { LookUpNames(visa, logger, index, nameRoom); });
    }

    StringBase descriptor;
    Tolerating([&] {
        visa.LookupStatusDescriptor(static_cast<EKoVeskApiType>(logger.GetApiType()),
                                    StringBase(statusText.c_str()), descriptor);
    });
}

}  // namespace kovesk_fuzz
