// Lines of a capture: the byte-order mark, the longest line allowed and
// what follows a line that cannot be held.
#include "replay/LineSource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vesk::replay {
namespace {

// Every line of `text` as "LINE:TEXT", then how reading ended
// ("end", "too long at LINE", ...), reading with the longest line `max`.
std::vector<std::string> read(const std::string& text, size_t max = LineSource::kDefaultMaxLineBytes) {
    std::FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    std::vector<std::string> lines;
    {
        LineSource source(file, max);
        std::string_view line;
        LineSource::eNext next;
        while ((next = source.Next(line)) == LineSource::eNext::Line) {
            lines.push_back(std::to_string(source.LineNumber()) + ":" + std::string(line));
        }
        const char* ending = next == LineSource::eNext::End       ? "end"
                             : next == LineSource::eNext::TooLong ? "too long at "
                                                                  : "other at ";
        lines.push_back(ending + (next == LineSource::eNext::End ? "" : std::to_string(source.LineNumber())));
        // Once ended, it stays ended, at the same line.
        EXPECT_EQ(source.Next(line), next);
        EXPECT_EQ(lines.back(), ending + (next == LineSource::eNext::End ? "" : std::to_string(source.LineNumber())));
    }
    std::fclose(file);
    return lines;
}

using Lines = std::vector<std::string>;

// Files saved by some editors begin with a byte-order mark: it is skipped
// there, and only there.
TEST(LineSourceTest, ByteOrderMark) {
    EXPECT_EQ(read("\xEF\xBB\xBF{}\n{}"), (Lines{"1:{}", "2:{}", "end"}));
    EXPECT_EQ(read("\xEF\xBB\xBF"), (Lines{"end"}));
    EXPECT_EQ(read("\xEF\xBB\xBF\r\n"), (Lines{"1:", "end"}));
    EXPECT_EQ(read("{}\n\xEF\xBB\xBF{}\n"), (Lines{"1:{}", "2:\xEF\xBB\xBF{}", "end"}));
    EXPECT_EQ(read("\xEF\xBB{}\n"), (Lines{"1:\xEF\xBB{}", "end"}));
}

// A line of exactly the longest length is read; one byte more stops the
// reading at that line, with or without a line break, and the lines before
// it arrive. A "\r" before the break does not count.
TEST(LineSourceTest, LongestLine) {
    EXPECT_EQ(read("a\n12345\nb\n", 5), (Lines{"1:a", "2:12345", "3:b", "end"}));
    EXPECT_EQ(read("a\n12345\r\nb\n", 5), (Lines{"1:a", "2:12345", "3:b", "end"}));
    EXPECT_EQ(read("a\n123456\nb\n", 5), (Lines{"1:a", "too long at 2"}));
    EXPECT_EQ(read("a\n\n123456", 5), (Lines{"1:a", "2:", "too long at 3"}));
    EXPECT_EQ(read("123456", 5), (Lines{"too long at 1"}));
}

// A line many read blocks long is refused as soon as it passes the limit,
// without holding the rest of it.
TEST(LineSourceTest, VeryLongLineStopsEarly) {
    const std::string text = "x\n" + std::string(4 * LineSource::kReadSize, 'a') + "\ny\n";
    EXPECT_EQ(read(text, LineSource::kReadSize + 10), (Lines{"1:x", "too long at 2"}));
    EXPECT_EQ(read(text), (Lines{"1:x", "2:" + std::string(4 * LineSource::kReadSize, 'a'), "3:y", "end"}));
}

}  // namespace
}  // namespace vesk::replay

namespace vesk::replay {
namespace {

// A line longer than the scratch kept between lines makes the buffer grow
// (mapped and moved, not copied) and is given back once read: the lines
// around it, read before and after the release, are whole, and a long line
// again grows the buffer anew.
TEST(LineSourceTest, LongLineGrowsAndIsGivenBack) {
    const std::string longLine(kKeptScratchBytes + 3 * LineSource::kReadSize / 2, 'x');
    std::string text = "first\n" + longLine + "\nafter\n";
    for (int i = 0; i < 1000; ++i) text += "line " + std::to_string(i) + "\n";
    text += longLine + "\r\nlast";
    std::FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    {
        LineSource source(file);
        std::string_view line;
        std::vector<std::string> lines;
        while (source.Next(line) == LineSource::eNext::Line) {
            lines.emplace_back(line.size() > 100 ? "long " + std::to_string(line.size()) : line);
            EXPECT_TRUE(line.size() < 100 || line.find_first_not_of('x') == std::string_view::npos);
            source.ReleaseLongLine();
        }
        ASSERT_EQ(lines.size(), 1005u);
        EXPECT_EQ(lines[0], "first");
        EXPECT_EQ(lines[1], "long " + std::to_string(longLine.size()));
        EXPECT_EQ(lines[2], "after");
        EXPECT_EQ(lines[1002], "line 999");
        EXPECT_EQ(lines[1003], lines[1]);
        EXPECT_EQ(lines[1004], "last");
        EXPECT_EQ(source.LineNumber(), 1005u);
    }
    std::fclose(file);
}

}  // namespace
}  // namespace vesk::replay
