// The host's texts, formatting and file paths.
#include "host/CVeskUtility.h"

#include <gtest/gtest.h>

#include <string>

#include "host/HostSideServices.h"

namespace {

class Utility : public ::testing::Test {
protected:
    void SetUp() override { nKoVeskHost::ResetServices(); }
    void TearDown() override { nKoVeskHost::ResetServices(); }
};

std::string textOf(const StringBase& text) { return std::string(text.c_str(), text.length()); }

// The plug-in formats 43007 with the status text as its one argument, which
// ends the line, and heads a dump with 43001 or, when shortened, 43002; a
// number the host does not know has no text.
TEST_F(Utility, TextsThePlugInFormatsAndShows) {
    StringBase line;
    CVeskUtility::sprintf(line, CVeskUtility::LoadString(kTextReturnStatus).c_str(), "%d 0x7 (S)");
    const std::string status = textOf(line);
    ASSERT_GT(status.size(), 10u);
    EXPECT_EQ(status.substr(status.size() - 10), "%d 0x7 (S)");
    const std::string whole = textOf(CVeskUtility::LoadString(kTextBufferContents));
    const std::string shortened = textOf(CVeskUtility::LoadString(kTextBufferContentsShort));
    EXPECT_FALSE(whole.empty());
    EXPECT_FALSE(shortened.empty());
    EXPECT_NE(whole, shortened);
    EXPECT_FALSE(CVeskUtility::LoadString(kTextHelpNotAvailable).empty());
    for (const int32_t unknown : {43003, 0, -1}) {
        EXPECT_TRUE(CVeskUtility::LoadString(unknown).empty()) << unknown;
    }
}

// Results of any length (the working buffer's edge must not cut or overrun),
// and the result may be one of the arguments.
TEST_F(Utility, SprintfAnyLengthAndIntoAnArgument) {
    for (const size_t length : {0u, 1023u, 1024u, 1025u, 5000u}) {
        const std::string text(length, 'q');
        StringBase result("previous content");
        CVeskUtility::sprintf(result, "%s", text.c_str());
        EXPECT_EQ(textOf(result), text) << length;
    }
    StringBase text("status");
    CVeskUtility::sprintf(text, "Return status: %s (%d)", text.c_str(), 7);
    EXPECT_STREQ(text.c_str(), "Return status: status (7)");
}

// Root and relative path are joined by exactly one separator.
TEST_F(Utility, FullPathJoinsRootAndRelative) {
    const auto kind = CVeskUtility::eVeskFilePropertyPages;
    EXPECT_STREQ(CVeskUtility::FullVeskFilePathname("P/I.pxv", kind).c_str(),
                 "/usr/share/kovesk/P/I.pxv");
    nKoVeskHost::SetInstallationRoot("/opt/host/");
    EXPECT_STREQ(CVeskUtility::FullVeskFilePathname("P/I.pxv", kind).c_str(), "/opt/host/P/I.pxv");
}

}  // namespace
