// Converts texts of the narrow character set (the one the locale chose at
// start-up) to UTF-8 for JSON.
//
// Every byte that does not start a valid character of the set becomes
// U+FFFD, one per byte, so the result is valid UTF-8 whatever the input.
// Unlike the XML converter, every character the set can express is kept,
// control characters included: JSON can carry them escaped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vesk::replay {

class CUtf8Converter {
public:
    // Converts from `codeset` (an iconv name); null: the locale's narrow
    // character set (nl_langinfo(CODESET)). An unknown codeset is read as
    // ASCII: every byte above 0x7F becomes U+FFFD.
    explicit CUtf8Converter(const char* codeset = nullptr);
    ~CUtf8Converter();
    CUtf8Converter(const CUtf8Converter&) = delete;
    CUtf8Converter& operator=(const CUtf8Converter&) = delete;

    // The converted text; valid until the next call. Reuses its storage.
    // One thread at a time (the iconv descriptor has a state).
    const std::string& Convert(std::string_view text);

    // Appends `codePoint` to `out` as UTF-8; U+FFFD for a surrogate or a
    // value above U+10FFFF.
    static void AppendUtf8(uint32_t codePoint, std::string& out);

private:
    void convertThroughIconv(std::string_view text);

    void* m_iconv;  // iconv_t; (iconv_t)-1 when unavailable
    // The set maps the bytes 0x00 to 0x7F to ASCII whatever comes around
    // them, so a text of such bytes alone is its own UTF-8.
    bool m_asciiCompatible = false;
    std::string m_result;
};

}  // namespace vesk::replay
