// The capture parser: one JSON line into the two host loggers of a call.
#include "replay/CallParser.h"
#include "replay/CaptureLimits.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vesk::replay {
namespace {

// The parameters' names, each followed by "|"; "(none)" for no name.
std::string namesOf(const IKoVeskLogger& logger) {
    std::string names;
    for (int i = 0; i < logger.GetParamCount(); ++i) {
        const char* name = nullptr;
        logger.GetParamName(i, &name);
        names += std::string(name ? name : "(none)") + "|";
    }
    return names;
}

// What was captured of a parameter: its bytes in upper-case hexadecimal
// ("(null)" without data), size and element size, then the truncated flag
// and the full size unless they are the defaults (false, 0).
std::string capturedOf(const IKoVeskLogger& logger, int index) {
    int size = -1, elementSize = -1, fullSize = -1;
    bool truncated = true;
    const char* data = nullptr;
    logger.GetParamSize(index, &size);
    logger.GetParamElementSize(index, &elementSize);
    logger.GetParamTruncated(index, &truncated);
    logger.GetParamFullSize(index, &fullSize);
    logger.GetParamBuffer(index, &data, size);
    std::string text = data ? "" : "(null)";
    for (int i = 0; data && i < size; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(data[i]));
        text += pair;
    }
    text += " size " + std::to_string(size) + " elem " + std::to_string(elementSize);
    if (truncated) text += " truncated";
    if (fullSize != 0) text += " full " + std::to_string(fullSize);
    return text;
}

// --- the call object: keys and defaults -------------------------------------
// Absent keys take the defaults, even after a line that set them and a bad
// line (one parser and call serve every line); id and api reach both loggers
// in any key order; escaped keys are keys; an empty name is a name.
TEST(CallParserTest, CallKeysAndDefaults) {
    CallParser parser;
    CapturedCall call;
    ASSERT_TRUE(parser.ParseCopy(
        R"({"function":"f","id":7,"api":5,"in":[{"type":1},{"name":null,"type":1},{"name":"","type":1},)"
        R"({"n\u0061me":"\u00e9","type":1}],"out":{"ret":1,"ok":false,"matching":false,)"
        R"("params":[{"name":"*n","type":1,"u32":7},{"type":23,"u32":0}]}})", call)) << parser.Error();
    EXPECT_EQ(namesOf(call.input), "(none)|(none)||\xC3\xA9|");
    EXPECT_EQ(namesOf(call.output), "*n|(none)|");
    EXPECT_FALSE(call.matching);
    EXPECT_FALSE(call.output.IsSuccessStatus());
    EXPECT_EQ(call.output.GetReturnParamIndex(), 1);
    int type = -1;
    call.output.GetParamType(1, &type);
    EXPECT_EQ(type, 23);

    EXPECT_FALSE(parser.ParseCopy(R"({"function":"bad","in":[{"type":1,"u8":300}]})", call));
    ASSERT_TRUE(parser.ParseCopy(R"({"function":"viClose","in":[{"type":42}]})", call));
    EXPECT_STREQ(call.input.GetFunctionName(), "viClose");
    EXPECT_EQ(call.input.GetFunctionId(), 6);  // from the table of VISA operations
    EXPECT_EQ(call.input.GetApiType(), 3);
    EXPECT_EQ(namesOf(call.input), "(none)|");
    EXPECT_FALSE(call.hasOutput);
    EXPECT_TRUE(call.matching);

    ASSERT_TRUE(parser.ParseCopy(R"({"out":{},"api":27,"in":[],"id":259,"functio\u006e":"a\u0020b"})", call));
    EXPECT_TRUE(call.hasOutput);
    EXPECT_STREQ(call.output.GetFunctionName(), "a b");
    EXPECT_EQ(call.output.GetFunctionId(), 259);
    EXPECT_EQ(call.output.GetApiType(), 27);
    EXPECT_EQ(call.input.GetFunctionId(), 259);
    EXPECT_EQ(call.input.GetApiType(), 27);
    EXPECT_EQ(call.output.GetParamCount(), 0);
    EXPECT_EQ(call.output.GetReturnParamIndex(), -1);
    EXPECT_TRUE(call.output.IsSuccessStatus());
}

