// --list: one line per call, as the host's call list shows it:
// number, tab, status column, tab, description. With timing, the call's
// start time (local, with microseconds) and its duration in milliseconds
// come after the number, each followed by a tab; empty where the capture
// has none.
#pragma once

#include "replay/Renderer.h"
#include "replay/TimeStamp.h"

namespace vesk::replay {

class ListRenderer : public Renderer {
public:
    explicit ListRenderer(bool timing = false) : m_timing(timing) {}

    void Render(uint64_t number, IKoVeskCall* record, const CapturedCall& call,
                OutputBuffer& out) override;

private:
    void appendTiming(const CapturedCall& call, OutputBuffer& out);

    bool m_timing;
    LocalTimeFormatter m_localTime;
};

}  // namespace vesk::replay
