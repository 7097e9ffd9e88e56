#include "replay/StatsRenderer.h"

#include "replay/CallFilter.h"

namespace vesk::replay {

void StatsRenderer::Render(uint64_t, IKoVeskCall*, const CapturedCall& call, OutputBuffer&) {
    m_statistics.Add(call.input.GetFunctionName(), CallFailed(call),
                     call.hasDuration ? &call.durationSeconds : nullptr);
}

void StatsRenderer::End(OutputBuffer& out) {
    if (m_csv) {
        m_statistics.WriteCsv(out);
    } else {
        m_statistics.WriteTable(out);
    }
}

}  // namespace vesk::replay
