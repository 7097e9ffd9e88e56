// The property pages: which pages a call offers, their rows, the help
// buttons, the return value with its description and the buffer dump.
#include <string>

#include "call_test_support.h"

namespace call_test {
namespace {

using nKoVeskLog210::eFormatFull;
using PropertyPagesTest = CallRecordTest;
using Rows = std::vector<std::pair<std::string, std::string>>;
using Button = CVISACall::eButtonState;

template <class Page>
Rows rowsOf(const CVISACall& record, Page page) {
    std::vector<StringBase> names{"stale"}, values{"stale"};
    (record.*page)(names, values, eFormatFull);
    Rows rows;
    for (size_t k = 0; k < names.size(); ++k) rows.emplace_back(names[k].c_str(), values[k].c_str());
    return rows;
}

// The naming rules of the rows, each told apart by one case.
TEST_F(PropertyPagesTest, RowsOfBothPages) {
    struct Case {
        const char* why;
        std::vector<Param> input, output;
        Rows inputRows, outputRows;
    };
    const Case cases[] = {
        {"a listed buffer shows only on the buffer page; its pointer gets \"&\"",
         {{"buf", code::kByteArray, u64(0x1000)}, {"*buf", code::kByteArray, text("DATA")}}, {},
         {{"&buf", "0x0000000000001000"}}, {}},
        {"not listed (other type codes): the pointee keeps a row",
         {{"buf", code::kInt32Array, u64(0x1000)}, {"*buf", code::kUInt32, u32(4)}}, {},
         {{"&buf", "0x0000000000001000"}, {"*buf", "4 (0x4)"}}, {}},
        {"the same name twice",
         {{"count", code::kInt32Array, u64(0x1000)}, {"count", code::kUInt32, u32(3)}}, {},
         {{"&count", "0x0000000000001000"}, {"*count", "3 (0x3)"}}, {}},
        {"a returned value of another type code is an output row",
         {{"vi", code::kSession, u32(1)}, {"retCount", code::kInt32Array, u64(0x2000)}},
         {{"*retCount", code::kUInt32, u32(6)}},
         {{"vi", "0x00000001"}, {"&retCount", "0x0000000000002000"}}, {{"*retCount", "6 (0x6)"}}},
        {"of the same type code it is not",
         {{"vi", code::kSession, u32(1)}, {"retCount", code::kInt32Array, u64(0x2000)}},
         {{"*retCount", code::kInt32Array, u64(0x3000)}},
         {{"vi", "0x00000001"}, {"&retCount", "0x0000000000002000"}}, {}},
        {"hidden session parameters have no rows",
         {{"dummyses", code::kText, text("ASRL1::INSTR")}, {"vi", code::kSession, u32(1)}},
         {{"dummyses", code::kUInt32, u32(1)}}, {{"vi", "ASRL1::INSTR (0x00000001)"}}, {}},
        {"nameless parameters have no rows",
         {{nullptr, code::kUInt32, u32(1)}, {"", code::kUInt32, u32(2)}, {"n", code::kUInt32, u32(3)}},
         {{nullptr, code::kUInt32, u32(1)}}, {{"n", "3 (0x3)"}}, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        CapturedCall call("fn");
        call.enter(c.input);
        call.returnWith(c.output, 0);
        EXPECT_EQ(rowsOf(call.record, &CVISACall::SetPageInputParamData), c.inputRows);
        EXPECT_EQ(rowsOf(call.record, &CVISACall::SetPageOutputParamData), c.outputRows);
    }
}

// Pages are offered only with content; the title names a known function.
TEST_F(PropertyPagesTest, ShowPropertiesOffersPagesWithContent) {
    auto page = [](const char* relative) -> std::string {
        return CVeskUtility::FullVeskFilePathname(relative, CVeskUtility::eVeskFilePropertyPages).c_str();
    };
    const std::string general = page("PropPagesGeneral.pxb/General.pxv");
    const Lines all{general, page("PropPagesVisa.pxb/Visa_Input.pxv"), page("PropPagesVisa.pxb/Visa_Output.pxv"),
                    page("PropPagesVisa.pxb/Visa_Buffer.pxv")};
    CapturedCall full("viWrite"), empty("viFlush"), unidentified("unknown", -1);
    full.enter({{"buf", code::kByteArray, u64(0x1000)}, {"*buf", code::kByteArray, text("DATA")}});
    full.returnWith({}, 0);
    empty.enter({});
    empty.record.ProcessLoggerMatchingOutput(&empty.output);
    unidentified.enter({{"vi", code::kSession, u32(1)}});
    const std::tuple<CVISACall*, Lines, const char*> cases[] = {
        {&full.record, all, "Call Properties: viWrite"},
        {&empty.record, {general}, "Call Properties: viFlush"},
        {&unidentified.record, {general}, "Call Properties"}};
    for (const auto& [record, pages, title] : cases) {
        StringBase titleText;
        std::vector<StringBase> shown;
        record->ShowProperties(titleText, shown);
        EXPECT_EQ(strings(shown), pages);
        EXPECT_STREQ(titleText.c_str(), title);
    }
}

// Help buttons are offered for VISA and for APIs whose values the host names.
TEST_F(PropertyPagesTest, ButtonStatesFollowTheApiAndTheNames) {
    const std::tuple<int, bool, uint32_t, Button> cases[] = {
        {3, false, kTmoValue, CVISACall::eButtonKnownName},
        {3, false, 0x3FFF9999, CVISACall::eButtonUnknownName},
        {5, false, kTmoValue, CVISACall::eButtonNone},
        {5, true, kTmoValue, CVISACall::eButtonKnownName},
        {5, true, 0x3FFF9999, CVISACall::eButtonUnknownName}};
    for (const auto& [apiType, hostNames, attribute, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << "api " << apiType << ", host names " << hostNames << ", " << std::hex << attribute);
        resetHost();
        if (hostNames) hostNamesValues(apiType, L"TIMEOUT");
        CapturedCall call("viSetAttribute", 0x6342, apiType);
        call.enter({{"vi", code::kSession, u32(1)}, {"attribute", code::kAttribute, u32(attribute)}});
        Button attributeButton = CVISACall::eButtonKnownName, eventButton = CVISACall::eButtonKnownName;
        call.record.SetPageInputButtonData(attributeButton, eventButton);
        EXPECT_EQ(attributeButton, expected);
        EXPECT_EQ(eventButton, expected == CVISACall::eButtonNone ? expected : CVISACall::eButtonUnknownName);
    }
}

// Records the status code that the record asks a description for.
class RecordingFormat : public nKoVeskLog210::CVisaFormat {
public:
    bool LookupStatusDescriptor(EKoVeskApiType apiType, const StringBase& statusText,
                                StringBase& descriptor) const override {
        askedCodes.emplace_back(statusText.c_str());
        return CVisaFormat::LookupStatusDescriptor(apiType, statusText, descriptor);
    }
    mutable Lines askedCodes;
};

// The return value and the code its description is looked up by: API 2
// takes the function's group and the decimal status ("%04X%04X"); neither
// success nor "0x" in the text: an empty code.
TEST_F(PropertyPagesTest, ReturnValueAndItsDescription) {
    CKOVeskRegistry::SetApiValue(3, "StatusPrefix", "VISA");
    CKOVeskRegistry::SetApiValue(2, "StatusPrefix", "BUS");
    CKOVeskLocalization::SetStatusDescriptor("BUS", 0x63000007, "Bus status seven.");
    struct Case {
        int apiType, statusType;
        uint32_t status;
        const char *value, *code, *description;
    };
    const Case cases[] = {
        {3, code::kStatus, 0, "0 (VI_SUCCESS)", "00000000", "The operation completed successfully."},
        {3, code::kStatus, kTimeout, "0xBFFF0015 (VI_ERROR_TMO)", "BFFF0015",
         "The operation did not finish within the timeout period."},
        {2, code::kInt32, 7, "7 (0x7)", "63000007", "Bus status seven."},
        {5, code::kDecimal16, 5, "5", "", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        RecordingFormat formatter;
        BasicCapturedCall<RecordUsing<RecordingFormat>> call("fn", 0x6342, c.apiType, formatter);
        call.enter({{"vi", code::kSession, u32(1)}});
        call.returnWith({}, c.status, c.status == 0, c.statusType);
        StringBase value, description("stale");
        call.record.SetPageOutputRetvalData(value, description);
        EXPECT_STREQ(value.c_str(), c.value);
        EXPECT_EQ(formatter.askedCodes, Lines{c.code});
        EXPECT_STREQ(description.c_str(), c.description);
    }
}

// The buffer page dumps the chosen buffer; an empty one shows one offset
// line; a position outside the list is a caller's error: an empty heading
// and no lines.
TEST_F(PropertyPagesTest, BufferPageDumpsTheChosenBuffer) {
    CapturedCall call("fn");
    call.enter({{"empty", code::kByteArray, {}}, {"data", code::kByteArray, text("0123456789")}});
    call.record.AddBufferToList("empty", IKoVeskCall::eLogDataInput, 0);
    call.record.AddBufferToList("data", IKoVeskCall::eLogDataInput, 1);
    const std::tuple<int, const char*, Lines> cases[] = {
        {0, "untouched", {"00000000:  "}},
        {1, "Buffer contents:",
         {"00000000:  30 31 32 33 34 35 36 37  01234567", "00000008:  38 39 " + std::string(18, ' ') + " 89"}},
        {-1, "", {}}, {2, "", {}}, {1 << 30, "", {}}};
    for (const auto& [index, heading, lines] : cases) {
        StringBase shownHeading("untouched");
        std::vector<StringBase> shown{"stale", "stale"};
        call.record.SetPageBufferParamData(index, shownHeading, shown);
        EXPECT_STREQ(shownHeading.c_str(), heading) << index;
        EXPECT_EQ(strings(shown), lines) << index;
    }
}

}  // namespace
}  // namespace call_test
