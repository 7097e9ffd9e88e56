// No exception leaves a property-page entry point, whatever the record or
// the host throws while the page data is gathered, and the handles and
// pointers the runtime passed keep what they held.
//
// Two ways in: a record derived from CVISACall whose page operations throw
// after filling their out-arguments, and a plain VISA record whose rendering
// calls a host value-name callback that throws.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "call/CVISACall.h"
#include "host/CKOVeskMemoryLogger.h"
#include "host/VeskServices.h"
#include "ko/zel/Exception.h"
#include "ko/zel/ExceptionWithMessage.h"
#include "plugin_library.h"

namespace {

using nKoVeskLog210::CVISACall;
using nKoVeskLog210::eFormatSpecifier;

constexpr int32_t kSentinel = 0x5A5A5A5A;

// Each kind of exception a record or a host may raise.
struct tThrower {
    const char* kind;
    std::function<void()> raise;
};

const std::vector<tThrower>& throwers() {
    static const std::vector<tThrower> all = {
        {"support library exception",
         [] { KO_ZEL_THROW(ko::zel::exception::InvalidSequence); }},
        {"support library exception with message",
         [] { throw ko::zel::exception::OutOfRange2(StringBase("String offset out of range")); }},
        {"exhausted memory", [] { throw std::bad_alloc(); }},
        {"standard exception", [] { throw std::runtime_error("host failure"); }},
        {"not an exception class", [] { throw 42; }},
    };
    return all;
}

const tThrower* g_thrower = nullptr;
int g_raised = 0;

void raise() {
    ++g_raised;
    g_thrower->raise();
}

// A record whose every page operation fills its out-arguments, then throws.
class ThrowingRecord : public CVISACall {
public:
    void SetPageInputParamData(std::vector<StringBase>& names, std::vector<StringBase>& values,
                               eFormatSpecifier) const override {
        names.emplace_back("partial");
        values.emplace_back("partial");
        raise();
    }
    void SetPageInputButtonData(eButtonState& attribute, eButtonState& event) const override {
        attribute = eButtonKnownName;
        event = eButtonKnownName;
        raise();
    }
    void SetPageOutputParamData(std::vector<StringBase>& names, std::vector<StringBase>& values,
                                eFormatSpecifier format) const override {
        SetPageInputParamData(names, values, format);
    }
    void SetPageOutputRetvalData(StringBase& value, StringBase& description) const override {
        value = "partial";
        description = "partial";
        raise();
    }
    void SetPageBufferParamData(int, StringBase& heading,
                                std::vector<StringBase>& lines) const override {
        heading = "partial";
        lines.emplace_back("partial");
        raise();
    }
    void SetPageBufferBufferData(std::vector<StringBase>& names) const override {
        names.emplace_back("partial");
        raise();
    }
    void OpenAttributeHelp() const override { raise(); }
    void OpenEventHelp() const override { raise(); }
};

// The host's value names throw, so a plain record throws from inside the
// formatter while it renders the pages and opens help.
bool throwingValueName(const IKoVeskLogger*, int, eKoVeskLocale, bool, uint32_t, wchar_t*) {
    if (g_thrower) raise();
    return false;
}

using GetArrays = void(HStrArray**, HStrArray**);
using GetButtons = void(int32_t*, int32_t*);
using OnHelp = void();
using GetRetval = void(HStr**, HStr**);
using GetBufferParam = void(int32_t, HStr**, HStrArray**);
using GetBufferNames = void(HStrArray**);

class ExceptionContainment : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_plugin.loaded()) << dlerror();
        CVeskApiInfo::ResetAll();
        CVeskUtility::ResetMessageBoxes();
        CHelpLauncher::ResetRequests();
    }
    void TearDown() override {
        VeskClasses_ListCtrl_SetCurrentPropertyCall(nullptr);
        CVeskApiInfo::ResetAll();
        g_thrower = nullptr;
    }

    // Calls the entry points with `record` on display, once per kind of
    // exception: none may leave, and no argument may be touched. The buffer
    // page is left out when its data never reaches what throws.
    void expectContained(IKoVeskCall& record, bool withBufferPage = true) {
        VeskClasses_ListCtrl_SetCurrentPropertyCall(&record);
        for (const tThrower& thrower : throwers()) {
            SCOPED_TRACE(thrower.kind);
            g_thrower = &thrower;
            g_raised = 0;
            callEntryPoints(withBufferPage);
            // Each entry point called did reach what throws.
            EXPECT_EQ(g_raised, withBufferPage ? 8 : 6);
        }
    }

    void callEntryPoints(bool withBufferPage) {
        HStrArray** names = PlexaNewStringArray();
        HStrArray** values = PlexaNewStringArray();
        HStr** text = PlexaNewString();
        HStr** other = PlexaNewString();
        for (auto* handle : {names, values}) (*handle)->cnt = kSentinel;
        for (auto* handle : {text, other}) (*handle)->cnt = kSentinel;
        HStrArray* const namesBlock = *names;
        HStr* const textBlock = *text;
        int32_t attribute = kSentinel;
        int32_t event = kSentinel;

        EXPECT_NO_THROW(m_plugin.find<GetArrays>("VeskVV_Input_GetParamData")(names, values));
        EXPECT_NO_THROW(m_plugin.find<GetArrays>("VeskVV_Output_GetParamData")(names, values));
        EXPECT_NO_THROW(
            m_plugin.find<GetButtons>("VeskVV_Input_GetButtonData")(&attribute, &event));
        EXPECT_NO_THROW(m_plugin.find<GetRetval>("VeskVV_Output_GetRetvalData")(text, other));
        if (withBufferPage) {
            EXPECT_NO_THROW(
                m_plugin.find<GetBufferParam>("VeskVV_Buffer_GetParamData")(0, text, names));
            EXPECT_NO_THROW(m_plugin.find<GetBufferNames>("VeskVV_Buffer_GetBufferData")(values));
        }
        EXPECT_NO_THROW(m_plugin.find<OnHelp>("VeskVV_Input_OnHelpEvent")());
        EXPECT_NO_THROW(m_plugin.find<OnHelp>("VeskVV_Input_OnHelpAttr")());

        EXPECT_EQ(*names, namesBlock);
        EXPECT_EQ(*text, textBlock);
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

TEST_F(ExceptionContainment, ARecordThatThrowsFromEveryPageOperation) {
    ThrowingRecord record;
    expectContained(record);
}

// The input and output rows, the return value, the help buttons and both
// help requests of this call all name a value, so each reaches the host's
// value-name callback (the buffer page names nothing).
TEST_F(ExceptionContainment, AHostCallbackThatThrowsWhileAPlainRecordRenders) {
    CVeskApiInfo* visa = CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa);
    visa->hasValueNames = true;
    visa->valueNameCallback = throwingValueName;
    CKOVeskMemoryLogger input;
    CKOVeskMemoryLogger output;
    const uint32_t attribute = 0x3FFF001A;
    const uint32_t event = 0x3FFF200B;
    const uint32_t status = 0xBFFF0015;
    input.SetFunction("viGetAttribute", 0x0301, eKoVeskApiVisa);
    input.SetParamBytes(input.AddParam("attribute", 29), &attribute, 4);
    input.SetParamBytes(input.AddParam("event", 27), &event, 4);
    output.SetFunction("viGetAttribute", 0x0301, eKoVeskApiVisa);
    output.SetParamBytes(output.AddParam("*attribute", 101), &attribute, 4);
    output.SetParamBytes(output.AddParam("status", 23), &status, 4);
    output.SetReturnParamIndex(1);

    CVISACall record;
    bool handled = false;
    record.ProcessLoggerInput(&input, handled);
    // Notes the position of the event for help (nothing throws yet).
    record.FormatCallDescriptionInput();
    record.ProcessLoggerMatchingOutput(&output);
    ASSERT_NE(record.GetLookupParamIndex(), -1);
    expectContained(record, false);
}

}  // namespace
