#include "replay/ListRenderer.h"

#include <charconv>

namespace vesk::replay {

void ListRenderer::appendTiming(const CapturedCall& call, OutputBuffer& out) {
    if (call.hasTime) {
        char text[kTimeStampTextSize];
        out.Append(text, m_localTime.Format(call.time, text));
    }
    out.Append('\t');
    if (call.hasDuration) {
        char text[48];
        const auto result = std::to_chars(text, text + sizeof text, call.durationSeconds * 1000.0,
                                          std::chars_format::fixed, 3);
        out.Append(text, static_cast<size_t>(result.ptr - text));
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
