// One captured call as the capture reader hands it to the replay: the two
// host loggers of the call and how its output is to be ingested.
//
// The reader refills the same object for call after call (the loggers keep
// their allocations across Clear), so a long capture is replayed without
// allocating once the largest call has been seen.
#pragma once

#include <cstdint>

#include "host/CKOVeskMemoryLogger.h"
#include "replay/TimeStamp.h"

namespace vesk::replay {

struct CapturedCall {
    // Every parameter as captured on entry.
    CKOVeskMemoryLogger input;
    // Output parameters and return value; meaningful only when hasOutput.
    CKOVeskMemoryLogger output;
    // False: the call has not returned (no output logger is ingested).
    bool hasOutput = false;
    // Matching or non-matching output ingestion.
    bool matching = true;

    // When the call started, how long it took, and which thread and process
    // of the traced program made it: each only where the capture says.
    bool hasTime = false;
    tTimeStamp time;
    bool hasDuration = false;
    double durationSeconds = 0;
    bool hasThread = false;
    uint64_t thread = 0;
    bool hasProcess = false;
    uint64_t process = 0;

    // Forgets the previous call; keeps every allocation.
    void Clear() {
        input.Clear();
        output.Clear();
        hasOutput = false;
        matching = true;
        hasTime = hasDuration = hasThread = hasProcess = false;
    }
};

}  // namespace vesk::replay
