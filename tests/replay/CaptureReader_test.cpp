// Reading a capture: bad lines, line and call numbers, streaming.
#include "replay/CaptureReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vesk::replay {
namespace {

// A temporary file holding `text`, read from its start.
struct MemoryFile {
    explicit MemoryFile(const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::rewind(file);
    }
    ~MemoryFile() { std::fclose(file); }
    std::FILE* file = std::tmpfile();
};

// A line whose only input parameter is of type 1 with `keys`; one whose output has `keys`.
std::string param(const std::string& keys) {
    return R"({"function":"f","in":[{"type":1,)" + keys + "}]}";
}
std::string output(const std::string& keys) {
    return R"({"function":"f","in":[],"out":{)" + keys + "}}";
}

// --- bad lines ---------------------------------------------------------------------
// Every class of bad line, with its exact message (naming the key, so the
// user finds the typo at once) and line number.

using tErrorCase = std::pair<std::string, std::string>;  // line, message

std::vector<tErrorCase> errorCases() {
    const std::string kReal = R"(expected a number, "nan", "inf" or "-inf", got )";
    std::vector<tErrorCase> cases = {
        // invalid JSON, or JSON that is no call object
        {"not json", "invalid JSON: Problem while parsing an atom starting with the letter 'n'"},
        {R"({"function":"f","in":[])",
         "invalid JSON: JSON document ended early in the middle of an object or array."},
        {R"({"function":"f","in":[]}})", "invalid JSON: unexpected content after the call object"},
        {"{\"function\":\"\xFF\",\"in\":[]}", "invalid JSON: The input is not valid UTF-8"},
        {"[1,2]", "expected a call object, got an array"},
        // missing, unknown and duplicate keys
        {R"({"in":[]})", R"(missing required key "function")"},
        {R"({"function":"f"})", R"(missing required key "in")"},
        {output(R"("params":[{"type":1},{"u8":1}])"),
         R"(out.params[1]: missing required key "type")"},
        {R"({"fuction":"f","in":[]})", R"(unknown key "fuction")"},
        {param(R"("u24":1)"), R"(in[0]: unknown key "u24")"},
        {output(R"("param":[])"), R"(out: unknown key "param")"},
        {R"({"function":"f","function":"g","in":[]})", R"(duplicate key "function")"},
        // wrong types
        {R"({"function":5,"in":[]})", "function: expected a string, got a number"},
        {R"({"function":"f","id":"1","in":[]})", "id: expected an integer, got a string"},
        {R"({"function":"f","in":{}})", "in: expected an array, got an object"},
        {R"({"function":"f","in":[],"out":null})", "out: expected an object, got null"},
        {output(R"("ok":1)"), "out.ok: expected a boolean, got a number"},
        {param(R"("hex":[])"), "in[0].hex: expected a string, got an array"},
        {param(R"("u8":1.5)"), "in[0].u8: expected an integer, got 1.5"},
        {param(R"("f32":"x")"), "in[0].f32: " + kReal + R"("x")"},
        {param(R"("f64":"NaN")"), "in[0].f64: " + kReal + R"("NaN")"},
        {param(R"("f64":true)"), "in[0].f64: " + kReal + "a boolean"},
        // out-of-range values besides the integer value keys' (below)
        {param(R"("f32":1e39)"), "in[0].f32: 1e39 is out of range of a 32-bit real"},
        {param(R"("f64":1e400)"), "in[0].f64: 1e400 is out of range of a 64-bit real"},
        {R"({"function":"f","id":2147483648,"in":[]})",
         "id: 2147483648 is out of range -2147483648..2147483647"},
        {param(R"("size":-1)"), "in[0].size: -1 is out of range 0..2147483647"},
        {output(R"("ret":-2)"), "out.ret: -2 is out of range -1..-1 (the output has 0 parameters)"},
        // bad hex, size mismatch, more than one value key
        {param(R"("hex":"0G")"), "in[0].hex: bad hex: 'G' at character 2 is not a hexadecimal digit"},
        {param(R"("hex":"ABC")"), "in[0].hex: bad hex: odd number of hexadecimal digits"},
        {param(R"("hex":"A B")"), "in[0].hex: bad hex: blank inside the digit pair at character 1"},
        {param(R"("u32":1,"size":2)"), R"(in[0]: size 2 does not match the 4 bytes of "u32")"},
        {param(R"("hex":"00","text":"a")"), R"(in[0]: more than one value key ("hex" and "text"))"},
        // the whole value smaller than what was captured of it
        {param(R"("hex":"0102","fullSize":1)"), "in[0].fullSize: 1 is smaller than the 2 bytes captured"},
        {param(R"("size":10,"fullSize":9)"), "in[0].fullSize: 9 is smaller than the 10 bytes captured"},
        // names are identifiers: no control characters, bounded length; a
        // message quotes every byte of the capture that is not printable
        // ASCII as \xNN, a NUL too
        {R"({"function":"vi\u001b[2J","in":[]})",
         R"(function: a name may not hold the control character \x1B: "vi\x1B[2J")"},
        {R"({"function":"viRead","in":[{"name":"a\nINJECTED = 1","type":1}]})",
         R"(in[0].name: a name may not hold the control character \x0A: "a\x0AINJECTED = 1")"},
        {R"({"function":"viRead","in":[],"out":{"params":[{"name":"\u007f","type":1}]}})",
         R"(out.params[0].name: a name may not hold the control character \x7F: "\x7F")"},
        {R"({"function":")" + std::string(257, 'f') + R"(","in":[]})",
         "function: 257 bytes are more than the 256 a name may have"},
        {param(R"("name":")" + std::string(257, 'n') + R"(")"),
         "in[0].name: 257 bytes are more than the 256 a name may have"},
        {R"({"function":"f","in":[],"k\u0007\u0000y\u00e9":1})",
         "unknown key \"k\\x07\\x00y\\xC3\\xA9\""},
        {param(R"("hex":"\u00e9")"), "in[0].hex: bad hex: '\\xC3' at character 1 is not a hexadecimal digit"},
        {std::string(R"({"function":"f","in":[{"type":1)") + '\0' + "}]}",
         "invalid JSON: a NUL byte at character 32"},
        // the time of a call and what it ran on
        {R"({"function":"f","in":[],"time":"2026-12-06T10:15:30"})",
         R"(time: expected a date and time such as "2026-12-06T10:15:30.250123Z", not "2026-12-06T10:15:30")"},
        {R"({"function":"f","in":[],"time":"2026-02-29T10:15:30Z"})",
         R"(time: the day is out of range for its month, not "2026-02-29T10:15:30Z")"},
        {R"({"function":"f","in":[],"time":1733480130})", "time: expected a string, got a number"},
        {R"({"function":"f","in":[],"duration":-0.001})",
         "duration: -0.001 is negative: a call takes 0 seconds or more"},
        {R"({"function":"f","in":[],"duration":"0.1"})",
         "duration: expected a number of seconds, got a string"},
        {R"({"function":"f","in":[],"thread":-1})", "thread: -1 is out of range 0..18446744073709551615"},
        {R"({"function":"f","in":[],"process":1.5})", "process: expected an integer, got 1.5"},
        {R"({"function":"f","in":[],"thread":1,"thread":2})", R"(duplicate key "thread")"},
    };
    // More parameters than a call may have, in either list.
    std::string many;
    for (int i = 0; i < 65; ++i) many += std::string(i ? "," : "") + R"({"type":1})";
    cases.push_back({R"({"function":"f","in":[)" + many + "]}",
                     "in: more than 64 parameters; a call may have at most 64 in each list"});
    cases.push_back({output(R"("params":[)" + many + "]"),
                     "out.params: more than 64 parameters; a call may have at most 64 in each list"});
    // Each integer value key past one end of its range: the message names
    // the whole range the key table gives it (the ends themselves are the
    // number readers' tests).
    const char* const kRanges[][3] = {
        {"u8", "-1", "0..255"},
        {"u16", "65536", "0..65535"},
        {"u32", "-1", "0..4294967295"},
        {"u64", "18446744073709551616", "0..18446744073709551615"},
        {"i8", "-129", "-128..127"},
        {"i16", "32768", "-32768..32767"},
        {"i32", "-2147483649", "-2147483648..2147483647"},
        {"i64", "9223372036854775808", "-9223372036854775808..9223372036854775807"},
    };
    for (const auto& r : kRanges) {
        const std::string key = r[0], value = r[1];
        cases.push_back({param('"' + key + "\":" + value),
                         "in[0]." + key + ": " + value + " is out of range " + r[2]});
    }
    return cases;
}

// The lines go through one reader, an empty line after each, so the line
// numbers count the empty lines and the call numbers count the bad calls.
TEST(CaptureReaderTest, BadLinesGiveTheirMessageAndLineNumber) {
    const std::vector<tErrorCase> cases = errorCases();
    std::string text;
    for (const tErrorCase& c : cases) text += c.first + "\n\n";
    MemoryFile file(text);
    CaptureReader reader(file.file);
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].first);
        EXPECT_EQ(reader.Next(), CaptureReader::eResult::BadCall);
        EXPECT_EQ(reader.Error(), cases[i].second);
        EXPECT_EQ(reader.LineNumber(), 2 * i + 1);
        EXPECT_EQ(reader.CallNumber(), i + 1);
    }
    EXPECT_EQ(reader.Next(), CaptureReader::eResult::End);
}

