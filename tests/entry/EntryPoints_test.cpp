// The plug-in as a host sees it, loaded by path, entry points found by name:
// pages filled only from a VISA record, no exception let out, nothing
// exported beyond the documented interface.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <new>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "call/CVISACall.h"
#include "entry/VeskEntryPoints.h"
#include "host/CKOCall.h"
#include "host/CKOVeskMemoryLogger.h"
#include "host/CProcThreadInfo.h"
#include "host/CVeskApiInfo.h"
#include "host/CurrentPropertyCall.h"
#include "host/HostSideServices.h"
#include "ko/zel/Exception.h"
#include "ko/zel/ExceptionWithMessage.h"

namespace {

using nKoVeskLog210::CVISACall;

// The entry point `name` of the loaded library, typed by its declaration.
#define ENTRY(name) reinterpret_cast<decltype(&name)>(dlsym(m_plugin.get(), #name))

constexpr int32_t kSentinel = 0x5A5A5A5A;

std::vector<std::string> Texts(HStr** handle) { return {std::string((*handle)->str, (*handle)->cnt)}; }
std::vector<std::string> Texts(HStrArray** handle) {
    std::vector<std::string> texts;
    for (int32_t i = 0; i < (*handle)->cnt; ++i) texts.push_back(Texts((*handle)->elt[i])[0]);
    return texts;
}
void addU32(CKOVeskMemoryLogger& logger, const char* name, int type, uint32_t value) {
    logger.SetParamBytes(logger.AddParam(name, type), &value, 4);
}

// The arguments of the entry points; `fill` in every count and output.
struct PageArguments {
    explicit PageArguments(int32_t fill) : attribute(fill), event(fill) {
        (*names)->cnt = (*values)->cnt = (*text)->cnt = (*other)->cnt = fill;
    }
    ~PageArguments() {
        for (int32_t* count : {&(*names)->cnt, &(*values)->cnt, &(*text)->cnt, &(*other)->cnt}) {
            if (*count == kSentinel) *count = 0;
        }
        PlexaDisposeStringArray(names);
        PlexaDisposeStringArray(values);
        PlexaDisposeString(text);
        PlexaDisposeString(other);
    }
    HStrArray** names = PlexaNewStringArray();
    HStrArray** values = PlexaNewStringArray();
    HStr** text = PlexaNewString();
    HStr** other = PlexaNewString();
    int32_t attribute, event;
};

class EntryPoints : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_plugin, nullptr) << dlerror();
        nKoVeskHost::ResetApiInfo();
        nKoVeskHost::ResetMessageBoxes();
        nKoVeskHost::ResetHelpRequests();
    }
    void TearDown() override {
        VeskClasses_ListCtrl_SetCurrentPropertyCall(nullptr);
        nKoVeskHost::ResetApiInfo();
    }
    // Calls every entry point (the buffer page's if asked) with sentinels:
    // none may throw, write a handle or an output, or show anything.
    void expectNothingTouched(bool withBufferPage = true) {
        PageArguments a(kSentinel);
        EXPECT_NO_THROW(ENTRY(VeskVV_Input_GetParamData)(a.names, a.values));
        EXPECT_NO_THROW(ENTRY(VeskVV_Output_GetParamData)(a.names, a.values));
        EXPECT_NO_THROW(ENTRY(VeskVV_Input_GetButtonData)(&a.attribute, &a.event));
        EXPECT_NO_THROW(ENTRY(VeskVV_Output_GetRetvalData)(a.text, a.other));
        if (withBufferPage) {
            EXPECT_NO_THROW(ENTRY(VeskVV_Buffer_GetParamData)(0, a.text, a.names));
            EXPECT_NO_THROW(ENTRY(VeskVV_Buffer_GetBufferData)(a.values));
        }
        EXPECT_NO_THROW(ENTRY(VeskVV_Input_OnHelpEvent)());
        EXPECT_NO_THROW(ENTRY(VeskVV_Input_OnHelpAttr)());
        for (const int32_t value : {(*a.names)->cnt, (*a.values)->cnt, (*a.text)->cnt, (*a.other)->cnt, a.attribute,
                                    a.event}) {
            EXPECT_EQ(value, kSentinel);
        }
        EXPECT_EQ(nKoVeskHost::MessageBoxCount(), 0);
        EXPECT_EQ(nKoVeskHost::HelpRequestCount(), 0);
    }
    // The built plug-in, loaded by path as a host loads it.
    std::unique_ptr<void, int (*)(void*)> m_plugin{dlopen(KOVESK_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL), dlclose};
};

// --- no VISA record: the runtime's handles must survive untouched --------

