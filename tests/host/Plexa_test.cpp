// Texts copied into the graphical runtime's handles, resized in place: the
// count is the byte count, without a terminator; arrays keep the elements
// that stay and release the dropped ones (AddressSanitizer tells a leak).
#include "host/Plexa.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/CVeskUtility.h"

namespace {

using Texts = std::vector<std::string>;

std::string textOf(const HStr* block) { return std::string(block->str, size_t(block->cnt)); }
StringBase stringOf(const std::string& text) {
    return StringBase(text.data(), uint32_t(text.size()));
}

// One handle takes texts that grow and shrink; embedded zeros are bytes.
TEST(Plexa, StringRoundTripsThroughOneHandle) {
    HStr** handle = PlexaNewString();
    for (const std::string& text : {std::string(), std::string(300, 'x'),
                                    std::string("nul\0inside", 10), std::string("short")}) {
        CVeskUtility::StringToPlexa(stringOf(text), handle);
        EXPECT_EQ(textOf(*handle), text);
    }
    PlexaDisposeString(handle);
    HStr* master = nullptr;  // a handle whose master pointer is still empty
    CVeskUtility::StringToPlexa(StringBase("abc"), &master);
    EXPECT_EQ(textOf(master), "abc");
    std::free(master);
    CVeskUtility::StringToPlexa(StringBase("abc"), static_cast<HStr**>(nullptr));
    CVeskUtility::StringToPlexa({StringBase("a")}, static_cast<HStrArray**>(nullptr));
    PlexaDisposeString(nullptr);
    PlexaDisposeStringArray(nullptr);
}

// Each step replaces the whole list; a kept element keeps its handle, and an
// element slot the runtime left empty gets a handle of its own.
TEST(Plexa, ArrayGrowsAndShrinksWithTheList) {
    HStrArray** handle = PlexaNewStringArray();
    const auto assign = [handle](const Texts& step) {
        std::vector<StringBase> strings;
        for (const std::string& text : step) strings.push_back(stringOf(text));
        CVeskUtility::StringToPlexa(strings, handle);
        Texts texts;
        for (int32_t i = 0; i < (*handle)->cnt; ++i) texts.push_back(textOf(*(*handle)->elt[i]));
        return texts;
    };
    HStr** first = nullptr;
    for (const Texts& step : std::vector<Texts>{{}, {"one", "two", "three"}, {"uno"},
                                                {"a", "bb", "ccc", std::string(200, 'e')},
                                                {"a", "bb"}, {}, {"again"}}) {
        EXPECT_EQ(assign(step), step);
        EXPECT_TRUE(step.empty() || !first || (*handle)->elt[0] == first);
        first = step.empty() ? nullptr : (*handle)->elt[0];
    }
    PlexaDisposeString((*handle)->elt[0]);
    (*handle)->elt[0] = nullptr;
    EXPECT_EQ(assign({"c", "d"}), (Texts{"c", "d"}));
    PlexaDisposeStringArray(handle);
}

}  // namespace
