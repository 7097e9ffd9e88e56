// The one-line call description, entered and returned, with the buffers it
// remembers and its cut at the working buffer.
#include "CallTestSupport.h"
#include "call/RecordLimits.h"

namespace kovesk_test {
namespace {

using DescriptionTest = CallRecordTest;
constexpr uint32_t kIn = IKoVeskCall::eLogDataInput, kOut = IKoVeskCall::eLogDataOutput;

// One call entered, returned, and described once more on return: the lines
// and the buffer list after each step. The list feeds the export, the XML
// element and the buffer page, so a missing or doubled entry shows in all.
struct DescriptionCase {
    const char* label;
    std::vector<Param> input{};
    std::vector<Param> output{};  // the status parameter is added last
    const char* inputLine;
    const char* outputLine;
    Entries afterInput{}, afterOutput{}, afterSecondOutput{};
};

class DescriptionCaseTest : public CallRecordTest, public ::testing::WithParamInterface<DescriptionCase> {};

TEST_P(DescriptionCaseTest, LinesAndBufferList) {
    const DescriptionCase& c = GetParam();
    LoggedCall call("fn");
    call.enter(c.input);
    EXPECT_EQ(call.description(), c.inputLine);
    EXPECT_EQ(call.record.bufferEntries(), c.afterInput);
    call.returnWith(c.output, 0);
    EXPECT_EQ(call.description(), c.outputLine);
    EXPECT_EQ(call.record.bufferEntries(), c.afterOutput);
    call.record.FormatCallDescriptionOutput();
    EXPECT_EQ(call.description(), c.outputLine);
    EXPECT_EQ(call.record.bufferEntries(), c.afterSecondOutput);

    // Without the input line first, two output lines list the same buffers.
    LoggedCall outputOnly("fn");
    outputOnly.ingestInput(c.input);
    outputOnly.returnWith(c.output, 0);
    outputOnly.record.FormatCallDescriptionOutput();
    EXPECT_EQ(outputOnly.record.bufferEntries(), c.afterSecondOutput);
}

const Param kSession{"vi", code::kSession, u32(1)};

INSTANTIATE_TEST_SUITE_P(
    Pairing, DescriptionCaseTest,
    ::testing::Values(
        // A parameter followed by its data, same type code: one array
        // argument, the input buffer listed once however often described.
        DescriptionCase{.label = "InputBuffer",
                        .input = {kSession, {"buf", code::kByteArray, u64(0x1000)},
                                  {"buf", code::kByteArray, text("*IDN?\n")}, {"count", code::kUInt32, u32(6)},
                                  {"retCount", code::kInt32Array, u64(0x2000)}},
                        .output = {{"*retCount", code::kUInt32, u32(6)}},
                        .inputLine = "fn (0x00000001, {0x2A,0x49,...}, 6 (0x6), 0x0000000000002000)",
                        .outputLine = "fn (0x00000001, {0x2A,0x49,...}, 6 (0x6), 6 (0x6))",
                        .afterInput = {{"buf", kIn, 2}}, .afterOutput = {{"buf", kIn, 2}},
                        .afterSecondOutput = {{"buf", kIn, 2}}},
        // A buffer returned on the output logger is listed by every output line.
        DescriptionCase{.label = "OutputBuffer",
                        .input = {kSession, {"buf", code::kByteArray, u64(0x1000)}, {"count", code::kUInt32, u32(5)},
                                  {"retCount", code::kInt32Array, u64(0x2000)}},
                        .output = {{"buf", code::kByteArray, text("HELLO")}, {"*retCount", code::kUInt32, u32(5)}},
                        .inputLine = "fn (0x00000001, 0x0000000000001000, 5 (0x5), 0x0000000000002000)",
                        .outputLine = "fn (0x00000001, {0x48,0x45,...}, 5 (0x5), 5 (0x5))",
                        .afterOutput = {{"buf", kOut, 0}},
                        .afterSecondOutput = {{"buf", kOut, 0}, {"buf", kOut, 0}}},
        // Type codes that differ: the pointee shows as a scalar, nothing listed.
        DescriptionCase{.label = "PairOfOtherTypes",
                        .input = {kSession, {"count", code::kInt32Array, u64(0x3000)},
                                  {"*count", code::kUInt32, u32(9)}},
                        .inputLine = "fn (0x00000001, 9 (0x9))", .outputLine = "fn (0x00000001, 9 (0x9))"},
        // The hidden session parameter is left out wherever it stands (the
        // input line still shows its last parameter); no separator doubled
        // or left trailing.
        DescriptionCase{.label = "HiddenFirst",
                        .input = {{"dummysesVi", code::kText, text("GPIB0::1::INSTR")},
                                  {"vi", code::kSession, u32(0x10)}, {"timeout", code::kUInt32, u32(7)}},
                        .inputLine = "fn (GPIB0::1::INSTR (0x00000010), 7 (0x7))",
                        .outputLine = "fn (GPIB0::1::INSTR (0x00000010), 7 (0x7))"},
        DescriptionCase{.label = "HiddenInTheMiddle",
                        .input = {{"a", code::kUInt32, u32(1)}, {"dummyses", code::kText, text("R")},
                                  {"b", code::kUInt32, u32(2)}},
                        .inputLine = "fn (1 (0x1), 2 (0x2))", .outputLine = "fn (1 (0x1), 2 (0x2))"},
        DescriptionCase{.label = "HiddenLast",
                        .input = {{"a", code::kUInt32, u32(1)}, {"dummysesX", code::kText, text("R")}},
                        .inputLine = "fn (1 (0x1), \"R\")", .outputLine = "fn (1 (0x1))"},
        DescriptionCase{.label = "NoParameters", .inputLine = "fn ()", .outputLine = "fn ()"}),
    [](const ::testing::TestParamInfo<DescriptionCase>& row) { return row.param.label; });

// Text arguments of the given lengths, each a run of its own letter, and
// the description of the first `kept` of them.
struct TextArguments {
    TextArguments(const char* function, const std::vector<size_t>& lengths, size_t kept) {
        static const char* const kNames[] = {"p0", "p1", "p2", "p3", "p4", "p5", "p6", "p7"};
        line = std::string(function) + " (";
        for (size_t i = 0; i < lengths.size(); ++i) {
            const std::string value(lengths[i], static_cast<char>('a' + i));
            params.push_back({kNames[i], code::kText, text(value)});
            if (i < kept) line += (i ? ", \"" : "\"") + value + "\"";
        }
        line += kept < lengths.size() ? ", ...)" : ")";
    }
    std::vector<Param> params;
    std::string line;
};

// The edge of the 1024-character working buffer: a line of up to 1023
// characters fits with its terminator and is shown whole; from 1024 on it is
// cut after the last whole argument that leaves room for ", ...)".
TEST_F(DescriptionTest, ALineIsCutOnlyWhenItDoesNotFit) {
    // "f (", three arguments of 256 letters in quotes with their separators
    // (783 characters), then the fourth argument in quotes and ")".
    for (size_t length = 1017; length <= 1025; ++length) {
        SCOPED_TRACE(length);
        const bool fits = length < nKoVeskLog210::kDescriptionBufferSize;
        const TextArguments arguments("f", {256, 256, 256, length - 783 - 3}, fits ? 4 : 3);
        LoggedCall call("f");
        call.enter(arguments.params);
        EXPECT_EQ(call.description(), arguments.line);
        EXPECT_EQ(call.description().size(), fits ? length : 787u);
        call.returnWith({}, 0);
        EXPECT_EQ(call.description(), arguments.line);
    }
}

// A cut keeps only whole arguments, whether the next argument or only the
// separator after it passes the room kept for ", ...)".
TEST_F(DescriptionTest, ACutLineKeepsWholeArguments) {
    // Why, the lengths of the text arguments, how many are kept.
    const std::tuple<const char*, std::vector<size_t>, size_t> cases[] = {
        {"the fourth argument does not fit", std::vector<size_t>(8, 250), 3},
        {"the separator after the fourth does not fit", {250, 250, 250, 244, 10}, 4}};
    for (const auto& [why, lengths, kept] : cases) {
        SCOPED_TRACE(why);
        const TextArguments arguments("viLong", lengths, kept);
        LoggedCall call("viLong");
        call.enter(arguments.params);
        EXPECT_EQ(call.description(), arguments.line);
        call.returnWith({}, 0);
        EXPECT_EQ(call.description(), arguments.line);
        EXPECT_LT(call.description().size(), nKoVeskLog210::kDescriptionBufferSize);
    }
}

}  // namespace
}  // namespace kovesk_test
