#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ko/zel/ExceptionWithMessage.h"
#include "ko/zel/StringBase.h"

namespace ex = ko::zel::exception;

namespace {

StringBase Repeat(char c, uint32_t count) { return StringBase(std::string(count, c).c_str()); }

}  // namespace

// The empty string is the most common value at the host interface: it must
// still hand out a terminated text and tolerate erasing "everything".
TEST(StringBaseTest, EmptyStringIsATerminatedTextAndSurvivesErase) {
    StringBase empty;
    ASSERT_NE(nullptr, empty.c_str());
    EXPECT_EQ('\0', empty.c_str()[0]);
    EXPECT_EQ(0u, empty.length());
    EXPECT_TRUE(empty.empty());
    empty.erase(0, StringBase::npos);
    EXPECT_TRUE(empty.empty());
    EXPECT_TRUE(StringBase(static_cast<const char*>(nullptr)).empty());
    EXPECT_EQ(0u, StringBase("abc", 0).length());
}

// Assign keeps the buffer while the capacity is within [n, 2n], so a text
// that shrinks below half its buffer gives the memory back.
TEST(StringBaseTest, AssignKeepsOrRefitsTheBuffer) {
    StringBase large = Repeat('x', 30);
    large.assign("0123456789");
    EXPECT_EQ(10u, large.capacity());
    EXPECT_STREQ("0123456789", large.c_str());

    StringBase kept = Repeat('x', 20);
    // Compared as a number: the old pointer must not be used if it was freed.
    const auto buffer = reinterpret_cast<std::uintptr_t>(kept.c_str());
    kept.assign("0123456789");
    EXPECT_EQ(buffer, reinterpret_cast<std::uintptr_t>(kept.c_str()));
    EXPECT_EQ(20u, kept.capacity());
    EXPECT_STREQ("0123456789", kept.c_str());

    // Its own text, whole or in part, is a valid source.
    kept.assign(kept.c_str(), kept.length());
    EXPECT_STREQ("0123456789", kept.c_str());
    kept.assign(kept.c_str() + 4, 6);
    EXPECT_STREQ("456789", kept.c_str());
    kept.assign(static_cast<const char*>(nullptr), 0);
    EXPECT_TRUE(kept.empty());
}

// Append grows to twice what is needed, and reads a source inside its own
// buffer from the new buffer after moving.
TEST(StringBaseTest, AppendGrowsDoublingAndMayReadItself) {
    StringBase text("abcd");
    text.append("e");
    EXPECT_EQ(10u, text.capacity());
    EXPECT_STREQ("abcde", text.c_str());

    StringBase self("abc");
    self.append(self);
    EXPECT_STREQ("abcabc", self.c_str());
    self.append(self.c_str() + self.find('a', 1));  // its second half
    EXPECT_STREQ("abcabcabc", self.c_str());
    self.append(static_cast<const char*>(nullptr));
    EXPECT_EQ(9u, self.length());
}

// Concatenation and substring allocate exactly; npos and oversized counts
// both mean "to the end".
TEST(StringBaseTest, ConcatenationAndSubstringAreExact) {
    const StringBase joined = StringBase("ab") + "cde";
    EXPECT_EQ(5u, joined.capacity());
    EXPECT_STREQ("cde", joined.substr(2).c_str());
    EXPECT_EQ(3u, joined.substr(2).capacity());
    EXPECT_STREQ("de", joined.substr(3, 100).c_str());
}

// A search that starts at or after the end finds nothing instead of reading
// the terminator or beyond.
TEST(StringBaseTest, FindStopsAtTheEnd) {
    const StringBase text("abcab");
    EXPECT_EQ(StringBase::npos, text.find('a', 5));
    EXPECT_EQ(StringBase::npos, text.find('\0', 0));
    EXPECT_EQ(3u, text.find('a', 1));
    EXPECT_EQ(3u, text.find(StringBase("ab"), 1));
    EXPECT_EQ(StringBase::npos, text.find(StringBase("abc"), 1));
    EXPECT_EQ(StringBase::npos, text.find(StringBase("b"), 5));
}

// Erase beyond the end is the one string misuse that throws; the message
// class is caught by callers that only know OutOfRange, and the string is
// left as it was.
TEST(StringBaseTest, EraseBeyondTheLengthThrowsAndChangesNothing) {
    StringBase text("abc");
    try {
        text.erase(4, 1);
        FAIL() << "nothing thrown";
    } catch (const ex::OutOfRange2& caught) {
        EXPECT_STREQ("Out of range: String offset out of range", caught.what());
        EXPECT_EQ(0x8ABC7007u, static_cast<uint32_t>(caught.getErrorCode()));
    }
    EXPECT_THROW(text.erase(StringBase::npos), ex::OutOfRange);
    EXPECT_STREQ("abc", text.c_str());
    text.erase(3);  // the position at the end removes nothing
    EXPECT_STREQ("abc", text.c_str());
    text.erase(1, 1);
    EXPECT_STREQ("ac", text.c_str());
}

// Erase with shrink refits by the assign rule.
TEST(StringBaseTest, EraseWithShrinkRefits) {
    StringBase text = Repeat('x', 30);
    text.erase(15, StringBase::npos, true);
    EXPECT_EQ(30u, text.capacity());
    text.erase(5, StringBase::npos, true);
    EXPECT_EQ(5u, text.capacity());
}

// Case-blind comparison is how names from the host are matched; a null
// pointer is the empty text, never a match for a non-empty string.
TEST(StringBaseTest, EqualsNoCase) {
    struct {
        const char *left, *right;
        bool equal;
    } const cases[] = {
        {"abc", "ABC", true},  {"abc", "abd", false}, {"abc", nullptr, false}, {"", nullptr, true},
        {"abc", "abcd", false}, {"abc", "ab", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.equal, StringBase(c.left).EqualsNoCase(c.right))
            << c.left << " vs " << (c.right ? c.right : "(null)");
    }
}
