// The capture parser: one JSON line into the two host loggers of a call.
#include "replay/CallParser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace vesk::replay {
namespace {

// Parses one line; fails the test with the parser's message when it does
// not parse.
class CallParserTest : public ::testing::Test {
protected:
    const CapturedCall& parse(const std::string& line) {
        EXPECT_TRUE(parser.ParseCopy(line, call)) << line << "\n" << parser.Error();
        return call;
    }

    // The line must be refused with exactly `message`.
    void expectError(const std::string& line, const std::string& message) {
        EXPECT_FALSE(parser.ParseCopy(line, call)) << line;
        EXPECT_EQ(parser.Error(), message) << line;
    }

    // A call whose only input parameter is `param` (a JSON object).
    const CapturedCall& parseParam(const std::string& param) {
        return parse(R"({"function":"f","in":[)" + param + "]}");
    }

    CallParser parser;
    CapturedCall call;
};

std::string nameOf(const IKoVeskLogger& logger, int index) {
    const char* name = nullptr;
    logger.GetParamName(index, &name);
    return name ? name : "(none)";
}

int typeOf(const IKoVeskLogger& logger, int index) {
    int type = -1;
    logger.GetParamType(index, &type);
    return type;
}

int sizeOf(const IKoVeskLogger& logger, int index) {
    int size = -1;
    logger.GetParamSize(index, &size);
    return size;
}

// The captured bytes in upper-case hexadecimal, "(null)" without data.
std::string bytesOf(const IKoVeskLogger& logger, int index) {
    const int size = sizeOf(logger, index);
    const char* data = nullptr;
    logger.GetParamBuffer(index, &data, size);
    if (!data) return "(null)";
    std::string hex;
    char pair[3];
    for (int i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(data[i]));
        hex += pair;
    }
    return hex;
}

int elementSizeOf(const IKoVeskLogger& logger, int index) {
    int size = -1;
    logger.GetParamElementSize(index, &size);
    return size;
}

// --- the call object: keys and defaults -------------------------------------
// A minimal line must give the documented defaults on both loggers.

TEST_F(CallParserTest, MinimalCallTakesTheDefaults) {
    parse(R"({"function":"viClose","in":[]})");
    EXPECT_STREQ(call.input.GetFunctionName(), "viClose");
    EXPECT_EQ(call.input.GetFunctionId(), -1);
    EXPECT_EQ(call.input.GetApiType(), 3);
    EXPECT_EQ(call.input.GetParamCount(), 0);
    EXPECT_FALSE(call.hasOutput);
    EXPECT_TRUE(call.matching);
}

TEST_F(CallParserTest, IdAndApiApplyToBothLoggersWhateverTheKeyOrder) {
    parse(R"({"out":{},"api":27,"in":[],"id":259,"function":"g"})");
    EXPECT_EQ(call.input.GetFunctionId(), 259);
    EXPECT_EQ(call.input.GetApiType(), 27);
    EXPECT_TRUE(call.hasOutput);
    EXPECT_STREQ(call.output.GetFunctionName(), "g");
    EXPECT_EQ(call.output.GetFunctionId(), 259);
    EXPECT_EQ(call.output.GetApiType(), 27);
}

TEST_F(CallParserTest, EmptyOutputTakesTheDefaults) {
    parse(R"({"function":"f","in":[],"out":{}})");
    EXPECT_TRUE(call.hasOutput);
    EXPECT_TRUE(call.matching);
    EXPECT_EQ(call.output.GetParamCount(), 0);
    EXPECT_EQ(call.output.GetReturnParamIndex(), -1);
    EXPECT_TRUE(call.output.IsSuccessStatus());
}

TEST_F(CallParserTest, OutputKeysAreRead) {
    parse(R"({"function":"f","in":[],"out":{"ret":1,"ok":false,"matching":false,)"
          R"("params":[{"name":"*n","type":1,"u32":7},{"type":23,"u32":0}]}})");
    EXPECT_FALSE(call.matching);
    EXPECT_FALSE(call.output.IsSuccessStatus());
    ASSERT_EQ(call.output.GetParamCount(), 2);
    EXPECT_EQ(call.output.GetReturnParamIndex(), 1);
    EXPECT_EQ(nameOf(call.output, 0), "*n");
    EXPECT_EQ(nameOf(call.output, 1), "(none)");
    EXPECT_EQ(typeOf(call.output, 1), 23);
}

