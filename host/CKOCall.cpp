#include "host/CKOCall.h"

#include <cstdio>
#include <cstring>

#include "host/IKoVeskLogger.h"
#include "host/CHelpLauncher.h"
#include "host/CVeskApiInfo.h"
#include "host/CVeskUtility.h"

namespace {

// The general property page every call shows, relative to the host's
// installation.
const char kGeneralPageFile[] = "PropPagesGeneral.pxb/General.pxv";
const char kPropertiesTitle[] = "Call Properties";

// Text colours of the call list (0x00RRGGBB).
constexpr uint32_t kTextColorNormal = 0x000000;
constexpr uint32_t kTextColorError = 0xFF0000;

// The base imposes no limit of its own on the nesting shown in the list.
constexpr int kNormalMaxViewableIndentLevel = 64;

// Status kinds of the XML element.
constexpr int32_t kStatusKindSucceeded = 1;
constexpr int32_t kStatusKindFailed = 3;

StringBase decimalText(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return StringBase(text);
}

}  // namespace

CKOCall::CKOCall() = default;

// Loggers and thread information are not owned: the copy shares them.
CKOCall::CKOCall(const CKOCall& other)
    : IKoVeskCall(other),
      m_inputLogger(other.m_inputLogger),
      m_outputLogger(other.m_outputLogger),
      m_threadInfo(other.m_threadInfo),
      m_description(other.m_description),
      m_auxCounter(other.m_auxCounter),
      m_auxValue1(other.m_auxValue1),
      m_auxValue2(other.m_auxValue2),
      m_auxPointer(other.m_auxPointer) {}

// Key function of CKOCall: its table and type information live here.
CKOCall::~CKOCall() = default;

void CKOCall::SetCallDesc(const StringBase& description) { m_description = description; }

bool CKOCall::operator==(const IKoVeskCall& other) const {
    const IKoVeskLogger* mine = GetInputLogger();
    const IKoVeskLogger* theirs = other.GetInputLogger();
    const int myId = mine ? mine->GetFunctionId() : -1;
    const int theirId = theirs ? theirs->GetFunctionId() : -1;
    const int myApi = mine ? mine->GetApiType() : 0;
    const int theirApi = theirs ? theirs->GetApiType() : 0;
    return myId == theirId && myApi == theirApi &&
           std::strcmp(GetCallName(), other.GetCallName()) == 0 &&
           GetDescription() == other.GetDescription();
}

bool CKOCall::operator!=(const IKoVeskCall& other) const { return !(*this == other); }

void CKOCall::ProcessLoggerInput(IKoVeskLoggerImpl* logger, bool& /*handled*/) {
    m_inputLogger = logger;
}

void CKOCall::ProcessLoggerMatchingOutput(IKoVeskLoggerImpl* logger) { m_outputLogger = logger; }

void CKOCall::ProcessLoggerNonMatchingOutput(IKoVeskLoggerImpl* logger, bool& /*handled*/) {
    m_outputLogger = logger;
}

// Debug output carries nothing the base keeps.
void CKOCall::ProcessLoggerDebug(IKoVeskLoggerImpl* /*logger*/) {}

void CKOCall::ShowProperties(StringBase& title, std::vector<StringBase>& pages) const {
    title = kPropertiesTitle;
    pages.push_back(CVeskUtility::FullVeskFilePathname(kGeneralPageFile,
                                                       CVeskUtility::eVeskFilePropertyPages));
}

// Opens the API family's help at the function's name, or says that there is
// no help when the family has no help file.
void CKOCall::OpenFunctionHelp() const {
    const int apiType = m_inputLogger ? m_inputLogger->GetApiType() : 0;
    const CVeskApiInfo* info =
        CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(apiType));
    const char* name = GetCallName();
    if (!info->helpFilePath.empty() && name[0] != '\0') {
        CHelpLauncher::Help(0, eHelpLauncherShowTopic, name, info->helpFilePath);
    } else {
        CVeskUtility::SimpleMessageBox(kTextHelpNotAvailable,
                                       eMessageBoxOkInformation);
    }
}

