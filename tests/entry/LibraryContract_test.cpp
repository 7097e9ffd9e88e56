// The plug-in as a host sees it: a shared library found by path, a factory
// found by name, records whose class survives the trip across libraries,
// and nothing exported beyond the documented interface.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "call/CVISACall.h"
#include "host/CKOVeskMemoryLogger.h"
#include "host/VeskServices.h"
#include "plugin_library.h"

namespace {

using nKoVeskLog210::CVISACall;
using NewCall = IKoVeskCall*();

TEST(LibraryContract, FactoryMakesARecordThatIngestsClonesAndDies) {
    PluginLibrary plugin;
    ASSERT_TRUE(plugin.loaded()) << dlerror();
    auto* newCall = plugin.find<NewCall>("VeskNewCall");
    ASSERT_NE(newCall, nullptr);

    CKOVeskMemoryLogger input;
    input.SetFunction("viWrite", 0x0301, 3);
    const int buffer = input.AddParam("buf", 10);
    input.SetParamBytes(buffer, "*IDN?\n", 6);
    const int pointee = input.AddParam("*buf", 10);
    input.SetParamBytes(pointee, "*IDN?\n", 6);
    CProcThreadInfo thread;

    IKoVeskCall* record = newCall();
    ASSERT_NE(record, nullptr);
    record->InitProcThreadInfo(&thread);
    bool handled = false;
    record->ProcessLoggerInput(&input, handled);
    EXPECT_EQ(thread.GetIndent(), 2);
    record->FormatCallDescriptionInput();

    auto* visa = dynamic_cast<CVISACall*>(record);
    ASSERT_NE(visa, nullptr);
    EXPECT_EQ(visa->GetBufferListSize(), 1u);

    IKoVeskCall* copy = record->Clone();
    auto* visaCopy = dynamic_cast<CVISACall*>(copy);
    ASSERT_NE(visaCopy, nullptr);
    EXPECT_EQ(visaCopy->GetBufferListSize(), 1u);
    EXPECT_EQ(copy->GetDescription(), record->GetDescription());
    delete copy;
    delete record;
}

TEST(LibraryContract, RecordsOfOtherClassesAreNotVisaRecords) {
    CKOCall other;
    IKoVeskCall* asHostSeesIt = &other;
    EXPECT_EQ(dynamic_cast<CVISACall*>(asHostSeesIt), nullptr);
}

// Every symbol the library defines for the dynamic linker, demangled.
std::vector<std::string> ExportedSymbols() {
    std::vector<std::string> symbols;
    const std::string command =
        std::string("nm -D --defined-only --demangle '") + KOVESK_PLUGIN_PATH + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return symbols;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        // "<address> <kind> <name>"
        const size_t nameStart = text.find(' ', text.find(' ') + 1);
        if (nameStart != std::string::npos) symbols.push_back(text.substr(nameStart + 1));
    }
    pclose(pipe);
    return symbols;
}

TEST(LibraryContract, ExportsExactlyTheDocumentedInterface) {
    const std::vector<std::string> symbols = ExportedSymbols();
    ASSERT_FALSE(symbols.empty()) << "nm found no symbols in " << KOVESK_PLUGIN_PATH;

    const std::regex allowed(
        "VeskNewCall|VeskVV_(Input|Output|Buffer)_[A-Za-z]+"
        "|((vtable|typeinfo|typeinfo name) for )?"
        "(nKoVeskLog210::(CVISACall|CVisaGenericFormat|CVisaFormat)|ko::zel::exception::\\w+)"
        "(::.*)?");
    for (const std::string& symbol : symbols) {
        EXPECT_TRUE(std::regex_match(symbol, allowed)) << "unexpected export: " << symbol;
    }

    const char* required[] = {
        "VeskNewCall",
        "VeskVV_Input_GetParamData",
        "VeskVV_Input_GetButtonData",
        "VeskVV_Input_OnHelpEvent",
        "VeskVV_Input_OnHelpAttr",
        "VeskVV_Output_GetParamData",
        "VeskVV_Output_GetRetvalData",
        "VeskVV_Buffer_GetParamData",
        "VeskVV_Buffer_GetBufferData",
        "nKoVeskLog210::CVisaFormat::attrList",
        "nKoVeskLog210::CVisaFormat::eventList",
        "nKoVeskLog210::CVisaFormat::statusList",
        "typeinfo for nKoVeskLog210::CVISACall",
        "typeinfo for nKoVeskLog210::CVisaFormat",
        "typeinfo for nKoVeskLog210::CVisaGenericFormat",
    };
    for (const char* name : required) {
        EXPECT_NE(std::find(symbols.begin(), symbols.end(), name), symbols.end())
            << "missing export: " << name;
    }
}

}  // namespace
