// The plug-in as a host loads it: this program links the host library only,
// loads the built plug-in by path and finds its entry points by name. It
// checks what a host relies on: the entry points are there and behave
// (pages filled only from a VISA record, no exception let out) and nothing
// is exported beyond the documented interface.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "EntryTestSupport.h"
#include "host/CKOCall.h"
#include "host/CVeskApiInfo.h"

namespace kovesk_test {
namespace {

class PluginLoad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_plugin, nullptr) << dlerror();
        nKoVeskHost::ResetServices();
#define KOVESK_FIND(name) find<decltype(&::name)>(#name),
        m_entry = {KOVESK_ENTRY_POINTS(KOVESK_FIND)};
#undef KOVESK_FIND
        ASSERT_FALSE(HasFailure());
    }
    void TearDown() override { nKoVeskHost::ResetServices(); }

    // The entry point `name`, or a failed test and null when it is missing.
    template <class Function>
    Function find(const char* name) {
        void* symbol = dlsym(m_plugin.get(), name);
        EXPECT_NE(symbol, nullptr) << "missing entry point: " << name;
        return reinterpret_cast<Function>(symbol);
    }

    // The built plug-in, loaded by path as a host loads it.
    std::unique_ptr<void, int (*)(void*)> m_plugin{dlopen(KOVESK_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL), dlclose};
    tEntryPoints m_entry{};
};

// No property pages open, or the pages of another API family's call: the
// runtime's handles must survive untouched.
TEST_F(PluginLoad, WithoutAVisaRecordNothingIsTouched) {
    CKOCall other;
    for (IKoVeskCall* current : {static_cast<IKoVeskCall*>(nullptr), static_cast<IKoVeskCall*>(&other)}) {
        SCOPED_TRACE(current ? "a record of another API family" : "no record on display");
        VeskClasses_ListCtrl_SetCurrentPropertyCall(current);
        expectNothingTouched(m_entry);
    }
}

// The factory's record, driven only through the host's interface, ingests
// and clones; the clone, a record of the plug-in's class too, is found by
// every page entry point.
TEST_F(PluginLoad, FactoryRecordIngestsClonesAndFillsEveryPage) {
    CKOVeskMemoryLogger input, output;
    input.SetFunction("viWrite", 0x0301, 3);
    addU32(input, "vi", 35, 0x10);
    input.SetParamBytes(input.AddParam("buf", 10), "*IDN?\n", 6);
    input.SetParamBytes(input.AddParam("*buf", 10), "*IDN?\n", 6);
    addU32(input, "count", 1, 6);
    output.SetFunction("viWrite", 0x0301, 3);
    addU32(output, "status", 23, 0);
    output.SetReturnParamIndex(0);
    const std::unique_ptr<IKoVeskCall> record(m_entry.VeskNewCall());
    ASSERT_NE(record, nullptr);
    bool handled = false;
    record->ProcessLoggerInput(&input, handled);
    record->FormatCallDescriptionInput();
    record->ProcessLoggerMatchingOutput(&output);
    record->FormatCallDescriptionOutput();
    EXPECT_STREQ(record->GetDescription().c_str(), "viWrite (0x00000010, {0x2A,0x49,...}, 6 (0x6))");
    const std::unique_ptr<IKoVeskCall> copy(record->Clone());

    VeskClasses_ListCtrl_SetCurrentPropertyCall(copy.get());
    PageArguments a(0);
    m_entry.VeskVV_Input_GetParamData(a.names, a.values);
    EXPECT_EQ(texts(a.names), (std::vector<std::string>{"vi", "&buf", "count"}));
    EXPECT_EQ(texts(a.values).at(2), "6 (0x6)");
    m_entry.VeskVV_Output_GetRetvalData(a.text, a.other);
    EXPECT_EQ(texts(a.text)[0], "0 (VI_SUCCESS)");
    m_entry.VeskVV_Input_GetButtonData(&a.attribute, &a.event);
    EXPECT_EQ(std::make_pair(a.attribute, a.event), std::make_pair(1, 1));  // help offered, nothing named
    m_entry.VeskVV_Buffer_GetBufferData(a.names);
    EXPECT_EQ(texts(a.names), (std::vector<std::string>{"*buf"}));
    m_entry.VeskVV_Buffer_GetParamData(0, a.text, a.values);
    EXPECT_EQ(texts(a.text)[0], "Buffer contents:");
    EXPECT_EQ(texts(a.values).at(0).substr(0, 11), "00000000:  ");
    m_entry.VeskVV_Input_OnHelpAttr();
    nKoVeskHost::tMessageBox shown{};
    ASSERT_TRUE(nKoVeskHost::LastMessageBox(shown));
    EXPECT_EQ(std::make_pair(shown.textNumber, shown.buttons), std::make_pair(43000, 48));
    VeskClasses_ListCtrl_SetCurrentPropertyCall(nullptr);
}