TEST_F(CallParserTest, EscapedKeysAndNamesAreUnescaped) {
    parse(R"({"functio\u006e":"a\tb","in":[{"n\u0061me":"\u00e9","type":1}]})");
    EXPECT_STREQ(call.input.GetFunctionName(), "a\tb");
    EXPECT_EQ(nameOf(call.input, 0), "\xC3\xA9");
}

// --- parameters: name, size, flags ------------------------------------------
// Absent and null names give no name; an empty name is a name.

TEST_F(CallParserTest, ParameterNames) {
    parse(R"({"function":"f","in":[{"type":1},{"name":null,"type":1},{"name":"","type":1},)"
          R"({"name":"dummysesvi","type":45}]})");
    EXPECT_EQ(nameOf(call.input, 0), "(none)");
    EXPECT_EQ(nameOf(call.input, 1), "(none)");
    EXPECT_EQ(nameOf(call.input, 2), "");
    EXPECT_EQ(nameOf(call.input, 3), "dummysesvi");
}

TEST_F(CallParserTest, ParameterWithoutValueOrSizeHasNothingCaptured) {
    parseParam(R"({"type":42})");
    EXPECT_EQ(sizeOf(call.input, 0), 0);
    EXPECT_EQ(bytesOf(call.input, 0), "(null)");
    bool truncated = true;
    call.input.GetParamTruncated(0, &truncated);
    EXPECT_FALSE(truncated);
    int fullSize = -1;
    call.input.GetParamFullSize(0, &fullSize);
    EXPECT_EQ(fullSize, 0);
    EXPECT_EQ(elementSizeOf(call.input, 0), 1);
}

TEST_F(CallParserTest, SizeWithoutValueHasThatSizeButNoData) {
    parseParam(R"({"type":42,"size":4096})");
    EXPECT_EQ(sizeOf(call.input, 0), 4096);
    EXPECT_EQ(bytesOf(call.input, 0), "(null)");
}

// Any size may be claimed without bytes: the plug-in dumps nothing it does
// not hold, whatever the claim.
TEST_F(CallParserTest, SizeWithoutValueUpToTheLargestSize) {
    parseParam(R"({"type":42,"size":2147483647})");
    EXPECT_EQ(sizeOf(call.input, 0), 2147483647);
}

TEST_F(CallParserTest, SizeEqualToTheValueIsAccepted) {
    parseParam(R"({"type":1,"u32":5,"size":4})");
    EXPECT_EQ(bytesOf(call.input, 0), "05000000");
}

TEST_F(CallParserTest, PartialCaptureKeys) {
    parseParam(R"({"type":42,"hex":"0102","truncated":true,"fullSize":100000,"elementSize":2})");
    bool truncated = false;
    call.input.GetParamTruncated(0, &truncated);
    EXPECT_TRUE(truncated);
    int fullSize = 0;
    call.input.GetParamFullSize(0, &fullSize);
    EXPECT_EQ(fullSize, 100000);
    EXPECT_EQ(elementSizeOf(call.input, 0), 2);
}

// --- value keys -----------------------------------------------------------------
// Every value key, at its boundaries: the captured bytes (little-endian) and
// the default element size.

struct tValueCase {
    const char* param;       // the parameter object's value part
    const char* bytes;       // expected capture, hexadecimal
    int elementSize;         // expected default element size
};

