#include <gtest/gtest.h>

#include <dlfcn.h>
#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <string>

#include "format/CVisaFormat.h"
#include "tests/format/format_test_support.h"

// Lets a test make every conversion descriptor fail to open, as it does for a
// locale whose character set the C library cannot convert to; otherwise the
// C library's iconv_open answers.
namespace {
std::atomic<bool> g_failIconvOpen{false};
}

extern "C" iconv_t iconv_open(const char* to, const char* from) {
    if (g_failIconvOpen.load()) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    using tIconvOpen = iconv_t (*)(const char*, const char*);
    static const tIconvOpen next =
        reinterpret_cast<tIconvOpen>(dlsym(RTLD_NEXT, "iconv_open"));
    return next(to, from);
}

namespace nKoVeskLog210 {
namespace {

using kovesk_test::addScalar;
using kovesk_test::SentinelBuffer;

constexpr int kOtherApiType = 7;

// What the host's value-name callback answers, and what it was asked.
struct tHostAnswer {
    bool answers = false;
    std::wstring name;
    int calls = 0;
    int index = -1;
    eKoVeskLocale locale = eKoVeskLocaleEnglish;
    bool compact = false;
    uint32_t capacity = 0;
};
tHostAnswer g_host;

bool hostValueName(const IKoVeskLogger*, int index, eKoVeskLocale locale, bool compact,
                   uint32_t capacity, wchar_t* buffer) {
    ++g_host.calls;
    g_host.index = index;
    g_host.locale = locale;
    g_host.compact = compact;
    g_host.capacity = capacity;
    if (!g_host.answers) return false;
    std::wcsncpy(buffer, g_host.name.c_str(), capacity);
    return true;
}

class NameLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        CVeskApiInfo::ResetAll();
        g_host = tHostAnswer();
        m_logger.SetFunction("viGetAttribute", 1, kVisaApiType);
    }
    void TearDown() override {
        CVeskApiInfo::ResetAll();
        CKOVeskRegistry::ClearApiValues();
        CKOVeskLocalization::ClearStatusDescriptors();
        CKOVeskLocalization::SetLocaleLanguage(eKoVeskLocaleEnglish);
        g_failIconvOpen = false;
    }

    void hostNamesValues(int apiType = kVisaApiType) {
        CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(apiType));
        info->hasValueNames = true;
        info->valueNameCallback = hostValueName;
    }
    void hostAnswers(const std::wstring& name) {
        g_host.answers = true;
        g_host.name = name;
    }

    // lookupName into a sentinel buffer of `outSize` bytes; "<null>" when
    // nothing was found, and then the buffer must be untouched.
    std::string lookup(const CVisaGenericFormat::tNumNameMapInfo* table, uint32_t value,
                       uint32_t outSize = kArgumentTextSize, int index = 0,
                       bool shortForm = false) {
        SentinelBuffer out;
        const char* found = m_formatter.lookupName(table, value, &m_logger, index,
                                                   eKoVeskLocaleEnglish, shortForm,
                                                   out.data(), outSize);
        if (!found) {
            EXPECT_TRUE(out.untouchedFrom(0)) << "a failed lookup wrote to the buffer";
            return "<null>";
        }
        EXPECT_EQ(found, out.data());
        EXPECT_LT(std::strlen(found), outSize);
        EXPECT_TRUE(out.untouchedFrom(std::strlen(found) + 1));
        return found;
    }

    CVisaFormat m_formatter;
    CKOVeskMemoryLogger m_logger;
};

// --- the built-in tables ------------------------------------------------------

TEST_F(NameLookupTest, WithoutTableOrHostNamesThereIsNoName) {
    EXPECT_EQ(lookup(nullptr, 0x3FFF001Au), "<null>");
}

TEST_F(NameLookupTest, TheTableNamesItsValues) {
    EXPECT_EQ(lookup(CVisaFormat::statusList, 0), "VI_SUCCESS");
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0), "<null>");
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF0228u), "VI_ATTR_PXI_MEM_BASE_BAR0");
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF0221u), "VI_ATTR_PXI_MEM_BASE_BAR0");
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF0203u), "(obsolete)VI_ATTR_PXI_SUB_MANF_ID");
    EXPECT_EQ(lookup(CVisaFormat::eventList, 0x3FFF2F05u), "VI_EVENT_VENDOR_DEFINED_5");
}