IKoVeskCall* CKOCall::Clone() const { return new CKOCall(*this); }

bool CKOCall::IsViewable() const { return true; }

StringBase CKOCall::FormatColumnText(eColumnId column) const {
    switch (column) {
        case eColumnFunction:
            return StringBase(GetCallName());
        case eColumnDescription:
            return m_description;
        case eColumnApi:
            return m_inputLogger ? decimalText(m_inputLogger->GetApiType()) : StringBase();
        case eColumnStatus:   // the plug-in's record knows the status
        case eColumnThread:   // captures carry no thread names
        default:
            return StringBase();
    }
}

// The base knows no buffers.
bool CKOCall::GetBuffers(std::vector<char*>& data, std::vector<int>& sizes) const {
    data.clear();
    sizes.clear();
    return false;
}

void CKOCall::GetGeneralPageInfo(std::vector<StringBase>& names) const {
    names.clear();
    names.emplace_back("Function");
    names.emplace_back("Description");
    names.emplace_back("API type");
    names.emplace_back("Function id");
    names.emplace_back("Result");
}

void CKOCall::GetGeneralPageData(std::vector<StringBase>& values) const {
    values.clear();
    values.emplace_back(GetCallName());
    values.push_back(m_description);
    values.push_back(m_inputLogger ? decimalText(m_inputLogger->GetApiType()) : StringBase());
    values.push_back(m_inputLogger ? decimalText(m_inputLogger->GetFunctionId()) : StringBase());
    if (!m_outputLogger) {
        values.emplace_back("Not returned");
    } else {
        values.emplace_back(m_outputLogger->IsSuccessStatus() ? "Succeeded" : "Failed");
    }
}

void CKOCall::FormatForOutput(StringBase* lines, int lineCount, eCallExportUse use) const {
    if (!lines || lineCount < 1) return;
    if (use == eExportUseQuoted) {
        lines[0] = "\"" + m_description + "\"";
    } else {
        lines[0] = m_description;
    }
}

int CKOCall::GetNumberOfLinesToExport(eCallExportUse /*use*/) const { return 1; }

CallTag CKOCall::BuildXmlElement() const {
    CallTag element;
    element.functionName = GetCallName();
    element.description = m_description;
    if (m_inputLogger) {
        element.apiType = m_inputLogger->GetApiType();
        element.functionId = m_inputLogger->GetFunctionId();
    }
    element.callName = GetCallName();
    return element;
}

bool CKOCall::ErrorReturned() const {
    return m_outputLogger != nullptr && !m_outputLogger->IsSuccessStatus();
}

uint32_t CKOCall::GetTextDisplayColor() const {
    return ErrorReturned() ? kTextColorError : kTextColorNormal;
}

// Captures carry no timing.
uint64_t CKOCall::GetDuration() const { return 0; }

bool CKOCall::IsErrorActionNeeded() const { return false; }

void CKOCall::InitProcThreadInfo(CProcThreadInfo* info) { m_threadInfo = info; }

// The host's records are not wrapped.
void CKOCall::RemoveWrapper() {}

const char* CKOCall::GetCallName() const {
    const char* name = m_inputLogger ? m_inputLogger->GetFunctionName() : nullptr;
    return name ? name : "";
}

void CKOCall::FormatCallDescriptionInput() { SetCallDesc(StringBase(GetCallName()) + " ()"); }

void CKOCall::FormatCallDescriptionOutput() { SetCallDesc(StringBase(GetCallName()) + " ()"); }

void CKOCall::FormatCallDescriptionDebug() { SetCallDesc(StringBase(GetCallName()) + " ()"); }

bool CKOCall::ContainsUserSpecifiedError() const { return false; }

int CKOCall::GetNormalMaxViewableIndentLevel() const { return kNormalMaxViewableIndentLevel; }

void CKOCall::SetXmlCallStatus(CallTag& element) const {
    const bool succeeded = !m_outputLogger || m_outputLogger->IsSuccessStatus();
    element.SetStatus(succeeded ? kStatusKindSucceeded : kStatusKindFailed, 0, StringBase(), StringBase());
}
