// One captured call as the capture reader hands it to the replay: the two
// host loggers of the call and how its output is to be ingested.
//
// The reader refills the same object for call after call (the loggers keep
// their allocations across Clear), so a long capture is replayed without
// allocating once the largest call has been seen.
#pragma once

#include "host/CKOVeskMemoryLogger.h"

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

    // Forgets the previous call; keeps every allocation.
    void Clear() {
        input.Clear();
        output.Clear();
        hasOutput = false;
        matching = true;
    }
};

}  // namespace vesk::replay