TEST_F(EntryPoints, WithoutAVisaRecordNothingIsTouched) {
    CKOCall other;
    for (IKoVeskCall* current : {static_cast<IKoVeskCall*>(nullptr), static_cast<IKoVeskCall*>(&other)}) {
        SCOPED_TRACE(current ? "a record of another API family" : "no record on display");
        VeskClasses_ListCtrl_SetCurrentPropertyCall(current);
        expectNothingTouched();
    }
}

// --- the factory's record ingests, survives dynamic_cast across the
// libraries, clones, fills every page and dies --------------------------

TEST_F(EntryPoints, FactoryRecordIngestsClonesAndFillsEveryPage) {
    ASSERT_NE(ENTRY(VeskNewCall), nullptr);
    CKOVeskMemoryLogger input, output;
    input.SetFunction("viWrite", 0x0301, 3);
    addU32(input, "vi", 35, 0x10);
    input.SetParamBytes(input.AddParam("buf", 10), "*IDN?\n", 6);
    input.SetParamBytes(input.AddParam("*buf", 10), "*IDN?\n", 6);
    addU32(input, "count", 1, 6);
    output.SetFunction("viWrite", 0x0301, 3);
    addU32(output, "status", 23, 0);
    output.SetReturnParamIndex(0);
    CProcThreadInfo thread;
    IKoVeskCall* record = ENTRY(VeskNewCall)();
    ASSERT_NE(dynamic_cast<CVISACall*>(record), nullptr);
    record->InitProcThreadInfo(&thread);
    bool handled = false;
    record->ProcessLoggerInput(&input, handled);
    EXPECT_EQ(thread.GetIndent(), 2);
    record->FormatCallDescriptionInput();
    record->ProcessLoggerMatchingOutput(&output);
    record->FormatCallDescriptionOutput();
    EXPECT_EQ(dynamic_cast<CVISACall*>(record)->GetBufferListSize(), 1u);
    IKoVeskCall* copy = record->Clone();
    EXPECT_NE(dynamic_cast<CVISACall*>(copy), nullptr);
    EXPECT_EQ(copy->GetDescription(), record->GetDescription());
    delete copy;

    VeskClasses_ListCtrl_SetCurrentPropertyCall(record);
    PageArguments a(0);
    ENTRY(VeskVV_Input_GetParamData)(a.names, a.values);
    EXPECT_EQ(Texts(a.names), (std::vector<std::string>{"vi", "&buf", "count"}));
    EXPECT_EQ(Texts(a.values).at(2), "6 (0x6)");
    ENTRY(VeskVV_Output_GetRetvalData)(a.text, a.other);
    EXPECT_EQ(Texts(a.text)[0], "0 (VI_SUCCESS)");
    ENTRY(VeskVV_Input_GetButtonData)(&a.attribute, &a.event);
    EXPECT_EQ(a.attribute, 1);  // help offered, no attribute named
    EXPECT_EQ(a.event, 1);
    ENTRY(VeskVV_Buffer_GetBufferData)(a.names);
    EXPECT_EQ(Texts(a.names), (std::vector<std::string>{"*buf"}));
    ENTRY(VeskVV_Buffer_GetParamData)(0, a.text, a.values);
    EXPECT_EQ(Texts(a.text)[0], "Buffer contents:");
    ASSERT_EQ(Texts(a.values).size(), 1u);
    EXPECT_EQ(Texts(a.values)[0].substr(0, 11), "00000000:  ");
    ENTRY(VeskVV_Input_OnHelpAttr)();
    nKoVeskHost::tMessageBox shown{};
    ASSERT_TRUE(nKoVeskHost::LastMessageBox(shown));
    EXPECT_EQ(shown.textNumber, 43000);
    EXPECT_EQ(shown.buttons, 48);
    VeskClasses_ListCtrl_SetCurrentPropertyCall(nullptr);
    delete record;
}

// --- exports: the interface a host links against, no internals ----------

// Every symbol the library defines for the dynamic linker, demangled.
std::vector<std::string> ExportedSymbols() {
    std::vector<std::string> symbols;
    const std::string command =
        std::string("nm -D --defined-only --demangle --format=just-symbols '") + KOVESK_PLUGIN_PATH + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return symbols;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        symbols.emplace_back(line);
        symbols.back().erase(symbols.back().find_last_not_of("\r\n") + 1);
    }
    pclose(pipe);
    return symbols;
}

