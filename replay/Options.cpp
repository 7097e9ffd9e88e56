#include "replay/Options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

namespace vesk::replay {

namespace {

constexpr char kUsage[] =
    "usage: vesk-replay [MODE] [FILTER...] [OPTION...] [FILE]\n"
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
    "  --stats[=csv]    per function: calls, failed calls and durations\n"
    "                   (total, mean, median, 95th percentile, maximum, in ms);\n"
    "                   csv: comma-separated for a spreadsheet\n"
    "  --serve          the browser view: serves the call list, property pages,\n"
    "                   text export and XML of each call on 127.0.0.1 until\n"
    "                   interrupted, and prints the page's URL first\n"
    "  --html           the browser view as one self-contained HTML file, every\n"
    "                   call rendered into it (at most 100,000 calls and 64 MiB\n"
    "                   of rendered data)\n"
    "                   (--serve and --html read FILE back by offsets: it must\n"
    "                   be a regular file)\n"
    "\n"
    "filters (every mode; together they all apply; calls keep their numbers;\n"
    "the browser view starts with them and can change them):\n"
    "  --calls=A-B      calls A to B (also A- and A)\n"
    "  --errors         calls that returned an error status\n"
    "  --function=NAME[,NAME...]  calls of these functions\n"
    "  --session=HANDLE calls with this session handle (0x hexadecimal or decimal)\n"
    "  --thread=ID      calls of this thread of the traced program\n"
    "\n"
    "options:\n"
    "  --timing         with --list: the start time (local, following TZ) and\n"
    "                   the duration in ms after the call number\n"
    "  --summary        turn the host's export-summary setting on (no dumps)\n"
    "  --port=N         with --serve: the port to listen on, 0 to 65535 (default\n"
    "                   0: one the kernel picks)\n"
    "  --max-line=BYTES the longest capture line read (default 1G; K, M and G\n"
    "                   multiply by 1024, 1024^2 and 1024^3); a longer line\n"
    "                   stops the reading (the browser view lists it and goes on)\n"
    "  --plugin PATH    the plug-in to load (default: the libKoVeskVV.so\n"
    "                   installed with the program, or built beside it)\n"
    "  --help           print this text\n"
    "  --version        print the version\n"
    "\n"
    "exit status: 0 every call rendered, 1 some calls skipped or the reading\n"
    "stopped (each with a FILE:LINE: error: diagnostic), 2 usage error,\n"
    "unreadable input, no line read at all, or output that cannot be written.\n";

// A whole decimal integer within [min, max].
bool parseInteger(const char* text, long long min, long long max, long long& value) {
    if (!*text) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && *end == '\0' && value >= min && value <= max;
}

// A whole unsigned number, decimal or (with "0x") hexadecimal.
bool parseUnsigned(const char* text, bool allowHex, uint64_t& value) {
    int base = 10;
    if (allowHex && (std::strncmp(text, "0x", 2) == 0 || std::strncmp(text, "0X", 2) == 0)) {
        text += 2;
        base = 16;
    }
    const auto first = static_cast<unsigned char>(*text);
    if (base == 16 ? !std::isxdigit(first) : !std::isdigit(first)) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, base);
    return errno == 0 && *end == '\0';
}

// "A-B", "A-" or "A": call numbers from 1.
bool parseCallRange(const char* text, uint64_t& first, uint64_t& last) {
    const char* dash = std::strchr(text, '-');
    const std::string firstText(text, dash ? static_cast<size_t>(dash - text) : std::strlen(text));
    if (!parseUnsigned(firstText.c_str(), false, first) || first == 0) return false;
    if (!dash) {
        last = first;
        return true;
    }
    if (!dash[1]) {
        last = std::numeric_limits<uint64_t>::max();
        return true;
    }
    return parseUnsigned(dash + 1, false, last) && last >= first;
}

// A byte count with an optional K, M or G (powers of 1024), at least 1.
bool parseByteCount(const char* text, size_t& bytes) {
    const size_t length = std::strlen(text);
    if (length == 0) return false;
    unsigned shift = 0;
    std::string digits(text, length);
    switch (text[length - 1]) {
        case 'K': case 'k': shift = 10; break;
        case 'M': case 'm': shift = 20; break;
        case 'G': case 'g': shift = 30; break;
        default: break;
    }
    if (shift) digits.pop_back();
    uint64_t value = 0;
    if (!parseUnsigned(digits.c_str(), false, value) || value == 0) return false;
    if (value > (std::numeric_limits<size_t>::max() >> shift) / 2) return false;
    bytes = static_cast<size_t>(value << shift);
    return true;
}

// The names of "NAME[,NAME...]", none empty.
bool parseNames(const char* text, std::vector<std::string>& names) {
    names.clear();
    for (const char* start = text;;) {
        const char* comma = std::strchr(start, ',');
        const size_t length = comma ? static_cast<size_t>(comma - start) : std::strlen(start);
        if (length == 0) return false;
        names.emplace_back(start, length);
        if (!comma) return true;
        start = comma + 1;
    }
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
    bool modeGiven = false, inputGiven = false, optionsEnded = false, portGiven = false;
    auto setMode = [&](eMode mode, const char* argument) {
        if (modeGiven) {
            error = std::string("more than one mode (") + argument +
                    "): choose one of --list, --export, --xml, --pages, --stats, --serve, --html";
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
        } else if (isOption(argument, "--stats", value)) {
            if (!setMode(eMode::Stats, argument)) return false;
            if (value && std::strcmp(value, "csv") != 0) {
                error = std::string("--stats: the only format is csv, not \"") + value + "\"";
                return false;
            }
            options.statsCsv = value != nullptr;
        } else if (std::strcmp(argument, "--serve") == 0) {
            if (!setMode(eMode::Serve, argument)) return false;
        } else if (std::strcmp(argument, "--html") == 0) {
            if (!setMode(eMode::Html, argument)) return false;
        } else if (isOption(argument, "--port", value)) {
            long long port = 0;
            if (!value || !parseInteger(value, 0, 65535, port)) {
                error = std::string("--port: expected a port number from 0 to 65535, not \"") +
                        (value ? value : "") + "\"";
                return false;
            }
            options.port = static_cast<uint16_t>(port);
            portGiven = true;
        } else if (std::strcmp(argument, "--timing") == 0) {
            options.timing = true;
        } else if (std::strcmp(argument, "--errors") == 0) {
            options.filter.errorsOnly = true;
        } else if (isOption(argument, "--calls", value)) {
            if (!value || !parseCallRange(value, options.filter.firstCall, options.filter.lastCall)) {
                error = std::string("--calls: expected A-B, A- or A with call numbers from 1, not \"") +
                        (value ? value : "") + "\"";
                return false;
            }
        } else if (isOption(argument, "--function", value)) {
            if (!value || !parseNames(value, options.filter.functions)) {
                error = std::string("--function: expected NAME[,NAME...], not \"") +
                        (value ? value : "") + "\"";
                return false;
            }
        } else if (isOption(argument, "--session", value)) {
            if (!value || !parseUnsigned(value, true, options.filter.session)) {
                error = std::string("--session: expected a handle, 0x hexadecimal or decimal, not \"") +
                        (value ? value : "") + "\"";
                return false;
            }
            options.filter.hasSession = true;
        } else if (isOption(argument, "--thread", value)) {
            if (!value || !parseUnsigned(value, false, options.filter.thread)) {
                error = std::string("--thread: expected a thread id, not \"") + (value ? value : "") + "\"";
                return false;
            }
            options.filter.hasThread = true;
        } else if (isOption(argument, "--max-line", value)) {
            if (!value || !parseByteCount(value, options.maxLineBytes)) {
                error = std::string("--max-line: expected a byte count such as 2G, not \"") +
                        (value ? value : "") + "\"";
                return false;
            }
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
    if (options.timing && options.mode != eMode::List) {
        error = "--timing goes with --list only";
        return false;
    }
    if (portGiven && options.mode != eMode::Serve) {
        error = "--port goes with --serve only";
        return false;
    }
    // The browser view reads calls back from the file by their place in it.
    if ((options.mode == eMode::Serve || options.mode == eMode::Html) && options.input == "-" &&
        !options.help && !options.version) {
        error = std::string(options.mode == eMode::Serve ? "--serve" : "--html") +
                " needs a capture in a regular file, not standard input";
        return false;
    }
    return true;
}

}  // namespace vesk::replay
