#include "replay/MessageText.h"

namespace vesk::replay {

std::string ShownInMessage(std::string_view text) {
    static const char kHexDigits[] = "0123456789ABCDEF";
    std::string result;
    const size_t count = text.size() < kShownBytes ? text.size() : kShownBytes;
    for (size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte < 0x7F) {
            result += static_cast<char>(byte);
        } else {
            result += "\\x";
            result += kHexDigits[byte >> 4];
            result += kHexDigits[byte & 0xF];
        }
    }
    if (count < text.size()) result += "...";
    return result;
}

}  // namespace vesk::replay
