// Shared pieces of the entry-point tests: the entry points as a table of
// function pointers (found by name in the loaded plug-in, or linked), the
// runtime's handles filled with sentinels, and kinds of exception to throw
// through them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "entry/VeskEntryPoints.h"
#include "host/CKOVeskMemoryLogger.h"
#include "host/HostSideServices.h"
#include "host/Plexa.h"
#include "ko/zel/Exception.h"
#include "ko/zel/ExceptionWithMessage.h"

namespace kovesk_test {

// Every function the plug-in exports by name: the factory, then the page
// entry points. X(name) once for each.
#define KOVESK_ENTRY_POINTS(X)                                                                 \
    X(VeskNewCall) X(VeskVV_Input_GetParamData) X(VeskVV_Input_GetButtonData)                   \
    X(VeskVV_Input_OnHelpEvent) X(VeskVV_Input_OnHelpAttr) X(VeskVV_Output_GetParamData)        \
    X(VeskVV_Output_GetRetvalData) X(VeskVV_Buffer_GetParamData) X(VeskVV_Buffer_GetBufferData)

// The entry points as pointers typed by their declarations, each named as
// the function it points to (found by name in the loaded plug-in, or linked).
struct tEntryPoints {
#define KOVESK_ENTRY_POINT_MEMBER(name) decltype(&::name) name;
    KOVESK_ENTRY_POINTS(KOVESK_ENTRY_POINT_MEMBER)
#undef KOVESK_ENTRY_POINT_MEMBER
};

constexpr int32_t kSentinel = 0x5A5A5A5A;

inline std::vector<std::string> texts(HStr** handle) {
    return {std::string((*handle)->str, size_t((*handle)->cnt))};
}
inline std::vector<std::string> texts(HStrArray** handle) {
    std::vector<std::string> result;
    for (int32_t i = 0; i < (*handle)->cnt; ++i) result.push_back(texts((*handle)->elt[i])[0]);
    return result;
}
inline void addU32(CKOVeskMemoryLogger& logger, const char* name, int type, uint32_t value) {
    logger.SetParamBytes(logger.AddParam(name, type), &value, 4);
}

// The arguments of the page entry points; `fill` in every count and output.
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

// Calls every page entry point (the buffer page's if asked) with sentinels:
// none may throw, write a handle or an output, or show anything.
inline void expectNothingTouched(const tEntryPoints& entry, bool withBufferPage = true) {
    PageArguments a(kSentinel);
    EXPECT_NO_THROW(entry.VeskVV_Input_GetParamData(a.names, a.values));
    EXPECT_NO_THROW(entry.VeskVV_Output_GetParamData(a.names, a.values));
    EXPECT_NO_THROW(entry.VeskVV_Input_GetButtonData(&a.attribute, &a.event));
    EXPECT_NO_THROW(entry.VeskVV_Output_GetRetvalData(a.text, a.other));
    if (withBufferPage) {
        EXPECT_NO_THROW(entry.VeskVV_Buffer_GetParamData(0, a.text, a.names));
        EXPECT_NO_THROW(entry.VeskVV_Buffer_GetBufferData(a.values));
    }
    EXPECT_NO_THROW(entry.VeskVV_Input_OnHelpEvent());
    EXPECT_NO_THROW(entry.VeskVV_Input_OnHelpAttr());
    for (const int32_t value :
         {(*a.names)->cnt, (*a.values)->cnt, (*a.text)->cnt, (*a.other)->cnt, a.attribute, a.event}) {
        EXPECT_EQ(value, kSentinel);
    }
    EXPECT_EQ(nKoVeskHost::MessageBoxCount(), 0);
    EXPECT_EQ(nKoVeskHost::HelpRequestCount(), 0);
}

// Every kind of exception a record or the host may raise.
inline const std::pair<const char*, std::function<void()>> kThrowers[] = {
    {"support library exception", [] { KO_ZEL_THROW(ko::zel::exception::InvalidSequence); }},
    {"support library exception with message",
     [] { throw ko::zel::exception::OutOfRange2(StringBase("String offset out of range")); }},
    {"exhausted memory", [] { throw std::bad_alloc(); }},
    {"standard exception", [] { throw std::runtime_error("host failure"); }},
    {"not an exception class", [] { throw 42; }},
};

// The thrower `raise` runs (none: raise does nothing), and how often it ran.
inline const std::function<void()>* g_raise = nullptr;
inline int g_raised = 0;

inline void raise() {
    if (!g_raise) return;
    ++g_raised;
    (*g_raise)();
}

// With `record` on display, every kind of exception through every entry
// point: nothing touched, and `reached` of them reach what throws.
inline void expectEveryKindContained(const tEntryPoints& entry, IKoVeskCall& record, bool withBufferPage,
                                     int reached) {
    VeskClasses_ListCtrl_SetCurrentPropertyCall(&record);
    for (const auto& [kind, thrower] : kThrowers) {
        SCOPED_TRACE(kind);
        g_raise = &thrower;
        g_raised = 0;
        expectNothingTouched(entry, withBufferPage);
        EXPECT_EQ(g_raised, reached);
        // The failure is reported to the host, which shows it in place of the
        // page; the last one came from the attribute's help.
        StringBase report;
        ASSERT_TRUE(nKoVeskHost::TakePropertyPageFailure(report));
        EXPECT_EQ(std::string(report.c_str()).rfind("VeskVV_Input_OnHelpAttr: ", 0), 0u) << report.c_str();
    }
    g_raise = nullptr;
    VeskClasses_ListCtrl_SetCurrentPropertyCall(nullptr);
}

}  // namespace kovesk_test
