// --stats[=csv]: no text per call; after the last call, the statistics of
// every call shown (CallStatistics). Reads only the capture: the plug-in
// renders nothing for it.
#pragma once

#include "replay/CallStatistics.h"
#include "replay/Renderer.h"

namespace vesk::replay {

class StatsRenderer : public Renderer {
public:
    explicit StatsRenderer(bool csv) : m_csv(csv) {}

    bool UsesRecord() const override { return false; }
    void Render(uint64_t number, IKoVeskCall* record, const CapturedCall& call,
                OutputBuffer& out) override;
    void End(OutputBuffer& out) override;

private:
    bool m_csv;
    CallStatistics m_statistics;
};

}  // namespace vesk::replay
