// Which calls of a capture are shown: the filters of the command line,
// combined with AND. A call keeps its own number from the capture.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "replay/CapturedCall.h"

namespace vesk::replay {

struct tCallFilter {
    // --calls=A-B: call numbers from `firstCall` to `lastCall`.
    uint64_t firstCall = 1;
    uint64_t lastCall = std::numeric_limits<uint64_t>::max();
    // --errors: only calls that returned an error status (negative).
    bool errorsOnly = false;
    // --function=NAME[,NAME...]: only calls of these names (exact).
    std::vector<std::string> functions;
    // --session=HANDLE: only calls with this handle in a session parameter.
    bool hasSession = false;
    uint64_t session = 0;
    // --thread=ID
    bool hasThread = false;
    uint64_t thread = 0;

    // True when only the call numbers matter, so that a call outside the
    // range need not be read at all.
    bool OnlyNumbers() const { return !errorsOnly && functions.empty() && !hasSession && !hasThread; }
    bool WantsNumber(uint64_t number) const { return number >= firstCall && number <= lastCall; }
    // True when call `number` passes every filter.
    bool Matches(uint64_t number, const CapturedCall& call) const;
};

// True when the call returned an error status: a negative value in its
// output's return parameter. A call that never returned has not failed.
bool CallFailed(const CapturedCall& call);

// True when some input or output parameter of session type (a session or a
// find list) holds `handle`.
bool CallUsesSession(const CapturedCall& call, uint64_t handle);

// The handles that the call's parameters of session type hold, each once,
// in the order of the parameters (input first): what --session can match.
std::vector<uint64_t> CallSessions(const CapturedCall& call);

}  // namespace vesk::replay
