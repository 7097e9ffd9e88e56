// The command line of vesk-replay.
#pragma once

#include <cstdint>
#include <string>

namespace vesk::replay {

enum class eMode { List, Export, Xml, Pages };

struct Options {
    eMode mode = eMode::List;
    int32_t exportUse = 0;    // --export=USE
    bool summary = false;     // --summary: the host's export-summary setting
    uint64_t pagesCall = 0;   // --pages=N; 0: every call
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
