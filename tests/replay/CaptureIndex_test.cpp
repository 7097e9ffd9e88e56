// The browser view's reading of a capture file: the scanner that finds the
// call lines and where they start, and the index built from it, read back
// line by line while it grows.
#include "replay/CaptureIndex.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "replay/CaptureScanner.h"

namespace vesk::replay {
namespace {

// A file of `content`, removed with its owner.
class TempFile {
public:
    explicit TempFile(const std::string& content) {
        char name[] = "/tmp/capture_index_test_XXXXXX";
        const int fd = mkstemp(name);
        EXPECT_GE(fd, 0);
        m_path = name;
        EXPECT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
        ::close(fd);
    }
    ~TempFile() { std::remove(m_path.c_str()); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

const std::string kGood =
    R"({"function":"viClose","id":6,"in":[{"name":"vi","type":33,"u32":4097}],"out":{"params":[{"type":23,"u32":0}],"ret":0}})";
const std::string kFailed =
    R"({"function":"viClose","id":6,"in":[{"name":"vi","type":33,"u32":4097}],"out":{"params":[{"type":23,"u32":3221159957}],"ret":0}})";
const std::string kTimed =
    R"({"function":"viClose","id":6,"time":"2026-12-06T10:15:30Z","duration":0.5,"in":[{"name":"vi","type":33,"u32":4097}]})";

struct tScanned {
    CCaptureScanner::eNext next;
    uint64_t offset, lineNumber;
    std::string text;
};

std::vector<tScanned> scanAll(const std::string& content, size_t maxLine, uint64_t start = 0) {
    const TempFile file(content);
    const int fd = ::open(file.Path().c_str(), O_RDONLY);
    CCaptureScanner scanner(fd, start, 0, maxLine);
    std::vector<tScanned> lines;
    CCaptureScanner::tLine line;
    for (;;) {
        const CCaptureScanner::eNext next = scanner.Next(line);
        if (next == CCaptureScanner::eNext::End || next == CCaptureScanner::eNext::ReadError) break;
        lines.push_back({next, line.offset, line.lineNumber, std::string(line.text)});
    }
    ::close(fd);
    return lines;
}

// Lines are counted as the capture reader counts them: blank lines are no
// calls (but count as lines), "\r\n" ends a line as "\n" does, the last
// line needs no break, a byte-order mark at the start is skipped. A line
// one byte longer than allowed is reported without its bytes and the lines
// after it go on; a "\r" does not count towards the length.
TEST(CaptureScannerTest, LinesAndOffsets) {
    using eNext = CCaptureScanner::eNext;
    const std::string content = "\xEF\xBB\xBF" "abc\r\n\n  \t\r\nde\n0123456789\nfghij\r\nxyz";
    const std::vector<tScanned> lines = scanAll(content, 5);
    ASSERT_EQ(lines.size(), 5u);
    const tScanned expected[] = {
        {eNext::Line, 3, 1, "abc"},   {eNext::Line, 14, 4, "de"}, {eNext::TooLong, 17, 5, ""},
        {eNext::Line, 28, 6, "fghij"}, {eNext::Line, 35, 7, "xyz"},
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i].next, expected[i].next);
        EXPECT_EQ(lines[i].offset, expected[i].offset);
        EXPECT_EQ(lines[i].lineNumber, expected[i].lineNumber);
        EXPECT_EQ(lines[i].text, expected[i].text);
    }
    // Read from an offset where a line begins: no mark is looked for.
    const std::vector<tScanned> later = scanAll(content, 5, 28);
    ASSERT_EQ(later.size(), 2u);
    EXPECT_EQ(later[0].text, "fghij");
    EXPECT_EQ(later[0].offset, 28u);
}

// A line longer than a read block, with and without room to hold it: held
// whole when allowed, skipped without holding it when not, and the lines
// around it keep their places.
TEST(CaptureScannerTest, LinesLongerThanABlock) {
    const std::string longLine(CCaptureScanner::kReadSize * 2 + 17, 'x');
    const std::string content = "a\n" + longLine + "\nb\n";
    const std::vector<tScanned> held = scanAll(content, longLine.size());
    ASSERT_EQ(held.size(), 3u);
    EXPECT_EQ(held[1].text, longLine);
    EXPECT_EQ(held[2].offset, 2 + longLine.size() + 1);
    const std::vector<tScanned> skipped = scanAll(content, 1000);
    ASSERT_EQ(skipped.size(), 3u);
    EXPECT_EQ(skipped[1].next, CCaptureScanner::eNext::TooLong);
    EXPECT_EQ(skipped[1].offset, 2u);
    EXPECT_EQ(skipped[2].text, "b");
    EXPECT_EQ(skipped[2].lineNumber, 3u);
}

// Every line gets a call number and a state; the lines that are no calls
// are diagnosed with their line numbers; the capture's times are noticed;
// each line reads back as it is in the file.
TEST(CaptureIndexTest, StatesDiagnosticsAndReadingBack) {
    using eCallState = CCaptureIndex::eCallState;
    const std::string tooLong = "{\"" + std::string(300, 'x') + "\":1}";
    const TempFile file(kGood + "\n\n" + kFailed + "\r\n" + "{not json\n" + tooLong + "\n" + kTimed);
    CCaptureIndex index(256);
    std::string error;
    ASSERT_TRUE(index.Open(file.Path(), error)) << error;
    index.Build();
    ASSERT_EQ(index.Calls(), 5u);
    const eCallState states[] = {eCallState::Good, eCallState::Failed, eCallState::Bad, eCallState::TooLong,
                                 eCallState::Good};
    for (uint64_t number = 1; number <= 5; ++number) EXPECT_EQ(index.State(number), states[number - 1]) << number;
    const CCaptureIndex::tProgress progress = index.Progress();
    EXPECT_TRUE(progress.complete);
    EXPECT_EQ(progress.failure, "");
    EXPECT_TRUE(progress.anyTime);
    EXPECT_TRUE(progress.anyDuration);
    EXPECT_EQ(progress.diagnostics, 2u);
    const std::vector<CCaptureIndex::tDiagnostic> diagnostics = index.Diagnostics();
    ASSERT_EQ(diagnostics.size(), 2u);
    EXPECT_EQ(diagnostics[0].line, 4u);
    EXPECT_EQ(diagnostics[0].call, 3u);
    EXPECT_EQ(diagnostics[1].line, 5u);
    EXPECT_EQ(diagnostics[1].message, "the line is longer than 256 bytes (--max-line raises the limit)");

    const std::string expected[] = {kGood, kFailed, "{not json", "", kTimed};
    std::string buffer;
    std::string_view line;
    for (uint64_t number = 1; number <= 5; ++number) {
        const bool read = index.ReadLine(number, buffer, line, error);
        EXPECT_EQ(read, number != 4) << number;
        if (read) {
            EXPECT_EQ(line, expected[number - 1]) << number;
        }
    }
    EXPECT_EQ(error, diagnostics[1].message);
    for (const uint64_t outside : {uint64_t{0}, uint64_t{6}}) {
        EXPECT_FALSE(index.ReadLine(outside, buffer, line, error));
        EXPECT_EQ(error, "no call " + std::to_string(outside));
    }
}

// The last line's end is not known from the next offset: it is read in
// growing pieces, as long as allowed and no longer.
TEST(CaptureIndexTest, LastLineLongerThanTheFirstRead) {
    const std::string value(20000, '7');
    const std::string call = R"({"function":"viClose","id":6,"in":[{"name":"vi","type":1,"text":")" + value + "\"}]}";
    const TempFile file(kGood + "\n" + call);
    CCaptureIndex index(1 << 20);
    std::string error;
    ASSERT_TRUE(index.Open(file.Path(), error));
    index.Build();
    std::string buffer;
    std::string_view line;
    ASSERT_TRUE(index.ReadLine(2, buffer, line, error)) << error;
    EXPECT_EQ(line, call);
}

// Diagnostics are kept up to their bound and counted beyond it; an index
// built up to a number of calls stops after one more.
TEST(CaptureIndexTest, Bounds) {
    std::string content;
    for (size_t i = 0; i < CCaptureIndex::kMaxDiagnostics + 5; ++i) content += "x\n";
    const TempFile file(content);
    CCaptureIndex all(1024);
    std::string error;
    ASSERT_TRUE(all.Open(file.Path(), error));
    all.Build();
    EXPECT_EQ(all.Progress().diagnostics, CCaptureIndex::kMaxDiagnostics + 5);
    EXPECT_EQ(all.Diagnostics().size(), CCaptureIndex::kMaxDiagnostics);
    CCaptureIndex some(1024);
    ASSERT_TRUE(some.Open(file.Path(), error));
    some.Build(10);
    EXPECT_EQ(some.Calls(), 11u);
    EXPECT_EQ(some.Progress().failure, "indexing stopped after 11 calls");
}

// Only a regular file can be indexed: calls are read back by offset.
TEST(CaptureIndexTest, RefusesWhatIsNoRegularFile) {
    CCaptureIndex index(1024);
    std::string error;
    EXPECT_FALSE(index.Open("/dev/null", error));
    EXPECT_EQ(error, "/dev/null is not a regular file: the browser view reads calls back by their place in the file");
    EXPECT_FALSE(index.Open("/no/such/capture.jsonl", error));
    EXPECT_EQ(error, "cannot open /no/such/capture.jsonl: No such file or directory");
}

// Readers read what is published while the index grows in the background:
// every call they are told of reads back whole.
TEST(CaptureIndexTest, ReadWhileIndexing) {
    std::string content;
    constexpr uint64_t kCalls = 200000;
    for (uint64_t i = 0; i < kCalls; ++i) content += (i % 7 == 3 ? kFailed : kGood) + "\n";
    const TempFile file(content);
    CCaptureIndex index(1024);
    std::string error;
    ASSERT_TRUE(index.Open(file.Path(), error));
    index.StartInBackground();
    std::atomic<bool> allRead{true};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r) {
        readers.emplace_back([&] {
            std::string buffer;
            std::string_view line;
            std::string readError;
            while (!index.Progress().complete) {
                const uint64_t calls = index.Calls();
                if (calls == 0) continue;
                const uint64_t number = calls - (calls % 5);
                if (number == 0) continue;
                const std::string& expected = number % 7 == 4 ? kFailed : kGood;
                if (!index.ReadLine(number, buffer, line, readError) || line != expected ||
                    (index.State(number) == CCaptureIndex::eCallState::Failed) != (number % 7 == 4)) {
                    allRead = false;
                }
            }
        });
    }
    for (std::thread& reader : readers) reader.join();
    index.Stop();
    EXPECT_TRUE(allRead);
    EXPECT_EQ(index.Calls(), kCalls);
}

}  // namespace
}  // namespace vesk::replay
