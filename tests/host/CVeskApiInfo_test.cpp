// The per-API records.
#include "host/CVeskApiInfo.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "host/HostSideServices.h"

namespace {

// Every int names an API family whose record stays where it is, inside and
// outside the fixed array alike (a plug-in may keep the pointer); the reset
// empties the records in place.
TEST(ApiInfo, OneRecordPerTypeThatNeverMoves) {
    const int32_t types[] = {0, 63, 64, -1, INT_MIN, INT_MAX};
    std::set<CVeskApiInfo*> records;
    for (const int32_t type : types) {
        records.insert(CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType(type)));
        CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType(type))->helpFilePath = "/help/file.chm";
    }
    EXPECT_EQ(records.size(), std::size(types));
    nKoVeskHost::ResetApiInfo();
    for (const int32_t type : types) {
        CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType(type));
        EXPECT_TRUE(records.count(info) && info->helpFilePath.empty()) << type;
    }
}

}  // namespace
