#include "replay/Replay.h"

#include <exception>
#include <memory>

#include "replay/CaptureReader.h"

namespace vesk::replay {

namespace {

// The host destroys its records through the virtual destructor.
struct RecordDeleter {
    void operator()(IKoVeskCall* record) const { delete record; }
};
using RecordPtr = std::unique_ptr<IKoVeskCall, RecordDeleter>;

}  // namespace

Replay::Replay(const PluginEntryPoints& entryPoints, Renderer& renderer, OutputBuffer& out,
               std::FILE* diagnostics)
    : m_entryPoints(entryPoints), m_renderer(renderer), m_out(out), m_diagnostics(diagnostics) {}

void Replay::report(const std::string& inputName, uint64_t line, const char* message) {
    // What was rendered before this line goes out first, so that the
    // diagnostic sits in its place when both streams go to one terminal.
    m_out.Flush();
    std::fprintf(m_diagnostics, "%s:%llu: error: %s\n", inputName.c_str(),
                 static_cast<unsigned long long>(line), message);
}

bool Replay::renderCall(uint64_t number, CapturedCall& call, const std::string& inputName,
                        uint64_t line) {
    const size_t mark = m_out.Mark();
    try {
        RecordPtr record(m_entryPoints.newCall());
        record->InitProcThreadInfo(&m_threadInfo);
        bool handled = false;
        record->ProcessLoggerInput(&call.input, handled);
        record->FormatCallDescriptionInput();
        if (call.hasOutput) {
            if (call.matching) {
                record->ProcessLoggerMatchingOutput(&call.output);
            } else {
                record->ProcessLoggerNonMatchingOutput(&call.output, handled);
            }
            record->FormatCallDescriptionOutput();
        }
        m_renderer.Render(number, *record, call, m_out);
        return true;
    } catch (const std::exception& failure) {
        m_out.Rewind(mark);
        const std::string message =
            std::string("the plug-in raised an exception while rendering the call: ") +
            failure.what();
        report(inputName, line, message.c_str());
    } catch (...) {
        m_out.Rewind(mark);
        report(inputName, line, "the plug-in raised an unknown exception while rendering the call");
    }
    return false;
}

ReplayResult Replay::Run(std::FILE* input, const std::string& inputName, uint64_t onlyCall) {
    ReplayResult result;
    CaptureReader reader(input);
    m_renderer.Begin(m_out);
    for (;;) {
        const bool wanted = onlyCall == 0 || reader.CallNumber() + 1 == onlyCall;
        const CaptureReader::eResult next = reader.Next(wanted);
        if (next == CaptureReader::eResult::End) break;
        if (next == CaptureReader::eResult::Stopped) {
            report(inputName, reader.LineNumber(), reader.Error().c_str());
            result.stopped = true;
            break;
        }
        ++result.calls;
        if (next == CaptureReader::eResult::Skipped) continue;
        if (next == CaptureReader::eResult::BadCall) {
            report(inputName, reader.LineNumber(), reader.Error().c_str());
            ++result.skipped;
        } else if (renderCall(reader.CallNumber(), reader.Call(), inputName, reader.LineNumber())) {
            ++result.rendered;
        } else {
            ++result.skipped;
        }
        m_out.FlushIfFull();
        // Nobody reads the rest: stop at once rather than render it.
        if (m_out.Failed()) {
            result.outputFailed = true;
            break;
        }
        if (onlyCall != 0 && reader.CallNumber() == onlyCall) break;
    }
    m_renderer.End(m_out);
    result.readFailed = reader.ReadFailed();
    return result;
}

}  // namespace vesk::replay