const tValueCase kValueCases[] = {
    {R"("u8":0)", "00", 1},
    {R"("u8":255)", "FF", 1},
    {R"("u16":4660)", "3412", 2},
    {R"("u16":65535)", "FFFF", 2},
    {R"("u32":4294967295)", "FFFFFFFF", 4},
    {R"("u32":3221159957)", "1500FFBF", 4},
    {R"("u64":18446744073709551615)", "FFFFFFFFFFFFFFFF", 8},
    {R"("u64":4294967296)", "0000000001000000", 8},
    {R"("i8":-128)", "80", 1},
    {R"("i8":127)", "7F", 1},
    {R"("i16":-2)", "FEFF", 2},
    {R"("i32":-2147483648)", "00000080", 4},
    {R"("i32":2147483647)", "FFFFFF7F", 4},
    {R"("i64":-9223372036854775808)", "0000000000000080", 8},
    {R"("i64":-1)", "FFFFFFFFFFFFFFFF", 8},
    {R"("f32":1.5)", "0000C03F", 4},
    {R"("f32":-0.0)", "00000080", 4},
    {R"("f32":"inf")", "0000807F", 4},
    {R"("f32":"-inf")", "000080FF", 4},
    {R"("f32":"nan")", "0000C07F", 4},
    {R"("f64":12.5)", "0000000000002940", 8},
    {R"("f64":1e-9)", "95D626E80B2E113E", 8},
    {R"("f64":"inf")", "000000000000F07F", 8},
    {R"("f64":"nan")", "000000000000F87F", 8},
    {R"("hex":"")", "", 1},
    {R"("hex":"0a0B")", "0A0B", 1},
    {R"("hex":" 2A 49\t44 4E ")", "2A49444E", 1},
    {R"("text":"")", "", 1},
    {R"("text":"*IDN?\n")", "2A49444E3F0A", 1},
    {R"("text":"\u00e9\u0000x")", "C3A90078", 1},
};

TEST_F(CallParserTest, ValueKeysCaptureTheirBytes) {
    for (const tValueCase& c : kValueCases) {
        SCOPED_TRACE(c.param);
        parseParam(std::string(R"({"type":1,)") + c.param + "}");
        EXPECT_EQ(bytesOf(call.input, 0), c.bytes);
        EXPECT_EQ(sizeOf(call.input, 0), static_cast<int>(std::strlen(c.bytes) / 2));
        EXPECT_EQ(elementSizeOf(call.input, 0), c.elementSize);
    }
}

TEST_F(CallParserTest, AnExplicitElementSizeWinsOverTheKeyWidth) {
    parseParam(R"({"type":22,"u16":1,"elementSize":1})");
    EXPECT_EQ(elementSizeOf(call.input, 0), 1);
}

// --- reuse ---------------------------------------------------------------------------
// One parser and one call object serve every line: nothing of a previous
// line may survive into the next, good or bad.

TEST_F(CallParserTest, NothingSurvivesFromThePreviousLine) {
    parse(R"({"function":"long","id":7,"api":5,"in":[{"name":"a","type":1,"u32":1},)"
          R"({"name":"b","type":42,"hex":"0102","truncated":true}],"out":{"ok":false,)"
          R"("matching":false,"params":[{"type":23,"u32":1}],"ret":0}})");
    EXPECT_FALSE(parser.ParseCopy(R"({"function":"bad","in":[{"type":1,"u8":300}]})", call));
    parse(R"({"function":"short","in":[{"type":42,"hex":"03"}]})");
    EXPECT_STREQ(call.input.GetFunctionName(), "short");
    EXPECT_EQ(call.input.GetFunctionId(), -1);
    EXPECT_EQ(call.input.GetApiType(), 3);
    ASSERT_EQ(call.input.GetParamCount(), 1);
    EXPECT_EQ(nameOf(call.input, 0), "(none)");
    EXPECT_EQ(bytesOf(call.input, 0), "03");
    bool truncated = true;
    call.input.GetParamTruncated(0, &truncated);
    EXPECT_FALSE(truncated);
    EXPECT_FALSE(call.hasOutput);
    EXPECT_TRUE(call.matching);
}

// --- bad input ----------------------------------------------------------------------
// Every class of bad line, with the exact message: the message names the
// key, so the user finds the typo without reading the whole line.

struct tErrorCase {
    const char* line;
    const char* message;
};

