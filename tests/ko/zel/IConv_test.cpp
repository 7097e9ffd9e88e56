#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "ko/zel/osdep/IConv.h"

using ko::zel::NarrowToWide;

namespace {

// Switches the character-type locale for one test and restores it after.
class ScopedCtypeLocale {
public:
    explicit ScopedCtypeLocale(const char* name)
        : m_previous(std::setlocale(LC_CTYPE, nullptr)),
          m_active(std::setlocale(LC_CTYPE, name) != nullptr) {}
    ~ScopedCtypeLocale() { std::setlocale(LC_CTYPE, m_previous.c_str()); }
    bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active;
};

std::wstring Text(const WideStringBase& wide) { return std::wstring(wide.c_str(), wide.length()); }

}  // namespace

// In the C locale only ASCII converts; everything else becomes "?" one for
// one, never an error.
TEST(IConvTest, CLocaleReplacesWhatItCannotRepresent) {
    ScopedCtypeLocale locale("C");
    EXPECT_STREQ("?", StringBase(L"\xE9").c_str());
    const StringBase narrow(WideStringBase(L"a\xE9" L"b\x20AC" L"c"));
    EXPECT_STREQ("a?b?c", narrow.c_str());
    EXPECT_EQ(20u, narrow.capacity());  // four bytes reserved per character
    EXPECT_EQ(L"a?b", Text(NarrowToWide("a\xE9" "b", 3)));
    EXPECT_TRUE(StringBase(static_cast<const wchar_t*>(nullptr)).empty());
    EXPECT_TRUE(NarrowToWide("", 0).empty());
}

// In a UTF-8 locale the same texts convert, and only invalid or truncated
// narrow input becomes "?".
TEST(IConvTest, Utf8LocaleConvertsBothWays) {
    ScopedCtypeLocale locale("C.UTF-8");
    if (!locale.active()) GTEST_SKIP() << "the C.UTF-8 locale is not installed";
    EXPECT_STREQ("a\xC3\xA9" "b", StringBase(L"a\xE9" L"b").c_str());
    EXPECT_EQ(L"\xE9\x20AC", Text(NarrowToWide("\xC3\xA9\xE2\x82\xAC", 5)));
    EXPECT_EQ(L"a?b", Text(NarrowToWide("a\xFF" "b", 3)));
    EXPECT_EQ(L"a?", Text(NarrowToWide("a\xC3", 2)));
}
