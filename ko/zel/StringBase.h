// The support library's owning, zero-terminated string.
//
// StringBase<char, wchar_t, wchar_t> is the narrow text type at every
// interface between the plug-in and its host; StringBase<unsigned char, ...>
// holds UTF-8 bytes and WideStringBase holds one Unicode code point per
// 32-bit wchar_t.
//
// Layout and storage rules (the host relies on them, do not change them):
//  - three pointers: start of the buffer, end of the text, end of capacity;
//  - the buffer always holds one zero element after the text, so a capacity
//    of n elements is an allocation of n + 1 elements;
//  - lengths, positions and counts are unsigned 32-bit, npos = 0xFFFFFFFF;
//  - memory comes from malloc/realloc/free; a failed allocation throws
//    std::bad_alloc; every check and allocation happens before the first
//    change, so a string is unchanged by an operation that throws.
//
// Capacity rules: an assign of n elements keeps the buffer when its capacity
// lies in [n, 2n] and refits it to exactly n otherwise; an append that does
// not fit grows to twice the needed length, falling back to exactly the
// needed length; construction, copy, concatenation and substring allocate
// exactly what they need.
//
// A moved-from string holds no buffer; it behaves as an empty string and may
// be assigned to or destroyed.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <new>
#include <type_traits>

#include "ko/zel/NumericCast.h"
#include "ko/zel/SafeInteger.h"

namespace ko::zel {

template <class C, class W1, class W2>
class StringBase;

using NarrowString = StringBase<char, wchar_t, wchar_t>;
using Utf8String = StringBase<unsigned char, wchar_t, wchar_t>;
using WideStringBase = StringBase<wchar_t, wchar_t, wchar_t>;

// Character-set conversions through iconv (ko/zel/osdep/IConv.cpp).
// Wide to the narrow set of the current locale; unconvertible characters
// become '?'. Throws InvalidLocale when no conversion descriptor opens.
NarrowString WideToNarrow(const wchar_t* text, uint32_t length);
// Narrow set of the current locale to wide; unconvertible bytes become L'?'.
WideStringBase NarrowToWide(const char* text, uint32_t length);

namespace detail {

// Throws OutOfRange2 with the text "String offset out of range".
[[noreturn]] void ThrowStringOffsetOutOfRange(int32_t line, const char* file);

template <class C>
inline uint32_t TextLength(const C* text) {
    if constexpr (sizeof(C) == 1) {
        return NumericCast<uint32_t>(std::strlen(reinterpret_cast<const char*>(text)));
    } else {
        return NumericCast<uint32_t>(std::wcslen(text));
    }
}

template <class C>
inline const C* EmptyText() noexcept {
    static const C empty[1] = {};
    return empty;
}

// Lets the library's own conversions decode or convert straight into a
// string's buffer instead of into a scratch block that is then copied.
struct StringBuffer {
    // An empty string that owns exactly `capacity` elements plus the terminator.
    template <class S>
    static S Reserve(uint32_t capacity) {
        return S(typename S::Uninitialised{}, capacity);
    }
    // The writable buffer; room for capacity() elements and the terminator.
    template <class S>
    static typename S::value_type* Data(S& string) noexcept {
        return string.m_begin;
    }
    // Ends the text after `length` elements (at most capacity()) and
    // terminates it.
    template <class S>
    static void SetLength(S& string, uint32_t length) noexcept {
        string.setLength(length);
    }
};

}  // namespace detail

template <class C, class W1, class W2>
class StringBase {
public:
    using value_type = C;
    static constexpr uint32_t npos = 0xFFFFFFFFu;

    StringBase() { allocateExactly(0); }

    // Copies up to the terminator; a null pointer gives an empty string.
    StringBase(const C* text) {  // NOLINT: implicit, like the host's API
        const uint32_t n = text ? detail::TextLength(text) : 0;
        allocateExactly(n);
        copyIn(text, n);
    }

    StringBase(const C* text, uint32_t count) {
        allocateExactly(count);
        copyIn(text, count);
    }

    // A byte range [begin, end), exact size (used for UTF-8 pieces). The end
    // is a template parameter restricted to pointers so that (text, 0) picks
    // the counted constructor above instead of being ambiguous.
    template <class P, std::enable_if_t<std::is_pointer_v<P> &&
                                            std::is_convertible_v<P, const C*>,
                                        int> = 0>
    StringBase(const C* begin, P end) {
        const uint32_t n =
            (begin && end > begin) ? NumericCast<uint32_t>(end - begin) : 0;
        allocateExactly(n);
        copyIn(begin, n);
    }

