// Writes JSON text into a string, value by value, for the browser view's
// data (vesk-replay --serve and --html).
//
// The writer puts the commas and colons; the caller keeps the structure
// (a key before every value in an object, every container closed). Strings
// come out as valid UTF-8 with every control character escaped, and with
// "<", ">" and "&" escaped too, so that the text can sit inside an HTML
// <script> element; U+2028 and U+2029 are escaped for JavaScript parsers
// that predate them. Invalid UTF-8 in a string becomes U+FFFD, one per
// byte that starts no valid sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "replay/Utf8Converter.h"

namespace vesk::replay {

class CJsonWriter {
public:
    // Appends to `out`, which the caller owns. `narrow` converts the texts
    // given to NarrowString (may be null when there are none).
    CJsonWriter(std::string& out, CUtf8Converter* narrow) : m_out(out), m_narrow(narrow) {}

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The key of the next value in an object (UTF-8).
    void Key(std::string_view key);

    // A text in UTF-8.
    void String(std::string_view utf8);
    // A text in the narrow character set, as the plug-in renders it.
    void NarrowString(std::string_view narrow);
    void Number(int64_t value);
    void Number(uint64_t value);
    void Number(int32_t value) { Number(static_cast<int64_t>(value)); }
    void Bool(bool value);
    void Null();

    // Key and value at once.
    void Member(std::string_view key, std::string_view utf8) {
        Key(key);
        String(utf8);
    }

    // JSON made by another writer: one whole value, or the members of an
    // object ("k":v,...) to go into the object being written.
    void RawValue(std::string_view json);
    void RawMembers(std::string_view json);

    // Bytes written so far (to stop a document that grows too large).
    size_t Size() const { return m_out.size(); }

private:
    // A comma before every value or key but the first of its container.
    void separate();
    void appendEscaped(std::string_view utf8);

    std::string& m_out;
    CUtf8Converter* m_narrow;
    bool m_needComma = false;
};

}  // namespace vesk::replay
