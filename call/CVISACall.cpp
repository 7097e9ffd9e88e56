#include "call/CVISACall.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

#include "format/TextPieces.h"
#include "host/CProcThreadInfo.h"

namespace nKoVeskLog210 {
namespace {

// The functions of kFunctionGroupApiType that open two nesting levels after
// their output and close them again before their input.
constexpr int kTwoLevelOpeningFunction = 0x102;
constexpr int kTwoLevelClosingFunction = 0x104;

// The function group (bits 8..15 of the function identifier) whose calls
// open a single nesting level, and the API types where it does so; every
// other call opens two.
constexpr int kSingleLevelFunctionGroup = 0x63;
constexpr int32_t kSingleLevelApiTypes[] = {kFunctionGroupApiType, kVisaApiType, 27};

// The hidden parameter that carries a session's resource text.
constexpr char kHiddenSessionPrefix[] = "dummyses";

}  // namespace

// The formatter comes from GetFormatterObject, a virtual call. During
// construction that call reaches this class's own GetFormatterObject, never
// a derived class's override: a derived record that wants another formatter
// sets m_formatter in its own constructor.
CVISACall::CVISACall()
    : CKOCall(), m_bufferList(nullptr), m_formatter(GetFormatterObject()), m_lookupParamIndex(-1) {}

CVISACall::CVISACall(const CVISACall& other)
    : CKOCall(other),
      m_bufferList(nullptr),
      m_formatter(other.m_formatter),
      m_lookupParamIndex(other.m_lookupParamIndex) {
    if (!other.m_bufferList) return;
    auto copy = std::make_unique<tBufferList>();
    try {
        for (const tBufferInfo* entry : *other.m_bufferList) {
            copy->push_back(nullptr);
            copy->back() = new tBufferInfo{entry->name, entry->type, entry->paramIndex};
        }
    } catch (...) {
        for (tBufferInfo* entry : *copy) delBI(entry);
        throw;
    }
    m_bufferList = copy.release();
}

CVISACall::~CVISACall() {
    if (m_bufferList) {
        for (tBufferInfo* entry : *m_bufferList) delBI(entry);
        delete m_bufferList;
    }
}

IKoVeskCall* CVISACall::Clone() const { return new CVISACall(*this); }

CVisaFormat* CVISACall::GetFormatterObject() const {
    return CVisaFormat::GetSingletonVisaFormatter();
}

int CVISACall::GetIncDecLevel(EKoVeskApiType apiType, int functionId) const {
    const bool singleLevelApi = std::find(std::begin(kSingleLevelApiTypes),
                                          std::end(kSingleLevelApiTypes),
                                          apiType) != std::end(kSingleLevelApiTypes);
    const bool singleLevelFunction = ((functionId >> 8) & 0xFF) == kSingleLevelFunctionGroup;
    return singleLevelApi && singleLevelFunction ? 1 : 2;
}

bool CVISACall::IgnoreParameter(const IKoVeskLogger* logger, int index, bool* skipOutput) const {
    if (skipOutput) *skipOutput = false;
    if (!logger) return false;
    const char* name = nullptr;
    logger->GetParamName(index, &name);
    return name && startsWith(name, kHiddenSessionPrefix);
}

void CVISACall::decrementIndent(int steps) const {
    if (CProcThreadInfo* info = GetProcThreadInfo()) info->DecrementIndent(steps);
}

void CVISACall::incrementIndent(int steps) const {
    if (CProcThreadInfo* info = GetProcThreadInfo()) info->IncrementIndent(steps);
}

void CVISACall::ProcessLoggerInput(IKoVeskLoggerImpl* logger, bool& handled) {
    const auto apiType = static_cast<EKoVeskApiType>(logger->GetApiType());
    const int functionId = logger->GetFunctionId();
    if (functionId == kTwoLevelClosingFunction && apiType == kFunctionGroupApiType) {
        decrementIndent(2);
    }
    CKOCall::ProcessLoggerInput(logger, handled);
    incrementIndent(GetIncDecLevel(apiType, functionId));
}

void CVISACall::ProcessLoggerMatchingOutput(IKoVeskLoggerImpl* logger) {
    const auto apiType = static_cast<EKoVeskApiType>(logger->GetApiType());
    const int functionId = logger->GetFunctionId();
    decrementIndent(GetIncDecLevel(apiType, functionId));
    CKOCall::ProcessLoggerMatchingOutput(logger);
    if (functionId == kTwoLevelOpeningFunction && apiType == kFunctionGroupApiType) {
        incrementIndent(2);
    }
}

void CVISACall::ProcessLoggerNonMatchingOutput(IKoVeskLoggerImpl* logger, bool& handled) {
    const auto apiType = static_cast<EKoVeskApiType>(logger->GetApiType());
    const int functionId = logger->GetFunctionId();
    decrementIndent(GetIncDecLevel(apiType, functionId));
    CKOCall::ProcessLoggerNonMatchingOutput(logger, handled);
    if (functionId == kTwoLevelOpeningFunction && apiType == kFunctionGroupApiType) {
        incrementIndent(2);
    }
}

const IKoVeskLogger* CVISACall::loggerOf(const tBufferInfo& buffer) const {
    return buffer.type == IKoVeskCall::eLogDataInput ? GetInputLogger() : GetOutputLogger();
}

}  // namespace nKoVeskLog210
