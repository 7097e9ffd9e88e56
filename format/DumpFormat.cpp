// Dump lines: the bytes per line, line count and limits of a captured
// buffer, and the columns of one line.
//
// FormatDataLine runs once per 16 bytes of every exported buffer, so the
// integer columns are written from a table of hexadecimal digit pairs rather
// than through printf; the text is byte for byte what the column formats
// "%2.2X ", "%04hX  ", "%08X    " and "%016llX        " print.
#include <cctype>
#include <cstdint>
#include <cstring>

#include "format/BoundedText.h"
#include "format/CVisaGenericFormat.h"
#include "format/RealFieldText.h"

namespace nKoVeskLog210 {

namespace {

enum eDumpLayout {
    eLayoutNone,
    eLayoutInteger,  // hexadecimal columns and an ASCII column
    eLayoutReal32,
    eLayoutReal64,
    eLayoutBoolean,
};

struct tDumpLayout {
    eDumpLayout kind;
    int width;  // element width in bytes (integers and reals)
};

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

// The codes of each layout.
constexpr int kByteCodes[] = {10, 12, 14, 41, 42, 44, 45, 69, 70, 85, 89, 90};
constexpr int kWordCodes[] = {6, 8, 67, 68, 84, 88};
constexpr int kLongCodes[] = {2, 4, 34, 36, 38, 40, 65, 66, 82, 83, 86, 87};
constexpr int kQuadCodes[] = {96, 98, 106, 107};
constexpr int kReal32Codes[] = {18, 91};
constexpr int kReal64Codes[] = {20, 92};
constexpr int kBooleanCode = 22;
constexpr int kLastLayoutCode = 107;

// Layouts by code, looked up once per dump line.
struct tLayoutTable {
    tDumpLayout byCode[kLastLayoutCode + 1];
};

template <size_t N>
constexpr void setLayout(tLayoutTable& table, const int (&codes)[N], tDumpLayout layout) {
    for (int code : codes) table.byCode[code] = layout;
}

constexpr tLayoutTable makeLayoutTable() {
    tLayoutTable table{};
    for (tDumpLayout& layout : table.byCode) layout = {eLayoutNone, 0};
    setLayout(table, kByteCodes, {eLayoutInteger, 1});
    setLayout(table, kWordCodes, {eLayoutInteger, 2});
    setLayout(table, kLongCodes, {eLayoutInteger, 4});
    setLayout(table, kQuadCodes, {eLayoutInteger, 8});
    setLayout(table, kReal32Codes, {eLayoutReal32, 4});
    setLayout(table, kReal64Codes, {eLayoutReal64, 8});
    table.byCode[kBooleanCode] = {eLayoutBoolean, 0};
    return table;
}

constexpr tLayoutTable kLayoutTable = makeLayoutTable();

// Layout of a data type code; codes without one (every code above 107
// among them) give eLayoutNone.
tDumpLayout dumpLayoutOf(int typeCode) {
    if (typeCode < 0 || typeCode > kLastLayoutCode) return {eLayoutNone, 0};
    return kLayoutTable.byCode[typeCode];
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
    if (layout.kind == eLayoutReal64)
        return compact ? kCompactReal64BytesPerLine : kWideReal64BytesPerLine;
    if (layout.kind == eLayoutBoolean) {
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

// Upper-case hexadecimal digit pairs of every byte value.
struct tHexPairs {
    char pair[256][2];
};

constexpr tHexPairs makeHexPairs() {
    tHexPairs table{};
    const char digits[] = "0123456789ABCDEF";
    for (int value = 0; value < 256; ++value) {
        table.pair[value][0] = digits[value >> 4];
        table.pair[value][1] = digits[value & 0xF];
    }
    return table;
}

constexpr tHexPairs kHexPairs = makeHexPairs();

// Writes `value` as 2 * sizeof(T) upper-case hexadecimal digits, leading
// zeros kept; returns the position after them.
template <class T>
char* writeHex(char* p, T value) {
    for (int shift = static_cast<int>(sizeof(T) * 8) - 8; shift >= 0; shift -= 8) {
        std::memcpy(p, kHexPairs.pair[static_cast<unsigned>(value >> shift) & 0xFFu], 2);
        p += 2;
    }
    return p;
}

// The C library's isprint under the calling thread's current locale. With
// glibc the classification table is looked up once per line instead of
// once per byte; the test on it is the one isprint makes.
class PrintableTest {
public:
#if defined(__GLIBC__)
    PrintableTest() : m_table(*__ctype_b_loc()) {}
    bool operator()(unsigned char c) const { return (m_table[c] & _ISprint) != 0; }

private:
    const unsigned short* m_table;
#else
    bool operator()(unsigned char c) const { return std::isprint(c) != 0; }
#endif
};

// Appends the ASCII column of `count` bytes at `p`; returns the end.
char* writeAsciiColumn(char* p, const unsigned char* data, int count) {
    const PrintableTest isPrintable;
    for (int i = 0; i < count; ++i) p[i] = isPrintable(data[i]) ? static_cast<char>(data[i]) : '.';
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
        // One pass: the byte's column and its ASCII character.
        const PrintableTest isPrintable;
        for (int i = 0; i < elements; ++i) {
            const unsigned char c = data[i];
            std::memcpy(text + 3 * i, kHexPairs.pair[c], 2);
            ascii[i] = isPrintable(c) ? static_cast<char>(c) : '.';
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
    if (layout.kind == eLayoutNone || !data || !line || bytesRemaining <= 0 ||
        bytesPerLine <= 0)
        return;
    if (layout.kind == eLayoutBoolean && elementSize != 1 && elementSize != 2) return;

    // A caller that asks for more than the text export's bytes per line
    // would overflow the line; hold it to the widest line of the layout.
    const int widest = bytesPerLineOf(layout, elementSize, false);
    const int lineBytes = bytesPerLine < widest ? bytesPerLine : widest;
    const int shown = bytesRemaining < lineBytes ? bytesRemaining : lineBytes;

    char columns[kColumnsTextSize];
    size_t length;
    if (layout.kind == eLayoutInteger) {
        elementsUsed = shown / layout.width;
        length = writeIntegerColumns(layout.width, columns, data, elementsUsed,
                                     lineBytes / layout.width);
    } else {
        BoundedText text(columns, sizeof columns);
        if (layout.kind == eLayoutBoolean) {
            elementsUsed = shown / elementSize;
            appendBooleanColumns(text, data, elementSize, elementsUsed);
        } else {
            elementsUsed = shown / layout.width;
            if (layout.kind == eLayoutReal32)
                appendRealColumns<float>(text, "%14.6E ", kReal32ColumnWidth, data,
                                         elementsUsed);
            else
                appendRealColumns<double>(text, "%19.11E ", kReal64ColumnWidth, data,
                                          elementsUsed);
        }
        length = text.length();
    }
    bytesUsed = elementsUsed * (layout.kind == eLayoutBoolean ? elementSize : layout.width);

    BoundedText out(line, kDumpLineSize, strnlen(line, kDumpLineSize));
    out.append(columns, length);
}

}  // namespace nKoVeskLog210
