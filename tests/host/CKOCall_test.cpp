// The host's base call record: the general texts of a call (columns, export
// line, XML members), and the comparison the host's lists make.
#include "host/CKOCall.h"

#include <gtest/gtest.h>

#include <tuple>

#include "host/CKOVeskMemoryLogger.h"

namespace {

class BaseCall : public ::testing::Test {
protected:
    // A viWrite that has been entered and has returned, described by the base.
    void SetUp() override {
        input.SetFunction("viWrite", 0x102, eKoVeskApiVisa);
        output.SetFunction("viWrite", 0x102, eKoVeskApiVisa);
        bool handled = true;
        call.ProcessLoggerInput(&input, handled);
        EXPECT_TRUE(handled) << "the caller's flag is left to it";
        call.ProcessLoggerMatchingOutput(&output);
        call.FormatCallDescriptionInput();
    }

    CKOVeskMemoryLogger input, output;
    CKOCall call;
};

// The status column is the plug-in's; the base leaves it and unknown ones empty.
TEST_F(BaseCall, ColumnTexts) {
    call.SetCallDesc("viWrite (1)");
    const std::pair<int, const char*> cases[] = {
        {IKoVeskCall::eColumnFunction, "viWrite"}, {IKoVeskCall::eColumnDescription, "viWrite (1)"},
        {IKoVeskCall::eColumnStatus, ""},          {IKoVeskCall::eColumnApi, "3"},
        {IKoVeskCall::eColumnThread, ""},          {99, ""},
    };
    for (const auto& [column, text] : cases) {
        EXPECT_STREQ(call.FormatColumnText(IKoVeskCall::eColumnId(column)).c_str(), text) << column;
    }
}

// Exactly one line, quoted for use 2, written only where there is room.
TEST_F(BaseCall, ExportWritesOneLine) {
    call.SetCallDesc("viWrite (1)");
    for (const auto use : {IKoVeskCall::eExportUseText, IKoVeskCall::eExportUseQuoted,
                           IKoVeskCall::eExportUseLimited}) {
        ASSERT_EQ(call.GetNumberOfLinesToExport(use), 1);
        StringBase lines[3] = {"sentinel", "sentinel", "sentinel"};
        call.FormatForOutput(lines, 2, use);
        EXPECT_STREQ(lines[0].c_str(), use == 2 ? "\"viWrite (1)\"" : "viWrite (1)") << use;
        EXPECT_STREQ(lines[1].c_str(), "sentinel");
        call.FormatForOutput(&lines[2], 0, use);
        call.FormatForOutput(nullptr, 1, use);
        EXPECT_STREQ(lines[2].c_str(), "sentinel");
    }
}

// The general members; the base knows only success (status kind 1) or
// failure (3), with value 0 and no texts.
TEST_F(BaseCall, XmlElement) {
    const CallTag element = call.BuildXmlElement();
    EXPECT_STREQ(element.functionName.c_str(), "viWrite");
    EXPECT_STREQ(element.description.c_str(), "viWrite ()");
    EXPECT_EQ(std::tuple(element.apiType, element.functionId), std::tuple(eKoVeskApiVisa, 0x102));
    EXPECT_EQ(element.statusKind, 0) << "status is set only by SetXmlCallStatus";
    for (const bool success : {true, false}) {
        output.SetSuccessStatus(success);
        CallTag status;
        status.statusValue = 42;
        status.statusName = "stale";
        call.SetXmlCallStatus(status);
        EXPECT_EQ(std::tuple(status.statusKind, status.statusValue, status.statusName.empty()),
                  std::tuple(success ? 1 : 3, 0, true));
        EXPECT_EQ(call.ErrorReturned(), !success);
    }
}

// Equality looks at the function's name, id and API type, and the description.
TEST_F(BaseCall, EqualityByFunctionAndDescription) {
    CKOCall other(call);
    other.SetCallDesc("viWrite (2)");
    EXPECT_TRUE(call != other);
    CKOVeskMemoryLogger otherInput;
    bool handled = false;
    other.ProcessLoggerInput(&otherInput, handled);
    other.SetCallDesc(call.GetDescription());
    for (const auto& [id, api, equal] : {std::tuple{0x103, 3, false}, {0x102, 5, false},
                                         {0x102, 3, true}}) {
        otherInput.SetFunction("viWrite", id, api);
        EXPECT_EQ(call == other, equal) << id << ' ' << api;
    }
}

}  // namespace
