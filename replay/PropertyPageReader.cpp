#include "replay/PropertyPageReader.h"

#include <cstring>
#include <stdexcept>

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

void PropertyPageReader::readInputPage(tPageSink& sink) const {
    StringArrayHandle names, values;
    m_entryPoints.inputGetParamData(names.Get(), values.Get());
    throwIfPageFailed();
    // Preset to a value outside the states, so that an entry point that
    // writes nothing shows as such rather than as a plausible state.
    int32_t attributeButton = static_cast<int32_t>(eHelpButton::NotWritten);
    int32_t eventButton = static_cast<int32_t>(eHelpButton::NotWritten);
    m_entryPoints.inputGetButtonData(&attributeButton, &eventButton);
    throwIfPageFailed();
    sink.InputPage(names, values, attributeButton, eventButton);
}

void PropertyPageReader::readOutputPage(tPageSink& sink) const {
    StringArrayHandle names, values;
    m_entryPoints.outputGetParamData(names.Get(), values.Get());
    throwIfPageFailed();
    StringHandle value, description;
    m_entryPoints.outputGetRetvalData(value.Get(), description.Get());
    throwIfPageFailed();
    sink.OutputPage(names, values, value, description);
}

void PropertyPageReader::readBufferPage(tPageSink& sink) const {
    StringArrayHandle names;
    m_entryPoints.bufferGetBufferData(names.Get());
    throwIfPageFailed();
    sink.BufferList(names);
    // One dump per buffer the page's choice list offers, each released
    // before the next is made.
    for (int32_t i = 0; i < names.Count(); ++i) {
        StringHandle heading;
        StringArrayHandle lines;
        m_entryPoints.bufferGetParamData(i, heading.Get(), lines.Get());
        throwIfPageFailed();
        sink.Buffer(i, names.Text(i), heading, lines);
    }
}

void PropertyPageReader::Read(IKoVeskCall& record, tPageSink& sink) const {
    const OpenProperties open(record, m_failure);
    StringBase title;
    std::vector<StringBase> pages;
    record.ShowProperties(title, pages);
    sink.Window(title, pages);
    if (offers(pages, kInputPage)) readInputPage(sink);
    if (offers(pages, kOutputPage)) readOutputPage(sink);
    if (offers(pages, kBufferPage)) readBufferPage(sink);
}

}  // namespace vesk::replay