    StringBase(const StringBase& other) {
        const uint32_t n = other.length();
        allocateExactly(n);
        copyIn(other.c_str(), n);
    }

    StringBase(StringBase&& other) noexcept
        : m_begin(other.m_begin), m_end(other.m_end), m_capacityEnd(other.m_capacityEnd) {
        other.m_begin = other.m_end = other.m_capacityEnd = nullptr;
    }

    // Narrow strings only: converts a wide text (null counts as empty).
    template <class T = C, std::enable_if_t<std::is_same_v<T, char>, int> = 0>
    explicit StringBase(const wchar_t* wide) : StringBase(fromWide(wide)) {}

    // Narrow strings only: converts a wide string.
    template <class T = C, std::enable_if_t<std::is_same_v<T, char>, int> = 0>
    explicit StringBase(const WideStringBase& wide)
        : StringBase(WideToNarrow(wide.c_str(), wide.length())) {}

    ~StringBase() { std::free(m_begin); }

    StringBase& operator=(const StringBase& other) {
        if (this != &other) assign(other.c_str(), other.length());
        return *this;
    }

    StringBase& operator=(StringBase&& other) noexcept {
        if (this != &other) {
            std::free(m_begin);
            m_begin = other.m_begin;
            m_end = other.m_end;
            m_capacityEnd = other.m_capacityEnd;
            other.m_begin = other.m_end = other.m_capacityEnd = nullptr;
        }
        return *this;
    }

    StringBase& operator=(const C* text) { return assign(text); }

    // --- access -----------------------------------------------------------

    const C* c_str() const noexcept { return m_begin ? m_begin : detail::EmptyText<C>(); }
    const C* data() const noexcept { return c_str(); }
    uint32_t length() const noexcept { return static_cast<uint32_t>(m_end - m_begin); }
    uint32_t size() const noexcept { return length(); }
    uint32_t capacity() const noexcept { return static_cast<uint32_t>(m_capacityEnd - m_begin); }
    bool empty() const noexcept { return m_end == m_begin; }
    // Unchecked element access.
    C operator[](uint32_t index) const noexcept { return m_begin[index]; }

    // --- assignment -------------------------------------------------------

    // Copies `count` elements from `text` (which may lie inside this string).
    // Assigning the string's own text to itself does nothing.
    StringBase& assign(const C* text, uint32_t count) {
        if (text == m_begin && count == length()) return *this;
        const uint32_t cap = capacity();
        if (m_begin && cap >= count && cap - count <= count) {
            if (count) std::memmove(m_begin, text, count * sizeof(C));
            setLength(count);
            return *this;
        }
        C* fresh = allocate(count);
        if (count) std::memcpy(fresh, text, count * sizeof(C));
        std::free(m_begin);
        adopt(fresh, count, count);
        return *this;
    }

    StringBase& assign(const C* text) {
        return assign(text ? text : detail::EmptyText<C>(), text ? detail::TextLength(text) : 0);
    }

    StringBase& assign(const StringBase& other) { return assign(other.c_str(), other.length()); }

    // --- appending --------------------------------------------------------

    StringBase& append(const C* text, uint32_t count) {
        if (count == 0) return *this;
        // A text inside this string's own buffer is addressed by its offset:
        // growing may move the buffer.
        if (!std::less<const C*>()(text, m_begin) && std::less<const C*>()(text, m_end)) {
            return appendOwn(static_cast<uint32_t>(text - m_begin), count);
        }
        const uint32_t oldLength = length();
        const uint32_t needed = SafeSize(oldLength) + count;
        if (needed > capacity() || !m_begin) grow(needed);
        std::memcpy(m_begin + oldLength, text, count * sizeof(C));
        setLength(needed);
        return *this;
    }

    // Appends a zero-terminated text; null appends nothing.
    StringBase& append(const C* text) {
        return text ? append(text, detail::TextLength(text)) : *this;
    }

    // Appends up to `count` elements of `other` from `position`
    // (a position beyond its length appends nothing).
    StringBase& append(const StringBase& other, uint32_t position = 0, uint32_t count = npos) {
        const uint32_t otherLength = other.length();
        if (position >= otherLength) return *this;
        const uint32_t available = otherLength - position;
        const uint32_t appended = count < available ? count : available;
        if (&other == this) return appended ? appendOwn(position, appended) : *this;
        return append(other.c_str() + position, appended);
    }

