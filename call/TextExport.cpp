// The text export: the base's lines, the status line, a dump of the first
// buffer, and the failure mark.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "call/CVISACall.h"
#include "call/RecordLimits.h"
#include "format/NumberText.h"
#include "host/CAppSettings.h"
#include "host/CVeskUtility.h"

namespace nKoVeskLog210 {
namespace {

constexpr char kFailureMark[] = "> ";
constexpr char kEmptyDumpLine[] = "00000000:  ";
// The offset prefix: at least this many hexadecimal digits, then kOffsetEnd.
constexpr int kOffsetDigits = 8;
constexpr char kOffsetEnd[] = ":  ";

// Writes the element offset prefix "%08lX:  " (terminated) at the start of
// `line`. Runs once per dump line: the digits come from a table, not from
// printf.
void writeOffsetPrefix(char* line, int64_t offset) {
    const auto value = static_cast<uint64_t>(offset);
    if (value <= 0xFFFFFFFFu) {
        // Every offset of a buffer the logger can hold: eight digits, and
        // the whole prefix in one store, which the formatter reads back at
        // once to find the end of it.
        uint64_t digits = 0;
        for (int pair = 0; pair < kOffsetDigits / 2; ++pair) {
            uint16_t twoDigits;
            std::memcpy(&twoDigits, kDigitPairs.hex[(value >> (24 - 8 * pair)) & 0xFF], 2);
            digits |= uint64_t{twoDigits} << (16 * pair);
        }
        uint64_t end = 0;
        std::memcpy(&end, kOffsetEnd, sizeof kOffsetEnd);
        const uint64_t words[2] = {digits, end};
        static_assert(sizeof words <= kDumpLineSize);
        std::memcpy(line, words, sizeof words);
        return;
    }
    char* const end = writeUpperHex(line, value, kOffsetDigits);
    std::memcpy(end, kOffsetEnd, sizeof kOffsetEnd);
}

// Composes dump lines in two buffers by turns and copies each line into
// its string when the next one has been composed. By then the formatter's
// many small writes into the buffer have settled, and reading the line
// back (its length, then its bytes) does not wait for them; read at once,
// every line stalled on them. Flush copies the last line.
class DumpLineWriter {
public:
    // The buffer to compose the next line in (kDumpLineSize characters).
    char* line() { return m_buffers[m_current]; }

    // The line composed in line() goes to `target`.
    void emit(StringBase& target) {
        flush();
        m_pending = &target;
        m_current ^= 1;
    }

