// The command line: modes, their arguments, the input and usage errors.
#include "replay/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vesk::replay {
namespace {

// The options as one line, or "error: MESSAGE" on a usage error.
std::string parse(std::vector<const char*> arguments) {
    const char* const kModes[] = {"list", "export", "xml", "pages"};
    Options o;
    std::string error;
    if (!ParseOptions(int(arguments.size()), arguments.data(), o, error)) return "error: " + error;
    return kModes[static_cast<int>(o.mode)] + (" use=" + std::to_string(o.exportUse)) + " page=" +
           std::to_string(o.pagesCall) + " summary=" + std::to_string(o.summary) + " plugin=" + o.pluginPath +
           " in=" + o.input + " help=" + std::to_string(o.help) + " version=" + std::to_string(o.version);
}

// The goldens run every mode; here the defaults, the modes' arguments and
// every usage error: a wrong argument is refused, never read as 0 or a file.
TEST(OptionsTest, CommandLines) {
    const struct {
        std::vector<const char*> arguments;
        const char* expected;
    } cases[] = {
        {{}, "list use=0 page=0 summary=0 plugin= in=- help=0 version=0"},
        {{"--xml", "c.jsonl"}, "xml use=0 page=0 summary=0 plugin= in=c.jsonl help=0 version=0"},
        {{"--export=4"}, "export use=4 page=0 summary=0 plugin= in=- help=0 version=0"},
        {{"--export=-7"}, "export use=-7 page=0 summary=0 plugin= in=- help=0 version=0"},
        {{"--pages"}, "pages use=0 page=0 summary=0 plugin= in=- help=0 version=0"},
        {{"--pages=12"}, "pages use=0 page=12 summary=0 plugin= in=- help=0 version=0"},
        {{"--summary", "--plugin", "/x/lib.so", "--export", "in.jsonl"},
         "export use=0 page=0 summary=1 plugin=/x/lib.so in=in.jsonl help=0 version=0"},
        {{"--plugin=/y.so", "-"}, "list use=0 page=0 summary=0 plugin=/y.so in=- help=0 version=0"},
        {{"--", "--xml"}, "list use=0 page=0 summary=0 plugin= in=--xml help=0 version=0"},
        {{"-h"}, "list use=0 page=0 summary=0 plugin= in=- help=1 version=0"},
        {{"--xml", "--list"},
         "error: more than one mode (--list): choose one of --list, --export, --xml, --pages, --stats, --serve, --html"},
        {{"--export=x"}, "error: --export: USE must be an integer, not \"x\""},
        {{"--export="}, "error: --export: USE must be an integer, not \"\""},
        {{"--export=2147483648"}, "error: --export: USE must be an integer, not \"2147483648\""},
        {{"--pages=0"}, "error: --pages: N must be a call number from 1, not \"0\""},
        {{"--pages=-1"}, "error: --pages: N must be a call number from 1, not \"-1\""},
        {{"--plugin"}, "error: --plugin needs a PATH"},
        {{"--plugin="}, "error: --plugin needs a PATH"},
        {{"--xmlx"}, "error: unknown option --xmlx"},
        {{"a.jsonl", "b.jsonl"}, "error: more than one input file (b.jsonl)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments[0]);
        EXPECT_EQ(parse(c.arguments), c.expected);
    }
}

// The filters, --stats, --timing and --max-line: each value at its edges,
// and every wrong one refused with what was expected.
TEST(OptionsTest, FiltersAndTheirValues) {
    const auto parsed = [](std::vector<const char*> arguments, Options& o) {
        std::string error;
        return ParseOptions(int(arguments.size()), arguments.data(), o, error) ? std::string() : error;
    };
    Options o;
    ASSERT_EQ(parsed({"--calls=3-5", "--errors", "--function=viRead,viWrite", "--session=0x1003",
                      "--thread=77", "--stats=csv", "--max-line=2G"}, o), "");
    EXPECT_EQ(o.filter.firstCall, 3u);
    EXPECT_EQ(o.filter.lastCall, 5u);
    EXPECT_TRUE(o.filter.errorsOnly);
    EXPECT_EQ(o.filter.functions, (std::vector<std::string>{"viRead", "viWrite"}));
    EXPECT_TRUE(o.filter.hasSession);
    EXPECT_EQ(o.filter.session, 0x1003u);
    EXPECT_TRUE(o.filter.hasThread);
    EXPECT_EQ(o.filter.thread, 77u);
    EXPECT_EQ(o.mode, eMode::Stats);
    EXPECT_TRUE(o.statsCsv);
    EXPECT_EQ(o.maxLineBytes, size_t{2} << 30);

    const struct {
        const char* argument;
        uint64_t first, last;
    } ranges[] = {{"--calls=7", 7, 7}, {"--calls=7-", 7, UINT64_MAX}, {"--calls=1-1", 1, 1},
                  {"--calls=2-18446744073709551615", 2, UINT64_MAX}};
    for (const auto& r : ranges) {
        Options ranged;
        ASSERT_EQ(parsed({r.argument}, ranged), "") << r.argument;
        EXPECT_EQ(ranged.filter.firstCall, r.first) << r.argument;
        EXPECT_EQ(ranged.filter.lastCall, r.last) << r.argument;
    }
    Options twoModes;
    EXPECT_EQ(parsed({"--stats", "--list"}, twoModes),
              "more than one mode (--list): choose one of --list, --export, --xml, --pages, --stats, --serve, --html");
    Options decimal;
    ASSERT_EQ(parsed({"--session=4099", "--max-line=64k", "--timing"}, decimal), "");
    EXPECT_EQ(decimal.filter.session, 4099u);
    EXPECT_EQ(decimal.maxLineBytes, 65536u);
    EXPECT_TRUE(decimal.timing);

    const struct {
        std::vector<const char*> arguments;
        const char* error;
    } refused[] = {
        {{"--calls=0-3"}, "--calls: expected A-B, A- or A with call numbers from 1, not \"0-3\""},
        {{"--calls=5-3"}, "--calls: expected A-B, A- or A with call numbers from 1, not \"5-3\""},
        {{"--calls=-3"}, "--calls: expected A-B, A- or A with call numbers from 1, not \"-3\""},
        {{"--calls=1-x"}, "--calls: expected A-B, A- or A with call numbers from 1, not \"1-x\""},
        {{"--calls"}, "--calls: expected A-B, A- or A with call numbers from 1, not \"\""},
        {{"--function="}, "--function: expected NAME[,NAME...], not \"\""},
        {{"--function=a,,b"}, "--function: expected NAME[,NAME...], not \"a,,b\""},
        {{"--session=0x"}, "--session: expected a handle, 0x hexadecimal or decimal, not \"0x\""},
        {{"--session=12ab"}, "--session: expected a handle, 0x hexadecimal or decimal, not \"12ab\""},
        {{"--session=0x10000000000000000"},
         "--session: expected a handle, 0x hexadecimal or decimal, not \"0x10000000000000000\""},
        {{"--thread=-1"}, "--thread: expected a thread id, not \"-1\""},
        {{"--stats=tsv"}, "--stats: the only format is csv, not \"tsv\""},
        {{"--max-line=0"}, "--max-line: expected a byte count such as 2G, not \"0\""},
        {{"--max-line=1T"}, "--max-line: expected a byte count such as 2G, not \"1T\""},
        {{"--max-line=99999999999999999G"},
         "--max-line: expected a byte count such as 2G, not \"99999999999999999G\""},
        {{"--timing", "--xml"}, "--timing goes with --list only"},
    };
    for (const auto& r : refused) {
        Options refusedOptions;
        EXPECT_EQ(parsed(r.arguments, refusedOptions), r.error) << r.arguments[0];
    }
}

// The browser view's modes: --port only with --serve and within 0 to
// 65535; a regular file, never standard input; the filters kept as the
// view's first filter.
TEST(OptionsTest, BrowserViewModes) {
    const struct {
        std::vector<const char*> arguments;
        const char* error;
        eMode mode;
        uint16_t port;
    } cases[] = {
        {{"--serve", "c.jsonl"}, "", eMode::Serve, 0},
        {{"--serve", "--port=0", "c.jsonl"}, "", eMode::Serve, 0},
        {{"--port=65535", "--serve", "c.jsonl"}, "", eMode::Serve, 65535},
        {{"--html", "c.jsonl"}, "", eMode::Html, 0},
        {{"--serve", "--port=65536", "c.jsonl"}, "--port: expected a port number from 0 to 65535, not \"65536\"",
         eMode::Serve, 0},
        {{"--serve", "--port=-1", "c.jsonl"}, "--port: expected a port number from 0 to 65535, not \"-1\"",
         eMode::Serve, 0},
        {{"--serve", "--port", "c.jsonl"}, "--port: expected a port number from 0 to 65535, not \"\"", eMode::Serve, 0},
        {{"--html", "--port=80", "c.jsonl"}, "--port goes with --serve only", eMode::Html, 0},
        {{"--port=80", "c.jsonl"}, "--port goes with --serve only", eMode::List, 0},
        {{"--serve"}, "--serve needs a capture in a regular file, not standard input", eMode::Serve, 0},
        {{"--html", "-"}, "--html needs a capture in a regular file, not standard input", eMode::Html, 0},
        {{"--serve", "--html", "c.jsonl"},
         "more than one mode (--html): choose one of --list, --export, --xml, --pages, --stats, --serve, --html",
         eMode::Serve, 0},
        {{"--serve", "--timing", "c.jsonl"}, "--timing goes with --list only", eMode::Serve, 0},
    };
    for (const auto& c : cases) {
        Options o;
        std::string error;
        const bool parsed = ParseOptions(int(c.arguments.size()), c.arguments.data(), o, error);
        EXPECT_EQ(error, c.error) << c.arguments[0];
        if (parsed) {
            EXPECT_EQ(o.mode, c.mode);
            EXPECT_EQ(o.port, c.port);
        }
    }
    Options filtered;
    std::string error;
    const char* arguments[] = {"--serve", "--errors", "--function=viRead", "--summary", "c.jsonl"};
    ASSERT_TRUE(ParseOptions(5, arguments, filtered, error)) << error;
    EXPECT_TRUE(filtered.filter.errorsOnly);
    EXPECT_EQ(filtered.filter.functions, std::vector<std::string>{"viRead"});
    EXPECT_TRUE(filtered.summary);
    EXPECT_EQ(filtered.input, "c.jsonl");
}

}  // namespace
}  // namespace vesk::replay
