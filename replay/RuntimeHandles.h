// Owners of the graphical runtime's string handles that the host program
// passes to the plug-in's page entry points, and read-only views of what
// the entry points put into them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "host/CVeskUtility.h"
#include "host/Plexa.h"

namespace vesk::replay {

// The text of a string handle; empty for a null or empty handle.
inline std::string_view HandleText(HStr** handle) {
    if (!handle || !*handle || (*handle)->cnt <= 0) return {};
    return {(*handle)->str, static_cast<size_t>((*handle)->cnt)};
}

// A new empty string handle, released with its owner.
class StringHandle {
public:
    StringHandle() : m_handle(PlexaNewString()) {}
    ~StringHandle() { PlexaDisposeString(m_handle); }
    StringHandle(const StringHandle&) = delete;
    StringHandle& operator=(const StringHandle&) = delete;

    HStr** Get() const { return m_handle; }
    std::string_view Text() const { return HandleText(m_handle); }
    // Empty again, the handle kept for the next page.
    void Empty() {
        static const StringBase kEmpty;
        CVeskUtility::StringToPlexa(kEmpty, m_handle);
    }

private:
    HStr** m_handle;
};

// A new empty string-array handle, released with its owner and its elements.
class StringArrayHandle {
public:
    StringArrayHandle() : m_handle(PlexaNewStringArray()) {}
    ~StringArrayHandle() { PlexaDisposeStringArray(m_handle); }
    StringArrayHandle(const StringArrayHandle&) = delete;
    StringArrayHandle& operator=(const StringArrayHandle&) = delete;

    HStrArray** Get() const { return m_handle; }
    // No elements again, the handle kept for the next page.
    void Empty() { CVeskUtility::StringToPlexa(std::vector<StringBase>(), m_handle); }
    int32_t Count() const { return m_handle && *m_handle && (*m_handle)->cnt > 0 ? (*m_handle)->cnt : 0; }
    // Element `index`; empty past the end.
    std::string_view Text(int32_t index) const {
        return index >= 0 && index < Count() ? HandleText((*m_handle)->elt[index]) : std::string_view();
    }

private:
    HStrArray** m_handle;
};

}  // namespace vesk::replay
