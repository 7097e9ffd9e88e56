#include "replay/CallFilter.h"

#include <algorithm>
#include <cstring>

namespace vesk::replay {

namespace {

// Data type codes of session handles: ViSession and ViFindList (a session
// that viFindRsrc opens). Event handles are not sessions.
constexpr int kSessionTypeCode = 33;
constexpr int kFindListTypeCode = 35;

// The handle value of parameter `index`, read as the plug-in reads it: by
// its captured size (1, 2, 4 or 8 bytes).
uint64_t handleValue(const IKoVeskLogger& logger, int index, int size) {
    switch (size) {
        case 1: {
            uint8_t value = 0;
            logger.GetParamUInt8(index, &value);
            return value;
        }
        case 2: {
            uint16_t value = 0;
            logger.GetParamUInt16(index, &value);
            return value;
        }
        case 4: {
            uint32_t value = 0;
            logger.GetParamUInt32(index, &value);
            return value;
        }
        case 8: {
            const void* data = nullptr;
            logger.GetParamData(index, &data, 8, 8);
            uint64_t value = 0;
            if (data) std::memcpy(&value, data, sizeof value);
            return value;
        }
        default: return 0;
    }
}

// Calls `visit(handle)` for every parameter of session type, in order,
// until it returns true; true when one did.
template <class Visit>
bool visitSessions(const IKoVeskLogger& logger, Visit visit) {
    const int count = logger.GetParamCount();
    for (int i = 0; i < count; ++i) {
        int type = 0;
        logger.GetParamType(i, &type);
        if (type != kSessionTypeCode && type != kFindListTypeCode) continue;
        int size = 0;
        logger.GetParamSize(i, &size);
        if (size > 0 && visit(handleValue(logger, i, size))) return true;
    }
    return false;
}

bool loggerUsesSession(const IKoVeskLogger& logger, uint64_t handle) {
    return visitSessions(logger, [handle](uint64_t value) { return value == handle; });
}

}  // namespace

bool CallFailed(const CapturedCall& call) {
    if (!call.hasOutput) return false;
    const int index = call.output.GetReturnParamIndex();
    if (index < 0) return false;
    int32_t status = 0;
    call.output.GetParamInt32(index, &status);
    return status < 0;
}

bool CallUsesSession(const CapturedCall& call, uint64_t handle) {
    return loggerUsesSession(call.input, handle) ||
           (call.hasOutput && loggerUsesSession(call.output, handle));
}

std::vector<uint64_t> CallSessions(const CapturedCall& call) {
    std::vector<uint64_t> handles;
    auto collect = [&handles](uint64_t handle) {
        if (std::find(handles.begin(), handles.end(), handle) == handles.end()) handles.push_back(handle);
        return false;
    };
    visitSessions(call.input, collect);
    if (call.hasOutput) visitSessions(call.output, collect);
    return handles;
}

bool tCallFilter::Matches(uint64_t number, const CapturedCall& call) const {
    if (!WantsNumber(number)) return false;
    if (errorsOnly && !CallFailed(call)) return false;
    if (!functions.empty()) {
        const char* name = call.input.GetFunctionName();
        bool named = false;
        for (const std::string& function : functions) {
            if (function == name) {
                named = true;
                break;
            }
        }
        if (!named) return false;
    }
    if (hasThread && (!call.hasThread || call.thread != thread)) return false;
    if (hasSession && !CallUsesSession(call, session)) return false;
    return true;
}

}  // namespace vesk::replay
