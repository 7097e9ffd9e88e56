// Fuzz target: the support library's UTF-8 decoder and the conversions
// between the wide set and the locale's narrow set.
//
// Input: one control byte (bit 0: C.UTF-8 instead of C; bits 1-3: room of
// a short decoding output), then the bytes to decode and convert.
#include <cwchar>
#include <memory>

#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzLocale.h"
#include "fuzz/FuzzSupport.h"
#include "ko/zel/Utf8ToWide.h"

namespace kovesk_fuzz {
namespace {

using ko::zel::NarrowString;
using ko::zel::WideStringBase;

bool IsUnicodeScalar(wchar_t c) {
    const auto value = static_cast<uint32_t>(c);
    return value != 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

// Decoding: the count, the whole decoding and a decoding into a short
// output agree on which inputs are valid and on their length.
void CheckDecoder(const uint8_t* begin, const uint8_t* end, size_t shortRoom) {
    uint32_t count = 0;
    const bool counted = Tolerating([&] { count = ko::zel::CountUtf8Sequences(begin, end); });
    bool decoded = false;
    Tolerating([&] {
        const WideStringBase wide = ko::zel::Utf8ToWide(begin, end);
        decoded = true;
        FUZZ_CHECK(wide.length() == count);
        FUZZ_CHECK(wide.c_str()[wide.length()] == L'\0');
    });
    FUZZ_CHECK(counted == decoded);

    // Output of exactly `shortRoom` elements: too short a room must throw
    // BufferOverflow, never write past it.
    const std::unique_ptr<wchar_t[]> out(new wchar_t[shortRoom]);
    try {
        const wchar_t* written = ko::zel::DecodeUtf8(begin, end, out.get(), out.get() + shortRoom);
        FUZZ_CHECK(counted && written - out.get() == static_cast<std::ptrdiff_t>(count));
    } catch (const ko::zel::exception::BufferOverflow&) {
        FUZZ_CHECK(!counted || count > shortRoom);
    } catch (const ko::zel::exception::InvalidSequence&) {
        FUZZ_CHECK(!counted);
    }
}

// Wide to narrow and back: bounded by the reserved room; in C.UTF-8 every
// Unicode scalar value comes back unchanged.
void CheckRoundTrip(const WideStringBase& wide, bool utf8) {
    Tolerating([&] {
        const NarrowString narrow(wide);
        FUZZ_CHECK(narrow.length() <= 4u * wide.length());
        FUZZ_CHECK(narrow.c_str()[narrow.length()] == '\0');
        const WideStringBase back = ko::zel::NarrowToWide(narrow.c_str(), narrow.length());
        FUZZ_CHECK(back.length() <= narrow.length());
        bool scalars = utf8;
        for (uint32_t i = 0; scalars && i < wide.length(); ++i) scalars = IsUnicodeScalar(wide[i]);
        if (scalars) {
            FUZZ_CHECK(back.length() == wide.length());
            FUZZ_CHECK(std::wmemcmp(back.c_str(), wide.c_str(), wide.length()) == 0);
        }
    });
}

}  // namespace

void RunOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t control = input.byte();
    const bool utf8 = (control & 1) != 0;
    UseLocale(utf8);
    const ByteRun bytes = input.rest();
    const uint8_t* begin = bytes.data;
    const uint8_t* end = bytes.data + bytes.size;

    CheckDecoder(begin, end, (control >> 1) & 7);
    Tolerating([&] { CheckRoundTrip(ko::zel::Utf8ToWide(begin, end), utf8); });

    // The bytes as narrow text of the locale, and as raw wide characters
    // (any 32-bit value, in an allocation of their own).
    Tolerating([&] {
        const WideStringBase wide = ko::zel::NarrowToWide(
            reinterpret_cast<const char*>(begin), static_cast<uint32_t>(bytes.size));
        FUZZ_CHECK(wide.length() <= bytes.size);
        CheckRoundTrip(wide, utf8);
    });
    const size_t wideCount = bytes.size / sizeof(wchar_t);
    const std::unique_ptr<wchar_t[]> raw(new wchar_t[wideCount]);
    if (wideCount > 0) std::memcpy(raw.get(), begin, wideCount * sizeof(wchar_t));
    Tolerating([&] {
        const NarrowString narrow =
            ko::zel::WideToNarrow(raw.get(), static_cast<uint32_t>(wideCount));
        FUZZ_CHECK(narrow.length() <= 4u * wideCount);
    });
}

}  // namespace kovesk_fuzz
