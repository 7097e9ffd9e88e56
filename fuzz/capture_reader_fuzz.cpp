// Fuzz target: the capture reader of vesk-replay. The input is a capture:
// parsed whole as one line, then read line by line as the program reads a
// file, and every call that parses is rendered through a call record as the
// program renders it (descriptions and an export).
#include <cstdio>
#include <cstring>
#include <memory>

#include "call/CVISACall.h"
#include "entry/VeskEntryPoints.h"
#include "fuzz/FuzzHost.h"
#include "fuzz/FuzzSupport.h"
#include "replay/CallParser.h"
#include "replay/CaptureReader.h"

namespace kovesk_fuzz {
namespace {

using vesk::replay::CallParser;
using vesk::replay::CaptureReader;
using vesk::replay::CapturedCall;

// Calls of one input rendered at most; the rest are only read.
constexpr int kMaxRenderedCalls = 16;

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

// Line by line, as the program reads a file. A reader holds a large line
// buffer, so only inputs of more than one line are read again this way.
void ReadLines(const uint8_t* data, size_t size) {
    if (size == 0 || !std::memchr(data, '\n', size)) return;
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (!file) return;
    CaptureReader reader(file);
    int rendered = 0;
    uint64_t lastCall = 0;
    for (;;) {
        const CaptureReader::eResult result = reader.Next();
        if (result == CaptureReader::eResult::eEnd) break;
        FUZZ_CHECK(reader.CallNumber() == lastCall + 1);
        lastCall = reader.CallNumber();
        if (result == CaptureReader::eResult::eBadCall) {
            FUZZ_CHECK(!reader.Error().empty());
        } else if (result == CaptureReader::eResult::eCall && rendered < kMaxRenderedCalls) {
            Render(reader.Call());
            ++rendered;
        }
    }
    FUZZ_CHECK(!reader.ReadFailed());
    std::fclose(file);
}

}  // namespace

void RunOneInput(const uint8_t* data, size_t size) {
    SetUpHostOnce();
    ParseAsOneLine(data, size);
    ReadLines(data, size);
}

}  // namespace kovesk_fuzz