    StringBase& operator+=(const C* text) { return append(text); }
    StringBase& operator+=(const StringBase& other) { return append(other); }
    StringBase& operator+=(C c) { return append(&c, 1); }

    // --- derived strings --------------------------------------------------

    // Elements from `position`, `count` of them or up to the end; npos means
    // to the end; a position beyond the length gives an empty string.
    StringBase substr(uint32_t position, uint32_t count = npos) const {
        const uint32_t n = length();
        if (position >= n) return StringBase();
        const uint32_t available = n - position;
        return StringBase(m_begin + position, count < available ? count : available);
    }

    friend StringBase operator+(const StringBase& a, const StringBase& b) {
        return Concatenate(a.c_str(), a.length(), b.c_str(), b.length());
    }
    friend StringBase operator+(const StringBase& a, const C* b) {
        return Concatenate(a.c_str(), a.length(), b, b ? detail::TextLength(b) : 0);
    }
    friend StringBase operator+(const C* a, const StringBase& b) {
        return Concatenate(a, a ? detail::TextLength(a) : 0, b.c_str(), b.length());
    }

    // --- searching --------------------------------------------------------

    // Index of the first `c` at or after `from`; npos when there is none or
    // `from` is not below the length.
    uint32_t find(C c, uint32_t from = 0) const noexcept {
        const uint32_t n = length();
        for (uint32_t i = from; i < n; ++i) {
            if (m_begin[i] == c) return i;
        }
        return npos;
    }

    // Index of the first occurrence of `other` at or after `from`.
    uint32_t find(const StringBase& other, uint32_t from = 0) const noexcept {
        return find(other.c_str(), other.length(), from);
    }

    uint32_t find(const C* text, uint32_t textLength, uint32_t from) const noexcept {
        const uint32_t n = length();
        if (from >= n) return npos;
        if (textLength == 0) return from;
        for (uint32_t i = from; textLength <= n - i; ++i) {
            if (std::memcmp(m_begin + i, text, textLength * sizeof(C)) == 0) return i;
        }
        return npos;
    }

    // --- erasing ----------------------------------------------------------

    // Removes up to `count` elements from `position`, moving the rest down.
    // With `shrink` the buffer is then refitted by the assign rule: kept while
    // its capacity is at most twice the remaining length, else reallocated to
    // exactly that length (also when nothing was removed). A position beyond
    // the length throws OutOfRange2 ("String offset out of range"); the
    // position equal to the length removes nothing.
    StringBase& erase(uint32_t position = 0, uint32_t count = npos, bool shrink = false) {
        const uint32_t n = length();
        if (position > n) detail::ThrowStringOffsetOutOfRange(__LINE__, __FILE__);
        const uint32_t available = n - position;
        const uint32_t removed = count < available ? count : available;
        if (shrink && m_begin) {
            const uint32_t remaining = n - removed;
            const uint32_t cap = capacity();
            if (!(cap >= remaining && cap - remaining <= remaining)) {
                C* fresh = allocate(remaining);
                std::memcpy(fresh, m_begin, position * sizeof(C));
                std::memcpy(fresh + position, m_begin + position + removed,
                            (available - removed) * sizeof(C));
                std::free(m_begin);
                adopt(fresh, remaining, remaining);
                return *this;
            }
        }
        if (removed == 0) return *this;
        std::memmove(m_begin + position, m_begin + position + removed,
                     (available - removed) * sizeof(C));
        setLength(n - removed);
        return *this;
    }

    // --- comparison -------------------------------------------------------

    // Narrow strings: equality with `text` after toupper on both sides; a
    // null pointer compares as the empty text.
    bool EqualsNoCase(const C* text) const noexcept {
        static_assert(sizeof(C) == 1, "case-blind comparison is for byte strings");
        const unsigned char* a = reinterpret_cast<const unsigned char*>(c_str());
        const unsigned char* b =
            reinterpret_cast<const unsigned char*>(text ? text : detail::EmptyText<C>());
        const uint32_t n = length();
        for (uint32_t i = 0; i < n; ++i) {
            if (b[i] == 0 || std::toupper(a[i]) != std::toupper(b[i])) return false;
        }
        return b[n] == 0;
    }

