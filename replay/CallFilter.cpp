#include "replay/CallFilter.h"

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

bool loggerUsesSession(const IKoVeskLogger& logger, uint64_t handle) {
    const int count = logger.GetParamCount();
    for (int i = 0; i < count; ++i) {
        int type = 0;
        logger.GetParamType(i, &type);
        if (type != kSessionTypeCode && type != kFindListTypeCode) continue;
        int size = 0;
        logger.GetParamSize(i, &size);
        if (size > 0 && handleValue(logger, i, size) == handle) return true;
    }
    return false;
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
