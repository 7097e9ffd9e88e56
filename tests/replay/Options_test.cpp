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
         "error: more than one mode (--list): choose one of --list, --export, --xml, --pages"},
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

}  // namespace
}  // namespace vesk::replay
