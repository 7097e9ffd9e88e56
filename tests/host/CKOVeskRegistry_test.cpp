// The per-API settings.
#include "host/CKOVeskRegistry.h"

#include <gtest/gtest.h>

#include <tuple>

#include "host/HostSideServices.h"

namespace {

// A value belongs to one (API type, key) pair, negative types included, and
// the key's letter case counts; a missing one leaves the caller's value
// untouched.
TEST(Registry, ValuesPerApiTypeAndKey) {
    nKoVeskHost::ClearApiValues();
    nKoVeskHost::SetApiValue(3, "StatusPrefix", "VISA");
    nKoVeskHost::SetApiValue(-7, "StatusPrefix", "NEG");
    nKoVeskHost::SetApiValue(3, "StatusPrefix", "VISA2");  // replaces
    const std::tuple<int32_t, const char*, const char*> cases[] = {  // expected null: none
        {3, "StatusPrefix", "VISA2"}, {-7, "StatusPrefix", "NEG"}, {5, "StatusPrefix", nullptr},
        {3, "OtherKey", nullptr},     {3, "statusprefix", nullptr},
    };
    for (const auto& [apiType, key, expected] : cases) {
        StringBase value("untouched");
        EXPECT_EQ(CKOVeskRegistry::GetApiValue(EKoVeskApiType(apiType), key, value, true),
                  expected != nullptr);
        EXPECT_STREQ(value.c_str(), expected ? expected : "untouched") << key;
    }
    nKoVeskHost::ClearApiValues();
}

}  // namespace
