// The argument formatter: renders single captured arguments, buffer
// previews, strings and dump lines of a VISA call as text.
//
// The formatter keeps no state: every operation reads the logger it is
// given and writes the caller's buffer, so one instance serves every call
// record and every thread. The virtual table is a binary contract (slots in
// the comments; 0 and 1 are the destructors); never reorder it.
//
// Output buffers: the argument renderings write from the start of `out`,
// terminate what they write, and return the number of characters written
// without the terminator; 0 means nothing was written and `out` is exactly
// as it was. `out` must hold kArgumentTextSize characters; longer texts are
// cut to fit.
#pragma once

#include <cstdint>

#include "format/DataTypeCodes.h"
#include "format/FormatTypes.h"
#include "host/CKOVeskLocalization.h"
#include "host/IKoVeskCall.h"
#include "host/IKoVeskLogger.h"
#include "ko/zel/Export.h"
#include "ko/zel/StringBase.h"

namespace nKoVeskLog210 {

class KOVESK_API CVisaGenericFormat {
public:
    // One row of a number-to-name table; a table ends with a row whose name
    // is null (value 0).
    struct tNumNameMapInfo {
        const char* name;
        uint32_t value;
    };

    CVisaGenericFormat() = default;
    // 0, 1
    virtual ~CVisaGenericFormat();

    // 2: renders the parameter at `index` as a scalar. Stores `index` in
    // *helpIndex (when not null) for event-type and attribute parameters.
    // `call` is not consulted.
    virtual int FormatCallArgScalar(const IKoVeskLogger* logger, int index, char* out,
                                    eFormatSpecifier format, int* helpIndex,
                                    const IKoVeskCall* call) const;
    // 3: renders the parameter at `index` as a short buffer preview (first
    // element or two in braces, a text, or an address).
    virtual int FormatCallArgArray(const IKoVeskLogger* logger, int index, char* out,
                                   eFormatSpecifier format, const IKoVeskCall* call) const;
    // 4: the dump's separator line, bytes per line and head-line count for
    // the parameter at `index` (compact: property page; else text export).
    virtual void GetFormatLimits(bool compact, const IKoVeskLogger* logger, int index,
                                 StringBase& separator, int& bytesPerLine,
                                 int& headLines) const;
    // 5: dump lines the parameter needs, heading not counted.
    virtual int CalcNumberOfDataLines(const IKoVeskLogger* logger, int index,
                                      bool compact) const;
    // 6: appends the columns of one dump line for the slice at `data` to the
    // terminated text in `line` (a kDumpLineSize buffer). Reads at most
    // min(bytesRemaining, bytesPerLine) bytes; reports the bytes and
    // elements shown (both 0 when nothing could be shown). `call` is not
    // consulted.
    virtual void FormatDataLine(int typeCode, int elementSize, const unsigned char* data,
                                char* line, int bytesRemaining, int bytesPerLine,
                                int& bytesUsed, int& elementsUsed,
                                const IKoVeskCall* call) const;
    // 7: the host's localized description of a status given as hexadecimal
    // digits; false when the API has no "StatusPrefix" setting or the host
    // has no description.
    virtual bool LookupStatusDescriptor(EKoVeskApiType apiType, const StringBase& statusText,
                                        StringBase& descriptor) const;

    // Name of `value`: the host's value-name callback first, then `table`.
    // Returns `out` when a name was written there (at most outSize - 1
    // characters and the terminator), else null with `out` untouched.
    const char* lookupName(const tNumNameMapInfo* table, uint32_t value,
                           const IKoVeskLogger* logger, int index, eKoVeskLocale locale,
                           bool shortForm, char* out, uint32_t outSize) const;

    // The resource text of the hidden session parameter at `index`
    // (`size` captured bytes), quoted as the format asks.
    int FormatNamedDummyParameter(const IKoVeskLogger* logger, int index, int size,
                                  eFormatSpecifier format, char* out) const;
    // `trueText` or `falseText` by the parameter's low 16 bits.
    int FormatBoolean(const IKoVeskLogger* logger, int index, int size, const char* trueText,
                      const char* falseText, char* out) const;

    // A captured narrow string, bounded and quoted by `format`. `partial`:
    // the bytes are the head and the tail of a longer string.
    int FormatMbcsString(const char* data, int size, eFormatSpecifier format, bool partial,
                         char* out) const;
    // A captured UTF-8 string, cut on character boundaries and converted to
    // the narrow character set. Throws InvalidSequence for invalid UTF-8.
    int FormatUtf8String(const unsigned char* data, int size, eFormatSpecifier format,
                         bool partial, char* out) const;
    // False for control characters (iscntrl of the byte as unsigned).
    static bool isPrintableChar(char c);

    // Data bytes on one dump line.
    int CalcBytesPerLine(const IKoVeskLogger* logger, int index, bool compact) const;
};

// Assigns to `out` the text of `value` printed with `format` (a printf
// format for one double), or "NAN", "INF", "NINF", centred to at least
// `width` characters with the odd blank on the right; returns `out`.
StringBase& FormatRealField(StringBase& out, const char* format, int width,
                                     float value);
StringBase& FormatRealField(StringBase& out, const char* format, int width,
                                     double value);

}  // namespace nKoVeskLog210
