// The host's string: its buffer rules, searches and erasure at the edges.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ko/zel/ExceptionWithMessage.h"
#include "ko/zel/StringBase.h"

namespace ex = ko::zel::exception;

namespace {

StringBase Repeat(char c, uint32_t count) { return StringBase(std::string(count, c).c_str()); }

// The empty string is the most common value at the host interface: it still
// hands out a terminated text and tolerates erasing "everything".
TEST(StringBaseTest, EmptyStringIsATerminatedText) {
    StringBase empty(static_cast<const char*>(nullptr));
    ASSERT_NE(nullptr, empty.c_str());
    EXPECT_EQ('\0', empty.c_str()[0]);
    empty.erase(0, StringBase::npos);
    EXPECT_TRUE(empty.empty());
}

// Assign keeps the buffer while its capacity is within [n, 2n]: a text that
// shrinks below half its buffer gives the memory back. Its own text is a
// valid source.
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
    kept.assign(kept.c_str() + 4, 6);
    EXPECT_STREQ("456789", kept.c_str());
}

// Append grows to twice what is needed, and reads a source inside its own
// buffer from the new buffer after moving.
TEST(StringBaseTest, AppendGrowsDoublingAndMayReadItself) {
    StringBase text("abcd");
    text.append("e");
    EXPECT_EQ(10u, text.capacity());
    StringBase self("abc");
    self.append(self);
    EXPECT_STREQ("abcabc", self.c_str());
    EXPECT_EQ(12u, self.capacity());
}

// A search that starts at or after the end finds nothing instead of reading
// the terminator or beyond.
TEST(StringBaseTest, FindStopsAtTheEnd) {
    const StringBase text("abcab");
    EXPECT_EQ(StringBase::npos, text.find('a', 5));
    EXPECT_EQ(StringBase::npos, text.find('\0', 0));
    EXPECT_EQ(StringBase::npos, text.find(StringBase("b"), 5));
    EXPECT_EQ(StringBase::npos, text.find(StringBase("abc"), 1));
    EXPECT_EQ(3u, text.find(StringBase("ab"), 1));
}

// Erase beyond the end is the one string misuse that throws; callers that
// only know OutOfRange catch it, and the string is left as it was.
TEST(StringBaseTest, EraseBeyondTheLengthThrowsAndChangesNothing) {
    StringBase text("abc");
    try {
        text.erase(4, 1);
        ADD_FAILURE() << "nothing thrown";
    } catch (const ex::OutOfRange& caught) {
        EXPECT_STREQ("Out of range: String offset out of range", caught.what());
        EXPECT_EQ(0x8ABC7007u, static_cast<uint32_t>(caught.getErrorCode()));
    }
    EXPECT_THROW(text.erase(StringBase::npos), ex::OutOfRange);
    text.erase(3);  // the position at the end removes nothing
    EXPECT_STREQ("abc", text.c_str());
}

// Names from the host are matched case-blind; a null pointer is the empty
// text, never a match for a non-empty string.
TEST(StringBaseTest, EqualsNoCase) {
    const struct {
        const char *left, *right;
        bool equal;
    } cases[] = {
        {"abc", "ABC", true}, {"abc", "abd", false}, {"abc", nullptr, false},
        {"", nullptr, true},  {"abc", "abcd", false}, {"abc", "ab", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.equal, StringBase(c.left).EqualsNoCase(c.right))
            << c.left << " vs " << (c.right ? c.right : "(null)");
    }
}

}  // namespace
