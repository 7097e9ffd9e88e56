// The text export: line counts, the status line, the dump of the first
// buffer with its shortenings, the failure mark, and the bounds of the dump.
#include <algorithm>
#include <cstdio>
#include <string>

#include "call_test_support.h"

namespace call_test {
namespace {

using TextExportTest = CallRecordTest;
using Use = IKoVeskCall::eCallExportUse;

const std::string kSeparator(76, '-');

// The offset prefixes of `count` dump lines from `first`, `step` apart.
Lines offsetLines(uint32_t first, uint32_t step, int count) {
    Lines result;
    char text[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "%08X:  ", first + step * static_cast<uint32_t>(i));
        result.push_back(text);
    }
    return result;
}

// A short byte buffer: a complete dump, 16 bytes a line, the last line
// keeping the column grid.
TEST_F(TextExportTest, TwentyBytesDumpOnTwoLines) {
    CapturedCall call("fn");
    call.enterWithBuffer(code::kByteArray, countingBytes(20));
    EXPECT_EQ(exportLines(call.record, IKoVeskCall::eExportUseText),
              (Lines{"fn ()", "Buffer contents:",
                     "00000000:  41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50  ABCDEFGHIJKLMNOP",
                     "00000010:  51 52 53 54 " + std::string(36, ' ') + " QRST"}));
}

// Where the dump lines start: offsets count elements; use 4 holds a long
// dump to 22 lines (head, separator, tail); a partly captured buffer jumps
// to the tail at the offsets of the end of the real buffer.
TEST_F(TextExportTest, DumpOffsetsAndShortenings) {
    struct Case {
        const char* why;
        int type;
        Bytes bytes;
        int fullSize;  // 0: captured whole
        Use use;
        const char* heading;
        Lines offsets;  // of the dump lines; the separator whole
    };
    auto shortened = [](int head, uint32_t tail, int tailCount) {
        Lines lines = offsetLines(0, 0x10, head);
        lines.push_back(kSeparator);
        for (const std::string& l : offsetLines(tail, 0x10, tailCount)) lines.push_back(l);
        return lines;
    };
    const Case cases[] = {
        {"32-bit elements", code::kInt32Array, bytesOf<uint32_t>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), 0,
         IKoVeskCall::eExportUseText, "Buffer contents:", offsetLines(0, 4, 3)},
        {"1024 bytes, use 4", code::kByteArray, countingBytes(1024), 0, IKoVeskCall::eExportUseLimited,
         "Buffer contents (shortened):", shortened(10, 0x360, 10)},
        {"64 of 1000 bytes", code::kByteArray, countingBytes(64), 1000, IKoVeskCall::eExportUseText,
         "Buffer contents (shortened):", shortened(2, 0x3C8, 2)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        CapturedCall call("fn");
        call.enterWithBuffer(c.type, c.bytes);
        if (c.fullSize) {
            call.input.SetParamTruncated(0, true);
            call.input.SetParamFullSize(0, c.fullSize);
        }
        const Lines lines = exportLines(call.record, c.use);
        ASSERT_EQ(lines.size(), 2 + c.offsets.size());
        EXPECT_EQ(lines[1], c.heading);
        for (size_t i = 0; i < c.offsets.size(); ++i)
            EXPECT_EQ(lines[i + 2].substr(0, c.offsets[i].size()), c.offsets[i]) << i;
    }
}

// An empty buffer reserves a heading and a line; only the line is written.
TEST_F(TextExportTest, EmptyBufferLeavesTheHeadingUntouched) {
    CapturedCall call("fn");
    call.enterWithBuffer(code::kByteArray, {});
    EXPECT_EQ(exportLines(call.record, IKoVeskCall::eExportUseText, "as created"),
              (Lines{"fn ()", "as created", "00000000:  "}));
}

// The line count is what the host allocates: every counted line must be
// written, and nothing past them.
TEST_F(TextExportTest, CountMatchesTheLinesWrittenForEveryUse) {
    for (const bool summary : {false, true}) {
        CAppSettings::SetExportIsSummary(summary);
        for (int use = 0; use <= 4; ++use) {
            SCOPED_TRACE("summary " + std::to_string(summary) + ", use " + std::to_string(use));
            CapturedCall call("fn");
            call.enterWithBuffer(code::kByteArray, countingBytes(40));
            call.returnWith({}, 0);
            const Lines lines = exportLines(call.record, static_cast<Use>(use), "unwritten");
            EXPECT_EQ(lines.size(), !summary && use != IKoVeskCall::eExportUseQuoted ? 6u : 2u);
            EXPECT_EQ(std::count(lines.begin(), lines.end(), "unwritten"), 0);
            ASSERT_GE(lines.size(), 2u);
            EXPECT_EQ(lines[1], "Return status: 0 (VI_SUCCESS)");
        }
    }
}

// A failed call is marked on every line, or, in use 2, inside the quotes of
// its first line only.
TEST_F(TextExportTest, FailedCallIsMarked) {
    CapturedCall call("fn");
    call.enterWithBuffer(code::kByteArray, countingBytes(20));
    call.returnWith({}, kTimeout, false);
    const Lines all = exportLines(call.record, IKoVeskCall::eExportUseText);
    ASSERT_EQ(all.size(), 5u);
    for (const std::string& line : all) EXPECT_EQ(line.substr(0, 2), "> ") << line;
    EXPECT_EQ(all[1], "> Return status: 0xBFFF0015 (VI_ERROR_TMO)");
    EXPECT_EQ(all[3].substr(0, 13), "> 00000000:  ");
    EXPECT_EQ(exportLines(call.record, IKoVeskCall::eExportUseQuoted),
              (Lines{"\"> fn ()\"", "Return status: 0xBFFF0015 (VI_ERROR_TMO)"}));
}

// --- bounds: the dump never writes past the lines it was given ----------

// A last slice narrower than one element would need a line the count does
// not have (6 bytes of 32-bit data, 12 bytes of 64-bit reals).
TEST_F(TextExportTest, DumpStaysWithinTheCountedLines) {
    CapturedCall ints("fn");
    ints.enterWithBuffer(code::kInt32Array, text("ABCDEF"));
    EXPECT_EQ(exportLines(ints.record, IKoVeskCall::eExportUseText),
              (Lines{"fn ()", "Buffer contents:", "00000000:  44434241    " + std::string(36, ' ') + " ABCD"}));
    std::vector<StringBase> pageLines;
    StringBase heading;
    ints.record.SetPageBufferParamData(0, heading, pageLines);
    EXPECT_EQ(pageLines.size(), 1u);

    Bytes twelveBytes = bytesOf<double>({1.5, 2.5});
    twelveBytes.resize(12);
    CapturedCall reals("fn");
    reals.enterWithBuffer(code::kReal64Array, twelveBytes);
    const Lines lines = exportLines(reals.record, IKoVeskCall::eExportUseText);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2].substr(0, 11), "00000000:  ");
}

