// Dump lines: the bytes per line, line count and limits of a captured
// buffer, and the columns of one line.
//
// FormatDataLine runs once per 16 bytes of every exported buffer, so the
// integer columns are written from a table of hexadecimal digit pairs rather
// than through printf; the text is byte for byte what the column formats
// "%2.2X ", "%04hX  ", "%08X    " and "%016llX        " print.
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "format/BoundedText.h"
#include "format/CVisaGenericFormat.h"
#include "format/CharClass.h"
#include "format/DataTypeCodes.h"
#include "format/NumberText.h"
#include "format/RealFieldText.h"

namespace nKoVeskLog210 {

namespace {

// The layout of a code and the width of its elements.
struct tDumpLayout {
    eDumpLayout kind;
    int width;  // element width in bytes (integers and reals)
};

tDumpLayout dumpLayoutOf(int typeCode) {
    const tDataTypeRow row = dataTypeRow(typeCode);
    return {row.dump, row.elementWidth};
}

// What the dump reads of one parameter; a missing logger reads as an empty
// parameter.
struct tDumpParam {
    int type = 0;
    int size = 0;
    int elementSize = 0;
    bool truncated = false;
};

tDumpParam readDumpParam(const IKoVeskLogger* logger, int index) {
    tDumpParam param;
    if (logger) {
        logger->GetParamType(index, &param.type);
        logger->GetParamSize(index, &param.size);
        logger->GetParamElementSize(index, &param.elementSize);
        logger->GetParamTruncated(index, &param.truncated);
    }
    return param;
}

// Bytes on a line of the text export (wide) and of the property page
// (compact).
constexpr int kWideBytesPerLine = 16;
constexpr int kCompactBytesPerLine = 8;
constexpr int kWideReal64BytesPerLine = 24;
constexpr int kCompactReal64BytesPerLine = 8;
constexpr int kWideByteBooleanBytesPerLine = 12;
constexpr int kCompactByteBooleanBytesPerLine = 6;
constexpr int kWideWordBooleanBytesPerLine = 24;
constexpr int kCompactWordBooleanBytesPerLine = 12;

// Codes without a layout get the integer figures.
int bytesPerLineOf(tDumpLayout layout, int elementSize, bool compact) {
    if (layout.kind == eDumpLayout::Reals && layout.width == 8)
        return compact ? kCompactReal64BytesPerLine : kWideReal64BytesPerLine;
    if (layout.kind == eDumpLayout::Booleans) {
        if (elementSize == 1)
            return compact ? kCompactByteBooleanBytesPerLine : kWideByteBooleanBytesPerLine;
        return compact ? kCompactWordBooleanBytesPerLine : kWideWordBooleanBytesPerLine;
    }
    return compact ? kCompactBytesPerLine : kWideBytesPerLine;
}

int bytesPerLineOf(const tDumpParam& param, bool compact) {
    return bytesPerLineOf(dumpLayoutOf(param.type), param.elementSize, compact);
}

// The separators are exactly as wide as a full byte line of each layout:
// the 11-character offset prefix, the columns, one blank and the ASCII
// column.
const char kWideSeparator[] =
    "----------------------------------------------------------------------------";
const char kCompactSeparator[] = "--------------------------------------------";
static_assert(sizeof kWideSeparator - 1 == 11 + kWideBytesPerLine * 3 + 1 + kWideBytesPerLine);
static_assert(sizeof kCompactSeparator - 1 ==
              11 + kCompactBytesPerLine * 3 + 1 + kCompactBytesPerLine);

// Head lines of a partially captured buffer: the lines of the first 32
// bytes when exactly 64 bytes were captured, else of the first 32768.
constexpr int kSmallCaptureSize = 64;
constexpr int kWideHeadLinesSmall = 2;
constexpr int kCompactHeadLinesSmall = 4;
constexpr int kWideHeadLines = 2048;
constexpr int kCompactHeadLines = 4096;

// --- one line -------------------------------------------------------------

// Writes `value` as 2 * sizeof(T) upper-case hexadecimal digits, leading
// zeros kept; returns the position after them.
template <class T>
char* writeHex(char* p, T value) {
    for (int shift = static_cast<int>(sizeof(T) * 8) - 8; shift >= 0; shift -= 8) {
        std::memcpy(p, kDigitPairs.hex[static_cast<unsigned>(value >> shift) & 0xFFu], 2);
        p += 2;
    }
    return p;
}

// Appends the ASCII column of `count` bytes at `p`; returns the end.
char* writeAsciiColumn(char* p, const unsigned char* data, int count) {
    const CCharClassTable classes;
    for (int i = 0; i < count; ++i) p[i] = classes.isPrint(data[i]) ? static_cast<char>(data[i]) : '.';
    return p + count;
}

// The widest column text of any layout: 16 columns of 3 (or 8 of 6, ...)
// characters, a blank and 16 ASCII characters; 12 boolean columns of 7.
constexpr int kBooleanColumnWidth = 7;
constexpr int kReal32ColumnWidth = 15;
constexpr int kReal64ColumnWidth = 20;
constexpr size_t kIntegerColumnsTextSize = kWideBytesPerLine * 3 + 1 + kWideBytesPerLine;
constexpr size_t kColumnsTextSize = kDumpLineSize;
static_assert(kIntegerColumnsTextSize < kColumnsTextSize);
static_assert(kWideWordBooleanBytesPerLine / 2 * kBooleanColumnWidth < kColumnsTextSize);

// A row of blanks as long as the widest integer columns: the grid is laid
// down in one fixed-size copy and the digits are written over it.
struct tBlankRow {
    char chars[kIntegerColumnsTextSize];
};

constexpr tBlankRow makeBlankRow() {
    tBlankRow row{};
    for (char& c : row.chars) c = ' ';
    return row;
}

constexpr tBlankRow kBlankRow = makeBlankRow();

#if defined(__SSE2__)
// Upper-case hexadecimal digits of the sixteen 4-bit values in `nibbles`.
__m128i hexDigitsOf(__m128i nibbles) {
    const __m128i digits = _mm_add_epi8(nibbles, _mm_set1_epi8('0'));
    const __m128i aboveNine = _mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9));
    return _mm_add_epi8(digits, _mm_and_si128(aboveNine, _mm_set1_epi8('A' - '0' - 10)));
}

