// The number readers of the capture parser: integers against the range of
// each width, reals against the largest finite value of theirs, and why a
// value is refused.
#include "replay/JsonNumbers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vesk::replay {
namespace {

namespace ondemand = simdjson::ondemand;

const char* typeName(ondemand::json_type type) {
    switch (type) {
        case ondemand::json_type::array: return "array";
        case ondemand::json_type::object: return "object";
        case ondemand::json_type::number: return "number";
        case ondemand::json_type::string: return "string";
        case ondemand::json_type::boolean: return "boolean";
        case ondemand::json_type::null: return "null";
    }
    return "?";
}

// A refusal as one line: its kind, then what it carries.
std::string refusal(const tNumberFailure& failure) {
    const std::string text = "'" + std::string(failure.text) + "'";
    switch (failure.kind) {
        case eNumberFailure::Json: return "json";
        case eNumberFailure::WrongType: return std::string("type ") + typeName(failure.type);
        case eNumberFailure::NotAnInteger: return "not an integer " + text;
        case eNumberFailure::IntegerOutOfRange:
            return "range " + text + " " + std::to_string(failure.range.min) + ".." +
                   std::to_string(failure.range.max);
        case eNumberFailure::RealOutOfRange:
            return "real range " + text + " " + std::to_string(failure.width);
        case eNumberFailure::UnknownRealName: return "name " + text;
    }
    return "?";
}

// Reads `json`, one value, as the capture parser meets values: as the value
// of an object's field, followed by a blank.
template <typename tRead>
std::string readField(const std::string& json, tRead read) {
    const simdjson::padded_string padded("{\"v\":" + json + " }");
    ondemand::parser parser;
    ondemand::document document;
    if (parser.iterate(padded).get(document)) return "(not a document)";
    ondemand::value value;
    if (document["v"].get(value)) return "(no value)";
    return read(value);
}

// The integer read from `json` for a range ("ok VALUE"), or its refusal.
std::string readInteger(const std::string& json, tIntegerRange range) {
    return readField(json, [&](ondemand::value& value) {
        tJsonInteger integer;
        tNumberFailure failure;
        if (!ReadJsonInteger(value, range, integer, failure)) return refusal(failure);
        return "ok " + (integer.negative ? std::to_string(static_cast<int64_t>(integer.bits))
                                         : std::to_string(integer.bits));
    });
}

// The real read from `json` for a width ("ok VALUE", to 17 digits), or its
// refusal.
std::string readReal(const std::string& json, size_t width) {
    return readField(json, [&](ondemand::value& value) {
        double real = 0;
        tNumberFailure failure;
        if (!ReadJsonReal(value, width, real, failure)) return refusal(failure);
        char text[32];
        std::snprintf(text, sizeof text, "ok %.17g", real);
        return std::string(text);
    });
}

// --- integers: the range edges of each width ------------------------------------------
// Both ends of every range are accepted with their value and one past them
// refused, with the number as written and the range asked for; past 64
// bits is refused the same way.
TEST(JsonNumbersTest, IntegerRangeEdgesOfEachWidth) {
    const struct {
        size_t width;
        bool isSigned;
        const char *min, *max, *belowMin, *aboveMax;
    } widths[] = {
        {1, false, "0", "255", "-1", "256"},
        {2, false, "0", "65535", "-1", "65536"},
        {4, false, "0", "4294967295", "-1", "4294967296"},
        {8, false, "0", "18446744073709551615", "-1", "18446744073709551616"},
        {1, true, "-128", "127", "-129", "128"},
        {2, true, "-32768", "32767", "-32769", "32768"},
        {4, true, "-2147483648", "2147483647", "-2147483649", "2147483648"},
        {8, true, "-9223372036854775808", "9223372036854775807", "-9223372036854775809",
         "9223372036854775808"},
    };
    for (const auto& w : widths) {
        const tIntegerRange range = IntegerRangeOf(w.width, w.isSigned);
        const std::string edges = std::string(w.min) + ".." + w.max;
        SCOPED_TRACE(edges);
        EXPECT_EQ(std::to_string(range.min) + ".." + std::to_string(range.max), edges);
        EXPECT_EQ(readInteger(w.min, range), std::string("ok ") + w.min);
        EXPECT_EQ(readInteger(w.max, range), std::string("ok ") + w.max);
        for (const std::string beyond : {w.belowMin, w.aboveMax}) {
            EXPECT_EQ(readInteger(beyond, range), "range '" + beyond + "' " + edges);
        }
    }
    const std::string huge = "1" + std::string(30, '0');
    EXPECT_EQ(readInteger(huge, IntegerRangeOf(8, false)),
              "range '" + huge + "' 0..18446744073709551615");
    EXPECT_EQ(readInteger("-" + huge, IntegerRangeOf(8, true)),
              "range '-" + huge + "' -9223372036854775808..9223372036854775807");
    // The ranges of the other integer keys.
    EXPECT_EQ(readInteger("-1", kSizeRange), "range '-1' 0..2147483647");
    EXPECT_EQ(readInteger("-2147483648", kInt32Range), "ok -2147483648");
}

// --- integers: what is no integer ---------------------------------------------------------
// -0 is zero, also where negatives are refused; a fraction or an exponent
// makes a number no integer, even with an integral value; other types are
// named. The refusal keeps the token as the parser gives it.
TEST(JsonNumbersTest, WhatIsNoInteger) {
    const tIntegerRange bytes = IntegerRangeOf(1, false);
    const struct {
        const char* json;
        const char* expected;
    } cases[] = {
        {"-0", "ok 0"},
        {"1e2", "not an integer '1e2 '"},
        {"1E0", "not an integer '1E0 '"},
        {"1.0", "not an integer '1.0 '"},
        {"-0.0", "not an integer '-0.0 '"},
        {"\"1\"", "type string"},
        {"true", "type boolean"},
        {"null", "type null"},
        {"[1]", "type array"},
        {"{}", "type object"},
        {"-", "json"},
    };
    for (const auto& c : cases) EXPECT_EQ(readInteger(c.json, bytes), c.expected) << c.json;
}

// --- reals ---------------------------------------------------------------------------------
// The largest finite value of each width and its negative are accepted,
// anything beyond refused (also what a float would round down to its
// largest value); small values are accepted, to round to zero; -0 keeps
// its sign; the special values come as exactly these strings.
TEST(JsonNumbersTest, RealsOfEachWidth) {
    const struct {
        size_t width;
        const char* json;
        const char* expected;
    } cases[] = {
        {4, "3.4028234663852886e38", "ok 3.4028234663852886e+38"},
        {4, "-3.4028234663852886e38", "ok -3.4028234663852886e+38"},
        {4, "3.4028235e38", "real range '3.4028235e38' 4"},
        {4, "-1e39", "real range '-1e39' 4"},
        {4, "1e-50", "ok 1e-50"},
        {8, "1.7976931348623157e308", "ok 1.7976931348623157e+308"},
        {8, "-1.7976931348623157e308", "ok -1.7976931348623157e+308"},
        {8, "1.8e308", "real range '1.8e308' 8"},
        {8, "-1e400", "real range '-1e400' 8"},
        {8, "4.9e-324", "ok 4.9406564584124654e-324"},
        {8, "1e-400", "ok 0"},
        {4, "-0", "ok -0"},
        {8, "-0.0", "ok -0"},
        {8, "1E2", "ok 100"},
        {8, "18446744073709551616", "ok 1.8446744073709552e+19"},
        {4, "\"nan\"", "ok nan"},
        {8, "\"inf\"", "ok inf"},
        {8, "\"-inf\"", "ok -inf"},
        {8, "\"NaN\"", "name 'NaN'"},
        {4, "\"Infinity\"", "name 'Infinity'"},
        {8, "\"\"", "name ''"},
        {8, "true", "type boolean"},
        {8, "null", "type null"},
        {4, "[]", "type array"},
    };
    for (const auto& c : cases) EXPECT_EQ(readReal(c.json, c.width), c.expected) << c.json;
}

}  // namespace
}  // namespace vesk::replay
