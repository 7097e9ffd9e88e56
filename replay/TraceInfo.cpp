#include "replay/TraceInfo.h"

#include <cstdio>
#include <limits>

namespace vesk::replay {

tFilterTexts FilterTexts(const tCallFilter& filter) {
    tFilterTexts texts;
    if (filter.firstCall != 1 || filter.lastCall != std::numeric_limits<uint64_t>::max()) {
        texts.calls = std::to_string(filter.firstCall);
        if (filter.lastCall == std::numeric_limits<uint64_t>::max()) {
            texts.calls += "-";
        } else if (filter.lastCall != filter.firstCall) {
            texts.calls += "-" + std::to_string(filter.lastCall);
        }
    }
    for (const std::string& function : filter.functions) {
        if (!texts.functions.empty()) texts.functions += ",";
        texts.functions += function;
    }
    if (filter.hasSession) {
        char handle[24];
        std::snprintf(handle, sizeof handle, "0x%llX", static_cast<unsigned long long>(filter.session));
        texts.session = handle;
    }
    if (filter.hasThread) texts.thread = std::to_string(filter.thread);
    texts.errors = filter.errorsOnly;
    return texts;
}

void WriteTraceInfo(CJsonWriter& json, const CCaptureIndex& index, const tTraceSettings& settings) {
    const CCaptureIndex::tProgress progress = index.Progress();
    json.BeginObject();
    json.Key("file");
    // A file name is bytes: shown as the narrow character set reads it.
    json.NarrowString(settings.fileName);
    json.Key("calls");
    json.Number(progress.calls);
    json.Key("complete");
    json.Bool(progress.complete);
    json.Key("failure");
    json.NarrowString(progress.failure);
    json.Key("hasTime");
    json.Bool(progress.anyTime);
    json.Key("hasDuration");
    json.Bool(progress.anyDuration);
    json.Key("diagnosticCount");
    json.Number(progress.diagnostics);
    json.Key("diagnostics");
    json.BeginArray();
    for (const CCaptureIndex::tDiagnostic& diagnostic : index.Diagnostics()) {
        json.BeginObject();
        json.Key("line");
        json.Number(diagnostic.line);
        json.Key("call");
        json.Number(diagnostic.call);
        json.Key("message");
        json.NarrowString(diagnostic.message);
        json.EndObject();
    }
    json.EndArray();
    const tFilterTexts filter = FilterTexts(settings.initialFilter);
    json.Key("filter");
    json.BeginObject();
    json.Member("calls", filter.calls);
    json.Key("errors");
    json.Bool(filter.errors);
    json.Key("function");
    json.NarrowString(filter.functions);
    json.Member("session", filter.session);
    json.Member("thread", filter.thread);
    json.Member("text", "");
    json.EndObject();
    json.Key("limits");
    json.BeginObject();
    json.Key("rows");
    json.Number(static_cast<uint64_t>(kMaxRowsPerRequest));
    json.Key("dumpLines");
    json.Number(static_cast<uint64_t>(settings.embedded ? settings.embeddedDumpLines : kMaxDumpLinesPerRequest));
    json.Key("text");
    json.Number(static_cast<uint64_t>(kMaxFilterTextBytes));
    json.EndObject();
    json.Key("embedded");
    json.Bool(settings.embedded);
    json.EndObject();
}

}  // namespace vesk::replay
