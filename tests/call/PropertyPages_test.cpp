// The property pages: which pages a call offers, their rows, the help
// buttons, the status and return value with its description, and the
// buffer dump.
#include <cwchar>
#include <string>

#include "CallTestSupport.h"

namespace kovesk_test {
namespace {

using PagesTest = CallRecordTest;
using Button = CVISACall::eButtonState;

template <class Page>
Rows rowsOf(const CVISACall& record, Page page) {
    std::vector<StringBase> names{"stale"}, values{"stale"};
    (record.*page)(names, values, nKoVeskLog210::eFormatFull);
    Rows rows;
    for (size_t k = 0; k < names.size(); ++k) rows.emplace_back(names[k].c_str(), values[k].c_str());
    return rows;
}

// The naming rules of the rows, each told apart by one case.
TEST_F(PagesTest, RowsOfBothPages) {
    struct {
        const char* why;
        std::vector<Param> input{}, output{};
        Rows inputRows{}, outputRows{};
    } const cases[] = {
        {.why = "a listed buffer shows only on the buffer page; its pointer gets \"&\"",
         .input = {{"buf", code::kByteArray, u64(0x1000)}, {"*buf", code::kByteArray, text("DATA")}},
         .inputRows = {{"&buf", "0x0000000000001000"}}},
        {.why = "not listed (other type codes): the pointee keeps a row",
         .input = {{"buf", code::kInt32Array, u64(0x1000)}, {"*buf", code::kUInt32, u32(4)}},
         .inputRows = {{"&buf", "0x0000000000001000"}, {"*buf", "4 (0x4)"}}},
        {.why = "the same name twice",
         .input = {{"count", code::kInt32Array, u64(0x1000)}, {"count", code::kUInt32, u32(3)}},
         .inputRows = {{"&count", "0x0000000000001000"}, {"*count", "3 (0x3)"}}},
        {.why = "a returned value of another type code is an output row",
         .input = {{"vi", code::kSession, u32(1)}, {"retCount", code::kInt32Array, u64(0x2000)}},
         .output = {{"*retCount", code::kUInt32, u32(6)}},
         .inputRows = {{"vi", "0x00000001"}, {"&retCount", "0x0000000000002000"}},
         .outputRows = {{"*retCount", "6 (0x6)"}}},
        {.why = "of the same type code it is not",
         .input = {{"vi", code::kSession, u32(1)}, {"retCount", code::kInt32Array, u64(0x2000)}},
         .output = {{"*retCount", code::kInt32Array, u64(0x3000)}},
         .inputRows = {{"vi", "0x00000001"}, {"&retCount", "0x0000000000002000"}}},
        {.why = "hidden session parameters have no rows",
         .input = {{"dummyses", code::kText, text("ASRL1::INSTR")}, {"vi", code::kSession, u32(1)}},
         .output = {{"dummyses", code::kUInt32, u32(1)}},
         .inputRows = {{"vi", "ASRL1::INSTR (0x00000001)"}}},
        {.why = "nameless parameters have no rows",
         .input = {{nullptr, code::kUInt32, u32(1)}, {"", code::kUInt32, u32(2)}, {"n", code::kUInt32, u32(3)}},
         .output = {{nullptr, code::kUInt32, u32(1)}},
         .inputRows = {{"n", "3 (0x3)"}}}};
    for (const auto& [why, input, output, inputRows, outputRows] : cases) {
        SCOPED_TRACE(why);
        LoggedCall call("fn");
        call.enter(input);
        call.returnWith(output, 0);
        EXPECT_EQ(rowsOf(call.record, &CVISACall::SetPageInputParamData), inputRows);
        EXPECT_EQ(rowsOf(call.record, &CVISACall::SetPageOutputParamData), outputRows);
    }
}

// Help buttons are offered for VISA and for APIs whose values the host names.
TEST_F(PagesTest, ButtonStatesFollowTheApiAndTheNames) {
    const std::tuple<int, bool, uint32_t, Button> cases[] = {
        {3, false, kTmoValue, CVISACall::eButtonKnownName}, {3, false, 0x3FFF9999, CVISACall::eButtonUnknownName},
        {5, false, kTmoValue, CVISACall::eButtonNone},      {5, true, kTmoValue, CVISACall::eButtonKnownName},
        {5, true, 0x3FFF9999, CVISACall::eButtonUnknownName}};
    for (const auto& [apiType, hostNames, attribute, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << "api " << apiType << ", host names " << hostNames << ", " << attribute);
        resetHost();
        CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(apiType));
        info->hasValueNames = hostNames;
        // The host names kTmoValue "TIMEOUT", nothing else.
        info->valueNameCallback = [](const IKoVeskLogger* logger, int index, eKoVeskLocale, bool, uint32_t capacity,
                                     wchar_t* buffer) {
            uint32_t value = 0;
            logger->GetParamUInt32(index, &value);
            return value == kTmoValue && capacity >= 8 && std::wmemcpy(buffer, L"TIMEOUT", 8) != nullptr;
        };
        LoggedCall call("viSetAttribute", apiType);
        call.enter({{"vi", code::kSession, u32(1)}, {"attribute", code::kAttribute, u32(attribute)}});
        Button attributeButton = CVISACall::eButtonKnownName, eventButton = CVISACall::eButtonKnownName;
        call.record.SetPageInputButtonData(attributeButton, eventButton);
        EXPECT_EQ(attributeButton, expected);
        EXPECT_EQ(eventButton, expected == CVISACall::eButtonNone ? expected : CVISACall::eButtonUnknownName);
    }
}

// The status wherever it shows: none before the call returns; brief in the
// status column, full on the return value row with its description, looked
// up by code (API 2 takes the function's group and the decimal status,
// "%04X%04X"; neither success nor "0x" in the text: no code, no
// description); in the XML its kind by success, the value signed and the
// name out of the status text.
TEST_F(PagesTest, StatusInEveryPlace) {
    nKoVeskHost::SetApiValue(3, "StatusPrefix", "VISA");
    nKoVeskHost::SetApiValue(2, "StatusPrefix", "BUS");
    nKoVeskHost::SetStatusDescriptor("BUS", 0x63000007, "Bus status seven.");
    struct {
        int apiType, statusType;
        uint32_t status;
        const char* brief;      // GetStatus(true), the status column
        const char* shown;      // GetStatus(false) and the return value
        const char* described;  // the host's description
        const char* xmlName;
    } const cases[] = {
        {.apiType = 3, .statusType = code::kStatus, .status = 0, .brief = "0", .shown = "0 (VI_SUCCESS)",
         .described = "The operation completed successfully.", .xmlName = "VI_SUCCESS"},
        {.apiType = 3, .statusType = code::kStatus, .status = kTimeout, .brief = "0xBFFF0015",
         .shown = "0xBFFF0015 (VI_ERROR_TMO)", .described = "The operation did not finish within the timeout period.",
         .xmlName = "VI_ERROR_TMO"},
        {.apiType = 2, .statusType = code::kInt32, .status = 7, .brief = "7", .shown = "7 (0x7)",
         .described = "Bus status seven.", .xmlName = "0x7"},
        {.apiType = 5, .statusType = code::kDecimal16, .status = 5, .brief = "5", .shown = "5", .described = "",
         .xmlName = ""}};
    for (const auto& [apiType, statusType, status, brief, shown, described, xmlName] : cases) {
        SCOPED_TRACE(shown);
        LoggedCall call("fn", apiType);
        call.enter({{"vi", code::kSession, u32(1)}});
        EXPECT_STREQ(call.record.GetStatus(false).c_str(), "");
        EXPECT_STREQ(call.record.FormatColumnText(IKoVeskCall::eColumnStatus).c_str(), "");
        EXPECT_STREQ(call.record.FormatColumnText(IKoVeskCall::eColumnFunction).c_str(), "fn");  // the base's
        call.returnWith({}, status, status == 0, statusType);
        EXPECT_STREQ(call.record.GetStatus(true).c_str(), brief);
        EXPECT_STREQ(call.record.FormatColumnText(IKoVeskCall::eColumnStatus).c_str(), brief);
        EXPECT_STREQ(call.record.GetStatus(false).c_str(), shown);
        StringBase value, description("stale");
        call.record.SetPageOutputRetvalData(value, description);
        EXPECT_STREQ(value.c_str(), shown);
        EXPECT_STREQ(description.c_str(), described);
        CallTag element;
        call.record.SetXmlCallStatus(element);
        EXPECT_EQ(std::tuple(element.statusKind, element.statusValue),
                  std::tuple(status == 0 ? 1 : 3, static_cast<int32_t>(status)));
        EXPECT_STREQ(element.statusName.c_str(), xmlName);
        EXPECT_STREQ(element.statusDescription.c_str(), described);
    }
}

// Pages are offered only with content; the title names a known function.
TEST_F(PagesTest, ShowPropertiesOffersPagesWithContent) {
    auto page = [](const char* relative) -> std::string {
        return CVeskUtility::FullVeskFilePathname(relative, CVeskUtility::eVeskFilePropertyPages).c_str();
    };
    const std::string general = page("PropPagesGeneral.pxb/General.pxv");
    const Lines all{general, page("PropPagesVisa.pxb/Visa_Input.pxv"), page("PropPagesVisa.pxb/Visa_Output.pxv"),
                    page("PropPagesVisa.pxb/Visa_Buffer.pxv")};
    LoggedCall full("viWrite"), empty("viFlush"), unidentified("unknown");
    unidentified.input.SetFunction("unknown", -1, nKoVeskLog210::kVisaApiType);
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

// The buffer page dumps the chosen buffer (8 bytes a line); a position
// outside the list: an empty heading and no lines.
TEST_F(PagesTest, BufferPageDumpsTheChosenBuffer) {
    LoggedCall call("fn");
    call.enterWithBuffer(code::kByteArray, text("0123456789"));
    const std::tuple<int, const char*, Lines> cases[] = {
        {0, "Buffer contents:",
         {"00000000:  30 31 32 33 34 35 36 37  01234567", "00000008:  38 39 " + std::string(18, ' ') + " 89"}},
        {-1, "", {}},
        {1, "", {}}};
    for (const auto& [index, heading, lines] : cases) {
        StringBase shownHeading("untouched");
        std::vector<StringBase> shown{"stale", "stale"};
        call.record.SetPageBufferParamData(index, shownHeading, shown);
        EXPECT_STREQ(shownHeading.c_str(), heading) << index;
        EXPECT_EQ(strings(shown), lines) << index;
    }
}

}  // namespace
}  // namespace kovesk_test
