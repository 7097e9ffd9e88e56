// The XML call element: what a capture reader sees of a call (its status:
// PropertyPages_test.cpp, with the status elsewhere).
#include <string>
#include <tuple>

#include "CallTestSupport.h"

namespace kovesk_test {
namespace {

using XmlElementTest = CallRecordTest;

Rows rowsOf(const std::vector<CallTag::CallParameter>& parameters) {
    Rows rows;
    for (const auto& p : parameters) rows.emplace_back(p.name.c_str(), p.value.c_str());
    return rows;
}

// The parameters are the rows of the property pages, strings unquoted.
TEST_F(XmlElementTest, ParametersAreThePageRowsUnquoted) {
    LoggedCall call("viOpen");
    call.enter({{"name", code::kText, text("GPIB0::1::INSTR")}, {"count", code::kInt32Array, u64(0x1000)}});
    call.returnWith({{"*count", code::kUInt32, u32(3)}}, 0);
    const CallTag element = call.record.BuildXmlElement();
    EXPECT_EQ(rowsOf(element.inputParameters), (Rows{{"name", "GPIB0::1::INSTR"}, {"&count", "0x0000000000001000"}}));
    EXPECT_EQ(rowsOf(element.outputParameters), (Rows{{"*count", "3 (0x3)"}}));
}

// Every listed buffer carries its captured bytes; fullSize is -1 for a whole
// value, else the logger's full size.
TEST_F(XmlElementTest, BuffersCarryTheirCapturedAndFullSizes) {
    const std::tuple<const char*, size_t, int, int> cases[] = {
        {"whole", 20, 20, -1}, {"partial", 64, 1000, 1000}, {"empty", 0, 0, -1}, {"unrecorded", 20, 0, 0}};
    LoggedCall call("fn");
    for (const auto& [name, captured, fullSize, expected] : cases) {
        const int index = call.input.AddParam(name, code::kByteArray);
        if (captured) call.input.SetParamBytes(index, countingBytes(captured).data(), captured);
        call.input.SetParamFullSize(index, fullSize);
        call.record.AddBufferToList(name, IKoVeskCall::eLogDataInput, index);
    }
    call.ingestInput({});
    const CallTag element = call.record.BuildXmlElement();
    std::vector<std::tuple<std::string, int, int, const char*>> buffers, expected;
    for (const CallTag::CallBuffer& b : element.inputBuffers) {
        buffers.emplace_back(b.name.c_str(), b.size, b.fullSize, b.data);
    }
    for (const auto& [name, captured, fullSize, expectedFullSize] : cases) {
        const char* bytes = nullptr;
        call.input.GetParamBuffer(static_cast<int>(expected.size()), &bytes, static_cast<int>(captured));
        expected.emplace_back(name, static_cast<int>(captured), expectedFullSize, captured ? bytes : nullptr);
    }
    EXPECT_EQ(buffers, expected);
}

}  // namespace
}  // namespace kovesk_test
