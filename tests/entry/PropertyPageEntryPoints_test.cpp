// The property pages' entry points, called by name as the runtime calls
// them. With no record on display, or one of another API family, nothing
// may be touched; with a VISA record the handles receive the page data.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/CKOCall.h"
#include "host/CKOVeskMemoryLogger.h"
#include "host/VeskServices.h"
#include "plugin_library.h"

namespace {

using GetArrays = void(HStrArray**, HStrArray**);
using GetButtons = void(int32_t*, int32_t*);
using OnHelp = void();
using GetRetval = void(HStr**, HStr**);
using GetBufferParam = void(int32_t, HStr**, HStrArray**);
using GetBufferNames = void(HStrArray**);
using NewCall = IKoVeskCall*();

constexpr int32_t kSentinel = 0x5A5A5A5A;

std::string Text(HStr** handle) { return std::string((*handle)->str, (*handle)->cnt); }

std::vector<std::string> Texts(HStrArray** handle) {
    std::vector<std::string> texts;
    for (int32_t i = 0; i < (*handle)->cnt; ++i) texts.push_back(Text((*handle)->elt[i]));
    return texts;
}

class EntryPoints : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_plugin.loaded()) << dlerror();
        VeskClasses_ListCtrl_SetCurrentPropertyCall(nullptr);
        CVeskUtility::ResetMessageBoxes();
        CHelpLauncher::ResetRequests();
    }
    void TearDown() override { VeskClasses_ListCtrl_SetCurrentPropertyCall(nullptr); }

    // Calls every entry point and checks that none touched its arguments.
    void ExpectNothingTouched() {
        HStrArray** names = PlexaNewStringArray();
        HStrArray** values = PlexaNewStringArray();
        HStr** text = PlexaNewString();
        HStr** other = PlexaNewString();
        (*names)->cnt = kSentinel;
        (*values)->cnt = kSentinel;
        (*text)->cnt = kSentinel;
        (*other)->cnt = kSentinel;
        int32_t attribute = kSentinel;
        int32_t event = kSentinel;

        m_plugin.find<GetArrays>("VeskVV_Input_GetParamData")(names, values);
        m_plugin.find<GetArrays>("VeskVV_Output_GetParamData")(names, values);
        m_plugin.find<GetButtons>("VeskVV_Input_GetButtonData")(&attribute, &event);
        m_plugin.find<GetRetval>("VeskVV_Output_GetRetvalData")(text, other);
        m_plugin.find<GetBufferParam>("VeskVV_Buffer_GetParamData")(0, text, names);
        m_plugin.find<GetBufferNames>("VeskVV_Buffer_GetBufferData")(values);
        m_plugin.find<OnHelp>("VeskVV_Input_OnHelpEvent")();
        m_plugin.find<OnHelp>("VeskVV_Input_OnHelpAttr")();

        EXPECT_EQ((*names)->cnt, kSentinel);
        EXPECT_EQ((*values)->cnt, kSentinel);
        EXPECT_EQ((*text)->cnt, kSentinel);
        EXPECT_EQ((*other)->cnt, kSentinel);
        EXPECT_EQ(attribute, kSentinel);
        EXPECT_EQ(event, kSentinel);
        EXPECT_EQ(CVeskUtility::MessageBoxCount(), 0);
        EXPECT_EQ(CHelpLauncher::RequestCount(), 0);
        for (auto* handle : {names, values}) (*handle)->cnt = 0;
        for (auto* handle : {text, other}) (*handle)->cnt = 0;
        PlexaDisposeStringArray(names);
        PlexaDisposeStringArray(values);
        PlexaDisposeString(text);
        PlexaDisposeString(other);
    }

    PluginLibrary m_plugin;
};

TEST_F(EntryPoints, WithoutPagesOnDisplayNothingIsTouched) { ExpectNothingTouched(); }

