// Copying texts into the graphical runtime's handles: counted strings and
// arrays of them, resized in place behind the caller's handle.
#include "host/Plexa.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/VeskServices.h"

namespace {

std::string textOf(HStr** handle) {
    return std::string((*handle)->str, static_cast<size_t>((*handle)->cnt));
}

std::vector<std::string> textsOf(HStrArray** handle) {
    std::vector<std::string> texts;
    for (int32_t i = 0; i < (*handle)->cnt; ++i) texts.push_back(textOf((*handle)->elt[i]));
    return texts;
}

std::vector<StringBase> stringsOf(const std::vector<std::string>& texts) {
    std::vector<StringBase> strings;
    for (const std::string& text : texts) {
        strings.emplace_back(text.data(), static_cast<uint32_t>(text.size()));
    }
    return strings;
}

// --- strings -------------------------------------------------------------

// One handle takes texts that grow and shrink: the count is the byte count
// (no terminator) and embedded zeros are bytes like any other.
TEST(PlexaString, RoundTripsThroughOneHandle) {
    const std::vector<std::string> texts = {
        "", "a", std::string(300, 'x'), std::string("nul\0inside", 10), "", "short"};
    HStr** handle = PlexaNewString();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ((*handle)->cnt, 0);
    for (const std::string& text : texts) {
        CVeskUtility::StringToPlexa(StringBase(text.data(), static_cast<uint32_t>(text.size())),
                                    handle);
        EXPECT_EQ(textOf(handle), text);
    }
    PlexaDisposeString(handle);
}

// A handle whose master pointer is still empty gets a block.
TEST(PlexaString, EmptyMasterPointerGetsABlock) {
    HStr* master = nullptr;
    CVeskUtility::StringToPlexa(StringBase("abc"), &master);
    ASSERT_NE(master, nullptr);
    EXPECT_EQ(std::string(master->str, static_cast<size_t>(master->cnt)), "abc");
    std::free(master);
}

TEST(PlexaString, NullHandlesAreIgnored) {
    CVeskUtility::StringToPlexa(StringBase("abc"), static_cast<HStr**>(nullptr));
    CVeskUtility::StringToPlexa(std::vector<StringBase>{"a"}, static_cast<HStrArray**>(nullptr));
    PlexaDisposeString(nullptr);
    PlexaDisposeStringArray(nullptr);
    SUCCEED();
}

// --- arrays: the element count follows the list -----------------------------

// Each step replaces the whole list; the array keeps the handles of the
// elements that stay, creates the new ones and releases the dropped ones
// (AddressSanitizer reports a leak or a double release).
TEST(PlexaArray, GrowsAndShrinksWithTheList) {
    const std::vector<std::vector<std::string>> steps = {
        {},
        {"one", "two", "three"},
        {"uno"},
        {"a", "bb", "ccc", "dddd", std::string(200, 'e')},
        {"a", "bb"},
        {},
        {"again"},
    };
    HStrArray** handle = PlexaNewStringArray();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ((*handle)->cnt, 0);
    HStr** first = nullptr;
    for (const std::vector<std::string>& step : steps) {
        SCOPED_TRACE(step.size());
        CVeskUtility::StringToPlexa(stringsOf(step), handle);
        EXPECT_EQ(textsOf(handle), step);
        if (step.empty()) {
            first = nullptr;
        } else if (first) {
            EXPECT_EQ((*handle)->elt[0], first) << "a kept element keeps its handle";
        } else {
            first = (*handle)->elt[0];
        }
    }
    PlexaDisposeStringArray(handle);
}

// An element slot the runtime left empty gets a handle of its own.
TEST(PlexaArray, EmptyElementSlotGetsAHandle) {
    HStrArray** handle = PlexaNewStringArray();
    CVeskUtility::StringToPlexa(stringsOf({"a", "b"}), handle);
    PlexaDisposeString((*handle)->elt[1]);
    (*handle)->elt[1] = nullptr;
    CVeskUtility::StringToPlexa(stringsOf({"c", "d", "e"}), handle);
    EXPECT_EQ(textsOf(handle), (std::vector<std::string>{"c", "d", "e"}));
    PlexaDisposeStringArray(handle);
}

}  // namespace
