#include "replay/CallRenderer.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <stdexcept>
#include <vector>

#include "replay/CallFilter.h"
#include "replay/OutputBuffer.h"
#include "replay/PropertyPageReader.h"
#include "replay/XmlRenderer.h"

namespace vesk::replay {

namespace {

// The data type code of an absolute time stamp, the one rendering that
// sets the process's time locale.
constexpr int kTimeStampTypeCode = 108;

// Why rendering failed, in the words of the replay's diagnostics; called
// inside a catch block.
std::string failureMessage() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return "out of memory while rendering the call";
    } catch (const std::exception& failure) {
        return std::string("the plug-in raised an exception while rendering the call: ") + failure.what();
    } catch (...) {
        return "the plug-in raised an unknown exception while rendering the call";
    }
}

bool loggerHasTimeStamps(const IKoVeskLogger& logger) {
    const int count = logger.GetParamCount();
    for (int i = 0; i < count; ++i) {
        int type = 0;
        logger.GetParamType(i, &type);
        if (type == kTimeStampTypeCode) return true;
    }
    return false;
}

std::string_view textOf(const StringBase& text) { return {text.c_str(), text.length()}; }

// A help button's state as the text pages show it.
void writeButton(CJsonWriter& json, int32_t state) {
    switch (static_cast<eHelpButton>(state)) {
        case eHelpButton::None: json.String("none"); return;
        case eHelpButton::UnknownName: json.String("unknown"); return;
        case eHelpButton::KnownName: json.String("known"); return;
        default: json.String(std::to_string(state)); return;
    }
}

// The pages as JSON (the text pages' content, in members):
//   {"title", "files": [...], "input": {"rows": [{"name", "value"}...],
//    "attributeButton", "eventButton"}, "output": {"rows", "returnValue",
//    "returnDescription"}, "buffers": [{"index", "name", "heading",
//    "lineCount", "first", "lines": [...]}...]}
// with at most `dumpLines` lines of each dump.
class JsonPageSink : public tPageSink {
public:
    JsonPageSink(CJsonWriter& json, uint32_t dumpLines) : m_json(json), m_dumpLines(dumpLines) {}

    void Window(const StringBase& title, const std::vector<StringBase>& pages) override {
        m_json.BeginObject();
        m_json.Key("title");
        m_json.NarrowString(textOf(title));
        m_json.Key("files");
        m_json.BeginArray();
        for (const StringBase& page : pages) m_json.NarrowString(textOf(page));
        m_json.EndArray();
    }

    void InputPage(const StringArrayHandle& names, const StringArrayHandle& values,
                   int32_t attributeButton, int32_t eventButton) override {
        m_json.Key("input");
        m_json.BeginObject();
        writeRows(names, values);
        m_json.Key("attributeButton");
        writeButton(m_json, attributeButton);
        m_json.Key("eventButton");
        writeButton(m_json, eventButton);
        m_json.EndObject();
    }

    void OutputPage(const StringArrayHandle& names, const StringArrayHandle& values,
                    const StringHandle& returnValue, const StringHandle& description) override {
        m_json.Key("output");
        m_json.BeginObject();
        writeRows(names, values);
        m_json.Key("returnValue");
        m_json.NarrowString(returnValue.Text());
        m_json.Key("returnDescription");
        m_json.NarrowString(description.Text());
        m_json.EndObject();
    }

    void BufferList(const StringArrayHandle&) override {
        m_json.Key("buffers");
        m_json.BeginArray();
        m_buffersOpen = true;
    }

    void Buffer(int32_t index, std::string_view name, const StringHandle& heading,
                const StringArrayHandle& lines) override {
        WriteBuffer(m_json, index, name, heading, lines, 0, m_dumpLines);
    }

    // Closes what the pages opened.
    void Finish() {
        if (m_buffersOpen) m_json.EndArray();
        m_json.EndObject();
    }

    // One buffer as an object: "index", "name", "heading", "lineCount",
    // "first" and the lines from `first`, at most `count`.
    static void WriteBuffer(CJsonWriter& json, int32_t index, std::string_view name,
                            const StringHandle& heading, const StringArrayHandle& lines,
                            uint64_t first, uint32_t count) {
        json.BeginObject();
        json.Key("index");
        json.Number(index);
        json.Key("name");
        json.NarrowString(name);
        json.Key("heading");
        json.NarrowString(heading.Text());
        WriteLines(json, lines, first, count);
        json.EndObject();
    }