// The built-in tables are searched through a sorted index: every row must
// still be found by its value.
TEST_F(NameLookupTest, EveryRowOfTheBuiltInTablesIsFound) {
    const CVisaGenericFormat::tNumNameMapInfo* tables[] = {
        CVisaFormat::attrList, CVisaFormat::eventList, CVisaFormat::statusList};
    for (const auto* table : tables) {
        for (const auto* row = table; row->name; ++row) {
            EXPECT_EQ(lookup(table, row->value), row->name);
        }
    }
}

// Any other table is searched in order: the first row of a value answers.
TEST_F(NameLookupTest, AnyOtherTableAnswersWithItsFirstRowOfTheValue) {
    const CVisaGenericFormat::tNumNameMapInfo table[] = {
        {"FIRST", 5}, {"SECOND", 5}, {"OTHER", 6}, {nullptr, 0}};
    EXPECT_EQ(lookup(table, 5), "FIRST");
    EXPECT_EQ(lookup(table, 6), "OTHER");
    EXPECT_EQ(lookup(table, 7), "<null>");
}

// A table starting with its terminator has no names.
TEST_F(NameLookupTest, AnEmptyTableHasNoNames) {
    const CVisaGenericFormat::tNumNameMapInfo empty[] = {{nullptr, 0}};
    EXPECT_EQ(lookup(empty, 0), "<null>");
}

// A table name longer than the buffer is cut to outSize - 1 characters.
TEST_F(NameLookupTest, ATableNameIsCutToTheBuffer) {
    EXPECT_EQ(lookup(CVisaFormat::statusList, 0, 8), "VI_SUCC");
    EXPECT_EQ(lookup(CVisaFormat::statusList, 0, 1), "");
}

// --- the host's names -----------------------------------------------------------

TEST_F(NameLookupTest, TheHostsNameComesFirstAndIsAskedEvenWithoutTable) {
    hostNamesValues();
    hostAnswers(L"TIMEOUT");
    CKOVeskLocalization::SetLocaleLanguage(eKoVeskLocaleGerman);
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au, kArgumentTextSize, 4, true), "TIMEOUT");
    EXPECT_EQ(g_host.index, 4);
    EXPECT_TRUE(g_host.compact);
    EXPECT_EQ(g_host.capacity, 1024u);
    EXPECT_EQ(lookup(nullptr, 0), "TIMEOUT");
}

TEST_F(NameLookupTest, TheCallerLocaleIsPassedToTheHost) {
    hostNamesValues();
    char out[64];
    m_formatter.lookupName(nullptr, 0, &m_logger, 0, eKoVeskLocaleJapanese, false, out,
                           sizeof out);
    EXPECT_EQ(g_host.locale, eKoVeskLocaleJapanese);
}

TEST_F(NameLookupTest, AHostWithoutAnAnswerLeavesTheTableToAnswer) {
    hostNamesValues();
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au), "VI_ATTR_TMO_VALUE");
    EXPECT_EQ(g_host.calls, 1);
}

// The host is asked only when it says it names values, and only for a real
// parameter position.
TEST_F(NameLookupTest, TheHostIsNotAskedWithoutValueNamesOrForANegativeIndex) {
    CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa)->valueNameCallback = hostValueName;
    hostAnswers(L"HOST");
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au), "VI_ATTR_TMO_VALUE");
    hostNamesValues();
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au, kArgumentTextSize, -1),
              "VI_ATTR_TMO_VALUE");
    EXPECT_EQ(g_host.calls, 0);
}

// The host's information record is that of the logged call's API.
TEST_F(NameLookupTest, TheHostOfTheCallsApiIsAsked) {
    hostNamesValues(kOtherApiType);
    hostAnswers(L"OTHER");
    EXPECT_EQ(lookup(nullptr, 0), "<null>");
    m_logger.SetFunction("otherCall", 1, kOtherApiType);
    EXPECT_EQ(lookup(nullptr, 0), "OTHER");
}

// A host name is used only whole: outSize - 1 characters fit, outSize do not.
TEST_F(NameLookupTest, AHostNameIsUsedOnlyWhenItFitsWithItsTerminator) {
    hostNamesValues();
    hostAnswers(std::wstring(31, L'N'));
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au, 32), std::string(31, 'N'));
    hostAnswers(std::wstring(32, L'N'));
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au, 32), "VI_ATTR_TMO_VALUE");
    EXPECT_EQ(lookup(nullptr, 0, 32), "<null>");
}