const tErrorCase kInvalidJson[] = {
    {R"(not json)", "invalid JSON: Problem while parsing an atom starting with the letter 'n'"},
    {R"({"function":"f","in":[})",
     "invalid JSON: The JSON document has an improper structure: missing or superfluous commas, "
     "braces, missing keys, etc."},
    {R"({"function":"f" "in":[]})",
     "invalid JSON: The JSON document has an improper structure: missing or superfluous commas, "
     "braces, missing keys, etc."},
    {R"({"function":"f","in":[])",
     "invalid JSON: JSON document ended early in the middle of an object or array."},
    {R"({"function":"f","in":[]}})", "invalid JSON: unexpected content after the call object"},
    {"{\"function\":\"\xFF\",\"in\":[]}",
     "invalid JSON: The input is not valid UTF-8"},
    {R"([1,2)", "invalid JSON: JSON document ended early in the middle of an object or array."},
};

const tErrorCase kNotACall[] = {
    {R"([1,2])", "expected a call object, got an array"},
    {R"("viOpen")", "expected a call object, got a string"},
    {R"(null)", "expected a call object, got null"},
};

const tErrorCase kMissingKey[] = {
    {R"({"in":[]})", R"(missing required key "function")"},
    {R"({"function":"f"})", R"(missing required key "in")"},
    {R"({"function":"f","in":[{"name":"a"}]})", R"(in[0]: missing required key "type")"},
    {R"({"function":"f","in":[],"out":{"params":[{"type":1},{"u8":1}]}})",
     R"(out.params[1]: missing required key "type")"},
};

const tErrorCase kUnknownKey[] = {
    {R"({"fuction":"f","in":[]})", R"(unknown key "fuction")"},
    {R"({"function":"f","in":[{"type":1,"hx":"00"}]})", R"(in[0]: unknown key "hx")"},
    {R"({"function":"f","in":[],"out":{"param":[]}})", R"(out: unknown key "param")"},
    {R"({"function":"f","in":[{"type":1,"u24":1}]})", R"(in[0]: unknown key "u24")"},
};

const tErrorCase kDuplicateKey[] = {
    {R"({"function":"f","function":"g","in":[]})", R"(duplicate key "function")"},
    {R"({"function":"f","in":[{"type":1,"type":2}]})", R"(in[0]: duplicate key "type")"},
    {R"({"function":"f","in":[],"out":{"ok":true,"ok":false}})", R"(out: duplicate key "ok")"},
};

const tErrorCase kWrongType[] = {
    {R"({"function":5,"in":[]})", "function: expected a string, got a number"},
    {R"({"function":"f","id":"1","in":[]})", "id: expected an integer, got a string"},
    {R"({"function":"f","id":1.0,"in":[]})", "id: expected an integer, got 1.0"},
    {R"({"function":"f","api":null,"in":[]})", "api: expected an integer, got null"},
    {R"({"function":"f","in":{}})", "in: expected an array, got an object"},
    {R"({"function":"f","in":[5]})", "in[0]: expected an object, got a number"},
    {R"({"function":"f","in":[],"out":[]})", "out: expected an object, got an array"},
    {R"({"function":"f","in":[],"out":null})", "out: expected an object, got null"},
    {R"({"function":"f","in":[],"out":{"params":{}}})", "out.params: expected an array, got an object"},
    {R"({"function":"f","in":[],"out":{"ret":true}})", "out.ret: expected an integer, got a boolean"},
    {R"({"function":"f","in":[],"out":{"ok":1}})", "out.ok: expected a boolean, got a number"},
    {R"({"function":"f","in":[],"out":{"matching":"no"}})",
     "out.matching: expected a boolean, got a string"},
    {R"({"function":"f","in":[{"type":"1"}]})", "in[0].type: expected an integer, got a string"},
    {R"({"function":"f","in":[{"type":1,"name":5}]})", "in[0].name: expected a string, got a number"},
    {R"({"function":"f","in":[{"type":1,"text":5}]})", "in[0].text: expected a string, got a number"},
    {R"({"function":"f","in":[{"type":1,"hex":[]}]})", "in[0].hex: expected a string, got an array"},
    {R"({"function":"f","in":[{"type":1,"u8":1.5}]})", "in[0].u8: expected an integer, got 1.5"},
    {R"({"function":"f","in":[{"type":1,"u32":"7"}]})", "in[0].u32: expected an integer, got a string"},
    {R"({"function":"f","in":[{"type":1,"f32":"x"}]})",
     R"(in[0].f32: expected a number, "nan", "inf" or "-inf", got "x")"},
    {R"({"function":"f","in":[{"type":1,"f64":"NaN"}]})",
     R"(in[0].f64: expected a number, "nan", "inf" or "-inf", got "NaN")"},
    {R"({"function":"f","in":[{"type":1,"f64":true}]})",
     R"(in[0].f64: expected a number, "nan", "inf" or "-inf", got a boolean)"},
    {R"({"function":"f","in":[{"type":1,"truncated":1}]})",
     "in[0].truncated: expected a boolean, got a number"},
    {R"({"function":"f","in":[{"type":1,"size":"4"}]})", "in[0].size: expected an integer, got a string"},
};

