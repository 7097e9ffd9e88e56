// The command line: modes, their arguments, the input and usage errors.
#include "replay/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vesk::replay {
namespace {

bool parse(std::vector<const char*> arguments, Options& options, std::string& error) {
    return ParseOptions(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

Options parseGood(std::vector<const char*> arguments) {
    Options options;
    std::string error;
    EXPECT_TRUE(parse(arguments, options, error)) << error;
    return options;
}

std::string parseBad(std::vector<const char*> arguments) {
    Options options;
    std::string error;
    EXPECT_FALSE(parse(arguments, options, error));
    return error;
}

// --- modes and defaults --------------------------------------------------------------------

TEST(OptionsTest, DefaultsAreTheListOfStandardInput) {
    const Options options = parseGood({});
    EXPECT_EQ(options.mode, eMode::eList);
    EXPECT_EQ(options.input, "-");
    EXPECT_TRUE(options.pluginPath.empty());
    EXPECT_FALSE(options.summary);
}

TEST(OptionsTest, ModesWithTheirArguments) {
    EXPECT_EQ(parseGood({"--xml", "c.jsonl"}).mode, eMode::eXml);
    EXPECT_EQ(parseGood({"--list"}).mode, eMode::eList);
    const Options plainExport = parseGood({"--export"});
    EXPECT_EQ(plainExport.mode, eMode::eExport);
    EXPECT_EQ(plainExport.exportUse, 0);
    EXPECT_EQ(parseGood({"--export=4"}).exportUse, 4);
    EXPECT_EQ(parseGood({"--export=-7"}).exportUse, -7);
    const Options allPages = parseGood({"--pages"});
    EXPECT_EQ(allPages.mode, eMode::ePages);
    EXPECT_EQ(allPages.pagesCall, 0u);
    EXPECT_EQ(parseGood({"--pages=12"}).pagesCall, 12u);
}

TEST(OptionsTest, InputPluginAndSummary) {
    const Options options = parseGood({"--summary", "--plugin", "/x/lib.so", "--export", "in.jsonl"});
    EXPECT_TRUE(options.summary);
    EXPECT_EQ(options.pluginPath, "/x/lib.so");
    EXPECT_EQ(options.input, "in.jsonl");
    EXPECT_EQ(parseGood({"--plugin=/y.so"}).pluginPath, "/y.so");
    EXPECT_EQ(parseGood({"-"}).input, "-");
    EXPECT_EQ(parseGood({"--", "--xml"}).input, "--xml");
}

TEST(OptionsTest, HelpAndVersion) {
    EXPECT_TRUE(parseGood({"--help"}).help);
    EXPECT_TRUE(parseGood({"-h"}).help);
    EXPECT_TRUE(parseGood({"--version"}).version);
}

// --- usage errors ------------------------------------------------------------------------------

TEST(OptionsTest, UsageErrors) {
    EXPECT_EQ(parseBad({"--xml", "--list"}),
              "more than one mode (--list): choose one of --list, --export, --xml, --pages");
    EXPECT_EQ(parseBad({"--export=x"}), "--export: USE must be an integer, not \"x\"");
    EXPECT_EQ(parseBad({"--export="}), "--export: USE must be an integer, not \"\"");
    EXPECT_EQ(parseBad({"--export=2147483648"}),
              "--export: USE must be an integer, not \"2147483648\"");
    EXPECT_EQ(parseBad({"--pages=0"}), "--pages: N must be a call number from 1, not \"0\"");
    EXPECT_EQ(parseBad({"--pages=-1"}), "--pages: N must be a call number from 1, not \"-1\"");
    EXPECT_EQ(parseBad({"--plugin"}), "--plugin needs a PATH");
    EXPECT_EQ(parseBad({"--plugin="}), "--plugin needs a PATH");
    EXPECT_EQ(parseBad({"--frobnicate"}), "unknown option --frobnicate");
    EXPECT_EQ(parseBad({"--xmlx"}), "unknown option --xmlx");
    EXPECT_EQ(parseBad({"a.jsonl", "b.jsonl"}), "more than one input file (b.jsonl)");
}

}  // namespace
}  // namespace vesk::replay
