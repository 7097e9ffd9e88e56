// The property pages: which pages a call offers, their rows, the help
// buttons, the return value with its description and the buffer dumps.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "call/CVISACall.h"
#include "call/LoggerReads.h"
#include "call/RecordLimits.h"
#include "host/CVeskApiInfo.h"
#include "host/CVeskUtility.h"

namespace nKoVeskLog210 {
namespace {

constexpr char kInputPage[] = "PropPagesVisa.pxb/Visa_Input.pxv";
constexpr char kOutputPage[] = "PropPagesVisa.pxb/Visa_Output.pxv";
constexpr char kBufferPage[] = "PropPagesVisa.pxb/Visa_Buffer.pxv";
constexpr char kSuccessTextStart[] = "0 ";
constexpr char kSuccessCode[] = "00000000";
constexpr uint32_t kStatusCodeDigits = 8;

// The row-name prefixes: "&" for a parameter whose value another row or the
// output page shows, "*" for the value a previous parameter points to.
// Built once, on first use.
const StringBase& referencePrefix() {
    static const StringBase prefix("&");
    return prefix;
}

const StringBase& pointeePrefix() {
    static const StringBase prefix("*");
    return prefix;
}

bool hasName(const char* name) { return name && name[0] != '\0'; }

// Fills `lines` with `count` empty strings for the dump to assign. All but
// the first are moved-from strings: they own no buffer yet and behave as
// empty strings, so each dump line allocates once, on its assignment, where
// a default-constructed line would allocate an empty buffer first and free
// it again. A page dump runs to millions of lines.
void fillWithEmptyLines(std::vector<StringBase>& lines, size_t count) {
    lines.reserve(count);
    StringBase empty;
    for (size_t i = 0; i < count; ++i) lines.push_back(std::move(empty));
}

// Every string handed to the host owns a buffer: lines the dump left empty
// get one of their own.
void giveEmptyLinesABuffer(std::vector<StringBase>& lines) {
    for (StringBase& line : lines) {
        if (line.capacity() == 0) line = StringBase();
    }
}

// Room for the rows of `parameters` parameters, as far as a call has
// parameters (a logger may report any count), so that the lists do not
// grow row by row.
constexpr int kReservedRows = 64;

void reserveRows(std::vector<StringBase>& names, std::vector<StringBase>& values, int parameters) {
    const auto rows = static_cast<size_t>(std::clamp(parameters, 0, kReservedRows));
    names.reserve(rows);
    values.reserve(rows);
}

StringBase pagePath(const char* relative) {
    return CVeskUtility::FullVeskFilePathname(relative, CVeskUtility::eVeskFilePropertyPages);
}

}  // namespace

void CVISACall::ShowProperties(StringBase& title, std::vector<StringBase>& pages) const {
    CKOCall::ShowProperties(title, pages);
    const IKoVeskLogger* input = GetInputLogger();
    const IKoVeskLogger* output = GetOutputLogger();
    const bool inputIdentified = input && input->GetFunctionId() != -1;
    if (inputIdentified && input->GetParamCount() > 0) pages.push_back(pagePath(kInputPage));
    if (output && output->GetParamCount() > 0) pages.push_back(pagePath(kOutputPage));
    if (GetBufferListSize() > 0) pages.push_back(pagePath(kBufferPage));
    if (inputIdentified) {
        title.append(": ");
        title.append(input->GetFunctionName());
    }
}

void CVISACall::SetPageInputParamData(std::vector<StringBase>& names,
                                      std::vector<StringBase>& values,
                                      eFormatSpecifier format) const {
    names.clear();
    values.clear();
    const IKoVeskLogger* input = GetInputLogger();
    const IKoVeskLogger* output = GetOutputLogger();
    if (!input) return;
    const int count = input->GetParamCount();
    const int outputCount = output ? output->GetParamCount() : 0;
    reserveRows(names, values, count);

    for (int i = 0; i < count; ++i) {
        if (IgnoreParameter(input, i, nullptr)) continue;
        const char* name = paramName(input, i);
        if (!hasName(name)) continue;

        char value[kValueBufferSize];
        value[0] = '\0';
        m_formatter->FormatCallArgScalar(input, i, value, format, nullptr, nullptr);

        bool nextMatch = false;
        bool skipNext = false;
        bool outputMatch = false;
        bool previousMatch = false;
        if (i < count - 1) {
            const char* nextName = paramName(input, i + 1);
            nextMatch = IsMatchingBufferName(name, nextName);
            // A listed buffer is shown on the buffer page, not as a row.
            skipNext = nextMatch && IsBufferInList(nextName);
        }
        if (!nextMatch) {
            for (int j = 0; j < outputCount && !outputMatch; ++j) {
                if (IgnoreParameter(output, j, nullptr)) continue;
                outputMatch = IsMatchingBufferName(name, paramName(output, j));
            }
            previousMatch = i > 0 && IsMatchingBufferName(name, paramName(input, i - 1));
        }

        if ((nextMatch || outputMatch) && name[0] != '&') {
            names.push_back(referencePrefix() + name);
        } else if (previousMatch && name[0] != '*') {
            names.push_back(pointeePrefix() + name);
        } else {
            names.emplace_back(name);
        }
        values.emplace_back(value);
        if (skipNext) ++i;
    }
}

void CVISACall::SetPageInputButtonData(eButtonState& attributeButton,
                                       eButtonState& eventButton) const {
    const IKoVeskLogger* input = GetInputLogger();
    const auto apiType = static_cast<EKoVeskApiType>(input ? input->GetApiType() : 0);
    if (apiType != kVisaApiType && !CVeskApiInfo::GetVeskApiInfo(apiType)->hasValueNames) {
        attributeButton = eButtonNone;
        eventButton = eButtonNone;
        return;
    }
    attributeButton = IsKnownVisaAttribute() ? eButtonKnownName : eButtonUnknownName;
    eventButton = IsKnownVisaEvent() ? eButtonKnownName : eButtonUnknownName;
}

void CVISACall::SetPageOutputParamData(std::vector<StringBase>& names,
                                       std::vector<StringBase>& values,
                                       eFormatSpecifier format) const {
    names.clear();
    values.clear();
    const IKoVeskLogger* input = GetInputLogger();
    const IKoVeskLogger* output = GetOutputLogger();
    if (!output) return;
    const int count = output->GetParamCount();
    const int inputCount = input ? input->GetParamCount() : 0;
    const int statusIndex = output->GetReturnParamIndex();
    reserveRows(names, values, count);

    for (int j = 0; j < count; ++j) {
        if (j == statusIndex || IgnoreParameter(output, j, nullptr)) continue;
        const char* name = paramName(output, j);
        if (!hasName(name)) continue;
        // Only a returned value whose input counterpart has another data
        // type is worth a row: the same type shows on the input page.
        for (int k = 0; k < inputCount; ++k) {
            if (!IsMatchingBufferName(paramName(input, k), name)) continue;
            if (paramType(input, k) == paramType(output, j)) break;
            char value[kValueBufferSize];
            value[0] = '\0';
            m_formatter->FormatCallArgScalar(output, j, value, format, nullptr, nullptr);
            names.emplace_back(name);
            values.emplace_back(value);
        }
    }
}

void CVISACall::SetPageOutputRetvalData(StringBase& value, StringBase& description) const {
    value = GetStatus(false);
    if (value.empty()) return;
    const IKoVeskLogger* output = GetOutputLogger();
    const IKoVeskLogger* input = GetInputLogger();
    const auto apiType = static_cast<EKoVeskApiType>(output->GetApiType());

    StringBase code;
    if (apiType == kFunctionGroupApiType) {
        // The function's group and the status number, four hex digits each;
        // a number outside 0..0xFFFF keeps its low 16 bits so that the
        // code stays eight characters long.
        const int functionId = input ? input->GetFunctionId() : 0;
        const long number = std::strtol(value.c_str(), nullptr, 10);
        char text[16];
        std::snprintf(text, sizeof text, "%04X%04X", static_cast<unsigned>(functionId & 0xFF00),
                      static_cast<unsigned>(number & 0xFFFF));
        code = text;
    } else if (std::strncmp(value.c_str(), kSuccessTextStart, sizeof kSuccessTextStart - 1) ==
               0) {
        code = kSuccessCode;
    } else {
        const uint32_t hex = value.find("0x", 2, 0);
        if (hex != StringBase::npos) code = value.substr(hex + 2, kStatusCodeDigits);
    }

    StringBase text;
    if (m_formatter->LookupStatusDescriptor(apiType, code, text)) {
        description = text;
    } else {
        description = "";
    }
}

void CVISACall::SetPageBufferBufferData(std::vector<StringBase>& names) const {
    names.clear();
    if (!m_bufferList) return;
    for (const tBufferInfo* entry : *m_bufferList) names.push_back(entry->name);
}

void CVISACall::SetPageBufferParamData(int bufferIndex, StringBase& heading,
                                       std::vector<StringBase>& lines) const {
    const tBufferInfo* buffer = bufferAt(bufferIndex);
    if (!buffer) {
        // Not a position of the list (a host bug): an empty page.
        heading = "";
        lines.clear();
        return;
    }
    const int dataLines = dumpLineCount(*buffer, true);
    lines.clear();
    fillWithEmptyLines(lines, static_cast<size_t>(std::max(dataLines, 1)));
    FormatDataList(lines.data(), heading, *buffer, true, -1);
    giveEmptyLinesABuffer(lines);
}

}  // namespace nKoVeskLog210