// The ASCII column of sixteen bytes when exactly 0x20 to 0x7E print: the
// byte itself, else '.'. (As signed bytes, 0x80 and above are negative.)
__m128i asciiColumnOf(__m128i bytes) {
    const __m128i printable = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x1F)),
                                            _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x7F)));
    return _mm_or_si128(_mm_and_si128(printable, bytes),
                        _mm_andnot_si128(printable, _mm_set1_epi8('.')));
}
#endif

#if defined(__SSE2__)
// A full line of Count bytes (16 wide, 8 compact) at once: the digit pairs
// over the blank grid at `text` and the ASCII column at `ascii`, for a
// locale that prints exactly 0x20 to 0x7E. Reads exactly Count bytes.
template <int Count>
void writeFullByteLine(char* text, char* ascii, const unsigned char* data) {
    static_assert(Count == 16 || Count == 8);
    const __m128i bytes = Count == 16 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(data))
                                      : _mm_loadl_epi64(reinterpret_cast<const __m128i*>(data));
    const __m128i low = _mm_and_si128(bytes, _mm_set1_epi8(0x0F));
    const __m128i high = _mm_and_si128(_mm_srli_epi16(bytes, 4), _mm_set1_epi8(0x0F));
    char pairs[32];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pairs),
                     _mm_unpacklo_epi8(hexDigitsOf(high), hexDigitsOf(low)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pairs + 16),
                     _mm_unpackhi_epi8(hexDigitsOf(high), hexDigitsOf(low)));
    for (int i = 0; i < Count; ++i) std::memcpy(text + 3 * i, pairs + 2 * i, 2);
    char column[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(column), asciiColumnOf(bytes));
    std::memcpy(ascii, column, Count);
}
#endif

