// The text export: line counts, the status line, the dump of the first
// buffer with its shortenings, and the failure mark.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "call_test_support.h"

namespace call_test {
namespace {

using TextExportTest = CallRecordTest;
using Lines = std::vector<std::string>;
using Use = IKoVeskCall::eCallExportUse;

const std::string kSeparator(76, '-');

// A call whose first listed buffer is input parameter 0.
void enterWithBuffer(CapturedCall& call, int type, const Bytes& bytes) {
    call.enter({{"buf", type, bytes}});
    call.record.AddBufferToList("buf", IKoVeskCall::eLogDataInput, 0);
}

// Exports as the host does: asks for the count, allocates exactly that many
// lines (each holding `fill`), and has them filled.
Lines exportLines(const CVISACall& record, Use use, const char* fill = "") {
    const int count = record.GetNumberOfLinesToExport(use);
    std::unique_ptr<StringBase[]> lines(new StringBase[static_cast<size_t>(count)]);
    for (int i = 0; i < count; ++i) lines[i] = fill;
    record.FormatForOutput(lines.get(), count, use);
    Lines result;
    for (int i = 0; i < count; ++i) result.emplace_back(lines[i].c_str());
    return result;
}

// The offset prefixes of dump lines; other lines (heading, separator) whole.
Lines prefixes(const Lines& lines, size_t from) {
    Lines result;
    for (size_t i = from; i < lines.size(); ++i)
        result.push_back(lines[i].compare(0, 3, "000") == 0 ? lines[i].substr(0, 11) : lines[i]);
    return result;
}

Lines offsetLines(uint32_t first, uint32_t step, int count) {
    Lines result;
    char text[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "%08X:  ", first + step * static_cast<uint32_t>(i));
        result.push_back(text);
    }
    return result;
}

Lines joined(std::initializer_list<Lines> parts) {
    Lines result;
    for (const Lines& part : parts) result.insert(result.end(), part.begin(), part.end());
    return result;
}

// --- dumps: what is shown of a buffer, and where --------------------------

// A short byte buffer: a complete dump, 16 bytes a line, the last line
// keeping the column grid.
TEST_F(TextExportTest, TwentyBytesDumpOnTwoLines) {
    CapturedCall call("fn");
    enterWithBuffer(call, code::kByteArray, countingBytes(20));
    EXPECT_EQ(exportLines(call.record, IKoVeskCall::eExportUseText),
              (Lines{"fn ()", "Buffer contents:",
                     "00000000:  41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50  ABCDEFGHIJKLMNOP",
                     "00000010:  51 52 53 54 " + std::string(36, ' ') + " QRST"}));
}

// Offsets count elements, not bytes.
TEST_F(TextExportTest, OffsetsOfThirtyTwoBitDataCountElements) {
    CapturedCall call("fn");
    enterWithBuffer(call, code::kInt32Array,
                    bytesOf<uint32_t>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(prefixes(exportLines(call.record, IKoVeskCall::eExportUseText), 2),
              offsetLines(0, 4, 3));
}

// Export use 4 holds a long dump to 22 lines: head, separator, tail.
TEST_F(TextExportTest, LimitedExportShowsHeadAndTail) {
    CapturedCall call("fn");
    enterWithBuffer(call, code::kByteArray, countingBytes(1024));
    const Lines lines = exportLines(call.record, IKoVeskCall::eExportUseLimited);
    ASSERT_EQ(lines.size(), 1u + 22u);
    EXPECT_EQ(lines[1], "Buffer contents (shortened):");
    EXPECT_EQ(prefixes(lines, 2),
              joined({offsetLines(0, 0x10, 10), {kSeparator}, offsetLines(0x360, 0x10, 10)}));
}

// A partly captured buffer shows its head, the separator, and its tail at
// the offsets of the end of the real buffer.
TEST_F(TextExportTest, PartialCaptureJumpsToTheTail) {
    CapturedCall call("fn");
    enterWithBuffer(call, code::kByteArray, countingBytes(64));
    call.input.SetParamTruncated(0, true);
    call.input.SetParamFullSize(0, 1000);
    const Lines lines = exportLines(call.record, IKoVeskCall::eExportUseText);
    ASSERT_EQ(lines.size(), 1u + 6u);
    EXPECT_EQ(lines[1], "Buffer contents (shortened):");
    EXPECT_EQ(prefixes(lines, 2),
              joined({offsetLines(0, 0x10, 2), {kSeparator}, offsetLines(0x3C8, 0x10, 2)}));
}

// An empty buffer reserves a heading and a line; only the line is written.
TEST_F(TextExportTest, EmptyBufferLeavesTheHeadingUntouched) {
    CapturedCall call("fn");
    enterWithBuffer(call, code::kByteArray, {});
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
            enterWithBuffer(call, code::kByteArray, countingBytes(40));
            call.returnWith({}, 0);
            const Lines lines = exportLines(call.record, static_cast<Use>(use), "unwritten");
            const bool dump = !summary && use != IKoVeskCall::eExportUseQuoted;
            EXPECT_EQ(lines.size(), dump ? 6u : 2u);
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
    enterWithBuffer(call, code::kByteArray, countingBytes(20));
    call.returnWith({}, 0xBFFF0015, false);

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
// not have (6 bytes of 32-bit data, 12 bytes of 64-bit reals on a 24-byte
// line). Lines are allocated exactly, for AddressSanitizer to see.
TEST_F(TextExportTest, DumpStaysWithinTheCountedLines) {
    CapturedCall ints("fn");
    enterWithBuffer(ints, code::kInt32Array, text("ABCDEF"));
    EXPECT_EQ(exportLines(ints.record, IKoVeskCall::eExportUseText),
              (Lines{"fn ()", "Buffer contents:",
                     "00000000:  44434241    " + std::string(36, ' ') + " ABCD"}));
    std::vector<StringBase> pageLines;
    StringBase heading;
    ints.record.SetPageBufferParamData(0, heading, pageLines);
    EXPECT_EQ(pageLines.size(), 1u);

    Bytes twelveBytes = bytesOf<double>({1.5, 2.5});
    twelveBytes.resize(12);
    CapturedCall reals("fn");
    enterWithBuffer(reals, code::kReal64Array, twelveBytes);
    const Lines lines = exportLines(reals.record, IKoVeskCall::eExportUseText);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2].substr(0, 11), "00000000:  ");
}

// A logger that states a size but holds no bytes has nothing to dump: the
// count and the page reserve one dump line, not one per 16 stated bytes
// (a stated gigabyte would otherwise cost the host millions of lines).
TEST_F(TextExportTest, StatedSizeWithoutBytesReservesOneLine) {
    CapturedCall call("fn");
    call.enter({{"buf", code::kByteArray, {}}});
    call.input.SetParamSizeWithoutData(0, 1 << 30);
    call.record.AddBufferToList("buf", IKoVeskCall::eLogDataInput, 0);
    EXPECT_EQ(exportLines(call.record, IKoVeskCall::eExportUseText),
              (Lines{"fn ()", "", ""}));
    std::vector<StringBase> pageLines;
    StringBase heading("untouched");
    call.record.SetPageBufferParamData(0, heading, pageLines);
    EXPECT_EQ(pageLines.size(), 1u);
    EXPECT_EQ(heading, "untouched");
}

// --- cost: a shortened dump formats only the lines it shows --------------

class CountingFormat : public nKoVeskLog210::CVisaFormat {
public:
    void FormatDataLine(int typeCode, int elementSize, const unsigned char* data, char* line,
                        int bytesRemaining, int bytesPerLine, int& bytesUsed, int& elementsUsed,
                        const IKoVeskCall* call) const override {
        ++dumpLines;
        CVisaFormat::FormatDataLine(typeCode, elementSize, data, line, bytesRemaining,
                                    bytesPerLine, bytesUsed, elementsUsed, call);
    }
    mutable int dumpLines = 0;
};

TEST_F(TextExportTest, LimitedExportOfAHugeBufferFormatsTwentyLines) {
    CountingFormat formatter;
    BasicCapturedCall<RecordUsing<CountingFormat>> call("fn", 0x6342, 3, formatter);
    call.enter({{"buf", code::kByteArray, countingBytes(16u << 20)}});
    call.record.AddBufferToList("buf", IKoVeskCall::eLogDataInput, 0);
    formatter.dumpLines = 0;
    const Lines lines = exportLines(call.record, IKoVeskCall::eExportUseLimited);
    EXPECT_LE(formatter.dumpLines, 21);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[12], kSeparator);
    EXPECT_EQ(lines[22].substr(0, 11), "00FFFFF0:  ");
}

}  // namespace
}  // namespace call_test
