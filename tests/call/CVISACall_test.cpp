// The call record's core: construction, copying, the nesting depth kept in
// step by ingestion, hidden parameters, and the buffer list.
#include <memory>

#include "call_test_support.h"
#include "entry/VeskEntryPoints.h"

namespace call_test {
namespace {

using CoreTest = CallRecordTest;

// Every consumer of the buffer list must cope with a fresh record having none.
TEST_F(CoreTest, NewRecordHasNoBufferList) {
    std::unique_ptr<IKoVeskCall> made(VeskNewCall());
    auto* record = dynamic_cast<CVISACall*>(made.get());
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(ObservableRecord(*record).hasBufferList());
    EXPECT_EQ(record->GetLookupParamIndex(), -1);
    std::vector<char*> data{nullptr};
    std::vector<int> sizes{1};
    EXPECT_FALSE(record->GetBuffers(data, sizes));
    EXPECT_TRUE(data.empty() && sizes.empty());
}

// Clones outlive their source: a deep copy in order, "no list" kept apart
// from "empty list".
TEST_F(CoreTest, CloneCopiesTheBufferListDeeply) {
    auto cloneOf = [](const CVISACall& source) {
        std::unique_ptr<IKoVeskCall> clone(source.Clone());
        auto* record = dynamic_cast<CVISACall*>(clone.get());
        EXPECT_NE(record, nullptr);
        return ObservableRecord(*record);
    };
    EXPECT_FALSE(cloneOf(ObservableRecord()).hasBufferList());
    ObservableRecord withEmptyList;
    withEmptyList.createEmptyBufferList();
    EXPECT_TRUE(cloneOf(withEmptyList).hasBufferList());
    EXPECT_EQ(cloneOf(withEmptyList).GetBufferListSize(), 0u);

    auto source = std::make_unique<ObservableRecord>();
    source->AddBufferToList("first", IKoVeskCall::eLogDataInput, 2);
    source->AddBufferToList("second", IKoVeskCall::eLogDataOutput, 0);
    const ObservableRecord clone = cloneOf(*source);
    source.reset();
    EXPECT_EQ(clone.bufferEntries(), (Entries{inputEntry("first", 2), outputEntry("second", 0)}));
}

// The host indents nested calls by the thread's depth; a level opened on
// input and not closed on output skews every later call.
TEST_F(CoreTest, IngestionKeepsTheThreadDepthInStep) {
    struct Case {
        int apiType, functionId, before, afterInput, afterOutput;
    };
    const Case cases[] = {
        // One level: API 2, 3 or 27 with 0x63 in bits 8 to 15; two otherwise.
        {27, 0x6301, 0, 1, 0}, {3, 0x6342, 0, 1, 0}, {2, 0x1263FF, 0, 1, 0},
        {3, 0x0063, 0, 2, 0}, {5, 0x6300, 0, 2, 0},
        // API 2, 0x104 closes two levels before its input opens its own,
        // never below 0; 0x102 opens two after its output.
        {2, 0x104, 3, 3, 1}, {2, 0x104, 0, 2, 0}, {2, 0x102, 3, 5, 5}};
    for (const Case& c : cases) {
        for (const bool matching : {true, false}) {
            SCOPED_TRACE(::testing::Message() << c.apiType << " " << std::hex << c.functionId << " " << matching);
            CapturedCall call("fn", c.functionId, c.apiType);
            CProcThreadInfo thread;
            thread.IncrementIndent(c.before);
            call.record.InitProcThreadInfo(&thread);
            bool handled = false;
            call.record.ProcessLoggerInput(&call.input, handled);
            EXPECT_EQ(thread.GetIndent(), c.afterInput);
            if (matching) call.record.ProcessLoggerMatchingOutput(&call.output);
            if (!matching) call.record.ProcessLoggerNonMatchingOutput(&call.output, handled);
            EXPECT_EQ(thread.GetIndent(), c.afterOutput);
        }
    }
}

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

// The hidden session parameter is recognised by an eight-character prefix.
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

// The pairing rule decides what the description shows as a buffer: exact,
// and "*" only on the later name.
TEST_F(CoreTest, MatchingNamesPairAParameterWithItsPointee) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"buf", "buf", true},   {"buf", "*buf", true},   {"*buf", "buf", false},
        {"buf", "*BUF", false}, {"buf", "BUF", false},   {"buf", "**buf", false},
        {nullptr, "buf", false}, {"buf", nullptr, false}, {nullptr, nullptr, false}};
    ObservableRecord record;
    for (const auto& [first, second, pairs] : cases)
        EXPECT_EQ(record.IsMatchingBufferName(first, second), pairs)
            << (first ? first : "(null)") << " / " << (second ? second : "(null)");
}

// The pages look buffers up regardless of case; the list itself keeps
// duplicates (callers ask first).
TEST_F(CoreTest, BufferListLookupIgnoresCaseAndKeepsDuplicates) {
    ObservableRecord record;
    EXPECT_FALSE(record.IsBufferInList("buf"));
    record.AddBufferToList("*Buf", IKoVeskCall::eLogDataInput, 2);
    EXPECT_TRUE(record.IsBufferInList("*buf"));
    EXPECT_TRUE(record.IsBufferInList("*BUF"));
    EXPECT_FALSE(record.IsBufferInList("buf"));
    EXPECT_FALSE(record.IsBufferInList("*Bu"));

    ObservableRecord twice;
    twice.AddBufferToList("buf", IKoVeskCall::eLogDataOutput, 1);
    twice.AddBufferToList("buf", IKoVeskCall::eLogDataOutput, 1);
    std::vector<StringBase> names;
    twice.SetPageBufferBufferData(names);
    EXPECT_EQ(strings(names), (Lines{"buf", "buf"}));
}

// The host copies the bytes of every buffer that has any, from the logger
// the entry names; only a record without buffers answers false.
TEST_F(CoreTest, GetBuffersHandsOutTheLoggersBytes) {
    CapturedCall call("viRead");
    call.ingestInput({{"empty", code::kByteArray, {}}, {"sent", code::kByteArray, text("IN")}});
    addParams(call.output, {{"got", code::kByteArray, text("OUT!")}});
    call.record.ProcessLoggerMatchingOutput(&call.output);
    std::vector<char*> data{nullptr};
    std::vector<int> sizes{7};
    call.record.AddBufferToList("empty", IKoVeskCall::eLogDataInput, 0);
    EXPECT_TRUE(call.record.GetBuffers(data, sizes));
    EXPECT_TRUE(data.empty() && sizes.empty());

    call.record.AddBufferToList("got", IKoVeskCall::eLogDataOutput, 0);
    call.record.AddBufferToList("sent", IKoVeskCall::eLogDataInput, 1);
    ASSERT_TRUE(call.record.GetBuffers(data, sizes));
    const char *got = nullptr, *sent = nullptr;
    call.output.GetParamBuffer(0, &got, 4);
    call.input.GetParamBuffer(1, &sent, 2);
    EXPECT_EQ(data, (std::vector<char*>{const_cast<char*>(got), const_cast<char*>(sent)}));
    EXPECT_EQ(sizes, (std::vector<int>{4, 2}));
}

}  // namespace
}  // namespace call_test
