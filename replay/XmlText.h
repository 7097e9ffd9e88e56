// Converts texts of the narrow character set (the one the locale chose at
// start-up) to UTF-8 that XML 1.0 accepts.
//
// Every byte that cannot be converted, and every character that XML 1.0
// does not allow (most control characters, surrogates, U+FFFE, U+FFFF),
// becomes U+FFFD, so a document built from any bytes stays well-formed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vesk::replay {

class XmlTextConverter {
public:
    // Converts from `codeset` (an iconv name); null: the locale's narrow
    // character set (nl_langinfo(CODESET)). An unknown codeset is read as
    // ASCII: every byte above 0x7F becomes U+FFFD.
    explicit XmlTextConverter(const char* codeset = nullptr);
    ~XmlTextConverter();
    XmlTextConverter(const XmlTextConverter&) = delete;
    XmlTextConverter& operator=(const XmlTextConverter&) = delete;

    // The converted text; valid until the next call and as long as `text`
    // (plain ASCII comes back as `text` itself). Reuses its storage.
    std::string_view Convert(std::string_view text);

    // True for the characters XML 1.0 allows in a document.
    static bool IsXmlChar(uint32_t codePoint);

private:
    void appendCodePoint(uint32_t codePoint);
    void convertAscii(std::string_view text);
    void convertThroughIconv(std::string_view text);
    // True when the character set maps printable ASCII, tab, line feed and
    // carriage return to themselves (tried once, at construction).
    bool keepsPlainAscii();

    void* m_iconv;  // iconv_t; (iconv_t)-1 when unavailable
    // Texts of nothing but those characters, the common case, are copied
    // as they are, without a conversion.
    bool m_plainAsciiUnchanged = false;
    std::string m_result;
};

}  // namespace vesk::replay
