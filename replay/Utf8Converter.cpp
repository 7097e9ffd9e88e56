#include "replay/Utf8Converter.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>

namespace vesk::replay {

namespace {

constexpr uint32_t kReplacementCharacter = 0xFFFD;

// Code points converted per iconv call.
constexpr size_t kCodePointChunk = 256;

iconv_t asIconv(void* handle) { return static_cast<iconv_t>(handle); }

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

// Sets known to read every byte below 0x80 as ASCII, in any context (not
// stateful sets, and not sets that give some of those bytes other meanings).
bool isAsciiCompatible(const char* codeset) {
    return std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0 ||
           std::strncmp(codeset, "ISO-8859-", 9) == 0;
}

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

CUtf8Converter::CUtf8Converter(const char* codeset) {
    if (!codeset) codeset = nl_langinfo(CODESET);
    if (!codeset) codeset = "ASCII";
    m_iconv = iconv_open("UTF-32LE", codeset);
    m_asciiCompatible = asIconv(m_iconv) == kNoIconv || isAsciiCompatible(codeset);
}

CUtf8Converter::~CUtf8Converter() {
    if (asIconv(m_iconv) != kNoIconv) iconv_close(asIconv(m_iconv));
}

void CUtf8Converter::AppendUtf8(uint32_t c, std::string& out) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacementCharacter;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

const std::string& CUtf8Converter::Convert(std::string_view text) {
    m_result.clear();
    if (m_asciiCompatible && isAscii(text)) {
        m_result.assign(text.data(), text.size());
    } else if (asIconv(m_iconv) == kNoIconv) {
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            AppendUtf8(byte < 0x80 ? byte : kReplacementCharacter, m_result);
        }
    } else {
        convertThroughIconv(text);
    }
    return m_result;
}

void CUtf8Converter::convertThroughIconv(std::string_view text) {
    const iconv_t cd = asIconv(m_iconv);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // initial shift state
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    unsigned char units[kCodePointChunk * 4];
    auto emitUnits = [&](size_t byteCount) {
        for (size_t i = 0; i + 4 <= byteCount; i += 4) {
            AppendUtf8(uint32_t{units[i]} | uint32_t{units[i + 1]} << 8 |
                           uint32_t{units[i + 2]} << 16 | uint32_t{units[i + 3]} << 24,
                       m_result);
        }
    };
    while (inLeft > 0) {
        char* out = reinterpret_cast<char*>(units);
        size_t outLeft = sizeof units;
        const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        const int error = result == static_cast<size_t>(-1) ? errno : 0;
        emitUnits(sizeof units - outLeft);
        if (error == 0 || error == E2BIG) continue;
        if (error != EILSEQ && error != EINVAL) break;
        // A byte that starts no valid character, or an incomplete one at
        // the end: one replacement character, then go on after that byte.
        AppendUtf8(kReplacementCharacter, m_result);
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Back to the initial shift state (stateful character sets).
    char* out = reinterpret_cast<char*>(units);
    size_t outLeft = sizeof units;
    iconv(cd, nullptr, nullptr, &out, &outLeft);
    emitUnits(sizeof units - outLeft);
}

}  // namespace vesk::replay
