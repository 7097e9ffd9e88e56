#include "replay/Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

namespace vesk::replay {

namespace {

constexpr char kUsage[] =
    "usage: vesk-replay [MODE] [--summary] [--plugin PATH] [FILE]\n"
    "\n"
    "Renders captured VISA calls (JSON Lines, one call per line) through the\n"
    "VISA plug-in, as the host shows them. FILE \"-\" or no FILE: standard input.\n"
    "\n"
    "modes:\n"
    "  --list           one line per call: number, status column, description\n"
    "                   (the default)\n"
    "  --export[=USE]   the text export of each call for export use USE\n"
    "                   (an integer, default 0)\n"
    "  --xml            one XML document with an element per call\n"
    "  --pages[=N]      the property pages of every call, or of call N only\n"
    "\n"
    "options:\n"
    "  --summary        turn the host's export-summary setting on (no dumps)\n"
    "  --plugin PATH    the plug-in to load (default: ../lib/libKoVeskVV.so\n"
    "                   beside the program's directory)\n"
    "  --help           print this text\n"
    "  --version        print the version\n"
    "\n"
    "exit status: 0 every call rendered, 1 some calls skipped (each with a\n"
    "FILE:LINE: error: diagnostic), 2 usage error or unreadable input.\n";

// A whole decimal integer within [min, max].
bool parseInteger(const char* text, long long min, long long max, long long& value) {
    if (!*text) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && *end == '\0' && value >= min && value <= max;
}

// "--name" or "--name=value": true when `argument` is the option `name`;
// `value` is the text after "=" (null when there is none).
bool isOption(std::string_view argument, std::string_view name, const char*& value) {
    if (argument.substr(0, name.size()) != name) return false;
    if (argument.size() == name.size()) {
        value = nullptr;
        return true;
    }
    if (argument[name.size()] != '=') return false;
    value = argument.data() + name.size() + 1;
    return true;
}

}  // namespace

const char* UsageText() { return kUsage; }

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    bool modeGiven = false, inputGiven = false, optionsEnded = false;
    auto setMode = [&](eMode mode, const char* argument) {
        if (modeGiven) {
            error = std::string("more than one mode (") + argument +
                    "): choose one of --list, --export, --xml, --pages";
            return false;
        }
        modeGiven = true;
        options.mode = mode;
        return true;
    };
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        const char* value = nullptr;
        if (optionsEnded || argument[0] != '-' || std::strcmp(argument, "-") == 0) {
            if (inputGiven) {
                error = std::string("more than one input file (") + argument + ")";
                return false;
            }
            inputGiven = true;
            options.input = argument;
        } else if (std::strcmp(argument, "--") == 0) {
            optionsEnded = true;
        } else if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            options.help = true;
        } else if (std::strcmp(argument, "--version") == 0) {
            options.version = true;
        } else if (std::strcmp(argument, "--summary") == 0) {
            options.summary = true;
        } else if (std::strcmp(argument, "--list") == 0) {
            if (!setMode(eMode::List, argument)) return false;
        } else if (std::strcmp(argument, "--xml") == 0) {
            if (!setMode(eMode::Xml, argument)) return false;
        } else if (isOption(argument, "--export", value)) {
            if (!setMode(eMode::Export, argument)) return false;
            long long use = 0;
            if (value && !parseInteger(value, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max(), use)) {
                error = std::string("--export: USE must be an integer, not \"") + value + "\"";
                return false;
            }
            options.exportUse = static_cast<int32_t>(use);
        } else if (isOption(argument, "--pages", value)) {
            if (!setMode(eMode::Pages, argument)) return false;
            long long number = 0;
            if (value && !parseInteger(value, 1, std::numeric_limits<long long>::max(), number)) {
                error = std::string("--pages: N must be a call number from 1, not \"") + value +
                        "\"";
                return false;
            }
            options.pagesCall = static_cast<uint64_t>(number);
        } else if (isOption(argument, "--plugin", value)) {
            if (!value) {
                if (i + 1 >= argc) {
                    error = "--plugin needs a PATH";
                    return false;
                }
                value = argv[++i];
            }
            if (!*value) {
                error = "--plugin needs a PATH";
                return false;
            }
            options.pluginPath = value;
        } else {
            error = std::string("unknown option ") + argument;
            return false;
        }
    }
    return true;
}

}  // namespace vesk::replay
