// The VISA operations table: the identifiers captures already use, the
// lookup's edges, and the built-in copy against the file it comes from.
#include "replay/VisaFunctions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vesk::replay {
namespace {

// The identifiers that were documented (or used by captures) before the
// table existed keep their numbers.
TEST(VisaFunctionsTest, EstablishedIdentifiers) {
    const tVisaFunction established[] = {
        {"viOpenDefaultRM", 1}, {"viFindRsrc", 2},    {"viOpen", 5},         {"viClose", 6},
        {"viSetAttribute", 7},  {"viGetAttribute", 8}, {"viEnableEvent", 13}, {"viDisableEvent", 14},
        {"viWaitOnEvent", 16},  {"viRead", 19},        {"viWrite", 22},       {"viReadSTB", 26},
        {"viMoveIn32", 37},     {"viPrintf", 77},
    };
    for (const tVisaFunction& f : established) EXPECT_EQ(FindVisaFunctionId(f.name), f.id) << f.name;
}

TEST(VisaFunctionsTest, NamesThatAreNoOperation) {
    for (const char* name : {"", "viwrite", "VIWRITE", "viWrit", "viWrite ", "viWriteX", "open", "\xff"}) {
        EXPECT_EQ(FindVisaFunctionId(name), -1) << name;
    }
}

// Every line of the file is in the program under its identifier, and the
// identifiers run from 1 without gaps or repeats.
TEST(VisaFunctionsTest, BuiltFromTheTable) {
    std::ifstream file(KOVESK_SOURCE_DIR "/replay/VisaFunctions.tsv");
    ASSERT_TRUE(file) << "replay/VisaFunctions.tsv";
    std::set<int> ids;
    std::string line;
    size_t rows = 0;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        int id = 0;
        std::string name;
        ASSERT_TRUE(fields >> id >> name) << line;
        EXPECT_EQ(FindVisaFunctionId(name), id) << name;
        EXPECT_TRUE(ids.insert(id).second) << "repeated id " << id;
        ++rows;
    }
    EXPECT_EQ(static_cast<size_t>(VisaFunctionsEnd() - VisaFunctionsBegin()), rows);
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(*ids.begin(), 1);
    EXPECT_EQ(*ids.rbegin(), static_cast<int>(rows));
}

// The capture format's documentation prints the table: every row of it,
// and nothing else, under the same identifier.
TEST(VisaFunctionsTest, DocumentedInTheCaptureFormat) {
    std::ifstream file(KOVESK_SOURCE_DIR "/examples/README.md");
    ASSERT_TRUE(file) << "examples/README.md";
    std::string line;
    while (std::getline(file, line) && line != "## Function identifiers") {
    }
    std::set<std::pair<int, std::string>> documented;
    while (std::getline(file, line) && line.rfind("## ", 0) != 0) {
        // "| 1 | `viOpenDefaultRM` | 55 | `viMemFree` |"
        std::istringstream cells(line);
        std::string cell;
        std::vector<std::string> fields;
        while (std::getline(cells, cell, '|')) fields.push_back(cell);
        for (size_t i = 1; i + 1 < fields.size(); i += 2) {
            const size_t tick = fields[i + 1].find('`');
            if (tick == std::string::npos) continue;
            const std::string name =
                fields[i + 1].substr(tick + 1, fields[i + 1].find('`', tick + 1) - tick - 1);
            documented.insert({std::stoi(fields[i]), name});
        }
    }
    std::set<std::pair<int, std::string>> built;
    for (const tVisaFunction* f = VisaFunctionsBegin(); f != VisaFunctionsEnd(); ++f) {
        built.insert({f->id, std::string(f->name)});
    }
    EXPECT_EQ(documented, built);
}

}  // namespace
}  // namespace vesk::replay
