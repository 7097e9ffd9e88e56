// Through the locale's character set, what cannot be represented becomes "?", never an error.
#include <gtest/gtest.h>

#include "ZelTestSupport.h"
#include "ko/zel/osdep/IConv.h"

using ko::zel::NarrowToWide;
using kovesk_test::ScopedLocale;
using kovesk_test::textOf;

// In the C locale only ASCII converts.
TEST(IConvTest, CLocaleReplacesWhatItCannotRepresent) {
    ScopedLocale locale(LC_CTYPE, "C");
    EXPECT_STREQ("a?b?c", StringBase(WideStringBase(L"a\xE9" L"b\x20AC" L"c")).c_str());
    EXPECT_EQ(L"a?b", textOf(NarrowToWide("a\xE9" "b", 3)));
    EXPECT_TRUE(StringBase(static_cast<const wchar_t*>(nullptr)).empty());
    EXPECT_TRUE(NarrowToWide("", 0).empty());
}

// In a UTF-8 locale the same texts convert; only invalid or truncated
// narrow input becomes "?".
TEST(IConvTest, Utf8LocaleConvertsBothWays) {
    ScopedLocale locale(LC_CTYPE, "C.UTF-8");
    if (!locale.active) {
        GTEST_SKIP() << "the C.UTF-8 locale is not installed";
    }
    EXPECT_STREQ("a\xC3\xA9" "b", StringBase(L"a\xE9" L"b").c_str());
    EXPECT_EQ(L"\xE9\x20AC", textOf(NarrowToWide("\xC3\xA9\xE2\x82\xAC", 5)));
    EXPECT_EQ(L"a?b", textOf(NarrowToWide("a\xFF" "b", 3)));
    EXPECT_EQ(L"a?", textOf(NarrowToWide("a\xC3", 2)));
}
