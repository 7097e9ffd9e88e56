// The C library's character classes under the calling thread's current
// locale, for loops over many characters: with glibc the classification
// table is looked up once per text instead of once per character, and the
// test on it is the one isprint and iscntrl make. Internal to the plug-in.
#pragma once

#include <atomic>
#include <cctype>

namespace nKoVeskLog210 {

class CCharClassTable {
public:
#if defined(__GLIBC__)
    CCharClassTable() : m_table(*__ctype_b_loc()) {}
    bool isPrint(unsigned char c) const { return (m_table[c] & _ISprint) != 0; }
    bool isControl(unsigned char c) const { return (m_table[c] & _IScntrl) != 0; }

    // True when exactly the bytes 0x20 to 0x7E are printable, as in the C
    // locale and the UTF-8 locales; the bytes can then be classed sixteen
    // at a time. The answer for the last such table is remembered (tables
    // are never changed once a locale is loaded).
    bool printsExactlyAscii() const {
        static std::atomic<const unsigned short*> s_asciiTable{nullptr};
        if (s_asciiTable.load(std::memory_order_relaxed) == m_table) return true;
        for (int c = 0; c < 256; ++c) {
            if (isPrint(static_cast<unsigned char>(c)) != (c >= 0x20 && c < 0x7F)) return false;
        }
        s_asciiTable.store(m_table, std::memory_order_relaxed);
        return true;
    }

private:
    const unsigned short* m_table;
#else
    bool isPrint(unsigned char c) const { return std::isprint(c) != 0; }
    bool isControl(unsigned char c) const { return std::iscntrl(c) != 0; }
    bool printsExactlyAscii() const { return false; }
#endif
};

}  // namespace nKoVeskLog210
