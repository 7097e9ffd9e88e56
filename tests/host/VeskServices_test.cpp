// The host's process-wide services: texts, formatting, paths, status
// descriptions, per-API settings and information.
#include "host/VeskServices.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <tuple>

namespace {

// Every test starts from the host's defaults.
class Services : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        CKOVeskRegistry::ClearApiValues();
        CKOVeskLocalization::ClearStatusDescriptors();
        CAppSettings::SetExportIsSummary(false);
        CVeskApiInfo::ResetAll();
        CVeskUtility::SetInstallationRoot("/usr/share/kovesk");
    }
};

// The plug-in shows these texts by number; an unknown number has none.
TEST_F(Services, HostTexts) {
    const std::pair<int32_t, const char*> cases[] = {
        {43000, "Help is not available for this item."}, {43001, "Buffer contents:"},
        {43002, "Buffer contents (shortened):"},         {43007, "Return status: %s"},
        {43003, ""},                                     {-1, ""},
    };
    for (const auto& [number, text] : cases) {
        EXPECT_STREQ(CVeskUtility::LoadString(number).c_str(), text) << number;
    }
}

// Results of any length (the working buffer's edge must not cut or overrun),
// and the result may be one of the arguments.
TEST_F(Services, SprintfAnyLengthAndIntoAnArgument) {
    for (const size_t length : {0u, 1023u, 1024u, 1025u, 5000u}) {
        const std::string text(length, 'q');
        StringBase result("previous content");
        CVeskUtility::sprintf(result, "%s", text.c_str());
        EXPECT_EQ(std::string(result.c_str(), result.length()), text) << length;
    }
    StringBase text("status");
    CVeskUtility::sprintf(text, "Return status: %s (%d)", text.c_str(), 7);
    EXPECT_STREQ(text.c_str(), "Return status: status (7)");
}

// Root and relative path are joined by exactly one separator.
TEST_F(Services, FullPathJoinsRootAndRelative) {
    const auto kind = CVeskUtility::eVeskFilePropertyPages;
    EXPECT_STREQ(CVeskUtility::FullVeskFilePathname("P/I.pxv", kind).c_str(),
                 "/usr/share/kovesk/P/I.pxv");
    CVeskUtility::SetInstallationRoot("/opt/host/");
    EXPECT_STREQ(CVeskUtility::FullVeskFilePathname("P/I.pxv", kind).c_str(), "/opt/host/P/I.pxv");
}

// The built-in "VISA" prefix describes success and each of its 97 warning
// and error codes with a sentence of its own.
TEST_F(Services, EveryVisaStatusIsDescribed) {
    std::set<std::string> sentences;
    for (const uint32_t base : {0u, 0x3FFF0000u, 0xBFFF0000u}) {
        for (uint32_t code = base; code < base + 0x100; ++code) {
            StringBase text;
            if (!CKOVeskLocalization::LookupStatusDescriptor(int32_t(code), "VISA", text)) continue;
            EXPECT_TRUE(text.length() > 10 && text.c_str()[text.length() - 1] == '.') << code;
            EXPECT_TRUE(sentences.insert(text.c_str()).second) << "repeated: " << text.c_str();
        }
    }
    EXPECT_EQ(sentences.size(), 98u);
}

// A miss leaves the caller's text as it was; added descriptions override the
// built-in ones until ClearStatusDescriptors brings those back.
TEST_F(Services, StatusDescriptionsMissOverrideAndClear) {
    const std::pair<int32_t, const char*> misses[] = {
        {0x3FFF0001, "VISA"}, {0, "GPIB"}, {0, "visa"}, {0, ""}};
    for (const auto& [code, prefix] : misses) {
        StringBase text("untouched");
        EXPECT_FALSE(CKOVeskLocalization::LookupStatusDescriptor(code, prefix, text)) << prefix;
        EXPECT_STREQ(text.c_str(), "untouched");
    }
    StringBase builtIn, text;
    ASSERT_TRUE(CKOVeskLocalization::LookupStatusDescriptor(0, "VISA", builtIn));
    CKOVeskLocalization::SetStatusDescriptor("VISA", 0, "Alles gut.");
    ASSERT_TRUE(CKOVeskLocalization::LookupStatusDescriptor(0, "VISA", text));
    EXPECT_STREQ(text.c_str(), "Alles gut.");
    CKOVeskLocalization::ClearStatusDescriptors();
    ASSERT_TRUE(CKOVeskLocalization::LookupStatusDescriptor(0, "VISA", text));
    EXPECT_EQ(text, builtIn);
}

// A value belongs to one (API type, key) pair, negative types included; a
// missing one leaves the caller's value untouched.
TEST_F(Services, RegistryValuesPerApiTypeAndKey) {
    CKOVeskRegistry::SetApiValue(3, "StatusPrefix", "VISA");
    CKOVeskRegistry::SetApiValue(-7, "StatusPrefix", "NEG");
    CKOVeskRegistry::SetApiValue(3, "StatusPrefix", "VISA2");  // replaces
    CKOVeskRegistry::SetApiValue(4, "Gone", "1");
    CKOVeskRegistry::RemoveApiValue(4, "Gone");
    const std::tuple<int32_t, const char*, const char*> cases[] = {  // expected null: none
        {3, "StatusPrefix", "VISA2"}, {-7, "StatusPrefix", "NEG"}, {5, "StatusPrefix", nullptr},
        {3, "OtherKey", nullptr},     {3, "statusprefix", nullptr}, {4, "Gone", nullptr},
    };
    for (const auto& [apiType, key, expected] : cases) {
        StringBase value("untouched");
        EXPECT_EQ(CKOVeskRegistry::GetApiValue(EKoVeskApiType(apiType), key, value, true),
                  expected != nullptr);
        EXPECT_STREQ(value.c_str(), expected ? expected : "untouched") << key;
    }
}

// The export setting is read back as the host set it.
TEST_F(Services, ExportSummarySetting) {
    CAppSettings::SetExportIsSummary(true);
    EXPECT_TRUE(CAppSettings::GetExportIsSummary());
}

// Every int names an API family whose record stays where it is, inside and
// outside the fixed array alike; ResetAll empties the records in place.
TEST_F(Services, ApiInfoRecordPerType) {
    const int32_t types[] = {0, 63, 64, -1, INT_MIN, INT_MAX};
    std::set<CVeskApiInfo*> records;
    for (const int32_t type : types) {
        records.insert(CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType(type)));
        CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType(type))->helpFilePath = "/help/file.chm";
    }
    EXPECT_EQ(records.size(), std::size(types));
    CVeskApiInfo::ResetAll();
    for (const int32_t type : types) {
        CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType(type));
        EXPECT_TRUE(records.count(info) && info->helpFilePath.empty()) << type;
    }
}

}  // namespace
