#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "format/CVisaFormat.h"

namespace nKoVeskLog210 {
namespace {

using tRow = CVisaGenericFormat::tNumNameMapInfo;
constexpr const tRow* kAttr = CVisaFormat::attrList;
constexpr const tRow* kEvent = CVisaFormat::eventList;
constexpr const tRow* kStatus = CVisaFormat::statusList;

// Every name of `value` in `rows`, in table order, joined by '|'.
std::string namesOf(const tRow* rows, uint32_t value) {
    std::string names;
    for (const tRow* row = rows; row->name; ++row) {
        if (row->value != value) continue;
        if (!names.empty()) names += '|';
        names += row->name;
    }
    return names;
}

// The lookup stops at the first null name, and a repeated value would make
// its second row unreachable.
TEST(NameTablesTest, RowCountsTerminatorsAndUniqueValues) {
    const struct {
        const tRow* rows;
        uint32_t count, expected;
    } tables[] = {{kAttr, CVisaFormat::kAttributeCount, 197},
                  {kEvent, CVisaFormat::kEventCount, 28},
                  {kStatus, CVisaFormat::kStatusCount, 98}};
    for (const auto& table : tables) {
        EXPECT_EQ(table.count, table.expected);
        uint32_t rows = 0;
        std::set<uint32_t> seen;
        for (; table.rows[rows].name; ++rows)
            EXPECT_TRUE(seen.insert(table.rows[rows].value).second) << table.rows[rows].name;
        EXPECT_EQ(rows, table.count);
        EXPECT_EQ(table.rows[rows].value, 0u);
    }
}

// The 32-bit and 64-bit PXI memory attributes share their names; two names
// carry "(obsolete)"; a sample across each table has the published values.
TEST(NameTablesTest, TellingAndSampledRows) {
    for (uint32_t bar = 0; bar < 6; ++bar) {
        const std::string base = "VI_ATTR_PXI_MEM_BASE_BAR" + std::to_string(bar);
        const std::string size = "VI_ATTR_PXI_MEM_SIZE_BAR" + std::to_string(bar);
        EXPECT_EQ(namesOf(kAttr, 0x3FFF0221u + bar), base);
        EXPECT_EQ(namesOf(kAttr, 0x3FFF0228u + bar), base);
        EXPECT_EQ(namesOf(kAttr, 0x3FFF0231u + bar), size);
        EXPECT_EQ(namesOf(kAttr, 0x3FFF0238u + bar), size);
    }
    int obsolete = 0;
    for (const tRow* row = kAttr; row->name; ++row) obsolete += !!std::strstr(row->name, "(obsolete)");
    EXPECT_EQ(obsolete, 2);
    const struct {
        const tRow* table;
        uint32_t value;
        const char* name;
    } rows[] = {
        {kAttr, 0x3FFF0203u, "(obsolete)VI_ATTR_PXI_SUB_MANF_ID"},
        {kAttr, 0x3FFF0204u, "(obsolete)VI_ATTR_PXI_SUB_MODEL_CODE"},
        {kAttr, 0x3FFF0007u, "VI_ATTR_USER_DATA"},
        {kAttr, 0xBFFF0002u, "VI_ATTR_RSRC_NAME"},
        {kAttr, 0x3FFF001Au, "VI_ATTR_TMO_VALUE"},
        {kAttr, 0x3FFF4026u, "VI_ATTR_RET_COUNT"},
        {kAttr, 0x3FFF4028u, "VI_ATTR_RET_COUNT_64"},
        {kAttr, 0xBFFF41B1u, "VI_ATTR_USB_RECV_INTR_DATA"},
        {kAttr, 0x3FFF01F5u, "VI_ATTR_FIREWIRE_UPPER_CHIP_ID"},
        {kEvent, 0x3FFF7FFFu, "VI_ALL_ENABLED_EVENTS"},
        {kEvent, 0xBFFF200Eu, "VI_EVENT_EXCEPTION"},
        {kEvent, 0x3FFF200Bu, "VI_EVENT_SERVICE_REQ"},
        {kEvent, 0x3FFF2024u, "VI_EVENT_ASRL_TERMCHAR"},
        {kStatus, 0x00000000u, "VI_SUCCESS"},
        {kStatus, 0x3FFF00A9u, "VI_WARN_EXT_FUNC_NIMPL"},
        {kStatus, 0xBFFF0015u, "VI_ERROR_TMO"},
        {kStatus, 0xBFFF00A8u, "VI_ERROR_NPERMISSION"},
    };
    for (const auto& row : rows) EXPECT_EQ(namesOf(row.table, row.value), row.name) << std::hex << row.value;
}

}  // namespace
}  // namespace nKoVeskLog210
