// The buffer list: the name-pairing rule, lookups by name, and the bytes
// handed to the host.
#include "call_test_support.h"

namespace call_test {
namespace {

using BufferListTest = CallRecordTest;

// The pairing rule decides what the description shows as a buffer; it is
// exact and one-directional ("*" only on the later name).
TEST_F(BufferListTest, MatchingNamesPairAParameterWithItsPointee) {
    struct Case {
        const char* first;
        const char* second;
        bool pairs;
    };
    const Case cases[] = {
        {"buf", "buf", true},     {"buf", "*buf", true},    {"*buf", "buf", false},
        {"buf", "*BUF", false},   {"buf", "BUF", false},    {"buf", "**buf", false},
        {nullptr, "buf", false},  {"buf", nullptr, false},  {nullptr, nullptr, false},
    };
    ObservableRecord record;
    for (const Case& c : cases) {
        EXPECT_EQ(record.IsMatchingBufferName(c.first, c.second), c.pairs)
            << (c.first ? c.first : "(null)") << " / " << (c.second ? c.second : "(null)");
    }
}

// The property pages look listed buffers up by name without regard to case.
TEST_F(BufferListTest, ListLookupIgnoresLetterCase) {
    ObservableRecord record;
    EXPECT_FALSE(record.IsBufferInList("buf"));
    record.AddBufferToList("*Buf", IKoVeskCall::eLogDataInput, 2);
    EXPECT_TRUE(record.IsBufferInList("*buf"));
    EXPECT_TRUE(record.IsBufferInList("*BUF"));
    EXPECT_FALSE(record.IsBufferInList("buf"));
    EXPECT_FALSE(record.IsBufferInList("*Bu"));
}

// Callers that must avoid duplicates ask first; the list itself keeps both.
TEST_F(BufferListTest, AddingTheSameNameTwiceKeepsTwoEntries) {
    ObservableRecord record;
    record.AddBufferToList("buf", IKoVeskCall::eLogDataOutput, 1);
    record.AddBufferToList("buf", IKoVeskCall::eLogDataOutput, 1);
    EXPECT_EQ(record.GetBufferListSize(), 2u);
    std::vector<StringBase> names;
    record.SetPageBufferBufferData(names);
    EXPECT_EQ(strings(names), (std::vector<std::string>{"buf", "buf"}));
}

// The host copies the bytes of every buffer that has any, from the logger
// the entry names; entries without captured bytes are passed over, and
// only a record without buffers answers false.
TEST_F(BufferListTest, GetBuffersHandsOutTheLoggersBytes) {
    CapturedCall call("viRead");
    addParams(call.input, {{"empty", code::kByteArray, {}}, {"sent", code::kByteArray, text("IN")}});
    addParams(call.output, {{"got", code::kByteArray, text("OUT!")}});
    bool handled = false;
    call.record.ProcessLoggerInput(&call.input, handled);
    call.record.ProcessLoggerMatchingOutput(&call.output);
    std::vector<char*> data{nullptr};
    std::vector<int> sizes{7};

    call.record.AddBufferToList("empty", IKoVeskCall::eLogDataInput, 0);
    EXPECT_TRUE(call.record.GetBuffers(data, sizes));
    EXPECT_TRUE(data.empty());
    EXPECT_TRUE(sizes.empty());

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
}  // namespace call_test