    // "lineCount", "first" and the lines from `first`, at most `count`.
    static void WriteLines(CJsonWriter& json, const StringArrayHandle& lines, uint64_t first, uint32_t count) {
        const auto total = static_cast<uint64_t>(lines.Count());
        json.Key("lineCount");
        json.Number(total);
        json.Key("first");
        json.Number(first);
        json.Key("lines");
        json.BeginArray();
        for (uint64_t line = first; line < total && line - first < count; ++line) {
            json.NarrowString(lines.Text(static_cast<int32_t>(line)));
        }
        json.EndArray();
    }

private:
    // Rows of two parallel lists, as long as the longer one.
    void writeRows(const StringArrayHandle& names, const StringArrayHandle& values) {
        const int32_t rows = names.Count() > values.Count() ? names.Count() : values.Count();
        m_json.Key("rows");
        m_json.BeginArray();
        for (int32_t row = 0; row < rows; ++row) {
            m_json.BeginObject();
            m_json.Key("name");
            m_json.NarrowString(names.Text(row));
            m_json.Key("value");
            m_json.NarrowString(values.Text(row));
            m_json.EndObject();
        }
        m_json.EndArray();
    }

    CJsonWriter& m_json;
    uint32_t m_dumpLines;
    bool m_buffersOpen = false;
};

// Only one buffer's lines, from the whole pages the reader walks through.
class JsonBufferSink : public tPageSink {
public:
    JsonBufferSink(CJsonWriter& json, int32_t wanted, uint64_t first, uint32_t count)
        : m_json(json), m_wanted(wanted), m_first(first), m_count(count) {}

    void Window(const StringBase&, const std::vector<StringBase>&) override {}
    void InputPage(const StringArrayHandle&, const StringArrayHandle&, int32_t, int32_t) override {}
    void OutputPage(const StringArrayHandle&, const StringArrayHandle&, const StringHandle&,
                    const StringHandle&) override {}
    void BufferList(const StringArrayHandle& names) override { m_buffers = names.Count(); }

    void Buffer(int32_t index, std::string_view name, const StringHandle& heading,
                const StringArrayHandle& lines) override {
        if (index != m_wanted) return;
        m_json.Key("buffer");
        JsonPageSink::WriteBuffer(m_json, index, name, heading, lines, m_first, m_count);
        m_found = true;
    }

    bool Found() const { return m_found; }
    int32_t Buffers() const { return m_buffers; }

private:
    CJsonWriter& m_json;
    int32_t m_wanted;
    uint64_t m_first;
    uint32_t m_count;
    int32_t m_buffers = 0;
    bool m_found = false;
};

// The text of an open_memstream stream, released with its owner.
class MemoryStream {
public:
    MemoryStream() : m_stream(open_memstream(&m_data, &m_size)) {
        if (!m_stream) throw std::bad_alloc();
    }
    ~MemoryStream() {
        if (m_stream) std::fclose(m_stream);
        std::free(m_data);
    }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    std::FILE* Stream() const { return m_stream; }
    // Closes the stream; its text stays until the owner goes.
    std::string_view Close() {
        std::fclose(m_stream);
        m_stream = nullptr;
        return {m_data ? m_data : "", m_size};
    }

private:
    char* m_data = nullptr;
    size_t m_size = 0;
    std::FILE* m_stream;
};

// The XML element of one call, cut out of the document --xml writes with
// it: from the start of the line of "<call " to the end of "</call>".
std::string_view callElement(std::string_view document) {
    const size_t open = document.find("<call ");
    const size_t close = document.rfind("</call>");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return document;
    const size_t lineStart = document.rfind('\n', open);
    const size_t start = lineStart == std::string_view::npos ? open : lineStart + 1;
    return document.substr(start, close + 7 - start);
}

// The longest XML element shown; a longer one is cut at a character.
constexpr size_t kMaxXmlBytes = size_t{1} << 20;

}  // namespace

// Shared for most calls, alone for a call with time stamps.
class CCallRenderer::RenderLock {
public:
    RenderLock(std::shared_mutex& mutex, bool alone) : m_shared(mutex, std::defer_lock), m_alone(mutex, std::defer_lock) {
        if (alone) {
            m_alone.lock();
        } else {
            m_shared.lock();
        }
    }

private:
    std::shared_lock<std::shared_mutex> m_shared;
    std::unique_lock<std::shared_mutex> m_alone;
};


