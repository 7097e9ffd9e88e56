// The record's status text, the event or attribute it names, and help on it.
#include "call_test_support.h"
#include "ko/zel/Exception.h"

namespace call_test {
namespace {

using IdentityTest = CallRecordTest;

// A call that has not returned has no status: nothing stale or made up.
TEST_F(IdentityTest, StatusIsEmptyUntilTheCallReturns) {
    CapturedCall call("viClear");
    call.enter({{"vi", code::kSession, u32(1)}});
    EXPECT_STREQ(call.record.GetStatus(true).c_str(), "");
    EXPECT_STREQ(call.record.GetStatus(false).c_str(), "");
    call.returnWith({}, kTimeout, false);
    EXPECT_STREQ(call.record.GetStatus(true).c_str(), "0xBFFF0015");
    EXPECT_STREQ(call.record.GetStatus(false).c_str(), "0xBFFF0015 (VI_ERROR_TMO)");
}

// The XML status name is cut out of the status text by its parentheses; a
// ")" before the "(" is malformed and the string type refuses it.
TEST_F(IdentityTest, ExtractStatusNameTakesTheTextInParentheses) {
    const std::pair<const char*, const char*> cases[] = {
        {"0xBFFF0015 (VI_ERROR_TMO)", "VI_ERROR_TMO"}, {"0x3FFF0005", ""},
        {"1 (open", "open"}, {"a (b) (c)", "b"}, {"()", ""}};
    ObservableRecord record;
    for (const auto& [statusText, name] : cases)
        EXPECT_STREQ(record.ExtractStatusName(statusText).c_str(), name) << statusText;
    EXPECT_THROW(record.ExtractStatusName("x) (y"), ko::zel::exception::OutOfRange);
    EXPECT_THROW(record.ExtractStatusName(")("), ko::zel::exception::OutOfRange);
}

// The help buttons and topics rest on whether the value has a name.
TEST_F(IdentityTest, KnownAttributeAndEventNeedANamedValue) {
    const std::tuple<int, uint32_t, bool, bool> cases[] = {
        {code::kAttribute, kTmoValue, true, false},
        {code::kAttribute, 0x3FFF9999, false, false},
        {code::kEventType, kServiceRequest, false, true}};
    for (const auto& [type, value, attribute, event] : cases) {
        CapturedCall call("fn");
        call.enter({{"vi", code::kSession, u32(1)}, {"value", type, u32(value)}, {"n", code::kUInt32, u32(2)}});
        EXPECT_EQ(call.record.GetLookupParamIndex(), 1);
        EXPECT_EQ(call.record.IsKnownVisaAttribute(), attribute) << value;
        EXPECT_EQ(call.record.IsKnownVisaEvent(), event) << value;
    }
}

// Help opens at the named topic only with both a help file and a name;
// otherwise the user is told there is no help (message 43000).
TEST_F(IdentityTest, HelpOpensTheTopicOrShowsMessage43000) {
    struct Case {
        const char* helpFile;
        int valueType;
        uint32_t value;
        bool eventHelp;
        const char* topic;  // null: the message
    };
    const Case cases[] = {
        {"", code::kAttribute, kTmoValue, false, nullptr},
        {"/help/visa.hlp", code::kAttribute, kTmoValue, false, "VI_ATTR_TMO_VALUE"},
        {"/help/visa.hlp", code::kAttribute, 0x3FFF9999, false, nullptr},
        {"/help/visa.hlp", code::kAttribute, kTmoValue, true, nullptr},
        {"/help/visa.hlp", code::kEventType, kServiceRequest, true, "VI_EVENT_SERVICE_REQ"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.helpFile << " " << std::hex << c.value);
        resetHost();
        CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(3))->helpFilePath = c.helpFile;
        CapturedCall call("fn");
        call.enter({{"vi", code::kSession, u32(1)}, {"value", c.valueType, u32(c.value)}});
        if (c.eventHelp) call.record.OpenEventHelp();
        if (!c.eventHelp) call.record.OpenAttributeHelp();
        CHelpLauncher::tRequest request{};
        CVeskUtility::tMessageBox shown{};
        if (c.topic) {
            ASSERT_TRUE(CHelpLauncher::LastRequest(request));
            EXPECT_EQ(request.window, 0);
            EXPECT_EQ(request.action, 0);
            EXPECT_STREQ(request.topic.c_str(), c.topic);
            EXPECT_STREQ(request.helpFile.c_str(), c.helpFile);
            EXPECT_EQ(CVeskUtility::MessageBoxCount(), 0);
        } else {
            ASSERT_TRUE(CVeskUtility::LastMessageBox(shown));
            EXPECT_EQ(shown.textNumber, 43000);
            EXPECT_EQ(shown.buttons, 48);
            EXPECT_EQ(CHelpLauncher::RequestCount(), 0);
        }
    }
}

// The output description may move the lookup position to an output
// parameter; the name is then read there.
TEST_F(IdentityTest, OutputDescriptionMovesTheLookupPosition) {
    CapturedCall call("viWaitOnEvent");
    call.enter({{"mask", code::kUInt32, u32(0x3FFF2013)}, {"inEventType", code::kEventType, u32(kServiceRequest)},
                {"outEventType", code::kInt32Array, u64(0x1000)}});
    char name[1024];
    ASSERT_NE(call.record.GetEventName(name, sizeof name), nullptr);
    EXPECT_STREQ(name, "VI_EVENT_SERVICE_REQ");
    call.returnWith({{"*outEventType", code::kEventType, u32(0x3FFF2009)}}, 0);
    EXPECT_EQ(call.record.GetLookupParamIndex(), 0);
    ASSERT_NE(call.record.GetEventName(name, sizeof name), nullptr);
    EXPECT_STREQ(name, "VI_EVENT_GPIB_TALK");
}

}  // namespace
}  // namespace call_test
