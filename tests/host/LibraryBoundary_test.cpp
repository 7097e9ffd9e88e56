// The host library as a plug-in sees it: virtual-table slots of the record
// and logger interfaces, and the symbols the library exports.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/CKOCall.h"
#include "host/IKoVeskCall.h"
#include "host/IKoVeskLogger.h"

namespace {

// The slot a pointer to a virtual member function designates: the
// Itanium C++ ABI stores 1 + the slot's byte offset in the table.
template <class Member>
long slotOf(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(uintptr_t), "Itanium member pointer");
    uintptr_t raw = 0;
    std::memcpy(&raw, &member, sizeof raw);
    if ((raw & 1) == 0) return -1;  // not virtual
    return static_cast<long>((raw - 1) / sizeof(void*));
}

// Slots of IKoVeskCall as plug-ins are built against them (0 and 1 are the
// destructors).
TEST(LibraryBoundary, CallRecordSlots) {
    using C = IKoVeskCall;
    EXPECT_EQ(slotOf(&C::operator==), 2);
    EXPECT_EQ(slotOf(&C::operator!=), 3);
    EXPECT_EQ(slotOf(&C::ProcessLoggerInput), 4);
    EXPECT_EQ(slotOf(&C::ProcessLoggerMatchingOutput), 5);
    EXPECT_EQ(slotOf(&C::ProcessLoggerNonMatchingOutput), 6);
    EXPECT_EQ(slotOf(&C::ProcessLoggerDebug), 7);
    EXPECT_EQ(slotOf(&C::ShowProperties), 8);
    EXPECT_EQ(slotOf(&C::OpenFunctionHelp), 9);
    EXPECT_EQ(slotOf(&C::Clone), 10);
    EXPECT_EQ(slotOf(&C::IsViewable), 11);
    EXPECT_EQ(slotOf(&C::FormatColumnText), 12);
    EXPECT_EQ(slotOf(&C::GetBuffers), 13);
    EXPECT_EQ(slotOf(&C::GetGeneralPageInfo), 14);
    EXPECT_EQ(slotOf(&C::GetGeneralPageData), 15);
    EXPECT_EQ(slotOf(&C::FormatForOutput), 16);
    EXPECT_EQ(slotOf(&C::GetNumberOfLinesToExport), 17);
    EXPECT_EQ(slotOf(&C::BuildXmlElement), 18);
    EXPECT_EQ(slotOf(&C::ErrorReturned), 19);
    EXPECT_EQ(slotOf(&C::InitProcThreadInfo), 23);
    EXPECT_EQ(slotOf(&C::GetProcThreadInfo), 24);
    EXPECT_EQ(slotOf(&C::IncrementAuxCounter), 25);
    EXPECT_EQ(slotOf(&C::RemoveWrapper), 26);
    EXPECT_EQ(slotOf(&C::SetAuxValue1), 27);
    EXPECT_EQ(slotOf(&C::GetOutputLogger), 34);
    EXPECT_EQ(slotOf(&C::GetCallName), 35);
    EXPECT_EQ(slotOf(&C::FormatCallDescriptionInput), 36);
    EXPECT_EQ(slotOf(&C::FormatCallDescriptionOutput), 37);
    EXPECT_EQ(slotOf(&C::FormatCallDescriptionDebug), 38);
    EXPECT_EQ(slotOf(&C::GetNormalMaxViewableIndentLevel), 41);
    EXPECT_EQ(slotOf(&C::SetXmlCallStatus), 42);
    // The base record adds no virtual of its own.
    EXPECT_EQ(slotOf(&CKOCall::SetXmlCallStatus), 42);
    EXPECT_EQ(slotOf(&CKOCall::GetAuxCounter), -1);
}

// The plug-in calls GetApiType and GetFunctionId on the full logger at the
// same slots as on the interface.
TEST(LibraryBoundary, LoggerSlots) {
    using L = IKoVeskLogger;
    EXPECT_EQ(slotOf(&L::GetParamType), 0);
    EXPECT_EQ(slotOf(&L::GetParamBuffer), 11);
    EXPECT_EQ(slotOf(&L::GetApiType), 14);
    EXPECT_EQ(slotOf(&L::GetFunctionId), 15);
    EXPECT_EQ(slotOf(&L::GetParamElementSize), 19);
    EXPECT_EQ(slotOf(&IKoVeskLoggerImpl::GetApiType), 14);
    EXPECT_EQ(slotOf(&IKoVeskLoggerImpl::GetFunctionId), 15);
}

std::string exportedSymbols() {
    const std::string command =
        std::string("nm -DC --defined-only ") + KOVESK_BINARY_DIR "/lib/libKoVeskClasses.so";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char line[1024];
        while (std::fgets(line, sizeof line, pipe)) out += line;
        pclose(pipe);
    }
    return out;
}

// What plug-ins and the host program use is exported, with type
// information for the polymorphic classes; the library's internals are not.
TEST(LibraryBoundary, ExportedSymbols) {
    const std::string symbols = exportedSymbols();
    if (symbols.empty()) GTEST_SKIP() << "nm is not available";
    for (const char* wanted : {
             "typeinfo for IKoVeskCall", "typeinfo for CKOCall", "vtable for CKOCall",
             "typeinfo for IKoVeskLogger", "typeinfo for IKoVeskLoggerImpl",
             "typeinfo for CKOVeskMemoryLogger", "typeinfo for CProcThreadInfo",
             "CKOCall::SetCallDesc", "CallTag::AddBuffer", "CVeskUtility::StringToPlexa",
             "CVeskApiInfo::GetVeskApiInfo", "CKOVeskRegistry::GetApiValue",
             "CKOVeskLocalization::LookupStatusDescriptor", "CAppSettings::GetExportIsSummary",
             "CHelpLauncher::Help", "PlexaNewStringArray",
             " VeskClasses_ListCtrl_GetCurrentPropertyCall\n",
             " VeskClasses_ListCtrl_SetCurrentPropertyCall\n"}) {
        EXPECT_NE(symbols.find(wanted), std::string::npos) << wanted;
    }
    for (const char* hidden : {"FindVisaStatusDescription", "PublishedTable"}) {
        EXPECT_EQ(symbols.find(hidden), std::string::npos) << hidden;
    }
}

}  // namespace
