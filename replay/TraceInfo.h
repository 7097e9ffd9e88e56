// What the browser view's page learns of a capture before it asks for
// rows: the file, how far indexing has come, the lines that are no calls,
// the filter to start with and the limits of the requests. The same object
// answers GET /api/info and heads the data of an --html page.
#pragma once

#include <string>

#include "replay/CaptureIndex.h"
#include "replay/JsonWriter.h"
#include "replay/TraceQuery.h"

namespace vesk::replay {

struct tTraceSettings {
    std::string fileName;        // as given on the command line
    tCallFilter initialFilter;   // the command line's filters
    bool embedded = false;       // an --html page: everything is in it
    uint32_t embeddedDumpLines = kDefaultDumpLines;  // lines of each dump in it
};

// Writes the info object (replay/web/API.md describes it).
void WriteTraceInfo(CJsonWriter& json, const CCaptureIndex& index, const tTraceSettings& settings);

// The command line's filters as the filter box shows them: "A-B" or "A-"
// or "A", names joined by commas, a handle in hexadecimal, a thread id.
struct tFilterTexts {
    std::string calls, functions, session, thread;
    bool errors = false;
};
tFilterTexts FilterTexts(const tCallFilter& filter);

}  // namespace vesk::replay
