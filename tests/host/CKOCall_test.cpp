// The host's base call record: ingestion, the general texts of a call
// (columns, export line, XML members, property window) and copying.
#include "host/CKOCall.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/CKOVeskMemoryLogger.h"
#include "host/VeskServices.h"

namespace {

class BaseCall : public ::testing::Test {
protected:
    void SetUp() override {
        input.SetFunction("viWrite", 0x102, eKoVeskApiVisa);
        input.AddParam("vi", 33);
        output.SetFunction("viWrite", 0x102, eKoVeskApiVisa);
        output.AddParam("status", 23);
        output.SetReturnParamIndex(0);
        CVeskUtility::ResetMessageBoxes();
        CHelpLauncher::ResetRequests();
        CVeskApiInfo::ResetAll();
        CVeskUtility::SetInstallationRoot("/usr/share/kovesk");
    }
    void TearDown() override { CVeskApiInfo::ResetAll(); }

    // A call that has been entered and has returned; its description is
    // the base's.
    void ingest(CKOCall& call) {
        bool handled = false;
        call.ProcessLoggerInput(&input, handled);
        call.ProcessLoggerMatchingOutput(&output);
        call.FormatCallDescriptionInput();
    }

    CKOVeskMemoryLogger input;
    CKOVeskMemoryLogger output;
};

// --- ingestion -------------------------------------------------------------

// The loggers are kept, and the caller's `handled` flag is left to it.
TEST_F(BaseCall, IngestionKeepsLoggersAndLeavesHandled) {
    for (const bool preset : {false, true}) {
        CKOCall call;
        EXPECT_EQ(call.GetInputLogger(), nullptr);
        EXPECT_STREQ(call.GetCallName(), "");
        bool handled = preset;
        call.ProcessLoggerInput(&input, handled);
        EXPECT_EQ(handled, preset);
        EXPECT_EQ(call.GetInputLogger(), &input);
        EXPECT_EQ(call.GetOutputLogger(), nullptr);
        call.ProcessLoggerNonMatchingOutput(&output, handled);
        EXPECT_EQ(handled, preset);
        EXPECT_EQ(call.GetOutputLogger(), &output);
        EXPECT_STREQ(call.GetCallName(), "viWrite");
    }
}

// --- list columns -------------------------------------------------------------

// The status column is the plug-in's; the base leaves it empty.
TEST_F(BaseCall, ColumnTexts) {
    CKOCall call;
    ingest(call);
    call.SetCallDesc("viWrite (1)");
    const struct {
        IKoVeskCall::eColumnId column;
        const char* text;
    } cases[] = {
        {IKoVeskCall::eColumnFunction, "viWrite"},
        {IKoVeskCall::eColumnDescription, "viWrite (1)"},
        {IKoVeskCall::eColumnStatus, ""},
        {IKoVeskCall::eColumnApi, "3"},
        {IKoVeskCall::eColumnThread, ""},
        {static_cast<IKoVeskCall::eColumnId>(99), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        EXPECT_STREQ(call.FormatColumnText(c.column).c_str(), c.text);
    }
}

// --- text export: exactly one line, written into the host's array -----------

TEST_F(BaseCall, ExportWritesOneLine) {
    CKOCall call;
    ingest(call);
    call.SetCallDesc("viWrite (1)");
    const struct {
        IKoVeskCall::eCallExportUse use;
        const char* line;
    } cases[] = {
        {IKoVeskCall::eExportUseText, "viWrite (1)"},
        {IKoVeskCall::eExportUseClipboard, "viWrite (1)"},
        {IKoVeskCall::eExportUseQuoted, "\"viWrite (1)\""},
        {IKoVeskCall::eExportUsePrint, "viWrite (1)"},
        {IKoVeskCall::eExportUseLimited, "viWrite (1)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.use);
        ASSERT_EQ(call.GetNumberOfLinesToExport(c.use), 1);
        StringBase lines[3] = {"sentinel", "sentinel", "sentinel"};
        call.FormatForOutput(lines, 2, c.use);
        EXPECT_STREQ(lines[0].c_str(), c.line);
        EXPECT_STREQ(lines[1].c_str(), "sentinel") << "only the base line is written";
        // Without room for a line nothing is written.
        call.FormatForOutput(&lines[2], 0, c.use);
        call.FormatForOutput(nullptr, 1, c.use);
        EXPECT_STREQ(lines[2].c_str(), "sentinel");
    }
}

// --- XML element ---------------------------------------------------------------

TEST_F(BaseCall, XmlElementGeneralMembers) {
    CKOCall call;
    ingest(call);
    const CallTag element = call.BuildXmlElement();
    EXPECT_STREQ(element.functionName.c_str(), "viWrite");
    EXPECT_STREQ(element.description.c_str(), "viWrite ()");
    EXPECT_EQ(element.apiType, eKoVeskApiVisa);
    EXPECT_EQ(element.functionId, 0x102);
    EXPECT_EQ(element.statusKind, 0) << "status is set only by SetXmlCallStatus";
    EXPECT_TRUE(element.inputParameters.empty());
    EXPECT_TRUE(element.inputBuffers.empty());
}

// The base knows only success or failure: kind 1 or 3, value 0, no texts.
TEST_F(BaseCall, XmlStatusFromSuccessOnly) {
    for (const bool success : {true, false}) {
        SCOPED_TRACE(success);
        output.SetSuccessStatus(success);
        CKOCall call;
        ingest(call);
        CallTag element;
        element.statusValue = 42;
        element.statusName = "stale";
        call.SetXmlCallStatus(element);
        EXPECT_EQ(element.statusKind, success ? 1 : 3);
        EXPECT_EQ(element.statusValue, 0);
        EXPECT_TRUE(element.statusName.empty());
        EXPECT_TRUE(element.statusDescription.empty());
        EXPECT_EQ(call.ErrorReturned(), !success);
    }
}

// --- properties window and help -------------------------------------------------

TEST_F(BaseCall, PropertiesTitleAndGeneralPage) {
    CKOCall call;
    ingest(call);
    StringBase title("old title");
    std::vector<StringBase> pages = {"already there"};
    call.ShowProperties(title, pages);
    EXPECT_STREQ(title.c_str(), "Call Properties");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_STREQ(pages[0].c_str(), "already there");
    EXPECT_STREQ(pages[1].c_str(), "/usr/share/kovesk/PropPagesGeneral.pxb/General.pxv");
}

// Function help opens the API family's help file at the function's name, or
// tells the user that there is none.
TEST_F(BaseCall, FunctionHelp) {
    CKOCall call;
    ingest(call);
    call.OpenFunctionHelp();
    CVeskUtility::tMessageBox shown{};
    ASSERT_TRUE(CVeskUtility::LastMessageBox(shown));
    EXPECT_EQ(shown.textNumber, kTextHelpNotAvailable);
    EXPECT_EQ(CHelpLauncher::RequestCount(), 0);

    CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa)->helpFilePath = "/help/visa.chm";
    call.OpenFunctionHelp();
    CHelpLauncher::tRequest request;
    ASSERT_TRUE(CHelpLauncher::LastRequest(request));
    EXPECT_STREQ(request.topic.c_str(), "viWrite");
    EXPECT_STREQ(request.helpFile.c_str(), "/help/visa.chm");
    EXPECT_EQ(CVeskUtility::MessageBoxCount(), 1);
}

// --- copies -------------------------------------------------------------------

// A clone shares the loggers (the host owns them) and copies every field.
TEST_F(BaseCall, CloneCopiesEverything) {
    CKOCall call;
    ingest(call);
    CProcThreadInfo thread;
    int marker = 0;
    call.InitProcThreadInfo(&thread);
    call.SetAuxValue1(11);
    call.SetAuxValue2(22);
    call.SetAuxPointer(&marker);
    call.IncrementAuxCounter();
    call.IncrementAuxCounter();

    std::unique_ptr<IKoVeskCall> clone(call.Clone());
    auto* copy = dynamic_cast<CKOCall*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetInputLogger(), &input);
    EXPECT_EQ(copy->GetOutputLogger(), &output);
    EXPECT_EQ(copy->GetProcThreadInfo(), &thread);
    EXPECT_EQ(copy->GetAuxValue1(), 11u);
    EXPECT_EQ(copy->GetAuxValue2(), 22u);
    EXPECT_EQ(copy->GetAuxPointer(), &marker);
    EXPECT_EQ(copy->GetAuxCounter(), 2u);
    EXPECT_EQ(copy->GetDescription(), call.GetDescription());
    EXPECT_TRUE(*copy == call);
    EXPECT_FALSE(*copy != call);
}

// Equality looks at the function (name, id, API type) and the description.
TEST_F(BaseCall, EqualityByFunctionAndDescription) {
    CKOCall call;
    ingest(call);

    CKOCall otherDescription(call);
    otherDescription.SetCallDesc("viWrite (2)");
    EXPECT_TRUE(call != otherDescription);

    CKOVeskMemoryLogger otherInput;
    otherInput.SetFunction("viWrite", 0x103, eKoVeskApiVisa);
    CKOCall otherId;
    bool handled = false;
    otherId.ProcessLoggerInput(&otherInput, handled);
    otherId.SetCallDesc(call.GetDescription());
    EXPECT_TRUE(call != otherId);

    otherInput.SetFunction("viWrite", 0x102, 5);
    EXPECT_TRUE(call != otherId) << "same id, other API family";

    otherInput.SetFunction("viWrite", 0x102, eKoVeskApiVisa);
    EXPECT_TRUE(call == otherId);
}

}  // namespace
