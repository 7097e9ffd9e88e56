// The host library as a plug-in sees it: virtual-table slots of the record
// and logger interfaces, and the symbols the library exports.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
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

// Slots plug-ins are built against (0 and 1 are the destructors): the first
// and last of each group named in the interface's comments.
TEST(LibraryBoundary, VirtualTableSlots) {
    using C = IKoVeskCall;
    using L = IKoVeskLogger;
    const struct {
        long actual;
        long expected;
    } slots[] = {
        {slotOf(&C::operator==), 2},        {slotOf(&C::ProcessLoggerInput), 4},
        {slotOf(&C::ShowProperties), 8},    {slotOf(&C::Clone), 10},
        {slotOf(&C::FormatForOutput), 16},  {slotOf(&C::BuildXmlElement), 18},
        {slotOf(&C::ErrorReturned), 19},    {slotOf(&C::InitProcThreadInfo), 23},
        {slotOf(&C::RemoveWrapper), 26},    {slotOf(&C::SetAuxValue1), 27},
        {slotOf(&C::GetOutputLogger), 34},  {slotOf(&C::GetCallName), 35},
        {slotOf(&C::SetXmlCallStatus), 42}, {slotOf(&CKOCall::SetXmlCallStatus), 42},
        {slotOf(&L::GetParamType), 0},      {slotOf(&L::GetParamBuffer), 11},
        {slotOf(&L::GetApiType), 14},       {slotOf(&L::GetFunctionId), 15},
        {slotOf(&L::GetParamElementSize), 19},
        // The plug-in reaches these two on the full logger at the same slots.
        {slotOf(&IKoVeskLoggerImpl::GetApiType), 14},
        {slotOf(&IKoVeskLoggerImpl::GetFunctionId), 15},
        // The base record's own additions are not virtual.
        {slotOf(&CKOCall::GetAuxCounter), -1},
    };
    for (size_t i = 0; i < std::size(slots); ++i) {
        EXPECT_EQ(slots[i].actual, slots[i].expected) << "row " << i;
    }
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
