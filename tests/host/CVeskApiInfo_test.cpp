// The per-API records.
#include "host/CVeskApiInfo.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "host/HostSideServices.h"

namespace {

// The known families 0 to 63 have a record each; every other number shares
// one, so a capture naming a million API types costs nothing. Records stay
// where they are (a plug-in may keep the pointer) and the reset empties
// them in place.
TEST(ApiInfo, KnownFamiliesOwnRecordsOthersShareOne) {
    const int32_t known[] = {0, 1, 3, 27, 63};
    const int32_t unknown[] = {64, -1, 1000000, INT_MIN, INT_MAX};
    std::set<CVeskApiInfo*> records;
    for (const int32_t type : known) records.insert(CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType(type)));
    EXPECT_EQ(records.size(), std::size(known));
    CVeskApiInfo* shared = CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType(64));
    EXPECT_EQ(records.count(shared), 0u);
    for (const int32_t type : unknown) {
        EXPECT_EQ(CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType(type)), shared) << type;
    }
    records.insert(shared);
    for (CVeskApiInfo* info : records) info->helpFilePath = "/help/file.chm";
    nKoVeskHost::ResetApiInfo();
    for (const int32_t type : known) {
        EXPECT_TRUE(CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType(type))->helpFilePath.empty()) << type;
    }
    EXPECT_TRUE(shared->helpFilePath.empty());
}

}  // namespace
