#include "replay/Utf8Converter.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>

namespace vesk::replay {

namespace {

constexpr uint32_t kReplacementCharacter = 0xFFFD;

// Code points converted per iconv call.
constexpr size_t kCodePointChunk = 256;

iconv_t asIconv(void* handle) { return static_cast<iconv_t>(handle); }

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

}  // namespace

CUtf8Converter::CUtf8Converter(eUtf8Characters characters, const char* codeset)
    : m_characters(characters) {
    if (!codeset) codeset = nl_langinfo(CODESET);
    m_iconv = iconv_open("UTF-32LE", codeset ? codeset : "ASCII");
    m_plainUnchanged = keepsPlainBytes();
}

CUtf8Converter::~CUtf8Converter() {
    if (asIconv(m_iconv) != kNoIconv) iconv_close(asIconv(m_iconv));
}

bool CUtf8Converter::IsXmlChar(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
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

bool CUtf8Converter::isPlain(unsigned char byte) const {
    if (byte >= 0x80) return false;
    return m_characters == eUtf8Characters::Any || IsXmlChar(byte);
}

bool CUtf8Converter::isPlain(std::string_view text) const {
    for (const char c : text) {
        if (!isPlain(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

bool CUtf8Converter::keepsPlainBytes() {
    std::string plain;
    for (int byte = 0; byte < 0x80; ++byte) {
        if (isPlain(static_cast<unsigned char>(byte))) plain.push_back(static_cast<char>(byte));
    }
    m_result.clear();
    if (asIconv(m_iconv) == kNoIconv) {
        convertAscii(plain);
    } else {
        convertThroughIconv(plain);
    }
    return m_result == plain;
}

void CUtf8Converter::appendCodePoint(uint32_t c) {
    if (m_characters == eUtf8Characters::XmlOnly && !IsXmlChar(c)) c = kReplacementCharacter;
    AppendUtf8(c, m_result);
}

void CUtf8Converter::convertAscii(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        appendCodePoint(byte < 0x80 ? byte : kReplacementCharacter);
    }
}

std::string_view CUtf8Converter::Convert(std::string_view text) {
    if (m_plainUnchanged && isPlain(text)) return text;
    m_result.clear();
    if (asIconv(m_iconv) == kNoIconv) {
        convertAscii(text);
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
            appendCodePoint(uint32_t{units[i]} | uint32_t{units[i + 1]} << 8 |
                            uint32_t{units[i + 2]} << 16 | uint32_t{units[i + 3]} << 24);
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
