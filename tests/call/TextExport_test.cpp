// The text export: line counts, status line, failure mark, and the dump of
// the first buffer with its shortenings and bounds.
#include <algorithm>
#include <cstdio>
#include <string>

#include "CallTestSupport.h"

namespace kovesk_test {
namespace {

using ExportTest = CallRecordTest;
using Use = IKoVeskCall::eCallExportUse;

const std::string kSeparator(76, '-');

// Whole dumps: 16 bytes a line, the last line keeping the column grid; an
// empty buffer reserves a heading and a line and writes only the line (its
// offset, or nothing for a size stated without bytes: not a line per 16
// stated bytes, a stated gigabyte would cost millions); a last slice narrower than one
// element (6 bytes of 32-bit data, 12 of 64-bit reals) would need a line the
// count does not have.
TEST_F(ExportTest, WholeDumps) {
    const std::tuple<int, Bytes, int, Lines, size_t> cases[] = {  // type, bytes, stated size, lines, page lines
        {code::kByteArray, countingBytes(20), 0,
         {"fn ()", "Buffer contents:", "00000000:  41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50  ABCDEFGHIJKLMNOP",
          "00000010:  51 52 53 54 " + std::string(36, ' ') + " QRST"},
         3},
        {code::kByteArray, {}, 0, {"fn ()", "as created", "00000000:  "}, 1},
        {code::kByteArray, {}, 1 << 30, {"fn ()", "as created", ""}, 1},
        {code::kInt32Array, text("ABCDEF"), 0,
         {"fn ()", "Buffer contents:", "00000000:  44434241    " + std::string(36, ' ') + " ABCD"}, 1},
        {code::kReal64Array, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 0x40, 0x40, 0x40, 0x40}, 0,  // 1.5, a third of one
         {"fn ()", "Buffer contents:", "00000000:    1.50000000000E+00 "}, 2}};
    for (const auto& [type, bytes, statedSize, lines, pageLineCount] : cases) {
        LoggedCall call("fn");
        call.enterWithBuffer(type, bytes);
        if (statedSize) call.input.SetParamSizeWithoutData(0, statedSize);
        EXPECT_EQ(exportLines(call.record, IKoVeskCall::eExportUseText, "as created"), lines);
        std::vector<StringBase> pageLines;
        StringBase heading;
        call.record.SetPageBufferParamData(0, heading, pageLines);
        EXPECT_EQ(pageLines.size(), pageLineCount);  // the page's own count, 8 bytes a line
    }
}

// Where the dump lines start: 40 bytes whole; use 4 holds 1024 bytes to 22
// lines (head, separator, tail); a partly captured buffer jumps to the tail
// at the offsets of the end of the real buffer, up to 2 GiB.
TEST_F(ExportTest, DumpOffsetsAndShortenings) {
    struct {
        size_t captured;
        int fullSize;  // 0: captured whole
        Use use;
        const char* heading;
        std::vector<uint32_t> offsets;  // of the dump lines; 1 stands for the separator
    } const cases[] = {
        {.captured = 40, .fullSize = 0, .use = IKoVeskCall::eExportUseText, .heading = "Buffer contents:",
         .offsets = {0x00, 0x10, 0x20}},
        {.captured = 1024, .fullSize = 0, .use = IKoVeskCall::eExportUseLimited,
         .heading = "Buffer contents (shortened):",
         .offsets = {0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 1,
                     0x360, 0x370, 0x380, 0x390, 0x3A0, 0x3B0, 0x3C0, 0x3D0, 0x3E0, 0x3F0}},
        {.captured = 64, .fullSize = 1000, .use = IKoVeskCall::eExportUseText,
         .heading = "Buffer contents (shortened):", .offsets = {0x00, 0x10, 1, 0x3C8, 0x3D8}},
        {.captured = 64, .fullSize = 0x7FFFFFF0, .use = IKoVeskCall::eExportUseText,
         .heading = "Buffer contents (shortened):", .offsets = {0x00, 0x10, 1, 0x7FFFFFD0, 0x7FFFFFE0}}};
    for (const auto& [captured, fullSize, use, heading, offsets] : cases) {
        SCOPED_TRACE(captured);
        LoggedCall call("fn");
        call.enterWithBuffer(code::kByteArray, countingBytes(captured));
        if (fullSize) {
            call.input.SetParamTruncated(0, true);
            call.input.SetParamFullSize(0, fullSize);
        }
        const Lines lines = exportLines(call.record, use);
        ASSERT_EQ(lines.size(), 2 + offsets.size());
        EXPECT_EQ(lines[1], heading);
        for (size_t i = 0; i < offsets.size(); ++i) {
            char offset[16];
            std::snprintf(offset, sizeof offset, "%08X:  ", offsets[i]);
            EXPECT_EQ(lines[i + 2].substr(0, 11), offsets[i] == 1 ? kSeparator.substr(0, 11) : offset) << i;
        }
    }
}

// The line count is what the host allocates: every counted line must be
// written, and nothing past them. A failed call is marked on every line,
// or, in use 2, inside the quotes of its first line only.
TEST_F(ExportTest, CountMatchesTheLinesWrittenForEveryUse) {
    for (const bool summary : {false, true}) {
        nKoVeskHost::SetExportIsSummary(summary);
        for (int use = 0; use <= 4; ++use) {
            for (const bool failed : {false, true}) {
                SCOPED_TRACE(::testing::Message() << "summary " << summary << ", use " << use << ", failed " << failed);
                LoggedCall call("fn");
                call.enterWithBuffer(code::kByteArray, countingBytes(40));
                call.returnWith({}, failed ? kTimeout : 0, !failed);
                const Lines lines = exportLines(call.record, static_cast<Use>(use), "unwritten");
                const bool quoted = use == IKoVeskCall::eExportUseQuoted;
                EXPECT_EQ(lines.size(), !summary && !quoted ? 6u : 2u);
                EXPECT_EQ(std::count(lines.begin(), lines.end(), "unwritten"), 0);
                ASSERT_GE(lines.size(), 2u);
                const std::string mark = failed && !quoted ? "> " : "";
                EXPECT_EQ(lines[0], quoted ? (failed ? "\"> fn ()\"" : "\"fn ()\"") : mark + "fn ()");
                EXPECT_EQ(lines[1], mark + (failed ? "Return status: 0xBFFF0015 (VI_ERROR_TMO)"
                                                   : "Return status: 0 (VI_SUCCESS)"));
                for (const std::string& line : lines) {
                    EXPECT_EQ(line.substr(0, mark.size()), mark) << line;
                }
            }
        }
    }
}

// A shortened dump formats only the lines it shows, however large the buffer.
class CountingFormat : public nKoVeskLog210::CVisaFormat {
public:
    void FormatDataLine(int typeCode, int elementSize, const unsigned char* data, char* line, int bytesRemaining,
                        int bytesPerLine, int& bytesUsed, int& elementsUsed, const IKoVeskCall* call) const override {
        ++dumpLines;
        CVisaFormat::FormatDataLine(typeCode, elementSize, data, line, bytesRemaining, bytesPerLine, bytesUsed,
                                    elementsUsed, call);
    }
    mutable int dumpLines = 0;
};

TEST_F(ExportTest, LimitedExportOfAHugeBufferFormatsTwentyLines) {
    CountingFormat formatter;
    LoggedCall call("fn");
    call.record.useFormatter(formatter);
    call.enterWithBuffer(code::kByteArray, countingBytes(16u << 20));
    formatter.dumpLines = 0;
    const Lines lines = exportLines(call.record, IKoVeskCall::eExportUseLimited);
    EXPECT_LE(formatter.dumpLines, 21);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[12], kSeparator);
    EXPECT_EQ(lines[22].substr(0, 11), "00FFFFF0:  ");
}

}  // namespace
}  // namespace kovesk_test
