// The record's identity: the status name in its status text, and help on
// the attribute or event a call names.
#include <tuple>

#include "CallTestSupport.h"
#include "ko/zel/Exception.h"

namespace kovesk_test {
namespace {

using IdentityTest = CallRecordTest;

// The XML status name is cut out of the status text by its parentheses; a
// ")" before the "(" is malformed and the string type refuses it.
TEST_F(IdentityTest, ExtractStatusNameTakesTheTextInParentheses) {
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
TEST_F(IdentityTest, HelpOpensTheTopicOrShowsMessage43000) {
    const auto attributeHelp = &CVISACall::OpenAttributeHelp, eventHelp = &CVISACall::OpenEventHelp;
    struct {
        const char* helpFile;
        int valueType;
        uint32_t value;
        decltype(attributeHelp) openHelp;
        const char* topic;  // null: message 43000
    } const cases[] = {
        {.helpFile = "", .valueType = code::kAttribute, .value = kTmoValue, .openHelp = attributeHelp,
         .topic = nullptr},
        {.helpFile = "/help/visa.hlp", .valueType = code::kAttribute, .value = kTmoValue,
         .openHelp = attributeHelp, .topic = "VI_ATTR_TMO_VALUE"},
        {.helpFile = "/help/visa.hlp", .valueType = code::kAttribute, .value = 0x3FFF9999,
         .openHelp = attributeHelp, .topic = nullptr},
        {.helpFile = "/help/visa.hlp", .valueType = code::kAttribute, .value = kTmoValue, .openHelp = eventHelp,
         .topic = nullptr},
        {.helpFile = "/help/visa.hlp", .valueType = code::kEventType, .value = kServiceRequest,
         .openHelp = eventHelp, .topic = "VI_EVENT_SERVICE_REQ"}};
    for (const auto& [helpFile, valueType, value, openHelp, topic] : cases) {
        SCOPED_TRACE(::testing::Message() << helpFile << " " << value << (openHelp == eventHelp ? " event" : ""));
        resetHost();
        CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(3))->helpFilePath = helpFile;
        LoggedCall call("fn");
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
}  // namespace kovesk_test