// --- numbering ---------------------------------------------------------------------
// Line numbers count every line; empty and blank lines are no calls; call
// numbers count the rest, bad or unparsed, so a call number always names
// the same line. "\r" before "\n" is dropped; the last line needs no "\n".
TEST(CaptureReaderTest, LineAndCallNumbers) {
    const std::string good = R"({"function":"viClose","in":[]})";
    const struct {
        std::string text;
        bool parse;
        const char* expected;  // per call: result (C/B/S), line and call number
    } cases[] = {
        {"", true, ""},
        {"\n" + good + "\n\n  \t\noops\n" + good + "\n\n", true, "C2:1 B5:2 C6:3 "},
        {good + "\r\n\r\n" + good, true, "C1:1 C3:2 "},
        {good + "\n\nnot json\n" + good + "\n", false, "S1:1 S3:2 S4:3 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        MemoryFile file(c.text);
        CaptureReader reader(file.file);
        std::string reads;
        for (CaptureReader::eResult r; (r = reader.Next(c.parse)) != CaptureReader::eResult::End;) {
            reads += "CBS"[static_cast<int>(r)] + std::to_string(reader.LineNumber()) + ":" +
                     std::to_string(reader.CallNumber()) + " ";
        }
        EXPECT_EQ(reads, c.expected);
    }
}

// --- streaming ------------------------------------------------------------------------
// The input is read in blocks: lines of every length, so that they straddle
// block boundaries everywhere, and one line of 1.5 blocks, must arrive whole.
TEST(CaptureReaderTest, LinesArriveWholeAcrossReadBlocks) {
    std::vector<std::string> names;
    std::string text;
    while (text.size() < 3 * LineSource::kReadSize) {
        names.push_back("f" + std::string(names.size() % 97, 'x'));
        text += R"({"function":")" + names.back() + R"(","in":[]})" + "\n";
        if (names.size() == 100) {
            names.push_back("big");
            text += R"({"function":"big","in":[{"type":42,"hex":")" +
                    std::string(3 * LineSource::kReadSize, 'A') + "\"}]}\n";
        }
    }
    MemoryFile file(text);
    CaptureReader reader(file.file);
    for (const std::string& name : names) {
        ASSERT_EQ(reader.Next(), CaptureReader::eResult::Call) << name << ": " << reader.Error();
        ASSERT_EQ(reader.Call().input.GetFunctionName(), name);
    }
    EXPECT_EQ(reader.Next(), CaptureReader::eResult::End);
    EXPECT_EQ(reader.LineNumber(), names.size());
}

}  // namespace
}  // namespace vesk::replay
