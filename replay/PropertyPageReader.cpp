#include "replay/PropertyPageReader.h"

#include <cstring>
#include <stdexcept>
#include <tuple>

#include "host/HostSideServices.h"

namespace vesk::replay {

namespace {

// The VISA page files, as the record names them (relative to the host's
// installation; ShowProperties hands out full paths ending so).
constexpr char kInputPage[] = "PropPagesVisa.pxb/Visa_Input.pxv";
constexpr char kOutputPage[] = "PropPagesVisa.pxb/Visa_Output.pxv";
constexpr char kBufferPage[] = "PropPagesVisa.pxb/Visa_Buffer.pxv";

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

// The host's current property call, reset when the pages are closed (also
// when the plug-in or a sink throws).
class OpenProperties {
public:
    OpenProperties(IKoVeskCall& record, StringBase& failure) {
        VeskClasses_ListCtrl_SetCurrentPropertyCall(&record);
        // A report left by an earlier page is not this one's.
        nKoVeskHost::TakePropertyPageFailure(failure);
    }
    ~OpenProperties() { VeskClasses_ListCtrl_SetCurrentPropertyCall(nullptr); }
    OpenProperties(const OpenProperties&) = delete;
    OpenProperties& operator=(const OpenProperties&) = delete;
};

}  // namespace

// Throws what a page entry point reported it could not do, so that the
// caller reports the call instead of showing an empty page. The one string
// is reused: pages are read millions of times and fail almost never.
void PropertyPageReader::throwIfPageFailed() const {
    if (nKoVeskHost::TakePropertyPageFailure(m_failure)) throw std::runtime_error(m_failure.c_str());
}

tPageSink::~tPageSink() = default;

namespace {

// Empties the handles once the sink has read them (also when it throws), so
// that an entry point that writes nothing shows an empty page, as on a page
// opened anew.
template <class... Handles>
class EmptiedAfterUse {
public:
    explicit EmptiedAfterUse(Handles&... handles) : m_handles(handles...) {}
    ~EmptiedAfterUse() {
        try {
            std::apply([](Handles&... handles) { (handles.Empty(), ...); }, m_handles);
        } catch (...) {
            // Out of memory making an empty string: the next fill replaces
            // the text all the same.
        }
    }
    EmptiedAfterUse(const EmptiedAfterUse&) = delete;
    EmptiedAfterUse& operator=(const EmptiedAfterUse&) = delete;

private:
    std::tuple<Handles&...> m_handles;
};

}  // namespace

void PropertyPageReader::readInputPage(tPageSink& sink) const {
    tHandles& h = m_handles;
    const EmptiedAfterUse<StringArrayHandle, StringArrayHandle> emptied(h.names, h.values);
    m_entryPoints.inputGetParamData(h.names.Get(), h.values.Get());
    throwIfPageFailed();
    // Preset to a value outside the states, so that an entry point that
    // writes nothing shows as such rather than as a plausible state.
    int32_t attributeButton = static_cast<int32_t>(eHelpButton::NotWritten);
    int32_t eventButton = static_cast<int32_t>(eHelpButton::NotWritten);
    m_entryPoints.inputGetButtonData(&attributeButton, &eventButton);
    throwIfPageFailed();
    sink.InputPage(h.names, h.values, attributeButton, eventButton);
}

void PropertyPageReader::readOutputPage(tPageSink& sink) const {
    tHandles& h = m_handles;
    const EmptiedAfterUse<StringArrayHandle, StringArrayHandle, StringHandle, StringHandle> emptied(
        h.names, h.values, h.value, h.description);
    m_entryPoints.outputGetParamData(h.names.Get(), h.values.Get());
    throwIfPageFailed();
    m_entryPoints.outputGetRetvalData(h.value.Get(), h.description.Get());
    throwIfPageFailed();
    sink.OutputPage(h.names, h.values, h.value, h.description);
}

void PropertyPageReader::readBufferPage(tPageSink& sink) const {
    tHandles& h = m_handles;
    const EmptiedAfterUse<StringArrayHandle> emptiedNames(h.bufferNames);
    m_entryPoints.bufferGetBufferData(h.bufferNames.Get());
    throwIfPageFailed();
    sink.BufferList(h.bufferNames);
    // One dump per buffer the page's choice list offers, each emptied
    // before the next is made.
    for (int32_t i = 0; i < h.bufferNames.Count(); ++i) {
        const EmptiedAfterUse<StringHandle, StringArrayHandle> emptied(h.heading, h.lines);
        m_entryPoints.bufferGetParamData(i, h.heading.Get(), h.lines.Get());
        throwIfPageFailed();
        sink.Buffer(i, h.bufferNames.Text(i), h.heading, h.lines);
    }
}

void PropertyPageReader::Read(IKoVeskCall& record, tPageSink& sink) const {
    const OpenProperties open(record, m_failure);
    // The window opens anew: an empty title and no pages (the strings and
    // the list keep their memory from the call before).
    m_title.erase();
    m_pages.clear();
    record.ShowProperties(m_title, m_pages);
    sink.Window(m_title, m_pages);
    if (offers(m_pages, kInputPage)) readInputPage(sink);
    if (offers(m_pages, kOutputPage)) readOutputPage(sink);
    if (offers(m_pages, kBufferPage)) readBufferPage(sink);
}

}  // namespace vesk::replay