CCallRenderer::CCallRenderer(CTraceContext& context) : m_context(context) {}

CCallRenderer::~CCallRenderer() = default;

bool CCallRenderer::Load(uint64_t number) {
    m_number = number;
    m_loaded = false;
    m_error.clear();
    std::string_view line;
    if (!m_context.Index().ReadLine(number, m_line, line, m_error)) return false;
    try {
        if (!m_parser.Parse(line.data(), line.size(), m_call)) {
            m_error = m_parser.Error();
            return false;
        }
    } catch (const std::bad_alloc&) {
        m_call.Clear();
        m_error = "out of memory reading the call";
        return false;
    }
    m_loaded = true;
    return true;
}

bool CCallRenderer::hasTimeStamps() const {
    return loggerHasTimeStamps(m_call.input) || (m_call.hasOutput && loggerHasTimeStamps(m_call.output));
}

RecordPtr CCallRenderer::makeRecord() { return MakeRecord(m_context.EntryPoints(), m_call, m_threadInfo); }

void CCallRenderer::writeSummary(CJsonWriter& json, IKoVeskCall& record) {
    // The status column is empty for a call that has not returned.
    const StringBase status = record.FormatColumnText(IKoVeskCall::eColumnStatus);
    const StringBase& description = record.GetDescription();
    json.Key("number");
    json.Number(m_number);
    if (m_call.hasTime) {
        char text[kTimeStampTextSize];
        json.Key("time");
        json.String({text, m_localTime.Format(m_call.time, text)});
    }
    if (m_call.hasDuration) {
        // Milliseconds, as --timing shows them.
        char text[kMillisecondsTextSize];
        json.Key("duration");
        json.String({text, FormatMilliseconds(m_call.durationSeconds, text)});
    }
    if (m_call.hasThread) {
        json.Key("thread");
        json.Number(m_call.thread);
    }
    if (m_call.hasProcess) {
        json.Key("process");
        json.Number(m_call.process);
    }
    json.Key("function");
    json.NarrowString(m_call.input.GetFunctionName() ? m_call.input.GetFunctionName() : "");
    json.Key("status");
    json.NarrowString(textOf(status));
    json.Key("description");
    json.NarrowString(textOf(description));
    json.Key("failed");
    json.Bool(CallFailed(m_call));
    json.Key("sessions");
    json.BeginArray();
    for (const uint64_t handle : CallSessions(m_call)) json.Number(handle);
    json.EndArray();
}

void CCallRenderer::writeError(CJsonWriter& json) {
    json.BeginObject();
    json.Key("number");
    json.Number(m_number);
    json.Key("error");
    json.String(m_converter.Convert(m_error));
    json.EndObject();
}

void CCallRenderer::WriteRow(CJsonWriter& json) {
    const tCallParts none;
    WriteCall(json, none, 0);
}

bool CCallRenderer::WriteCall(CJsonWriter& json, const tCallParts& parts, uint32_t dumpLines) {
    std::string summary;
    CJsonWriter summaryJson(summary, &m_converter);
    RecordPtr record;
    if (m_loaded) {
        try {
            const RenderLock lock(m_context.LocaleMutex(), hasTimeStamps());
            record = makeRecord();
            summaryJson.BeginObject();
            writeSummary(summaryJson, *record);
        } catch (...) {
            record.reset();
            m_error = failureMessage();
        }
    }
    if (!record) {
        writeError(json);
        return false;
    }
    json.BeginObject();
    json.RawMembers(std::string_view(summary).substr(1));
    if (parts.pages) writePart(json, "pages", [&](CJsonWriter& part) { writePages(part, *record, dumpLines); });
    if (parts.text) writePart(json, "export", [&](CJsonWriter& part) { writeText(part, *record, dumpLines); });
    if (parts.xml) writePart(json, "xml", [&](CJsonWriter& part) { writeXml(part, *record); });
    json.EndObject();
    return true;
}

template <class Write>
void CCallRenderer::writePart(CJsonWriter& json, const char* key, Write write) {
    std::string text;
    CJsonWriter part(text, &m_converter);
    try {
        write(part);
    } catch (...) {
        text.clear();
        CJsonWriter failure(text, &m_converter);
        failure.BeginObject();
        failure.Key("error");
        failure.String(m_converter.Convert(failureMessage()));
        failure.EndObject();
    }
    json.Key(key);
    json.RawValue(text);
}

