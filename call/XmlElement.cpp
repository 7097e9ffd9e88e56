// The XML call element: the page rows, every buffer, and the status.
#include "call/CVISACall.h"

namespace nKoVeskLog210 {

CallTag CVISACall::BuildXmlElement() const {
    CallTag element = CKOCall::BuildXmlElement();

    std::vector<StringBase> names;
    std::vector<StringBase> values;
    if (GetInputLogger()) {
        SetPageInputParamData(names, values, eFormatUnquoted);
        for (size_t k = 0; k < names.size(); ++k) element.AddParameter(names[k], values[k], true);
    }
    if (GetOutputLogger()) {
        SetPageOutputParamData(names, values, eFormatUnquoted);
        for (size_t k = 0; k < names.size(); ++k) element.AddParameter(names[k], values[k], false);
    }

    if (!m_bufferList) return element;
    for (const tBufferInfo* entry : *m_bufferList) {
        if (!entry) continue;
        const IKoVeskLogger* logger = loggerOf(*entry);
        if (!logger) continue;
        const int param = entry->paramIndex;
        int size = 0;
        int fullSize = 0;
        bool partial = false;
        const char* data = nullptr;
        logger->GetParamSize(param, &size);
        logger->GetParamFullSize(param, &fullSize);
        logger->GetParamTruncated(param, &partial);
        logger->GetParamBuffer(param, &data, size);
        const bool input = logger == GetInputLogger();
        element.AddBuffer(entry->name, data, size, input, fullSize == size ? -1 : fullSize);
    }
    return element;
}

void CVISACall::SetXmlCallStatus(CallTag& element) const {
    const IKoVeskLogger* output = GetOutputLogger();
    if (!output) return;
    const int32_t kind = output->IsSuccessStatus() ? 1 : 3;
    int32_t value = 0;
    output->GetParamInt32(output->GetReturnParamIndex(), &value);
    StringBase statusText;
    StringBase description;
    SetPageOutputRetvalData(statusText, description);
    element.SetStatus(kind, value, ExtractStatusName(statusText), description);
}

}  // namespace nKoVeskLog210
