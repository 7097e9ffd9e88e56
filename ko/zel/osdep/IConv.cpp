#include "ko/zel/osdep/IConv.h"

#include <iconv.h>


namespace ko::zel {
namespace {

// One conversion descriptor for the duration of one conversion.
class ConversionDescriptor {
public:
    ConversionDescriptor(const char* to, const char* from)
        : m_descriptor(iconv_open(to, from)) {
        if (m_descriptor == reinterpret_cast<iconv_t>(-1)) {
            KO_ZEL_THROW(exception::InvalidLocale);
        }
    }
    ~ConversionDescriptor() { iconv_close(m_descriptor); }
    ConversionDescriptor(const ConversionDescriptor&) = delete;
    ConversionDescriptor& operator=(const ConversionDescriptor&) = delete;
    iconv_t get() const { return m_descriptor; }

private:
    iconv_t m_descriptor;
};

// Converts while input and output room remain. When iconv fails with both
// left, writes `replacement` (of the output's width) and skips one input
// unit of `inputUnit` bytes. Returns the bytes of output written.
size_t Convert(iconv_t descriptor, const char* input, size_t inputBytes, size_t inputUnit,
               char* output, size_t outputBytes, const char* replacement,
               size_t replacementBytes) {
    char* in = const_cast<char*>(input);
    char* out = output;
    size_t inLeft = inputBytes;
    size_t outLeft = outputBytes;
    while (inLeft > 0 && outLeft > 0) {
        if (iconv(descriptor, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1)) {
            break;
        }
        if (inLeft == 0 || outLeft < replacementBytes) break;
        // Unconvertible or invalid input, or no room for one more character:
        // replace one input unit and carry on.
        for (size_t i = 0; i < replacementBytes; ++i) *out++ = replacement[i];
        outLeft -= replacementBytes;
        const size_t skip = inLeft < inputUnit ? inLeft : inputUnit;
        in += skip;
        inLeft -= skip;
    }
    iconv(descriptor, nullptr, nullptr, &out, &outLeft);  // flush any shift state
    return static_cast<size_t>(out - output);
}

}  // namespace

NarrowString WideToNarrow(const wchar_t* text, uint32_t length) {
    if (length == 0) return NarrowString();
    // Four output bytes per wide character: enough for any character of a
    // multibyte set, so a conversion never runs out of room in practice. The
    // result keeps this capacity.
    const uint32_t reserved = SafeSize(length) * 4u;
    ConversionDescriptor descriptor("", "wchar_t");
    NarrowString result = detail::StringBuffer::Reserve<NarrowString>(reserved);
    const size_t written = Convert(descriptor.get(), reinterpret_cast<const char*>(text),
                                   static_cast<size_t>(length) * sizeof(wchar_t),
                                   sizeof(wchar_t), detail::StringBuffer::Data(result),
                                   reserved, "?", 1);
    detail::StringBuffer::SetLength(result, static_cast<uint32_t>(written));
    return result;
}

WideStringBase NarrowToWide(const char* text, uint32_t length) {
    if (length == 0) return WideStringBase();
    // One wide character per input byte is the most a narrow text can yield.
    const uint32_t bytes = SafeSize(length) * static_cast<uint32_t>(sizeof(wchar_t));
    ConversionDescriptor descriptor("wchar_t", "");
    WideStringBase result = detail::StringBuffer::Reserve<WideStringBase>(length);
    const wchar_t replacement = L'?';
    const size_t written = Convert(
        descriptor.get(), text, length, 1, reinterpret_cast<char*>(detail::StringBuffer::Data(result)),
        bytes, reinterpret_cast<const char*>(&replacement), sizeof(wchar_t));
    detail::StringBuffer::SetLength(result, static_cast<uint32_t>(written / sizeof(wchar_t)));
    return result;
}

}  // namespace ko::zel