const tErrorCase kOutOfRange[] = {
    {R"({"function":"f","in":[{"type":1,"u8":256}]})", "in[0].u8: 256 is out of range 0..255"},
    {R"({"function":"f","in":[{"type":1,"u8":-1}]})", "in[0].u8: -1 is out of range 0..255"},
    {R"({"function":"f","in":[{"type":1,"u16":65536}]})", "in[0].u16: 65536 is out of range 0..65535"},
    {R"({"function":"f","in":[{"type":1,"u32":4294967296}]})",
     "in[0].u32: 4294967296 is out of range 0..4294967295"},
    {R"({"function":"f","in":[{"type":1,"u64":18446744073709551616}]})",
     "in[0].u64: 18446744073709551616 is out of range 0..18446744073709551615"},
    {R"({"function":"f","in":[{"type":1,"u64":-1}]})",
     "in[0].u64: -1 is out of range 0..18446744073709551615"},
    {R"({"function":"f","in":[{"type":1,"i8":128}]})", "in[0].i8: 128 is out of range -128..127"},
    {R"({"function":"f","in":[{"type":1,"i8":-129}]})", "in[0].i8: -129 is out of range -128..127"},
    {R"({"function":"f","in":[{"type":1,"i16":32768}]})", "in[0].i16: 32768 is out of range -32768..32767"},
    {R"({"function":"f","in":[{"type":1,"i32":2147483648}]})",
     "in[0].i32: 2147483648 is out of range -2147483648..2147483647"},
    {R"({"function":"f","in":[{"type":1,"i64":9223372036854775808}]})",
     "in[0].i64: 9223372036854775808 is out of range -9223372036854775808..9223372036854775807"},
    {R"({"function":"f","in":[{"type":1,"i64":-9223372036854775809}]})",
     "in[0].i64: -9223372036854775809 is out of range -9223372036854775808..9223372036854775807"},
    {R"({"function":"f","in":[{"type":1,"f32":1e39}]})", "in[0].f32: 1e39 is out of range of a 32-bit real"},
    {R"({"function":"f","in":[{"type":1,"f64":1e400}]})", "in[0].f64: 1e400 is out of range of a 64-bit real"},
    {R"({"function":"f","id":2147483648,"in":[]})", "id: 2147483648 is out of range -2147483648..2147483647"},
    {R"({"function":"f","api":-2147483649,"in":[]})", "api: -2147483649 is out of range -2147483648..2147483647"},
    {R"({"function":"f","in":[{"type":4294967296}]})",
     "in[0].type: 4294967296 is out of range -2147483648..2147483647"},
    {R"({"function":"f","in":[{"type":1,"size":-1}]})", "in[0].size: -1 is out of range 0..2147483647"},
    {R"({"function":"f","in":[{"type":1,"fullSize":2147483648}]})",
     "in[0].fullSize: 2147483648 is out of range 0..2147483647"},
    {R"({"function":"f","in":[{"type":1,"elementSize":-1}]})",
     "in[0].elementSize: -1 is out of range 0..2147483647"},
    {R"({"function":"f","in":[],"out":{"ret":1,"params":[{"type":23,"u32":0}]}})",
     "out.ret: 1 is out of range -1..0 (the output has 1 parameters)"},
    {R"({"function":"f","in":[],"out":{"ret":-2}})", "out.ret: -2 is out of range -1..-1 (the output has 0 parameters)"},
};

