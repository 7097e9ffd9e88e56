#include "replay/XmlText.h"

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

// Characters every XML text may hold as they are and that ASCII-based
// character sets spell as in ASCII: tab, line feed, carriage return, and
// 0x20 to 0x7F.
bool isPlainAscii(unsigned char byte) {
    return (byte >= 0x20 && byte <= 0x7F) || byte == '\t' || byte == '\n' || byte == '\r';
}

bool isPlainAscii(std::string_view text) {
    for (const char c : text) {
        if (!isPlainAscii(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

}  // namespace

XmlTextConverter::XmlTextConverter(const char* codeset) {
    if (!codeset) codeset = nl_langinfo(CODESET);
    m_iconv = iconv_open("UTF-32LE", codeset ? codeset : "ASCII");
    m_plainAsciiUnchanged = keepsPlainAscii();
}

bool XmlTextConverter::keepsPlainAscii() {
    std::string plain;
    for (int byte = 0; byte < 0x80; ++byte) {
        if (isPlainAscii(static_cast<unsigned char>(byte))) plain.push_back(static_cast<char>(byte));
    }
    m_result.clear();
    if (asIconv(m_iconv) == kNoIconv) {
        convertAscii(plain);
    } else {
        convertThroughIconv(plain);
    }
    return m_result == plain;
}

XmlTextConverter::~XmlTextConverter() {
    if (asIconv(m_iconv) != kNoIconv) iconv_close(asIconv(m_iconv));
}

bool XmlTextConverter::IsXmlChar(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

void XmlTextConverter::appendCodePoint(uint32_t c) {
    if (!IsXmlChar(c)) c = kReplacementCharacter;
    if (c < 0x80) {
        m_result.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        m_result.push_back(static_cast<char>(0xC0 | (c >> 6)));
        m_result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        m_result.push_back(static_cast<char>(0xE0 | (c >> 12)));
        m_result.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        m_result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        m_result.push_back(static_cast<char>(0xF0 | (c >> 18)));
        m_result.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        m_result.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        m_result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void XmlTextConverter::convertAscii(std::string_view text) {
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        appendCodePoint(byte < 0x80 ? byte : kReplacementCharacter);
    }
}

std::string_view XmlTextConverter::Convert(std::string_view text) {
    if (m_plainAsciiUnchanged && isPlainAscii(text)) return text;
    m_result.clear();
    if (asIconv(m_iconv) == kNoIconv) {
        convertAscii(text);
    } else {
        convertThroughIconv(text);
    }
    return m_result;
}

void XmlTextConverter::convertThroughIconv(std::string_view text) {
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
        appendCodePoint(kReplacementCharacter);
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
