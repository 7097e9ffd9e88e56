// Fuzz target: the capture reader of vesk-replay. The input is a capture:
// parsed whole as one line (its call rendered through a record), then
// replayed as the program replays a file: the program's own loop over the
// capture reader, in one of its output modes (chosen by the input's length,
// so that the capture itself is not changed to choose it), with the plug-in
// linked in instead of loaded.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "call/CVISACall.h"
#include "entry/VeskEntryPoints.h"
#include "fuzz/FuzzHost.h"
#include "fuzz/FuzzSupport.h"
#include "replay/CallParser.h"
#include "replay/ExportRenderer.h"
#include "replay/ListRenderer.h"
#include "replay/OutputBuffer.h"
#include "replay/PagesRenderer.h"
#include "replay/Replay.h"
#include "replay/StatsRenderer.h"
#include "replay/XmlRenderer.h"

namespace kovesk_fuzz {
namespace {

using vesk::replay::CallParser;
using vesk::replay::CapturedCall;

struct RecordDeleter {
    void operator()(IKoVeskCall* record) const { delete record; }
};

void Render(CapturedCall& call) {
    CProcThreadInfo thread;
    const std::unique_ptr<IKoVeskCall, RecordDeleter> record(VeskNewCall());
    record->InitProcThreadInfo(&thread);
    bool handled = false;
    record->ProcessLoggerInput(&call.input, handled);
    Tolerating([&] { record->FormatCallDescriptionInput(); });
    if (call.hasOutput) {
        if (call.matching) {
            record->ProcessLoggerMatchingOutput(&call.output);
        } else {
            record->ProcessLoggerNonMatchingOutput(&call.output, handled);
        }
        Tolerating([&] { record->FormatCallDescriptionOutput(); });
    }
    Tolerating([&] {
        const auto use = IKoVeskCall::eExportUseText;
        const int count = record->GetNumberOfLinesToExport(use);
        const std::unique_ptr<StringBase[]> lines(new StringBase[static_cast<size_t>(count)]);
        record->FormatForOutput(lines.get(), count, use);
    });
}

// The whole input as one line, followed by exactly the padding the parser
// may read and not a byte more. One parser and one call are reused for every
// input, as the program reuses them for every line.
void ParseAsOneLine(const uint8_t* data, size_t size) {
    const std::unique_ptr<char[]> line(new char[size + vesk::replay::kLinePadding]);
    if (size > 0) std::memcpy(line.get(), data, size);
    std::memset(line.get() + size, ' ', vesk::replay::kLinePadding);
    static CallParser parser;
    static CapturedCall call;
    if (parser.Parse(line.get(), size, call)) {
        Render(call);
    } else {
        FUZZ_CHECK(!parser.Error().empty());
    }
}

// The call lines of a capture as the reader counts them: every line that
// holds anything but blanks, tabs and carriage returns (a byte-order mark
// at the very start is no content).
uint64_t CountCallLines(const uint8_t* data, size_t size) {
    uint64_t calls = 0;
    bool blank = true;
    const size_t start = size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    for (size_t i = start; i <= size; ++i) {
        if (i == size || data[i] == '\n') {
            if (!blank) ++calls;
            blank = true;
        } else if (data[i] != ' ' && data[i] != '\t' && data[i] != '\r') {
            blank = false;
        }
    }
    return calls;
}

const vesk::replay::PluginEntryPoints& LinkedEntryPoints() {
    static const vesk::replay::PluginEntryPoints entryPoints = {
        VeskNewCall,
        VeskVV_Input_GetParamData,
        VeskVV_Input_GetButtonData,
        VeskVV_Input_OnHelpEvent,
        VeskVV_Input_OnHelpAttr,
        VeskVV_Output_GetParamData,
        VeskVV_Output_GetRetvalData,
        VeskVV_Buffer_GetParamData,
        VeskVV_Buffer_GetBufferData,
    };
    return entryPoints;
}

std::unique_ptr<vesk::replay::Renderer> MakeRenderer(size_t choice) {
    switch (choice % 9) {
    case 0: return std::make_unique<vesk::replay::ListRenderer>();
    case 6: return std::make_unique<vesk::replay::ListRenderer>(true);
    case 7: return std::make_unique<vesk::replay::StatsRenderer>(false);
    case 8: return std::make_unique<vesk::replay::StatsRenderer>(true);
    case 1: return std::make_unique<vesk::replay::ExportRenderer>(IKoVeskCall::eExportUseText);
    case 2: return std::make_unique<vesk::replay::ExportRenderer>(IKoVeskCall::eExportUseQuoted);
    case 3: return std::make_unique<vesk::replay::ExportRenderer>(IKoVeskCall::eExportUseLimited);
    case 4: return std::make_unique<vesk::replay::XmlRenderer>();
    default: return std::make_unique<vesk::replay::PagesRenderer>(LinkedEntryPoints());
    }
}

// The program's loop over the capture, its output and diagnostics thrown
// away; every call line is counted and either rendered or reported.
void Replay(const uint8_t* data, size_t size) {
    if (size == 0) return;
    static std::FILE* const discard = std::fopen("/dev/null", "w");
    FUZZ_CHECK(discard != nullptr);
    std::FILE* input = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (!input) return;
    // As in the program, the output outlives the renderer, which may still
    // write to it while it is destroyed.
    vesk::replay::OutputBuffer out(discard);
    const std::unique_ptr<vesk::replay::Renderer> renderer = MakeRenderer(size);
    vesk::replay::Replay replay(LinkedEntryPoints(), *renderer, out, discard);
    const vesk::replay::ReplayResult result = replay.Run(input, "capture");
    std::fclose(input);
    FUZZ_CHECK(!result.readFailed);
    FUZZ_CHECK(result.calls == CountCallLines(data, size));
    FUZZ_CHECK(result.rendered + result.skipped == result.calls);
}

}  // namespace

void RunOneInput(const uint8_t* data, size_t size) {
    SetUpHostOnce();
    ParseAsOneLine(data, size);
    Replay(data, size);
}

}  // namespace kovesk_fuzz
