// The property pages (rows, help buttons, return value and its description,
// buffer dump), the status, and help on the value a call names.
#include <cwchar>
#include <string>

#include "call_test_support.h"
#include "ko/zel/Exception.h"

namespace call_test {
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
    // Why, input and output parameters, input and output rows.
    const std::tuple<const char*, std::vector<Param>, std::vector<Param>, Rows, Rows> cases[] = {
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
    for (const auto& [why, input, output, inputRows, outputRows] : cases) {
        SCOPED_TRACE(why);
        CapturedCall call("fn");
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
        CapturedCall call("viSetAttribute", apiType);
        call.enter({{"vi", code::kSession, u32(1)}, {"attribute", code::kAttribute, u32(attribute)}});
        Button attributeButton = CVISACall::eButtonKnownName, eventButton = CVISACall::eButtonKnownName;
        call.record.SetPageInputButtonData(attributeButton, eventButton);
        EXPECT_EQ(attributeButton, expected);
        EXPECT_EQ(eventButton, expected == CVISACall::eButtonNone ? expected : CVISACall::eButtonUnknownName);
    }
}

// The status (none before the call returns, brief or full) and the return
// value with its description, looked up by code: API 2 takes the function's
// group and the decimal status ("%04X%04X"); neither success nor "0x" in the
// text: no code, no description.
TEST_F(PagesTest, StatusReturnValueAndDescription) {
    nKoVeskHost::SetApiValue(3, "StatusPrefix", "VISA");
    nKoVeskHost::SetApiValue(2, "StatusPrefix", "BUS");
    nKoVeskHost::SetStatusDescriptor("BUS", 0x63000007, "Bus status seven.");
    const std::tuple<int, int, uint32_t, const char*, const char*, const char*> cases[] = {
        {3, code::kStatus, 0, "0", "0 (VI_SUCCESS)", "The operation completed successfully."},
        {3, code::kStatus, kTimeout, "0xBFFF0015", "0xBFFF0015 (VI_ERROR_TMO)",
         "The operation did not finish within the timeout period."},
        {2, code::kInt32, 7, "7", "7 (0x7)", "Bus status seven."},
        {5, code::kDecimal16, 5, "5", "5", ""}};
    for (const auto& [apiType, statusType, status, brief, shown, described] : cases) {
        CapturedCall call("fn", apiType);
        call.enter({{"vi", code::kSession, u32(1)}});
        EXPECT_STREQ(call.record.GetStatus(true).c_str(), "");
        EXPECT_STREQ(call.record.GetStatus(false).c_str(), "");
        call.returnWith({}, status, status == 0, statusType);
        EXPECT_STREQ(call.record.GetStatus(true).c_str(), brief);
        EXPECT_STREQ(call.record.GetStatus(false).c_str(), shown);
        StringBase value, description("stale");
        call.record.SetPageOutputRetvalData(value, description);
        EXPECT_STREQ(value.c_str(), shown);
        EXPECT_STREQ(description.c_str(), described) << shown;
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
    CapturedCall full("viWrite"), empty("viFlush"), unidentified("unknown");
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
    CapturedCall call("fn");
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

// --- the status name, and help on the attribute or event a call names ----

// The XML status name is cut out of the status text by its parentheses; a
// ")" before the "(" is malformed and the string type refuses it.
TEST_F(PagesTest, ExtractStatusNameTakesTheTextInParentheses) {
    const std::pair<const char*, const char*> cases[] = {{"0xBFFF0015 (VI_ERROR_TMO)", "VI_ERROR_TMO"},
        {"0x3FFF0005", ""}, {"1 (open", "open"}, {"a (b) (c)", "b"}, {"()", ""}};
    ObservableRecord record;
    for (const auto& [statusText, name] : cases) {
        EXPECT_STREQ(record.ExtractStatusName(statusText).c_str(), name) << statusText;
    }
    EXPECT_THROW(record.ExtractStatusName("x) (y"), ko::zel::exception::OutOfRange);
}

// Help opens at the named topic only with both a help file and a name;
// otherwise the user is told there is no help (message 43000, buttons 48).
TEST_F(PagesTest, HelpOpensTheTopicOrShowsMessage43000) {
    const auto attributeHelp = &CVISACall::OpenAttributeHelp, eventHelp = &CVISACall::OpenEventHelp;
    const std::tuple<const char*, int, uint32_t, decltype(attributeHelp), const char*> cases[] = {
        {"", code::kAttribute, kTmoValue, attributeHelp, nullptr},
        {"/help/visa.hlp", code::kAttribute, kTmoValue, attributeHelp, "VI_ATTR_TMO_VALUE"},
        {"/help/visa.hlp", code::kAttribute, 0x3FFF9999, attributeHelp, nullptr},
        {"/help/visa.hlp", code::kAttribute, kTmoValue, eventHelp, nullptr},
        {"/help/visa.hlp", code::kEventType, kServiceRequest, eventHelp, "VI_EVENT_SERVICE_REQ"}};
    for (const auto& [helpFile, valueType, value, openHelp, topic] : cases) {
        SCOPED_TRACE(::testing::Message() << helpFile << " " << value << (openHelp == eventHelp ? " event" : ""));
        resetHost();
        CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(3))->helpFilePath = helpFile;
        CapturedCall call("fn");
        call.enter({{"vi", code::kSession, u32(1)}, {"value", valueType, u32(value)}});
        (call.record.*openHelp)();
        nKoVeskHost::tHelpRequest request{};
        nKoVeskHost::tMessageBox shown{};
        EXPECT_EQ(nKoVeskHost::LastHelpRequest(request), topic != nullptr);
        EXPECT_EQ(nKoVeskHost::LastMessageBox(shown), topic == nullptr);
        if (topic) {
            EXPECT_EQ(std::tie(request.window, request.action), std::make_tuple(0, 0));
            EXPECT_STREQ(request.topic.c_str(), topic);
            EXPECT_STREQ(request.helpFile.c_str(), helpFile);
        } else {
            EXPECT_EQ(std::tie(shown.textNumber, shown.buttons), std::make_tuple(43000, 48));
        }
    }
}

}  // namespace
}  // namespace call_test
