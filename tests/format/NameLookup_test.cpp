#include <gtest/gtest.h>

#include <dlfcn.h>
#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cwchar>
#include <string>

#include "format/CVisaFormat.h"
#include "tests/format/format_test_support.h"

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

using kovesk_test::addCaptured;
using kovesk_test::of;
using tRow = CVisaGenericFormat::tNumNameMapInfo;
constexpr int kOtherApiType = 7;

struct tHost {
    bool answers = false;
    std::wstring name;
    int calls = 0, index = -1;
    bool compact = false;
    uint32_t capacity = 0;
} g_host;

bool hostValueName(const IKoVeskLogger*, int index, eKoVeskLocale, bool compact,
                   uint32_t capacity, wchar_t* buffer) {
    ++g_host.calls;
    g_host.index = index;
    g_host.compact = compact;
    g_host.capacity = capacity;
    if (g_host.answers) std::wcsncpy(buffer, g_host.name.c_str(), capacity);
    return g_host.answers;
}

class NameLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        CVeskApiInfo::ResetAll();
        g_host = tHost();
        m_logger.SetFunction("viGetAttribute", 1, kVisaApiType);
    }
    void TearDown() override {
        CVeskApiInfo::ResetAll();
        CKOVeskRegistry::ClearApiValues();
        CKOVeskLocalization::ClearStatusDescriptors();
        g_failIconvOpen = false;
    }
    void hostAnswers(const std::wstring& name, int apiType = kVisaApiType) {
        CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(apiType));
        info->hasValueNames = true;
        info->valueNameCallback = hostValueName;
        g_host.answers = true;
        g_host.name = name;
    }
    // lookupName into a sentinel buffer of `outSize` bytes; "<null>" when
    // nothing was found, and then the buffer must be untouched.
    std::string lookup(const tRow* table, uint32_t value, uint32_t outSize = kArgumentTextSize,
                       int index = 0, bool shortForm = false) {
        kovesk_test::SentinelBuffer out;
        const char* found = m_formatter.lookupName(table, value, &m_logger, index,
                                                   eKoVeskLocaleEnglish, shortForm, out.data(),
                                                   outSize);
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
// in order; a table name is cut to the buffer.
TEST_F(NameLookupTest, TablesNameTheirValues) {
    EXPECT_EQ(lookup(nullptr, 0x3FFF001Au), "<null>");
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0), "<null>");
    for (const tRow* table : {CVisaFormat::attrList, CVisaFormat::eventList, CVisaFormat::statusList})
        for (const tRow* row = table; row->name; ++row) EXPECT_EQ(lookup(table, row->value), row->name);
    const tRow other[] = {{"FIRST", 5}, {"SECOND", 5}, {nullptr, 0}};
    EXPECT_EQ(lookup(other, 5), "FIRST");
    EXPECT_EQ(lookup(other, 6), "<null>");
    EXPECT_EQ(lookup(CVisaFormat::statusList, 0, 8), "VI_SUCC");
    EXPECT_EQ(lookup(CVisaFormat::statusList, 0, 1), "");
}

// The host of the call's API answers first, even without a table, and only
// when it names values, for a real parameter, with a name that fits whole.
TEST_F(NameLookupTest, TheHostAnswersFirst) {
    hostAnswers(L"TIMEOUT");
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au, kArgumentTextSize, 4, true), "TIMEOUT");
    EXPECT_EQ(g_host.index, 4);
    EXPECT_TRUE(g_host.compact);
    EXPECT_EQ(g_host.capacity, 1024u);
    EXPECT_EQ(lookup(nullptr, 0), "TIMEOUT");
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au, kArgumentTextSize, -1), "VI_ATTR_TMO_VALUE");
    hostAnswers(std::wstring(31, L'N'));
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au, 32), std::string(31, 'N'));
    hostAnswers(std::wstring(32, L'N'));
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au, 32), "VI_ATTR_TMO_VALUE");
    EXPECT_EQ(lookup(nullptr, 0, 32), "<null>");
    g_host.answers = false;
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au), "VI_ATTR_TMO_VALUE");
    CVeskApiInfo::ResetAll();
    hostAnswers(L"OTHER", kOtherApiType);
    EXPECT_EQ(lookup(nullptr, 0), "<null>");
    m_logger.SetFunction("otherCall", 1, kOtherApiType);
    EXPECT_EQ(lookup(nullptr, 0), "OTHER");
}

// A host name whose conversion throws is no name: the table answers.
TEST_F(NameLookupTest, AHostNameThatCannotBeConvertedIsIgnored) {
    hostAnswers(L"HOST");
    g_failIconvOpen = true;
    EXPECT_EQ(lookup(CVisaFormat::attrList, 0x3FFF001Au), "VI_ATTR_TMO_VALUE");
    EXPECT_EQ(lookup(nullptr, 0), "<null>");
    EXPECT_EQ(g_host.calls, 2);
}

// Event and attribute names come from the tables for VISA calls only.
TEST_F(NameLookupTest, EventAndAttributeNamesOfACall) {
    const int event = addCaptured(m_logger, 27, of<uint32_t>(0xBFFF200Au));
    const int attribute = addCaptured(m_logger, 29, of<uint32_t>(0x3FFF001Au));
    const int unknown = addCaptured(m_logger, 27, of<uint32_t>(0x3FFF2FFFu));
    char out[kArgumentTextSize];
    EXPECT_STREQ(m_formatter.GetEventName(&m_logger, event, out, sizeof out), "VI_EVENT_TRIG");
    EXPECT_STREQ(m_formatter.GetAttributeName(&m_logger, attribute, out, sizeof out),
                 "VI_ATTR_TMO_VALUE");
    EXPECT_EQ(m_formatter.GetEventName(&m_logger, unknown, out, sizeof out), nullptr);
    m_logger.SetFunction("otherCall", 1, kOtherApiType);
    EXPECT_EQ(m_formatter.GetEventName(&m_logger, event, out, sizeof out), nullptr);
    EXPECT_EQ(m_formatter.GetAttributeName(&m_logger, attribute, out, sizeof out), nullptr);
}

// A description needs the API's StatusPrefix and a hexadecimal status text;
// the empty code of a text without "0x" must not read as success.
TEST_F(NameLookupTest, StatusDescriptions) {
    const auto api = static_cast<EKoVeskApiType>(kOtherApiType);
    CKOVeskLocalization::SetStatusDescriptor("OTHER", 0x1A, "twenty-six");
    CKOVeskLocalization::SetStatusDescriptor("OTHER", 0, "success");
    StringBase descriptor("untouched");
    EXPECT_FALSE(m_formatter.LookupStatusDescriptor(api, "0000001A", descriptor));
    EXPECT_EQ(descriptor, "untouched");
    CKOVeskRegistry::SetApiValue(kOtherApiType, "StatusPrefix", "OTHER");
    for (const char* notHex : {"", "xyz"}) {
        EXPECT_FALSE(m_formatter.LookupStatusDescriptor(api, notHex, descriptor));
        EXPECT_EQ(descriptor, "untouched");
    }
    EXPECT_FALSE(m_formatter.LookupStatusDescriptor(api, "0000001B", descriptor));
    EXPECT_TRUE(m_formatter.LookupStatusDescriptor(api, "0000001A", descriptor));
    EXPECT_EQ(descriptor, "twenty-six");
}

}  // namespace
}  // namespace nKoVeskLog210
