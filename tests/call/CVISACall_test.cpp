// The call record's core: construction, copying, the nesting depth kept in
// step by ingestion, and which parameters are hidden.
#include <memory>

#include "call_test_support.h"
#include "entry/VeskEntryPoints.h"

namespace call_test {
namespace {

using CoreTest = CallRecordTest;

// A record the host has just made knows nothing yet: every consumer of the
// buffer list must cope with there being none.
TEST_F(CoreTest, NewRecordHasNoBufferListAndNoLookupPosition) {
    std::unique_ptr<IKoVeskCall> made(VeskNewCall());
    auto* record = dynamic_cast<CVISACall*>(made.get());
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(ObservableRecord(*record).hasBufferList());
    EXPECT_EQ(record->GetBufferListSize(), 0u);
    EXPECT_EQ(record->GetLookupParamIndex(), -1);
    std::vector<char*> data{nullptr};
    std::vector<int> sizes{1};
    EXPECT_FALSE(record->GetBuffers(data, sizes));
    EXPECT_TRUE(data.empty());
    EXPECT_TRUE(sizes.empty());
}

// Clones outlive their source in the host's lists: they must own a deep copy
// of the list, keep its order, and keep "no list" apart from "empty list".
TEST_F(CoreTest, CloneCopiesTheBufferListDeeply) {
    auto cloneOf = [](const CVISACall& source) {
        std::unique_ptr<IKoVeskCall> clone(source.Clone());
        auto* record = dynamic_cast<CVISACall*>(clone.get());
        EXPECT_NE(record, nullptr);
        return ObservableRecord(*record);
    };

    ObservableRecord withoutList;
    EXPECT_FALSE(cloneOf(withoutList).hasBufferList());

    ObservableRecord withEmptyList;
    withEmptyList.createEmptyBufferList();
    const ObservableRecord emptyClone = cloneOf(withEmptyList);
    EXPECT_TRUE(emptyClone.hasBufferList());
    EXPECT_EQ(emptyClone.GetBufferListSize(), 0u);

    auto source = std::make_unique<ObservableRecord>();
    source->AddBufferToList("first", IKoVeskCall::eLogDataInput, 2);
    source->AddBufferToList("second", IKoVeskCall::eLogDataOutput, 0);
    const ObservableRecord clone = cloneOf(*source);
    source.reset();  // the clone must not share entries with its source
    EXPECT_EQ(clone.bufferEntries(),
              (std::vector<ObservableRecord::Entry>{inputEntry("first", 2),
                                                    outputEntry("second", 0)}));
}

// The host's call list indents nested calls by the thread's depth; a level
// opened on input that is not closed on output skews every later call.
struct NestingCase {
    int apiType;
    int functionId;
    int depthBefore;
    int depthAfterInput;
    int depthAfterOutput;
};

class NestingTest : public CallRecordTest, public ::testing::WithParamInterface<NestingCase> {};

TEST_P(NestingTest, IngestionKeepsTheThreadDepthInStep) {
    const NestingCase& c = GetParam();
    for (const bool matching : {true, false}) {
        CapturedCall call("fn", c.functionId, c.apiType);
        CProcThreadInfo thread;
        thread.IncrementIndent(c.depthBefore);
        call.record.InitProcThreadInfo(&thread);
        bool handled = false;
        call.record.ProcessLoggerInput(&call.input, handled);
        EXPECT_EQ(thread.GetIndent(), c.depthAfterInput);
        if (matching) call.record.ProcessLoggerMatchingOutput(&call.output);
        if (!matching) call.record.ProcessLoggerNonMatchingOutput(&call.output, handled);
        EXPECT_EQ(thread.GetIndent(), c.depthAfterOutput) << "matching output: " << matching;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Levels, NestingTest,
    ::testing::Values(
        // One level: API 2, 3 or 27 with 0x63 in bits 8 to 15; two otherwise.
        NestingCase{27, 0x6301, 0, 1, 0}, NestingCase{3, 0x6342, 0, 1, 0},
        NestingCase{2, 0x1263FF, 0, 1, 0}, NestingCase{3, 0x0063, 0, 2, 0},
        NestingCase{5, 0x6300, 0, 2, 0},
        // API 2, 0x104 closes two levels, and before its input opens its own:
        // the depth never goes below 0, so from 0 only the opening counts.
        NestingCase{2, 0x104, 3, 3, 1}, NestingCase{2, 0x104, 0, 2, 0},
        // API 2, 0x102 opens two levels after its output.
        NestingCase{2, 0x102, 3, 5, 5}));

// The host may hand a record its captures before its thread information.
TEST_F(CoreTest, IngestionWithoutThreadInformationKeepsTheLoggers) {
    CapturedCall call("fn", 0x104, 2);
    bool handled = false;
    call.record.ProcessLoggerInput(&call.input, handled);
    call.record.ProcessLoggerMatchingOutput(&call.output);
    call.record.ProcessLoggerNonMatchingOutput(&call.output, handled);
    EXPECT_EQ(call.record.GetInputLogger(), &call.input);
    EXPECT_EQ(call.record.GetOutputLogger(), &call.output);
}

// The hidden session parameter is recognised by an eight-character prefix:
// a shorter name must not be taken for it, a longer one must.
TEST_F(CoreTest, IgnoreParameterTestsTheEightCharacterPrefix) {
    CKOVeskMemoryLogger logger;
    addParams(logger, {{"dummyses", 46, {}}, {"dummysession1", 46, {}}, {"dummyse", 46, {}},
                       {nullptr, 46, {}}, {"xdummyses", 46, {}}});
    const bool expected[] = {true, true, false, false, false};
    ObservableRecord record;
    for (int i = 0; i < 5; ++i) {
        bool skipOutput = true;
        EXPECT_EQ(record.IgnoreParameter(&logger, i, &skipOutput), expected[i]) << i;
        EXPECT_FALSE(skipOutput) << i;
        EXPECT_EQ(record.IgnoreParameter(&logger, i, nullptr), expected[i]) << i;
    }
}

}  // namespace
}  // namespace call_test
