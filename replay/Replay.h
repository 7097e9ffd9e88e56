// The replay loop: reads the capture call by call, drives one record per
// call through the plug-in as the host does, hands it to the renderer of
// the chosen mode and reports every call it has to skip.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "host/CProcThreadInfo.h"
#include "replay/PluginLoader.h"
#include "replay/Renderer.h"

namespace vesk::replay {

struct ReplayResult {
    uint64_t calls = 0;      // call lines read
    uint64_t rendered = 0;   // calls rendered
    uint64_t skipped = 0;    // calls reported and skipped
    bool readFailed = false; // the input could not be read to its end
    bool stopped = false;    // reading stopped at a line that could not be held
    bool outputFailed = false;  // a write failed: the replay stopped there
};

class Replay {
public:
    // `diagnostics` receives one "FILE:LINE: error: MESSAGE" line per
    // skipped call, FILE being `inputName`.
    Replay(const PluginEntryPoints& entryPoints, Renderer& renderer, OutputBuffer& out,
           std::FILE* diagnostics);

    // Replays every call of `input`, or only call `onlyCall` when it is not
    // 0 (the other lines are counted, not parsed).
    ReplayResult Run(std::FILE* input, const std::string& inputName, uint64_t onlyCall = 0);

private:
    // Drives and renders one call; false (after reporting) when the
    // plug-in raised an exception.
    bool renderCall(uint64_t number, CapturedCall& call, const std::string& inputName,
                    uint64_t line);
    void report(const std::string& inputName, uint64_t line, const char* message);

    const PluginEntryPoints& m_entryPoints;
    Renderer& m_renderer;
    OutputBuffer& m_out;
    std::FILE* m_diagnostics;
    // The one thread of the traced program whose calls are replayed; the
    // records keep its nesting depth.
    CProcThreadInfo m_threadInfo;
};

}  // namespace vesk::replay
