// Rendering of single captured arguments by the scalar kind of their data
// type code (DataTypeCodes.h): integers, reals, booleans, versions,
// addresses, hexadecimal values, handles with their session text, texts and
// time stamps. The VISA names of status codes, event types and attributes
// are CVisaFormat's.
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "format/BoundedText.h"
#include "format/CVisaGenericFormat.h"
#include "format/DataTypeCodes.h"
#include "format/NumberText.h"
#include "format/TextPieces.h"
#include "ko/zel/AbsTime.h"
#include "ko/zel/Exception.h"
#include "ko/zel/osdep/AbsTimeToString.h"

namespace nKoVeskLog210 {
namespace {

// In the short form a session text of kSessionCutSize bytes or more shows
// its first kSessionHeadSize bytes and "...".
constexpr size_t kSessionCutSize = 28;
constexpr size_t kSessionHeadSize = 24;

// Room of the handle behind its session text, " (0x%08llX)" or
// " (0x%016llX)"; kept free when the session text is long.
constexpr size_t kHandleAfterSession32Length = sizeof(" (0x12345678)") - 1;
constexpr size_t kHandleAfterSession64Length = sizeof(" (0x1234567812345678)") - 1;

// Reals at or above this magnitude keep the short "%.6G" form.
constexpr double kRealFixedLimit = 9999999.9;
// Reals at or below this magnitude keep the short "%.6G" form.
constexpr double kRealFixedFloor = 0.000001;

bool isShortForm(eFormatSpecifier format) { return format == eFormatShort; }

// The first 8 captured bytes when at least `byteCount` (>= 8) bytes were
// captured; 0 when the logger has no such data.
uint64_t readFirstWord64(const IKoVeskLogger* logger, int index, int elementSize,
                         int byteCount) {
    const void* data = nullptr;
    logger->GetParamData(index, &data, elementSize, byteCount);
    if (!data) return 0;
    uint64_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

// An integer read by its captured size: 1, 2 and 4 bytes by value, 8 bytes
// from the captured data; any other size reads as 0.
uint64_t readBySize(const IKoVeskLogger* logger, int index, int size) {
    switch (size) {
    case 1: {
        uint8_t value = 0;
        logger->GetParamUInt8(index, &value);
        return value;
    }
    case 2: {
        uint16_t value = 0;
        logger->GetParamUInt16(index, &value);
        return value;
    }
    case 4: {
        uint32_t value = 0;
        logger->GetParamUInt32(index, &value);
        return value;
    }
    case 8:
        return readFirstWord64(logger, index, 8, 8);
    default:
        return 0;
    }
}

uint32_t readUInt32(const IKoVeskLogger* logger, int index) {
    uint32_t value = 0;
    logger->GetParamUInt32(index, &value);
    return value;
}

// The numbers below are written as their printf formats print them (named
// beside each); NumberText.h writes the digits.

// Appends the composed text; returns the count written.
int appendShort(BoundedText& text, const CShortText& composed) {
    text.append(composed.data(), composed.size());
    return text.result();
}

// " (0x%<digits>X)": the hexadecimal form behind a decimal one.
void addHexInBrackets(CShortText& composed, uint64_t bits, int digits) {
    composed.add(" (0x").hex(bits, digits).add(')');
}

// A decimal value and, in the long form, its `bits` in hexadecimal with at
// least `hexDigits` digits: "%u (0x%X)", "%llu (0x%016llX)", "%hd (0x%hX)"
// and their kin, or the decimal alone ("%u", "%lld", ...).
int renderDecimal(BoundedText& text, int64_t value, bool isSigned, uint64_t bits, int hexDigits,
                  bool withHex) {
    CShortText composed;
    if (isSigned)
        composed.signedDecimal(value);
    else
        composed.decimal(static_cast<uint64_t>(value));
    if (withHex) addHexInBrackets(composed, bits, hexDigits);
    return appendShort(text, composed);
}

int renderUnsigned(BoundedText& text, uint64_t value, int size, bool shortForm) {
    if (size == 8) {
        // "%llu", "%llu (0x%016llX)"
        CShortText composed;
        composed.decimal(value);
        if (!shortForm) addHexInBrackets(composed, value, 16);
        return appendShort(text, composed);
    }
    // "%u", "%u (0x%X)"
    const uint32_t narrow = static_cast<uint32_t>(value);
    return renderDecimal(text, narrow, false, narrow, 1, !shortForm);
}

int renderSigned(BoundedText& text, uint64_t value, int size, bool shortForm) {
    if (size == 8) {
        // "%lld", "%lld (0x%016llX)"
        return renderDecimal(text, static_cast<int64_t>(value), true, value, 16, !shortForm);
    }
    // 1 and 2 bytes widen without sign; 4 bytes are the signed value:
    // "%d", "%d (0x%X)".
    const uint32_t bits = static_cast<uint32_t>(value);
    return renderDecimal(text, static_cast<int32_t>(bits), true, bits, 1, !shortForm);
}

int render16(BoundedText& text, uint64_t value, eScalarKind kind, bool shortForm) {
    const uint16_t bits = static_cast<uint16_t>(value);
    const int16_t asSigned = static_cast<int16_t>(bits);
    if (kind == eScalarKind::Unsigned16) {
        // "%hu", "%hu (0x%hX)"
        return renderDecimal(text, bits, false, bits, 1, !shortForm);
    }
    // "%hd (0x%hX)" for the signed codes in the long form, else "%hd".
    return renderDecimal(text, asSigned, true, bits, 1,
                         kind == eScalarKind::Signed16 && !shortForm);
}

int render8(BoundedText& text, uint64_t value, eScalarKind kind, bool shortForm) {
    const uint8_t asUnsigned = static_cast<uint8_t>(value);
    const int8_t asSigned = static_cast<int8_t>(asUnsigned);
    switch (kind) {
    case eScalarKind::Unsigned8:
        // "%hhu", "%hhu (0x%hhX)"
        return renderDecimal(text, asUnsigned, false, asUnsigned, 1, !shortForm);
    case eScalarKind::Signed8:
        // "%hhd", "%hhd (0x%hhX)"
        return renderDecimal(text, asSigned, true, asUnsigned, 1, !shortForm);
    default: {
        // Character, the same in every form: "%hhu ('%c', 0x%hhX)" when
        // printable, else "%hhu (0x%hhX)".
        CShortText composed;
        composed.decimal(asUnsigned);
        if (std::isprint(asUnsigned)) {
            composed.add(" ('").add(static_cast<char>(asUnsigned)).add("', 0x");
        } else {
            composed.add(" (0x");
        }
        composed.hex(asUnsigned).add(')');
        return appendShort(text, composed);
    }
    }
}

// 64-bit integers take the first 8 bytes of what was captured; a capture
// shorter than 8 bytes shows 0. "%llu", "%lld", each with " (0x%016llX)"
// in the long form.
int render64(BoundedText& text, const IKoVeskLogger* logger, int index, int size,
             eScalarKind kind, bool shortForm) {
    const uint64_t value = size >= 8 ? readFirstWord64(logger, index, size, size) : 0;
    return renderDecimal(text, static_cast<int64_t>(value), kind != eScalarKind::Unsigned64,
                         value, 16, !shortForm);
}

int renderReal(BoundedText& text, const IKoVeskLogger* logger, int index, int size,
               bool shortForm) {
    double value;
    double largest;
    if (size == 4) {
        float single = 0;
        logger->GetParamFloat(index, &single);
        value = single;
        largest = FLT_MAX;
    } else if (size == 8) {
        value = 0;
        logger->GetParamDouble(index, &value);
        largest = DBL_MAX;
    } else {
        return 0;
    }

    if (std::isnan(value)) {
        text.append("NAN");
    } else if (value > largest) {
        text.append("INF");
    } else if (value < -largest) {
        text.append("NINF");
    } else {
        const double magnitude = std::fabs(value);
        if (!shortForm && magnitude < kRealFixedLimit && magnitude > kRealFixedFloor) {
            text.appendf("%f (%E)", value, value);
        } else {
            text.appendf("%.6G", value);
        }
    }
    return text.result();
}

int renderStatus(BoundedText& text, const IKoVeskLogger* logger, int index, bool shortForm) {
    int32_t value = 0;
    logger->GetParamInt32(index, &value);
    if (value == 0) {
        text.append(shortForm ? "0" : "0 (VI_SUCCESS)");
        return text.result();
    }
    return appendShort(text, CShortText().add("0x").hex(static_cast<uint32_t>(value), 8));
}

int renderVersion(BoundedText& text, const IKoVeskLogger* logger, int index, bool shortForm) {
    const uint32_t value = readUInt32(logger, index);
    if (value == 0) {
        text.append('0');
        return text.result();
    }
    // "0x%08X", and in the long form " (%lu.%lu)" or " (%lu.%lu.%lu)".
    CShortText composed;
    composed.add("0x").hex(value, 8);
    if (!shortForm) {
        const uint32_t major = (value >> 20) & 0xFFF;
        const uint32_t minor = (value >> 8) & 0xFFF;
        const uint32_t subMinor = value & 0xFF;
        composed.add(" (").decimal(major).add('.').decimal(minor);
        if (subMinor != 0) composed.add('.').decimal(subMinor);
        composed.add(')');
    }
    return appendShort(text, composed);
}

int renderEventOrAttribute(BoundedText& text, const IKoVeskLogger* logger, int index,
                           int* helpIndex) {
    const uint32_t value = readUInt32(logger, index);
    if (value == 0) {
        text.append('0');
        return text.result();
    }
    if (helpIndex) *helpIndex = index;
    return appendShort(text, CShortText().add("0x").hex(value, 8));
}

// The captured size of the hidden session parameter before `index`; 0 when
// there is none.
int sessionParameterSize(const IKoVeskLogger* logger, int index) {
    if (index <= 0) return 0;
    const char* name = nullptr;
    logger->GetParamName(index - 1, &name);
    if (!name || !startsWith(name, kHiddenSessionPrefix)) {
        return 0;
    }
    int size = 0;
    logger->GetParamSize(index - 1, &size);
    return size;
}

// Writes the session text of the hidden parameter at `index` (`size`
// captured bytes) into `text`, within its room.
void writeSessionText(BoundedText& text, const IKoVeskLogger* logger, int index, int size,
                      eFormatSpecifier format) {
    if (size <= 0) return;
    const char* data = nullptr;
    logger->GetParamBuffer(index, &data, size);
    if (!data) return;

    const size_t count = static_cast<size_t>(size);
    const bool quoted = format != eFormatUnquoted &&
                        (std::memchr(data, ' ', count) || std::memchr(data, '(', count));
    int type = 0;
    logger->GetParamType(index, &type);
    const bool utf8 = scalarKindOf(type) == eScalarKind::Utf8Text;
    bool partial = false;
    logger->GetParamTruncated(index, &partial);

    // The short form keeps a head; a partial capture shows both halves.
    const bool shortCut = isShortForm(format) && count >= kSessionCutSize;
    const bool halves = !shortCut && partial;
    const size_t headCount = shortCut ? kSessionHeadSize : halves ? count / 2 : count;
    const char* const middle = (shortCut || halves) ? "..." : nullptr;
    const size_t half = count / 2;

    if (utf8) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(data);
        const StringBase head = convertUtf8Piece(bytes, bytes + headCount);
        const StringBase tail =
            halves ? convertUtf8Piece(bytes + half, bytes + count) : StringBase();
        writeFramed(text, quoted, stringPiece(head), middle, stringPiece(tail));
    } else {
        // The narrow tail is as long as the head: an odd last byte is not shown.
        const tTextPiece tail = halves ? narrowPiece(data + half, half) : tTextPiece();
        writeFramed(text, quoted, narrowPiece(data, headCount), middle, tail);
    }
}

int renderHandle(char* out, const IKoVeskLogger* logger, int index, int size,
                 eFormatSpecifier format) {
    const unsigned long long handle = readBySize(logger, index, size);
    const bool wide = handle > 0xFFFFFFFFull || (!isShortForm(format) && size == 8);
    const int sessionSize = sessionParameterSize(logger, index);
    // "0x%016llX" or "0x%08llX", alone or in brackets behind the session.
    const int digits = wide ? 16 : 8;
    if (sessionSize == 0) {
        BoundedText text(out, kArgumentTextSize);
        return appendShort(text, CShortText().add("0x").hex(handle, digits));
    }
    // The session text is cut so that the handle behind it always fits.
    const size_t handleRoom = wide ? kHandleAfterSession64Length : kHandleAfterSession32Length;
    BoundedText session(out, kArgumentTextSize - handleRoom);
    writeSessionText(session, logger, index - 1, sessionSize, format);
    BoundedText text(out, kArgumentTextSize, session.length());
    CShortText bracketed;
    addHexInBrackets(bracketed, handle, digits);
    return appendShort(text, bracketed);
}

int renderHexAddress(BoundedText& text, const IKoVeskLogger* logger, int index, int size,
                     bool shortForm) {
    const uint64_t value = readBySize(logger, index, size);
    // "0x%016llX" or "0x%08llX"
    const int digits = (value > 0xFFFFFFFFull || (!shortForm && size == 8)) ? 16 : 8;
    return appendShort(text, CShortText().add("0x").hex(value, digits));
}

int renderAddress(BoundedText& text, const IKoVeskLogger* logger, int index, int size) {
    if (size == 4) {
        const void* data = nullptr;
        logger->GetParamData(index, &data, 4, 4);
        uint32_t value = 0;
        if (data) std::memcpy(&value, data, sizeof value);
        // "0x%08X"
        if (value) return appendShort(text, CShortText().add("0x").hex(value, 8));
        text.append("NULL");
    } else if (size == 8) {
        const uint64_t value = readFirstWord64(logger, index, 8, 8);
        // "0x%016llX"
        if (value) return appendShort(text, CShortText().add("0x").hex(value, 16));
        text.append("NULL");
    }
    return text.result();
}

// The next 32-bit word of a captured time value; throws DeserializationError
// when fewer than 4 bytes remain.
uint32_t readTimeWord(const unsigned char*& cursor, const unsigned char* end) {
    if (end - cursor < static_cast<std::ptrdiff_t>(sizeof(uint32_t))) {
        throw ko::zel::exception::DeserializationError();
    }
    uint32_t word;
    std::memcpy(&word, cursor, sizeof word);
    cursor += sizeof word;
    return word;
}

int renderTime(BoundedText& text, const IKoVeskLogger* logger, int index, int size,
               bool shortForm) {
    const void* data = nullptr;
    if (size > 0) logger->GetParamData(index, &data, 1, size);
    // No data reads as no bytes at all.
    const unsigned char* cursor = static_cast<const unsigned char*>(data);
    const unsigned char* const end = cursor ? cursor + size : cursor;
    const uint64_t fractionLow = readTimeWord(cursor, end);
    const uint64_t fractionHigh = readTimeWord(cursor, end);
    const uint64_t secondsLow = readTimeWord(cursor, end);
    const uint64_t secondsHigh = readTimeWord(cursor, end);
    const ko::zel::AbsTime time = {fractionHigh << 32 | fractionLow,
                                   static_cast<int64_t>(secondsHigh << 32 | secondsLow)};

    WideStringBase wide;
    ko::zel::AbsTimeToString(wide, time, nullptr, L"%H:%M:%S", shortForm ? 0 : 3, 1, false,
                             nullptr, ko::zel::eDecimalSeparatorLocale);
    if (wide.empty()) return 0;
    const StringBase narrow(wide);
    const tTextPiece shown = stringPiece(narrow);
    if (shown.length) text.append(shown.text, shown.length);
    return text.result();
}

}  // namespace

int CVisaGenericFormat::FormatCallArgScalar(const IKoVeskLogger* logger, int index, char* out,
                                            eFormatSpecifier format, int* helpIndex,
                                            const IKoVeskCall*) const {
    if (!logger || !out) return 0;
    int type = 0;
    logger->GetParamType(index, &type);
    const eScalarKind kind = scalarKindOf(type);
    int size = 0;
    logger->GetParamSize(index, &size);

    const bool shortForm = isShortForm(format);
    BoundedText text(out, kArgumentTextSize);
    switch (kind) {
    case eScalarKind::None:
        return 0;
    case eScalarKind::VisaOnlyAttribute:
    case eScalarKind::HostNamedValue:
        return 0;  // only CVisaFormat, which knows the names, shows these
    case eScalarKind::Unsigned:
        return renderUnsigned(text, readBySize(logger, index, size), size, shortForm);
    case eScalarKind::Signed:
        return renderSigned(text, readBySize(logger, index, size), size, shortForm);
    case eScalarKind::Unsigned16:
    case eScalarKind::Signed16:
    case eScalarKind::Signed16Decimal:
        return render16(text, readBySize(logger, index, size), kind, shortForm);
    case eScalarKind::Unsigned8:
    case eScalarKind::Signed8:
    case eScalarKind::Character:
        return render8(text, readBySize(logger, index, size), kind, shortForm);
    case eScalarKind::Unsigned64:
    case eScalarKind::Signed64:
        return render64(text, logger, index, size, kind, shortForm);
    case eScalarKind::Real:
        return renderReal(text, logger, index, size, shortForm);
    case eScalarKind::Boolean:
        return FormatBoolean(logger, index, size, "VI_TRUE", "VI_FALSE", out);
    case eScalarKind::Status:
        return renderStatus(text, logger, index, shortForm);
    case eScalarKind::Version:
        return renderVersion(text, logger, index, shortForm);
    case eScalarKind::EventType:
    case eScalarKind::Attribute:
        return renderEventOrAttribute(text, logger, index, helpIndex);
    case eScalarKind::Handle:
        return renderHandle(out, logger, index, size, format);
    case eScalarKind::Hex32:
        // "0x%08X"
        return appendShort(text, CShortText().add("0x").hex(readUInt32(logger, index), 8));
    case eScalarKind::HexAddress:
        return renderHexAddress(text, logger, index, size, shortForm);
    case eScalarKind::NarrowText:
    case eScalarKind::Utf8Text: {
        const char* data = nullptr;
        if (size > 0) logger->GetParamBuffer(index, &data, size);
        bool partial = false;
        logger->GetParamTruncated(index, &partial);
        return kind == eScalarKind::NarrowText
                   ? FormatMbcsString(data, size, format, partial, out)
                   : FormatUtf8String(reinterpret_cast<const unsigned char*>(data), size,
                                      format, partial, out);
    }
    case eScalarKind::TimeStamp:
        return renderTime(text, logger, index, size, shortForm);
    case eScalarKind::Address:
        return renderAddress(text, logger, index, size);
    }
    return 0;
}

int CVisaGenericFormat::FormatNamedDummyParameter(const IKoVeskLogger* logger, int index,
                                                  int size, eFormatSpecifier format,
                                                  char* out) const {
    if (!logger || !out) return 0;
    BoundedText text(out, kArgumentTextSize);
    writeSessionText(text, logger, index, size, format);
    return text.result();
}

int CVisaGenericFormat::FormatBoolean(const IKoVeskLogger* logger, int index, int size,
                                      const char* trueText, const char* falseText,
                                      char* out) const {
    if (!logger || !out) return 0;
    const bool value = static_cast<uint16_t>(readBySize(logger, index, size)) != 0;
    const char* shown = value ? trueText : falseText;
    if (!shown || !*shown) return 0;
    BoundedText text(out, kArgumentTextSize);
    text.append(shown);
    return text.result();
}

}  // namespace nKoVeskLog210
