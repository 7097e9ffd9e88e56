// The record itself: the nesting depth its ingestion keeps, and its copies.
#include <memory>

#include "CallTestSupport.h"

namespace kovesk_test {
namespace {

using RecordTest = CallRecordTest;

// The host indents nested calls by the thread's depth; a level opened on
// input and not closed on output skews every later call.
TEST_F(RecordTest, IngestionKeepsTheThreadDepthInStep) {
    struct {
        int apiType, functionId;
        int before, afterInput, afterOutput;
    } const cases[] = {
        // One level: API 2, 3 or 27 with 0x63 in bits 8 to 15; two otherwise.
        {.apiType = 27, .functionId = 0x6301, .before = 0, .afterInput = 1, .afterOutput = 0},
        {.apiType = 3, .functionId = 0x6342, .before = 0, .afterInput = 1, .afterOutput = 0},
        {.apiType = 2, .functionId = 0x1263FF, .before = 0, .afterInput = 1, .afterOutput = 0},
        {.apiType = 3, .functionId = 0x0063, .before = 0, .afterInput = 2, .afterOutput = 0},
        {.apiType = 5, .functionId = 0x6300, .before = 0, .afterInput = 2, .afterOutput = 0},
        // API 2, 0x104 closes two levels before its input opens its own,
        // never below 0; 0x102 opens two after its output.
        {.apiType = 2, .functionId = 0x104, .before = 3, .afterInput = 3, .afterOutput = 1},
        {.apiType = 2, .functionId = 0x104, .before = 0, .afterInput = 2, .afterOutput = 0},
        {.apiType = 2, .functionId = 0x102, .before = 3, .afterInput = 5, .afterOutput = 5}};
    for (const auto& c : cases) {
        for (const bool matching : {true, false}) {
            SCOPED_TRACE(::testing::Message() << c.apiType << " " << std::hex << c.functionId << " " << matching);
            LoggedCall call("fn", c.apiType);
            call.input.SetFunction("fn", c.functionId, c.apiType);
            call.output.SetFunction("fn", c.functionId, c.apiType);
            CProcThreadInfo thread;
            thread.IncrementIndent(c.before);
            call.record.InitProcThreadInfo(&thread);
            bool handled = false;
            call.record.ProcessLoggerInput(&call.input, handled);
            EXPECT_EQ(thread.GetIndent(), c.afterInput);
            if (matching) {
                call.record.ProcessLoggerMatchingOutput(&call.output);
            } else {
                call.record.ProcessLoggerNonMatchingOutput(&call.output, handled);
            }
            EXPECT_EQ(thread.GetIndent(), c.afterOutput);
        }
    }
}

// A clone is the host's to keep: the same description and buffers, in a
// list of its own that the original's later entries do not reach.
TEST_F(RecordTest, CloneHasTheBuffersInAListOfItsOwn) {
    LoggedCall call("viWrite");
    const auto bufferNames = [](const IKoVeskCall& record) {
        std::vector<StringBase> names;
        dynamic_cast<const CVISACall&>(record).SetPageBufferBufferData(names);
        return strings(names);
    };
    const std::unique_ptr<IKoVeskCall> withoutList(call.record.Clone());
    call.enter({{"buf", code::kByteArray, u64(0x1000)}, {"*buf", code::kByteArray, text("DATA")}});
    const std::unique_ptr<IKoVeskCall> clone(call.record.Clone());
    call.record.AddBufferToList("later", IKoVeskCall::eLogDataInput, 0);
    EXPECT_EQ(clone->GetDescription(), call.record.GetDescription());
    EXPECT_EQ(bufferNames(*clone), Lines{"*buf"});
    EXPECT_EQ(bufferNames(*withoutList), Lines{});
}

}  // namespace
}  // namespace kovesk_test
