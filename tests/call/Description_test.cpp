// The one-line call description, entered and returned, with the buffers it
// remembers, and the status column.
#include <string>

#include "call_test_support.h"

namespace call_test {
namespace {

using DescriptionTest = CallRecordTest;
using Entries = std::vector<ObservableRecord::Entry>;

// Each case is one call entered, returned, and described once more on
// return: the two lines and the buffer list after each step. The buffer
// list feeds the export, the XML element and the buffer page, so a missing
// or doubled entry shows up in all three.
struct DescriptionCase {
    const char* label;
    std::vector<Param> input;
    std::vector<Param> output;  // the status parameter is added last
    const char* inputLine;
    const char* outputLine;
    Entries afterInput;
    Entries afterOutput;
    Entries afterSecondOutput;
};

class DescriptionCaseTest : public CallRecordTest,
                            public ::testing::WithParamInterface<DescriptionCase> {};

TEST_P(DescriptionCaseTest, LinesAndBufferList) {
    const DescriptionCase& c = GetParam();
    CapturedCall call("fn");
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
    CapturedCall outputOnly("fn");
    addParams(outputOnly.input, c.input);
    bool handled = false;
    outputOnly.record.ProcessLoggerInput(&outputOnly.input, handled);
    outputOnly.returnWith(c.output, 0);
    outputOnly.record.FormatCallDescriptionOutput();
    EXPECT_EQ(outputOnly.record.bufferEntries(), c.afterSecondOutput);
}

const Param kSession{"vi", code::kSession, u32(1)};

INSTANTIATE_TEST_SUITE_P(
    Pairing, DescriptionCaseTest,
    ::testing::Values(
        // A parameter followed by its data, same type code: one array
        // argument, and the input buffer is listed once however often the
        // output line is built.
        DescriptionCase{"InputBuffer",
                        {kSession,
                         {"buf", code::kByteArray, u64(0x1000)},
                         {"buf", code::kByteArray, text("*IDN?\n")},
                         {"count", code::kUInt32, u32(6)},
                         {"retCount", code::kInt32Array, u64(0x2000)}},
                        {{"*retCount", code::kUInt32, u32(6)}},
                        "fn (0x00000001, {0x2A,0x49,...}, 6 (0x6), 0x0000000000002000)",
                        "fn (0x00000001, {0x2A,0x49,...}, 6 (0x6), 6 (0x6))",
                        {inputEntry("buf", 2)},
                        {inputEntry("buf", 2)},
                        {inputEntry("buf", 2)}},
        // A buffer returned on the output logger is listed by every output
        // line, without a duplicate test.
        DescriptionCase{"OutputBuffer",
                        {kSession,
                         {"buf", code::kByteArray, u64(0x1000)},
                         {"count", code::kUInt32, u32(5)},
                         {"retCount", code::kInt32Array, u64(0x2000)}},
                        {{"buf", code::kByteArray, text("HELLO")},
                         {"*retCount", code::kUInt32, u32(5)}},
                        "fn (0x00000001, 0x0000000000001000, 5 (0x5), 0x0000000000002000)",
                        "fn (0x00000001, {0x48,0x45,...}, 5 (0x5), 5 (0x5))",
                        {},
                        {outputEntry("buf", 0)},
                        {outputEntry("buf", 0), outputEntry("buf", 0)}},
        // A pair whose type codes differ shows the pointee as a scalar and
        // lists nothing.
        DescriptionCase{"PairOfOtherTypes",
                        {kSession,
                         {"count", code::kInt32Array, u64(0x3000)},
                         {"*count", code::kUInt32, u32(9)}},
                        {},
                        "fn (0x00000001, 9 (0x9))",
                        "fn (0x00000001, 9 (0x9))",
                        {}, {}, {}},
        // The hidden session parameter is left out wherever it stands, but
        // the input line always shows its last parameter; no separator is
        // doubled or left trailing.
        DescriptionCase{"HiddenFirst",
                        {{"dummysesVi", code::kText, text("GPIB0::1::INSTR")},
                         {"vi", code::kSession, u32(0x10)},
                         {"timeout", code::kUInt32, u32(7)}},
                        {},
                        "fn (GPIB0::1::INSTR (0x00000010), 7 (0x7))",
                        "fn (GPIB0::1::INSTR (0x00000010), 7 (0x7))",
                        {}, {}, {}},
        DescriptionCase{"HiddenInTheMiddle",
                        {{"a", code::kUInt32, u32(1)},
                         {"dummyses", code::kText, text("R")},
                         {"b", code::kUInt32, u32(2)}},
                        {},
                        "fn (1 (0x1), 2 (0x2))",
                        "fn (1 (0x1), 2 (0x2))",
                        {}, {}, {}},
        DescriptionCase{"HiddenLast",
                        {{"a", code::kUInt32, u32(1)}, {"dummysesX", code::kText, text("R")}},
                        {},
                        "fn (1 (0x1), \"R\")",
                        "fn (1 (0x1))",
                        {}, {}, {}},
        DescriptionCase{"NoParameters", {}, {}, "fn ()", "fn ()", {}, {}, {}}),
    [](const ::testing::TestParamInfo<DescriptionCase>& info) { return info.param.label; });

// A line longer than the 1024-character working buffer keeps the arguments
// that fit whole and ends with "...)"; nothing is written past the buffer.
TEST_F(DescriptionTest, OverlongArgumentsEndTheLineWithAnEllipsis) {
    std::vector<Param> params;
    std::vector<std::string> quoted;
    static const char* const kNames[] = {"p0", "p1", "p2", "p3", "p4", "p5", "p6", "p7"};
    for (int i = 0; i < 8; ++i) {
        const std::string value(250, static_cast<char>('a' + i));
        params.push_back({kNames[i], code::kText, text(value)});
        quoted.push_back("\"" + value + "\"");
    }
    // "viLong (" and three arguments of 252 characters with their
    // separators take 770 characters; a fourth would leave no room for "...)".
    const std::string expected =
        "viLong (" + quoted[0] + ", " + quoted[1] + ", " + quoted[2] + ", ...)";
    CapturedCall call("viLong");
    call.enter(params);
    EXPECT_EQ(call.description(), expected);
    call.returnWith({}, 0);
    EXPECT_EQ(call.description(), expected);
    EXPECT_LT(call.description().size(), 1024u);
}

// When the argument fits but the separator after it does not, the line
// still ends with ", ...)": the cut never reads as part of the argument.
TEST_F(DescriptionTest, ACutAtASeparatorKeepsTheArgumentWhole) {
    std::vector<Param> params;
    std::vector<std::string> quoted;
    static const char* const kNames[] = {"p0", "p1", "p2", "p3", "p4"};
    const size_t lengths[] = {250, 250, 250, 244, 10};
    for (int i = 0; i < 5; ++i) {
        const std::string value(lengths[i], static_cast<char>('a' + i));
        params.push_back({kNames[i], code::kText, text(value)});
        quoted.push_back("\"" + value + "\"");
    }
    // 8 + 3 * 254 + 246 = 1016 characters: the next separator would pass the
    // room kept for the ending.
    const std::string expected = "viLong (" + quoted[0] + ", " + quoted[1] + ", " + quoted[2] +
                                 ", " + quoted[3] + ", ...)";
    CapturedCall call("viLong");
    call.enter(params);
    EXPECT_EQ(call.description(), expected);
}

// The status column shows the short status once the call has returned;
// every other column is the host's.
TEST_F(DescriptionTest, StatusColumnShowsTheShortStatus) {
    CapturedCall call("viRead");
    call.enter({kSession});
    EXPECT_STREQ(call.record.FormatColumnText(IKoVeskCall::eColumnStatus).c_str(), "");
    EXPECT_STREQ(call.record.FormatColumnText(IKoVeskCall::eColumnFunction).c_str(), "viRead");
    call.returnWith({}, 0);
    EXPECT_STREQ(call.record.FormatColumnText(IKoVeskCall::eColumnStatus).c_str(), "0");

    CapturedCall failed("viRead");
    failed.enter({kSession});
    failed.returnWith({}, 0xBFFF0015, false);
    EXPECT_STREQ(failed.record.FormatColumnText(IKoVeskCall::eColumnStatus).c_str(),
                 "0xBFFF0015");
}

}  // namespace
}  // namespace call_test
