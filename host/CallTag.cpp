#include "host/CallTag.h"

void CallTag::SetStatus(int32_t kind, int32_t value, const StringBase& name,
                        const StringBase& text) {
    statusKind = kind;
    statusValue = value;
    statusName = name;
    statusDescription = text;
}

void CallTag::AddParameter(const StringBase& name, const StringBase& value, bool input) {
    std::vector<CallParameter>& parameters = input ? inputParameters : outputParameters;
    parameters.push_back(CallParameter{name, value});
}

void CallTag::AddBuffer(const StringBase& name, const char* data, int32_t size, bool input,
                        int32_t fullSize) {
    std::vector<CallBuffer>& buffers = input ? inputBuffers : outputBuffers;
    CallBuffer buffer;
    buffer.name = name;
    buffer.data = data;
    buffer.size = size;
    buffer.fullSize = fullSize;
    buffers.push_back(std::move(buffer));
}
