// Data type codes: the host's number for the data type of a logged parameter
// (GetParamType), 0 to kLastDataTypeCode, and how the formatter shows each
// one: as a scalar argument (FormatCallArgScalar), as a buffer preview in the
// call description (FormatCallArgArray) and as dump lines (FormatDataLine).
//
// The table below is the one place that says so. Codes of one kind (and one
// element width) are shown alike; the named codes are the ones the plug-in
// acts on by name and one of each kind. Every code outside the table (above
// kLastDataTypeCode, or negative) shows nothing in every form.
//
// The renderers look a code up once per argument and once per dump line, so
// the table is constant data indexed by the code.
#pragma once

#include <cstdint>

namespace nKoVeskLog210 {

// How a code is shown as a scalar argument.
enum class eScalarKind : uint8_t {
    None,               // nothing is written
    Unsigned,           // "%u", 64-bit "%llu"; long form with the hexadecimal
    Signed,             // "%d", 64-bit "%lld"
    Unsigned16,         // "%hu"
    Signed16,           // "%hd"
    Signed16Decimal,    // "%hd" in every form
    Unsigned8,          // "%hhu"
    Signed8,            // "%hhd"
    Character,          // "%hhu ('%c', 0x%hhX)"
    Unsigned64,         // the first 8 captured bytes, "%llu"
    Signed64,           // the first 8 captured bytes, "%lld"
    Real,               // single or double precision by the captured size
    Boolean,            // VI_TRUE / VI_FALSE
    Status,             // 0 (VI_SUCCESS), or hexadecimal with the status name
    Version,            // 0x%08X (major.minor[.sub])
    EventType,          // hexadecimal with the event name; offers help
    Attribute,          // hexadecimal with the attribute name; offers help
    // The next two are shown by CVisaFormat alone; the generic formatter,
    // which knows no names, writes nothing for them.
    VisaOnlyAttribute,  // as Attribute
    HostNamedValue,     // hexadecimal with the name the host gives
    Handle,             // hexadecimal, behind the text of its hidden session parameter
    Hex32,              // "0x%08X"
    HexAddress,         // "0x%08llX", or "0x%016llX" when wide
    NarrowText,         // FormatMbcsString
    Utf8Text,           // FormatUtf8String
    TimeStamp,          // local date and time
    Address,            // a pointer or array: its address, or "NULL"
};

// How a code is previewed as a buffer in the call description.
enum class eArrayPreview : uint8_t {
    None,        // nothing is written
    Integers,    // "{a,b,...}" in hexadecimal, elements of 1, 2 or 4 bytes
    Integer64,   // "{a}" or "{a,...}", elements of 8 bytes
    Reals,       // "{a,b,...}" of reals of 4 or 8 bytes
    Booleans,    // up to twelve T and F letters; elements of the captured element size
    NarrowText,  // FormatMbcsString
    Utf8Text,    // FormatUtf8String
    Address,     // the address alone, NULL centred in its width
};

// How a code's buffer is laid out on dump lines.
enum class eDumpLayout : uint8_t {
    None,      // no dump lines
    Integers,  // hexadecimal columns of 1, 2, 4 or 8 bytes and an ASCII column
    Reals,     // reals of 4 or 8 bytes
    Booleans,  // True / False of the captured element size
};

// One row of the table: everything the formatter needs to know of a code.
struct tDataTypeRow {
    eScalarKind scalar;
    eArrayPreview preview;
    eDumpLayout dump;
    // Bytes per element of the preview and the dump; 0 where the capture
    // decides (booleans by their element size, addresses by their size).
    uint8_t elementWidth;
};

inline constexpr int kLastDataTypeCode = 111;

// Named codes.
inline constexpr int kCodeUInt32 = 1;
inline constexpr int kCodeUInt32Array = 2;
inline constexpr int kCodeInt32 = 3;
inline constexpr int kCodeUInt16 = 5;
inline constexpr int kCodeUInt16Array = 6;
inline constexpr int kCodeInt16 = 7;
inline constexpr int kCodeUInt8 = 9;
inline constexpr int kCodeUInt8Array = 10;
inline constexpr int kCodeInt8 = 11;
inline constexpr int kCodeChar = 13;
inline constexpr int kCodeAddress = 15;
inline constexpr int kCodeReal = 17;  // single or double precision by its size
inline constexpr int kCodeReal32Array = 18;
inline constexpr int kCodeReal64Array = 20;
inline constexpr int kCodeBoolean = 21;
inline constexpr int kCodeBooleanArray = 22;
inline constexpr int kCodeStatus = 23;
inline constexpr int kCodeVersion = 25;
inline constexpr int kCodeEventType = 27;
inline constexpr int kCodeAttribute = 29;
inline constexpr int kCodeSession = 33;
inline constexpr int kCodeHex32 = 39;
inline constexpr int kCodeText = 45;
inline constexpr int kCodeAddressSizedValue = 51;
inline constexpr int kCodeInt16Decimal = 64;
inline constexpr int kCodeUInt64 = 95;
inline constexpr int kCodeUInt64Array = 96;
inline constexpr int kCodeInt64 = 97;
inline constexpr int kCodeVisaOnlyAttribute = 101;
inline constexpr int kCodeHostNamedValue = 103;
inline constexpr int kCodeTimeStamp = 108;
inline constexpr int kCodeUtf8Text = 110;

// The host logs, directly before a session or object handle, a hidden
// parameter whose name begins with this prefix and whose data is the text
// that names the session. The formatter shows that text with the handle; the
// call record leaves the hidden parameter out of the description.
inline constexpr char kHiddenSessionPrefix[] = "dummyses";

namespace dataTypeTable {

using S = eScalarKind;
using P = eArrayPreview;
using D = eDumpLayout;

// A row of a code that is shown only as a scalar.
constexpr tDataTypeRow scalarOnly(eScalarKind kind) { return {kind, P::None, D::None, 0}; }

// Pointers and arrays show their address as a scalar.
constexpr tDataTypeRow pointerTo(eArrayPreview preview, eDumpLayout dump, uint8_t width) {
    return {S::Address, preview, dump, width};
}
constexpr tDataTypeRow kPointer = pointerTo(P::None, D::None, 0);
constexpr tDataTypeRow kNothing = scalarOnly(S::None);

inline constexpr tDataTypeRow kRows[kLastDataTypeCode + 1] = {
    /*   0 */ kNothing,
    /*   1 */ scalarOnly(S::Unsigned),
    /*   2 */ pointerTo(P::Integers, D::Integers, 4),
    /*   3 */ scalarOnly(S::Signed),
    /*   4 */ pointerTo(P::Integers, D::Integers, 4),
    /*   5 */ scalarOnly(S::Unsigned16),
    /*   6 */ pointerTo(P::Integers, D::Integers, 2),
    /*   7 */ scalarOnly(S::Signed16),
    /*   8 */ pointerTo(P::Integers, D::Integers, 2),
    /*   9 */ scalarOnly(S::Unsigned8),
    /*  10 */ pointerTo(P::Integers, D::Integers, 1),
    /*  11 */ scalarOnly(S::Signed8),
    /*  12 */ pointerTo(P::Integers, D::Integers, 1),
    /*  13 */ scalarOnly(S::Character),
    /*  14 */ pointerTo(P::NarrowText, D::Integers, 1),
    /*  15 */ pointerTo(P::Address, D::None, 0),
    /*  16 */ pointerTo(P::Address, D::None, 0),
    /*  17 */ scalarOnly(S::Real),
    /*  18 */ pointerTo(P::Reals, D::Reals, 4),
    /*  19 */ scalarOnly(S::Real),
    /*  20 */ pointerTo(P::Reals, D::Reals, 8),
    /*  21 */ scalarOnly(S::Boolean),
    /*  22 */ pointerTo(P::Booleans, D::Booleans, 0),
    /*  23 */ scalarOnly(S::Status),
    /*  24 */ kPointer,
    /*  25 */ scalarOnly(S::Version),
    /*  26 */ kPointer,
    /*  27 */ scalarOnly(S::EventType),
    /*  28 */ kPointer,
    /*  29 */ scalarOnly(S::Attribute),
    /*  30 */ kPointer,
    /*  31 */ scalarOnly(S::Unsigned),
    /*  32 */ kPointer,
    /*  33 */ scalarOnly(S::Handle),
    /*  34 */ pointerTo(P::Integers, D::Integers, 4),
    /*  35 */ scalarOnly(S::Handle),
    /*  36 */ pointerTo(P::Integers, D::Integers, 4),
    /*  37 */ scalarOnly(S::Handle),
    /*  38 */ pointerTo(P::Integers, D::Integers, 4),
    /*  39 */ scalarOnly(S::Hex32),
    /*  40 */ pointerTo(P::Integers, D::Integers, 4),
    /*  41 */ pointerTo(P::NarrowText, D::Integers, 1),
    /*  42 */ pointerTo(P::NarrowText, D::Integers, 1),
    /*  43 */ scalarOnly(S::Unsigned8),
    /*  44 */ pointerTo(P::Integers, D::Integers, 1),
    /*  45 */ {S::NarrowText, P::NarrowText, D::Integers, 1},
    /*  46 */ {S::NarrowText, P::NarrowText, D::None, 1},
    /*  47 */ scalarOnly(S::Unsigned),
    /*  48 */ {S::NarrowText, P::NarrowText, D::None, 1},
    /*  49 */ scalarOnly(S::Hex32),
    /*  50 */ kPointer,
    /*  51 */ scalarOnly(S::HexAddress),
    /*  52 */ kPointer,
    /*  53 */ scalarOnly(S::Unsigned),
    /*  54 */ scalarOnly(S::Unsigned),
    /*  55 */ kPointer,
    /*  56 */ kPointer,
    /*  57 */ kPointer,
    /*  58 */ scalarOnly(S::Unsigned),
    /*  59 */ scalarOnly(S::Signed),
    /*  60 */ scalarOnly(S::Unsigned16),
    /*  61 */ scalarOnly(S::Signed16),
    /*  62 */ scalarOnly(S::Unsigned8),
    /*  63 */ scalarOnly(S::Signed8),
    /*  64 */ scalarOnly(S::Signed16Decimal),
    /*  65 */ pointerTo(P::Integers, D::Integers, 4),
    /*  66 */ pointerTo(P::Integers, D::Integers, 4),
    /*  67 */ pointerTo(P::Integers, D::Integers, 2),
    /*  68 */ pointerTo(P::Integers, D::Integers, 2),
    /*  69 */ pointerTo(P::Integers, D::Integers, 1),
    /*  70 */ pointerTo(P::Integers, D::Integers, 1),
    /*  71 */ scalarOnly(S::Unsigned),
    /*  72 */ scalarOnly(S::Unsigned),
    /*  73 */ scalarOnly(S::Unsigned16),
    /*  74 */ scalarOnly(S::Character),
    /*  75 */ scalarOnly(S::Signed),
    /*  76 */ scalarOnly(S::Signed),
    /*  77 */ scalarOnly(S::Signed16),
    /*  78 */ scalarOnly(S::Character),
    /*  79 */ {S::NarrowText, P::NarrowText, D::None, 1},
    /*  80 */ scalarOnly(S::Real),
    /*  81 */ scalarOnly(S::Real),
    /*  82 */ pointerTo(P::Integers, D::Integers, 4),
    /*  83 */ pointerTo(P::Integers, D::Integers, 4),
    /*  84 */ pointerTo(P::Integers, D::Integers, 2),
    /*  85 */ pointerTo(P::NarrowText, D::Integers, 1),
    /*  86 */ pointerTo(P::Integers, D::Integers, 4),
    /*  87 */ pointerTo(P::Integers, D::Integers, 4),
    /*  88 */ pointerTo(P::Integers, D::Integers, 2),
    /*  89 */ pointerTo(P::NarrowText, D::Integers, 1),
    /*  90 */ pointerTo(P::NarrowText, D::Integers, 1),
    /*  91 */ pointerTo(P::Reals, D::Reals, 4),
    /*  92 */ pointerTo(P::Reals, D::Reals, 8),
    /*  93 */ pointerTo(P::Address, D::None, 0),
    /*  94 */ kNothing,
    /*  95 */ scalarOnly(S::Unsigned64),
    /*  96 */ pointerTo(P::Integer64, D::Integers, 8),
    /*  97 */ scalarOnly(S::Signed64),
    /*  98 */ pointerTo(P::Integer64, D::Integers, 8),
    /*  99 */ kNothing,
    /* 100 */ kNothing,
    /* 101 */ scalarOnly(S::VisaOnlyAttribute),
    /* 102 */ kNothing,
    /* 103 */ scalarOnly(S::HostNamedValue),
    /* 104 */ scalarOnly(S::Unsigned64),
    /* 105 */ scalarOnly(S::Signed64),
    /* 106 */ pointerTo(P::Integer64, D::Integers, 8),
    /* 107 */ pointerTo(P::Integer64, D::Integers, 8),
    /* 108 */ scalarOnly(S::TimeStamp),
    /* 109 */ kPointer,
    /* 110 */ {S::Utf8Text, P::Utf8Text, D::None, 1},
    /* 111 */ pointerTo(P::Utf8Text, D::None, 1),
};

}  // namespace dataTypeTable

// The row of `code`; codes outside the table get the row that shows nothing.
constexpr tDataTypeRow dataTypeRow(int code) {
    return static_cast<uint32_t>(code) <= static_cast<uint32_t>(kLastDataTypeCode)
               ? dataTypeTable::kRows[code]
               : dataTypeTable::kNothing;
}

constexpr eScalarKind scalarKindOf(int code) { return dataTypeRow(code).scalar; }

}  // namespace nKoVeskLog210