TEST_F(EntryPoints, ARecordOfAnotherApiFamilyIsLeftAlone) {
    CKOVeskMemoryLogger input;
    input.SetFunction("OtherCall", 7, 5);
    input.AddParam("value", 1);
    CKOCall other;
    bool handled = false;
    other.ProcessLoggerInput(&input, handled);
    VeskClasses_ListCtrl_SetCurrentPropertyCall(&other);
    ExpectNothingTouched();
}

TEST_F(EntryPoints, AVisaRecordFillsEveryPage) {
    CKOVeskMemoryLogger input;
    CKOVeskMemoryLogger output;
    const uint32_t session = 0x10;
    const uint32_t count = 6;
    const uint32_t success = 0;
    input.SetFunction("viWrite", 0x0301, 3);
    input.SetParamBytes(input.AddParam("vi", 35), &session, 4);
    input.SetParamBytes(input.AddParam("buf", 10), "*IDN?\n", 6);
    input.SetParamBytes(input.AddParam("*buf", 10), "*IDN?\n", 6);
    input.SetParamBytes(input.AddParam("count", 1), &count, 4);
    output.SetFunction("viWrite", 0x0301, 3);
    output.SetParamBytes(output.AddParam("status", 23), &success, 4);
    output.SetReturnParamIndex(0);

    IKoVeskCall* record = m_plugin.find<NewCall>("VeskNewCall")();
    bool handled = false;
    record->ProcessLoggerInput(&input, handled);
    record->FormatCallDescriptionInput();
    record->ProcessLoggerMatchingOutput(&output);
    record->FormatCallDescriptionOutput();
    VeskClasses_ListCtrl_SetCurrentPropertyCall(record);

    HStrArray** names = PlexaNewStringArray();
    HStrArray** values = PlexaNewStringArray();
    m_plugin.find<GetArrays>("VeskVV_Input_GetParamData")(names, values);
    EXPECT_EQ(Texts(names), (std::vector<std::string>{"vi", "&buf", "count"}));
    ASSERT_EQ((*values)->cnt, 3);
    EXPECT_EQ(Text((*values)->elt[2]), "6 (0x6)");

    HStr** value = PlexaNewString();
    HStr** description = PlexaNewString();
    m_plugin.find<GetRetval>("VeskVV_Output_GetRetvalData")(value, description);
    EXPECT_EQ(Text(value), "0 (VI_SUCCESS)");

    int32_t attribute = kSentinel;
    int32_t event = kSentinel;
    m_plugin.find<GetButtons>("VeskVV_Input_GetButtonData")(&attribute, &event);
    EXPECT_EQ(attribute, 1);  // help offered, no attribute named
    EXPECT_EQ(event, 1);

    m_plugin.find<GetBufferNames>("VeskVV_Buffer_GetBufferData")(names);
    EXPECT_EQ(Texts(names), (std::vector<std::string>{"*buf"}));
    HStr** heading = PlexaNewString();
    m_plugin.find<GetBufferParam>("VeskVV_Buffer_GetParamData")(0, heading, values);
    EXPECT_EQ(Text(heading), "Buffer contents:");
    ASSERT_EQ((*values)->cnt, 1);
    EXPECT_EQ(Text((*values)->elt[0]).substr(0, 11), "00000000:  ");

    m_plugin.find<OnHelp>("VeskVV_Input_OnHelpAttr")();
    CVeskUtility::tMessageBox shown{};
    ASSERT_TRUE(CVeskUtility::LastMessageBox(shown));
    EXPECT_EQ(shown.textNumber, 43000);
    EXPECT_EQ(shown.buttons, 48);

    VeskClasses_ListCtrl_SetCurrentPropertyCall(nullptr);
    delete record;
    PlexaDisposeStringArray(names);
    PlexaDisposeStringArray(values);
    PlexaDisposeString(value);
    PlexaDisposeString(description);
    PlexaDisposeString(heading);
}

}  // namespace
