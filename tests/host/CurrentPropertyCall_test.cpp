// The page failure report: what a page entry point tells the host.
#include "host/CurrentPropertyCall.h"

#include <gtest/gtest.h>

#include <thread>

#include "host/HostSideServices.h"

namespace {

// A report is taken once, as "ENTRY POINT: REASON"; a missing text reads as
// unknown; each thread sees only its own.
TEST(PropertyPageFailure, ReportedOnceToTheThreadThatAsked) {
    StringBase message;
    EXPECT_FALSE(nKoVeskHost::TakePropertyPageFailure(message));
    VeskClasses_PropertyPage_ReportFailure("VeskVV_Input_GetParamData", "Failed to deserialize");
    bool seenElsewhere = true;
    std::thread([&] {
        StringBase other;
        seenElsewhere = nKoVeskHost::TakePropertyPageFailure(other);
    }).join();
    EXPECT_FALSE(seenElsewhere);
    ASSERT_TRUE(nKoVeskHost::TakePropertyPageFailure(message));
    EXPECT_STREQ(message.c_str(), "VeskVV_Input_GetParamData: Failed to deserialize");
    EXPECT_FALSE(nKoVeskHost::TakePropertyPageFailure(message));

    VeskClasses_PropertyPage_ReportFailure(nullptr, nullptr);
    ASSERT_TRUE(nKoVeskHost::TakePropertyPageFailure(message));
    EXPECT_STREQ(message.c_str(), "a page entry point: an unknown failure");
}

}  // namespace