void CCallRenderer::writePages(CJsonWriter& json, IKoVeskCall& record, uint32_t dumpLines) {
    const std::lock_guard<std::mutex> pages(m_context.PagesMutex());
    const RenderLock lock(m_context.LocaleMutex(), hasTimeStamps());
    JsonPageSink sink(json, dumpLines);
    PropertyPageReader(m_context.EntryPoints()).Read(record, sink);
    sink.Finish();
}

void CCallRenderer::writeText(CJsonWriter& json, IKoVeskCall& record, uint32_t dumpLines) {
    const RenderLock lock(m_context.LocaleMutex(), hasTimeStamps());
    // As the host does: ask for the count, give the record that many lines.
    const IKoVeskCall::eCallExportUse use = m_context.ExportUse();
    const int count = std::max(record.GetNumberOfLinesToExport(use), 0);
    std::vector<StringBase> lines(static_cast<size_t>(count));
    record.FormatForOutput(lines.data(), count, use);
    json.BeginObject();
    json.Key("use");
    json.Number(static_cast<int64_t>(use));
    json.Key("lineCount");
    json.Number(static_cast<uint64_t>(count));
    json.Key("lines");
    json.BeginArray();
    for (size_t i = 0; i < lines.size() && i < dumpLines; ++i) json.NarrowString(textOf(lines[i]));
    json.EndArray();
    json.EndObject();
}

void CCallRenderer::writeXml(CJsonWriter& json, IKoVeskCall& record) {
    MemoryStream stream;
    {
        const RenderLock lock(m_context.LocaleMutex(), hasTimeStamps());
        OutputBuffer out(stream.Stream());
        XmlRenderer renderer;
        renderer.Begin(out);
        renderer.Render(m_number, &record, m_call, out);
        renderer.End(out);
        if (!out.Flush()) throw std::bad_alloc();
    }
    const std::string_view element = callElement(stream.Close());
    size_t shown = std::min(element.size(), kMaxXmlBytes);
    // Not inside a UTF-8 sequence.
    while (shown < element.size() && shown > 0 && (static_cast<unsigned char>(element[shown]) & 0xC0) == 0x80) {
        --shown;
    }
    json.BeginObject();
    json.Key("size");
    json.Number(static_cast<uint64_t>(element.size()));
    json.Key("truncated");
    json.Bool(shown < element.size());
    json.Key("text");
    json.String(element.substr(0, shown));
    json.EndObject();
}

bool CCallRenderer::WriteBuffer(CJsonWriter& json, int32_t buffer, uint64_t first, uint32_t count) {
    std::string text;
    CJsonWriter part(text, &m_converter);
    if (m_loaded) {
        try {
            const std::lock_guard<std::mutex> pages(m_context.PagesMutex());
            const RenderLock lock(m_context.LocaleMutex(), hasTimeStamps());
            RecordPtr record = makeRecord();
            JsonBufferSink sink(part, buffer, first, count);
            PropertyPageReader(m_context.EntryPoints()).Read(*record, sink);
            if (!sink.Found()) {
                m_error = "call " + std::to_string(m_number) + " has no buffer " + std::to_string(buffer) +
                          " (it has " + std::to_string(sink.Buffers()) + ")";
                return false;
            }
        } catch (...) {
            m_loaded = false;
            m_error = failureMessage();
        }
    }
    if (!m_loaded) {
        writeError(json);
        return true;
    }
    json.BeginObject();
    json.Key("number");
    json.Number(m_number);
    json.RawMembers(text);
    json.EndObject();
    return true;
}

bool CCallRenderer::Matches(uint64_t number, std::string_view line, const tTraceFilter& filter) {
    m_number = number;
    m_loaded = false;
    try {
        if (!m_parser.Parse(line.data(), line.size(), m_call)) return false;
    } catch (const std::bad_alloc&) {
        m_call.Clear();
        return false;
    }
    if (!filter.calls.Matches(number, m_call)) return false;
    if (filter.text.empty()) return true;
    try {
        const RenderLock lock(m_context.LocaleMutex(), hasTimeStamps());
        const RecordPtr record = makeRecord();
        return ContainsFolded(m_converter.Convert(textOf(record->GetDescription())), filter.text);
    } catch (...) {
        return false;
    }
}

}  // namespace vesk::replay
