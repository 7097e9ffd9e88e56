// The status descriptions: the built-in ones of "VISA" and those the host
// adds.
#include "host/CKOVeskLocalization.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/HostSideServices.h"

namespace {

class Localization : public ::testing::Test {
protected:
    void SetUp() override { nKoVeskHost::ResetServices(); }
    void TearDown() override { nKoVeskHost::ResetServices(); }
};

// The built-in "VISA" prefix describes success and its warning and error
// codes each with a sentence of its own (that each status the plug-in names
// is described: the plug-in's name table tests).
TEST_F(Localization, EveryVisaStatusIsDescribed) {
    std::set<std::string> sentences;
    for (const uint32_t base : {0u, 0x3FFF0000u, 0xBFFF0000u}) {
        for (uint32_t code = base; code < base + 0x100; ++code) {
            StringBase text;
            if (!CKOVeskLocalization::LookupStatusDescriptor(int32_t(code), "VISA", text)) continue;
            EXPECT_TRUE(text.length() > 10 && text.c_str()[text.length() - 1] == '.') << code;
            EXPECT_TRUE(sentences.insert(text.c_str()).second) << "repeated: " << text.c_str();
        }
    }
    EXPECT_FALSE(sentences.empty());
}

// A miss leaves the caller's text as it was; added descriptions override the
// built-in ones until ClearStatusDescriptors brings those back.
TEST_F(Localization, StatusDescriptionsMissOverrideAndClear) {
    const std::pair<int32_t, const char*> misses[] = {
        {0x3FFF0001, "VISA"}, {0, "GPIB"}, {0, "visa"}, {0, ""}};
    for (const auto& [code, prefix] : misses) {
        StringBase text("untouched");
        EXPECT_FALSE(CKOVeskLocalization::LookupStatusDescriptor(code, prefix, text)) << prefix;
        EXPECT_STREQ(text.c_str(), "untouched");
    }
    StringBase builtIn, text;
    ASSERT_TRUE(CKOVeskLocalization::LookupStatusDescriptor(0, "VISA", builtIn));
    nKoVeskHost::SetStatusDescriptor("VISA", 0, "Alles gut.");
    ASSERT_TRUE(CKOVeskLocalization::LookupStatusDescriptor(0, "VISA", text));
    EXPECT_STREQ(text.c_str(), "Alles gut.");
    nKoVeskHost::ClearStatusDescriptors();
    ASSERT_TRUE(CKOVeskLocalization::LookupStatusDescriptor(0, "VISA", text));
    EXPECT_EQ(text, builtIn);
}

}  // namespace
