// Reading a capture: lines, line numbers, call numbers and streaming.
#include "replay/CaptureReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace vesk::replay {
namespace {

// A FILE* over a copy of `text` (fmemopen), closed by the deleter.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

class MemoryFile {
public:
    explicit MemoryFile(std::string text) : m_text(std::move(text)) {
        // fmemopen of zero bytes fails; an empty input is a FILE at its end.
        m_file.reset(m_text.empty() ? std::tmpfile()
                                    : fmemopen(m_text.data(), m_text.size(), "r"));
    }
    std::FILE* get() const { return m_file.get(); }

private:
    std::string m_text;
    File m_file;
};

constexpr char kGoodCall[] = R"({"function":"viClose","in":[]})";

struct tRead {
    CaptureReader::eResult result;
    uint64_t line;
    uint64_t call;
};

std::vector<tRead> readAll(std::FILE* input, bool parse = true) {
    CaptureReader reader(input);
    std::vector<tRead> reads;
    for (;;) {
        const CaptureReader::eResult result = reader.Next(parse);
        if (result == CaptureReader::eResult::eEnd) break;
        reads.push_back({result, reader.LineNumber(), reader.CallNumber()});
    }
    return reads;
}

constexpr auto kCall = CaptureReader::eResult::eCall;
constexpr auto kBad = CaptureReader::eResult::eBadCall;
constexpr auto kSkipped = CaptureReader::eResult::eSkipped;

bool operator==(const tRead& a, const tRead& b) {
    return a.result == b.result && a.line == b.line && a.call == b.call;
}

void PrintTo(const tRead& read, std::ostream* out) {
    *out << "{" << static_cast<int>(read.result) << ", line " << read.line << ", call "
         << read.call << "}";
}

// --- numbering ---------------------------------------------------------------------
// Line numbers count every line; call numbers count the non-empty ones,
// bad lines included, so that a call number always names the same line.

TEST(CaptureReaderTest, EmptyInputHasNoCalls) {
    MemoryFile file("");
    EXPECT_TRUE(readAll(file.get()).empty());
}

TEST(CaptureReaderTest, EmptyAndBlankLinesAreNotCalls) {
    const std::string text = std::string("\n") + kGoodCall + "\n\n  \t\n" + "oops\n" + kGoodCall +
                             "\n\n";
    MemoryFile file(text);
    const std::vector<tRead> expected = {{kCall, 2, 1}, {kBad, 5, 2}, {kCall, 6, 3}};
    EXPECT_EQ(readAll(file.get()), expected);
}

TEST(CaptureReaderTest, CarriageReturnsBeforeLineBreaksAreDropped) {
    const std::string text = std::string(kGoodCall) + "\r\n\r\n" + kGoodCall + "\r\n";
    MemoryFile file(text);
    const std::vector<tRead> expected = {{kCall, 1, 1}, {kCall, 3, 2}};
    EXPECT_EQ(readAll(file.get()), expected);
}

TEST(CaptureReaderTest, LastLineWithoutLineBreakIsRead) {
    const std::string text = std::string(kGoodCall) + "\n" + kGoodCall;
    MemoryFile file(text);
    const std::vector<tRead> expected = {{kCall, 1, 1}, {kCall, 2, 2}};
    EXPECT_EQ(readAll(file.get()), expected);
}

TEST(CaptureReaderTest, UnparsedLinesAreCountedAsCalls) {
    const std::string text = std::string(kGoodCall) + "\n\nnot json\n" + kGoodCall + "\n";
    MemoryFile file(text);
    const std::vector<tRead> expected = {{kSkipped, 1, 1}, {kSkipped, 3, 2}, {kSkipped, 4, 3}};
    EXPECT_EQ(readAll(file.get(), false), expected);
}

TEST(CaptureReaderTest, ErrorsNameTheLine) {
    MemoryFile file(std::string(kGoodCall) + "\n" + R"({"function":"f","in":[{"type":1,"u8":999}]})" + "\n");
    CaptureReader reader(file.get());
    EXPECT_EQ(reader.Next(), kCall);
    EXPECT_EQ(reader.Next(), kBad);
    EXPECT_EQ(reader.LineNumber(), 2u);
    EXPECT_EQ(reader.Error(), "in[0].u8: 999 is out of range 0..255");
    EXPECT_EQ(reader.Next(), CaptureReader::eResult::eEnd);
    EXPECT_FALSE(reader.ReadFailed());
}

// --- streaming ------------------------------------------------------------------------
// The input is read in blocks: lines that straddle a block boundary, and a
// line longer than a block, must arrive whole.

TEST(CaptureReaderTest, LinesStraddlingReadBlocksArriveWhole) {
    std::string text;
    uint64_t lines = 0;
    while (text.size() < 3 * LineSource::kReadSize) {
        // Lines of varying length, so that boundaries fall everywhere.
        text += R"({"function":"f)" + std::string(lines % 97, 'x') + R"(","in":[]})" + "\n";
        ++lines;
    }
    MemoryFile file(text);
    CaptureReader reader(file.get());
    for (uint64_t n = 0; n < lines; ++n) {
        ASSERT_EQ(reader.Next(), kCall) << "line " << n + 1 << ": " << reader.Error();
        ASSERT_EQ(std::string(reader.Call().input.GetFunctionName()),
                  "f" + std::string(n % 97, 'x'));
    }
    EXPECT_EQ(reader.Next(), CaptureReader::eResult::eEnd);
}

TEST(CaptureReaderTest, ALineLongerThanABlockIsRead) {
    const std::string hex(3 * LineSource::kReadSize, 'A');  // 1.5 blocks of bytes
    const std::string text = std::string(kGoodCall) + "\n" +
                             R"({"function":"big","in":[{"type":42,"hex":")" + hex + "\"}]}\n" +
                             kGoodCall + "\n";
    MemoryFile file(text);
    CaptureReader reader(file.get());
    EXPECT_EQ(reader.Next(), kCall);
    ASSERT_EQ(reader.Next(), kCall) << reader.Error();
    int size = 0;
    reader.Call().input.GetParamSize(0, &size);
    EXPECT_EQ(static_cast<size_t>(size), hex.size() / 2);
    EXPECT_EQ(reader.Next(), kCall);
    EXPECT_EQ(reader.LineNumber(), 3u);
}

}  // namespace
}  // namespace vesk::replay