// --- parameter keys -> captured bytes ----------------------------------------------
// Every value key at its boundaries (little-endian, default element size of
// its width; a real key's value as a real of its width, which may round to
// zero); size (claimed without data, up to the largest) and partial keys.
TEST(CallParserTest, ParameterKeysCaptureTheirBytes) {
    const struct {
        const char* keys;  // the parameter object's keys besides "type"
        const char* captured;
    } cases[] = {
        {R"("hex":"0102","truncated":true,"fullSize":100000,"elementSize":2)",
         "0102 size 2 elem 2 truncated full 100000"},
        {"", "(null) size 0 elem 1"},
        {R"("size":2147483647)", "(null) size 2147483647 elem 1"},
        {R"("u32":5,"size":4)", "05000000 size 4 elem 4"},
        {R"("u16":1,"elementSize":1)", "0100 size 2 elem 1"},
        {R"("u8":255)", "FF size 1 elem 1"},
        {R"("u32":3221159957)", "1500FFBF size 4 elem 4"},
        {R"("u64":18446744073709551615)", "FFFFFFFFFFFFFFFF size 8 elem 8"},
        {R"("i8":-128)", "80 size 1 elem 1"},
        {R"("i16":-2)", "FEFF size 2 elem 2"},
        {R"("i32":-2147483648)", "00000080 size 4 elem 4"},
        {R"("i64":-9223372036854775808)", "0000000000000080 size 8 elem 8"},
        {R"("f32":1.5)", "0000C03F size 4 elem 4"},
        {R"("f32":-0.0)", "00000080 size 4 elem 4"},
        {R"("f32":3.4028234663852886e38)", "FFFF7F7F size 4 elem 4"},
        {R"("f32":1e-50)", "00000000 size 4 elem 4"},
        {R"("f32":"inf")", "0000807F size 4 elem 4"},
        {R"("f32":"nan")", "0000C07F size 4 elem 4"},
        {R"("f64":1e-9)", "95D626E80B2E113E size 8 elem 8"},
        {R"("f64":"-inf")", "000000000000F0FF size 8 elem 8"},
        {R"("f64":"nan")", "000000000000F87F size 8 elem 8"},
        {R"("hex":"")", " size 0 elem 1"},
        // Hex digits are read where they stand in the line unless escaped;
        // both ways, and with blanks around the string, give the same bytes.
        {R"("hex":"\u0034\u0031 ff")", "41FF size 2 elem 1"},
        {R"("hex" : "0a0B" , "elementSize":1)", "0A0B size 2 elem 1"},
        {R"("text":"*\n\u00e9\u0000x")", "2A0AC3A90078 size 6 elem 1"},
    };
    CallParser parser;
    CapturedCall call;
    for (const auto& c : cases) {
        const std::string line = std::string(R"({"function":"f","in":[{"type":1)") +
                                 (*c.keys ? "," : "") + c.keys + "}]}";
        ASSERT_TRUE(parser.ParseCopy(line, call)) << line << "\n" << parser.Error();
        EXPECT_EQ(capturedOf(call.input, 0), c.captured) << line;
    }
}

// When a call ran, for how long and where: each key optional, kept exactly.
TEST(CallParserTest, TimeDurationThreadProcess) {
    CallParser parser;
    CapturedCall call;
    ASSERT_TRUE(parser.ParseCopy(R"({"function":"viWrite","in":[],"time":"2026-12-06T11:15:30.250123+01:00",)"
                                 R"("duration":0.000152,"thread":18446744073709551615,"process":0})",
                                 call)) << parser.Error();
    ASSERT_TRUE(call.hasTime && call.hasDuration && call.hasThread && call.hasProcess);
    char text[kTimeStampTextSize];
    FormatUtcTimeStamp(call.time, text);
    EXPECT_STREQ(text, "2026-12-06T10:15:30.250123Z");
    EXPECT_EQ(call.durationSeconds, 0.000152);
    EXPECT_EQ(call.thread, 18446744073709551615ull);
    EXPECT_EQ(call.process, 0u);

    ASSERT_TRUE(parser.ParseCopy(R"({"function":"viWrite","in":[],"duration":0})", call));
    EXPECT_FALSE(call.hasTime || call.hasThread || call.hasProcess);
    EXPECT_TRUE(call.hasDuration);
    EXPECT_EQ(call.durationSeconds, 0);
}

// Without "id" a VISA operation gets its identifier from the table, any
// other name none; a given identifier always wins, -1 included.
TEST(CallParserTest, IdentifiersFromNames) {
    const struct {
        const char* line;
        int id;
    } cases[] = {
        {R"({"function":"viWrite","in":[]})", 22},
        {R"({"function":"viPrintf","in":[]})", 77},
        {R"({"function":"myOwnFunction","in":[]})", -1},
        {R"({"function":"viwrite","in":[]})", -1},
        {R"({"function":"viWrite","id":99,"in":[]})", 99},
        {R"({"id":-1,"function":"viWrite","in":[]})", -1},
    };
    CallParser parser;
    CapturedCall call;
    for (const auto& c : cases) {
        ASSERT_TRUE(parser.ParseCopy(c.line, call)) << c.line << ": " << parser.Error();
        EXPECT_EQ(call.input.GetFunctionId(), c.id) << c.line;
    }
}

// The largest call the reader accepts: as many parameters as allowed in
// both lists, names of the longest length, a whole value as large as its
// capture (the refusals one step beyond are the reader's error tests).
TEST(CallParserTest, LargestAcceptedCall) {
    const std::string name(kMaxNameBytes, 'n');
    std::string params;
    for (size_t i = 0; i < kMaxParameters; ++i) {
        params += std::string(i ? "," : "") + R"({"name":")" + name + R"(","type":42,"hex":"0102","fullSize":2})";
    }
    const std::string line = R"({"function":")" + std::string(kMaxNameBytes, 'f') + R"(","in":[)" + params +
                             R"(],"out":{"params":[)" + params + "]}}";
    CallParser parser;
    CapturedCall call;
    ASSERT_TRUE(parser.ParseCopy(line, call)) << parser.Error();
    EXPECT_EQ(call.input.GetParamCount(), static_cast<int>(kMaxParameters));
    EXPECT_EQ(call.output.GetParamCount(), static_cast<int>(kMaxParameters));
}

}  // namespace
}  // namespace vesk::replay
