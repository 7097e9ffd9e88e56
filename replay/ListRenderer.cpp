#include "replay/ListRenderer.h"

namespace vesk::replay {

void ListRenderer::Render(uint64_t number, IKoVeskCall& record, const CapturedCall&,
                          OutputBuffer& out) {
    // The status column is empty for a call that has not returned: the
    // record has no status to show then.
    const StringBase status = record.FormatColumnText(IKoVeskCall::eColumnStatus);
    const StringBase& description = record.GetDescription();
    out.AppendDecimal(static_cast<int64_t>(number));
    out.Append('\t');
    out.Append(status.c_str(), status.length());
    out.Append('\t');
    out.Append(description.c_str(), description.length());
    out.Append('\n');
}

}  // namespace vesk::replay