// A full line of 16 or 8 bytes written at once where the locale allows it
// (see writeFullByteLine); false, with nothing written, otherwise.
bool writeFullByteLine(char* text, char* ascii, const unsigned char* data, int count,
                       const CCharClassTable& classes) {
#if defined(__SSE2__)
    if ((count != 16 && count != 8) || !classes.printsExactlyAscii()) return false;
    if (count == 16)
        writeFullByteLine<16>(text, ascii, data);
    else
        writeFullByteLine<8>(text, ascii, data);
    return true;
#else
    (void)text;
    (void)ascii;
    (void)data;
    (void)count;
    (void)classes;
    return false;
#endif
}

// Columns of `elements` integers of type T from `data`, blank columns up to
// `columns`, a blank and the ASCII column of the bytes shown. Each column is
// the element's digits and sizeof(T) blanks, as the column formats print.
// `text` must hold kIntegerColumnsTextSize characters; returns the length
// written.
template <class T>
size_t writeIntegerColumns(char* text, const unsigned char* data, int elements, int columns) {
    constexpr int width = static_cast<int>(sizeof(T));
    std::memcpy(text, kBlankRow.chars, sizeof kBlankRow.chars);
    char* ascii = text + columns * 3 * width + 1;
    if constexpr (width == 1) {
        const CCharClassTable classes;
        if (elements == columns && writeFullByteLine(text, ascii, data, columns, classes)) {
            return static_cast<size_t>(ascii + elements - text);
        }
        // One pass: the byte's column and its ASCII character.
        for (int i = 0; i < elements; ++i) {
            const unsigned char c = data[i];
            std::memcpy(text + 3 * i, kDigitPairs.hex[c], 2);
            ascii[i] = classes.isPrint(c) ? static_cast<char>(c) : '.';
        }
        return static_cast<size_t>(ascii + elements - text);
    } else {
        for (int i = 0; i < elements; ++i) {
            T value;
            std::memcpy(&value, data + i * width, sizeof value);  // data may be unaligned
            writeHex(text + 3 * width * i, value);
        }
        return static_cast<size_t>(writeAsciiColumn(ascii, data, elements * width) - text);
    }
}

size_t writeIntegerColumns(int width, char* text, const unsigned char* data, int elements,
                           int columns) {
    switch (width) {
    case 1: return writeIntegerColumns<uint8_t>(text, data, elements, columns);
    case 2: return writeIntegerColumns<uint16_t>(text, data, elements, columns);
    case 4: return writeIntegerColumns<uint32_t>(text, data, elements, columns);
    default: return writeIntegerColumns<uint64_t>(text, data, elements, columns);
    }
}

template <class T>
void appendRealColumns(BoundedText& out, const char* format, int columnWidth,
                       const unsigned char* data, int elements) {
    for (int i = 0; i < elements; ++i) {
        T value;
        std::memcpy(&value, data + i * static_cast<int>(sizeof(T)), sizeof value);
        appendRealField(out, composeRealField(format, columnWidth, value));
    }
}

void appendBooleanColumns(BoundedText& out, const unsigned char* data, int elementSize,
                          int elements) {
    for (int i = 0; i < elements; ++i) {
        bool isTrue;
        if (elementSize == 1) {
            isTrue = data[i] != 0;
        } else {
            uint16_t word;
            std::memcpy(&word, data + i * 2, sizeof word);
            isTrue = word != 0;
        }
        out.append(isTrue ? "True   " : "False  ", kBooleanColumnWidth);
    }
}

}  // namespace

