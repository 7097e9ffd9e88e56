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

// What the logger holds of the value to dump.
struct tDumpedValue {
    int size = 0;  // captured bytes
    int type = 0;  // data type code
    const unsigned char* data = nullptr;
    bool partial = false;  // the captured bytes are only head and tail
    int elementSize = 0;
};

tDumpedValue readDumpedValue(const IKoVeskLogger& logger, int param) {
    tDumpedValue value;
    logger.GetParamSize(param, &value.size);
    if (value.size <= 0) return value;
    const char* bytes = nullptr;
    logger.GetParamType(param, &value.type);
    logger.GetParamBuffer(param, &bytes, value.size);
    logger.GetParamTruncated(param, &value.partial);
    logger.GetParamElementSize(param, &value.elementSize);
    value.data = reinterpret_cast<const unsigned char*>(bytes);
    return value;
}

// The byte count of the whole value: the logger's full size, or the
// captured size when it recorded none.
int realSizeOf(const IKoVeskLogger& logger, int param, int capturedSize) {
    int realSize = 0;
    logger.GetParamFullSize(param, &realSize);
    return realSize == 0 ? capturedSize : realSize;
}

// Walks a dump line by line: where the next line starts (byte position and
// element offset), how many bytes and elements the last line showed, and
// the writer that composes each line.
class DumpCursor {
public:
    DumpCursor(const CVisaGenericFormat& formatter, const tDumpedValue& value, int bytesPerLine)
        : m_formatter(formatter), m_value(value), m_bytesPerLine(bytesPerLine) {}

    // Composes the line at the cursor, showing at most `remaining` bytes,
    // for `target`.
    void writeLine(StringBase& target, int remaining) {
        char* line = m_writer.line();
        writeOffsetPrefix(line, m_offset);
        m_formatter.FormatDataLine(m_value.type, m_value.elementSize,
                                   m_value.data ? m_value.data + m_position : nullptr, line,
                                   remaining, m_bytesPerLine, m_used, m_elements, nullptr);
        m_writer.emit(target);
    }

    // Moves past the slice the last line showed.
    void advance() {
        m_position += m_used;
        m_offset += m_elements;
    }

    // Moves to the last `linesLeft` lines of the captured bytes; their
    // offsets count back from the end of the whole value of `realSize`
    // bytes, not from the captured ones.
    void jumpToTail(int realSize, int linesLeft) {
        m_position = m_value.size - m_used * linesLeft;
        m_offset = static_cast<int64_t>(realSize / (m_used / m_elements)) -
                   static_cast<int64_t>(m_elements) * linesLeft;
    }

    // The formatter showed at least one element on the last line.
    bool showedElements() const { return m_used != 0 && m_elements != 0; }
    int bytesUsed() const { return m_used; }
    int position() const { return m_position; }
    // Copies the last line composed into its string.
    void flush() { m_writer.flush(); }

private:
    const CVisaGenericFormat& m_formatter;
    const tDumpedValue& m_value;
    const int m_bytesPerLine;
    int m_position = 0;
    int64_t m_offset = 0;
    int m_used = 0;
    int m_elements = 0;
    DumpLineWriter m_writer;
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
    const tDumpedValue value = readDumpedValue(*logger, param);
    if (value.size <= 0) {
        lines[0] = kEmptyDumpLine;
        return;
    }

    // Limits: the layout's separator, bytes per line and head lines, and the
    // lines the caller has room for: what it said, or what the page
    // allocated from the line count. A last partial slice can need one line
    // more than counted (6 bytes of 32-bit elements); it is dropped.
    StringBase separator;
    int bytesPerLine = 0;
    int headLines = 0;
    m_formatter->GetFormatLimits(compact, logger, param, separator, bytesPerLine, headLines);
    const int realSize = realSizeOf(*logger, param, value.size);
    const int dataLines = dumpLineCount(buffer, compact);
    const int room = maxLines == -1 ? std::max(dataLines, 1) : maxLines;

    // Lines: the first tells how many bytes every full line shows.
    DumpCursor cursor(*m_formatter, value, bytesPerLine);
    cursor.writeLine(lines[0], value.size);
    cursor.flush();
    if (!cursor.showedElements()) {
        lines[0] = "";
        return;
    }
    int fullLines = value.size / cursor.bytesUsed();
    const int restBytes = value.size % cursor.bytesUsed();
    bool shortened = value.partial;
    bool restShown = restBytes > 0;
    if (maxLines != -1 && maxLines < dataLines) {
        // More lines than room: the head, the separator and the tail.
        fullLines = maxLines - 1;
        restShown = false;
        shortened = true;
        headLines = (maxLines - 1) / 2;
    }
    heading = CVeskUtility::LoadString(shortened ? kTextBufferContentsShort : kTextBufferContents);

    int next = 1;
    for (int j = 1; j < fullLines && next < room; ++j) {
        cursor.advance();
        if (shortened && j == headLines) {
            // The separator, then the tail instead of the lines between.
            lines[next++] = separator;
            if (next >= room) break;
            cursor.jumpToTail(realSize, fullLines - j);
            restShown = false;
        }
        cursor.writeLine(lines[next++], value.size - cursor.position());
    }
    if (restShown && next < room) {
        cursor.advance();
        cursor.writeLine(lines[next], restBytes);
    }
    cursor.flush();
}

}  // namespace nKoVeskLog210
