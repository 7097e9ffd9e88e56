// Opens a call's property pages as the host does and hands what the
// plug-in fills into them to a sink, page by page.
//
// The record's ShowProperties names the window title and the page files;
// for each VISA page it offers, the reader makes the record the host's
// current property call and calls the page's entry points in the order the
// page files do: the input page's rows and help buttons, the output page's
// rows and return value, the buffer page's list of buffers and then the
// dump of each. A sink that wants the pages as text, JSON or anything else
// implements tPageSink; the reader owns the runtime's handles, which a sink
// may read only while its operation runs (the reader empties and reuses
// them afterwards).
#pragma once

#include <cstdint>
#include <vector>

#include "host/IKoVeskCall.h"
#include "replay/PluginLoader.h"
#include "replay/RuntimeHandles.h"

namespace vesk::replay {

// Help-button states as the input page's entry point reports them; -1 when
// it wrote none.
enum class eHelpButton : int32_t { NotWritten = -1, None = 0, UnknownName = 1, KnownName = 2 };

class tPageSink {
public:
    virtual ~tPageSink();
    // The window: its title and every page file the record named.
    virtual void Window(const StringBase& title, const std::vector<StringBase>& pages) = 0;
    // The input page: two parallel lists of row names and values, and the
    // states of the attribute and event help buttons (as 32-bit integers:
    // an entry point may write any value).
    virtual void InputPage(const StringArrayHandle& names, const StringArrayHandle& values,
                           int32_t attributeButton, int32_t eventButton) = 0;
    // The output page: rows as above, the return value and its description.
    virtual void OutputPage(const StringArrayHandle& names, const StringArrayHandle& values,
                            const StringHandle& returnValue, const StringHandle& description) = 0;
    // The buffer page's choice list, then each buffer's heading and dump
    // lines in the order of that list.
    virtual void BufferList(const StringArrayHandle& names) = 0;
    virtual void Buffer(int32_t index, std::string_view name, const StringHandle& heading,
                        const StringArrayHandle& lines) = 0;
};

class PropertyPageReader {
public:
    explicit PropertyPageReader(const PluginEntryPoints& entryPoints) : m_entryPoints(entryPoints) {}

    // Reads the pages of `record` into `sink`. Throws std::runtime_error,
    // "ENTRY POINT: REASON", when a page entry point reports that it could
    // not fill its page; exceptions of the record's ShowProperties and of
    // the sink pass through. The current property call is reset whatever
    // happens. One thread at a time: the current property call is the
    // host's, one for the process.
    void Read(IKoVeskCall& record, tPageSink& sink) const;

private:
    void readInputPage(tPageSink& sink) const;
    void readOutputPage(tPageSink& sink) const;
    void readBufferPage(tPageSink& sink) const;
    void throwIfPageFailed() const;

    // The handles the entry points fill, kept from call to call as the
    // host's pages keep theirs (the runtime's memory behind them is reused),
    // and emptied once read.
    struct tHandles {
        StringArrayHandle names, values;
        StringHandle value, description;
        StringArrayHandle bufferNames;
        StringHandle heading;
        StringArrayHandle lines;
    };

    const PluginEntryPoints& m_entryPoints;
    mutable tHandles m_handles;
    mutable StringBase m_title;              // the window's title
    mutable std::vector<StringBase> m_pages;  // the window's page files
    mutable StringBase m_failure;  // scratch for the failures reported
};

}  // namespace vesk::replay