TEST(LibraryContract, ExportsExactlyTheDocumentedInterface) {
    const std::vector<std::string> symbols = ExportedSymbols();
    ASSERT_FALSE(symbols.empty()) << "nm found no symbols in " << KOVESK_PLUGIN_PATH;
    const std::regex allowed(
        "VeskNewCall|VeskVV_(Input|Output|Buffer)_[A-Za-z]+|((vtable|typeinfo|typeinfo name) for )?"
        "(nKoVeskLog210::(CVISACall|CVisaGenericFormat|CVisaFormat)|ko::zel::exception::\\w+)(::.*)?");
    for (const std::string& symbol : symbols) {
        EXPECT_TRUE(std::regex_match(symbol, allowed)) << "unexpected export: " << symbol;
    }
    for (const char* name :
         {"VeskNewCall", "VeskVV_Input_GetParamData", "VeskVV_Input_GetButtonData", "VeskVV_Input_OnHelpEvent",
          "VeskVV_Input_OnHelpAttr", "VeskVV_Output_GetParamData", "VeskVV_Output_GetRetvalData",
          "VeskVV_Buffer_GetParamData", "VeskVV_Buffer_GetBufferData", "nKoVeskLog210::CVisaFormat::attrList",
          "nKoVeskLog210::CVisaFormat::eventList", "nKoVeskLog210::CVisaFormat::statusList",
          "typeinfo for nKoVeskLog210::CVISACall", "typeinfo for nKoVeskLog210::CVisaFormat",
          "typeinfo for nKoVeskLog210::CVisaGenericFormat"}) {
        EXPECT_NE(std::find(symbols.begin(), symbols.end(), name), symbols.end()) << "missing export: " << name;
    }
}

// --- containment: every kind of exception, from the record or the host ---

const std::pair<const char*, std::function<void()>> kThrowers[] = {
    {"support library exception", [] { KO_ZEL_THROW(ko::zel::exception::InvalidSequence); }},
    {"support library exception with message",
     [] { throw ko::zel::exception::OutOfRange2(StringBase("String offset out of range")); }},
    {"exhausted memory", [] { throw std::bad_alloc(); }},
    {"standard exception", [] { throw std::runtime_error("host failure"); }},
    {"not an exception class", [] { throw 42; }},
};
const std::function<void()>* g_raise = nullptr;
int g_raised = 0;

void raise() {
    ++g_raised;
    (*g_raise)();
}

// A record whose every page operation fills its out-arguments, then throws.
class ThrowingRecord : public CVISACall {
public:
    void SetPageInputParamData(std::vector<StringBase>& names, std::vector<StringBase>& values,
                               nKoVeskLog210::eFormatSpecifier) const override {
        names.emplace_back("partial");
        values.emplace_back("partial");
        raise();
    }
    void SetPageInputButtonData(eButtonState& attribute, eButtonState& event) const override {
        attribute = event = eButtonKnownName;
        raise();
    }
    void SetPageOutputParamData(std::vector<StringBase>& names, std::vector<StringBase>& values,
                                nKoVeskLog210::eFormatSpecifier format) const override {
        SetPageInputParamData(names, values, format);
    }
    void SetPageOutputRetvalData(StringBase& value, StringBase& description) const override {
        value = description = "partial";
        raise();
    }
    void SetPageBufferParamData(int, StringBase& heading, std::vector<StringBase>& lines) const override {
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

bool throwingValueName(const IKoVeskLogger*, int, eKoVeskLocale, bool, uint32_t, wchar_t*) {
    if (g_raise) raise();
    return false;
}

class ExceptionContainment : public EntryPoints {
protected:
    // Every kind through every entry point; `reached` of them reach what throws.
    void expectContained(IKoVeskCall& record, bool withBufferPage, int reached) {
        VeskClasses_ListCtrl_SetCurrentPropertyCall(&record);
        for (const auto& [kind, thrower] : kThrowers) {
            SCOPED_TRACE(kind);
            g_raise = &thrower;
            g_raised = 0;
            expectNothingTouched(withBufferPage);
            EXPECT_EQ(g_raised, reached);
        }
        g_raise = nullptr;
    }
};

TEST_F(ExceptionContainment, ARecordThatThrowsFromEveryPageOperation) {
    ThrowingRecord record;
    expectContained(record, true, 8);
}

// The host's value-name callback throws while a plain record renders rows,
// return value, buttons and both help requests (the buffer page names none).
TEST_F(ExceptionContainment, AHostCallbackThatThrowsWhileAPlainRecordRenders) {
    CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa)->hasValueNames = true;
    CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa)->valueNameCallback = throwingValueName;
    CKOVeskMemoryLogger input, output;
    input.SetFunction("viGetAttribute", 0x0301, eKoVeskApiVisa);
    addU32(input, "attribute", 29, 0x3FFF001A);
    addU32(input, "event", 27, 0x3FFF200B);
    output.SetFunction("viGetAttribute", 0x0301, eKoVeskApiVisa);
    addU32(output, "*attribute", 101, 0x3FFF001A);
    addU32(output, "status", 23, 0xBFFF0015);
    output.SetReturnParamIndex(1);
    CVISACall record;
    bool handled = false;
    record.ProcessLoggerInput(&input, handled);
    record.FormatCallDescriptionInput();
    record.ProcessLoggerMatchingOutput(&output);
    ASSERT_NE(record.GetLookupParamIndex(), -1);
    expectContained(record, false, 6);
}

}  // namespace
