#include "replay/JsonWriter.h"

#include <charconv>

namespace vesk::replay {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void appendUnicodeEscape(uint32_t codeUnit, std::string& out) {
    const char escape[6] = {'\\', 'u', kHexDigits[(codeUnit >> 12) & 0xF],
                            kHexDigits[(codeUnit >> 8) & 0xF], kHexDigits[(codeUnit >> 4) & 0xF],
                            kHexDigits[codeUnit & 0xF]};
    out.append(escape, sizeof escape);
}

// The length of the valid UTF-8 sequence at `text[i]` and its code point;
// 0 when the bytes there start no valid sequence (cut, overlong, a
// surrogate, above U+10FFFF, or a stray continuation byte).
size_t decodeUtf8(std::string_view text, size_t i, uint32_t& codePoint) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    uint32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() - i < length) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        codePoint = codePoint << 6 | (byte(i + k) & 0x3Fu);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

}  // namespace

void CJsonWriter::separate() {
    if (m_needComma) m_out.push_back(',');
}

void CJsonWriter::BeginObject() {
    separate();
    m_out.push_back('{');
    m_needComma = false;
}

void CJsonWriter::EndObject() {
    m_out.push_back('}');
    m_needComma = true;
}

void CJsonWriter::BeginArray() {
    separate();
    m_out.push_back('[');
    m_needComma = false;
}

void CJsonWriter::EndArray() {
    m_out.push_back(']');
    m_needComma = true;
}

void CJsonWriter::Key(std::string_view key) {
    separate();
    m_out.push_back('"');
    appendEscaped(key);
    m_out.append("\":");
    m_needComma = false;
}

void CJsonWriter::String(std::string_view utf8) {
    separate();
    m_out.push_back('"');
    appendEscaped(utf8);
    m_out.push_back('"');
    m_needComma = true;
}

void CJsonWriter::NarrowString(std::string_view narrow) {
    if (m_narrow) {
        String(m_narrow->Convert(narrow));
    } else {
        String(narrow);
    }
}

void CJsonWriter::Number(int64_t value) {
    separate();
    char digits[24];
    const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
    m_out.append(digits, static_cast<size_t>(result.ptr - digits));
    m_needComma = true;
}

void CJsonWriter::Number(uint64_t value) {
    separate();
    char digits[24];
    const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
    m_out.append(digits, static_cast<size_t>(result.ptr - digits));
    m_needComma = true;
}

void CJsonWriter::Bool(bool value) {
    separate();
    m_out.append(value ? "true" : "false");
    m_needComma = true;
}

void CJsonWriter::Null() {
    separate();
    m_out.append("null");
    m_needComma = true;
}

void CJsonWriter::RawValue(std::string_view json) {
    separate();
    m_out.append(json.data(), json.size());
    m_needComma = true;
}

void CJsonWriter::RawMembers(std::string_view json) {
    if (json.empty()) return;
    RawValue(json);
}

void CJsonWriter::appendEscaped(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        // A run of bytes that need nothing goes out at once.
        size_t run = i;
        while (run < text.size()) {
            const auto c = static_cast<unsigned char>(text[run]);
            if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\' || c == '<' || c == '>' || c == '&') break;
            ++run;
        }
        m_out.append(text.data() + i, run - i);
        i = run;
        if (i == text.size()) break;
        const char c = text[i];
        switch (c) {
            case '"': m_out.append("\\\""); ++i; continue;
            case '\\': m_out.append("\\\\"); ++i; continue;
            case '\n': m_out.append("\\n"); ++i; continue;
            case '\r': m_out.append("\\r"); ++i; continue;
            case '\t': m_out.append("\\t"); ++i; continue;
            default: break;
        }
        uint32_t codePoint = 0;
        const size_t length = decodeUtf8(text, i, codePoint);
        if (length == 0) {
            appendUnicodeEscape(0xFFFD, m_out);
            ++i;
            continue;
        }
        // Controls (C0, DEL, C1), the characters HTML gives a meaning, and
        // the two separators JavaScript once read as line ends.
        if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F) || codePoint == '<' ||
            codePoint == '>' || codePoint == '&' || codePoint == 0x2028 || codePoint == 0x2029) {
            appendUnicodeEscape(codePoint, m_out);
        } else {
            m_out.append(text.data() + i, length);
        }
        i += length;
    }
}

}  // namespace vesk::replay
