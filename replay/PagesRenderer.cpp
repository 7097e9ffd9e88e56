#include "replay/PagesRenderer.h"

#include <cstring>
#include <vector>

#include "host/HostSideServices.h"

namespace vesk::replay {

namespace {

// The VISA page files, as the record names them (relative to the host's
// installation; ShowProperties hands out full paths ending so).
constexpr char kInputPage[] = "PropPagesVisa.pxb/Visa_Input.pxv";
constexpr char kOutputPage[] = "PropPagesVisa.pxb/Visa_Output.pxv";
constexpr char kBufferPage[] = "PropPagesVisa.pxb/Visa_Buffer.pxv";

// Help-button states as the input page's entry point reports them.
const char* buttonStateName(int32_t state) {
    switch (state) {
        case 0: return "none";
        case 1: return "unknown";
        case 2: return "known";
        default: return nullptr;
    }
}

bool endsWith(const StringBase& text, const char* suffix) {
    const size_t length = std::strlen(suffix);
    return text.length() >= length &&
           std::memcmp(text.c_str() + text.length() - length, suffix, length) == 0;
}

bool offers(const std::vector<StringBase>& pages, const char* page) {
    for (const StringBase& path : pages) {
        if (endsWith(path, page)) return true;
    }
    return false;
}

// The runtime's string handles of one page request; released on scope exit.
class StringHandle {
public:
    StringHandle() : m_handle(PlexaNewString()) {}
    ~StringHandle() { PlexaDisposeString(m_handle); }
    StringHandle(const StringHandle&) = delete;
    StringHandle& operator=(const StringHandle&) = delete;
    HStr** get() const { return m_handle; }

private:
    HStr** m_handle;
};

class StringArrayHandle {
public:
    StringArrayHandle() : m_handle(PlexaNewStringArray()) {}
    ~StringArrayHandle() { PlexaDisposeStringArray(m_handle); }
    StringArrayHandle(const StringArrayHandle&) = delete;
    StringArrayHandle& operator=(const StringArrayHandle&) = delete;
    HStrArray** get() const { return m_handle; }
    int32_t count() const { return m_handle && *m_handle ? (*m_handle)->cnt : 0; }
    HStr** element(int32_t index) const { return (*m_handle)->elt[index]; }

private:
    HStrArray** m_handle;
};

void appendHandle(OutputBuffer& out, HStr** handle) {
    if (handle && *handle && (*handle)->cnt > 0) {
        out.Append((*handle)->str, static_cast<size_t>((*handle)->cnt));
    }
}

void appendElement(OutputBuffer& out, const StringArrayHandle& array, int32_t index) {
    if (index < array.count()) appendHandle(out, array.element(index));
}

// "  NAME = VALUE" per row of two parallel lists.
void appendRows(OutputBuffer& out, const StringArrayHandle& names,
                const StringArrayHandle& values) {
    const int32_t rows = names.count() > values.count() ? names.count() : values.count();
    for (int32_t row = 0; row < rows; ++row) {
        out.Append("  ");
        appendElement(out, names, row);
        out.Append(" = ");
        appendElement(out, values, row);
        out.Append('\n');
    }
}

// The host's current property call, reset when the pages are closed (also
// when the plug-in throws).
class OpenProperties {
public:
    explicit OpenProperties(IKoVeskCall& record) {
        VeskClasses_ListCtrl_SetCurrentPropertyCall(&record);
    }
    ~OpenProperties() { VeskClasses_ListCtrl_SetCurrentPropertyCall(nullptr); }
    OpenProperties(const OpenProperties&) = delete;
    OpenProperties& operator=(const OpenProperties&) = delete;
};

}  // namespace

void PagesRenderer::renderInputPage(OutputBuffer& out) {
    StringArrayHandle names, values;
    m_entryPoints.inputGetParamData(names.get(), values.get());
    out.Append("input:\n");
    appendRows(out, names, values);
    // Preset to a value outside the states: an entry point that writes
    // nothing shows as that number rather than as a plausible state.
    int32_t attributeButton = -1, eventButton = -1;
    m_entryPoints.inputGetButtonData(&attributeButton, &eventButton);
    out.Append("buttons: attribute=");
    if (const char* name = buttonStateName(attributeButton)) out.Append(name);
    else out.AppendDecimal(attributeButton);
    out.Append(" event=");
    if (const char* name = buttonStateName(eventButton)) out.Append(name);
    else out.AppendDecimal(eventButton);
    out.Append('\n');
}

void PagesRenderer::renderOutputPage(OutputBuffer& out) {
    StringArrayHandle names, values;
    m_entryPoints.outputGetParamData(names.get(), values.get());
    out.Append("output:\n");
    appendRows(out, names, values);
    StringHandle value, description;
    m_entryPoints.outputGetRetvalData(value.get(), description.get());
    out.Append("return value: ");
    appendHandle(out, value.get());
    out.Append("\ndescription: ");
    appendHandle(out, description.get());
    out.Append('\n');
}

void PagesRenderer::renderBufferPage(OutputBuffer& out) {
    StringArrayHandle names;
    m_entryPoints.bufferGetBufferData(names.get());
    out.Append("buffers: ");
    for (int32_t i = 0; i < names.count(); ++i) {
        if (i > 0) out.Append("; ");
        appendElement(out, names, i);
    }
    out.Append('\n');
    // One dump per buffer the page's choice list offers.
    for (int32_t i = 0; i < names.count(); ++i) {
        StringHandle heading;
        StringArrayHandle lines;
        m_entryPoints.bufferGetParamData(i, heading.get(), lines.get());
        out.Append("buffer ");
        out.AppendDecimal(i);
        out.Append(' ');
        appendElement(out, names, i);
        out.Append(": ");
        appendHandle(out, heading.get());
        out.Append('\n');
        for (int32_t line = 0; line < lines.count(); ++line) {
            out.Append("  ");
            appendElement(out, lines, line);
            out.Append('\n');
        }
    }
}

void PagesRenderer::Render(uint64_t number, IKoVeskCall& record, const CapturedCall&,
                           OutputBuffer& out) {
    const OpenProperties open(record);
    StringBase title;
    std::vector<StringBase> pages;
    record.ShowProperties(title, pages);

    out.Append("call ");
    out.AppendDecimal(static_cast<int64_t>(number));
    out.Append(": ");
    out.Append(title.c_str(), title.length());
    out.Append("\npages: ");
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) out.Append("; ");
        out.Append(pages[i].c_str(), pages[i].length());
    }
    out.Append('\n');
    if (offers(pages, kInputPage)) renderInputPage(out);
    if (offers(pages, kOutputPage)) renderOutputPage(out);
    if (offers(pages, kBufferPage)) renderBufferPage(out);
    out.Append('\n');
}

}  // namespace vesk::replay