    void flush() {
        if (!m_pending) return;
        const char* composed = m_buffers[m_current ^ 1];
        m_pending->assign(composed, static_cast<uint32_t>(strnlen(composed, kDumpLineSize)));
        m_pending = nullptr;
    }

private:
    char m_buffers[2][kDumpLineSize];
    int m_current = 0;
    StringBase* m_pending = nullptr;
};

}  // namespace

bool CVISACall::exportsDump(eCallExportUse use) const {
    return !CAppSettings::GetExportIsSummary() && GetBufferListSize() > 0 &&
           use != eExportUseQuoted;
}

int CVISACall::dumpLineCount(const tBufferInfo& buffer, bool compact) const {
    const IKoVeskLogger* logger = loggerOf(buffer);
    if (!logger) return 0;
    // A logger that states a size but cannot give the bytes has nothing to
    // dump beyond the first line; counting lines by the stated size would
    // only reserve empty lines (millions of them for a large claim).
    int size = 0;
    const char* bytes = nullptr;
    logger->GetParamSize(buffer.paramIndex, &size);
    if (size > 0) logger->GetParamBuffer(buffer.paramIndex, &bytes, size);
    if (size > 0 && !bytes) return 1;
    return m_formatter->CalcNumberOfDataLines(logger, buffer.paramIndex, compact);
}

bool CVISACall::hasStatusLine() const {
    const IKoVeskLogger* output = GetOutputLogger();
    return output && output->GetReturnParamIndex() != -1;
}

int CVISACall::GetNumberOfLinesToExport(eCallExportUse use) const {
    int count = CKOCall::GetNumberOfLinesToExport(use);
    if (exportsDump(use)) {
        const int dataLines = dumpLineCount(*m_bufferList->front(), false);
        int dumpLines = std::max(dataLines, 1) + 1;
        if (use == eExportUseLimited) dumpLines = std::min(dumpLines, kLimitedExportDumpLines);
        count += dumpLines;
    }
    if (hasStatusLine()) ++count;
    return count;
}

void CVISACall::FormatForOutput(StringBase* lines, int lineCount, eCallExportUse use) const {
    CKOCall::FormatForOutput(lines, lineCount, use);
    int next = CKOCall::GetNumberOfLinesToExport(use);

    if (hasStatusLine() && next < lineCount) {
        const StringBase format = CVeskUtility::LoadString(kTextReturnStatus);
        CVeskUtility::sprintf(lines[next], format.c_str(), GetStatus(false).c_str());
        ++next;
    }
    // The heading goes on line `next`, the dump lines after it; a host that
    // gave fewer lines than it was told to gets a dump cut to fit.
    if (exportsDump(use) && next + 1 < lineCount) {
        FormatDataList(lines + next + 1, lines[next], *m_bufferList->front(), false,
                       lineCount - 1 - next);
    }

    const IKoVeskLogger* output = GetOutputLogger();
    if (!output || output->IsSuccessStatus() || lineCount < 1) return;
    if (use == eExportUseQuoted) {
        lines[0] = "\"> " + lines[0].substr(1);
    } else {
        for (int i = 0; i < lineCount; ++i) lines[i] = kFailureMark + lines[i];
    }
}

void CVISACall::FormatDataList(StringBase* lines, StringBase& heading, const tBufferInfo& buffer,
                               bool compact, int maxLines) const {
    const IKoVeskLogger* logger = loggerOf(buffer);
    if (!logger || maxLines == 0 || maxLines < -1) return;
    const int param = buffer.paramIndex;

    int size = 0;
    logger->GetParamSize(param, &size);
    if (size <= 0) {
        lines[0] = kEmptyDumpLine;
        return;
    }

    int type = 0;
    const char* bytes = nullptr;
    bool partial = false;
    int elementSize = 0;
    logger->GetParamType(param, &type);
    logger->GetParamBuffer(param, &bytes, size);
    logger->GetParamTruncated(param, &partial);
    logger->GetParamElementSize(param, &elementSize);
    StringBase separator;
    int bytesPerLine = 0;
    int headLines = 0;
    m_formatter->GetFormatLimits(compact, logger, param, separator, bytesPerLine, headLines);
    int realSize = 0;
    logger->GetParamFullSize(param, &realSize);
    if (realSize == 0) realSize = size;

    const int dataLines = dumpLineCount(buffer, compact);
    // The lines the caller has room for: what it said, or what the page
    // allocated from the line count. A last partial slice can need one
    // line more than counted (6 bytes of 32-bit elements); it is dropped.
    const int room = maxLines == -1 ? std::max(dataLines, 1) : maxLines;
    const auto data = reinterpret_cast<const unsigned char*>(bytes);

    DumpLineWriter writer;
    int used = 0;
    int elements = 0;
    const auto composeLine = [&](int64_t offset, int position, int remaining) {
        char* line = writer.line();
        writeOffsetPrefix(line, offset);
        m_formatter->FormatDataLine(type, elementSize, data ? data + position : nullptr, line,
                                    remaining, bytesPerLine, used, elements, nullptr);
    };

    composeLine(0, 0, size);
    writer.emit(lines[0]);
    writer.flush();
    if (used == 0 || elements == 0) {
        lines[0] = "";
        return;
    }

    int fullLines = size / used;
    const int rest = size % used;
    int restLines = rest;
    if (maxLines != -1 && maxLines < dataLines) {
        fullLines = maxLines - 1;
        restLines = 0;
        partial = true;
        headLines = (maxLines - 1) / 2;
    }
    heading = CVeskUtility::LoadString(partial ? kTextBufferContentsShort : kTextBufferContents);

    int position = 0;
    int64_t offset = 0;
    int next = 1;
    bool jumped = false;
    for (int j = 1; j < fullLines && next < room; ++j) {
        position += used;
        offset += elements;
        if (partial && j == headLines) {
            // Skip to the tail: the remaining lines show the last bytes of
            // the capture, their offsets counted from the end of the value.
            lines[next++] = separator;
            if (next >= room) break;
            position = size - used * (fullLines - j);
            offset = static_cast<int64_t>(realSize / (used / elements)) -
                     static_cast<int64_t>(elements) * (fullLines - j);
            jumped = true;
        }
        composeLine(offset, position, size - position);
        writer.emit(lines[next++]);
    }
    if (restLines > 0 && !jumped && next < room) {
        position += used;
        offset += elements;
        composeLine(offset, position, rest);
        writer.emit(lines[next]);
    }
    writer.flush();
}

}  // namespace nKoVeskLog210
