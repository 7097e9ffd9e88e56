// The command line of vesk-replay.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "replay/CallFilter.h"
#include "replay/LineSource.h"

namespace vesk::replay {

enum class eMode { List, Export, Xml, Pages, Stats, Serve, Html };

struct Options {
    eMode mode = eMode::List;
    int32_t exportUse = 0;    // --export=USE
    bool summary = false;     // --summary: the host's export-summary setting
    uint64_t pagesCall = 0;   // --pages=N; 0: every call
    bool timing = false;      // --timing: start time and duration in the list
    bool statsCsv = false;    // --stats=csv
    tCallFilter filter;       // --calls, --errors, --function, --session, --thread
    size_t maxLineBytes = LineSource::kDefaultMaxLineBytes;  // --max-line=BYTES
    uint16_t port = 0;        // --port=N with --serve; 0: the kernel picks one
    std::string pluginPath;   // --plugin PATH; empty: beside the program
    std::string input = "-";  // FILE; "-" is standard input
    bool help = false;
    bool version = false;
};

// Fills `options` from the arguments (argv[0] excluded). False, with
// `error` set, on a usage error.
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

// The text printed by --help.
const char* UsageText();

}  // namespace vesk::replay
