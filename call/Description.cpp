// The one-line call description and the list columns.
#include <algorithm>
#include <cstring>

#include "call/CVISACall.h"
#include "call/LoggerReads.h"
#include "call/RecordLimits.h"
#include "format/BoundedText.h"

namespace nKoVeskLog210 {
namespace {

constexpr char kSeparator[] = ", ";
constexpr char kClosing[] = ")";
// Ends a line whose remaining arguments did not fit.
constexpr char kCutEnding[] = "...)";

// Composes "<function> (<arg>, <arg>)" in the 1024-character working
// buffer. Each argument is rendered into its own scratch buffer and kept
// only when it fits whole. A line that fits the buffer with its ")" and
// terminator is shown whole. A line that does not is cut after the last
// whole argument that leaves room for ", ...)", and ends so ("f (a, b,
// ...)"); a cut never looks like part of an argument.
class DescriptionLine {
public:
    explicit DescriptionLine(const char* functionName)
        : m_line(m_buffer, kContentLimit + 1) {
        // "%s (", cut as printf would cut it.
        if (functionName) m_line.append(functionName);
        m_line.append(" (");
        if (m_line.truncated()) m_cut = true;
        // A function name that passes kCutLimit is cut there in a cut line.
        m_cutLength = std::min(m_line.length(), kCutLimit);
        m_pastCutLimit = m_line.length() > kCutLimit;
    }

    // Where the formatter writes the next argument (kValueBufferSize chars).
    char* piece() { return m_piece; }

    // Keeps the `length` characters the formatter wrote into piece().
    void keepPiece(int length) {
        if (length > 0) add(m_piece, static_cast<size_t>(length));
    }

    void separate() { add(kSeparator, sizeof kSeparator - 1); }

    StringBase finish() {
        if (!m_cut) {
            BoundedText whole(m_buffer, kDescriptionBufferSize, m_line.length());
            whole.append(kClosing);
            return StringBase(m_buffer, static_cast<uint32_t>(whole.length()));
        }
        BoundedText cut(m_buffer, kDescriptionBufferSize, m_cutLength);
        if (!endsAtCutWith(" (") && !endsAtCutWith(kSeparator)) cut.append(kSeparator);
        cut.append(kCutEnding);
        return StringBase(m_buffer, static_cast<uint32_t>(cut.length()));
    }

private:
    // Everything but the closing ")".
    static constexpr size_t kContentLimit = kDescriptionBufferSize - 1 - (sizeof kClosing - 1);
    // Where a cut line may end: it still takes a separator and the cut ending.
    static constexpr size_t kCutLimit =
        kDescriptionBufferSize - 1 - (sizeof kSeparator - 1) - (sizeof kCutEnding - 1);

    void add(const char* text, size_t length) {
        if (m_cut) return;
        if (length > m_line.room()) {
            m_cut = true;
            return;
        }
        m_line.append(text, length);
        // A cut line ends before the first piece that passed kCutLimit.
        if (m_pastCutLimit) return;
        if (m_line.length() > kCutLimit) {
            m_pastCutLimit = true;
        } else {
            m_cutLength = m_line.length();
        }
    }

    bool endsAtCutWith(const char* suffix) const {
        const size_t n = std::strlen(suffix);
        return m_cutLength >= n && std::memcmp(m_buffer + m_cutLength - n, suffix, n) == 0;
    }

    char m_buffer[kDescriptionBufferSize];
    BoundedText m_line;
    bool m_cut = false;           // the whole line does not fit
    size_t m_cutLength = 0;       // where the line ends if it is cut
    bool m_pastCutLimit = false;  // m_cutLength is final
    char m_piece[kValueBufferSize];
};

}  // namespace

void CVISACall::FormatCallDescriptionInput() {
    const IKoVeskLogger* input = GetInputLogger();
    const int count = input ? input->GetParamCount() : 0;
    DescriptionLine line(input ? input->GetFunctionName() : "");

    const auto writeScalar = [&](int index) {
        line.keepPiece(m_formatter->FormatCallArgScalar(input, index, line.piece(), eFormatLine,
                                                        &m_lookupParamIndex, this));
    };
    const auto writeArray = [&](int index) {
        line.keepPiece(
            m_formatter->FormatCallArgArray(input, index, line.piece(), eFormatLine, this));
    };

    int i = 0;
    while (i < count) {
        if (i < count - 1) {
            if (IgnoreParameter(input, i, nullptr)) {
                ++i;
                continue;
            }
            const char* name = paramName(input, i);
            const char* nextName = paramName(input, i + 1);
            if (IsMatchingBufferName(name, nextName)) {
                if (paramType(input, i) == paramType(input, i + 1)) {
                    AddBufferToList(nextName, eLogDataInput, i + 1);
                    writeArray(i + 1);
                } else {
                    writeScalar(i + 1);
                }
                i += 2;
                if (i < count) line.separate();
                continue;
            }
        }
        // The last parameter is always shown, as a scalar.
        writeScalar(i);
        ++i;
        if (i < count) line.separate();
    }
    SetCallDesc(line.finish());
}

void CVISACall::FormatCallDescriptionOutput() {
    const IKoVeskLogger* input = GetInputLogger();
    const IKoVeskLogger* output = GetOutputLogger();
    const int count = input ? input->GetParamCount() : 0;
    DescriptionLine line(input ? input->GetFunctionName() : "");

    const auto writeScalar = [&](const IKoVeskLogger* logger, int index) {
        line.keepPiece(m_formatter->FormatCallArgScalar(logger, index, line.piece(), eFormatLine,
                                                        &m_lookupParamIndex, this));
    };
    const auto writeArray = [&](const IKoVeskLogger* logger, int index) {
        line.keepPiece(
            m_formatter->FormatCallArgArray(logger, index, line.piece(), eFormatLine, this));
    };

    // i walks the input logger, j the output logger, which holds the output
    // parameters in the same order.
    int i = 0;
    int j = 0;
    bool shownAny = false;
    while (i < count) {
        bool skipOutput = false;
        if (IgnoreParameter(input, i, &skipOutput)) {
            ++i;
            if (skipOutput) ++j;
            continue;
        }
        if (shownAny) line.separate();
        shownAny = true;

        const char* name = paramName(input, i);
        const char* outputName = paramName(output, j);
        if (IsMatchingBufferName(name, outputName)) {
            // The returned value of parameter i (or what it points to).
            if (paramType(input, i) == paramType(output, j)) {
                AddBufferToList(outputName, eLogDataOutput, j);
                writeArray(output, j);
            } else {
                writeScalar(output, j);
            }
            ++i;
            ++j;
            continue;
        }
        if (i < count - 1) {
            const char* nextName = paramName(input, i + 1);
            if (IsMatchingBufferName(name, nextName)) {
                if (paramType(input, i) == paramType(input, i + 1)) {
                    if (!IsBufferInList(nextName)) AddBufferToList(nextName, eLogDataInput, i + 1);
                    writeArray(input, i + 1);
                } else {
                    writeScalar(input, i + 1);
                }
                i += 2;
                continue;
            }
        }
        writeScalar(input, i);
        ++i;
    }
    SetCallDesc(line.finish());
}

StringBase CVISACall::FormatColumnText(eColumnId column) const {
    if (column == eColumnStatus) return GetStatus(true);
    return CKOCall::FormatColumnText(column);
}

}  // namespace nKoVeskLog210
