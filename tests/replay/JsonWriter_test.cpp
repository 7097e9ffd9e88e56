// The JSON writer: structure, numbers, and strings escaped so that any
// text is valid JSON that can sit inside an HTML <script> element.
#include "replay/JsonWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace vesk::replay {
namespace {

std::string asJson(std::string_view text) {
    std::string out;
    CJsonWriter json(out, nullptr);
    json.String(text);
    return out;
}

// Each byte class that needs care: the two characters JSON escapes, the
// short escapes, every other C0 control and DEL as \u00XX, C1 controls
// (two-byte UTF-8) as \u0080..\u009f, the HTML-significant characters,
// the JavaScript line separators; what is valid passes untouched; each
// byte that starts no valid UTF-8 sequence becomes \ufffd.
TEST(JsonWriterTest, Strings) {
    const struct {
        std::string input;
        const char* expected;
    } cases[] = {
        {"", R"("")"},
        {"plain text 123", R"("plain text 123")"},
        {"\"\\", R"("\"\\")"},
        {"\n\r\t", R"("\n\r\t")"},
        {std::string("\0\x01\x08\x0B\x0C\x1F\x7F", 7), R"("\u0000\u0001\u0008\u000b\u000c\u001f\u007f")"},
        {"\xC2\x80\xC2\x9F\xC2\xA0", "\"\\u0080\\u009f\xC2\xA0\""},
        {"</script>&", R"("\u003c/script\u003e\u0026")"},
        {"\xE2\x80\xA8\xE2\x80\xA9", R"("\u2028\u2029")"},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\""},
        {"\xEF\xBF\xBD", "\"\xEF\xBF\xBD\""},
        {"a\xFFz", R"("a\ufffdz")"},
        {"\x80", R"("\ufffd")"},                         // a stray continuation byte
        {"\xC3", R"("\ufffd")"},                         // cut at the end
        {"\xE2\x82z", R"("\ufffd\ufffdz")"},             // cut before another character
        {"\xC0\xAF\xC1\xBF", R"("\ufffd\ufffd\ufffd\ufffd")"},  // overlong
        {"\xE0\x9F\xBF", R"("\ufffd\ufffd\ufffd")"},     // overlong three-byte
        {"\xED\xA0\x80", R"("\ufffd\ufffd\ufffd")"},     // a surrogate
        {"\xF4\x90\x80\x80", R"("\ufffd\ufffd\ufffd\ufffd")"},  // above U+10FFFF
        {"\xF5\x80", R"("\ufffd\ufffd")"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(asJson(c.input), c.expected) << testing::PrintToString(c.input);
    }
}

// Commas go between the values and members of each container, never after
// an opening bracket or a key, at every depth.
TEST(JsonWriterTest, Structure) {
    std::string out;
    CJsonWriter json(out, nullptr);
    json.BeginObject();
    json.Key("a");
    json.BeginArray();
    json.EndArray();
    json.Key("b");
    json.BeginObject();
    json.EndObject();
    json.Key("c");
    json.BeginArray();
    json.Number(int64_t{1});
    json.BeginArray();
    json.Bool(true);
    json.Null();
    json.EndArray();
    json.BeginObject();
    json.Member("k", "v");
    json.EndObject();
    json.EndArray();
    json.Key("d\"");
    json.Bool(false);
    json.EndObject();
    EXPECT_EQ(out, R"({"a":[],"b":{},"c":[1,[true,null],{"k":"v"}],"d\"":false})");
}

// The extremes of each integer type, written exactly.
TEST(JsonWriterTest, Numbers) {
    std::string out;
    CJsonWriter json(out, nullptr);
    json.BeginArray();
    json.Number(std::numeric_limits<int64_t>::min());
    json.Number(std::numeric_limits<uint64_t>::max());
    json.Number(int32_t{-7});
    json.Number(uint64_t{0});
    json.EndArray();
    EXPECT_EQ(out, "[-9223372036854775808,18446744073709551615,-7,0]");
}

// Another writer's JSON goes in as one value, or as members that join the
// object being written (nothing at all when there are none).
TEST(JsonWriterTest, RawJson) {
    std::string out;
    CJsonWriter json(out, nullptr);
    json.BeginObject();
    json.RawMembers("");
    json.RawMembers(R"("x":1,"y":2)");
    json.Key("z");
    json.RawValue("[3]");
    json.RawMembers(R"("w":4)");
    json.EndObject();
    EXPECT_EQ(out, R"({"x":1,"y":2,"z":[3],"w":4})");
    EXPECT_EQ(json.Size(), out.size());
}

// A text of the narrow character set is converted first: ISO-8859-1 bytes
// become their characters, the C1 control among them escaped.
TEST(JsonWriterTest, NarrowStrings) {
    CUtf8Converter latin1(eUtf8Characters::Any, "ISO-8859-1");
    std::string out;
    CJsonWriter json(out, &latin1);
    json.NarrowString("caf\xE9\x85");
    EXPECT_EQ(out, "\"caf\xC3\xA9\\u0085\"");
    // Without a converter the bytes are taken as UTF-8.
    std::string plain;
    CJsonWriter noConverter(plain, nullptr);
    noConverter.NarrowString("caf\xE9");
    EXPECT_EQ(plain, R"("caf\ufffd")");
}

}  // namespace
}  // namespace vesk::replay
