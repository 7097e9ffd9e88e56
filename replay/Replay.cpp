#include "replay/Replay.h"

#include <exception>
#include <memory>
#include <new>

#include "replay/CaptureReader.h"
#include "replay/HostRecord.h"

namespace vesk::replay {

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
        if (!m_renderer.UsesRecord()) {
            m_renderer.Render(number, nullptr, call, m_out);
            return true;
        }
        const RecordPtr record = MakeRecord(m_entryPoints, call, m_threadInfo);
        m_renderer.Render(number, record.get(), call, m_out);
        return true;
    } catch (const std::bad_alloc&) {
        m_out.Rewind(mark);
        report(inputName, line, "out of memory while rendering the call");
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

ReplayResult Replay::Run(std::FILE* input, const std::string& inputName,
                         const tReplaySettings& settings) {
    ReplayResult result;
    CaptureReader reader(input, settings.maxLineBytes);
    const tCallFilter& filter = settings.filter;
    const uint64_t onlyCall = settings.onlyCall;
    // The last call that can be shown: nothing after it needs reading.
    const uint64_t lastWanted = onlyCall != 0 && onlyCall < filter.lastCall ? onlyCall : filter.lastCall;
    m_renderer.Begin(m_out);
    for (;;) {
        const uint64_t number = reader.CallNumber() + 1;
        const bool wanted = filter.WantsNumber(number) && (onlyCall == 0 || number == onlyCall);
        const CaptureReader::eResult next = reader.Next(wanted);
        if (next == CaptureReader::eResult::End) {
            result.endReached = true;
            break;
        }
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
        } else if (!filter.Matches(reader.CallNumber(), reader.Call())) {
            // Filtered out: neither rendered nor skipped.
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
        if (reader.CallNumber() >= lastWanted) break;
    }
    m_renderer.End(m_out);
    result.readFailed = reader.ReadFailed();
    return result;
}

}  // namespace vesk::replay
