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

// Fills the array with `step` and reads it back.
Texts assignAll(HStrArray** handle, const Texts& step) {
    std::vector<StringBase> strings;
    for (const std::string& text : step) strings.push_back(stringOf(text));
    CVeskUtility::StringToPlexa(strings, handle);
    Texts texts;
    for (int32_t i = 0; i < (*handle)->cnt; ++i) {
        texts.push_back(std::string((*(*handle)->elt[i])->str, size_t((*(*handle)->elt[i])->cnt)));
    }
    return texts;
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

namespace {

std::vector<StringBase> numberedTexts(size_t count, size_t width) {
    std::vector<StringBase> texts;
    for (size_t i = 0; i < count; ++i) {
        std::string text = std::to_string(i);
        text.resize(width + i % 7, static_cast<char>('a' + i % 26));
        texts.push_back(stringOf(text));
    }
    return texts;
}

Texts textsOf(HStrArray** handle) {
    Texts texts;
    for (int32_t i = 0; i < (*handle)->cnt; ++i) texts.push_back(textOf(*(*handle)->elt[i]));
    return texts;
}

Texts plain(const std::vector<StringBase>& texts) {
    Texts result;
    for (const StringBase& text : texts) result.emplace_back(text.c_str(), text.length());
    return result;
}

// Elements an array gains share its memory: a list spanning many chunks
// reads back whole, and giving the list up empties its texts as they are
// copied.
TEST(Plexa, PackedElementsHoldAListOfManyChunks) {
    HStrArray** handle = PlexaNewStringArray();
    std::vector<StringBase> texts = numberedTexts(20000, 40);
    const Texts expected = plain(texts);
    CVeskUtility::StringToPlexa(std::move(texts), handle);
    EXPECT_EQ(textsOf(handle), expected);
    ASSERT_EQ(texts.size(), expected.size());
    for (const StringBase& text : texts) EXPECT_TRUE(text.empty());
    // Refilled shorter, longer and with fewer elements; handles are kept.
    HStr** first = (*handle)->elt[0];
    std::vector<StringBase> fewer = numberedTexts(3, 200);
    fewer[1] = "";
    CVeskUtility::StringToPlexa(fewer, handle);
    EXPECT_EQ(textsOf(handle), plain(fewer));
    EXPECT_EQ((*handle)->elt[0], first);
    PlexaDisposeStringArray(handle);
}

// A packed element is still a handle: it takes a single text of any length
// (in place or in a block of its own) and can be released alone, its slot
// then refilled with a handle of its own; nothing leaks or is freed twice.
TEST(Plexa, PackedElementBehavesAsAHandle) {
    HStrArray** handle = PlexaNewStringArray();
    CVeskUtility::StringToPlexa(std::vector<StringBase>{"alpha", "beta", "gamma"}, handle);
    HStr** element = (*handle)->elt[1];
    for (const std::string& text : {std::string("bet"), std::string(500, 'b'), std::string("b"),
                                    std::string(1000, 'c')}) {
        CVeskUtility::StringToPlexa(stringOf(text), element);
        EXPECT_EQ(textOf(*element), text);
        EXPECT_EQ((*handle)->elt[1], element);
    }
    EXPECT_EQ(textsOf(handle), (Texts{"alpha", std::string(1000, 'c'), "gamma"}));
    PlexaDisposeString((*handle)->elt[1]);  // a block of its own
    (*handle)->elt[1] = nullptr;
    PlexaDisposeString((*handle)->elt[2]);  // in its chunk
    PlexaDisposeString((*handle)->elt[2]);  // released twice: still harmless
    (*handle)->elt[2] = nullptr;
    EXPECT_EQ(assignAll(handle, {"x", "y", "z", "w"}), (Texts{"x", "y", "z", "w"}));
    PlexaDisposeStringArray(handle);
}

}  // namespace
