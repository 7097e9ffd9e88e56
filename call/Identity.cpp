// The record's status text, the event type or attribute it names, and help
// on that event or attribute.
#include "call/CVISACall.h"
#include "call/RecordLimits.h"
#include "host/CHelpLauncher.h"
#include "host/CVeskApiInfo.h"
#include "host/CVeskUtility.h"

namespace nKoVeskLog210 {
namespace {

// True when the input logger has a parameter of `typeCode`.
bool hasParameterOfType(const IKoVeskLogger* logger, int typeCode) {
    if (!logger) return false;
    const int count = logger->GetParamCount();
    for (int i = 0; i < count; ++i) {
        int type = 0;
        logger->GetParamType(i, &type);
        if (type == typeCode) return true;
    }
    return false;
}

}  // namespace

StringBase CVISACall::GetStatus(bool shortForm) const {
    const IKoVeskLogger* output = GetOutputLogger();
    if (!output) return StringBase();
    const int statusIndex = output->GetReturnParamIndex();
    if (statusIndex == -1) return StringBase();
    char text[kValueBufferSize];
    const int written = m_formatter->FormatCallArgScalar(
        output, statusIndex, text, shortForm ? eFormatShort : eFormatFull, nullptr, nullptr);
    return written > 0 ? StringBase(text, static_cast<uint32_t>(written)) : StringBase();
}

StringBase CVISACall::ExtractStatusName(const StringBase& text) const {
    const uint32_t open = text.find('(');
    if (open == StringBase::npos) return StringBase();
    const uint32_t close = text.find(')');
    if (close == StringBase::npos) return text.substr(open + 1);
    // A ")" before the "(" makes the count wrap around; the checked sum of
    // position and count then raises OutOfRange, as the string type does.
    const uint32_t count = close - open - 1;
    static_cast<void>(ko::zel::SafeSize(open + 1) + count);
    return text.substr(open + 1, count);
}

const char* CVISACall::GetEventName(char* buffer, unsigned size) const {
    return m_formatter->GetEventName(GetInputLogger(), m_lookupParamIndex, buffer, size);
}

const char* CVISACall::GetAttributeName(char* buffer, unsigned size) const {
    return m_formatter->GetAttributeName(GetInputLogger(), m_lookupParamIndex, buffer, size);
}

bool CVISACall::IsKnownVisaEvent() const {
    if (!hasParameterOfType(GetInputLogger(), kEventTypeCode)) return false;
    char name[kValueBufferSize];
    return GetEventName(name, sizeof name) != nullptr;
}

bool CVISACall::IsKnownVisaAttribute() const {
    if (!hasParameterOfType(GetInputLogger(), kAttributeTypeCode)) return false;
    char name[kValueBufferSize];
    return GetAttributeName(name, sizeof name) != nullptr;
}

namespace {

// Opens the help file of the call's API at `topic`, or tells the user that
// there is no help for this item.
void openHelpTopic(const IKoVeskLogger* input, const char* topic) {
    const auto apiType = static_cast<EKoVeskApiType>(input ? input->GetApiType() : 0);
    const StringBase& helpFile = CVeskApiInfo::GetVeskApiInfo(apiType)->helpFilePath;
    if (!helpFile.empty() && topic) {
        CHelpLauncher::Help(0, eHelpLauncherShowTopic, topic, helpFile);
    } else {
        CVeskUtility::SimpleMessageBox(kTextHelpNotAvailable, eMessageBoxOkInformation);
    }
}

}  // namespace

void CVISACall::OpenEventHelp() const {
    const IKoVeskLogger* input = GetInputLogger();
    char name[kValueBufferSize];
    openHelpTopic(input, GetEventName(name, sizeof name));
}

void CVISACall::OpenAttributeHelp() const {
    const IKoVeskLogger* input = GetInputLogger();
    char name[kValueBufferSize];
    openHelpTopic(input, GetAttributeName(name, sizeof name));
}

}  // namespace nKoVeskLog210
