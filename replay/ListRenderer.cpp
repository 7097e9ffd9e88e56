#include "replay/ListRenderer.h"

namespace vesk::replay {

void ListRenderer::appendTiming(const CapturedCall& call, OutputBuffer& out) {
    if (call.hasTime) {
        char text[kTimeStampTextSize];
        out.Append(text, m_localTime.Format(call.time, text));
    }
    out.Append('\t');
    if (call.hasDuration) {
        char text[kMillisecondsTextSize];
        out.Append(text, FormatMilliseconds(call.durationSeconds, text));
    }
    out.Append('\t');
}

void ListRenderer::Render(uint64_t number, IKoVeskCall* record, const CapturedCall& call,
                          OutputBuffer& out) {
    // The status column is empty for a call that has not returned: the
    // record has no status to show then.
    const StringBase status = record->FormatColumnText(IKoVeskCall::eColumnStatus);
    const StringBase& description = record->GetDescription();
    out.AppendDecimal(static_cast<int64_t>(number));
    out.Append('\t');
    if (m_timing) appendTiming(call, out);
    out.Append(status.c_str(), status.length());
    out.Append('\t');
    out.Append(description.c_str(), description.length());
    out.Append('\n');
}

}  // namespace vesk::replay