TEST_F(NameLookupTest, TheLongestHostNameFillsTheWholeBuffer) {
    hostNamesValues();
    hostAnswers(std::wstring(1023, L'x'));
    EXPECT_EQ(lookup(nullptr, 0).size(), 1023u);
}

// A failure while converting the host's name is no name: the table answers.
TEST_F(NameLookupTest, AHostNameThatCannotBeConvertedIsIgnored) {
    hostNamesValues();
    hostAnswers(L"HOST");
    g_failIconvOpen = true;
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au), "VI_ATTR_TMO_VALUE");
    EXPECT_EQ(lookup(nullptr, 0), "<null>");
    EXPECT_EQ(g_host.calls, 2);
}

// --- event and attribute names of a call -----------------------------------------

TEST_F(NameLookupTest, EventAndAttributeNamesUseTheTablesForVisaCallsOnly) {
    const int event = addScalar<uint32_t>(m_logger, 27, 0xBFFF200Au);
    const int attribute = addScalar<uint32_t>(m_logger, 29, 0x3FFF001Au);
    char out[kArgumentTextSize];
    EXPECT_STREQ(m_formatter.GetEventName(&m_logger, event, out, sizeof out), "VI_EVENT_TRIG");
    EXPECT_STREQ(m_formatter.GetAttributeName(&m_logger, attribute, out, sizeof out),
                 "VI_ATTR_TMO_VALUE");

    m_logger.SetFunction("otherCall", 1, kOtherApiType);
    EXPECT_EQ(m_formatter.GetEventName(&m_logger, event, out, sizeof out), nullptr);
    EXPECT_EQ(m_formatter.GetAttributeName(&m_logger, attribute, out, sizeof out), nullptr);
    hostNamesValues(kOtherApiType);
    hostAnswers(L"Trigger");
    EXPECT_STREQ(m_formatter.GetEventName(&m_logger, event, out, sizeof out), "Trigger");
    EXPECT_FALSE(g_host.compact);
}

TEST_F(NameLookupTest, AnUnknownEventHasNoName) {
    const int event = addScalar<uint32_t>(m_logger, 27, 0x3FFF2FFFu);
    char out[16];
    EXPECT_EQ(m_formatter.GetEventName(&m_logger, event, out, sizeof out), nullptr);
}

// --- localized status descriptions ------------------------------------------------

TEST_F(NameLookupTest, AStatusDescriptionNeedsTheApisStatusPrefix) {
    StringBase descriptor("untouched");
    CKOVeskLocalization::SetStatusDescriptor("VISA", static_cast<int32_t>(0xBFFF0015u),
                                             "Timeout expired.");
    EXPECT_FALSE(m_formatter.LookupStatusDescriptor(eKoVeskApiVisa, "BFFF0015", descriptor));
    EXPECT_EQ(descriptor, "untouched");

    CKOVeskRegistry::SetApiValue(kVisaApiType, "StatusPrefix", "VISA");
    EXPECT_TRUE(m_formatter.LookupStatusDescriptor(eKoVeskApiVisa, "BFFF0015", descriptor));
    EXPECT_EQ(descriptor, "Timeout expired.");
}

TEST_F(NameLookupTest, TheStatusTextIsReadAsHexadecimal) {
    CKOVeskRegistry::SetApiValue(kOtherApiType, "StatusPrefix", "OTHER");
    CKOVeskLocalization::SetStatusDescriptor("OTHER", 0x1A, "twenty-six");
    StringBase descriptor;
    EXPECT_TRUE(m_formatter.LookupStatusDescriptor(static_cast<EKoVeskApiType>(kOtherApiType),
                                                   "0000001A", descriptor));
    EXPECT_EQ(descriptor, "twenty-six");
    EXPECT_FALSE(m_formatter.LookupStatusDescriptor(static_cast<EKoVeskApiType>(kOtherApiType),
                                                    "0000001B", descriptor));
    // The empty code of a status text without "0x" must not read as code 0.
    CKOVeskLocalization::SetStatusDescriptor("OTHER", 0, "success");
    for (const char* notHex : {"", "xyz"}) {
        StringBase untouched("untouched");
        EXPECT_FALSE(m_formatter.LookupStatusDescriptor(
            static_cast<EKoVeskApiType>(kOtherApiType), notHex, untouched));
        EXPECT_EQ(untouched, "untouched");
    }
}

}  // namespace
}  // namespace nKoVeskLog210