bool throwingValueName(const IKoVeskLogger*, int, eKoVeskLocale, bool, uint32_t, wchar_t*) {
    raise();
    return false;
}

// The host's value-name callback throws while the factory's record renders
// rows, return value, buttons and both help requests (the buffer page
// names nothing): no exception crosses back into the host's page.
TEST_F(PluginLoad, AHostCallbackThatThrowsIsContained) {
    CVeskApiInfo* visa = CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa);
    visa->hasValueNames = true;
    visa->valueNameCallback = throwingValueName;
    CKOVeskMemoryLogger input, output;
    input.SetFunction("viGetAttribute", 0x0301, eKoVeskApiVisa);
    addU32(input, "attribute", 29, 0x3FFF001A);
    addU32(input, "event", 27, 0x3FFF200B);
    output.SetFunction("viGetAttribute", 0x0301, eKoVeskApiVisa);
    addU32(output, "*attribute", 101, 0x3FFF001A);
    addU32(output, "status", 23, 0xBFFF0015);
    output.SetReturnParamIndex(1);
    const std::unique_ptr<IKoVeskCall> record(m_entry.VeskNewCall());
    bool handled = false;
    record->ProcessLoggerInput(&input, handled);
    record->FormatCallDescriptionInput();
    record->ProcessLoggerMatchingOutput(&output);
    // The description noted the value it names last, the event: its help
    // button names it, so the help requests reach the host's callback.
    VeskClasses_ListCtrl_SetCurrentPropertyCall(record.get());
    PageArguments a(0);
    m_entry.VeskVV_Input_GetButtonData(&a.attribute, &a.event);
    ASSERT_EQ(a.event, 2);
    expectEveryKindContained(m_entry, *record, false, 6);
}

// --- exports: the interface a host links against, no internals ----------

// Every symbol the library defines for the dynamic linker, demangled.
std::vector<std::string> exportedSymbols() {
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

TEST(PluginExports, ExactlyTheDocumentedInterface) {
    const std::vector<std::string> symbols = exportedSymbols();
    ASSERT_FALSE(symbols.empty()) << "nm found no symbols in " << KOVESK_PLUGIN_PATH;
    const std::regex allowed(
        "VeskNewCall|VeskVV_(Input|Output|Buffer)_[A-Za-z]+|((vtable|typeinfo|typeinfo name) for )?"
        "(nKoVeskLog210::(CVISACall|CVisaGenericFormat|CVisaFormat)|ko::zel::exception::\\w+)(::.*)?");
    for (const std::string& symbol : symbols) {
        EXPECT_TRUE(std::regex_match(symbol, allowed)) << "unexpected export: " << symbol;
    }
    // (The entry points are found by name in every PluginLoad test.)
    for (const char* name :
         {"nKoVeskLog210::CVisaFormat::attrList", "nKoVeskLog210::CVisaFormat::eventList",
          "nKoVeskLog210::CVisaFormat::statusList", "typeinfo for nKoVeskLog210::CVISACall",
          "typeinfo for nKoVeskLog210::CVisaFormat", "typeinfo for nKoVeskLog210::CVisaGenericFormat"}) {
        EXPECT_NE(std::find(symbols.begin(), symbols.end(), name), symbols.end()) << "missing export: " << name;
    }
}

}  // namespace
}  // namespace kovesk_test