int CVisaGenericFormat::CalcBytesPerLine(const IKoVeskLogger* logger, int index,
                                         bool compact) const {
    const tDumpParam param = readDumpParam(logger, index);
    return bytesPerLineOf(param, compact);
}

int CVisaGenericFormat::CalcNumberOfDataLines(const IKoVeskLogger* logger, int index,
                                              bool compact) const {
    const tDumpParam param = readDumpParam(logger, index);
    if (param.size <= 0) return 0;
    const int bytesPerLine = bytesPerLineOf(param, compact);
    int lines = param.size / bytesPerLine + (param.size % bytesPerLine != 0 ? 1 : 0);
    // The separator between head and tail of a partial capture.
    if (param.truncated) ++lines;
    return lines;
}

void CVisaGenericFormat::GetFormatLimits(bool compact, const IKoVeskLogger* logger, int index,
                                         StringBase& separator, int& bytesPerLine,
                                         int& headLines) const {
    const tDumpParam param = readDumpParam(logger, index);
    separator.assign(compact ? kCompactSeparator : kWideSeparator);
    if (param.size == kSmallCaptureSize)
        headLines = compact ? kCompactHeadLinesSmall : kWideHeadLinesSmall;
    else
        headLines = compact ? kCompactHeadLines : kWideHeadLines;
    bytesPerLine = bytesPerLineOf(param, compact);
}

void CVisaGenericFormat::FormatDataLine(int typeCode, int elementSize,
                                        const unsigned char* data, char* line,
                                        int bytesRemaining, int bytesPerLine, int& bytesUsed,
                                        int& elementsUsed, const IKoVeskCall*) const {
    bytesUsed = 0;
    elementsUsed = 0;
    const tDumpLayout layout = dumpLayoutOf(typeCode);
    if (layout.kind == eDumpLayout::None || !data || !line || bytesRemaining <= 0 ||
        bytesPerLine <= 0)
        return;
    if (layout.kind == eDumpLayout::Booleans && elementSize != 1 && elementSize != 2) return;

    // A caller that asks for more than the text export's bytes per line
    // would overflow the line; hold it to the widest line of the layout.
    const int widest = bytesPerLineOf(layout, elementSize, false);
    const int lineBytes = bytesPerLine < widest ? bytesPerLine : widest;
    const int shown = bytesRemaining < lineBytes ? bytesRemaining : lineBytes;

    const size_t start = strnlen(line, kDumpLineSize);
    char columns[kColumnsTextSize];
    size_t length;
    if (layout.kind == eDumpLayout::Integers) {
        elementsUsed = shown / layout.width;
        bytesUsed = elementsUsed * layout.width;
        const int columnCount = lineBytes / layout.width;
        if (start + kIntegerColumnsTextSize < kDumpLineSize) {
            // The widest grid fits behind the caller's text (the offset
            // prefix always does): write it in place.
            length = writeIntegerColumns(layout.width, line + start, data, elementsUsed,
                                         columnCount);
            line[start + length] = '\0';
            return;
        }
        length = writeIntegerColumns(layout.width, columns, data, elementsUsed, columnCount);
    } else {
        BoundedText text(columns, sizeof columns);
        if (layout.kind == eDumpLayout::Booleans) {
            elementsUsed = shown / elementSize;
            appendBooleanColumns(text, data, elementSize, elementsUsed);
        } else {
            elementsUsed = shown / layout.width;
            if (layout.width == 4)
                appendRealColumns<float>(text, "%14.6E ", kReal32ColumnWidth, data,
                                         elementsUsed);
            else
                appendRealColumns<double>(text, "%19.11E ", kReal64ColumnWidth, data,
                                          elementsUsed);
        }
        length = text.length();
    }
    bytesUsed = elementsUsed * (layout.kind == eDumpLayout::Booleans ? elementSize : layout.width);

    BoundedText out(line, kDumpLineSize, start);
    out.append(columns, length);
}

}  // namespace nKoVeskLog210
