// The buffer list: the name-pairing rule, lookups by name, and the bytes
// handed to the host.
#include "CallTestSupport.h"

namespace kovesk_test {
namespace {

using BufferListTest = CallRecordTest;

// The pairing rule decides what the description shows as a buffer; it is
// exact and one-directional ("*" only on the later name).
TEST_F(BufferListTest, MatchingNamesPairAParameterWithItsPointee) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"buf", "buf", true},    {"buf", "*buf", true},    {"*buf", "buf", false},
        {"buf", "*BUF", false},  {"buf", "**buf", false},  {nullptr, "buf", false},
        {"buf", nullptr, false}, {nullptr, nullptr, false}};
    ObservableRecord record;
    for (const auto& [first, second, pairs] : cases) {
        EXPECT_EQ(record.IsMatchingBufferName(first, second), pairs)
            << (first ? first : "(null)") << " / " << (second ? second : "(null)");
    }
}

// The pages look listed buffers up by name without regard to letter case.
TEST_F(BufferListTest, ListLookupIgnoresLetterCase) {
    ObservableRecord record;
    EXPECT_FALSE(record.IsBufferInList("buf"));
    record.AddBufferToList("*Buf", IKoVeskCall::eLogDataInput, 2);
    EXPECT_TRUE(record.IsBufferInList("*BUF"));
    EXPECT_FALSE(record.IsBufferInList("buf"));
    EXPECT_FALSE(record.IsBufferInList("*Bu"));
}

// The host copies the bytes of every listed buffer that has any, from the
// logger the entry names; only a record without buffers answers false.
TEST_F(BufferListTest, GetBuffersHandsOutTheLoggersBytes) {
    LoggedCall call("viRead");
    call.ingestInput({{"empty", code::kByteArray, {}}, {"sent", code::kByteArray, text("IN")}});
    LoggedCall::add(call.output, {{"got", code::kByteArray, text("OUT!")}});
    call.record.ProcessLoggerMatchingOutput(&call.output);
    std::vector<char*> data;
    std::vector<int> sizes;
    EXPECT_FALSE(call.record.GetBuffers(data, sizes));

    call.record.AddBufferToList("empty", IKoVeskCall::eLogDataInput, 0);
    call.record.AddBufferToList("got", IKoVeskCall::eLogDataOutput, 0);
    call.record.AddBufferToList("sent", IKoVeskCall::eLogDataInput, 1);
    ASSERT_TRUE(call.record.GetBuffers(data, sizes));
    const char* got = nullptr;
    const char* sent = nullptr;
    call.output.GetParamBuffer(0, &got, 4);
    call.input.GetParamBuffer(1, &sent, 2);
    EXPECT_EQ(data, (std::vector<char*>{const_cast<char*>(got), const_cast<char*>(sent)}));
    EXPECT_EQ(sizes, (std::vector<int>{4, 2}));
}

}  // namespace
}  // namespace kovesk_test
