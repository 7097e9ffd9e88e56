// The text export (line counts, status line, failure mark, the dump of the
// first buffer with its shortenings and bounds) and the XML call element.
#include <algorithm>
#include <cstdio>
#include <string>

#include "call_test_support.h"

namespace call_test {
namespace {

using ExportTest = CallRecordTest;
using Use = IKoVeskCall::eCallExportUse;

const std::string kSeparator(76, '-');

// Whole dumps: 16 bytes a line, the last line keeping the column grid; an
// empty buffer reserves a heading and a line and writes only the line; a
// last slice narrower than one element (6 bytes of 32-bit data, 12 of
// 64-bit reals) would need a line the count does not have.
TEST_F(ExportTest, WholeDumps) {
    const std::tuple<int, Bytes, Lines, size_t> cases[] = {
        {code::kByteArray, countingBytes(20),
         {"fn ()", "Buffer contents:", "00000000:  41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50  ABCDEFGHIJKLMNOP",
          "00000010:  51 52 53 54 " + std::string(36, ' ') + " QRST"},
         3},
        {code::kByteArray, {}, {"fn ()", "as created", "00000000:  "}, 1},
        {code::kInt32Array, text("ABCDEF"),
         {"fn ()", "Buffer contents:", "00000000:  44434241    " + std::string(36, ' ') + " ABCD"}, 1},
        {code::kReal64Array, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 0x40, 0x40, 0x40, 0x40},  // 1.5, a third of one
         {"fn ()", "Buffer contents:", "00000000:    1.50000000000E+00 "}, 2}};
    for (const auto& [type, bytes, lines, pageLineCount] : cases) {
        CapturedCall call("fn");
        call.enterWithBuffer(type, bytes);
        EXPECT_EQ(exportLines(call.record, IKoVeskCall::eExportUseText, "as created"), lines);
        std::vector<StringBase> pageLines;
        StringBase heading;
        call.record.SetPageBufferParamData(0, heading, pageLines);
        EXPECT_EQ(pageLines.size(), pageLineCount);  // the page's own count, 8 bytes a line
    }
}

// A stated size without bytes has nothing to dump: one line reserved, not
// one per 16 stated bytes (a stated gigabyte would cost millions).
TEST_F(ExportTest, StatedSizeWithoutBytesReservesOneLine) {
    CapturedCall call("fn");
    call.enterWithBuffer(code::kByteArray, {});
    call.input.SetParamSizeWithoutData(0, 1 << 30);
    EXPECT_EQ(exportLines(call.record, IKoVeskCall::eExportUseText), (Lines{"fn ()", "", ""}));
    std::vector<StringBase> pageLines;
    StringBase heading("untouched");
    call.record.SetPageBufferParamData(0, heading, pageLines);
    EXPECT_EQ(pageLines.size(), 1u);
}

// Where the dump lines start: 40 bytes whole; use 4 holds 1024 bytes to 22
// lines (head, separator, tail); a partly captured buffer jumps to the tail
// at the offsets of the end of the real buffer.
TEST_F(ExportTest, DumpOffsetsAndShortenings) {
    // Bytes captured, full size (0: captured whole), use, heading, offsets of
    // the dump lines (1: the separator).
    const std::tuple<size_t, int, Use, const char*, std::vector<uint32_t>> cases[] = {
        {40, 0, IKoVeskCall::eExportUseText, "Buffer contents:", {0x00, 0x10, 0x20}},
        {1024, 0, IKoVeskCall::eExportUseLimited, "Buffer contents (shortened):",
         {0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 1,
          0x360, 0x370, 0x380, 0x390, 0x3A0, 0x3B0, 0x3C0, 0x3D0, 0x3E0, 0x3F0}},
        {64, 1000, IKoVeskCall::eExportUseText, "Buffer contents (shortened):", {0x00, 0x10, 1, 0x3C8, 0x3D8}}};
    for (const auto& [captured, fullSize, use, heading, offsets] : cases) {
        SCOPED_TRACE(captured);
        CapturedCall call("fn");
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
                CapturedCall call("fn");
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
    CapturedCall call("fn");
    call.record.useFormatter(formatter);
    call.enterWithBuffer(code::kByteArray, countingBytes(16u << 20));
    formatter.dumpLines = 0;
    const Lines lines = exportLines(call.record, IKoVeskCall::eExportUseLimited);
    EXPECT_LE(formatter.dumpLines, 21);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[12], kSeparator);
    EXPECT_EQ(lines[22].substr(0, 11), "00FFFFF0:  ");
}

// --- the XML element: what a capture reader sees -------------------------

Rows rowsOf(const std::vector<CallTag::CallParameter>& parameters) {
    Rows rows;
    for (const auto& p : parameters) rows.emplace_back(p.name.c_str(), p.value.c_str());
    return rows;
}

// The parameters are the rows of the property pages, strings unquoted.
TEST_F(ExportTest, XmlParametersAreThePageRowsUnquoted) {
    CapturedCall call("viOpen");
    call.enter({{"name", code::kText, text("GPIB0::1::INSTR")}, {"count", code::kInt32Array, u64(0x1000)}});
    call.returnWith({{"*count", code::kUInt32, u32(3)}}, 0);
    const CallTag element = call.record.BuildXmlElement();
    EXPECT_EQ(rowsOf(element.inputParameters), (Rows{{"name", "GPIB0::1::INSTR"}, {"&count", "0x0000000000001000"}}));
    EXPECT_EQ(rowsOf(element.outputParameters), (Rows{{"*count", "3 (0x3)"}}));
}

// Every listed buffer carries its captured bytes; fullSize is -1 for a whole
// value, else the logger's full size.
TEST_F(ExportTest, XmlBuffersCarryTheirCapturedAndFullSizes) {
    const std::tuple<const char*, size_t, int, int> cases[] = {
        {"whole", 20, 20, -1}, {"partial", 64, 1000, 1000}, {"empty", 0, 0, -1}, {"unrecorded", 20, 0, 0}};
    CapturedCall call("fn");
    for (const auto& [name, captured, fullSize, expected] : cases) {
        const int index = call.input.AddParam(name, code::kByteArray);
        if (captured) call.input.SetParamBytes(index, countingBytes(captured).data(), captured);
        call.input.SetParamFullSize(index, fullSize);
        call.record.AddBufferToList(name, IKoVeskCall::eLogDataInput, index);
    }
    call.ingestInput({});
    const CallTag element = call.record.BuildXmlElement();
    std::vector<std::tuple<std::string, int, int, const char*>> buffers, expected;
    for (const CallTag::CallBuffer& b : element.inputBuffers) {
        buffers.emplace_back(b.name.c_str(), b.size, b.fullSize, b.data);
    }
    for (const auto& [name, captured, fullSize, expectedFullSize] : cases) {
        const char* bytes = nullptr;
        call.input.GetParamBuffer(static_cast<int>(expected.size()), &bytes, static_cast<int>(captured));
        expected.emplace_back(name, static_cast<int>(captured), expectedFullSize, captured ? bytes : nullptr);
    }
    EXPECT_EQ(buffers, expected);
}

// The status: kind by success, the value signed, the name out of the status
// text, and the host's description.
TEST_F(ExportTest, XmlStatusOfSuccessAndTimeout) {
    nKoVeskHost::SetApiValue(3, "StatusPrefix", "VISA");
    const std::tuple<uint32_t, int32_t, int32_t, const char*, const char*> cases[] = {
        {0, 1, 0, "VI_SUCCESS", "The operation completed successfully."},
        {kTimeout, 3, -1073807339, "VI_ERROR_TMO", "The operation did not finish within the timeout period."}};
    for (const auto& [status, kind, value, name, description] : cases) {
        CapturedCall call("viRead");
        call.enter({{"vi", code::kSession, u32(1)}});
        call.returnWith({}, status, status == 0);
        CallTag element;
        call.record.SetXmlCallStatus(element);
        EXPECT_EQ(element.statusKind, kind) << name;
        EXPECT_EQ(element.statusValue, value) << name;
        EXPECT_STREQ(element.statusName.c_str(), name);
        EXPECT_STREQ(element.statusDescription.c_str(), description);
    }
}

}  // namespace
}  // namespace call_test
