// The host's string at its edges: its own text as a source, the end of the text.
#include <gtest/gtest.h>


#include "ko/zel/ExceptionWithMessage.h"
#include "ko/zel/StringBase.h"

namespace ex = ko::zel::exception;

// Its own text as source, whether the buffer is kept (capacity in [n, 2n]) or refitted.
TEST(StringBaseTest, OwnTextIsAValidSource) {
    StringBase kept("0123456789");
    kept.assign(kept.c_str() + 4, 6);
    EXPECT_STREQ("456789", kept.c_str());
    EXPECT_EQ(10u, kept.capacity());
    StringBase refit("0123456789");
    refit.assign(refit.c_str() + 7, 3);
    EXPECT_STREQ("789", refit.c_str());
    EXPECT_EQ(3u, refit.capacity());
}

// Append grows to twice what it needs, and reads its own text from the new buffer.
TEST(StringBaseTest, AppendGrowsDoublingAndMayReadItself) {
    StringBase text("abcd");
    text.append("e");
    EXPECT_EQ(10u, text.capacity());
    StringBase self("abc");
    self.append(self);
    EXPECT_STREQ("abcabc", self.c_str());
    EXPECT_EQ(12u, self.capacity());
}

// A search from or past the end finds nothing instead of reading beyond it.
TEST(StringBaseTest, FindStopsAtTheEnd) {
    const StringBase text("abcab");
    EXPECT_EQ(StringBase::npos, text.find('a', 5));
    EXPECT_EQ(StringBase::npos, text.find('\0', 0));
    EXPECT_EQ(StringBase::npos, text.find(StringBase("abc"), 1));
    EXPECT_EQ(3u, text.find(StringBase("ab"), 1));
}

// Erase beyond the end throws and changes nothing; the empty string may erase "everything".
TEST(StringBaseTest, EraseBeyondTheLengthThrowsAndChangesNothing) {
    StringBase text("abc");
    EXPECT_THROW(text.erase(4, 1), ex::OutOfRange2);
    EXPECT_THROW(text.erase(StringBase::npos), ex::OutOfRange2);
    text.erase(3);  // the position at the end removes nothing
    EXPECT_STREQ("abc", text.c_str());
    StringBase empty(static_cast<const char*>(nullptr));
    empty.erase(0, StringBase::npos);
    EXPECT_STREQ("", empty.c_str());
}