// A stated size without bytes has nothing to dump: one line reserved, not
// one per 16 stated bytes (a stated gigabyte would cost millions).
TEST_F(TextExportTest, StatedSizeWithoutBytesReservesOneLine) {
    CapturedCall call("fn");
    call.enterWithBuffer(code::kByteArray, {});
    call.input.SetParamSizeWithoutData(0, 1 << 30);
    EXPECT_EQ(exportLines(call.record, IKoVeskCall::eExportUseText), (Lines{"fn ()", "", ""}));
    std::vector<StringBase> pageLines;
    StringBase heading("untouched");
    call.record.SetPageBufferParamData(0, heading, pageLines);
    EXPECT_EQ(pageLines.size(), 1u);
    EXPECT_EQ(heading, "untouched");
}

// The widest dump lines there are (16-bit booleans: 11 + 12 columns of 7)
// and offsets near 2^31 fit the export's and the page's line buffers.
TEST_F(TextExportTest, WidestDumpLinesInTheExportAndOnThePage) {
    struct Case {
        const char* why;
        int type, elementSize;
        Bytes bytes;
        int fullSize;  // 0: captured whole
        size_t exportLength, pageLength;
    };
    const Case cases[] = {
        {"16-bit booleans", code::kBooleanArray, 2, Bytes(48, 1), 0, 95, 11 + 6 * 7},
        {"byte booleans", code::kBooleanArray, 1, Bytes(24, 0), 0, 95, 11 + 6 * 7},
        {"tail of a 2 GiB value", code::kByteArray, 1, Bytes(64, 'y'), 0x7FFFFFF0, 76, 44}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        CapturedCall call("viWrite");
        call.enter({{"buf", c.type, u64(0x1000)}, {"*buf", c.type, c.bytes}});
        call.input.SetParamElementSize(1, c.elementSize);
        if (c.fullSize) {
            call.input.SetParamTruncated(1, true);
            call.input.SetParamFullSize(1, c.fullSize);
        }
        ASSERT_EQ(call.record.GetBufferListSize(), 1u);
        const Lines lines = exportLines(call.record, IKoVeskCall::eExportUseText);
        for (size_t k = 2; k < lines.size(); ++k) {
            if (lines[k][0] != '-') {
                EXPECT_EQ(lines[k].size(), c.exportLength) << lines[k];
            }
        }
        StringBase heading;
        std::vector<StringBase> pageLines;
        call.record.SetPageBufferParamData(0, heading, pageLines);
        for (const std::string& line : strings(pageLines)) {
            if (line[0] != '-') {
                EXPECT_EQ(line.size(), c.pageLength) << line;
            }
        }
    }
}

// --- cost: a shortened dump formats only the lines it shows --------------

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

TEST_F(TextExportTest, LimitedExportOfAHugeBufferFormatsTwentyLines) {
    CountingFormat formatter;
    BasicCapturedCall<RecordUsing<CountingFormat>> call("fn", 0x6342, 3, formatter);
    call.enterWithBuffer(code::kByteArray, countingBytes(16u << 20));
    formatter.dumpLines = 0;
    const Lines lines = exportLines(call.record, IKoVeskCall::eExportUseLimited);
    EXPECT_LE(formatter.dumpLines, 21);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[12], kSeparator);
    EXPECT_EQ(lines[22].substr(0, 11), "00FFFFF0:  ");
}

}  // namespace
}  // namespace call_test
