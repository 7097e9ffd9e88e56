// What the in-process benchmarks share: the host set up as vesk-replay sets
// it up, captured calls read from their capture lines by the replay's own
// parser, and records driven through ingestion and both descriptions as a
// host drives them.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "call/CVISACall.h"
#include "host/CProcThreadInfo.h"
#include "replay/CallParser.h"
#include "replay/CapturedCall.h"
#include "replay/HostSetup.h"

namespace kovesk_bench {

using nKoVeskLog210::CVISACall;
using vesk::replay::CapturedCall;

// The loggers of the one call on `line`; a line that does not parse is a
// bug of the benchmark and ends the program.
inline std::unique_ptr<CapturedCall> ReadCall(const std::string& line) {
    vesk::replay::CallParser parser;
    auto call = std::make_unique<CapturedCall>();
    if (!parser.ParseCopy(line, *call)) {
        std::fprintf(stderr, "benchmark capture line does not parse: %s\n",
                     parser.Error().c_str());
        std::abort();
    }
    return call;
}

// Ingests `call` into `record` and builds both descriptions, as the replay
// does for every call.
inline void DriveRecord(CVISACall& record, CapturedCall& call, CProcThreadInfo& thread) {
    record.InitProcThreadInfo(&thread);
    bool handled = false;
    record.ProcessLoggerInput(&call.input, handled);
    record.FormatCallDescriptionInput();
    if (call.hasOutput) {
        if (call.matching) {
            record.ProcessLoggerMatchingOutput(&call.output);
        } else {
            record.ProcessLoggerNonMatchingOutput(&call.output, handled);
        }
        record.FormatCallDescriptionOutput();
    }
}

// A captured call together with the record that describes it.
struct DrivenCall {
    explicit DrivenCall(const std::string& line) : call(ReadCall(line)) {
        DriveRecord(record, *call, thread);
    }
    std::unique_ptr<CapturedCall> call;
    CProcThreadInfo thread;
    CVISACall record;
};

// `count` bytes of a fixed pseudo-random sequence: every byte value, so
// the dump's ASCII column takes both branches.
inline std::string RandomBytes(size_t count) {
    std::string bytes(count, '\0');
    uint64_t state = 0x9E3779B97F4A7C15u;
    for (size_t i = 0; i < count; ++i) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        bytes[i] = static_cast<char>(state >> 56);
    }
    return bytes;
}

}  // namespace kovesk_bench
