// Converts texts of the narrow character set (the one the locale chose at
// start-up) to UTF-8, for the XML document and for the browser view's JSON.
//
// Every byte that does not start a valid character of the set becomes
// U+FFFD, one per byte, so the result is valid UTF-8 whatever the input.
// For XML, every character that XML 1.0 does not allow (most control
// characters, surrogates, U+FFFE, U+FFFF) becomes U+FFFD as well, so a
// document built from any bytes stays well-formed; JSON keeps every
// character, control characters included, since it can carry them escaped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vesk::replay {

// Which characters a converted text may hold.
enum class eUtf8Characters {
    Any,      // every character the set can express (JSON)
    XmlOnly,  // those XML 1.0 allows in a document
};

class CUtf8Converter {
public:
    // Converts from `codeset` (an iconv name); null: the locale's narrow
    // character set (nl_langinfo(CODESET)). An unknown codeset is read as
    // ASCII: every byte above 0x7F becomes U+FFFD.
    explicit CUtf8Converter(eUtf8Characters characters = eUtf8Characters::Any,
                            const char* codeset = nullptr);
    ~CUtf8Converter();
    CUtf8Converter(const CUtf8Converter&) = delete;
    CUtf8Converter& operator=(const CUtf8Converter&) = delete;

    // The converted text; valid until the next call and as long as `text`
    // (a text of plain ASCII, the common case, comes back as `text` itself,
    // where the set spells it as ASCII does). Reuses its storage. One thread
    // at a time: the iconv descriptor has a state.
    std::string_view Convert(std::string_view text);

    // True for the characters XML 1.0 allows in a document.
    static bool IsXmlChar(uint32_t codePoint);

    // Appends `codePoint` to `out` as UTF-8; U+FFFD for a surrogate or a
    // value above U+10FFFF.
    static void AppendUtf8(uint32_t codePoint, std::string& out);

private:
    // True for a byte that is its own UTF-8 and that the result may hold.
    bool isPlain(unsigned char byte) const;
    bool isPlain(std::string_view text) const;
    void appendCodePoint(uint32_t codePoint);
    void convertAscii(std::string_view text);
    void convertThroughIconv(std::string_view text);
    // True when the set maps every plain byte to itself (tried once, at
    // construction: a stateful or non-ASCII set does not).
    bool keepsPlainBytes();

    eUtf8Characters m_characters;
    void* m_iconv;  // iconv_t; (iconv_t)-1 when unavailable
    bool m_plainUnchanged = false;
    std::string m_result;
};

}  // namespace vesk::replay