const tErrorCase kBadHex[] = {
    {R"({"function":"f","in":[{"type":42,"hex":"0G"}]})",
     "in[0].hex: bad hex: 'G' at character 2 is not a hexadecimal digit"},
    {R"({"function":"f","in":[{"type":42,"hex":"0x12"}]})",
     "in[0].hex: bad hex: 'x' at character 2 is not a hexadecimal digit"},
    {R"({"function":"f","in":[{"type":42,"hex":"ABC"}]})", "in[0].hex: bad hex: odd number of hexadecimal digits"},
    {R"({"function":"f","in":[{"type":42,"hex":"A B"}]})",
     "in[0].hex: bad hex: blank inside the digit pair at character 1"},
    {R"({"function":"f","in":[{"type":42,"hex":"01,02"}]})",
     "in[0].hex: bad hex: ',' at character 3 is not a hexadecimal digit"},
};

const tErrorCase kSizeMismatch[] = {
    {R"({"function":"f","in":[{"type":1,"u32":1,"size":2}]})",
     R"(in[0]: size 2 does not match the 4 bytes of "u32")"},
    {R"({"function":"f","in":[{"type":42,"size":3,"hex":"0102"}]})",
     R"(in[0]: size 3 does not match the 2 bytes of "hex")"},
    {R"({"function":"f","in":[{"type":45,"text":"abc","size":0}]})",
     R"(in[0]: size 0 does not match the 3 bytes of "text")"},
};

const tErrorCase kTwoValueKeys[] = {
    {R"({"function":"f","in":[{"type":42,"hex":"00","text":"a"}]})",
     R"(in[0]: more than one value key ("hex" and "text"))"},
    {R"({"function":"f","in":[{"type":1},{"type":1,"u8":1,"u16":1}]})",
     R"(in[1]: more than one value key ("u8" and "u16"))"},
    {R"({"function":"f","in":[],"out":{"params":[{"type":1,"f64":1,"f32":1}]}})",
     R"(out.params[0]: more than one value key ("f64" and "f32"))"},
};

void expectErrors(CallParser& parser, CapturedCall& call, const tErrorCase* begin,
                  const tErrorCase* end) {
    for (const tErrorCase* c = begin; c != end; ++c) {
        SCOPED_TRACE(c->line);
        EXPECT_FALSE(parser.ParseCopy(c->line, call));
        EXPECT_EQ(parser.Error(), c->message);
    }
}

#define EXPECT_ERRORS(table) expectErrors(parser, call, std::begin(table), std::end(table))

TEST_F(CallParserTest, InvalidJson) { EXPECT_ERRORS(kInvalidJson); }
TEST_F(CallParserTest, ALineThatIsNoObjectIsNoCall) { EXPECT_ERRORS(kNotACall); }
TEST_F(CallParserTest, MissingRequiredKey) { EXPECT_ERRORS(kMissingKey); }
TEST_F(CallParserTest, UnknownKey) { EXPECT_ERRORS(kUnknownKey); }
TEST_F(CallParserTest, DuplicateKey) { EXPECT_ERRORS(kDuplicateKey); }
TEST_F(CallParserTest, WrongType) { EXPECT_ERRORS(kWrongType); }
TEST_F(CallParserTest, OutOfRange) { EXPECT_ERRORS(kOutOfRange); }
TEST_F(CallParserTest, BadHex) { EXPECT_ERRORS(kBadHex); }
TEST_F(CallParserTest, SizeMismatch) { EXPECT_ERRORS(kSizeMismatch); }
TEST_F(CallParserTest, MoreThanOneValueKey) { EXPECT_ERRORS(kTwoValueKeys); }

// The parser reads straight from the input buffer: only the padding behind
// the line may be looked at, never the next line's bytes as JSON.
TEST_F(CallParserTest, ParseReadsOnlyTheGivenLength) {
    const std::string text = std::string(R"({"function":"f","in":[]})") + "garbage" +
                             std::string(kLinePadding, 'x');
    EXPECT_TRUE(parser.Parse(text.data(), std::strlen(R"({"function":"f","in":[]})"), call))
        << parser.Error();
}

}  // namespace
}  // namespace vesk::replay