    friend bool operator==(const StringBase& a, const StringBase& b) noexcept {
        return a.length() == b.length() &&
               std::memcmp(a.c_str(), b.c_str(), a.length() * sizeof(C)) == 0;
    }
    friend bool operator!=(const StringBase& a, const StringBase& b) noexcept { return !(a == b); }
    friend bool operator==(const StringBase& a, const C* b) noexcept {
        return a == StringView{b};
    }
    friend bool operator!=(const StringBase& a, const C* b) noexcept { return !(a == b); }

private:
    friend struct detail::StringBuffer;

    struct StringView {
        const C* text;
    };
    friend bool operator==(const StringBase& a, StringView b) noexcept {
        const C* t = b.text ? b.text : detail::EmptyText<C>();
        const uint32_t n = a.length();
        for (uint32_t i = 0; i < n; ++i) {
            if (t[i] == 0 || t[i] != a.m_begin[i]) return false;
        }
        return t[n] == 0;
    }

    static StringBase fromWide(const wchar_t* wide) {
        return WideToNarrow(wide, wide ? detail::TextLength(wide) : 0);
    }

    static StringBase Concatenate(const C* a, uint32_t aLength, const C* b, uint32_t bLength) {
        StringBase result(Uninitialised{}, SafeSize(aLength) + bLength);
        if (aLength) std::memcpy(result.m_begin, a, aLength * sizeof(C));
        if (bLength) std::memcpy(result.m_begin + aLength, b, bLength * sizeof(C));
        result.setLength(aLength + bLength);
        return result;
    }

    struct Uninitialised {};
    StringBase(Uninitialised, uint32_t capacity) { allocateExactly(capacity); }

    // Allocates room for `count` elements and the terminator; throws
    // OutOfRange when the byte count does not fit 32 bits, bad_alloc when
    // memory is exhausted.
    static C* allocate(uint32_t count) {
        const uint32_t bytes = (SafeSize(count) + 1) * static_cast<uint32_t>(sizeof(C));
        C* block = static_cast<C*>(std::malloc(bytes));
        if (!block) throw std::bad_alloc();
        return block;
    }

    void allocateExactly(uint32_t count) {
        m_begin = allocate(count);
        m_end = m_begin;
        m_capacityEnd = m_begin + count;
        *m_end = C();
    }

    void copyIn(const C* text, uint32_t count) {
        if (count) std::memcpy(m_begin, text, count * sizeof(C));
        setLength(count);
    }

    void adopt(C* block, uint32_t length, uint32_t capacity) noexcept {
        m_begin = block;
        m_capacityEnd = block + capacity;
        setLength(length);
    }

    void setLength(uint32_t length) noexcept {
        m_end = m_begin + length;
        *m_end = C();
    }

    // Appends `count` elements of this string's own text from `offset`.
    StringBase& appendOwn(uint32_t offset, uint32_t count) {
        const uint32_t oldLength = length();
        const uint32_t needed = SafeSize(oldLength) + count;
        if (needed > capacity()) grow(needed);
        std::memmove(m_begin + oldLength, m_begin + offset, count * sizeof(C));
        setLength(needed);
        return *this;
    }

    // Reallocates to hold at least `needed` elements: twice that when
    // possible, exactly that otherwise.
    void grow(uint32_t needed) {
        const uint32_t oldLength = length();
        C* block = nullptr;
        uint32_t capacity = 0;
        try {
            capacity = SafeSize(needed) * 2u;
            const uint32_t bytes = (SafeSize(capacity) + 1) * static_cast<uint32_t>(sizeof(C));
            block = static_cast<C*>(std::realloc(m_begin, bytes));
        } catch (const exception::OutOfRange&) {
            block = nullptr;
        }
        if (!block) {
            capacity = needed;
            const uint32_t bytes = (SafeSize(capacity) + 1) * static_cast<uint32_t>(sizeof(C));
            block = static_cast<C*>(std::realloc(m_begin, bytes));
            if (!block) throw std::bad_alloc();
        }
        adopt(block, oldLength, capacity);
    }

    C* m_begin = nullptr;
    C* m_end = nullptr;
    C* m_capacityEnd = nullptr;
};

}  // namespace ko::zel

// The narrow text type at every interface with the host.
using StringBase = ko::zel::NarrowString;
using WideStringBase = ko::zel::WideStringBase;
