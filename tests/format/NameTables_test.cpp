#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "format/CVisaFormat.h"

namespace nKoVeskLog210 {
namespace {

using tRow = CVisaGenericFormat::tNumNameMapInfo;

struct tTable {
    const char* label;
    const tRow* rows;
    uint32_t count;
};

const tTable kTables[] = {
    {"attrList", CVisaFormat::attrList, CVisaFormat::kAttributeCount},
    {"eventList", CVisaFormat::eventList, CVisaFormat::kEventCount},
    {"statusList", CVisaFormat::statusList, CVisaFormat::kStatusCount},
};

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

uint32_t positionOf(const tRow* rows, const char* name) {
    uint32_t position = 0;
    for (const tRow* row = rows; row->name; ++row, ++position) {
        if (std::strcmp(row->name, name) == 0) return position;
    }
    return UINT32_MAX;
}

// The lookup stops at the first null name: the count must end exactly there,
// and the terminator must be the {nullptr, 0} row.
TEST(NameTablesTest, EachTableHasItsRowCountAndEndsWithTheTerminator) {
    EXPECT_EQ(CVisaFormat::kAttributeCount, 197u);
    EXPECT_EQ(CVisaFormat::kEventCount, 28u);
    EXPECT_EQ(CVisaFormat::kStatusCount, 98u);
    for (const tTable& table : kTables) {
        uint32_t rows = 0;
        while (table.rows[rows].name) ++rows;
        EXPECT_EQ(rows, table.count) << table.label;
        EXPECT_EQ(table.rows[table.count].name, nullptr) << table.label;
        EXPECT_EQ(table.rows[table.count].value, 0u) << table.label;
    }
}

// A value with two rows would make the second unreachable.
TEST(NameTablesTest, EveryValueOccursOncePerTable) {
    for (const tTable& table : kTables) {
        std::set<uint32_t> seen;
        for (uint32_t i = 0; i < table.count; ++i) {
            EXPECT_TRUE(seen.insert(table.rows[i].value).second)
                << table.label << " repeats 0x" << std::hex << table.rows[i].value << " at row "
                << std::dec << i;
        }
    }
}

// The names are shown as they are, and the short forms cut at "VI_EVENT_"
// and "_ATTR_": every row must carry its family's marker.
TEST(NameTablesTest, EveryNameBelongsToItsFamily) {
    for (uint32_t i = 0; i < CVisaFormat::kAttributeCount; ++i) {
        EXPECT_NE(std::strstr(CVisaFormat::attrList[i].name, "VI_ATTR_"), nullptr)
            << CVisaFormat::attrList[i].name;
    }
    for (uint32_t i = 0; i < CVisaFormat::kEventCount; ++i) {
        const char* name = CVisaFormat::eventList[i].name;
        EXPECT_TRUE(std::strncmp(name, "VI_EVENT_", 9) == 0 ||
                    std::strcmp(name, "VI_ALL_ENABLED_EVENTS") == 0)
            << name;
    }
    for (uint32_t i = 0; i < CVisaFormat::kStatusCount; ++i) {
        const char* name = CVisaFormat::statusList[i].name;
        EXPECT_TRUE(std::strncmp(name, "VI_SUCCESS", 10) == 0 ||
                    std::strncmp(name, "VI_WARN_", 8) == 0 ||
                    std::strncmp(name, "VI_ERROR_", 9) == 0)
            << name;
    }
}

// Both the 32-bit and the 64-bit PXI memory attributes read alike: six
// names, each under two values, the 32-bit rows first.
TEST(NameTablesTest, PxiMemoryBaseAndSizeNameBothVariants) {
    for (uint32_t bar = 0; bar < 6; ++bar) {
        const std::string base = "VI_ATTR_PXI_MEM_BASE_BAR" + std::to_string(bar);
        const std::string size = "VI_ATTR_PXI_MEM_SIZE_BAR" + std::to_string(bar);
        EXPECT_EQ(namesOf(CVisaFormat::attrList, 0x3FFF0221u + bar), base);
        EXPECT_EQ(namesOf(CVisaFormat::attrList, 0x3FFF0228u + bar), base);
        EXPECT_EQ(namesOf(CVisaFormat::attrList, 0x3FFF0231u + bar), size);
        EXPECT_EQ(namesOf(CVisaFormat::attrList, 0x3FFF0238u + bar), size);
    }
    EXPECT_LT(positionOf(CVisaFormat::attrList, "VI_ATTR_PXI_MEM_SIZE_BAR5"),
              positionOf(CVisaFormat::attrList, "VI_ATTR_PXI_SLOT_LBUS_LEFT"));
}

TEST(NameTablesTest, TwoObsoleteAttributesCarryTheMarkInTheirNames) {
    EXPECT_EQ(namesOf(CVisaFormat::attrList, 0x3FFF0203u), "(obsolete)VI_ATTR_PXI_SUB_MANF_ID");
    EXPECT_EQ(namesOf(CVisaFormat::attrList, 0x3FFF0204u),
              "(obsolete)VI_ATTR_PXI_SUB_MODEL_CODE");
    int marked = 0;
    for (uint32_t i = 0; i < CVisaFormat::kAttributeCount; ++i) {
        if (std::strstr(CVisaFormat::attrList[i].name, "(obsolete)")) ++marked;
    }
    EXPECT_EQ(marked, 2);
}

// A sample across each table, with the values the published VISA constants
// have: the first and last rows, high-bit values, and values where the
// tables keep the 32-bit variant of an attribute.
struct tPublished {
    const tRow* table;
    const char* name;
    uint32_t value;
};

const tPublished kPublished[] = {
    {CVisaFormat::attrList, "VI_ATTR_USER_DATA", 0x3FFF0007u},
    {CVisaFormat::attrList, "VI_ATTR_RSRC_CLASS", 0xBFFF0001u},
    {CVisaFormat::attrList, "VI_ATTR_RSRC_NAME", 0xBFFF0002u},
    {CVisaFormat::attrList, "VI_ATTR_TMO_VALUE", 0x3FFF001Au},
    {CVisaFormat::attrList, "VI_ATTR_WIN_BASE_ADDR", 0x3FFF009Bu},
    {CVisaFormat::attrList, "VI_ATTR_WIN_SIZE", 0x3FFF009Cu},
    {CVisaFormat::attrList, "VI_ATTR_RET_COUNT", 0x3FFF4026u},
    {CVisaFormat::attrList, "VI_ATTR_RET_COUNT_64", 0x3FFF4028u},
    {CVisaFormat::attrList, "VI_ATTR_PXI_SLOTPATH", 0xBFFF0207u},
    {CVisaFormat::attrList, "VI_ATTR_TCPIP_HISLIP_OVERLAP_EN", 0x3FFF0300u},
    {CVisaFormat::attrList, "VI_ATTR_USB_RECV_INTR_DATA", 0xBFFF41B1u},
    {CVisaFormat::attrList, "VI_ATTR_RESMAN_STATUS", 0x3FFF8110u},
    {CVisaFormat::attrList, "VI_ATTR_USB_CTRL_PIPE", 0x3FFF01B0u},
    {CVisaFormat::attrList, "VI_ATTR_VXI_TRIG_LINES_EN", 0x3FFF4043u},
    {CVisaFormat::attrList, "VI_ATTR_VXI_TRIG_DIR", 0x3FFF4044u},
    {CVisaFormat::attrList, "VI_ATTR_FIREWIRE_UPPER_CHIP_ID", 0x3FFF01F5u},
    {CVisaFormat::eventList, "VI_ALL_ENABLED_EVENTS", 0x3FFF7FFFu},
    {CVisaFormat::eventList, "VI_EVENT_EXCEPTION", 0xBFFF200Eu},
    {CVisaFormat::eventList, "VI_EVENT_TRIG", 0xBFFF200Au},
    {CVisaFormat::eventList, "VI_EVENT_SERVICE_REQ", 0x3FFF200Bu},
    {CVisaFormat::eventList, "VI_EVENT_USB_INTR", 0x3FFF2037u},
    {CVisaFormat::eventList, "VI_EVENT_ASRL_TERMCHAR", 0x3FFF2024u},
    {CVisaFormat::statusList, "VI_SUCCESS", 0x00000000u},
    {CVisaFormat::statusList, "VI_SUCCESS_SYNC", 0x3FFF009Bu},
    {CVisaFormat::statusList, "VI_WARN_EXT_FUNC_NIMPL", 0x3FFF00A9u},
    {CVisaFormat::statusList, "VI_ERROR_SYSTEM_ERROR", 0xBFFF0000u},
    {CVisaFormat::statusList, "VI_ERROR_TMO", 0xBFFF0015u},
    {CVisaFormat::statusList, "VI_ERROR_NPERMISSION", 0xBFFF00A8u},
};

TEST(NameTablesTest, SampledRowsHaveThePublishedValues) {
    for (const tPublished& row : kPublished) {
        EXPECT_EQ(namesOf(row.table, row.value), row.name) << std::hex << row.value;
    }
}

TEST(NameTablesTest, RowOrderIsKept) {
    EXPECT_STREQ(CVisaFormat::attrList[0].name, "VI_ATTR_USER_DATA");
    EXPECT_STREQ(CVisaFormat::attrList[CVisaFormat::kAttributeCount - 1].name,
                 "VI_ATTR_FIREWIRE_UPPER_CHIP_ID");
    EXPECT_STREQ(CVisaFormat::eventList[0].name, "VI_ALL_ENABLED_EVENTS");
    EXPECT_STREQ(CVisaFormat::eventList[22].name, "VI_EVENT_ASRL_TERMCHAR");
    EXPECT_STREQ(CVisaFormat::statusList[0].name, "VI_SUCCESS");
    EXPECT_STREQ(CVisaFormat::statusList[CVisaFormat::kStatusCount - 1].name,
                 "VI_ERROR_NPERMISSION");
    // The three attributes of our choosing follow the user alias directly.
    const uint32_t alias = positionOf(CVisaFormat::attrList, "VI_ATTR_RSRC_USER_ALIAS");
    EXPECT_EQ(positionOf(CVisaFormat::attrList, "VI_ATTR_USB_CTRL_PIPE"), alias + 1);
    EXPECT_EQ(positionOf(CVisaFormat::attrList, "VI_ATTR_VXI_TRIG_DIR"), alias + 3);
    EXPECT_EQ(positionOf(CVisaFormat::attrList, "VI_ATTR_FIREWIRE_DEST_UPPER_OFFSET"),
              alias + 4);
}

}  // namespace
}  // namespace nKoVeskLog210
