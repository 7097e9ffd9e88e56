#include "ko/zel/Utf8ToWide.h"

namespace ko::zel {
namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes the sequence at `in` into *value and returns its end. Throws
// InvalidSequence when it is invalid or runs past `end`.
const unsigned char* DecodeSequence(const unsigned char* in, const unsigned char* end,
                                    uint32_t* value) {
    const unsigned char first = *in;
    int length;
    uint32_t payload;
    unsigned char secondMinimum = 0x80;
    if (first < 0x80) {
        *value = first;
        return in + 1;
    } else if (first < 0xC2) {  // continuation bytes and overlong C0, C1
        KO_ZEL_THROW(exception::InvalidSequence);
    } else if (first < 0xE0) {
        length = 2;
        payload = first & 0x1F;
    } else if (first < 0xF0) {
        length = 3;
        payload = first & 0x0F;
        if (first == 0xE0) secondMinimum = 0xA0;
    } else if (first < 0xF8) {
        length = 4;
        payload = first & 0x07;
        if (first == 0xF0) secondMinimum = 0x90;
    } else if (first < 0xFE) {
        // F8 to FD: six-byte sequences; F8..FB are read like FC.
        length = 6;
        payload = first & 0x01;
        if (first != 0xFD) secondMinimum = 0x84;
    } else {
        KO_ZEL_THROW(exception::InvalidSequence);
    }
    if (end - in < length) KO_ZEL_THROW(exception::InvalidSequence);
    if (in[1] < secondMinimum) KO_ZEL_THROW(exception::InvalidSequence);
    for (int i = 1; i < length; ++i) {
        if (!IsContinuation(in[i])) KO_ZEL_THROW(exception::InvalidSequence);
        payload = (payload << 6) | (in[i] & 0x3F);
    }
    *value = payload;
    return in + length;
}

}  // namespace

uint32_t CountUtf8Sequences(const unsigned char* begin, const unsigned char* end) {
    if (!begin || end <= begin) return 0;
    uint32_t count = 0;
    uint32_t ignored;
    for (const unsigned char* in = begin; in < end; ++count) {
        in = DecodeSequence(in, end, &ignored);
    }
    return count;
}

wchar_t* DecodeUtf8(const unsigned char* begin, const unsigned char* end, wchar_t* out,
                    wchar_t* outEnd) {
    if (!out || outEnd < out) KO_ZEL_THROW(exception::InvalidArgument);
    const unsigned char* in = begin;
    if (!in || end < in) return out;
    while (in < end && out < outEnd) {
        uint32_t value;
        in = DecodeSequence(in, end, &value);
        *out++ = static_cast<wchar_t>(value);
    }
    if (in < end) KO_ZEL_THROW(exception::BufferOverflow);
    return out;
}

WideStringBase Utf8ToWide(const unsigned char* begin, const unsigned char* end) {
    // Counting first validates the whole input, so the decoding pass below
    // fills the buffer exactly.
    const uint32_t count = CountUtf8Sequences(begin, end);
    if (count == 0) return WideStringBase();
    WideStringBase result = detail::StringBuffer::Reserve<WideStringBase>(count);
    wchar_t* out = detail::StringBuffer::Data(result);
    DecodeUtf8(begin, end, out, out + count);
    detail::StringBuffer::SetLength(result, count);
    return result;
}

WideStringBase Utf8ToWide(const Utf8String& text) {
    return Utf8ToWide(text.c_str(), text.c_str() + text.length());
}

}  // namespace ko::zel
