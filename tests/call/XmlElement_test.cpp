// The XML call element: the page rows unquoted, every buffer, the status.
#include "call_test_support.h"

namespace call_test {
namespace {

using XmlElementTest = CallRecordTest;
using Rows = std::vector<std::pair<std::string, std::string>>;

Rows rowsOf(const std::vector<CallTag::CallParameter>& parameters) {
    Rows rows;
    for (const auto& p : parameters) rows.emplace_back(p.name.c_str(), p.value.c_str());
    return rows;
}

Rows rowsOf(const std::vector<StringBase>& names, const std::vector<StringBase>& values) {
    Rows rows;
    for (size_t k = 0; k < names.size() && k < values.size(); ++k) rows.emplace_back(names[k].c_str(), values[k].c_str());
    return rows;
}

// A capture reader sees the rows of the property pages, strings unquoted.
TEST_F(XmlElementTest, ParametersAreThePageRowsUnquoted) {
    CapturedCall call("viOpen");
    call.enter({{"name", code::kText, text("GPIB0::1::INSTR")}, {"count", code::kInt32Array, u64(0x1000)}});
    call.returnWith({{"*count", code::kUInt32, u32(3)}}, 0);
    const CallTag element = call.record.BuildXmlElement();
    std::vector<StringBase> names, values;
    call.record.SetPageInputParamData(names, values, nKoVeskLog210::eFormatUnquoted);
    EXPECT_EQ(rowsOf(element.inputParameters), rowsOf(names, values));
    EXPECT_EQ(rowsOf(element.inputParameters), (Rows{{"name", "GPIB0::1::INSTR"}, {"&count", "0x0000000000001000"}}));
    call.record.SetPageInputParamData(names, values, nKoVeskLog210::eFormatFull);
    EXPECT_STREQ(values.at(0).c_str(), "\"GPIB0::1::INSTR\"");
    call.record.SetPageOutputParamData(names, values, nKoVeskLog210::eFormatUnquoted);
    EXPECT_EQ(rowsOf(element.outputParameters), rowsOf(names, values));
    EXPECT_EQ(rowsOf(element.outputParameters), (Rows{{"*count", "3 (0x3)"}}));
}

// Values of 1023 characters (a host name behind the value, a long session
// name) reach rows and XML cut inside the name, the parenthesis kept.
TEST_F(XmlElementTest, LongestValuesInRowsAndXml) {
    hostNamesValues(3, std::wstring(1023, L'n'));
    CapturedCall call("f");
    call.enter({{"attribute", code::kAttribute, u32(kTmoValue)},
                {"dummysesvi", code::kText, text(std::string(3000, 's'))}, {"vi", code::kSession, u32(0x10)}});
    call.returnWith({}, 0);
    const Lines expected{"0x3FFF001A (" + std::string(1010, 'n') + ")", std::string(1010, 's') + " (0x00000010)"};
    std::vector<StringBase> names, values;
    call.record.SetPageInputParamData(names, values, nKoVeskLog210::eFormatFull);
    EXPECT_EQ(strings(values), expected);
    Lines xml;
    for (const auto& p : call.record.BuildXmlElement().inputParameters) xml.emplace_back(p.value.c_str());
    EXPECT_EQ(xml, expected);
}

// Every buffer carries all its captured bytes; fullSize is -1 for a whole
// value, else the logger's full size.
TEST_F(XmlElementTest, BuffersCarryTheirCapturedAndFullSizes) {
    struct Case {
        const char* name;
        size_t captured;
        int fullSize, expectedFullSize;
    };
    const Case cases[] = {{"whole", 20, 20, -1}, {"partial", 64, 1000, 1000}, {"empty", 0, 0, -1},
                          {"unrecorded", 20, 0, 0}};
    CapturedCall call("fn");
    for (const Case& c : cases) {
        const int index = call.input.AddParam(c.name, code::kByteArray);
        if (c.captured) call.input.SetParamBytes(index, countingBytes(c.captured).data(), c.captured);
        call.input.SetParamFullSize(index, c.fullSize);
        call.record.AddBufferToList(c.name, IKoVeskCall::eLogDataInput, index);
    }
    addParams(call.output, {{"got", code::kByteArray, text("OUT")}});
    call.record.AddBufferToList("got", IKoVeskCall::eLogDataOutput, 0);
    call.ingestInput({});
    call.record.ProcessLoggerMatchingOutput(&call.output);

    const CallTag element = call.record.BuildXmlElement();
    ASSERT_EQ(element.inputBuffers.size(), 4u);
    for (size_t k = 0; k < 4; ++k) {
        const CallTag::CallBuffer& buffer = element.inputBuffers[k];
        SCOPED_TRACE(cases[k].name);
        EXPECT_STREQ(buffer.name.c_str(), cases[k].name);
        EXPECT_EQ(buffer.size, static_cast<int>(cases[k].captured));
        EXPECT_EQ(buffer.fullSize, cases[k].expectedFullSize);
        if (cases[k].captured) {
            const char* bytes = nullptr;
            call.input.GetParamBuffer(static_cast<int>(k), &bytes, buffer.size);
            EXPECT_EQ(buffer.data, bytes);
        }
    }
    ASSERT_EQ(element.outputBuffers.size(), 1u);
    EXPECT_STREQ(element.outputBuffers[0].name.c_str(), "got");
    EXPECT_EQ(element.outputBuffers[0].size, 3);
}

// The status: kind by success, the value signed, the name out of the status
// text, and the host's description.
TEST_F(XmlElementTest, StatusOfSuccessAndTimeout) {
    CKOVeskRegistry::SetApiValue(3, "StatusPrefix", "VISA");
    const std::tuple<uint32_t, int32_t, int32_t, const char*, const char*> cases[] = {
        {0, 1, 0, "VI_SUCCESS", "The operation completed successfully."},
        {kTimeout, 3, -1073807339, "VI_ERROR_TMO", "The operation did not finish within the timeout period."}};
    for (const auto& [status, kind, value, name, description] : cases) {
        SCOPED_TRACE(name);
        CapturedCall call("viRead");
        call.enter({{"vi", code::kSession, u32(1)}});
        call.returnWith({}, status, status == 0);
        CallTag element;
        call.record.SetXmlCallStatus(element);
        EXPECT_EQ(element.statusKind, kind);
        EXPECT_EQ(element.statusValue, value);
        EXPECT_STREQ(element.statusName.c_str(), name);
        EXPECT_STREQ(element.statusDescription.c_str(), description);
    }
}

}  // namespace
}  // namespace call_test
