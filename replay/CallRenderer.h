// Renders the calls of an indexed capture as the browser view's JSON: a
// row of the call list, a call's property pages, text export or XML
// element, and pages of a buffer's dump lines. Every text is the plug-in's,
// asked for through a record of the call and the page entry points as the
// host does, and converted from the narrow character set to UTF-8.
//
// One renderer serves one request at a time (it keeps the parser, the call
// and their allocations between calls); renderers of one capture share a
// CTraceContext, whose locks let them work in parallel where the plug-in
// allows it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>

#include "host/CProcThreadInfo.h"
#include "host/IKoVeskCall.h"
#include "replay/CallParser.h"
#include "replay/CallViews.h"
#include "replay/CaptureIndex.h"
#include "replay/CapturedCall.h"
#include "replay/HostRecord.h"
#include "replay/JsonWriter.h"
#include "replay/PluginLoader.h"
#include "replay/TimeStamp.h"
#include "replay/TraceQuery.h"
#include "replay/Utf8Converter.h"

namespace vesk::replay {

// What the renderers of one capture share.
class CTraceContext {
public:
    // `exportUse` is the text export's use; every argument outlives the context.
    CTraceContext(const PluginEntryPoints& entryPoints, const CCaptureIndex& index,
                  IKoVeskCall::eCallExportUse exportUse)
        : m_entryPoints(entryPoints), m_index(index), m_exportUse(exportUse) {}

    const PluginEntryPoints& EntryPoints() const { return m_entryPoints; }
    const CCaptureIndex& Index() const { return m_index; }
    IKoVeskCall::eCallExportUse ExportUse() const { return m_exportUse; }
    // The property pages are read by one renderer at a time: the page entry
    // points find their record through the host's current property call,
    // one for the process.
    std::mutex& PagesMutex() { return m_pagesMutex; }
    // Rendering a time stamp sets the process's time locale, which must not
    // race with any other rendering: calls with time stamps take this lock
    // alone, all others share it. Taken after PagesMutex.
    std::shared_mutex& LocaleMutex() { return m_localeMutex; }

private:
    const PluginEntryPoints& m_entryPoints;
    const CCaptureIndex& m_index;
    IKoVeskCall::eCallExportUse m_exportUse;
    std::mutex m_pagesMutex;
    std::shared_mutex m_localeMutex;
};

// The parts of a call's details.
struct tCallParts {
    bool pages = false;
    bool text = false;  // the text export
    bool xml = false;
};

class CCallRenderer : public ICallMatcher {
public:
    explicit CCallRenderer(CTraceContext& context);
    ~CCallRenderer() override;
    CCallRenderer(const CCallRenderer&) = delete;
    CCallRenderer& operator=(const CCallRenderer&) = delete;

    // Reads and parses call `number` (1 to the index's Calls()). False,
    // with Error() set, when its line is no well-formed call or cannot be
    // read; the call can still be written, as its error.
    bool Load(uint64_t number);
    const std::string& Error() const { return m_error; }

    // The loaded call as a row of the call list: {"number": N, ...} with
    // its summary, or {"number": N, "error": MESSAGE}.
    void WriteRow(CJsonWriter& json);
    // The loaded call's summary and `parts`, at most `dumpLines` lines of
    // each dump and of the text export; a part the plug-in cannot render is
    // {"error": MESSAGE}. False when the call itself could not be rendered
    // and {"number": N, "error": MESSAGE} was written instead.
    bool WriteCall(CJsonWriter& json, const tCallParts& parts, uint32_t dumpLines);
    // Lines of one buffer's dump on the buffer page: {"number": N,
    // "buffer": {...}}, or {"number": N, "error": MESSAGE} when the call
    // cannot be rendered. False, writing nothing, with Error() set, when
    // the call has no such buffer.
    bool WriteBuffer(CJsonWriter& json, int32_t buffer, uint64_t first, uint32_t count);

    bool Matches(uint64_t number, std::string_view line, const tTraceFilter& filter) override;

private:
    class RenderLock;

    // A record of the loaded call, ingested and described as the host does.
    RecordPtr makeRecord();
    bool hasTimeStamps() const;
    void writeSummary(CJsonWriter& json, IKoVeskCall& record);
    void writeError(CJsonWriter& json);
    // One part as a JSON value, or {"error": MESSAGE} when the plug-in fails.
    void writePages(CJsonWriter& json, IKoVeskCall& record, uint32_t dumpLines);
    void writeText(CJsonWriter& json, IKoVeskCall& record, uint32_t dumpLines);
    void writeXml(CJsonWriter& json, IKoVeskCall& record);
    // Runs `write` into a string of its own and appends it as `key`'s
    // value; a failure leaves {"error": MESSAGE} instead.
    template <class Write>
    void writePart(CJsonWriter& json, const char* key, Write write);

    CTraceContext& m_context;
    CallParser m_parser;
    CapturedCall m_call;
    CProcThreadInfo m_threadInfo;
    CUtf8Converter m_converter;
    LocalTimeFormatter m_localTime;
    std::string m_line;  // the call's line with the parser's padding
    uint64_t m_number = 0;
    bool m_loaded = false;
    std::string m_error;
};

}  // namespace vesk::replay
