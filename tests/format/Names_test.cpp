#include <gtest/gtest.h>

#include <dlfcn.h>
#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "format/CVisaFormat.h"
#include "host/CKOVeskLocalization.h"
#include "tests/format/FormatTestSupport.h"

// Lets a test make every conversion descriptor fail to open, as for a locale
// whose character set cannot be converted to: the conversion then throws.
namespace {
std::atomic<bool> g_failIconvOpen{false};
}

extern "C" iconv_t iconv_open(const char* to, const char* from) {
    if (g_failIconvOpen.load()) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    using tIconvOpen = iconv_t (*)(const char*, const char*);
    static const tIconvOpen next = reinterpret_cast<tIconvOpen>(dlsym(RTLD_NEXT, "iconv_open"));
    return next(to, from);
}

namespace nKoVeskLog210 {
namespace {

using kovesk_test::g_host;
using kovesk_test::hostNames;
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

// The 32-bit and 64-bit PXI memory attributes share their names; two names
// keep "(obsolete)" in front; a sample across each table has the published
// values.
TEST(NameTablesTest, TellingAndSampledRows) {
    for (uint32_t bar = 0; bar < 6; ++bar) {
        for (const uint32_t value : {0x3FFF0221u + bar, 0x3FFF0228u + bar})
            EXPECT_EQ(namesOf(kAttr, value), "VI_ATTR_PXI_MEM_BASE_BAR" + std::to_string(bar)) << value;
        for (const uint32_t value : {0x3FFF0231u + bar, 0x3FFF0238u + bar})
            EXPECT_EQ(namesOf(kAttr, value), "VI_ATTR_PXI_MEM_SIZE_BAR" + std::to_string(bar)) << value;
    }
    const std::tuple<const tRow*, uint32_t, const char*> rows[] = {
        {kAttr, 0x3FFF0203u, "(obsolete)VI_ATTR_PXI_SUB_MANF_ID"},
        {kAttr, 0x3FFF0204u, "(obsolete)VI_ATTR_PXI_SUB_MODEL_CODE"},
        {kAttr, 0xBFFF0002u, "VI_ATTR_RSRC_NAME"},
        {kAttr, 0xBFFF41B1u, "VI_ATTR_USB_RECV_INTR_DATA"},
        {kEvent, 0x3FFF7FFFu, "VI_ALL_ENABLED_EVENTS"},
        {kEvent, 0xBFFF200Eu, "VI_EVENT_EXCEPTION"},
        {kStatus, 0x00000000u, "VI_SUCCESS"},
        {kStatus, 0xBFFF00A8u, "VI_ERROR_NPERMISSION"},
    };
    for (const auto& [table, value, name] : rows) EXPECT_EQ(namesOf(table, value), name) << std::hex << value;
}

// Every status with a name has the host's description, which the XML
// status and the return value row show beside it.
TEST(NameTablesTest, EveryNamedStatusIsDescribed) {
    for (const tRow* row = kStatus; row->name; ++row) {
        StringBase text;
        EXPECT_TRUE(CKOVeskLocalization::LookupStatusDescriptor(static_cast<int32_t>(row->value), "VISA", text))
            << row->name;
    }
}

// lookupName into a sentinel buffer; "<null>" when not found (buffer untouched).
class NameLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        nKoVeskHost::ResetApiInfo();
        m_logger.SetFunction("viGetAttribute", 1, kVisaApiType);
    }
    void TearDown() override {
        g_failIconvOpen = false;
        nKoVeskHost::ResetApiInfo();
    }
    std::string lookup(const tRow* table, uint32_t value, uint32_t outSize = kArgumentTextSize,
                       int index = 0, bool shortForm = false) {
        kovesk_test::SentinelBuffer out;
        const char* found = m_formatter.lookupName(table, value, &m_logger, index, eKoVeskLocaleEnglish,
                                                   shortForm, out.data(), outSize);
        if (!found) {
            EXPECT_TRUE(out.untouchedFrom(0)) << "a failed lookup wrote to the buffer";
            return "<null>";
        }
        EXPECT_EQ(found, out.data());
        EXPECT_TRUE(out.untouchedFrom(std::strlen(found) + 1));
        return found;
    }

    CVisaFormat m_formatter;
    CKOVeskMemoryLogger m_logger;
};

// The built-in tables are searched through a sorted index, any other table
// in order: every row's name is found again by its value (so no value
// repeats), and the index ends where an in-order scan stops, at the first
// null name. A table name is cut to the buffer.
TEST_F(NameLookupTest, TablesNameTheirValues) {
    EXPECT_EQ(lookup(nullptr, 0x3FFF001Au), "<null>");
    EXPECT_EQ(lookup(kAttr, 0), "<null>");
    for (const tRow* table : {kAttr, kEvent, kStatus}) {
        std::vector<tRow> scanned;
        for (const tRow* row = table; row->name; ++row) {
            EXPECT_EQ(lookup(table, row->value), row->name);
            scanned.push_back(*row);
        }
        scanned.push_back({nullptr, 0});
        for (const uint32_t absent : {0u, 0xFFFFFFFFu, 0x3FFF0000u})
            EXPECT_EQ(lookup(table, absent), lookup(scanned.data(), absent)) << std::hex << absent;
    }
    const tRow other[] = {{"FIRST", 5}, {"SECOND", 5}, {nullptr, 0}};
    EXPECT_EQ(lookup(other, 5), "FIRST");
    EXPECT_EQ(lookup(other, 6), "<null>");
    EXPECT_EQ(lookup(kStatus, 0, 8), "VI_SUCC");
    EXPECT_EQ(lookup(kStatus, 0, 1), "");
}

// The host of the call's API answers first, even without a table, and only
// when it names values, for a real parameter, with a name that fits whole.
TEST_F(NameLookupTest, TheHostAnswersFirst) {
    hostNames(L"TIMEOUT");
    EXPECT_EQ(lookup(kAttr, 0x3FFF001Au, kArgumentTextSize, 4, true), "TIMEOUT");
    EXPECT_EQ(g_host.index, 4);
    EXPECT_TRUE(g_host.compact);
    EXPECT_EQ(g_host.capacity, 1024u);
    EXPECT_EQ(lookup(nullptr, 0), "TIMEOUT");
    EXPECT_EQ(lookup(kAttr, 0x3FFF001Au, kArgumentTextSize, -1), "VI_ATTR_TMO_VALUE");
    hostNames(std::wstring(31, L'N'));
    EXPECT_EQ(lookup(kAttr, 0x3FFF001Au, 32), std::string(31, 'N'));
    hostNames(std::wstring(32, L'N'));
    EXPECT_EQ(lookup(kAttr, 0x3FFF001Au, 32), "VI_ATTR_TMO_VALUE");
    nKoVeskHost::ResetApiInfo();
    hostNames(L"OTHER", 7);
    EXPECT_EQ(lookup(nullptr, 0), "<null>");
    m_logger.SetFunction("otherCall", 1, 7);
    EXPECT_EQ(lookup(nullptr, 0), "OTHER");
}

// A host name whose conversion throws is no name: the table answers.
TEST_F(NameLookupTest, AHostNameThatCannotBeConvertedIsIgnored) {
    hostNames(L"HOST");
    g_failIconvOpen = true;
    EXPECT_EQ(lookup(kAttr, 0x3FFF001Au), "VI_ATTR_TMO_VALUE");
    EXPECT_EQ(lookup(nullptr, 0), "<null>");
    EXPECT_EQ(g_host.calls, 2);
}

}  // namespace
}  // namespace nKoVeskLog210
