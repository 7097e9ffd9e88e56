// Types and sizes shared by the argument formatter and the call record.
#pragma once

#include <cstdint>


namespace nKoVeskLog210 {

// The display-format selector passed with every rendering request. Any
// other value behaves as eFormatFull.
enum eFormatSpecifier : int32_t {
    eFormatShort = 0,     // status column: plain numbers, short names, 15+15 bytes of text
    eFormatLine = 1,      // call description: decimal and hex, names behind values, 256 bytes
    eFormatFull = 2,      // property pages and status texts: texts up to 1016 bytes
    eFormatUnquoted = 3,  // XML: as eFormatFull, texts without quotes
};

// Room, terminator included, that every argument rendering needs in the
// caller's buffer (FormatCallArgScalar, FormatCallArgArray, the string
// renderers). Renderings never write more; longer texts are cut to fit.
inline constexpr uint32_t kArgumentTextSize = 1024;

// Room, terminator included, of one dump line (offset prefix, columns and
// ASCII column); FormatDataLine never writes past it.
inline constexpr uint32_t kDumpLineSize = 128;

// The VISA API type.
inline constexpr int32_t kVisaApiType = 3;
// The API type whose calls are grouped by function: bits 8..15 of a
// function identifier name its group, status codes are numbered per group,
// and two of its functions open and close two nesting levels around the
// calls between them.
inline constexpr int32_t kFunctionGroupApiType = 2;

}  // namespace nKoVeskLog210
